// Window procedure of "VRX_BitPattern".
#include <climits>
#include <new>

#include "zvlkctrl/control_paint_win.h"
#include "zvlkctrl/control_window_win.h"
#include "zvlkctrl/controls_win.h"
#include "zvlkctrl/core/bit_pattern_model.h"
#include "zvlkctrl/core/control_messages.h"

namespace zv::ctrl {

namespace {

constexpr size_t kMaxSlots = BitPatternModel::kMaxBits;
constexpr int kBitPadding = 6;

struct BitPatternWindow {
    BitPatternModel model;
    HFONT font = nullptr;
    int chainId = 0;
    bool focused = false;
};

BitPatternWindow* stateOf(HWND hwnd) {
    return reinterpret_cast<BitPatternWindow*>(GetWindowLongPtrA(hwnd, 0));
}

void readStyle(HWND hwnd, BitPatternWindow& w) {
    const auto style = static_cast<uint32_t>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    w.model.setMsbLeft((style & kStyleMsbLeft) != 0);
}

// One boxed cell per bit, a thin line between neighbours.
size_t buildSlots(const BitPatternWindow& w, GlyphSlot (&slots)[kMaxSlots]) {
    const BitPatternModel& m = w.model;
    for (int p = 0; p < m.bits(); ++p) {
        GlyphSlot& s = slots[p];
        s = GlyphSlot{};
        s.ch = m.charAt(p);
        s.look = s.ch == 'x' ? CellLook::DontCare : CellLook::Digit;
        s.highlight = p == m.caret() ? Highlight::Caret : Highlight::None;
        s.gapBefore = p > 0 ? 1 : 0;
        s.divider = p > 0;
    }
    return static_cast<size_t>(m.bits());
}

void paintTo(HWND hwnd, const BitPatternWindow& w, HDC hdc) {
    GlyphSlot slots[kMaxSlots];
    const size_t n = buildSlots(w, slots);
    paintControl(hwnd, hdc, w.font, kBitPadding, slots, n, w.focused);
}

void paint(HWND hwnd, const BitPatternWindow& w) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (hdc == nullptr) return;
    paintTo(hwnd, w, hdc);
    EndPaint(hwnd, &ps);
}

LRESULT apply(HWND hwnd, BitPatternWindow& w, KeyOutcome out) {
    if (!out.handled) return 0;
    InvalidateRect(hwnd, nullptr, FALSE);
    if (out.leave) focusChained(hwnd, w.chainId);
    return 0;
}

LRESULT onConfigure(HWND hwnd, BitPatternWindow& w, LPARAM bits) {
    if (bits < INT_MIN || bits > INT_MAX || !w.model.configure(static_cast<int>(bits))) return FALSE;
    InvalidateRect(hwnd, nullptr, FALSE);
    return TRUE;
}

LRESULT onSetValue(HWND hwnd, BitPatternWindow& w, LPARAM lParam) {
    if (lParam == 0) return FALSE;
    const int* v = reinterpret_cast<const int*>(lParam);
    w.model.setValue(static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]));
    InvalidateRect(hwnd, nullptr, FALSE);
    return TRUE;
}

LRESULT onGetValue(const BitPatternWindow& w, LPARAM lParam) {
    if (lParam == 0) return FALSE;
    int* v = reinterpret_cast<int*>(lParam);
    v[0] = static_cast<int>(w.model.mask());
    v[1] = static_cast<int>(w.model.value());
    return TRUE;
}

LRESULT onChain(BitPatternWindow& w, WPARAM wParam, LPARAM lParam) {
    if (wParam != kChainParam) return FALSE;
    w.chainId = lParam >= 0 && lParam <= 0xFFFF ? static_cast<int>(lParam) : 0;
    return TRUE;
}

// A click puts the caret on a bit; a click on the bit that already has it (with the focus
// already here) steps it x -> 0 -> 1 -> x.
void onMouse(HWND hwnd, BitPatternWindow& w, LPARAM lParam) {
    const bool hadFocus = GetFocus() == hwnd;
    if (!hadFocus) SetFocus(hwnd);
    GlyphSlot slots[kMaxSlots];
    const size_t n = buildSlots(w, slots);
    const int slot = slotAt(hwnd, w.font, kBitPadding, slots, n, static_cast<short>(LOWORD(lParam)));
    if (slot < 0) return;
    if (hadFocus && slot == w.model.caret())
        w.model.cycleAt(slot);
    else
        w.model.setCaret(slot);
    InvalidateRect(hwnd, nullptr, FALSE);
}

}  // namespace

LRESULT CALLBACK bitPatternProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    BitPatternWindow* w = stateOf(hwnd);
    if (w == nullptr) {
        if (msg != WM_NCCREATE) return DefWindowProcA(hwnd, msg, wParam, lParam);
        w = new (std::nothrow) BitPatternWindow;
        if (w == nullptr) return FALSE;
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(w));
        readStyle(hwnd, *w);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (LRESULT result; handleCommonMessage(hwnd, *w, msg, wParam, lParam, result, paint, paintTo, apply)) return result;
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, 0, 0);
        delete w;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_CREATE:
    case WM_STYLECHANGED:
        readStyle(hwnd, *w);
        InvalidateRect(hwnd, nullptr, FALSE);
        return msg == WM_CREATE ? 0 : DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        onMouse(hwnd, *w, lParam);
        return 0;
    case kMsgConfigure: return onConfigure(hwnd, *w, lParam);
    case kMsgSetValue: return onSetValue(hwnd, *w, lParam);
    case kMsgGetValue: return onGetValue(*w, lParam);
    case kMsgGetBytes: return onChain(*w, wParam, lParam);
    default: break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace zv::ctrl
