#include <gtest/gtest.h>

#include "expected_images.h"
#include "setup/setup_areas.h"
#include "setup/setup_rules.h"

namespace zv {
namespace {

TEST(CanBitRate, PresetsAndTimingAgreeOnTheDefault) {
    SetupImage image;
    image.initDefaults(73763);
    uint8_t* channel = image.data() + 28;
    EXPECT_EQ(canBitRate(channel), 1250000u);
    channel[4] = 0;  // custom: from the timing
    EXPECT_EQ(canBitRate(channel), 1250000u);
}

TEST(CanBitRate, PresetTableAndCustomCodes) {
    const uint32_t presets[] = {333333, 500000, 833333, 1000000, 1250000, 2500000, 5000000, 10000000};
    uint8_t c[32] = {};
    c[8] = 0x00;
    c[9] = 0x5A;
    c[10] = 0x62;
    c[11] = 0x02;  // baseFrequency 40,000,000 (4 MHz)
    c[12] = 8;
    c[13] = 8;
    c[14] = 3;     // 8 + 8 + 3 + 1 = 20 quanta
    for (uint8_t code = 1; code <= 8; ++code) {
        c[4] = code;
        EXPECT_EQ(canBitRate(c), presets[code - 1]) << int(code);
    }
    for (uint8_t code : {uint8_t(0), uint8_t(9), uint8_t(200)}) {
        c[4] = code;
        EXPECT_EQ(canBitRate(c), 2000000u) << int(code);
    }
}

TEST(CanBitTiming, RangesFollowTheTimingRules) {
    EXPECT_EQ(pbs1Range(2).minimum, 3);
    EXPECT_EQ(pbs1Range(1).minimum, 3);
    EXPECT_EQ(pbs1Range(3).minimum, 2);
    EXPECT_EQ(pbs1Range(8).maximum, 8);
    EXPECT_EQ(pbs2Range(5, 3).minimum, 2);
    EXPECT_EQ(pbs2Range(5, 3).maximum, 3);
    EXPECT_EQ(pbs2Range(1, 3).minimum, 3);  // 5 - 1 - 3 >= 0: 7 - 1 - 3
    EXPECT_EQ(sjwRange(8).maximum, 4);
    EXPECT_EQ(sjwRange(3).maximum, 3);
}

TEST(LinBitRate, MinimumDependsOnTheModel) {
    EXPECT_EQ(linBitRateMinimum("AN-1100"), 16000u);
    EXPECT_EQ(linBitRateMinimum("AN-2100"), 16000u);
    EXPECT_EQ(linBitRateMinimum("AN-6100"), 16000u);
    EXPECT_EQ(linBitRateMinimum("AN-2400"), 4000u);
    EXPECT_EQ(linBitRateMinimum(""), 4000u);
    EXPECT_EQ(kLinBitRateMaximum, 260000u);
}

TEST(LinFrameTimeout, AutomaticValue) {
    EXPECT_EQ(automaticLinFrameTimeoutMs(96000), 6u);    // 9600 bit/s
    EXPECT_EQ(automaticLinFrameTimeoutMs(4000), 125u);   // 400 bit/s: 2500 us * 124 * 0.4
    EXPECT_EQ(automaticLinFrameTimeoutMs(260000), 2u);   // 26000 bit/s: 38 us * 124 * 0.4
    EXPECT_EQ(automaticLinFrameTimeoutMs(192000), 3u);   // 19200 bit/s: 52 us * 124 * 0.4
    EXPECT_EQ(automaticLinFrameTimeoutMs(5), 99999u) << "a rate below 1 bit/s must not divide by zero";
}

TEST(LinChecksum, ProtectedIdentifiers) {
    EXPECT_EQ(linProtectedId(0x00), 0x80);
    EXPECT_EQ(linProtectedId(0x01), 0xC1);
    EXPECT_EQ(linProtectedId(0x02), 0x42);
    EXPECT_EQ(linProtectedId(0x03), 0x03);
    EXPECT_EQ(linProtectedId(0x3C), 0x3C);
    EXPECT_EQ(linProtectedId(0x3D), 0x7D);
}

TEST(LinChecksum, ClassicEnhancedAndCarry) {
    const uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(linChecksum(0x3C, data, false), 0xDB);
    EXPECT_EQ(linChecksum(0x3C, data, true), 0x9F);  // 0x3C + 0x24
    const uint8_t carry[8] = {0x80, 0x80, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(linChecksum(0x00, carry, false), 0xFE);  // 0x100 folds to 0x01
    const uint8_t ones[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(linChecksum(0x00, ones, false), 0x00);
    EXPECT_EQ(linChecksum(0x01, ones, true), 0x3E);  // 0xC1 survives every folded add
}

TEST(LinChecksum, EntryTakesTheModeOfTheTransmitChannel) {
    SetupImage image;
    image.initDefaults(73763);
    uint8_t* lin = image.data() + 100;
    uint8_t entry[432] = {};
    entry[8] = 0x3C;
    for (int i = 0; i < 8; ++i) entry[16 + i] = uint8_t(i + 1);

    applyAutomaticLinChecksum(entry, lin);
    EXPECT_EQ(entry[9], 1);
    EXPECT_EQ(entry[10], 0xDB);

    lin[16] = 1;  // channel checksum enhanced
    applyAutomaticLinChecksum(entry, lin);
    EXPECT_EQ(entry[10], 0x9F);

    lin[8] = 1;   // identifier table decides: 0x3C classic there
    applyAutomaticLinChecksum(entry, lin);
    EXPECT_EQ(entry[10], 0xDB);
    lin[24 + 4 + 4 * 0x3C + 1] = 1;
    applyAutomaticLinChecksum(entry, lin);
    EXPECT_EQ(entry[10], 0x9F);
}

TEST(LinIdentifier, TypedValuesAreClamped) {
    EXPECT_EQ(clampLinIdentifier(0x40), 63);
    EXPECT_EQ(clampLinIdentifier(0x3F), 63);
    EXPECT_EQ(clampLinIdentifier(-1), 0);
    EXPECT_EQ(clampLinIdentifier(0x12), 0x12);
}

}  // namespace
}  // namespace zv
