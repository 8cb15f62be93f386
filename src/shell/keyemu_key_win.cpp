// Key emulation: one key of the keypad. A click or a PC key drives its state machine; every
// change repaints the key and posts what happened to the panel, which sends the key values.
#include "shell/keyemu_win.h"

namespace zv::shell {

using keyemu::KeyEvent;
using keyemu::KeyEvents;

KeyEmuKey::KeyEmuKey(KeyEmuWindow& owner, const keyemu::KeyDefinition& definition)
    : owner_(owner), definition_(definition), state_(definition.flags) {}

bool KeyEmuKey::createWindow(HWND panel, POINT topLeft, SIZE cell) {
    if (window_) return true;
    CreateWindowExA(0, kKeyEmuKeyClass, "", WS_CHILD | WS_VISIBLE, topLeft.x, topLeft.y, cell.cx, cell.cy, panel,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(definition_.id)), GetModuleHandleA(nullptr), this);
    return window_ != nullptr;
}

void KeyEmuKey::post(const KeyEvents& events) {
    if (events.count == 0) return;
    if (window_) InvalidateRect(window_, nullptr, FALSE);
    for (int i = 0; i < events.count; ++i) {
        UINT message = UM_KEY_DOWN;
        switch (events.events[static_cast<size_t>(i)]) {
            case KeyEvent::Down: message = UM_KEY_DOWN; break;
            case KeyEvent::Up: message = UM_KEY_UP; break;
            case KeyEvent::Repeat: message = UM_KEY_REPEAT; break;
            case KeyEvent::Latched: message = UM_KEY_LATCHED; break;
            case KeyEvent::Unlatched: message = UM_KEY_UNLATCHED; break;
        }
        PostMessageA(owner_.panel(), message, static_cast<WPARAM>(definition_.id), static_cast<LPARAM>(definition_.code));
    }
}

void KeyEmuKey::reset() { post(state_.reset()); }

void KeyEmuKey::tick(int elapsedMs) { post(state_.tick(elapsedMs)); }

void KeyEmuKey::setConnected(bool connected) {
    if (!window_) return;
    if (connected) {
        EnableWindow(window_, TRUE);
        return;
    }
    if (GetCapture() == window_) ReleaseCapture();  // releases the key (WM_CAPTURECHANGED)
    EnableWindow(window_, FALSE);
    reset();
}

void KeyEmuKey::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    KeyEmuImage* image = owner_.image();
    const SIZE cell = owner_.cellSize();
    if (image && image->sprites()) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, image->sprites());
        const keyemu::Rect r = keyemu::keySprite(definition_, cell.cx, cell.cy, state_.down(), state_.latched());
        BitBlt(dc, 0, 0, cell.cx, cell.cy, source, r.left, r.top, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    } else {
        RECT client;
        GetClientRect(window_, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
    EndPaint(window_, &ps);
}

LRESULT KeyEmuKey::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (!IsWindowEnabled(window_)) return 0;
            if (state_.latching()) {
                post(state_.click());
            } else {
                SetCapture(window_);
                post(state_.press());
            }
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == window_) ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            // However the capture goes, a plain key held with the mouse comes up.
            if (!state_.latching()) post(state_.release());
            return 0;
        case UM_KEY_COMMAND:
            if (!IsWindowEnabled(window_)) return 0;
            post(state_.unlatch());
            post(wParam ? state_.press() : state_.release());
            return 0;
        default:
            return DefWindowProcA(window_, message, wParam, lParam);
    }
}

}  // namespace zv::shell
