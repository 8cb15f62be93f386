// Two small bitmap fonts for the panel artwork, drawn as text like the toolbar images: a
// 5 x 7 font for words (capitals, digits, a few signs) and a bold 7 x 9 font for the single
// characters and arrows on key faces. Arrows and triangles take the control characters that
// the old PC code page gave them: 0x18 up, 0x19 down, 0x1A right, 0x1B left.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pixel_art.h"

namespace zv::art {

constexpr char kArrowUp = '\x18';
constexpr char kArrowDown = '\x19';
constexpr char kArrowRight = '\x1a';
constexpr char kArrowLeft = '\x1b';

struct Glyph {
    char character;
    std::vector<std::string_view> rows;  // '#' ink, '.' none; all rows of one width
};

struct BitmapFont {
    int height;   // every glyph has this many rows
    int spacing;  // empty columns between two glyphs
    std::vector<Glyph> glyphs;
};

const BitmapFont& smallFont();
const BitmapFont& keyFont();

// Width in pixels of text set in font, or -1 with error naming the first character the font
// lacks (or a glyph drawn with rows of other lengths).
int textWidth(const BitmapFont& font, std::string_view text, std::string& error);

// Draws text with its top left corner at (x, y); returns false with error set as above,
// drawing nothing. Pixels outside the image are dropped.
bool drawText(Image& image, const BitmapFont& font, int x, int y, std::string_view text, Rgba colour,
              std::string& error);

}  // namespace zv::art
