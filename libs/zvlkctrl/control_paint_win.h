// The common look of both controls: an edit-like sunken frame (themed when a visual style is
// active), one fixed-width cell per character so that digits line up whatever the font,
// the caret cell highlighted while the control has the focus, empty cells grey and
// don't-care cells in their own colour, everything grey while disabled.
#pragma once

#include <windows.h>

#include <cstddef>

#include "zvlkctrl/core/edit_keys.h"

namespace zv::ctrl {

enum class Highlight : unsigned char { None, Group, Caret };

struct GlyphSlot {
    char ch = ' ';
    CellLook look = CellLook::Digit;
    Highlight highlight = Highlight::None;
    int gapBefore = 0;      // extra space before the cell, in eighths of a cell
    bool divider = false;   // a thin line before the cell
};

// Cells are as wide as the widest glyph plus padding pixels.
void paintControl(HWND hwnd, HDC hdc, HFONT font, int padding, const GlyphSlot* slots,
                  size_t count, bool focused);
// Index of the slot under x (client coordinates): the nearest one, -1 when count is 0.
int slotAt(HWND hwnd, HFONT font, int padding, const GlyphSlot* slots, size_t count, int x);

// The font to draw with: the one set by WM_SETFONT, else the default GUI font.
HFONT fontOrDefault(HFONT font);

}  // namespace zv::ctrl
