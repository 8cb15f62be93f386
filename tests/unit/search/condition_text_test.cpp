#include "search/condition_text.h"

#include <gtest/gtest.h>

#include <random>

namespace zv {
namespace {

SearchCondition parsed(std::string_view text) {
    auto r = parseSearchCondition(text);
    if (const auto* e = std::get_if<ConditionTextError>(&r)) {
        ADD_FAILURE() << text << "\n" << describeConditionTextError(text, *e);
        return {};
    }
    return std::get<SearchCondition>(r);
}

ConditionTextError error(std::string_view text) {
    auto r = parseSearchCondition(text);
    if (const auto* e = std::get_if<ConditionTextError>(&r)) return *e;
    ADD_FAILURE() << "accepted: " << text;
    return {};
}

TEST(ConditionText, KindsAndTheirFields) {
    EXPECT_EQ(parsed("trigger"), SearchCondition{});

    SearchCondition c = parsed("lin-error=B,mark ch=2");
    EXPECT_EQ(c.kind, 1);
    EXPECT_EQ(c.linErrorFlags, 0x11);
    EXPECT_EQ(c.linErrorChannel, 2);

    c = parsed("frame ch=2 id=0x123 data=11 ?? 3x p2 0101xxxx - 7F p2=x5");
    EXPECT_EQ(c.kind, 2);
    EXPECT_EQ(c.frameChannel, 1);
    EXPECT_EQ(idPattern(c.frameIdPattern), (IdPattern{0x7FFu << 18, 0x123u << 18}));
    const std::array<DataPatternCell, 8> data = {{{0xFF, 0x11}, {0, 0}, {0xF0, 0x30}, {0, 2}, {0xF0, 0x50}, {0, 0xFF}, {0xFF, 0x7F}, {0, 0xFF}}};
    EXPECT_EQ(c.dataPattern, data);
    EXPECT_EQ(c.extraPatterns[1], (BitPatternCell{0x0F, 0x05}));

    // Identifiers as the list shows them: three digits standard, eight extended; x any digit.
    EXPECT_EQ(idPattern(parsed("remote id=0x18FEF1xx").remoteIdPattern), (IdPattern{0x1FFFFF00, 0x18FEF100}));
    EXPECT_EQ(idPattern(parsed("remote id=0x7x").remoteIdPattern), (IdPattern{0x7FFu << 18 & ~(0xFu << 18), 0x070u << 18}));
    EXPECT_EQ(idPattern(parsed("frame id=1xxx0101010").frameIdPattern), (IdPattern{0x47Fu << 18, 0x42Au << 18}));
    EXPECT_EQ(idPattern(parsed("frame id=1xxxx_00000000_00000000_0000000x").frameIdPattern), (IdPattern{0x10FFFFFE, 0x10000000}));

    c = parsed("time=12:3*");
    EXPECT_EQ(c.kind, 4);
    EXPECT_EQ(c.timeDigits, (std::array<uint8_t, 3>{0x12, 0x3F, 0xFF}));
    EXPECT_EQ(parsed("time").timeDigits, (std::array<uint8_t, 3>{}));
    c = parsed("EXT=1 mode=count dir=forward");
    EXPECT_EQ(c.kind, 5);
    EXPECT_EQ(c.extLevel, 1);
    EXPECT_EQ(c.countMode, 1);
    EXPECT_EQ(c.direction, 1);
    // Other pages' fields, qualified or by their kind's main value.
    c = parsed("frame data=?? remote.id=0x7FF remote.ch=2 time=00:01 lin-error.ch=both");
    EXPECT_EQ(c.kind, 2);
    EXPECT_EQ(c.remoteChannel, 1);
    EXPECT_EQ(c.timeDigits, (std::array<uint8_t, 3>{0x00, 0x01, 0xFF}));
}

TEST(ConditionText, ErrorsPointAtTheBadCharacter) {
    struct Case {
        const char* text;
        size_t position;
        const char* expected;
    };
    const Case cases[] = {
        {"", 0, "a kind"},
        {"  fram", 2, "a kind"},
        {"frame id=0x12g", 13, "a hexadecimal digit or x"},
        {"frame id=0x823", 11, "0-7 or x"},
        {"frame id=0x2FFFFFFF", 11, "0, 1 or x"},
        {"frame id=0x123456789", 19, "the end: at most 8"},
        {"frame id=1010", 13, "11 or 29 bits"},
        {"frame id=10102", 13, "0, 1, x or _"},
        {"frame data=11 2g", 15, "a hexadecimal digit or x"},
        {"frame data=11 123", 14, "a data byte"},
        {"frame data=1 2 3 4 5 6 7 8 9", 27, "at most eight"},
        {"frame data=", 11, "a data byte"},
        {"frame p1=p2", 9, "a hexadecimal digit or x"},
        {"frame p1=123", 9, "a byte"},
        {"frame ch=3", 9, "1 or 2"},
        {"frame 11", 6, "KEY=VALUE"},
        {"frame ch=1 ch=2", 11, "given twice"},
        {"frame errors=B", 6, "a key of frame"},
        {"frame remote.errors=B", 13, "a key of remote"},
        {"frame bogus.id=1", 6, "a kind before"},
        {"trigger=1", 7, "takes no value"},
        {"trigger frame", 8, "KEY=VALUE"},
        {"lin-error=B,X", 12, "an error box"},
        {"lin-error=", 10, "a value"},
        {"time=12:6", 9, "a digit or * of the seconds"},
        {"time=12-30", 7, "':'"},
        {"time=12:30.001", 13, "the end of the time"},
        {"ext=2", 4, "0 or 1"},
        {"ext mode=all", 9, "find or count"},
    };
    for (const Case& c : cases) {
        const ConditionTextError e = error(c.text);
        EXPECT_EQ(e.position, c.position) << c.text << ": " << e.expected;
        EXPECT_NE(e.expected.find(c.expected), std::string::npos) << c.text << ": " << e.expected;
    }
    EXPECT_EQ(describeConditionTextError("frame ch=3", {9, "1 or 2"}),
              "  frame ch=3\n           ^ at character 10: expected 1 or 2\n");
}

TEST(ConditionText, FormatThenParseGivesTheConditionBack) {
    // The texts of a few conditions, then many random ones.
    SearchCondition c = parsed("frame id=0x123 data=11 ?? 3x");
    EXPECT_EQ(formatSearchCondition(c), "frame id=0x123 data=11 ?? 3x");
    EXPECT_EQ(formatSearchCondition(SearchCondition{}), "trigger");
    EXPECT_EQ(formatSearchCondition(parsed("time")), "time=00:00.00");
    EXPECT_EQ(formatSearchCondition(parsed("ext remote.id=11xxxxxxxxx frame.p1=10x1xxxx")),
              "ext=0 frame.p1=10x1xxxx remote.id=11x_xxxx_xxxx");
    std::mt19937 random(14);
    const auto byte = [&random] { return static_cast<uint8_t>(random()); };
    for (int i = 0; i < 5000; ++i) {
        SearchCondition r;
        r.kind = byte();
        r.linErrorFlags = byte();
        r.frameChannel = byte() & 1;
        for (BitPatternCell& cell : r.frameIdPattern) cell = {static_cast<uint8_t>(random() % 3 == 0 ? 0xFF : byte()), byte()};
        for (DataPatternCell& cell : r.dataPattern) {
            const unsigned pick = random() % 4;
            cell = pick == 0 ? DataPatternCell{byte(), byte()} : pick == 1 ? DataPatternCell{0xF0, byte()} : DataPatternCell{0, static_cast<uint8_t>(byte() % 6)};
        }
        for (BitPatternCell& cell : r.extraPatterns) cell = {byte(), byte()};
        r.remoteChannel = byte() & 1;
        for (BitPatternCell& cell : r.remoteIdPattern) cell = {static_cast<uint8_t>(random() % 2 == 0 ? 0 : byte()), byte()};
        for (uint8_t& d : r.timeDigits) d = byte();
        r.extLevel = byte();
        r.countMode = byte();
        r.direction = byte();
        r.linErrorChannel = byte();
        const SearchCondition canonical = canonicalSearchCondition(r);
        const std::string text = formatSearchCondition(canonical);
        ASSERT_EQ(parsed(text), canonical) << text;
    }
}

}  // namespace
}  // namespace zv
