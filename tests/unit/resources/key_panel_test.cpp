// The key-emulation panel artwork: sizes and colours the panel relies on, a picture for every
// key in each of its states, key windows that fit the front around the LCD, and each model
// shown the front that names it.
#include "key_panel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/board_type.h"
#include "bitmap_font.h"
#include "image_files.h"

namespace zv::art {
namespace {

bool sameCell(const Image& sheet, int w, int h, int c1, int r1, int c2, int r2) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!(sheet.at(c1 * w + x, r1 * h + y) == sheet.at(c2 * w + x, r2 * h + y))) return false;
    return true;
}

bool overlap(const Rect& a, const Rect& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

class KeyPanelArt : public ::testing::TestWithParam<PanelFamily> {};

TEST_P(KeyPanelArt, SizesAndSixteenColours) {
    std::string error;
    const Image front = panelBackground(GetParam(), error);
    ASSERT_TRUE(error.empty()) << error;
    const Image sheet = keySpriteSheet(GetParam(), error);
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(front.width(), keyemu::kBackgroundWidth);
    EXPECT_EQ(front.height(), keyemu::kBackgroundHeight);
    EXPECT_EQ(sheet.width(), artworkOf(GetParam()).sheetWidth);
    EXPECT_EQ(sheet.height(), artworkOf(GetParam()).sheetHeight);
    EXPECT_FALSE(encodeSixteenColourBitmap(front, panelPalette(GetParam())).empty());
    EXPECT_FALSE(encodeSixteenColourBitmap(sheet, panelPalette(GetParam())).empty());
}

TEST_P(KeyPanelArt, EveryKeyLooksDifferentUpDownAndLatched) {
    std::string error;
    const Image sheet = keySpriteSheet(GetParam(), error);
    ASSERT_TRUE(error.empty()) << error;
    const int w = artworkOf(GetParam()).cellWidth(), h = artworkOf(GetParam()).cellHeight();
    const auto& keys = keyemu::kKeyTable;
    for (size_t i = 0; i < keys.size(); ++i) {
        const auto& k = keys[i];
        EXPECT_FALSE(sameCell(sheet, w, h, k.spriteColumn, k.spriteRow, k.spriteColumn,
                              k.spriteRow + keyemu::kDownRowOffset))
            << k.id;
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(sameCell(sheet, w, h, k.spriteColumn, k.spriteRow, keys[j].spriteColumn, keys[j].spriteRow))
                << k.id << " = " << keys[j].id;
    }
    // Shift shows its lamp lit in the latched column, up and down.
    const auto& shift = keys[keyemu::kShiftSlot];
    for (const int row : {shift.spriteRow, shift.spriteRow + keyemu::kDownRowOffset})
        EXPECT_FALSE(sameCell(sheet, w, h, shift.spriteColumn, row, shift.spriteColumn + keyemu::kLatchedColumnOffset,
                              row))
            << row;
}

TEST_P(KeyPanelArt, KeyWindowsFitTheFrontBelowThePlainLcd) {
    std::string error;
    const Image front = panelBackground(GetParam(), error);
    ASSERT_TRUE(error.empty()) << error;
    // The LCD window paints its ground colour while the analyzer is away: the glass around it
    // is the same.
    const keyemu::Rgb ground = keyemu::kLiveColours[0];
    for (int y = kLcdWindow.y - 1; y < kLcdWindow.bottom() + 1; ++y)
        for (int x = kLcdWindow.x - 1; x < kLcdWindow.right() + 1; ++x)
            ASSERT_EQ(front.at(x, y), (Rgba{ground.red, ground.green, ground.blue, 255})) << x << ", " << y;

    const auto& keys = keyemu::kKeyTable;
    for (size_t i = 0; i < keys.size(); ++i) {
        const Rect window = keyWindow(GetParam(), keys[i]);
        EXPECT_GE(window.x, 0) << keys[i].id;
        EXPECT_LE(window.right(), front.width()) << keys[i].id;
        EXPECT_GE(window.y, kLcdWindow.bottom()) << keys[i].id;
        EXPECT_LE(window.bottom(), front.height()) << keys[i].id;
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(overlap(window, keyWindow(GetParam(), keys[j]))) << keys[i].id << ", " << keys[j].id;
    }
}

INSTANTIATE_TEST_SUITE_P(Generations, KeyPanelArt, ::testing::Values(PanelFamily::X100, PanelFamily::X400));

TEST(KeyPanelArt, EachModelGetsTheFrontThatNamesIt) {
    for (const BoardInfo* board = boardsBegin(); board != boardsEnd(); ++board) {
        const auto artwork = keyemu::artworkFor(board->code);
        ASSERT_TRUE(artwork.has_value()) << board->code;
        bool found = false;
        for (const PanelFamily family : {PanelFamily::X100, PanelFamily::X400}) {
            if (artworkOf(family).background != artwork->background) continue;
            found = true;
            EXPECT_EQ(artworkOf(family).sprites, artwork->sprites);
            // "AN-2400" is named by "AN-1400/2400": its number after the dash or a slash.
            const std::string number = std::string(board->model.substr(board->model.find('-') + 1));
            const std::string label(modelLabel(family));
            EXPECT_TRUE(label.find("-" + number) != std::string::npos || label.find("/" + number) != std::string::npos)
                << board->model << " on " << label;
        }
        EXPECT_TRUE(found) << board->code;
    }
}

TEST(BitmapFonts, GlyphsAreWellFormedAndMissingOnesAreNamed) {
    for (const BitmapFont* font : {&smallFont(), &keyFont()}) {
        for (const Glyph& glyph : font->glyphs) {
            ASSERT_EQ(static_cast<int>(glyph.rows.size()), font->height) << glyph.character;
            for (const auto row : glyph.rows) {
                EXPECT_EQ(row.size(), glyph.rows[0].size()) << glyph.character;
                EXPECT_EQ(row.find_first_not_of("#."), std::string_view::npos) << glyph.character;
            }
        }
    }
    std::string error;
    EXPECT_EQ(textWidth(smallFont(), "AB", error), 11);
    EXPECT_EQ(textWidth(smallFont(), "Ab", error), -1);
    EXPECT_NE(error.find("'b'"), std::string::npos) << error;
    Image image(20, 10);
    EXPECT_FALSE(drawText(image, keyFont(), 0, 0, "1?", Rgba{1, 2, 3, 255}, error));
    EXPECT_EQ(image.at(3, 0), kTransparent);  // nothing drawn, not even the known "1"
}

}  // namespace
}  // namespace zv::art
