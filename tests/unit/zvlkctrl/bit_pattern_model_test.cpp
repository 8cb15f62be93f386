#include <gtest/gtest.h>

#include <string>

#include "zvlkctrl/core/bit_pattern_model.h"

namespace zv::ctrl {
namespace {

std::string shown(const BitPatternModel& m) {
    std::string s;
    for (int p = 0; p < m.bits(); ++p) s += m.charAt(p);
    return s;
}

void type(BitPatternModel& m, const char* text) {
    for (; *text; ++text) m.character(*text);
}

TEST(BitPattern, WidthsFourToNine) {
    BitPatternModel m;
    for (int bits = 4; bits <= 9; ++bits) {
        ASSERT_TRUE(m.configure(bits));
        EXPECT_EQ(shown(m), std::string(static_cast<size_t>(bits), 'x'));
    }
    m.setValue(0x1F, 0x05);
    for (int bad : {0, 3, 10, 32, -4}) {
        EXPECT_FALSE(m.configure(bad)) << bad;
        EXPECT_EQ(m.bits(), 9);
        EXPECT_EQ(m.mask(), 0x1Fu) << "a refused width keeps the value";
    }
}

TEST(BitPattern, ValueReadsBackExactlyAsSet) {
    BitPatternModel m;
    ASSERT_TRUE(m.configure(5));
    const struct { uint32_t mask, value; } cases[] = {
        {0, 0}, {0x1F, 0x15}, {0x10, 0x10}, {0x03, 0x0C}, {0xFFFFFFFF, 0x80000001}};
    for (const auto& c : cases) {
        m.setValue(c.mask, c.value);
        EXPECT_EQ(m.mask(), c.mask);
        EXPECT_EQ(m.value(), c.value);
    }
    m.setValue(0x03, 0x0E);  // value bits outside the mask show as don't-care
    EXPECT_EQ(shown(m), "01xxx");
    // Editing one bit leaves the others, also those beyond the width, as they were.
    m.setValue(0x300, 0x200);
    m.setCaret(0);
    type(m, "1");
    EXPECT_EQ(m.mask(), 0x301u);
    EXPECT_EQ(m.value(), 0x201u);
}

TEST(BitPatternDisplay, BitZeroLeftUnlessMostSignificantFirst) {
    BitPatternModel m;
    ASSERT_TRUE(m.configure(9));
    m.setCaret(0);
    type(m, "1");  // the leftmost cell
    EXPECT_EQ(m.mask(), 0x001u);
    EXPECT_EQ(m.value(), 0x001u);
    m.setValue(0x1F0, 0x0A0);
    EXPECT_EQ(shown(m), "xxxx01010");
    m.setMsbLeft(true);
    EXPECT_EQ(shown(m), "01010xxxx");
    m.setValue(0, 0);
    m.setCaret(0);
    type(m, "1");
    EXPECT_EQ(m.mask(), 0x100u);
}

TEST(BitPatternKeys, DigitsAndDontCareAdvanceAndLeaveAfterTheLastBit) {
    BitPatternModel m;
    ASSERT_TRUE(m.configure(4));
    EXPECT_TRUE(m.character('1').changed);
    EXPECT_TRUE(m.character('0').changed);
    EXPECT_TRUE(m.character('1').handled);
    KeyOutcome last = m.character('0');
    EXPECT_TRUE(last.leave);
    EXPECT_EQ(shown(m), "1010");
    for (char dc : {'x', 'X', ' ', '-'}) {
        m.setValue(0xF, 0xF);
        m.setCaret(1);
        EXPECT_TRUE(m.character(dc).changed) << dc;
        EXPECT_EQ(shown(m), "1x11") << dc;
        EXPECT_EQ(m.value(), 0xDu) << "a don't-care bit carries value 0";
    }
    for (char other : {'2', 'a', '*', '\t', '\r'}) EXPECT_FALSE(m.character(other).handled) << other;
    EXPECT_TRUE(m.key(EditKey::Enter).leave);
}

TEST(BitPatternKeys, CaretBackspaceDeleteAndClickCycle) {
    BitPatternModel m;
    ASSERT_TRUE(m.configure(6));
    m.setValue(0x3F, 0x3F);
    m.key(EditKey::End);
    EXPECT_EQ(m.caret(), 5);
    m.key(EditKey::Right);
    EXPECT_EQ(m.caret(), 5);
    m.key(EditKey::Delete);
    EXPECT_EQ(shown(m), "11111x");
    m.key(EditKey::Back);
    EXPECT_EQ(m.caret(), 4);
    EXPECT_EQ(shown(m), "1111xx");
    m.key(EditKey::Home);
    m.key(EditKey::Left);
    EXPECT_EQ(m.caret(), 0);
    m.key(EditKey::Back);  // at the first cell: that bit goes
    EXPECT_EQ(shown(m), "x111xx");
    EXPECT_TRUE(m.cycleAt(0));
    EXPECT_EQ(m.charAt(0), '0');
    m.cycleAt(0);
    EXPECT_EQ(m.charAt(0), '1');
    m.cycleAt(0);
    EXPECT_EQ(m.charAt(0), 'x');
    EXPECT_FALSE(m.cycleAt(6));
    EXPECT_FALSE(m.cycleAt(-1));
}

TEST(BitPatternKeys, CopiedTextPastesBackAndSpacesOnlySeparate) {
    BitPatternModel m;
    ASSERT_TRUE(m.configure(9));
    m.setValue(0x1A5, 0x0A1);
    EXPECT_EQ(m.text(), "1x0xx1x10");
    BitPatternModel other;
    ASSERT_TRUE(other.configure(9));
    EXPECT_TRUE(other.paste(m.text()));
    EXPECT_EQ(other.mask(), 0x1A5u);
    EXPECT_EQ(other.value(), 0x0A1u);
    ASSERT_TRUE(other.configure(4));
    EXPECT_TRUE(other.paste("1 0\t1 1 0 0"));
    EXPECT_EQ(other.text(), "1011") << "spaces skipped, typing stops after the last bit";
}

}  // namespace
}  // namespace zv::ctrl
