// The LCD picture and its exports, with the expected bytes taken from the documented layouts.
#include "keyemu/lcd_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "base/bytes.h"

namespace zv::keyemu {
namespace {

using Bytes = std::vector<uint8_t>;
using Screen = std::array<uint8_t, kScreenImageSize>;

void setDot(Screen& s, int r, int c) { s[static_cast<size_t>(r) * 30 + static_cast<size_t>(c / 8)] |= 0x80 >> (c % 8); }

LcdPicture showing(const Screen& s) {
    LcdPicture p;
    p.show(s.data(), s.size());
    return p;
}

// The non-zero bytes of the pixel buffer by (row, byte).
std::map<std::pair<int, int>, int> marks(const LcdPicture& p) {
    std::map<std::pair<int, int>, int> m;
    for (size_t i = 0; i < kLcdPictureBytes; ++i)
        if (p.pixels()[i]) m[{static_cast<int>(i / 244), static_cast<int>(i % 244)}] = p.pixels()[i];
    return m;
}

Bytes exported(const LcdPicture& p, ExportFormat f) {
    Bytes b(exportSize(f), 0xCC);
    EXPECT_EQ(p.exportPicture(f, b.data(), b.size()), f == ExportFormat::Mono || f == ExportFormat::MonoFramed ? 48u : 56u);
    return b;
}

// Export pixels at (x, y), y from the top; rows are stored bottom-up.
int monoPixel(const Bytes& b, int x, int y) { return (b[48 + static_cast<size_t>(79 - y) * 32 + static_cast<size_t>(x / 8)] >> (7 - x % 8)) & 1; }
int colourPixel(const Bytes& b, int x, int y) {
    const uint8_t v = b[56 + static_cast<size_t>(79 - y) * 128 + static_cast<size_t>(x / 2)];
    return x % 2 == 0 ? v >> 4 : v & 0x0F;
}

TEST(LcdPicture, DotsAreTwoByTwoBlocksWithAShadowTwoPixelsRightAndDown) {
    Screen s{};
    setDot(s, 0, 0);
    LcdPicture p = showing(s);
    using M = std::map<std::pair<int, int>, int>;
    EXPECT_EQ(marks(p), (M{{{0, 0}, 0x22}, {{1, 0}, 0x22}, {{2, 1}, 0x11}, {{3, 1}, 0x11}}));

    // The last dot casts onto the last pixels of the buffer (x 480-481, y 128-129).
    s = {};
    setDot(s, 63, 239);
    p.show(s.data(), s.size());
    EXPECT_EQ(marks(p), (M{{{126, 239}, 0x22}, {{127, 239}, 0x22}, {{128, 240}, 0x11}, {{129, 240}, 0x11}}));

    // A diagonal neighbour lies on the shadow (index 3); side by side and one above the other
    // the dots keep clear of each other's shadow.
    s = {};
    setDot(s, 10, 20);
    setDot(s, 11, 21);
    setDot(s, 30, 50);
    setDot(s, 30, 51);
    setDot(s, 31, 50);
    p.show(s.data(), s.size());
    const M m = marks(p);
    EXPECT_EQ(m.at({22, 21}), 0x33);
    EXPECT_EQ(m.at({23, 21}), 0x33);
    EXPECT_EQ(m.at({60, 51}), 0x22);
    EXPECT_EQ(m.at({62, 50}), 0x22);

    // An all-zero screen after a picture clears it.
    p.show(Screen{}.data(), kScreenImageSize);
    EXPECT_TRUE(marks(p).empty());
}

TEST(LcdPicture, ATruncatedImageIsPaddedAndALongerOneCut) {
    // Exactly one byte: reading further would run past the allocation.
    const Bytes one = {0xFF};
    LcdPicture p;
    p.show(one.data(), one.size());
    std::set<std::pair<int, int>> dots;
    for (const auto& [at, v] : marks(p))
        if (v & 0x22) dots.insert(at);
    EXPECT_EQ(dots.size(), 16u);  // 8 dots, two rows each
    EXPECT_TRUE(dots.count({1, 7}) && !dots.count({0, 8}));
    p.show(nullptr, 1920);
    EXPECT_TRUE(marks(p).empty());
    Bytes longer(kScreenImageSize + 30, 0);
    longer[kScreenImageSize] = 0xFF;
    p.show(longer.data(), longer.size());
    EXPECT_TRUE(marks(p).empty());
}

TEST(LcdPicture, PaintHeaderIsAVersion4TopDownHeaderWithTheLiveColours) {
    std::array<uint8_t, 172> want{};
    const std::map<size_t, uint8_t> set = {
        {0, 108}, {4, 0xE2}, {5, 0x01},                              // size, width 482
        {8, 0x7E}, {9, 0xFF}, {10, 0xFF}, {11, 0xFF},                // height -130
        {12, 1}, {14, 4}, {32, 4},                                   // planes, bits, colours used
        {108, 0x6A}, {109, 0xCE}, {110, 0x9C},                       // ground
        {112, 0x55}, {113, 0xA5}, {114, 0x6B},                       // shadow
        {116, 0x23}, {117, 0x45}, {118, 0x34},                       // dot
        {120, 0x23}, {121, 0x45}, {122, 0x34}};                      // dot over shadow
    for (const auto& [at, v] : set) want[at] = v;
    EXPECT_EQ(LcdPicture().paintHeader(), want);
}

TEST(LcdExport, SizeQueriesAndHeaders) {
    const LcdPicture p;
    for (const auto& [f, size, offset] : {std::tuple{ExportFormat::Mono, 2608u, 48u}, {ExportFormat::MonoFramed, 2608u, 48u},
                                          {ExportFormat::Colour, 10296u, 56u}, {ExportFormat::ColourFramed, 10296u, 56u}}) {
        EXPECT_EQ(p.exportPicture(f, nullptr, 100000), size);
        Bytes small(size - 1, 0xCC);
        EXPECT_EQ(p.exportPicture(f, small.data(), small.size()), size);
        EXPECT_EQ(small, Bytes(size - 1, 0xCC));  // untouched
        Bytes large(size + 40, 0xCC);
        EXPECT_EQ(p.exportPicture(f, large.data(), large.size()), offset);
        EXPECT_EQ(Bytes(large.begin() + static_cast<std::ptrdiff_t>(size), large.end()), Bytes(40, 0));  // the whole buffer cleared
    }
    const Bytes mono = exported(p, ExportFormat::Mono);
    const Bytes monoHeader = {40, 0, 0, 0, 0, 1, 0, 0, 80, 0, 0, 0, 1, 0, 1, 0, 0, 0,    0,    0,    0, 0x0A, 0, 0,
                              0xD8, 0x0E, 0, 0, 0xD8, 0x0E, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(mono.begin(), mono.begin() + 48), monoHeader);
    const Bytes colour = exported(p, ExportFormat::Colour);
    const Bytes colourHeader = {40,   0,    0,    0, 0,    1,    0,    0, 80,   0,    0,    0, 1,    0,
                                4,    0,    0,    0, 0,    0,    0,    0x28, 0, 0, 0xD8, 0x0E, 0, 0,
                                0xD8, 0x0E, 0,    0, 4,    0,    0,    0, 0,    0,    0,    0, 0x6A, 0xCE,
                                0x9C, 0,    0x55, 0xA5, 0x6B, 0, 0x23, 0x45, 0x34, 0, 0xF2, 0xED, 0xED, 0};
    EXPECT_EQ(Bytes(colour.begin(), colour.begin() + 56), colourHeader);
}

TEST(LcdExport, MonochromeDotsAndFrame) {
    Screen s;
    s.fill(0xFF);
    const Bytes dark = exported(showing(s), ExportFormat::Mono);
    for (size_t row = 0; row < 80; ++row)
        for (size_t b = 0; b < 32; ++b)
            ASSERT_EQ(dark[48 + row * 32 + b], row >= 8 && row <= 71 && b >= 1 && b <= 30 ? 0xFF : 0) << row << " " << b;

    // A shadow is white.
    s = {};
    setDot(s, 0, 0);
    const Bytes one = exported(showing(s), ExportFormat::Mono);
    EXPECT_EQ(one[48 + 71 * 32 + 1], 0x80);
    EXPECT_EQ(std::count_if(one.begin() + 48, one.end(), [](uint8_t v) { return v != 0; }), 1);

    // The frame: columns 6 and 249, rows 6 and 73, one white pixel off the LCD.
    const Bytes framed = exported(showing(Screen{}), ExportFormat::MonoFramed);
    int black = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 256; ++x) black += monoPixel(framed, x, y);
    EXPECT_EQ(black, 2 * 244 + 2 * 68 - 4);
    for (const auto& [x, y] : {std::pair{6, 6}, {249, 6}, {6, 73}, {249, 73}}) EXPECT_EQ(monoPixel(framed, x, y), 1) << x << "," << y;
    for (const auto& [x, y] : {std::pair{5, 6}, {6, 5}, {7, 7}, {248, 72}, {250, 73}, {249, 74}})
        EXPECT_EQ(monoPixel(framed, x, y), 0) << x << "," << y;
}

TEST(LcdExport, ColourDotsShadowsAndRecessedFrame) {
    Screen s{};
    setDot(s, 0, 0);
    setDot(s, 1, 1);  // on the first dot's shadow: dot colour, not index 3
    const Bytes c = exported(showing(s), ExportFormat::Colour);
    EXPECT_EQ(colourPixel(c, 8, 8), 2);
    EXPECT_EQ(colourPixel(c, 9, 9), 2);
    EXPECT_EQ(colourPixel(c, 10, 10), 1);
    EXPECT_EQ(c[56 + 71 * 128 + 4], 0x20);
    EXPECT_EQ(c[56 + 70 * 128 + 4], 0x02);
    EXPECT_EQ(c[56 + 69 * 128 + 5], 0x10);
    EXPECT_EQ(std::count_if(c.begin() + 56, c.end(), [](uint8_t v) { return v != 0; }), 3);

    const Bytes framed = exported(showing(s), ExportFormat::ColourFramed);
    std::map<int, int> counts;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 256; ++x) ++counts[colourPixel(framed, x, y)];
    // Surround, line and shadow rings around a 246 x 70 picture area holding three marks.
    EXPECT_EQ(counts, (std::map<int, int>{{0, 17220 - 3}, {1, 957 + 1}, {2, 975 + 2}, {3, 1328}}));
    const int corners[][3] = {{0, 0, 3},   {1, 1, 3},     {2, 2, 2},     {3, 3, 2},     {4, 4, 1},    {5, 5, 1},
                              {6, 6, 0},   {251, 75, 0},  {252, 75, 1},  {253, 75, 2},  {254, 75, 3}, {252, 76, 1},
                              {253, 76, 2}, {4, 76, 1},   {3, 76, 2},    {2, 77, 2},    {253, 77, 2}, {254, 77, 3},
                              {2, 78, 3},  {255, 79, 3},  {253, 2, 2},   {254, 2, 3},   {252, 4, 1},  {253, 4, 2},
                              {5, 6, 1},   {6, 5, 1},     {8, 8, 2}};
    for (const auto& [x, y, want] : corners) EXPECT_EQ(colourPixel(framed, x, y), want) << x << "," << y;
}

TEST(LcdExport, BitmapFilesAndImageModes) {
    const LcdPicture p = showing(Screen{});
    for (const auto& [f, size, offset] : {std::tuple{ExportFormat::Mono, 2622u, 62u}, {ExportFormat::ColourFramed, 10310u, 70u}}) {
        const Bytes file = bitmapFile(p, f);
        ASSERT_EQ(file.size(), size);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(getU32(file.data(), 2), size);
        EXPECT_EQ(getU32(file.data(), 6), 0u);
        EXPECT_EQ(getU32(file.data(), 10), offset);
        EXPECT_EQ(Bytes(file.begin() + 14, file.end()), exported(p, f));
    }
    EXPECT_EQ(exportFormatForImageMode(0), ExportFormat::Mono);
    EXPECT_EQ(exportFormatForImageMode(1), ExportFormat::MonoFramed);
    EXPECT_EQ(exportFormatForImageMode(2), ExportFormat::ColourFramed);
    EXPECT_EQ(exportFormatForImageMode(3), ExportFormat::Mono);
    EXPECT_EQ(exportFormatForImageMode(-1), ExportFormat::Mono);
}

TEST(ScreenshotName, ASecondSaveInTheSameSecondGetsItsOwnName) {
    std::set<std::string> taken;
    const auto exists = [&](const std::string& n) { return taken.count(n) != 0; };
    EXPECT_EQ(screenshotName({2026, 1, 2, 3, 4, 5}, exists), "ZV20260102030405.bmp");
    const LocalTime t{2026, 12, 8, 15, 30, 12};
    EXPECT_EQ(screenshotName(t, exists), "ZV20261208153012.bmp");
    taken.insert("ZV20261208153012.bmp");
    EXPECT_EQ(screenshotName(t, exists), "ZV20261208153012_2.bmp");
    taken.insert("ZV20261208153012_2.bmp");
    EXPECT_EQ(screenshotName(t, exists), "ZV20261208153012_3.bmp");
    EXPECT_EQ(screenshotName(t, [](const std::string&) { return true; }), "");
}

}  // namespace
}  // namespace zv::keyemu
