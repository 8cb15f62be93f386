// Key emulation: the live LCD picture and its copy to the clipboard and save as a file.
#include "shell/keyemu_win.h"

#include <shlobj.h>

#include <cstring>
#include <memory>

#include "shell/app_folders_win.h"

namespace zv::shell {

using keyemu::ExportFormat;

bool KeyEmuLcd::createWindow(HWND parent, int x, int y) {
    if (window_) return true;
    CreateWindowExA(0, kKeyEmuLcdClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, keyemu::kLcdPictureWidth,
                    keyemu::kLcdPictureHeight, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kKeyEmuLcdId)),
                    GetModuleHandleA(nullptr), this);
    return window_ != nullptr;
}

void KeyEmuLcd::setShow(bool show) {
    if (show == show_) return;
    show_ = show;
    if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void KeyEmuLcd::showScreen(const uint8_t* screen, size_t size) {
    picture_.show(screen, size);
    if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void KeyEmuLcd::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT client;
    GetClientRect(window_, &client);
    if (show_) {
        const auto header = picture_.paintHeader();
        SetDIBitsToDevice(dc, 0, 0, keyemu::kLcdPictureWidth, keyemu::kLcdPictureHeight, 0, 0, 0,
                          keyemu::kLcdPictureHeight, picture_.pixels(), reinterpret_cast<const BITMAPINFO*>(header.data()),
                          DIB_RGB_COLORS);
    } else {
        const keyemu::Rgb ground = keyemu::kLiveColours[0];
        HBRUSH brush = CreateSolidBrush(RGB(ground.red, ground.green, ground.blue));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
    }
    EndPaint(window_, &ps);
}

LRESULT KeyEmuLcd::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        default:
            return DefWindowProcA(window_, message, wParam, lParam);
    }
}

int32_t KeyEmuLcd::copy(HWND owner, ExportFormat format) const {
    const size_t size = picture_.exportPicture(format, nullptr, 0);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return win32Result(GetLastError());
    auto* bytes = static_cast<uint8_t*>(GlobalLock(memory));
    if (!bytes) {
        const DWORD error = GetLastError();
        GlobalFree(memory);
        return win32Result(error);
    }
    picture_.exportPicture(format, bytes, size);
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        const DWORD error = GetLastError();
        GlobalFree(memory);
        return win32Result(error);
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_DIB, memory)) {
        const DWORD error = GetLastError();
        CloseClipboard();
        GlobalFree(memory);
        return win32Result(error);
    }
    CloseClipboard();  // the clipboard owns the memory now
    return 0;
}

int32_t KeyEmuLcd::save(const std::string& folder, ExportFormat format, std::string* savedPath) const {
    if (savedPath) *savedPath = folder;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const keyemu::LocalTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    std::string base = folder;
    if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
    createFolderChain(folder);  // the default folder does not exist until the first picture
    const std::string name = keyemu::screenshotName(time, [&](const std::string& candidate) {
        return GetFileAttributesA((base + candidate).c_str()) != INVALID_FILE_ATTRIBUTES;
    });
    if (name.empty()) return win32Result(ERROR_FILE_EXISTS);
    const std::string path = base + name;
    if (savedPath) *savedPath = path;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return win32Result(GetLastError());
    const std::vector<uint8_t> bytes = keyemu::bitmapFile(picture_, format);
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    const DWORD error = ok ? 0 : GetLastError();
    CloseHandle(file);
    if (!ok) {
        DeleteFileA(path.c_str());  // a broken picture is worse than none
        return win32Result(error ? error : ERROR_WRITE_FAULT);
    }
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHA, path.c_str(), nullptr);
    return 0;
}

}  // namespace zv::shell
