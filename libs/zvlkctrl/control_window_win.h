// The messages both controls answer the same way: painting, font, focus and its
// notifications, keys, typed characters and the clipboard. Each control's window procedure
// offers a message here first and handles only its own messages itself.
#pragma once

#include <windows.h>

#include "zvlkctrl/controls_win.h"
#include "zvlkctrl/core/control_messages.h"

namespace zv::ctrl {

// Window: the control's state with model, font, chainId and focused. paint(hwnd, w),
// paintTo(hwnd, w, hdc) and apply(hwnd, w, outcome) are the control's own. Returns false for a
// message the control handles itself or leaves to DefWindowProc.
template <typename Window, typename Paint, typename PaintTo, typename Apply>
bool handleCommonMessage(HWND hwnd, Window& w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                         Paint paint, PaintTo paintTo, Apply apply) {
    result = 0;
    switch (msg) {
    case WM_PAINT: paint(hwnd, w); return true;
    case WM_PRINTCLIENT: paintTo(hwnd, w, reinterpret_cast<HDC>(wParam)); return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_SETFONT:
        w.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam) != 0) InvalidateRect(hwnd, nullptr, FALSE);
        return true;
    case WM_GETFONT: result = reinterpret_cast<LRESULT>(w.font); return true;
    case WM_ENABLE:
    case WM_SIZE:
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        w.focused = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, FALSE);
        notifyParent(hwnd, w.focused ? kNotifyGotFocus : kNotifyLostFocus);
        return true;
    case WM_GETDLGCODE: result = dialogCode(lParam, w.chainId != 0); return true;
    case WM_KEYDOWN: {
        EditKey key;
        // Enter belongs to the dialog unless the field is chained to a next one.
        if (!editKeyOf(wParam, key) || (key == EditKey::Enter && w.chainId == 0)) return false;
        result = apply(hwnd, w, w.model.key(key));
        return true;
    }
    case WM_COPY: copyToClipboard(hwnd, w.model.text()); return true;
    case WM_PASTE:
        w.model.paste(clipboardText(hwnd));
        InvalidateRect(hwnd, nullptr, FALSE);  // the caret moved in any case
        return true;
    case WM_CHAR:
        if (wParam == kCtrlC) result = SendMessageA(hwnd, WM_COPY, 0, 0);
        else if (wParam == kCtrlV) result = SendMessageA(hwnd, WM_PASTE, 0, 0);
        // Backspace and Enter come as keys.
        else if (wParam >= 0x20 && wParam < 0x7F) result = apply(hwnd, w, w.model.character(static_cast<char>(wParam)));
        return true;
    default: return false;
    }
}

}  // namespace zv::ctrl
