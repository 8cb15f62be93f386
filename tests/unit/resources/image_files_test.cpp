// The bitmap and icon encoders of the art generator, byte by byte from the file formats.
#include "image_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/bytes.h"

namespace zv::art {
namespace {

constexpr Rgba kRed{200, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 200, 255};

TEST(PaletteBitmap, HeadersPaletteAndBottomUpPaddedRows) {
    // 3 x 2: top row transparent, red, blue; bottom row blue, blue, red.
    Image image(3, 2);
    image.set(0, 0, kTransparent);
    image.set(1, 0, kRed);
    image.set(2, 0, kBlue);
    image.set(0, 1, kBlue);
    image.set(1, 1, kBlue);
    image.set(2, 1, kRed);
    const std::vector<uint8_t> bmp = encodePaletteBitmap(image);
    // 14 + 40 header bytes, three palette entries, two rows of 3 pixels padded to 4.
    ASSERT_EQ(bmp.size(), 14u + 40u + 12u + 8u);
    const uint8_t* p = bmp.data();
    EXPECT_EQ(p[0], 'B');
    EXPECT_EQ(p[1], 'M');
    EXPECT_EQ(getU32(p, 2), bmp.size());
    EXPECT_EQ(getU32(p, 6), 0u);
    EXPECT_EQ(getU32(p, 10), 66u);
    EXPECT_EQ(getU32(p, 14), 40u);
    EXPECT_EQ(getI32(p, 18), 3);
    EXPECT_EQ(getI32(p, 22), 2);  // positive: bottom-up
    EXPECT_EQ(getU16(p, 26), 1u);
    EXPECT_EQ(getU16(p, 28), 8u);
    EXPECT_EQ(getU32(p, 30), 0u);
    EXPECT_EQ(getU32(p, 34), 8u);
    EXPECT_EQ(getU32(p, 46), 3u);
    // Palette entries are blue, green, red, 0: the face grey first, then by first appearance.
    const std::vector<uint8_t> palette(p + 54, p + 66);
    EXPECT_EQ(palette, (std::vector<uint8_t>{192, 192, 192, 0, 0, 0, 200, 0, 200, 0, 0, 0}));
    const std::vector<uint8_t> pixels(p + 66, p + 74);
    EXPECT_EQ(pixels, (std::vector<uint8_t>{2, 2, 1, 0, 0, 1, 2, 0}));
}

TEST(PaletteBitmap, RefusesWhatTheToolbarWouldShowWrongly) {
    Image grey(1, 1);
    grey.set(0, 0, kToolbarFace);  // would turn transparent on the button face
    EXPECT_TRUE(encodePaletteBitmap(grey).empty());

    Image halfTransparent(1, 1);
    halfTransparent.set(0, 0, Rgba{10, 20, 30, 128});
    EXPECT_TRUE(encodePaletteBitmap(halfTransparent).empty());

    EXPECT_TRUE(encodePaletteBitmap(Image{}).empty());

    // 255 colours besides the face grey fit, one more does not.
    Image many(256, 1);
    for (int x = 0; x < 255; ++x) many.set(x, 0, Rgba{static_cast<uint8_t>(x), 1, 2, 255});
    many.set(255, 0, kTransparent);
    EXPECT_FALSE(encodePaletteBitmap(many).empty());
    many.set(255, 0, Rgba{3, 4, 5, 255});
    EXPECT_TRUE(encodePaletteBitmap(many).empty());
}

TEST(SixteenColourBitmap, GivenPaletteNibblesAndPaddedRows) {
    // 9 x 2: nine pixels take five bytes, padded to eight; the left pixel is the high nibble.
    Image image(9, 2);
    for (int x = 0; x < 9; ++x) {
        image.set(x, 0, x == 8 ? kBlue : kRed);
        image.set(x, 1, x % 2 == 0 ? kBlue : kRed);
    }
    const std::vector<Rgba> palette{kBlue, kRed};
    const std::vector<uint8_t> bmp = encodeSixteenColourBitmap(image, palette);
    ASSERT_EQ(bmp.size(), 14u + 40u + 64u + 16u);
    const uint8_t* p = bmp.data();
    EXPECT_EQ(getU32(p, 10), 118u);
    EXPECT_EQ(getU16(p, 28), 4u);
    EXPECT_EQ(getU32(p, 34), 16u);
    EXPECT_EQ(getU32(p, 46), 16u);
    // Blue, red, then black to the sixteenth entry.
    EXPECT_EQ(std::vector<uint8_t>(p + 54, p + 62), (std::vector<uint8_t>{200, 0, 0, 0, 0, 0, 200, 0}));
    EXPECT_EQ(std::vector<uint8_t>(p + 114, p + 118), (std::vector<uint8_t>{0, 0, 0, 0}));
    const std::vector<uint8_t> bottom(p + 118, p + 126), top(p + 126, p + 134);
    EXPECT_EQ(bottom, (std::vector<uint8_t>{0x01, 0x01, 0x01, 0x01, 0x00, 0, 0, 0}));
    EXPECT_EQ(top, (std::vector<uint8_t>{0x11, 0x11, 0x11, 0x11, 0x00, 0, 0, 0}));

    // A colour outside the palette, or a palette of seventeen, cannot be written.
    EXPECT_TRUE(encodeSixteenColourBitmap(image, {kRed}).empty());
    EXPECT_TRUE(encodeSixteenColourBitmap(image, std::vector<Rgba>(17, kRed)).empty());
}

TEST(IconFile, DirectoryImagesAndMasks) {
    Image small(16, 16), large(32, 32);
    small.set(1, 0, kRed);  // top row: (0, 0) stays transparent
    large.set(31, 31, Rgba{1, 2, 3, 200});
    const std::vector<uint8_t> ico = encodeIcon({small, large});
    const size_t smallBytes = 40 + 16 * 16 * 4 + 4 * 16;  // mask rows padded to 4 bytes
    const size_t largeBytes = 40 + 32 * 32 * 4 + 4 * 32;
    ASSERT_EQ(ico.size(), 6u + 2u * 16u + smallBytes + largeBytes);
    const uint8_t* p = ico.data();
    EXPECT_EQ(getU16(p, 0), 0u);
    EXPECT_EQ(getU16(p, 2), 1u);
    EXPECT_EQ(getU16(p, 4), 2u);
    const uint8_t* e0 = p + 6;
    const uint8_t* e1 = p + 22;
    EXPECT_EQ(e0[0], 16);
    EXPECT_EQ(e0[1], 16);
    EXPECT_EQ(getU16(e0, 6), 32u);
    EXPECT_EQ(getU32(e0, 8), smallBytes);
    EXPECT_EQ(getU32(e0, 12), 38u);
    EXPECT_EQ(e1[0], 32);
    EXPECT_EQ(getU32(e1, 8), largeBytes);
    EXPECT_EQ(getU32(e1, 12), 38u + smallBytes);

    const uint8_t* s = p + 38;
    EXPECT_EQ(getU32(s, 0), 40u);
    EXPECT_EQ(getI32(s, 4), 16);
    EXPECT_EQ(getI32(s, 8), 32);  // colour and mask rows together
    EXPECT_EQ(getU16(s, 14), 32u);
    // The top row is stored last. Pixel (1, 0): blue, green, red, alpha.
    const uint8_t* topRow = s + 40 + 15 * 16 * 4;
    EXPECT_EQ(std::vector<uint8_t>(topRow + 4, topRow + 8), (std::vector<uint8_t>{0, 0, 200, 255}));
    const uint8_t* mask = s + 40 + 16 * 16 * 4;
    const uint8_t* topMaskRow = mask + 15 * 4;
    EXPECT_EQ(topMaskRow[0], 0xBF);  // every pixel of the row transparent but x = 1
    EXPECT_EQ(topMaskRow[1], 0xFF);
    EXPECT_EQ(topMaskRow[2], 0x00);  // padding
    EXPECT_EQ(mask[0], 0xFF);        // bottom row, all transparent

    // Large: (31, 31) is the last pixel of the first stored row, with its alpha kept.
    const uint8_t* l = p + 38 + smallBytes;
    EXPECT_EQ(std::vector<uint8_t>(l + 40 + 31 * 4, l + 40 + 32 * 4), (std::vector<uint8_t>{3, 2, 1, 200}));
    const uint8_t* largeMask = l + 40 + 32 * 32 * 4;
    EXPECT_EQ(largeMask[3], 0xFE);
}

TEST(IconFile, RefusesNoImagesAndOversizedOnes) {
    EXPECT_TRUE(encodeIcon({}).empty());
    EXPECT_TRUE(encodeIcon({Image{}}).empty());
    EXPECT_TRUE(encodeIcon({Image(257, 16)}).empty());
    const auto big = encodeIcon({Image(256, 256)});
    ASSERT_FALSE(big.empty());
    EXPECT_EQ(big[6], 0);  // 256 is written as 0
}

}  // namespace
}  // namespace zv::art
