#include "conversion/rate_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace zv {
namespace {

struct RateCase {
    uint32_t value;
    const char* text;
};

TEST(FrequencyText, EveryRange) {
    const RateCase cases[] = {
        {0, "--"},
        {5, "0.5"},
        {24005, "2400.5"},
        {99999, "9999.9"},
        {96000, "9600"},       // a multiple of 10 below 100,000 has no decimal
        {192000, "19200"},
        {100005, "10000"},     // from 100,000 on the tenth is dropped
        {999999, "99999"},
        {1000000, "100k"},
        {1234567, "123.4k"},
        {2500000, "250k"},
        {9999999, "999.9k"},
        {10000000, "1M"},
        {15000000, "1.5M"},
        {12345678, "1.234M"},
        {99999999, "9.999M"},
        {100000000, "10M"},
        {105000000, "10.5M"},
        {160000000, "16M"},
        {123456789, "12.34M"},
        {999999999, "99.99M"},
        // 100 MHz and more would need a fifth digit: three before the point instead.
        {1000000000, "100M"},
        {1005000000, "100.5M"},
        {1234567890, "123.4M"},
        {4294967295u, "429.4M"},
    };
    for (const RateCase& c : cases) EXPECT_EQ(frequencyText(c.value), c.text) << c.value;
}

TEST(BitRateText, EveryRangeRounded) {
    const RateCase cases[] = {
        {0, "--"},
        {4, "0"},
        {5, "1"},
        {96000, "9600"},
        {99994, "9999"},
        {99995, "10000"},
        {100000, "10k"},
        {125000, "12.5k"},
        {333333, "33.33k"},
        {500000, "50k"},
        {833333, "83.33k"},
        {999949, "99.99k"},
        // Rounding carries into a fifth digit: the next range's text.
        {999950, "100k"},
        {999999, "100k"},
        {1000000, "100k"},
        {1250000, "125k"},
        {8333333, "833.3k"},
        {9999499, "999.9k"},
        {9999500, "1M"},
        {9999999, "1M"},
        {10000000, "1M"},
    };
    for (const RateCase& c : cases) EXPECT_EQ(bitRateText(c.value), c.text) << c.value;
}

// A CanChannel record: size, bitRateCode at 4, baseFrequency at 8, pts, pbs1, pbs2, sjw at 12-15.
std::array<uint8_t, 32> canChannel(uint8_t code, uint32_t baseFrequency, uint8_t pts, uint8_t pbs1, uint8_t pbs2) {
    std::array<uint8_t, 32> r{};
    r[0] = 32;
    r[4] = code;
    r[8] = static_cast<uint8_t>(baseFrequency);
    r[9] = static_cast<uint8_t>(baseFrequency >> 8);
    r[10] = static_cast<uint8_t>(baseFrequency >> 16);
    r[11] = static_cast<uint8_t>(baseFrequency >> 24);
    r[12] = pts;
    r[13] = pbs1;
    r[14] = pbs2;
    r[15] = 1;
    return r;
}

TEST(CanChannelBitRate, PresetsAndTiming) {
    const char* presets[] = {"33.3k", "50k", "83.3k", "100k", "125k", "250k", "500k", "1M"};
    const uint32_t rates[] = {333333, 500000, 833333, 1000000, 1250000, 2500000, 5000000, 10000000};
    for (uint8_t code = 1; code <= 8; ++code) {
        const auto r = canChannel(code, 0, 0, 0, 0);  // the timing is ignored for presets
        EXPECT_EQ(canChannelBitRateText(r.data()), presets[code - 1]);
        EXPECT_EQ(canChannelBitRate(r.data()), rates[code - 1]);
    }
    // 16 MHz over 16 time quanta: 1 Mbit/s.
    EXPECT_EQ(canChannelBitRate(canChannel(0, 160000000, 5, 5, 5).data()), 10000000u);
    EXPECT_EQ(canChannelBitRateText(canChannel(0, 160000000, 5, 5, 5).data()), "1M");
    // Codes of 9 and more compute like 0: the defaults give 125k.
    EXPECT_EQ(canChannelBitRateText(canChannel(9, 15000000, 5, 3, 3).data()), "125k");
    // Above 1 Mbit/s the text is dashes.
    EXPECT_EQ(canChannelBitRateText(canChannel(0, 120000000, 1, 1, 1).data()), "------");
    EXPECT_EQ(canChannelBitRateText(canChannel(0, 0, 0, 0, 0).data()), "--");
}

}  // namespace
}  // namespace zv
