// Window procedure of "VRX_HexInput".
#include <climits>
#include <new>

#include "zvlkctrl/control_paint_win.h"
#include "zvlkctrl/control_window_win.h"
#include "zvlkctrl/controls_win.h"
#include "zvlkctrl/core/control_messages.h"
#include "zvlkctrl/core/hex_input_model.h"

namespace zv::ctrl {

namespace {

// Digits of a byte sit close together; bytes are set apart by a gap.
constexpr int kDigitPadding = 1;
constexpr int kByteGap = 6;  // eighths of a cell
constexpr int kPartGap = 12;

struct HexInputWindow {
    HexInputModel model;
    HFONT font = nullptr;
    int chainId = 0;
    bool focused = false;
};

HexInputWindow* stateOf(HWND hwnd) {
    return reinterpret_cast<HexInputWindow*>(GetWindowLongPtrA(hwnd, 0));
}

// Two slots per byte; a small gap between bytes, a wider one between the two parts.
size_t buildSlots(const HexInputWindow& w, GlyphSlot (&slots)[2 * kMaxHexCells]) {
    const HexInputModel& m = w.model;
    const size_t caretCell = m.caret() / 2;
    for (size_t i = 0; i < m.cellCount(); ++i) {
        const HexCellView v = m.view(i);
        for (size_t d = 0; d < 2; ++d) {
            GlyphSlot& s = slots[2 * i + d];
            s = GlyphSlot{};
            s.ch = v.text[d];
            s.look = v.look[d];
            if (2 * i + d == m.caret())
                s.highlight = Highlight::Caret;
            else if (i == caretCell)
                s.highlight = Highlight::Group;
            if (d == 0 && i > 0) {
                s.gapBefore = m.isPair() ? kPartGap : kByteGap;
                s.divider = m.isPair();  // a line between the two parts
            }
        }
    }
    return 2 * m.cellCount();
}

void paintTo(HWND hwnd, const HexInputWindow& w, HDC hdc) {
    GlyphSlot slots[2 * kMaxHexCells];
    const size_t n = buildSlots(w, slots);
    paintControl(hwnd, hdc, w.font, kDigitPadding, slots, n, w.focused);
}

void paint(HWND hwnd, const HexInputWindow& w) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (hdc == nullptr) return;
    paintTo(hwnd, w, hdc);
    EndPaint(hwnd, &ps);
}

LRESULT apply(HWND hwnd, HexInputWindow& w, KeyOutcome out) {
    if (!out.handled) return 0;
    InvalidateRect(hwnd, nullptr, FALSE);
    if (out.leave) focusChained(hwnd, w.chainId);
    return 0;
}

LRESULT onConfigure(HWND hwnd, HexInputWindow& w, LPARAM kind) {
    if (kind < INT_MIN || kind > INT_MAX || !w.model.configure(static_cast<int>(kind))) return FALSE;
    InvalidateRect(hwnd, nullptr, FALSE);
    return TRUE;
}

// Two-part kinds: two ints. Other kinds: pattern cells of 4 bytes; wParam cells, 0 = all.
LRESULT onSetValue(HWND hwnd, HexInputWindow& w, WPARAM count, LPARAM lParam) {
    if (lParam == 0) return FALSE;
    if (w.model.isPair()) {
        const int* values = reinterpret_cast<const int*>(lParam);
        w.model.setPair(values[0], values[1]);
    } else {
        w.model.setCells(reinterpret_cast<const uint8_t*>(lParam), count == 0 ? kMaxHexCells : count);
    }
    InvalidateRect(hwnd, nullptr, FALSE);
    return TRUE;
}

LRESULT onGetValue(const HexInputWindow& w, WPARAM count, LPARAM lParam) {
    if (lParam == 0) return 0;
    if (w.model.isPair()) {
        int* values = reinterpret_cast<int*>(lParam);
        int32_t first = 0, second = 0;
        const int entered = w.model.getPair(first, second);
        values[0] = first;
        values[1] = second;
        return entered;
    }
    const size_t n = count == 0 || count > w.model.cellCount() ? w.model.cellCount() : count;
    w.model.getCells(reinterpret_cast<uint8_t*>(lParam), n);
    return static_cast<LRESULT>(n);
}

LRESULT onSetBytes(HWND hwnd, HexInputWindow& w, WPARAM count, LPARAM lParam) {
    w.model.setBytes(reinterpret_cast<const uint8_t*>(lParam), lParam == 0 ? 0 : count);
    InvalidateRect(hwnd, nullptr, FALSE);
    return TRUE;
}

// Reads the bytes, or, on a two-part field with wParam 2, chains it to the field whose
// control id lParam gives.
LRESULT onGetBytes(HexInputWindow& w, WPARAM capacity, LPARAM lParam) {
    if (w.model.isPair() && capacity == kChainParam) {
        w.chainId = lParam >= 0 && lParam <= 0xFFFF ? static_cast<int>(lParam) : 0;
        return TRUE;
    }
    return static_cast<LRESULT>(w.model.getBytes(reinterpret_cast<uint8_t*>(lParam), capacity));
}

void onMouse(HWND hwnd, HexInputWindow& w, LPARAM lParam) {
    if (GetFocus() != hwnd) SetFocus(hwnd);
    GlyphSlot slots[2 * kMaxHexCells];
    const size_t n = buildSlots(w, slots);
    const int slot = slotAt(hwnd, w.font, kDigitPadding, slots, n, static_cast<short>(LOWORD(lParam)));
    if (slot >= 0) w.model.setCaret(static_cast<size_t>(slot));
    InvalidateRect(hwnd, nullptr, FALSE);
}

}  // namespace

LRESULT CALLBACK hexInputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    HexInputWindow* w = stateOf(hwnd);
    if (w == nullptr) {
        if (msg != WM_NCCREATE) return DefWindowProcA(hwnd, msg, wParam, lParam);
        w = new (std::nothrow) HexInputWindow;
        if (w == nullptr) return FALSE;
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(w));
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (LRESULT result; handleCommonMessage(hwnd, *w, msg, wParam, lParam, result, paint, paintTo, apply)) return result;
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, 0, 0);
        delete w;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        onMouse(hwnd, *w, lParam);
        return 0;
    case kMsgConfigure: return onConfigure(hwnd, *w, lParam);
    case kMsgSetValue: return onSetValue(hwnd, *w, wParam, lParam);
    case kMsgGetValue: return onGetValue(*w, wParam, lParam);
    case kMsgSetBytes: return onSetBytes(hwnd, *w, wParam, lParam);
    case kMsgGetBytes: return onGetBytes(*w, wParam, lParam);
    default: break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace zv::ctrl
