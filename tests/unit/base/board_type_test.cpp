#include <gtest/gtest.h>

#include "base/board_type.h"

namespace zv {
namespace {

TEST(BoardType, EightSupportedBoardsInTwoFamilies) {
    int canOnly = 0, dual = 0;
    for (const BoardInfo* b = boardsBegin(); b != boardsEnd(); ++b) {
        (b->layout == SetupLayout::CanOnly ? canOnly : dual)++;
        EXPECT_EQ(b->linAvailable, b->layout == SetupLayout::DualProtocol) << b->code;
    }
    EXPECT_EQ(canOnly, 3);
    EXPECT_EQ(dual, 5);
    EXPECT_TRUE(isCanOnlyBoard(65556));
    EXPECT_TRUE(isDualProtocolBoard(65570));
    for (BoardType unsupported : {0u, 65537u, 65540u, 65553u, 65557u, 73761u, 73764u})
        EXPECT_FALSE(isSupportedBoard(unsupported)) << unsupported;
    EXPECT_EQ(findBoard(73763)->text, "AN-2400 + EX-NB3BP");
    EXPECT_EQ(findBoard(65571)->model, "AN-2100");
    EXPECT_EQ(findBoard(73762)->analogInputs, 1);
    EXPECT_EQ(findBoard(65572)->exBoardCode, 8u);
}

TEST(BoardType, CodesParseAsDecimalOrHexadecimal) {
    EXPECT_EQ(parseBoardCode("73763"), 73763u);
    EXPECT_EQ(parseBoardCode("0x12023"), 73763u);
    EXPECT_EQ(parseBoardCode("0X10013"), 65555u);
    EXPECT_FALSE(parseBoardCode(""));
    EXPECT_FALSE(parseBoardCode("0x"));
    EXPECT_FALSE(parseBoardCode("12a"));
    EXPECT_FALSE(parseBoardCode("-5"));
    EXPECT_FALSE(parseBoardCode("99999999999"));
}

}  // namespace
}  // namespace zv
