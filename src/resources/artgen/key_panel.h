// The key-emulation panel's artwork for the two analyzer generations: the front of the
// instrument (bitmaps 111 and 123) and the sheet of key pictures (bitmaps 112 and 124).
//
// Places, sizes and sprite cells come from the keypad model (keyemu/key_pad.h), which the
// panel itself uses: every key window is one cell of the sheet at keyTopLeft(); the live LCD
// window covers kLcdWindow, and the front draws the glass around it.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"
#include "keyemu/key_pad.h"
#include "keyemu/lcd_picture.h"
#include "pixel_art.h"

namespace zv::art {

enum class PanelFamily {
    X100,  // AN-1100, AN-2100, AN-6100: sheet 390 x 200, cells of 39 x 25
    X400,  // AN-1400, AN-2400: sheet 430 x 216, cells of 43 x 27
};

constexpr Rect kLcdWindow{50, 31, keyemu::kLcdPictureWidth, keyemu::kLcdPictureHeight};

// The artwork the panel picks for the family's models (bitmap ids, sheet size).
keyemu::Artwork artworkOf(PanelFamily family);
// The models named on the front, e.g. "AN-1400/2400".
std::string_view modelLabel(PanelFamily family);
Rect keyWindow(PanelFamily family, const keyemu::KeyDefinition& key);

// The 16 colours both pictures of a family are drawn in, in palette order.
std::vector<Rgba> panelPalette(PanelFamily family);

// Each returns the finished picture, or an empty image with error set when a legend cannot
// be set or the drawing needs more than 16 colours.
Image panelBackground(PanelFamily family, std::string& error);
Image keySpriteSheet(PanelFamily family, std::string& error);

// The background with every key's up picture in its window, as the program shows it.
Image panelPreview(PanelFamily family, std::string& error);

}  // namespace zv::art
