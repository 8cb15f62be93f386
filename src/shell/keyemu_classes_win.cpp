// Key emulation: the window classes, the accelerators of the frame and the keypad artwork.
#include "shell/keyemu_win.h"

#include "resources/program_res.h"

namespace zv::shell {

namespace {

constexpr int kAcceleratorTable = 148;  // Ctrl+C copy, Ctrl+S save

HACCEL frameAccelerators = nullptr;

int32_t registerClass(HINSTANCE program, const char* name, WNDPROC procedure, HCURSOR cursor, HICON icon = nullptr,
                      HICON smallIcon = nullptr) {
    WNDCLASSEXA c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = procedure;
    c.hInstance = program;
    c.hCursor = cursor;
    c.hIcon = icon;
    c.hIconSm = smallIcon;
    c.lpszClassName = name;  // no background brush: every window paints all of its client area
    if (RegisterClassExA(&c) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return 0;
    return win32Result(GetLastError());
}

}  // namespace

int32_t win32Result(DWORD error) {
    return static_cast<int32_t>(0x80070000u | (error & 0xFFFFu));
}

HACCEL keyEmulationAccelerators() { return frameAccelerators; }

int32_t registerKeyEmulationClasses(HINSTANCE program) {
    HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
    if (!hand) hand = LoadCursor(nullptr, IDC_ARROW);
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    if (int32_t r = registerClass(program, kKeyEmuKeyClass, objectProcedure<KeyEmuKey>, hand)) return r;
    if (int32_t r = registerClass(program, kKeyEmuLcdClass, objectProcedure<KeyEmuLcd>, arrow)) return r;
    if (!frameAccelerators) frameAccelerators = LoadAcceleratorsA(program, MAKEINTRESOURCEA(kAcceleratorTable));
    auto icon = [&](int size) {
        return static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(IDI_KEY_EMULATION), IMAGE_ICON, size, size, 0));
    };
    if (int32_t r = registerClass(program, kKeyEmuFrameClass, objectProcedure<KeyEmuFrame>, arrow, icon(32), icon(16))) return r;
    return registerClass(program, kKeyEmuWindowClass, objectProcedure<KeyEmuWindow>, arrow);
}

bool keyEmulationMessage(const MSG& message) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    char name[64] = {};
    return root && GetClassNameA(root, name, sizeof name) && lstrcmpA(name, kKeyEmuFrameClass) == 0;
}

bool translateKeyEmulationAccelerator(MSG& message) {
    if (!frameAccelerators || !keyEmulationMessage(message)) return false;
    return TranslateAcceleratorA(GetAncestor(message.hwnd, GA_ROOT), frameAccelerators, &message) != 0;
}

// ---- KeyEmuImage ----------------------------------------------------------------------------

namespace {

bool loadBitmap(HINSTANCE program, int id, int& loadedId, HBITMAP& bitmap, SIZE& size) {
    if (loadedId == id && bitmap) return true;
    if (bitmap) DeleteObject(bitmap);
    bitmap = LoadBitmapA(program, MAKEINTRESOURCEA(id));
    loadedId = bitmap ? id : -1;
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return false;
    size = {info.bmWidth, info.bmHeight};
    return true;
}

}  // namespace

int32_t KeyEmuImage::load(HINSTANCE program, int backgroundId, int spritesId) {
    if (backgroundId_ == backgroundId && spritesId_ == spritesId && background_ && sprites_) return 1;
    if (!loadBitmap(program, backgroundId, backgroundId_, background_, backgroundSize_) ||
        !loadBitmap(program, spritesId, spritesId_, sprites_, spritesSize_)) {
        const DWORD error = GetLastError();
        releaseBitmaps();
        return win32Result(error ? error : ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    return 0;
}

void KeyEmuImage::releaseBitmaps() {
    if (background_) DeleteObject(background_);
    if (sprites_) DeleteObject(sprites_);
    background_ = sprites_ = nullptr;
    backgroundId_ = spritesId_ = -1;
}

}  // namespace zv::shell
