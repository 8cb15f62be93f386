// Tolerant parsing: images from older and newer analyzers must read without losing alignment,
// and malformed sizes must fail instead of reading past the input.
#include <gtest/gtest.h>

#include <memory>

#include "expected_images.h"
#include "setup/setup_areas.h"

namespace zv {
namespace {

using test::Bytes;
using test::rd32;
using test::u32;
using test::u8;

constexpr BoardType kDual = 73763;

TEST(LeafParse, ShorterRecordFillsLeadingFieldsAndKeepsDefaults) {
    // A CanChannel of 16 bytes reaches up to sjw; the value pairs keep their defaults.
    Bytes in(16);
    u32(in, 0, 16);
    u8(in, 4, 7);
    u32(in, 8, 80000000);
    u8(in, 12, 8);
    u8(in, 13, 8);
    u8(in, 14, 8);
    u8(in, 15, 4);
    uint8_t rec[32];
    std::memset(rec, 0xAA, sizeof rec);
    ASSERT_EQ(setup::parseRecord(setup::kCanChannel, rec, in.data(), in.size(), {}), 16u);
    EXPECT_EQ(rd32(rec, 0), 32u) << "the record keeps its own size";
    EXPECT_EQ(rec[4], 7);
    EXPECT_EQ(rd32(rec, 8), 80000000u);
    EXPECT_EQ(rec[15], 4);
    for (size_t i = 16; i < 32; ++i) EXPECT_EQ(rec[i], 0) << i;
}

TEST(LeafParse, LongerRecordIsCutAndItsSizeConsumed) {
    Bytes in(40, 0x11);
    u32(in, 0, 40);
    uint8_t rec[8];
    ASSERT_EQ(setup::parseRecord(setup::kConditionParam8, rec, in.data(), in.size(), {}), 40u);
    EXPECT_EQ(rd32(rec, 0), 8u);
    EXPECT_EQ(rd32(rec, 4), 0x11111111u);
}

TEST(LeafParse, RejectsImpossibleSizes) {
    uint8_t rec[8];
    Bytes in(8);
    u32(in, 0, 3);
    EXPECT_EQ(setup::parseRecord(setup::kConditionParam8, rec, in.data(), in.size(), {}), 0u) << "below 4";
    u32(in, 0, 9);
    EXPECT_EQ(setup::parseRecord(setup::kConditionParam8, rec, in.data(), in.size(), {}), 0u) << "beyond input";
    EXPECT_EQ(setup::parseRecord(setup::kConditionParam8, rec, in.data(), 3, {}), 0u) << "no size field";
}

TEST(GroupParse, ChannelSettingsWithOneChildLeavesLinChannelsAtDefaults) {
    SetupImage expected;
    expected.initDefaults(kDual);
    // ChannelSettings claiming one child, yet followed by a full LIN group with other values.
    Bytes in(664);
    u32(in, 0, 664);
    u8(in, 7, 1);
    test::canChannelGroup(in, 8);
    u8(in, 8 + 8 + 4, 8);  // CanChannel 1 bitRateCode 1M
    u32(in, 80, 584);
    u8(in, 87, 2);
    test::linChannel(in, 88);
    u32(in, 88 + 4, 192000);
    uint8_t rec[664];
    ASSERT_EQ(setup::parseRecord(setup::kChannelSettings, rec, in.data(), in.size(), {kDual}), 664u);
    EXPECT_EQ(rec[20], 8);
    EXPECT_EQ(0, std::memcmp(rec + 80, expected.data() + 92, 584)) << "LIN group must keep defaults";
}

TEST(GroupParse, HeaderOnlyGroupKeepsChildrenAtDefaults) {
    Bytes in(7);
    u32(in, 0, 7);
    uint8_t rec[24];
    std::memset(rec, 0xEE, sizeof rec);
    ASSERT_EQ(setup::parseRecord(setup::kProtocolBlock, rec, in.data(), in.size(), {}), 7u);
    EXPECT_EQ(rec[12], 1) << "channel 1 protocol default";
    EXPECT_EQ(rec[7], 1) << "header bytes are not copied";
}

TEST(GroupParse, FailingChildFailsTheGroup) {
    Bytes in(16);
    u32(in, 0, 16);
    u8(in, 7, 2);
    u32(in, 8, 4);
    u32(in, 12, 5);  // second EmptyRecord claims more than is left
    uint8_t rec[16];
    EXPECT_EQ(setup::parseRecord(setup::kModeBlocks, rec, in.data(), in.size(), {}), 0u);
}

Bytes conditionEntry(size_t size, uint8_t flag, uint8_t patternByte) {
    Bytes e(size);
    test::conditionEntry(e, 0, size);
    u8(e, 4, flag);
    u8(e, 8 + 4, patternByte);
    return e;
}

TEST(ConditionBlockParse, SurplusEntryOfANewerAnalyzerIsSkipped) {
    // Five entries, the fifth 100 bytes long; the records after it must still line up.
    Bytes in(8);
    u32(in, 0, 0);
    u8(in, 5, 5);
    u8(in, 6, 2);
    u8(in, 7, 2);
    for (int i = 0; i < 4; ++i) {
        Bytes e = conditionEntry(156, uint8_t(i + 1), uint8_t(0x10 + i));
        in.insert(in.end(), e.begin(), e.end());
    }
    Bytes fifth(100, 0x5A);
    u32(fifth, 0, 100);
    in.insert(in.end(), fifth.begin(), fifth.end());
    for (uint32_t v : {7u, 8u}) {
        Bytes p(12);
        u32(p, 0, 12);
        u32(p, 4, v);
        in.insert(in.end(), p.begin(), p.end());
    }
    for (uint32_t v : {9u, 10u}) {
        Bytes p(8);
        u32(p, 0, 8);
        u32(p, 4, v);
        in.insert(in.end(), p.begin(), p.end());
    }
    u32(in, 0, uint32_t(in.size()));

    auto rec = std::make_unique<uint8_t[]>(672);
    ASSERT_EQ(setup::parseRecord(setup::kConditionBlock, rec.get(), in.data(), in.size(), {}), in.size());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rec[8 + 156 * i + 4], i + 1) << "entry flag " << i;
        EXPECT_EQ(rec[8 + 156 * i + 8 + 4], 0x10 + i) << "pattern " << i;
    }
    EXPECT_EQ(rd32(rec.get(), 632 + 4), 7u);
    EXPECT_EQ(rd32(rec.get(), 644 + 4), 8u);
    EXPECT_EQ(rd32(rec.get(), 656 + 4), 9u);
    EXPECT_EQ(rd32(rec.get(), 664 + 4), 10u);
}

TEST(ConditionBlockParse, SurplusEntryWithBadSizeFailsTheBlock) {
    Bytes in(8 + 4);
    u32(in, 0, 12);
    u8(in, 5, 5);
    // Only four bytes where five entries were announced: the first entry already fails.
    u32(in, 8, 200);
    auto rec = std::make_unique<uint8_t[]>(672);
    EXPECT_EQ(setup::parseRecord(setup::kConditionBlock, rec.get(), in.data(), in.size(), {}), 0u);
}

TEST(ConditionEntryParse, ShortEntriesFillWhatTheyCarry) {
    auto rec = std::make_unique<uint8_t[]>(156);
    Bytes in(8);
    u32(in, 0, 4);
    u8(in, 4, 9);
    ASSERT_EQ(setup::parseRecord(setup::kConditionEntry, rec.get(), in.data(), in.size(), {}), 4u);
    EXPECT_EQ(rec[4], 0) << "a 4-byte entry carries no flag";
    u32(in, 0, 5);
    ASSERT_EQ(setup::parseRecord(setup::kConditionEntry, rec.get(), in.data(), in.size(), {}), 5u);
    EXPECT_EQ(rec[4], 9);
    EXPECT_EQ(rec[8 + 41], 0xFF) << "pattern keeps its defaults";
}

TEST(ConditionEntryParse, CanOnlyEntryReadsIntoDualEntryAndBack) {
    // The 152-byte form's 120-byte pattern fills the 124-byte one but leaves its last bytes.
    Bytes small = conditionEntry(152, 1, 0x42);
    u8(small, 8 + 119, 0x77);
    u8(small, 128 + 4, 0x66);
    auto dual = std::make_unique<uint8_t[]>(156);
    ASSERT_EQ(setup::parseRecord(setup::kConditionEntry, dual.get(), small.data(), small.size(), {}), 152u);
    EXPECT_EQ(rd32(dual.get(), 8), 124u);
    EXPECT_EQ(dual[8 + 4], 0x42);
    EXPECT_EQ(dual[8 + 119], 0x77);
    EXPECT_EQ(dual[132 + 4], 0x66) << "tail read from its CAN-only position";

    Bytes big = conditionEntry(156, 1, 0x43);
    u8(big, 8 + 123, 0x99);
    u8(big, 132 + 4, 0x55);
    auto canOnly = std::make_unique<uint8_t[]>(152);
    ASSERT_EQ(setup::parseRecord(setup::kConditionEntryCanOnly, canOnly.get(), big.data(), big.size(), {}), 156u);
    EXPECT_EQ(rd32(canOnly.get(), 8), 120u);
    EXPECT_EQ(canOnly[8 + 4], 0x43);
    EXPECT_EQ(canOnly[128 + 4], 0x55) << "tail found after the longer pattern";
}

TEST(ImageParse, ImageWithOnlySetupIdentLeavesEverythingElse) {
    auto image = std::make_unique<SetupImage>();
    image->initDefaults(kDual);
    image->bytes[32] = 7;     // CanChannel 1 bitRateCode
    image->bytes[1380] = 2;   // channel 1 protocol LIN
    Bytes in(12);
    u32(in, 0, 12);
    u32(in, 4, 8);
    u8(in, 8, 4);
    u8(in, 9, 9);
    ASSERT_EQ(parseSetupImage(*image, in.data(), in.size(), kDual), 12u);
    EXPECT_EQ(image->bytes[8], 4);
    EXPECT_EQ(image->bytes[32], 7);
    EXPECT_EQ(image->bytes[1380], 2);
}

TEST(ImageParse, FailingRecordKeepsEarlierValuesDefaultsItselfAndLeavesLaterOnes) {
    // The receive path parses straight into the working copy and does not roll back.
    auto image = std::make_unique<SetupImage>();
    image->initDefaults(kDual);
    image->bytes[1381] = 2;   // ProtocolSelection channel 2: will be reset by the failing record
    image->bytes[1596] = 1;   // MiscSettings, after the failure: keeps its value
    Bytes in = test::defaultSetupImage(1);
    u8(in, 32, 8);            // CanChannel 1 bitRateCode from the analyzer
    u32(in, 1376, 2000);      // ProtocolSelection claims more than remains
    EXPECT_EQ(parseSetupImage(*image, in.data(), in.size(), kDual), 0u);
    EXPECT_EQ(image->bytes[32], 8);
    EXPECT_EQ(image->bytes[1381], 1);
    EXPECT_EQ(image->bytes[1596], 1);
}

TEST(ImageParse, InputEndingBetweenRecordsIsAccepted) {
    auto image = std::make_unique<SetupImage>();
    image->initDefaults(kDual);
    image->bytes[1668] = 0x33;  // inside LinSchedule
    Bytes in = test::defaultSetupImage(1);
    in.resize(1664 + 3);        // LinSchedule missing, three stray bytes
    u32(in, 0, uint32_t(in.size()));
    ASSERT_EQ(parseSetupImage(*image, in.data(), in.size(), kDual), in.size());
    EXPECT_EQ(image->bytes[1668], 0x33);
}

TEST(ImageParse, DualImageReadByCanOnlyRules) {
    // Dual records stand in for their CAN-only counterparts: ChannelSettings for the CAN channel
    // block, BoardFeatures for the empty record, longer entries and AuxRecord136 are cut.
    Bytes in = test::defaultSetupImage(1);
    u8(in, 28 + 4, 6);
    u8(in, 1432 + 4, 0x21);
    u8(in, 1432 + 130, 0x22);  // beyond the CAN-only AuxRecord136
    u8(in, 1592 + 39, 1);      // MiscSettings timer option
    auto image = std::make_unique<SetupImageCanOnly>();
    image->initDefaults(65555);
    ASSERT_EQ(parseSetupImageCanOnly(*image, in.data(), in.size(), 65555), 1816u);
    EXPECT_EQ(image->bytes[28 + 4], 6);
    EXPECT_EQ(image->bytes[828 + 4], 0x21);
    EXPECT_EQ(rd32(image->data(), 828), 124u);
    EXPECT_EQ(image->bytes[976 + 39], 1);
    EXPECT_EQ(rd32(image->data(), 808), 4u);
}

TEST(WrapperParse, SetupLengthBelowImageSizeIsRejected) {
    Bytes w;
    test::append(w, "STUP", test::defaultSetupImage(1));
    auto image = std::make_unique<SetupImage>();
    image->initDefaults(kDual);
    EXPECT_EQ(parseSetupWrapper(*image, w.data(), w.size(), kDual), 1824u);
    u32(w, 4, 1815);
    EXPECT_EQ(parseSetupWrapper(*image, w.data(), w.size(), kDual), 0u);
    u32(w, 4, 1816);
    w[0] = 'X';
    EXPECT_EQ(parseSetupWrapper(*image, w.data(), w.size(), kDual), 0u) << "wrong tag";
    EXPECT_EQ(parseSetupWrapper(*image, w.data(), 7, kDual), 0u);
}

TEST(WrapperParse, SetupLengthLargerThanImageConsumesOnlyTheImage) {
    Bytes content = test::defaultSetupImage(1);
    content.resize(1900);
    Bytes w;
    test::append(w, "STUP", content);
    auto image = std::make_unique<SetupImage>();
    image->initDefaults(kDual);
    EXPECT_EQ(parseSetupWrapper(*image, w.data(), w.size(), kDual), 1824u);
}

TEST(WrapperParse, CanTablesNeedAFullSetAndReadAtMostSixteenEntries) {
    Bytes tables = test::defaultCanTransmitTables();
    u8(tables, 7, 20);
    for (size_t i = 0; i < 16; ++i) u8(tables, 8 + 440 * i + 18, uint8_t(i % 4));  // frame types
    Bytes w;
    test::append(w, "STBC", tables);
    w.resize(w.size() + 4 * 440, 0);  // four more entries' worth of bytes
    auto parsed = std::make_unique<CanTransmitTables>();
    ASSERT_EQ(parseCanTablesWrapper(*parsed, w.data(), w.size(), kDual), 7056u);
    EXPECT_EQ(parsed->bytes[8 + 440 * 15 + 18], 3);

    u32(w, 4, 7047);
    EXPECT_EQ(parseCanTablesWrapper(*parsed, w.data(), w.size(), kDual), 0u);
}

TEST(TransmitTablesParse, NegativeOrZeroCountReadsNoEntries) {
    Bytes tables = test::defaultCanTransmitTables();
    u32(tables, 8 + 4, 555);
    for (uint8_t count : {uint8_t(0), uint8_t(0x80), uint8_t(0xFF)}) {
        u8(tables, 7, count);
        auto parsed = std::make_unique<CanTransmitTables>();
        ASSERT_EQ(parseCanTransmitTables(*parsed, tables.data(), tables.size(), kDual), 8u);
        EXPECT_EQ(rd32(parsed->data(), 8 + 4), 1u) << int(count);
    }
}

TEST(TransmitTablesParse, EntriesNeverReadPastTheInput) {
    // A header longer than 8 bytes pushes the entries back; with room for one entry only,
    // the second announced entry must fail rather than be read from beyond the input.
    Bytes in(12 + 432);
    u32(in, 0, 12);
    u8(in, 7, 2);
    u32(in, 12, 432);
    u32(in, 12 + 24, 408);  // its variation record
    auto parsed = std::make_unique<LinTransmitTables>();
    EXPECT_EQ(parseLinTransmitTables(*parsed, in.data(), in.size(), kDual), 0u);
    u8(in, 7, 1);
    EXPECT_EQ(parseLinTransmitTables(*parsed, in.data(), in.size(), kDual), 12u + 432u);
}

TEST(TransmitEntryParse, ShortEntriesAndVariationRecords) {
    auto entry = std::make_unique<uint8_t[]>(432);
    Bytes in(24, 0);
    u32(in, 0, 20);
    u8(in, 8, 0x3C);
    u8(in, 15, 5);
    u8(in, 20, 0xAB);  // beyond the 20 bytes: not copied
    ASSERT_EQ(setup::parseRecord(setup::kLinTransmitEntry, entry.get(), in.data(), in.size(), {}), 20u);
    EXPECT_EQ(entry[8], 0x3C);
    EXPECT_EQ(entry[15], 5);
    EXPECT_EQ(entry[20], 0);
    EXPECT_EQ(entry[24 + 8], 4) << "variation keeps defaults";

    // A CAN entry of 40 bytes carries an 8-byte variation record.
    Bytes can(40, 0);
    u32(can, 0, 40);
    u32(can, 4, 77);
    u32(can, 32, 8);
    u8(can, 36, 1);
    auto canEntry = std::make_unique<uint8_t[]>(440);
    ASSERT_EQ(setup::parseRecord(setup::kCanTransmitEntry, canEntry.get(), can.data(), can.size(), {}), 40u);
    EXPECT_EQ(rd32(canEntry.get(), 4), 77u);
    EXPECT_EQ(canEntry[32 + 4], 1);
    EXPECT_EQ(canEntry[32 + 8], 4);

    u32(can, 32, 12);  // variation claims more than the entry holds
    EXPECT_EQ(setup::parseRecord(setup::kCanTransmitEntry, canEntry.get(), can.data(), can.size(), {}), 0u);
}

}  // namespace
}  // namespace zv
