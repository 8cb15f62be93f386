#include "zvlkctrl/control_paint_win.h"

#include <uxtheme.h>
#include <vssym32.h>

namespace zv::ctrl {

namespace {

constexpr COLORREF kDontCareColor = RGB(0, 102, 204);
constexpr COLORREF kReferenceColor = RGB(128, 0, 160);
constexpr COLORREF kPartialColor = RGB(200, 90, 0);
constexpr COLORREF kGroupColor = RGB(214, 232, 250);
constexpr COLORREF kDividerColor = RGB(220, 220, 220);

struct Layout {
    int cellW = 8;
    int cellH = 13;
    int x0 = 0;
    int y0 = 0;
};

// The system draws the frame when the template asks for a border or a client edge.
bool hasSystemFrame(HWND hwnd) {
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
    return (style & WS_BORDER) != 0 || (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0;
}

Layout computeLayout(HWND hwnd, HDC hdc, int padding) {
    Layout l;
    static const char kMeasured[] = "0123456789ABCDEFxP?-";
    int widest = 0;
    for (const char* p = kMeasured; *p; ++p) {
        SIZE sz{};
        if (GetTextExtentPoint32A(hdc, p, 1, &sz) && sz.cx > widest) widest = sz.cx;
    }
    TEXTMETRICA tm{};
    GetTextMetricsA(hdc, &tm);
    l.cellW = (widest > 4 ? widest : 4) + padding;
    l.cellH = tm.tmHeight > 0 ? tm.tmHeight : 13;
    RECT rc{};
    GetClientRect(hwnd, &rc);
    const int frame = hasSystemFrame(hwnd) ? 0 : 2;
    l.x0 = frame + 2;
    l.y0 = (rc.bottom - l.cellH) / 2;
    if (l.y0 < frame) l.y0 = frame;
    return l;
}

int slotLeft(const Layout& l, const GlyphSlot* slots, size_t index) {
    int x = l.x0;
    for (size_t i = 0; i <= index; ++i) {
        x += slots[i].gapBefore * l.cellW / 8;
        if (i < index) x += l.cellW;
    }
    return x;
}

void drawFrame(HWND hwnd, HDC hdc, RECT rc, bool enabled, bool focused) {
    HTHEME theme = IsAppThemed() ? OpenThemeData(hwnd, L"Edit") : nullptr;
    if (theme != nullptr) {
        const int state = !enabled ? ETS_DISABLED : focused ? ETS_FOCUSED : ETS_NORMAL;
        DrawThemeBackground(theme, hdc, EP_EDITTEXT, state, &rc, nullptr);
        CloseThemeData(theme);
    } else {
        DrawEdge(hdc, &rc, EDGE_SUNKEN, BF_RECT);
    }
}

COLORREF textColor(CellLook look, bool enabled, bool onCaret) {
    if (!enabled) return GetSysColor(COLOR_GRAYTEXT);
    if (onCaret) return GetSysColor(COLOR_HIGHLIGHTTEXT);
    switch (look) {
    case CellLook::Digit: return GetSysColor(COLOR_WINDOWTEXT);
    case CellLook::DontCare: return kDontCareColor;
    case CellLook::Empty: return GetSysColor(COLOR_GRAYTEXT);
    case CellLook::Reference: return kReferenceColor;
    case CellLook::Partial: return kPartialColor;
    }
    return GetSysColor(COLOR_WINDOWTEXT);
}

void fill(HDC hdc, const RECT& r, COLORREF color) {
    SetBkColor(hdc, color);
    ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

}  // namespace

HFONT fontOrDefault(HFONT font) {
    return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void paintControl(HWND hwnd, HDC hdc, HFONT font, int padding, const GlyphSlot* slots,
                  size_t count, bool focused) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    if (rc.right <= 0 || rc.bottom <= 0) return;
    // Drawn off screen first: no flicker while typing.
    HDC mem = CreateCompatibleDC(hdc);
    HBITMAP bmp = mem != nullptr ? CreateCompatibleBitmap(hdc, rc.right, rc.bottom) : nullptr;
    HDC target = bmp != nullptr ? mem : hdc;
    HGDIOBJ oldBmp = bmp != nullptr ? SelectObject(mem, bmp) : nullptr;

    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    fill(target, rc, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    if (!hasSystemFrame(hwnd)) drawFrame(hwnd, target, rc, enabled, focused);

    HGDIOBJ oldFont = SelectObject(target, fontOrDefault(font));
    const Layout l = computeLayout(hwnd, target, padding);
    SetBkMode(target, TRANSPARENT);
    for (size_t i = 0; i < count; ++i) {
        const GlyphSlot& s = slots[i];
        const int x = slotLeft(l, slots, i);
        RECT cell{x, l.y0, x + l.cellW, l.y0 + l.cellH};
        const bool lit = focused && enabled;
        if (lit && s.highlight == Highlight::Caret)
            fill(target, cell, GetSysColor(COLOR_HIGHLIGHT));
        else if (lit && s.highlight == Highlight::Group)
            fill(target, cell, kGroupColor);
        if (s.divider && i > 0) {
            // Centred in the gap before the cell.
            const int lineX = x - (s.gapBefore * l.cellW / 8 + 1) / 2;
            RECT line{lineX, l.y0 + 1, lineX + 1, l.y0 + l.cellH - 1};
            fill(target, line, enabled ? kDividerColor : GetSysColor(COLOR_GRAYTEXT));
        }
        SetTextColor(target, textColor(s.look, enabled, lit && s.highlight == Highlight::Caret));
        DrawTextA(target, &s.ch, 1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(target, oldFont);

    if (bmp != nullptr) {
        BitBlt(hdc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
        SelectObject(mem, oldBmp);
        DeleteObject(bmp);
    }
    if (mem != nullptr) DeleteDC(mem);
}

int slotAt(HWND hwnd, HFONT font, int padding, const GlyphSlot* slots, size_t count, int x) {
    if (count == 0) return -1;
    HDC hdc = GetDC(hwnd);
    if (hdc == nullptr) return 0;
    HGDIOBJ old = SelectObject(hdc, fontOrDefault(font));
    const Layout l = computeLayout(hwnd, hdc, padding);
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    int best = 0;
    for (size_t i = 0; i < count; ++i)
        if (x >= slotLeft(l, slots, i)) best = static_cast<int>(i);
    return best;
}

}  // namespace zv::ctrl
