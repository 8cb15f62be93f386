// The drawings of the program's pictures: well formed, each toolbar image drawn and told
// apart from the others, every picture encodable.
#include "pictures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_files.h"

namespace zv::art {
namespace {

Image cell(const Image& strip, int index) {
    Image out(kToolbarImageWidth, kToolbarImageHeight);
    for (int y = 0; y < kToolbarImageHeight; ++y)
        for (int x = 0; x < kToolbarImageWidth; ++x) out.set(x, y, strip.at(index * kToolbarImageWidth + x, y));
    return out;
}

int opaquePixels(const Image& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.at(x, y).a != 0 ? 1 : 0;
    return n;
}

bool samePixels(const Image& a, const Image& b) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!(a.at(x, y) == b.at(x, y))) return false;
    return true;
}

TEST(TextPictures, RowsOfOtherLengthsAndUnknownColoursAreNamed) {
    const std::vector<LegendEntry> legend{{'.', kTransparent}, {'r', {255, 0, 0, 255}}};
    std::string error;
    const Image ok = fromText({"r.", ".r"}, legend, error);
    EXPECT_TRUE(error.empty());
    ASSERT_EQ(ok.width(), 2);
    EXPECT_EQ(ok.at(0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(ok.at(1, 0), kTransparent);

    EXPECT_EQ(fromText({"r.", "r"}, legend, error).width(), 0);
    EXPECT_NE(error.find("row 1"), std::string::npos) << error;
    EXPECT_EQ(fromText({"r.", ".x"}, legend, error).width(), 0);
    EXPECT_NE(error.find("column 1"), std::string::npos) << error;
}

TEST(ProgramPictures, MainToolbarHasTwentyDistinctDrawnImages) {
    std::string error;
    const Image strip = mainToolbar(error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_EQ(strip.width(), kMainToolbarImages * kToolbarImageWidth);
    ASSERT_EQ(strip.height(), kToolbarImageHeight);
    for (int i = 0; i < kMainToolbarImages; ++i) {
        EXPECT_GT(opaquePixels(cell(strip, i)), 20) << "image " << i;
        for (int j = 0; j < i; ++j) EXPECT_FALSE(samePixels(cell(strip, i), cell(strip, j))) << i << " = " << j;
    }
    EXPECT_FALSE(encodePaletteBitmap(strip).empty());
}

TEST(ProgramPictures, SetupToolbarDrawsTheImagesItsButtonsUse) {
    std::string error;
    const Image strip = setupToolbar(error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_EQ(strip.width(), kSetupToolbarImages * kToolbarImageWidth);
    // Receive, send, open and save of the setup editor; the LCD picture modes, copy and
    // "main window" of key emulation.
    for (const int used : {8, 9, 10, 11, 12, 13, 14, 16, 18}) EXPECT_GT(opaquePixels(cell(strip, used)), 20) << used;
    EXPECT_FALSE(samePixels(cell(strip, 11), cell(strip, 12)));
    EXPECT_FALSE(encodePaletteBitmap(strip).empty());
}

TEST(ProgramPictures, IconsHaveSmallAndLargeImages) {
    for (const bool keys : {false, true}) {
        std::string error;
        const auto sizes = keys ? keyEmulationIcon(error) : programIcon(error);
        ASSERT_TRUE(error.empty()) << error;
        ASSERT_EQ(sizes.size(), 2u);
        EXPECT_EQ(sizes[0].width(), 16);
        EXPECT_EQ(sizes[1].width(), 32);
        EXPECT_FALSE(encodeIcon(sizes).empty());
    }
}

}  // namespace
}  // namespace zv::art
