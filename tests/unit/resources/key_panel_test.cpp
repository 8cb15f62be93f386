// The key-emulation panel artwork: sizes and colours the program relies on, a picture for
// every key in each of its states, and key windows that fit the front around the LCD.
#include "key_panel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap_font.h"
#include "image_files.h"

namespace zv::art {
namespace {

constexpr Rgba kLcdGround{0x9c, 0xce, 0x6a, 255};

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
    EXPECT_EQ(front.width(), kPanelWidth);
    EXPECT_EQ(front.height(), kPanelHeight);
    EXPECT_EQ(sheet.width(), sheetWidth(GetParam()));
    EXPECT_EQ(sheet.height(), sheetHeight(GetParam()));
    EXPECT_FALSE(encodeSixteenColourBitmap(front, panelPalette(GetParam())).empty());
    EXPECT_FALSE(encodeSixteenColourBitmap(sheet, panelPalette(GetParam())).empty());
}

TEST_P(KeyPanelArt, EveryKeyLooksDifferentUpDownAndLatched) {
    std::string error;
    const Image sheet = keySpriteSheet(GetParam(), error);
    ASSERT_TRUE(error.empty()) << error;
    const int w = sheet.width() / kSpriteColumns, h = sheet.height() / kSpriteRows;
    const auto& keys = panelKeys();
    ASSERT_EQ(keys.size(), 36u);
    for (size_t i = 0; i < keys.size(); ++i) {
        const PanelKey& k = keys[i];
        EXPECT_FALSE(sameCell(sheet, w, h, k.column, k.row, k.column, k.row + kDownRows)) << "key " << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(sameCell(sheet, w, h, k.column, k.row, keys[j].column, keys[j].row)) << i << " = " << j;
    }
    // Shift, first in the table, shows its lamp lit in the latched column, up and down.
    const PanelKey& shift = keys[0];
    for (const int row : {shift.row, shift.row + kDownRows})
        EXPECT_FALSE(sameCell(sheet, w, h, shift.column, row, shift.column + kLatchedColumns, row)) << row;
}

TEST_P(KeyPanelArt, KeyWindowsFitTheFrontBelowThePlainLcd) {
    std::string error;
    const Image front = panelBackground(GetParam(), error);
    ASSERT_TRUE(error.empty()) << error;
    // The LCD window paints this ground while the analyzer is away: the glass matches it.
    for (int y = kLcdWindow.y - 1; y < kLcdWindow.bottom() + 1; ++y)
        for (int x = kLcdWindow.x - 1; x < kLcdWindow.right() + 1; ++x)
            ASSERT_EQ(front.at(x, y), kLcdGround) << x << ", " << y;

    const auto& keys = panelKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        const Rect window = keyWindow(GetParam(), keys[i]);
        EXPECT_GE(window.x, 0) << i;
        EXPECT_LE(window.right(), kPanelWidth) << i;
        EXPECT_GE(window.y, kLcdWindow.bottom()) << i;
        EXPECT_LE(window.bottom(), kPanelHeight) << i;
        for (size_t j = 0; j < i; ++j) EXPECT_FALSE(overlap(window, keyWindow(GetParam(), keys[j]))) << i << ", " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Families, KeyPanelArt, ::testing::Values(PanelFamily::An1, PanelFamily::An2));

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
