// Key emulation: the panel. It owns the keys, the LCD and the artwork, follows the session's
// notifications (model, connection, screen), turns key events into key values for the
// analyzer and repeats held keys on its timer.
#include "shell/keyemu_win.h"

#include <commctrl.h>

#include "remote/session_messages.h"
#include "resources/ids/command_ids.h"
#include "shell/main_window_win.h"

namespace zv::shell {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatPeriodMs = 50;
constexpr uint32_t kStatusMeasuring = 0x100;

}  // namespace

KeyEmuWindow::KeyEmuWindow(MainWindow& main) : main_(main) {}

KeyEmuWindow::~KeyEmuWindow() {
    for (KeyEmuKey*& key : keys_) {
        if (key) key->release();
        key = nullptr;
    }
    if (lcd_) lcd_->release();
    if (image_) image_->release();
}

HWND KeyEmuWindow::frameWindow() const { return frame_ ? frame_->window() : nullptr; }

bool KeyEmuWindow::shiftDown() const { return keys_[keyemu::kShiftSlot] && keys_[keyemu::kShiftSlot]->down(); }

KeyEmuKey* KeyEmuWindow::keyWithId(int id) const {
    for (KeyEmuKey* key : keys_) {
        if (key && key->id() == id) return key;
    }
    return nullptr;
}

int32_t KeyEmuWindow::open() {
    if (window_) {
        HWND top = frameWindow() ? frameWindow() : window_;
        if (IsIconic(top)) ShowWindow(top, SW_RESTORE);
        SetForegroundWindow(top);
        return 1;
    }
    if (!frame_) {
        frame_ = new (std::nothrow) KeyEmuFrame(*this);
        if (!frame_) return static_cast<int32_t>(0x8007000E);  // E_OUTOFMEMORY
        frame_->addRef();
    }
    // A failed creation destroys what it made on the way; both objects stay alive until here.
    addRef();
    KeyEmuFrame* frame = frame_;
    frame->addRef();
    const bool created = frame->createWindow();
    if (created) {
        ShowWindow(frame->window(), SW_SHOWNORMAL);
    } else if (frame_ == frame) {
        frame_->release();
        frame_ = nullptr;
    }
    frame->release();
    release();
    return created ? 0 : static_cast<int32_t>(0x80004005);  // E_FAIL
}

void KeyEmuWindow::frameGone(KeyEmuFrame* frame) {
    if (frame_ != frame) return;
    frame_->release();
    frame_ = nullptr;
}

void KeyEmuWindow::destroyWindow() {
    if (frameWindow()) {
        DestroyWindow(frameWindow());
    } else if (window_) {
        DestroyWindow(window_);
    }
}

bool KeyEmuWindow::createPanel(HWND frame) {
    CreateWindowExA(0, kKeyEmuWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, CW_USEDEFAULT,
                    CW_USEDEFAULT, frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kKeyEmuPanelId)),
                    GetModuleHandleA(nullptr), this);
    return window_ != nullptr;
}

bool KeyEmuWindow::loadArtwork(bool created) {
    const auto artwork = keyemu::artworkFor(main_.session ? main_.session->getBoardType() : 0);
    if (!artwork) return false;
    if (!image_) {
        image_ = new (std::nothrow) KeyEmuImage;
        if (!image_) return false;
        image_->addRef();
    }
    const int32_t loaded = image_->load(main_.modules.program, artwork->background, artwork->sprites);
    if (loaded < 0) return false;
    const SIZE sheet = image_->spritesSize();
    cell_ = {sheet.cx / keyemu::kSpriteColumns, sheet.cy / keyemu::kSpriteRows};
    if (loaded == 1 || created) return true;
    // Another model: the new picture, every key at its new place and size.
    InvalidateRect(window_, nullptr, FALSE);
    for (size_t i = 0; i < keys_.size(); ++i) {
        KeyEmuKey* key = keys_[i];
        if (!key || !key->window()) continue;
        const keyemu::Point p = keyemu::keyTopLeft(keyemu::kKeyTable[i], sheet.cx, sheet.cy);
        SetWindowPos(key->window(), nullptr, p.x, p.y, cell_.cx, cell_.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(key->window(), nullptr, FALSE);
    }
    return true;
}

bool KeyEmuWindow::onCreate() {
    if (!loadArtwork(true)) return false;
    const SIZE background = image_->backgroundSize();
    RECT r{0, 0, background.cx, background.cy};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_EXSTYLE)));
    SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, GetModuleHandleA(nullptr), nullptr);
    const SIZE sheet = image_->spritesSize();
    for (size_t i = 0; i < keys_.size(); ++i) {
        const keyemu::KeyDefinition& definition = keyemu::kKeyTable[i];
        auto* key = new (std::nothrow) KeyEmuKey(*this, definition);
        if (!key) continue;
        key->addRef();
        const keyemu::Point p = keyemu::keyTopLeft(definition, sheet.cx, sheet.cy);
        if (!key->createWindow(window_, {p.x, p.y}, cell_)) {
            key->release();  // a key that cannot be made is left out
            continue;
        }
        keys_[i] = key;
        if (tooltip_) {
            TOOLINFOA tool{};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = window_;
            tool.uId = reinterpret_cast<UINT_PTR>(key->window());
            tool.hinst = main_.modules.language;
            tool.lpszText = MAKEINTRESOURCEA(definition.id);
            SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    lcd_ = new (std::nothrow) KeyEmuLcd;
    if (lcd_) {
        lcd_->addRef();
        lcd_->createWindow(window_, kKeyEmuLcdX, kKeyEmuLcdY);
    }
    timer_ = SetTimer(window_, kRepeatTimer, kRepeatPeriodMs, nullptr) ? kRepeatTimer : 0;
    lastTick_ = GetTickCount();
    if (main_.sink) main_.sink->setKeyEmulationWindow(window_);
    applyConnection();
    readScreen();
    return true;
}

void KeyEmuWindow::onDestroy() {
    if (main_.sink) main_.sink->setKeyEmulationWindow(nullptr);
    if (main_.session) main_.session->setScreenInterval(-1);
    if (timer_) KillTimer(window_, timer_);
    timer_ = 0;
    if (image_) image_->releaseBitmaps();
    // The session lets go of the panel; it ends when the last window is gone.
    if (main_.keyEmulation == this) {
        main_.keyEmulation = nullptr;
        main_.keyEmulationActive = false;
        applyCommandState(main_);
        release();
    }
}

void KeyEmuWindow::applyConnection() {
    const bool connected = main_.session && main_.session->connectionState() == 1;
    if (!connected && main_.session) main_.session->setScreenInterval(-1);
    if (frame_) frame_->enablePictureButtons(connected);
    for (KeyEmuKey* key : keys_) {
        if (key) key->setConnected(connected);
    }
    if (lcd_) lcd_->setShow(connected);
    if (connected) main_.session->setScreenInterval(kScreenIntervalMs);
}

void KeyEmuWindow::readScreen() {
    if (!main_.session) return;
    IZVRemote* remote = nullptr;
    if (main_.session->getRemote(&remote) < 0 || !remote) return;
    remote->ReadScreen(screen_.data(), static_cast<uint32_t>(screen_.size()));  // shown whatever it holds
    remote->Release();
    if (lcd_) lcd_->showScreen(screen_.data(), screen_.size());
}

bool KeyEmuWindow::measuring() const {
    if (!main_.session) return false;
    IZVRemote* remote = nullptr;
    if (main_.session->getRemote(&remote) < 0 || !remote) return false;
    const bool running = (remote->GetStatus() & kStatusMeasuring) != 0;
    remote->Release();
    return running;
}

void KeyEmuWindow::sendKey(uint32_t value) {
    if (main_.session) main_.session->sendKey(value);
}

void KeyEmuWindow::onKeyDown(int32_t code) {
    const keyemu::KeyDecision decision = keyemu::keyDown(code, shiftDown(), measuring());
    switch (decision.action) {
        case keyemu::KeyAction::StartMeasurement: PostMessageA(main_.window, WM_COMMAND, IDM_START_MONITOR, 0); break;
        case keyemu::KeyAction::StopMeasurement: PostMessageA(main_.window, WM_COMMAND, IDM_STOP_MEASUREMENT, 0); break;
        case keyemu::KeyAction::Send: sendKey(decision.value); break;
    }
}

void KeyEmuWindow::onTimer() {
    const DWORD now = GetTickCount();
    const int elapsed = static_cast<int>(now - lastTick_);
    lastTick_ = now;
    for (KeyEmuKey* key : keys_) {
        if (key && key->down()) key->tick(elapsed);
    }
}

LRESULT KeyEmuWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (tooltip_ && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_LBUTTONDBLCLK &&
        message != WM_RBUTTONDBLCLK && message != WM_MBUTTONDBLCLK) {
        MSG relayed{window_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
        case WM_CREATE:
            return onCreate() ? 0 : -1;
        case WM_DESTROY:
            onDestroy();
            return 0;
        case WM_NCDESTROY:
            for (KeyEmuKey* key : keys_) {
                if (key) key->release();
            }
            keys_.fill(nullptr);
            if (lcd_) lcd_->release();
            lcd_ = nullptr;
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window_, &ps);
            if (image_ && image_->background()) {
                HDC source = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(source, image_->background());
                RECT client;
                GetClientRect(window_, &client);
                BitBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
                SelectObject(source, old);
                DeleteDC(source);
            }
            EndPaint(window_, &ps);
            return 0;
        }
        case WM_TIMER:
            if (wParam == kRepeatTimer) onTimer();
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            const int slot = keyemu::slotForVirtualKey(static_cast<int>(wParam));
            if (slot >= 0 && keys_[static_cast<size_t>(slot)] && keys_[static_cast<size_t>(slot)]->window()) {
                const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
                SendMessageA(keys_[static_cast<size_t>(slot)]->window(), UM_KEY_COMMAND, down ? 1 : 0, 0);
                return 0;
            }
            return DefWindowProcA(window_, message, wParam, lParam);
        }
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_KILLFOCUS:
            for (KeyEmuKey* key : keys_) {
                if (key && key->window()) SendMessageA(key->window(), UM_KEY_COMMAND, 0, 0);
            }
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window_);
            return 0;
        case UM_KEYEMU_SESSION:
            switch (wParam) {
                case kKeyEmuModelChanged:
                    if (!loadArtwork(false)) destroyWindow();
                    break;
                case kKeyEmuConnectionChanged: applyConnection(); break;
                case kKeyEmuScreenChanged: readScreen(); break;
                default: break;
            }
            return 0;
        case UM_KEY_DOWN:
            onKeyDown(static_cast<int32_t>(lParam));
            return 0;
        case UM_KEY_UP:
            for (KeyEmuKey* key : keys_) {
                if (key) key->reset();  // a latched Shift lasts for one key
            }
            return 0;
        case UM_KEY_REPEAT:
            sendKey(keyemu::keyRepeatValue(static_cast<int32_t>(lParam), shiftDown()));
            return 0;
        case UM_KEY_LATCHED:
        case UM_KEY_UNLATCHED:
            return 0;
        case UM_KEYEMU_RUN:
            PostMessageA(main_.window, WM_COMMAND, IDM_START_MONITOR, 0);
            return 0;
        default:
            return DefWindowProcA(window_, message, wParam, lParam);
    }
}

void keyEmulationCommand(MainWindow& main) {
    if (!main.keyEmulation) {
        main.keyEmulation = new (std::nothrow) KeyEmuWindow(main);
        if (!main.keyEmulation) return;
        main.keyEmulation->addRef();
    }
    main.keyEmulationActive = true;
    KeyEmuWindow* panel = main.keyEmulation;
    panel->addRef();
    if (panel->open() < 0 && main.keyEmulation == panel) {
        // Nothing is shown (no keypad for this model): the session lets go of it again.
        main.keyEmulation = nullptr;
        main.keyEmulationActive = false;
        panel->release();
    }
    panel->release();
}

void destroyKeyEmulation(MainWindow& main) {
    if (main.keyEmulation) main.keyEmulation->destroyWindow();
}

}  // namespace zv::shell
