// Fields of the working setup by their dump paths, read and typed as the pages do.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "base/bytes.h"
#include "setup/setup_dump.h"
#include "setup/setup_fields.h"
#include "setup/setup_file.h"

namespace zv {
namespace {

constexpr BoardType kDual = 73763;       // AN-2400 + EX-NB3BP
constexpr BoardType kDualAn6100 = 65572; // AN-6100 + EX-NB2AP: LIN from 1600 bit/s
constexpr BoardType kCanOnly = 65555;    // AN-2100 + EX-NB2A

const std::string kCan1 = "SetupImage.ChannelSettings.CanChannelGroup.CanChannel1.";
const std::string kLin1 = "SetupImage.ChannelSettings.LinChannelGroup.LinChannel1.";
const std::string kCanEntry0 = "CanTransmitTables.CanTransmitEntry[0].";
const std::string kMisc = "SetupImage.MiscSettings.";

// Offsets in the dual-protocol areas, written out from the record layouts.
constexpr size_t kCan1InImage = 28;
constexpr size_t kLin1InImage = 100;
constexpr size_t kCanEntry0InTables = 8;

class SetupFields : public ::testing::Test {
protected:
    void SetUp() override { reset(kDual); }
    void reset(BoardType board) {
        boardType = board;
        setup = std::make_unique<SetupWorkspace>();
        setup->initDefaults(board);
    }
    std::string get(const std::string& path) {
        std::string error;
        auto text = getSetupField(*setup, boardType, path, error);
        EXPECT_TRUE(text) << path << ": " << error;
        return text.value_or("<error>");
    }
    void set(const std::string& path, const std::string& text) {
        std::string error;
        EXPECT_TRUE(setSetupField(*setup, boardType, path, text, error)) << path << "=" << text << ": " << error;
    }
    // The set must fail, say why, and leave the setup as it was.
    std::string refused(const std::string& path, const std::string& text) {
        const SetupWorkspace before = *setup;
        std::string error;
        EXPECT_FALSE(setSetupField(*setup, boardType, path, text, error)) << path << "=" << text;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(before.image == setup->image && before.canTables == setup->canTables &&
                    before.linTables == setup->linTables)
            << path << " changed";
        return error;
    }
    BoardType boardType = kDual;
    std::unique_ptr<SetupWorkspace> setup;
};

TEST_F(SetupFields, EveryDumpedPathNamesAField) {
    for (BoardType board : {kDual, kCanOnly}) {
        reset(board);
        std::istringstream dump(dumpSetup(*setup, board));
        int lines = 0;
        for (std::string line; std::getline(dump, line); ++lines) {
            std::string error;
            EXPECT_TRUE(getSetupField(*setup, board, line.substr(0, line.find(" = ")), error)) << line << error;
        }
        EXPECT_GT(lines, 1000) << board;
    }
}

TEST_F(SetupFields, FieldsWithoutAPageShowAsDumped) {
    EXPECT_EQ(get("SetupImage.IdentText.text"), "20 20 20 20 20 20 20 20");
    EXPECT_EQ(get("SetupImage.AuxRecord16A.value14"), "3");
    EXPECT_EQ(get("SetupImage.recordSize"), "1816");
    set("LinTransmitTables.LinTransmitEntry[2].VariationRecord.item[5].second", "-5");
    EXPECT_EQ(get("LinTransmitTables.LinTransmitEntry[2].VariationRecord.item[5].second"), "-5");
}

TEST_F(SetupFields, PageFieldsShowAsThePageShowsThem) {
    EXPECT_EQ(get(kCan1 + "baseFrequency"), "1.5M");
    EXPECT_EQ(get(kLin1 + "linBitRate"), "9600");
    putU32(setup->image.data(), kCan1InImage + 8, 0);
    EXPECT_EQ(get(kCan1 + "baseFrequency"), "250000") << "opens as the minimum";
    putU32(setup->image.data(), kLin1InImage + 12, 0);
    EXPECT_EQ(get(kLin1 + "frameTimeoutMs"), "6");
    EXPECT_EQ(get(kCanEntry0 + "identifier11"), "000");
    EXPECT_EQ(get(kCanEntry0 + "identifier29"), "00000000");
    EXPECT_EQ(get("LinTransmitTables.LinTransmitEntry[0].identifier"), "00");
    EXPECT_EQ(get(kCanEntry0 + "data"), "") << "no bytes entered";
    EXPECT_EQ(get("LinTransmitTables.LinTransmitEntry[0].checksum"), "") << "no checksum given";
}

TEST_F(SetupFields, CanChannelTypedAsOnThePage) {
    set(kCan1 + "baseFrequency", "1.25M");
    EXPECT_EQ(getU32(setup->image.data(), kCan1InImage + 8), 12500000u);
    EXPECT_EQ(get(kCan1 + "baseFrequency"), "1.25M");
    set(kCan1 + "baseFrequency", "100k");
    EXPECT_EQ(getU32(setup->image.data(), kCan1InImage + 8), 2500000u);
    EXPECT_EQ(get(kCan1 + "baseFrequency"), "250000");
    set(kCan1 + "baseFrequency", "fast");
    EXPECT_EQ(get(kCan1 + "baseFrequency"), "250000") << "an unreadable text is the minimum, as typed on the page";

    // pts 8 and pbs1 8, then everything up; lowering pbs1 pulls pbs2 and sjw down with it.
    for (const char* step : {"pts=8", "pbs1=8", "pbs2=8", "sjw=4"}) {
        const std::string s = step;
        set(kCan1 + s.substr(0, s.find('=')), s.substr(s.find('=') + 1));
    }
    EXPECT_EQ(get(kCan1 + "pbs2"), "8");
    EXPECT_EQ(get(kCan1 + "sjw"), "4");
    set(kCan1 + "pbs1", "2");
    EXPECT_EQ(get(kCan1 + "pbs2"), "2");
    EXPECT_EQ(get(kCan1 + "sjw"), "2");
    set(kCan1 + "sjw", "9");
    EXPECT_EQ(get(kCan1 + "sjw"), "2") << "clamped into its range";
    refused(kCan1 + "pts", "eight");

    refused(kCan1 + "bitRateCode", "9");
    set(kCan1 + "bitRateCode", "0");
    EXPECT_EQ(setup->image.bytes[kCan1InImage + 4], 0);
}

TEST_F(SetupFields, LinChannelMinimumComesFromTheBoardModel) {
    set(kLin1 + "linBitRate", "100");
    EXPECT_EQ(get(kLin1 + "linBitRate"), "400");
    reset(kDualAn6100);
    set(kLin1 + "linBitRate", "100");
    EXPECT_EQ(getU32(setup->image.data(), kLin1InImage + 4), 16000u);
    EXPECT_EQ(get(kLin1 + "linBitRate"), "1600");
    set(kLin1 + "linBitRate", "19.2k");
    EXPECT_EQ(getU32(setup->image.data(), kLin1InImage + 4), 192000u);
    set(kLin1 + "linBitRate", "30000");
    EXPECT_EQ(get(kLin1 + "linBitRate"), "26000");
    set(kLin1 + "frameTimeoutMs", "0");
    EXPECT_EQ(get(kLin1 + "frameTimeoutMs"), "1");
    set(kLin1 + "LinIdTable.LinIdEntry[63].dataLength", "0");
    refused(kLin1 + "LinIdTable.LinIdEntry[63].dataLength", "9");
}

TEST_F(SetupFields, CanIdentifierGoesToTheFieldOfTheFrameType) {
    set(kCanEntry0 + "identifier11", "800");
    EXPECT_EQ(getU16(setup->canTables.data(), kCanEntry0InTables + 16), 0x7FF);
    EXPECT_EQ(get(kCanEntry0 + "identifier11"), "7FF");
    EXPECT_NE(refused(kCanEntry0 + "identifier29", "800").find("identifier11"), std::string::npos);
    refused(kCanEntry0 + "identifier11", "0x12");

    set(kCanEntry0 + "frameType", "3");
    set(kCanEntry0 + "identifier29", "fffffffff");
    EXPECT_EQ(getU32(setup->canTables.data(), kCanEntry0InTables + 12), 0x1FFFFFFFu);
    EXPECT_EQ(getU16(setup->canTables.data(), kCanEntry0InTables + 16), 0x7FF) << "the other field stays";
    refused(kCanEntry0 + "identifier11", "1");
    refused(kCanEntry0 + "frameType", "4");

    set("LinTransmitTables.LinTransmitEntry[3].identifier", "40");
    EXPECT_EQ(get("LinTransmitTables.LinTransmitEntry[3].identifier"), "3F");
}

TEST_F(SetupFields, DataBytesCarryTheirCount) {
    set(kCanEntry0 + "data", "11 22 33 44 55 66 77 88");
    set(kCanEntry0 + "data", "1 ab");
    EXPECT_EQ(get(kCanEntry0 + "data"), "01 AB");
    EXPECT_EQ(get(kCanEntry0 + "dataCount"), "2");
    EXPECT_EQ(setup->canTables.bytes[kCanEntry0InTables + 22 + 2], 0) << "all eight cleared first";
    refused(kCanEntry0 + "data", "1 2 3 4 5 6 7 8 9");

    const std::string lin = "LinTransmitTables.LinTransmitEntry[1].";
    set(lin + "checksum", "db");
    EXPECT_EQ(get(lin + "checksum"), "DB");
    EXPECT_EQ(get(lin + "hasChecksum"), "1");
    set(lin + "checksum", "");
    EXPECT_EQ(get(lin + "hasChecksum"), "0");
}

TEST_F(SetupFields, TransmitAndTimerEditsClamp) {
    set(kCanEntry0 + "dataLength", "9");
    EXPECT_EQ(get(kCanEntry0 + "dataLength"), "8");
    set(kCanEntry0 + "value4", "-3");
    EXPECT_EQ(get(kCanEntry0 + "value4"), "0");
    set(kCanEntry0 + "value8", "0");
    EXPECT_EQ(get(kCanEntry0 + "value8"), "1");
    const std::string variation = kCanEntry0 + "VariationRecord.";
    set(variation + "item[0].second", "-40000");
    EXPECT_EQ(get(variation + "item[0].second"), "-32768");
    set(variation + "item[3].first", "1234567");
    EXPECT_EQ(get(variation + "item[3].first"), "999999");
    set(variation + "item[0].first", "1234567");
    EXPECT_EQ(get(variation + "item[0].first"), "1234567") << "not on the page: the plain number";

    set(kMisc + "timerStartDay", "0");
    EXPECT_EQ(get(kMisc + "timerStartDay"), "1");
    set(kMisc + "timerStopMinute", "75");
    EXPECT_EQ(get(kMisc + "timerStopMinute"), "59");
    set(kMisc + "timerPeriod", "2");
    refused(kMisc + "timerPeriod", "3");
}

TEST_F(SetupFields, ProtocolOffersLinOnlyWhereTheBoardHasIt) {
    const std::string protocol = "ProtocolBlock.ProtocolSelection.channelProtocol2";
    set("SetupImage." + protocol, "2");
    refused("SetupImage." + protocol, "3");
    reset(kCanOnly);
    set("SetupImageCanOnly." + protocol, "0");
    EXPECT_NE(refused("SetupImageCanOnly." + protocol, "2").find("LIN"), std::string::npos);
}

TEST_F(SetupFields, PlainFieldsTakeNumbersWithinTheirWidth) {
    set("SetupImage.MiscSettings.size2236", "0xFFFF");
    EXPECT_EQ(get("SetupImage.MiscSettings.size2236"), "65535");
    refused("SetupImage.MiscSettings.size2236", "65536");
    refused("SetupImage.MiscSettings.size2236", "-1");
    refused("SetupImage.MiscSettings.size2236", "12ab");
    refused("SetupImage.MiscSettings.size2236", "");
    const std::string second = kCanEntry0 + "VariationRecord.item[9].second";
    set(second, "-2147483648");
    refused(second, "0x80000000");
    set("SetupImage.IdentText.text", "41 42 43 44 45 46 47 48");
    EXPECT_EQ(get("SetupImage.IdentText.text"), "41 42 43 44 45 46 47 48");
    refused("SetupImage.IdentText.text", "41 42");
}

TEST_F(SetupFields, UnknownPathsAndFixedFieldsAreRefused) {
    refused("SetupImage.ChannelSettings.CanChannelGroup.CanChannel3.pts", "5");
    refused("SetupImage.ChannelSettings.CanChannelGroup.CanChannel1", "5");
    refused("CanTransmitTables.CanTransmitEntry[16].frameType", "1");
    refused(kCan1 + "recordSize", "32");
    refused("SetupImageCanOnly.MiscSettings.timerOption", "1");  // not this board's layout
    std::string error;
    EXPECT_FALSE(getSetupField(*setup, 5, "SetupImage.recordSize", error));
    EXPECT_NE(error.find("unsupported"), std::string::npos);
    reset(kCanOnly);
    refused("LinTransmitTables.LinTransmitEntry[0].identifier", "1");
    refused("SetupImage.MiscSettings.timerOption", "1");
}

TEST_F(SetupFields, CanOnlyPathsWriteThroughToTheSavedFile) {
    reset(kCanOnly);
    const std::string can2 = "SetupImageCanOnly.CanChannelBlock.CanChannelGroup.CanChannel2.";
    set(can2 + "baseFrequency", "3M");
    set("SetupImageCanOnly.MiscSettings.timerOption", "1");
    EXPECT_EQ(getU32(setup->image.data(), kCan1InImage + 32 + 8), 30000000u) << "the working image";
    EXPECT_EQ(get(can2 + "baseFrequency"), "3M");

    const std::vector<uint8_t> file = composeSetupFile(*setup, kCanOnly);
    auto loaded = std::make_unique<SetupWorkspace>();
    loaded->initDefaults(kCanOnly);
    ASSERT_TRUE(loadSetupFile(file.data(), file.size(), kCanOnly, *loaded).ok);
    EXPECT_TRUE(diffSetupFields(*setup, *loaded, kCanOnly).empty());

    // What the CAN-only layout writes by itself cannot be set.
    EXPECT_NE(refused("SetupImageCanOnly.SetupIdent.layoutCode", "9").find("CAN-only"), std::string::npos);
    refused("SetupImageCanOnly.AuxRecord16B.bytes", "00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST_F(SetupFields, DiffListsShownTextsInDumpOrder) {
    auto other = std::make_unique<SetupWorkspace>(*setup);
    EXPECT_TRUE(diffSetupFields(*setup, *other, kDual).empty());
    std::string error;
    ASSERT_TRUE(setSetupField(*other, kDual, kCanEntry0 + "identifier11", "123", error));
    ASSERT_TRUE(setSetupField(*other, kDual, kCan1 + "baseFrequency", "1.25M", error));
    putU32(setup->image.data(), kLin1InImage + 4, 1);       // shows as 9600 ...
    putU32(other->image.data(), kLin1InImage + 4, 2);       // ... and so does this
    EXPECT_EQ(diffSetupFields(*setup, *other, kDual),
              (std::vector<std::string>{
                  kCan1 + "baseFrequency: 1.5M -> 1.25M",
                  kLin1 + "linBitRate: 9600 -> 9600 (stored 1 -> 2)",
                  kCanEntry0 + "identifier11: 000 -> 123",
              }));
}

}  // namespace
}  // namespace zv
