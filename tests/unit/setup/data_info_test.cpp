// The data-information block: what the PC writes into data files it makes itself, what it takes
// over from the analyzer, and what a data-file reader accepts.
#include <gtest/gtest.h>

#include "expected_images.h"
#include "setup/data_info.h"

namespace zv {
namespace {

using test::Bytes;
using test::rd32;
using test::u32;
using test::u8;

Bytes bytesOf(const DataInfoBlock& b) { return Bytes(b.bytes.begin(), b.bytes.begin() + b.size()); }

void conditionSummary(Bytes& b, size_t at) {
    u32(b, at, 72);
    u32(b, at + 16, 12);
    u32(b, at + 20, 1);
    u8(b, at + 24, 1);
    u32(b, at + 32, 12);
    u32(b, at + 36, 1);
    u8(b, at + 40, 1);
    u32(b, at + 48, 8);
    u32(b, at + 52, 1);
    u32(b, at + 60, 8);
    u32(b, at + 64, 1);
}

// An 812-byte block as an analyzer sends it.
Bytes analyzerBlock(uint8_t version, uint8_t mode, uint8_t layout) {
    Bytes b(812);
    u32(b, 0, 812);
    u32(b, 4, 716);
    u8(b, 10, version);
    u32(b, 12, 8);
    u8(b, 16, mode);
    u8(b, 17, layout);
    u32(b, 20, 8);
    u8(b, 26, 1);
    u32(b, 28, 660);
    test::canChannelGroup(b, 32);
    u8(b, 40 + 4, 6);           // CanChannel 1: 250k
    u32(b, 104, 584);
    u8(b, 111, 2);
    test::linChannel(b, 112);
    test::linChannel(b, 400);
    u32(b, 400 + 4, 192000);    // LinChannel 2: 19200 bit/s
    u8(b, 400 + 8, 1);          // ... with its identifier table
    u32(b, 688, 8);
    u32(b, 692, 4);
    u32(b, 696, 4);
    u32(b, 700, 20);
    u32(b, 704, 16);
    u8(b, 708, 1);
    u8(b, 709, 2);              // channel 2 is LIN
    u8(b, 716, 1);
    conditionSummary(b, 720);
    u32(b, 788, 4);
    u32(b, 792, 20);
    return b;
}

// A 204-byte block of a CAN-only analyzer.
Bytes canOnlyBlock(uint8_t version) {
    Bytes b(204);
    u32(b, 0, 204);
    u32(b, 4, 128);
    u8(b, 10, version);
    u32(b, 12, 8);
    u8(b, 17, 7);
    u32(b, 20, 4);
    u32(b, 24, 76);
    test::canChannelGroup(b, 28);
    u8(b, 36 + 4, 6);
    u8(b, 68 + 4, 8);
    u32(b, 100, 8);
    u32(b, 104, 4);
    u32(b, 108, 4);
    u32(b, 112, 20);
    u32(b, 116, 16);
    u8(b, 120, 1);
    u8(b, 121, 1);
    conditionSummary(b, 132);
    u32(b, 200, 4);
    return b;
}

TEST(DataInfoCompose, DualFormFromTheRules) {
    Bytes e(812);
    u32(e, 0, 812);
    u32(e, 4, 716);
    u32(e, 12, 8);
    u8(e, 16, 255);
    u8(e, 17, 255);
    u32(e, 20, 8);
    u8(e, 26, 1);
    u32(e, 28, 660);
    u32(e, 688, 8);
    u32(e, 696, 4);
    u32(e, 700, 20);
    conditionSummary(e, 720);
    u32(e, 792, 20);
    EXPECT_EQ(bytesOf(composeDataInfoBlock(73763)), e);
    u8(e, 26, 0);
    EXPECT_EQ(bytesOf(composeDataInfoBlock(65572)), e) << "no analog inputs on EX-NB2AP boards";
}

TEST(DataInfoCompose, CanOnlyFormFromTheRules) {
    Bytes e(204);
    u32(e, 0, 204);
    u32(e, 4, 128);
    u32(e, 12, 8);
    u8(e, 16, 255);
    u8(e, 17, 255);
    u32(e, 20, 4);
    u32(e, 24, 76);
    u32(e, 100, 8);
    u32(e, 108, 4);
    u32(e, 112, 20);
    conditionSummary(e, 132);
    EXPECT_EQ(bytesOf(composeDataInfoBlock(65556)), e);
}

TEST(DataInfoParse, AnalyzerCopyTakesChannelsAndProtocolForVersions32And33) {
    for (uint8_t version : {uint8_t(32), uint8_t(33)}) {
        const Bytes in = analyzerBlock(version, 0, 9);
        DataInfoBlock copy = composeDataInfoBlock(73763);
        ASSERT_EQ(parseDataInfoBlock(copy, in.data(), in.size(), 73763), 812u);
        EXPECT_EQ(bytesOf(copy), in) << int(version);
    }
}

TEST(DataInfoParse, AnalyzerCopyOfOtherVersionsHasNoProtocolSelection) {
    Bytes in = analyzerBlock(31, 4, 9);
    DataInfoBlock copy = composeDataInfoBlock(73763);
    ASSERT_EQ(parseDataInfoBlock(copy, in.data(), in.size(), 73763), 812u);
    EXPECT_EQ(copy.operationMode(), 4);
    EXPECT_EQ(copy.channelProtocol(1), 0);
    EXPECT_EQ(rd32(copy.data(), 704), 0u);
    EXPECT_EQ(copy.canChannel(0)[4], 6);
}

TEST(DataInfoParse, ChannelRecordOnlyForTheMatchingLayout) {
    Bytes in = analyzerBlock(32, 0, 7);
    DataInfoBlock copy = composeDataInfoBlock(73763);
    ASSERT_EQ(parseDataInfoBlock(copy, in.data(), in.size(), 73763), 812u);
    for (size_t i = 32; i < 688; ++i) ASSERT_EQ(copy.bytes[i], 0) << i;
}

TEST(DataInfoParse, TaggedChunkAndCanOnlyForm) {
    Bytes in = {'D', 'I', 'N', 'F', 204, 0, 0, 0};
    const Bytes block = canOnlyBlock(32);
    in.insert(in.end(), block.begin(), block.end());
    DataInfoBlock copy = composeDataInfoBlock(65555);
    ASSERT_EQ(parseDataInfoBlock(copy, in.data(), in.size(), 65555), 204u);
    EXPECT_EQ(bytesOf(copy), block);
}

TEST(DataInfoParse, TruncatedBlockFails) {
    const Bytes in = analyzerBlock(32, 0, 9);
    DataInfoBlock copy = composeDataInfoBlock(73763);
    EXPECT_EQ(parseDataInfoBlock(copy, in.data(), 500, 73763), 0u);
}

TEST(DataInfoMerge, ReaderStartsFromSizesOnly) {
    const DataInfoBlock s = dataFileSummaryDefaults();
    Bytes e(812);
    const std::pair<size_t, uint32_t> sizes[] = {{0, 812}, {4, 716},  {12, 8},   {20, 8},   {28, 660},
                                                 {32, 72}, {40, 32},  {72, 32},  {688, 8},  {692, 4},
                                                 {696, 4}, {700, 20}, {704, 16}, {720, 72}, {788, 4}};
    for (auto [at, v] : sizes) u32(e, at, v);
    EXPECT_EQ(Bytes(s.bytes.begin(), s.bytes.end()), e);
}

TEST(DataInfoMerge, AcceptsAnalyzerBlocksOfBothForms) {
    const Bytes dual = analyzerBlock(32, 4, 9);
    DataInfoBlock s = dataFileSummaryDefaults();
    ASSERT_TRUE(mergeDataInfoBlock(s, dual.data(), dual.size()));
    EXPECT_EQ(s.analogInputs(), 1);
    EXPECT_EQ(s.channelProtocol(1), 2);
    EXPECT_EQ(s.canChannel(0)[4], 6);
    EXPECT_EQ(rd32(s.linChannel(1), 4), 192000u);
    EXPECT_EQ(s.linChannel(1)[8], 1);
    EXPECT_EQ(s.linChannel(1)[28 + 4 * 0x30], 8) << "identifier table data length";

    const Bytes canOnly = canOnlyBlock(32);
    DataInfoBlock c = dataFileSummaryDefaults();
    ASSERT_TRUE(mergeDataInfoBlock(c, canOnly.data(), canOnly.size()));
    EXPECT_EQ(c.layoutCode(), 7);
    EXPECT_EQ(c.canChannel(0)[4], 6);
    EXPECT_EQ(c.canChannel(1)[4], 8);
    EXPECT_EQ(c.channelProtocol(0), 1);
    EXPECT_EQ(c.analogInputs(), 0);
    EXPECT_EQ(rd32(c.linChannel(0), 0), 0u) << "no LIN channels in a CAN-only block";
}

TEST(DataInfoMerge, RejectsUnknownModeOrLayout) {
    DataInfoBlock s = dataFileSummaryDefaults();
    Bytes in = analyzerBlock(32, 2, 9);
    EXPECT_FALSE(mergeDataInfoBlock(s, in.data(), in.size())) << "operationMode 2";
    in = analyzerBlock(32, 0, 8);
    EXPECT_FALSE(mergeDataInfoBlock(s, in.data(), in.size())) << "layoutCode 8";
    in = analyzerBlock(32, 4, 7);
    EXPECT_TRUE(mergeDataInfoBlock(s, in.data(), in.size())) << "mode 4, CAN-only layout";
}

// Readers refuse the PC's composed block (SetupIdent 255, 255) as a whole; the stand-in a
// buffer file carries until the analyzer's block arrives is taken, and tells them the layout
// and the analog inputs of the board and nothing else: no channel settings, no protocols.
TEST(DataInfoMerge, StandInTellsReadersTheBoardOnly) {
    for (const BoardType board : {BoardType{73763}, BoardType{65572}, BoardType{65554}}) {
        SCOPED_TRACE(board);
        const DataInfoBlock composed = composeDataInfoBlock(board);
        DataInfoBlock refused = dataFileSummaryDefaults();
        EXPECT_FALSE(mergeDataInfoBlock(refused, composed.data(), composed.size()));

        const DataInfoBlock standIn = composeStandInDataInfoBlock(board);
        EXPECT_EQ(standIn.size(), composed.size());
        DataInfoBlock s = dataFileSummaryDefaults();
        ASSERT_TRUE(mergeDataInfoBlock(s, standIn.data(), standIn.size()));
        const bool canOnly = board == 65554;
        // Up to the protocol record, which every merge of a block below version 32 clears.
        Bytes e = bytesOf(dataFileSummaryDefaults());
        u8(e, 17, canOnly ? 7 : 9);
        u8(e, 26, board == 73763 ? 1 : 0);
        if (!canOnly) {
            u32(e, 104, 584);  // the LIN channel records, sized, values zero
            u32(e, 112, 288);
            u32(e, 400, 288);
        }
        e.resize(700);
        EXPECT_EQ(Bytes(s.bytes.begin(), s.bytes.begin() + 700), e);
        EXPECT_EQ(s.channelProtocol(0), 0);
        EXPECT_EQ(s.channelProtocol(1), 0);
    }
}

TEST(DataInfoMerge, ProtocolSelectionOnlyFromVersion32) {
    const Bytes in = analyzerBlock(33, 0, 9);
    DataInfoBlock s = dataFileSummaryDefaults();
    ASSERT_TRUE(mergeDataInfoBlock(s, in.data(), in.size()));
    EXPECT_EQ(s.channelProtocol(1), 0);
    EXPECT_EQ(s.version(), 33);
}

TEST(DataInfoMerge, EndsQuietlyAfterTheSummaryAndFailsOnOversizedRecords) {
    Bytes in = analyzerBlock(32, 0, 9);
    in.resize(723);
    u32(in, 0, 723);  // three bytes after the summary record
    DataInfoBlock s = dataFileSummaryDefaults();
    EXPECT_TRUE(mergeDataInfoBlock(s, in.data(), in.size()));
    EXPECT_EQ(s.channelProtocol(1), 2);

    in = analyzerBlock(32, 0, 9);
    u32(in, 720, 100);  // condition summary claims more than remains
    EXPECT_FALSE(mergeDataInfoBlock(s, in.data(), in.size()));
}

}  // namespace
}  // namespace zv
