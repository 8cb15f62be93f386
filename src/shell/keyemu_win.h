// Key emulation: the analyzer's front panel on the PC. A top-level frame (toolbar in a rebar)
// shows the panel: the keypad picture of the connected model, 36 key windows and the live
// LCD. Keys send their values through the session; the LCD follows the analyzer's screen.
//
// Every object here is reference counted: it starts at 0, its window takes one reference at
// creation and drops it after its last message, and the object is deleted when the count
// returns to 0. All of it runs on the UI thread; the session reaches the panel only through
// posted UM_KEYEMU_SESSION messages.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "keyemu/key_pad.h"
#include "keyemu/lcd_picture.h"
#include "resources/ids/key_emulation_res.h"

namespace zv::shell {

struct MainWindow;

constexpr const char* kKeyEmuKeyClass = "ZEVRONA_zvlk5m_WindowClass_KeyEmuKey";
constexpr const char* kKeyEmuLcdClass = "ZEVRONA_zvlk5m_WindowClass_KeyEmuLcd";
constexpr const char* kKeyEmuFrameClass = "ZEVRONA_zvlk5m_WindowClass_KeyEmuFrame";
constexpr const char* kKeyEmuWindowClass = "ZEVRONA_zvlk5m_WindowClass_KeyEmuWindow";

// Messages to a key and to the panel.
constexpr UINT UM_KEY_COMMAND = 0x8000;  // to a key: wParam 1 PC key down, 0 up or focus lost
constexpr UINT UM_KEY_DOWN = 0x8002;     // to the panel: wParam key id, lParam key code
constexpr UINT UM_KEY_UP = 0x8003;
constexpr UINT UM_KEY_REPEAT = 0x8004;
constexpr UINT UM_KEY_LATCHED = 0x8005;
constexpr UINT UM_KEY_UNLATCHED = 0x8006;
constexpr UINT UM_KEYEMU_RUN = 0x810F;   // to the frame, passed on to the panel: start a measurement

constexpr int kKeyEmuRebarId = 101;
constexpr int kKeyEmuToolbarId = 102;
constexpr int kKeyEmuPanelId = 201;
constexpr int kKeyEmuLcdId = 30000;
constexpr int kKeyEmuLcdX = 50;
constexpr int kKeyEmuLcdY = 31;
constexpr int kScreenIntervalMs = 300;

// Frame toolbar commands.
constexpr int kCmdSavePicture = IDM_KEYEMU_SAVE_PICTURE;
constexpr int kCmdCopyPicture = IDM_KEYEMU_COPY_PICTURE;
constexpr int kCmdImageMono = 8121;
constexpr int kCmdImageMonoFramed = 8122;
constexpr int kCmdImageColourFramed = 8123;
constexpr int kCmdMainWindowFront = 2040;

// A Win32 error as a result: 0x80070000 | (error & 0xFFFF).
int32_t win32Result(DWORD error);

class KeyEmuObject {
public:
    uint32_t addRef() { return ++references_; }
    uint32_t release() {
        const uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    KeyEmuObject() = default;
    virtual ~KeyEmuObject() = default;
    KeyEmuObject(const KeyEmuObject&) = delete;
    KeyEmuObject& operator=(const KeyEmuObject&) = delete;

private:
    std::atomic<uint32_t> references_{0};
};

// The window procedure of a key-emulation object T: WM_NCCREATE stores the object (the
// creation parameter) in the window's user data and T::attach takes a reference; after
// WM_NCDESTROY T::detach forgets the window and drops it. Everything between goes to T::handle.
template <typename T>
LRESULT CALLBACK objectProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    T* self = reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->attach(window);
    }
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    const LRESULT result = self->handle(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->detach();
    }
    return result;
}

// An object with a window of its own (see objectProcedure).
class KeyEmuWindowObject : public KeyEmuObject {
public:
    HWND window() const { return window_; }
    void attach(HWND window) {
        window_ = window;
        addRef();
    }
    void detach() {
        window_ = nullptr;
        release();
    }

protected:
    HWND window_ = nullptr;
};

// Registers the four classes in order; 0, or the first failure as a result. Also loads the
// frame's accelerators (kept for the program's lifetime).
int32_t registerKeyEmulationClasses(HINSTANCE program);
// Accelerator table 148 once the classes are registered.
HACCEL keyEmulationAccelerators();

// The two bitmaps of a model's keypad: background and key sprites.
class KeyEmuImage : public KeyEmuObject {
public:
    // 1 when both were loaded with these ids already, 0 when anything was (re)loaded, a
    // negative result when either failed (both released then).
    int32_t load(HINSTANCE program, int backgroundId, int spritesId);
    void releaseBitmaps();
    HBITMAP background() const { return background_; }
    HBITMAP sprites() const { return sprites_; }
    SIZE backgroundSize() const { return backgroundSize_; }
    SIZE spritesSize() const { return spritesSize_; }

private:
    ~KeyEmuImage() override { releaseBitmaps(); }
    int backgroundId_ = -1, spritesId_ = -1;
    HBITMAP background_ = nullptr, sprites_ = nullptr;
    SIZE backgroundSize_{}, spritesSize_{};
};

class KeyEmuWindow;

class KeyEmuKey : public KeyEmuWindowObject {
public:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    KeyEmuKey(KeyEmuWindow& owner, const keyemu::KeyDefinition& definition);
    bool createWindow(HWND panel, POINT topLeft, SIZE cell);
    int id() const { return definition_.id; }
    bool down() const { return state_.down(); }
    bool latched() const { return state_.latched(); }
    // Connected: enabled. Otherwise the capture is given up, the key disabled and reset.
    void setConnected(bool connected);
    void reset();
    void tick(int elapsedMs);

private:
    void post(const keyemu::KeyEvents& events);
    void paint();

    KeyEmuWindow& owner_;
    keyemu::KeyDefinition definition_;
    keyemu::KeyState state_;
};

class KeyEmuLcd : public KeyEmuWindowObject {
public:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool createWindow(HWND parent, int x, int y);
    void setShow(bool show);
    void showScreen(const uint8_t* screen, size_t size);
    const keyemu::LcdPicture& picture() const { return picture_; }
    // Copies the picture as a packed DIB to the clipboard; 0 or the system's error.
    int32_t copy(HWND owner, keyemu::ExportFormat format) const;
    // Saves the picture into FOLDER under a new time-stamped name; 0 or the system's error.
    // Saves the picture as a new file in folder; path receives the file written, or the file
    // (or folder) that could not be.
    int32_t save(const std::string& folder, keyemu::ExportFormat format, std::string* path = nullptr) const;

private:
    void paint();

    bool show_ = false;
    keyemu::LcdPicture picture_;
};

class KeyEmuFrame;

// The panel, one per session, created by the first command 2000.
class KeyEmuWindow : public KeyEmuWindowObject {
public:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    explicit KeyEmuWindow(MainWindow& main);
    // 1: the frame existed and was brought forward; 0: created and shown; negative: failed.
    int32_t open();
    // Destroys the frame (or the panel without a frame).
    void destroyWindow();
    HWND panel() const { return window_; }
    HWND frameWindow() const;
    MainWindow& main() const { return main_; }
    int imageMode() const { return imageMode_; }
    void setImageMode(int mode) { imageMode_ = mode; }
    bool shiftDown() const;
    KeyEmuLcd* lcd() const { return lcd_; }
    KeyEmuImage* image() const { return image_; }
    SIZE cellSize() const { return cell_; }

    bool createPanel(HWND frame);
    void frameGone(KeyEmuFrame* frame);

private:
    ~KeyEmuWindow() override;
    bool onCreate();
    void onDestroy();
    // Loads the model's artwork and moves the keys; false when the model has none.
    bool loadArtwork(bool created);
    void applyConnection();
    void readScreen();
    void onKeyDown(int32_t code);
    void sendKey(uint32_t value);
    bool measuring() const;
    void onTimer();
    KeyEmuKey* keyWithId(int id) const;

    MainWindow& main_;
    HWND tooltip_ = nullptr;
    UINT_PTR timer_ = 0;
    DWORD lastTick_ = 0;
    KeyEmuImage* image_ = nullptr;
    KeyEmuFrame* frame_ = nullptr;
    KeyEmuLcd* lcd_ = nullptr;
    std::array<KeyEmuKey*, keyemu::kKeyCount> keys_{};
    std::array<uint8_t, keyemu::kScreenImageSize> screen_{};
    SIZE cell_{};
    int imageMode_ = 0;
};

class KeyEmuFrame : public KeyEmuWindowObject {
public:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    explicit KeyEmuFrame(KeyEmuWindow& panel);
    bool createWindow();
    HWND toolbar() const { return toolbar_; }
    // Copy and save are enabled exactly while connected.
    void enablePictureButtons(bool enabled);

private:
    ~KeyEmuFrame() override;
    bool onCreate();
    void createToolbar();
    void fit();
    void onCommand(int command);

    KeyEmuWindow& panel_;
    HWND rebar_ = nullptr;
    HWND toolbar_ = nullptr;
};

// Command 2000: opens the panel (creating it on first use) and marks key emulation active.
void keyEmulationCommand(MainWindow& main);
// The main window closes: the frame goes.
void destroyKeyEmulation(MainWindow& main);
// Whether MESSAGE is for the frame or one of its windows (the main window's accelerators do
// not apply there).
bool keyEmulationMessage(const MSG& message);
// The accelerators of the frame when MESSAGE is for one of its windows.
bool translateKeyEmulationAccelerator(MSG& message);

}  // namespace zv::shell
