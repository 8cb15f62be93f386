// The key-emulation panel's artwork for the two analyzer families: the front of the
// instrument (bitmaps 111 and 123) and the sheet of key pictures (bitmaps 112 and 124).
//
// The panel is 581 x 371 pixels. The live LCD window covers (50, 31) to (532, 161); the
// background draws the glass around it. Every key window is one sprite cell whose top left
// corner is the key's centre less (sheet width / 20, sheet height / 16). The sheet is 10 x 8
// cells: rows 0-3 the keys up, rows 4-7 the same keys down; column 9 holds Shift latched.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"
#include "pixel_art.h"

namespace zv::art {

enum class PanelFamily {
    An1,  // AN-1100/1400: sheet 390 x 200, cells of 39 x 25
    An2,  // AN-2100/2400: sheet 430 x 216, cells of 43 x 27
};

constexpr int kPanelWidth = 581;
constexpr int kPanelHeight = 371;
constexpr Rect kLcdWindow{50, 31, 482, 130};
constexpr int kSpriteColumns = 10;
constexpr int kSpriteRows = 8;
constexpr int kDownRows = 4;        // a key's down picture is this many rows below its up picture
constexpr int kLatchedColumns = 5;  // and its latched picture this many columns right

struct PanelKey {
    int centreX, centreY;  // in panel pixels
    int column, row;       // its up picture's sprite cell
};

// The 36 keys, Shift first.
const std::vector<PanelKey>& panelKeys();

int sheetWidth(PanelFamily family);
int sheetHeight(PanelFamily family);
Rect keyWindow(PanelFamily family, const PanelKey& key);

// The 16 colours both pictures of a family are drawn in, in palette order.
std::vector<Rgba> panelPalette(PanelFamily family);

// Each returns the finished picture, or an empty image with error set when a legend cannot
// be set or the drawing needs more than 16 colours.
Image panelBackground(PanelFamily family, std::string& error);
Image keySpriteSheet(PanelFamily family, std::string& error);

// The background with every key's up picture in its window, as the program shows it.
Image panelPreview(PanelFamily family, std::string& error);

}  // namespace zv::art
