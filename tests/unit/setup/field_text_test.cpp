// The setup pages' reading and showing of typed fields.
#include <gtest/gtest.h>

#include <climits>

#include "setup/field_text.h"

namespace zv {
namespace {

TEST(BaseFrequencyText, SuffixesScaleAndRoundDownByRange) {
    EXPECT_EQ(parseBaseFrequency("1.25M"), 12500000u);
    EXPECT_EQ(parseBaseFrequency("600k"), 6000000u);
    EXPECT_EQ(parseBaseFrequency("400000"), 4000000u);
    EXPECT_EQ(parseBaseFrequency(" 1.5 m "), 15000000u) << "spaces around and a small suffix";
    EXPECT_EQ(parseBaseFrequency("654321"), 6543000u) << "below 1 MHz: down to 100 Hz";
    EXPECT_EQ(parseBaseFrequency("1.23456M"), 12340000u) << "from 1 MHz on: down to 1 kHz";
    EXPECT_EQ(parseBaseFrequency("1e6"), 10000000u);
    EXPECT_EQ(parseBaseFrequency(".5M"), 5000000u);
}

TEST(BaseFrequencyText, DecimalFractionsAreExact) {
    // Binary floating point puts these a hair below the typed value, which the rounding down
    // would then turn into the next lower step.
    EXPECT_EQ(parseBaseFrequency("2.01M"), 20100000u);
    EXPECT_EQ(parseBaseFrequency("8.12M"), 81200000u);
    EXPECT_EQ(parseBaseFrequency("4.1M"), 41000000u);
    EXPECT_EQ(parseLinBitRate("4.02k", 4000), 40200u);
}

TEST(BaseFrequencyText, LimitsAndUnreadableTexts) {
    EXPECT_EQ(parseBaseFrequency("100k"), kBaseFrequencyMinimum);
    EXPECT_EQ(parseBaseFrequency("13M"), kBaseFrequencyMaximum);
    EXPECT_EQ(parseBaseFrequency("99999999999999999999999M"), kBaseFrequencyMaximum);
    EXPECT_EQ(parseBaseFrequency("1e400"), kBaseFrequencyMaximum);
    for (const char* text : {"", "abc", "M", "-1M", "1.5x", "1.5 M x", "1.5kk", "1,5M", "inf"})
        EXPECT_EQ(parseBaseFrequency(text), kBaseFrequencyMinimum) << '"' << text << '"';
}

TEST(BaseFrequencyText, ShownTexts) {
    EXPECT_EQ(formatBaseFrequency(12500000), "1.25M");
    EXPECT_EQ(formatBaseFrequency(10000000), "1M");
    EXPECT_EQ(formatBaseFrequency(12345678), "1.234M");
    EXPECT_EQ(formatBaseFrequency(9999999), "999900");
    EXPECT_EQ(formatBaseFrequency(2499999), "250000");
    EXPECT_EQ(formatBaseFrequency(120000001), "12M");
    // Every entry of the page's list reads and shows as itself.
    for (const char* entry : {"400000", "600000", "1M", "1.2M", "1.5M", "3M", "6M", "12M"})
        EXPECT_EQ(formatBaseFrequency(parseBaseFrequency(entry)), entry);
    EXPECT_EQ(formatBaseFrequency(parseBaseFrequency("100k")), "250000");
}

TEST(BaseFrequencyText, StoredValueOutsideTheRangeOpensAsTheMinimum) {
    EXPECT_EQ(baseFrequencyOnOpen(0), kBaseFrequencyMinimum);
    EXPECT_EQ(baseFrequencyOnOpen(120000001), kBaseFrequencyMinimum);
    EXPECT_EQ(baseFrequencyOnOpen(120000000), 120000000u);
    EXPECT_EQ(baseFrequencyOnOpen(2500001), 2500001u);
}

TEST(LinBitRateText, ReadingRaisesLimitsAndRounds) {
    EXPECT_EQ(parseLinBitRate("19.2k", 4000), 192000u);
    EXPECT_EQ(parseLinBitRate("30000", 4000), 260000u);
    EXPECT_EQ(parseLinBitRate("100", 16000), 16000u) << "minimum of the AN-x100 models";
    EXPECT_EQ(parseLinBitRate("100", 4000), 4000u);
    EXPECT_EQ(parseLinBitRate("0", 4000), 4000u);
    EXPECT_EQ(parseLinBitRate("400.5", 4000), 4005u) << "not rounded below 1000 bit/s";
    EXPECT_EQ(parseLinBitRate("1234.5", 4000), 12340u);
    EXPECT_EQ(parseLinBitRate("12345.6", 4000), 123400u);
    for (const char* text : {"", "fast", "-9600", "9600 baud"})
        EXPECT_EQ(parseLinBitRate(text, 16000), kLinBitRateDefault) << '"' << text << '"';
}

TEST(LinBitRateText, ShownTexts) {
    EXPECT_EQ(formatLinBitRate(96000, 4000), "9600");
    EXPECT_EQ(formatLinBitRate(192000, 4000), "19200");
    EXPECT_EQ(formatLinBitRate(4000, 4000), "400");
    EXPECT_EQ(formatLinBitRate(4005, 4000), "400.5");
    EXPECT_EQ(formatLinBitRate(260001, 4000), "26000");
    EXPECT_EQ(formatLinBitRate(1000, 16000), "1600") << "below the minimum shows the minimum";
    for (const char* entry : {"2400", "9600", "19200"})
        EXPECT_EQ(formatLinBitRate(parseLinBitRate(entry, 16000), 16000), entry);
    EXPECT_EQ(linBitRateOnRefresh(15999, 16000), kLinBitRateDefault);
    EXPECT_EQ(linBitRateOnRefresh(260001, 4000), kLinBitRateDefault);
    EXPECT_EQ(linBitRateOnRefresh(4000, 4000), 4000u);
}

TEST(BitRateDisplay, EachRangeShowsItsDigits) {
    EXPECT_EQ(formatBitRate(1250000), "125k");
    EXPECT_EQ(formatBitRate(1333333), "133.3k");
    EXPECT_EQ(formatBitRate(333333), "33330");
    EXPECT_EQ(formatBitRate(10000000), "1M");
    EXPECT_EQ(formatBitRate(10000001), "------");
    EXPECT_EQ(formatBitRate(1000000), "100k");
    EXPECT_EQ(formatBitRate(99999), "9999");
    EXPECT_EQ(formatBitRate(4005), "400.5");
    EXPECT_EQ(formatBitRate(4000), "400");
    EXPECT_EQ(formatBitRate(0), "0");
}

TEST(BitTimingClamp, RangesFollowEachOtherInOrder) {
    EXPECT_EQ(clampBitTiming({8, 8, 8, 4}), (BitTiming{8, 8, 8, 4}));
    EXPECT_EQ(clampBitTiming({8, 8, 1, 1}), (BitTiming{8, 8, 2, 1})) << "pbs2 from 2";
    EXPECT_EQ(clampBitTiming({8, 8, 8, 8}), (BitTiming{8, 8, 8, 4})) << "sjw at most 4";
    EXPECT_EQ(clampBitTiming({8, 2, 8, 4}), (BitTiming{8, 2, 2, 2})) << "lowering pbs1 pulls pbs2 and sjw";
    EXPECT_EQ(clampBitTiming({2, 2, 3, 1}), (BitTiming{2, 3, 3, 1})) << "pts 2 raises pbs1";
    EXPECT_EQ(clampBitTiming({1, 3, 2, 1}), (BitTiming{1, 3, 3, 1})) << "short segments raise pbs2";
    EXPECT_EQ(clampBitTiming({0, 9, 9, 0}), (BitTiming{1, 8, 8, 1}));
    EXPECT_EQ(clampBitTiming({9, 0, 0, 9}), (BitTiming{8, 2, 2, 2}));
}

TEST(EditNumbers, ReadAsTheCLibraryReadsThem) {
    EXPECT_EQ(readDecimal(" -12ab"), -12);
    EXPECT_EQ(readDecimal("+7"), 7);
    EXPECT_EQ(readDecimal("abc"), std::nullopt);
    EXPECT_EQ(readDecimal(""), std::nullopt);
    EXPECT_EQ(readDecimal("-"), std::nullopt);
    EXPECT_EQ(readHexadecimal("12ab"), 0x12AB);
    EXPECT_EQ(readHexadecimal("0x1F"), 0x1F);
    EXPECT_EQ(readHexadecimal("0xg"), 0) << "the 0 before a lone x";
    EXPECT_EQ(readHexadecimal("g1"), std::nullopt);
    EXPECT_EQ(readDecimal("99999999999999999999999"), LONG_MAX);
    EXPECT_EQ(readDecimal("-99999999999999999999999"), LONG_MIN);
    EXPECT_EQ(readHexadecimal("FFFFFFFFFFFFFFFFFFFF"), LONG_MAX);
    EXPECT_EQ(decimalOrZero("none"), 0);
}

TEST(EditNumbers, HexadecimalEditsAndByteFields) {
    EXPECT_TRUE(hexEditAccepts("7fF"));
    EXPECT_TRUE(hexEditAccepts(""));
    EXPECT_FALSE(hexEditAccepts("0x1"));
    EXPECT_FALSE(hexEditAccepts(" 1"));
    EXPECT_EQ(readHexBytes(" 01 2  ff ", 8), (std::vector<uint8_t>{0x01, 0x02, 0xFF}));
    EXPECT_EQ(readHexBytes("", 8), std::vector<uint8_t>{});
    EXPECT_EQ(readHexBytes("1 2 3 4 5 6 7 8 9", 8), std::nullopt);
    EXPECT_EQ(readHexBytes("123", 8), std::nullopt);
    EXPECT_EQ(readHexBytes("0g", 8), std::nullopt);
    EXPECT_EQ(readHexBytes("01,02", 8), std::nullopt);
    const uint8_t bytes[] = {0x01, 0xAB, 0x00};
    EXPECT_EQ(formatHexBytes(bytes, 3), "01 AB 00");
    EXPECT_EQ(formatHexBytes(bytes, 0), "");
}

TEST(CanTransmitFields, IdentifierFollowsTheFrameType) {
    EXPECT_EQ(clampCanIdentifier(0x800, 0), 0x7FFu);
    EXPECT_EQ(clampCanIdentifier(0x800, 2), 0x7FFu);
    EXPECT_EQ(clampCanIdentifier(0x800, 1), 0x800u);
    EXPECT_EQ(clampCanIdentifier(LONG_MAX, 3), 0x1FFFFFFFu);
    EXPECT_EQ(clampCanIdentifier(-1, 3), 0u);
    EXPECT_EQ(formatCanIdentifier(0x1A, 0), "01A");
    EXPECT_EQ(formatCanIdentifier(0x1A, 3), "0000001A");
    EXPECT_EQ(formatCanIdentifier(0x1FFFFFFF, 1), "1FFFFFFF");
    EXPECT_EQ(canIdentifierRangeText(2), "(0 - 7FF)");
    EXPECT_EQ(canIdentifierRangeText(1), "(0 - 1FFFFFFF)");
}

TEST(EditLimits, ClampToTheFieldsRanges) {
    EXPECT_EQ(clampDataLength(-1), 0);
    EXPECT_EQ(clampDataLength(9), 8);
    EXPECT_EQ(clampTransmitField4(-1), 0u);
    EXPECT_EQ(clampTransmitField4(100000), 99999u);
    EXPECT_EQ(clampTransmitField8(0), 1u);
    EXPECT_EQ(clampFrameTimeout(0), 1u);
    EXPECT_EQ(clampFrameTimeout(LONG_MAX), 99999u);
    EXPECT_EQ(frameTimeoutOnRefresh(0), 6u);
    EXPECT_EQ(frameTimeoutOnRefresh(100000), 6u);
    EXPECT_EQ(frameTimeoutOnRefresh(99999), 99999u);
    EXPECT_EQ(clampVariationFirst(-1), 0);
    EXPECT_EQ(clampVariationFirst(1000000), 999999);
    EXPECT_EQ(clampVariationSecond(-40000), -32768);
    EXPECT_EQ(clampVariationSecond(70000), 65535);
}

TEST(LinFields, IdentifierTexts) {
    EXPECT_EQ(formatLinIdentifier(0x05), "05");
    EXPECT_EQ(formatLinIdentifier(0x3C), "3C");
    EXPECT_EQ(linIdRowLabel(0, 0), "ID00:");
    EXPECT_EQ(linIdRowLabel(2, 10), "ID2A:");
    EXPECT_EQ(linIdRowLabel(3, 15), "ID3F:");
}

TEST(TimerFields, DayHourMinuteAndPeriod) {
    EXPECT_EQ(clampTimerDay(0), 1);
    EXPECT_EQ(clampTimerDay(32), 31);
    EXPECT_EQ(clampTimerHour(-1), 0);
    EXPECT_EQ(clampTimerHour(24), 23);
    EXPECT_EQ(clampTimerMinute(75), 59);
    EXPECT_EQ(timerPeriodFromEntry(1), 1);
    EXPECT_EQ(timerPeriodFromEntry(2), 2);
    EXPECT_EQ(timerPeriodFromEntry(3), 0);
    EXPECT_EQ(timerPeriodFromEntry(-1), 0);
}

TEST(ProtocolCombo, LinEntryOnlyWhereTheBoardHasLin) {
    EXPECT_EQ(protocolEntry(0, false), 0);
    EXPECT_EQ(protocolEntry(1, false), 1);
    EXPECT_EQ(protocolEntry(2, false), -1) << "no selection";
    EXPECT_EQ(protocolEntry(2, true), 2);
    EXPECT_EQ(protocolEntry(7, true), 2);
}

}  // namespace
}  // namespace zv
