// The CAN-only mapping: what an EX-NB2A board receives and what comes back from it.
#include <gtest/gtest.h>

#include <memory>

#include "expected_images.h"
#include "setup/setup_areas.h"

namespace zv {
namespace {

using test::Bytes;
using test::rd32;

struct Shared {
    size_t dual, canOnly, length;
};
// The fields both layouts share, as (dual offset, CAN-only offset, length), sizes excluded
// where the two layouts give a record different sizes.
const Shared kShared[] = {
    {4, 4, 8},        {16, 16, 2},    {28, 28, 64},   {676, 92, 16},  {696, 112, 4},
    {704, 120, 4},    {712, 128, 116}, {832, 244, 24}, {860, 272, 4},  {868, 280, 116},
    {988, 396, 24},   {1016, 424, 4}, {1024, 432, 116}, {1144, 548, 24}, {1172, 576, 4},
    {1180, 584, 116}, {1300, 700, 24}, {1324, 724, 24}, {1348, 748, 16}, {1364, 764, 4},
    {1368, 768, 24},  {1392, 792, 16}, {1416, 812, 16}, {1436, 832, 120}, {1568, 952, 4}, {1572, 956, 20},
    {1592, 976, 40},  {1632, 1016, 32},
};

// A working image whose every byte differs from its neighbours and from the defaults.
std::unique_ptr<SetupImage> patternedImage() {
    auto image = std::make_unique<SetupImage>();
    image->initDefaults(73763);
    for (size_t i = 0; i < image->bytes.size(); ++i) image->bytes[i] = uint8_t(i * 7 + 3);
    return image;
}

TEST(CanOnlyExport, DefaultsGiveTheCanOnlyImageWithItsConstants) {
    SetupImage image;
    image.initDefaults(65555);
    SetupImageCanOnly canOnly;
    canOnly.initDefaults(65555);
    exportToCanOnly(image, canOnly);

    Bytes expected = test::defaultSetupImageCanOnly();
    const uint8_t order[12] = {0, 2, 3, 5, 1, 4, 6, 7, 8, 9, 10, 11};
    std::memcpy(expected.data() + 816, order, 12);
    EXPECT_EQ(expected, Bytes(canOnly.bytes.begin(), canOnly.bytes.end()));
}

TEST(CanOnlyExport, CarriesEverySharedFieldAndKeepsCanOnlySizes) {
    auto image = patternedImage();
    auto canOnly = std::make_unique<SetupImageCanOnly>();
    canOnly->initDefaults(65555);
    const Bytes before(canOnly->bytes.begin(), canOnly->bytes.end());
    exportToCanOnly(*image, *canOnly);

    std::vector<bool> carried(1048, false);
    for (const Shared& s : kShared)
        for (size_t i = 0; i < s.length; ++i) {
            carried[s.canOnly + i] = true;
            const size_t at = s.canOnly + i;
            if (at == 9 || (at >= 816 && at < 828)) continue;  // constants
            ASSERT_EQ(canOnly->bytes[s.canOnly + i], image->bytes[s.dual + i]) << "CAN-only offset " << s.canOnly + i;
        }
    EXPECT_EQ(canOnly->bytes[9], 7) << "layoutCode";
    EXPECT_EQ(canOnly->bytes[19], 1) << "CAN channel block child count";
    EXPECT_EQ(canOnly->bytes[816], 0);
    EXPECT_EQ(canOnly->bytes[820], 1);
    EXPECT_EQ(canOnly->bytes[827], 11);
    for (size_t i = 0; i < 1048; ++i) {
        if (carried[i] || i == 19) continue;
        ASSERT_EQ(canOnly->bytes[i], before[i]) << "untouched offset " << i;
    }

    // Sizes that differ between the layouts stay the CAN-only ones, so the image parses.
    EXPECT_EQ(rd32(canOnly->data(), 124), 120u);
    EXPECT_EQ(rd32(canOnly->data(), 828), 124u);
}

TEST(CanOnlyExport, ExportedImageParsesAsACanOnlyImage) {
    SetupImage image;
    image.initDefaults(65555);
    image.bytes[28 + 4] = 8;
    SetupImageCanOnly canOnly;
    canOnly.initDefaults(65555);
    exportToCanOnly(image, canOnly);
    SetupImageCanOnly parsed;
    parsed.initDefaults(65555);
    ASSERT_EQ(parseSetupImageCanOnly(parsed, canOnly.data(), canOnly.kSize, 65555), 1048u);
    EXPECT_EQ(parsed, canOnly);
}

TEST(CanOnlyImport, RestoresSharedFieldsAndKeepsLinRecords) {
    auto original = patternedImage();
    auto canOnly = std::make_unique<SetupImageCanOnly>();
    canOnly->initDefaults(65555);
    exportToCanOnly(*original, *canOnly);

    auto working = std::make_unique<SetupImage>();
    working->initDefaults(65555);
    working->bytes[92 + 12] = 0x5C;     // LinChannel 1 (not carried)
    working->bytes[1414] = 1;           // BoardFeatures (not carried)
    working->bytes[1664 + 22] = 0x0A;   // LinSchedule (not carried)
    importFromCanOnly(*canOnly, *working);

    for (const Shared& s : kShared)
        for (size_t i = 0; i < s.length; ++i) {
            const size_t at = s.dual + i;
            if (at == 9 || (at >= 1420 && at < 1432)) continue;  // constants written by the export
            ASSERT_EQ(working->bytes[at], original->bytes[at]) << "dual offset " << at;
        }
    EXPECT_EQ(working->bytes[9], 7) << "the layout code comes back as it was received";
    EXPECT_EQ(working->bytes[92 + 12], 0x5C);
    EXPECT_EQ(working->bytes[1414], 1);
    EXPECT_EQ(working->bytes[1664 + 22], 0x0A);
    EXPECT_EQ(rd32(working->data(), 708), 124u) << "the dual pattern keeps its size";
    EXPECT_EQ(rd32(working->data(), 1432), 136u);
}

}  // namespace
}  // namespace zv
