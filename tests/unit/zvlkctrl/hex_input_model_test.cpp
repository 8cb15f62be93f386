#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "zvlkctrl/core/hex_input_model.h"

namespace zv::ctrl {
namespace {

std::string shown(const HexInputModel& m) {
    std::string s;
    for (size_t i = 0; i < m.cellCount(); ++i) {
        const HexCellView v = m.view(i);
        if (i) s += ' ';
        s += v.text[0];
        s += v.text[1];
    }
    return s;
}

void type(HexInputModel& m, const char* text) {
    for (; *text; ++text) m.character(*text);
}

TEST(HexInput, OnlyKinds1_5_6_8AreAccepted) {
    HexInputModel m;
    const struct { int kind; size_t cells; } good[] = {{1, 1}, {5, 2}, {6, 2}, {8, 8}};
    for (const auto& g : good) {
        ASSERT_TRUE(m.configure(g.kind)) << g.kind;
        EXPECT_EQ(m.cellCount(), g.cells) << g.kind;
        EXPECT_EQ(m.enteredByteCount(), 0u) << "a new kind starts empty";
    }
    const uint8_t bytes[] = {1, 2, 3};
    m.setBytes(bytes, 3);
    for (int bad : {0, 2, 3, 4, 7, 9, 16, -1, 0x7FFFFFFF}) {
        EXPECT_FALSE(m.configure(bad)) << bad;
        EXPECT_EQ(m.kind(), 8);
        EXPECT_EQ(m.enteredByteCount(), 3u) << "a refused kind keeps the content";
    }
}

TEST(HexInput, PatternCellsReadBackExactlyAsSet) {
    HexInputModel m;
    ASSERT_TRUE(m.configure(8));
    // Full byte, don't-care low digit, partial mask with a value bit outside it, any byte,
    // references 1 and 3, the end marker 4 and the initial end marker 0xFF.
    const uint8_t in[32] = {0xFF, 0x12, 0, 0, 0xF0, 0x30, 0, 0, 0x3C, 0x81, 0, 0, 0, 0, 0, 0,
                            0, 1, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xAA, 0xBB};
    m.setCells(in, 8);
    EXPECT_TRUE(m.patternMode());
    EXPECT_EQ(shown(m), "12 3x ?? xx P1 P3 -- --");
    uint8_t out[32];
    std::memset(out, 0xEE, sizeof out);
    m.getCells(out, 8);
    uint8_t expected[32];
    std::memcpy(expected, in, sizeof in);
    expected[30] = expected[31] = 0;  // the two reserved bytes of a cell are written as 0
    EXPECT_EQ(0, std::memcmp(out, expected, sizeof out));

    // Fewer cells given: the rest are empty; fewer asked for: nothing written past them.
    m.setCells(in, 2);
    EXPECT_EQ(shown(m), "12 3x -- -- -- -- -- --");
    std::memset(out, 0xEE, sizeof out);
    m.getCells(out, 1);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0x12);
    EXPECT_EQ(out[4], 0xEE);
}

TEST(HexInput, ByteSequenceWithNoBytesHoldsNoValue) {
    HexInputModel m;
    ASSERT_TRUE(m.configure(1));
    uint8_t b = 0x5A;
    m.setBytes(&b, 1);
    uint8_t out = 0;
    EXPECT_EQ(m.getBytes(&out, 1), 1u);
    EXPECT_EQ(out, 0x5A);
    m.setBytes(&b, 0);
    out = 0x77;
    EXPECT_EQ(m.getBytes(&out, 1), 0u);
    EXPECT_EQ(out, 0x77) << "nothing written for an empty control";
    EXPECT_EQ(shown(m), "--");
    m.setBytes(nullptr, 1);
    EXPECT_EQ(m.getBytes(&out, 1), 0u);
}

TEST(HexInput, ByteSequenceEndsAtTheLastFilledByteAndRespectsCapacity) {
    HexInputModel m;
    ASSERT_TRUE(m.configure(8));
    const uint8_t bytes[10] = {0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3, 4, 5, 6};
    m.setBytes(bytes, 10);  // more than the control holds
    EXPECT_EQ(m.enteredByteCount(), 8u);
    m.setBytes(bytes, 4);
    EXPECT_EQ(shown(m), "DE AD BE EF -- -- -- --");
    // Empty the second byte by hand: it reads as 0 inside the sequence.
    m.setCaret(2);
    m.key(EditKey::Delete);
    uint8_t out[8] = {};
    EXPECT_EQ(m.getBytes(out, 8), 4u);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[3], 0xEF);
    // A smaller buffer gets only what fits, and the result says how much was written.
    uint8_t small[2] = {};
    EXPECT_EQ(m.getBytes(small, 2), 2u);
    EXPECT_EQ(small[0], 0xDE);
    EXPECT_EQ(m.getBytes(nullptr, 8), 0u);
}

TEST(HexInput, TwoPartFieldsHoldTwoBytes) {
    for (int kind : {5, 6}) {
        HexInputModel m;
        ASSERT_TRUE(m.configure(kind));
        int32_t a = -1, b = -1;
        EXPECT_EQ(m.getPair(a, b), 0);
        EXPECT_EQ(a, 0);
        EXPECT_EQ(b, 0);
        m.setPair(0x12, 0xFF);
        EXPECT_EQ(shown(m), "12 FF");
        EXPECT_EQ(m.getPair(a, b), 2);
        EXPECT_EQ(a, 0x12);
        EXPECT_EQ(b, 0xFF);
        m.setPair(256, 0);  // out of range leaves that part empty
        EXPECT_EQ(shown(m), "-- 00");
        EXPECT_EQ(m.getPair(a, b), 1);
        EXPECT_EQ(a, 0);
        m.setPair(-1, 7);
        EXPECT_EQ(shown(m), "-- 07");
    }
}

TEST(HexInput, TypingDigitsFillsBytesAndLeavesAtTheEnd) {
    HexInputModel m;
    ASSERT_TRUE(m.configure(5));
    EXPECT_FALSE(m.character('x').handled) << "no don't-care outside a pattern";
    EXPECT_FALSE(m.character('g').handled);
    KeyOutcome o = m.character('a');
    EXPECT_TRUE(o.changed);
    EXPECT_EQ(shown(m), "A0 --") << "a digit typed into an empty byte gives the other digit 0";
    type(m, "B3");
    EXPECT_EQ(m.caret(), 3u);
    o = m.character('4');
    EXPECT_TRUE(o.leave) << "typing the last digit moves on";
    EXPECT_EQ(m.caret(), 3u);
    EXPECT_EQ(shown(m), "AB 34");
    o = m.character('4');
    EXPECT_FALSE(o.changed) << "the same digit again is no change";
    EXPECT_TRUE(m.key(EditKey::Enter).leave);
}

TEST(HexInput, PatternModeTypesDontCareAnyAndReferences) {
    HexInputModel m;
    ASSERT_TRUE(m.configure(8));
    uint8_t cells[32] = {};
    for (int i = 0; i < 8; ++i) cells[i * 4 + 1] = 0xFF;  // the initial pattern: all ending
    m.setCells(cells, 8);
    type(m, "3");
    EXPECT_EQ(m.cell(0), (HexCell{0xF0, 0x30})) << "the untyped digit stays don't-care";
    type(m, "x");
    EXPECT_EQ(m.cell(0), (HexCell{0xF0, 0x30}));
    type(m, "7x");  // byte 1: "7x"
    m.setCaret(2);
    type(m, "x");  // byte 1 high digit: nothing significant left = any byte
    EXPECT_EQ(m.cell(1), (HexCell{0, 0}));
    m.setCaret(4);
    type(m, "*");
    EXPECT_EQ(m.cell(2), (HexCell{0, 0}));
    EXPECT_EQ(m.caret(), 6u);
    type(m, "p");
    EXPECT_EQ(m.cell(3).reference(), 1);
    type(m, "pp");
    EXPECT_EQ(m.cell(3).reference(), 3);
    type(m, "P");
    EXPECT_EQ(m.cell(3).reference(), 1);
    type(m, "-");
    EXPECT_TRUE(m.cell(3).isEmpty());
    EXPECT_EQ(shown(m), "3x xx xx -- -- -- -- --");
    // A partly significant digit typed over becomes a whole digit again.
    const uint8_t partial[4] = {0x3C, 0x81, 0, 0};
    m.setCells(partial, 1);
    m.setCaret(0);
    type(m, "5");
    EXPECT_EQ(m.cell(0), (HexCell{0xFC, 0x50}));
}

TEST(HexInput, BackspaceAndDeleteEmptyWholeBytes) {
    HexInputModel m;
    ASSERT_TRUE(m.configure(8));
    type(m, "1234");
    EXPECT_EQ(m.caret(), 4u);
    m.key(EditKey::Back);  // on a high digit: the byte before goes
    EXPECT_EQ(shown(m), "12 -- -- -- -- -- -- --");
    EXPECT_EQ(m.caret(), 2u);
    m.key(EditKey::Back);
    EXPECT_EQ(m.caret(), 0u);
    EXPECT_EQ(shown(m), "-- -- -- -- -- -- -- --");
    EXPECT_FALSE(m.key(EditKey::Back).changed) << "nothing before the first byte";
    type(m, "AB");
    m.key(EditKey::Left);  // low digit of byte 0
    EXPECT_TRUE(m.key(EditKey::Back).changed);
    EXPECT_EQ(m.caret(), 0u);
    type(m, "CD");
    m.key(EditKey::Home);
    EXPECT_TRUE(m.key(EditKey::Delete).changed);
    EXPECT_EQ(m.caret(), 0u) << "delete keeps the caret";
    EXPECT_EQ(m.enteredByteCount(), 0u);
}

TEST(HexInput, CaretStaysInsideTheDigits) {
    HexInputModel m;
    ASSERT_TRUE(m.configure(1));
    m.key(EditKey::Left);
    EXPECT_EQ(m.caret(), 0u);
    m.key(EditKey::End);
    EXPECT_EQ(m.caret(), 1u);
    m.key(EditKey::Right);
    EXPECT_EQ(m.caret(), 1u);
    m.setCaret(99);
    EXPECT_EQ(m.caret(), 1u);
    ASSERT_TRUE(m.configure(8));
    EXPECT_EQ(m.caret(), 0u);
    m.key(EditKey::End);
    EXPECT_EQ(m.caret(), 15u);
}

TEST(HexInputClipboard, CopiedTextPastesBackTheSameValue) {
    HexInputModel source;
    ASSERT_TRUE(source.configure(8));
    const uint8_t in[32] = {0xFF, 0x12, 0, 0, 0xF0, 0x30, 0, 0, 0x0F, 0x05, 0, 0, 0, 0, 0, 0,
                            0, 2, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xC4, 0, 0, 0, 0xFF, 0, 0};
    source.setCells(in, 8);
    EXPECT_EQ(source.text(), "12 3x x5 xx P2 -- C4 --");
    HexInputModel target;
    ASSERT_TRUE(target.configure(8));
    uint8_t empty[32] = {};
    target.setCells(empty, 8);  // any byte everywhere, pattern mode
    EXPECT_TRUE(target.paste(source.text()));
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(target.cell(i), source.cell(i)) << i;
}

TEST(HexInputClipboard, PastedBytesSkipSeparatorsAndStopAtTheEnd) {
    HexInputModel m;
    ASSERT_TRUE(m.configure(8));
    EXPECT_TRUE(m.paste("0x12, 0X3a:4C\r\n 5 6 7 8 9 a b c"));
    EXPECT_EQ(shown(m), "12 3A 4C 56 78 9A BC --") << "the last byte had no digits left";
    EXPECT_FALSE(m.paste("xyz")) << "no pattern characters outside a pattern";
    m.setCaret(14);
    EXPECT_TRUE(m.paste("0102030405"));
    EXPECT_EQ(shown(m), "12 3A 4C 56 78 9A BC 01") << "typing stops at the last digit";
    ASSERT_TRUE(m.configure(1));
    EXPECT_TRUE(m.paste("7"));
    EXPECT_TRUE(m.paste("--"));
    EXPECT_FALSE(m.paste("--"));
    EXPECT_EQ(shown(m), "--");
}

}  // namespace
}  // namespace zv::ctrl
