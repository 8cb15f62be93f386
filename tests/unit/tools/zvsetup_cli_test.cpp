// zvsetup as scripts use it: exit codes, output sizes, and what convert carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "setup/setup_file.h"
#include "support/temp_dir.h"
#include "zvsetup_cli.h"

namespace zv::tools {
namespace {

struct ToolRun {
    int rc;
    CommandOutput output;
};

ToolRun run(std::vector<std::string> args) {
    ToolRun r;
    r.rc = runZvsetup(args, r.output);
    return r;
}

std::vector<uint8_t> readAll(const std::string& path) {
    FileImage image;
    EXPECT_TRUE(readWholeFile(path, image)) << path;
    return std::vector<uint8_t>(image.bytes.get(), image.bytes.get() + image.size);
}

TEST(ZvsetupNew, WritesTheDefaultFileOfEachFamily) {
    ToolRun dual = run({"new", "--board", "73763"});
    EXPECT_EQ(dual.rc, 0);
    EXPECT_EQ(dual.output.out.size(), 15824u);
    EXPECT_EQ(dual.output.out.compare(0, 16, std::string("ZEVRONA SETUP  \0", 16)), 0);

    ToolRun canOnly = run({"new", "--board", "0x10013"});
    EXPECT_EQ(canOnly.rc, 0);
    EXPECT_EQ(canOnly.output.out.size(), 8128u);

    test::TempDir dir;
    EXPECT_EQ(run({"new", "--board", "65570", "-o", dir.file("x.SU")}).rc, 0);
    EXPECT_EQ(std::filesystem::file_size(dir.file("x.SU")), 15824u);
}

TEST(ZvsetupNew, UnsupportedBoardIsAnErrorAndWritesNothing) {
    test::TempDir dir;
    ToolRun r = run({"new", "--board", "65537", "-o", dir.file("x.SU")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.output.err.find("unsupported board type 65537"), std::string::npos) << r.output.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.SU")));
    EXPECT_TRUE(r.output.out.empty());
}

TEST(Zvsetup, UsageErrorsAndHelp) {
    EXPECT_EQ(run({}).rc, 2);
    EXPECT_EQ(run({"frobnicate"}).rc, 2);
    EXPECT_EQ(run({"new"}).rc, 2);
    EXPECT_EQ(run({"new", "--board", "abc"}).rc, 2);
    EXPECT_EQ(run({"new", "--board", "73763", "--colour"}).rc, 2);
    EXPECT_EQ(run({"check", "--board", "73763"}).rc, 2);
    EXPECT_EQ(run({"convert", "--board", "73763", "f.SU", "--to", "65555"}).rc, 2) << "no -o";
    EXPECT_EQ(run({"get", "--board", "73763", "f.SU"}).rc, 2) << "no PATH";
    EXPECT_EQ(run({"set", "--board", "73763", "f.SU", "SetupImage.recordSize=1"}).rc, 2) << "no -o";
    EXPECT_EQ(run({"set", "--board", "73763", "f.SU", "-o", "g.SU", "SetupImage.recordSize"}).rc, 2) << "no =";
    EXPECT_EQ(run({"diff", "--board", "73763", "f.SU"}).rc, 2);
    for (const char* command : {"new", "check", "dump", "convert", "get", "set", "diff"}) {
        ToolRun help = run({command, "--help"});
        EXPECT_EQ(help.rc, 0) << command;
        EXPECT_NE(help.output.out.find(std::string("zvsetup ") + command), std::string::npos) << command;
    }
    ToolRun help = run({"--help"});
    EXPECT_EQ(help.rc, 0);
    EXPECT_NE(help.output.out.find("73763  AN-2400 + EX-NB3BP"), std::string::npos);
}

TEST(ZvsetupCheck, AcceptsAndRejectsAsTheProgramLoads) {
    test::TempDir dir;
    ASSERT_EQ(run({"new", "--board", "73763", "-o", dir.file("dual.SU")}).rc, 0);
    ASSERT_EQ(run({"new", "--board", "65555", "-o", dir.file("can.SU")}).rc, 0);

    EXPECT_EQ(run({"check", "--board", "73763", dir.file("dual.SU")}).rc, 0);
    EXPECT_EQ(run({"check", "--board", "65555", dir.file("dual.SU")}).rc, 0) << "dual file on EX-NB2A";
    ToolRun r = run({"check", "--board", "73763", dir.file("can.SU")});
    EXPECT_EQ(r.rc, 1) << "CAN-only file on a dual board lacks STBL";
    EXPECT_NE(r.output.err.find("STBL"), std::string::npos) << r.output.err;
    EXPECT_EQ(std::count(r.output.err.begin(), r.output.err.end(), '\n'), 1) << "one-line reason";

    std::vector<uint8_t> bytes = readAll(dir.file("dual.SU"));
    bytes[15] = ' ';
    ASSERT_EQ(writeWholeFile(dir.file("no-nul.SU"), bytes.data(), bytes.size()), kOk);
    EXPECT_EQ(run({"check", "--board", "73763", dir.file("no-nul.SU")}).rc, 1);
    EXPECT_EQ(run({"check", "--board", "73763", dir.file("absent.SU")}).rc, 1);
    EXPECT_EQ(run({"check", "--board", "73763", dir.path().string()}).rc, 1) << "a folder is no setup file";
}

TEST(ZvsetupDump, PrintsEveryFieldInStableOrder) {
    test::TempDir dir;
    ASSERT_EQ(run({"new", "--board", "73763", "-o", dir.file("d.SU")}).rc, 0);
    ToolRun d = run({"dump", "--board", "73763", dir.file("d.SU")});
    ASSERT_EQ(d.rc, 0) << d.output.err;
    const std::string& t = d.output.out;
    for (const char* line : {
             "SetupImage.recordSize = 1816\n",
             "SetupImage.SetupIdent.layoutCode = 9\n",
             "SetupImage.ChannelSettings.CanChannelGroup.CanChannel1.baseFrequency = 15000000\n",
             "SetupImage.ChannelSettings.LinChannelGroup.LinChannel2.LinIdTable.LinIdEntry[63].dataLength = 8\n",
             "SetupImage.IdentText.text = 20 20 20 20 20 20 20 20\n",
             "SetupImage.LinSchedule.LinScheduleSlot[15].slotNumber = 15\n",
             "CanTransmitTables.recordSize = 8\n",
             "LinTransmitTables.LinTransmitEntry[15].VariationRecord.byte8 = 4\n",
         })
        EXPECT_NE(t.find(line), std::string::npos) << line;
    EXPECT_LT(t.find("SetupImage.SetupIdent"), t.find("SetupImage.ChannelSettings"));
    EXPECT_EQ(run({"dump", "--board", "73763", dir.file("d.SU")}).output.out, t) << "stable";

    ASSERT_EQ(run({"new", "--board", "65554", "-o", dir.file("c.SU")}).rc, 0);
    ToolRun c = run({"dump", "--board", "65554", dir.file("c.SU")});
    EXPECT_NE(c.output.out.find("SetupImageCanOnly.AuxRecord16B.bytes = 00 02 03 05 01 04 06 07 08 09 0a 0b\n"),
              std::string::npos);
    EXPECT_EQ(c.output.out.find("LinTransmitTables"), std::string::npos);
}

TEST(ZvsetupConvert, CarriesExactlyWhatTheCanOnlyLayoutHolds) {
    test::TempDir dir;
    auto w = std::make_unique<SetupWorkspace>();
    w->initDefaults(73763);
    w->image.bytes[28 + 4] = 8;          // CanChannel 1: 1M (carried)
    w->image.bytes[1592 + 36] = 2;       // MiscSettings timer period (carried)
    w->image.bytes[100 + 4] = 0x20;      // LinChannel 1 bit rate (not carried)
    w->image.bytes[1664 + 23] = 1;       // LinSchedule slot 0 enabled (not carried)
    w->canTables.bytes[8 + 12] = 0x7F;   // CAN entry 1 identifier (carried)
    w->linTables.bytes[8 + 8] = 0x3C;    // LIN entry 1 identifier (not carried)
    ASSERT_EQ(writeSetupFile(dir.file("in.SU"), 73763, *w), kOk);

    ASSERT_EQ(run({"convert", "--board", "73763", dir.file("in.SU"), "--to", "65555", "-o", dir.file("can.SU")}).rc, 0);
    EXPECT_EQ(std::filesystem::file_size(dir.file("can.SU")), 8128u);
    ASSERT_EQ(run({"convert", "--board", "65555", dir.file("can.SU"), "--to", "73763", "-o", dir.file("back.SU")}).rc, 0);
    EXPECT_EQ(std::filesystem::file_size(dir.file("back.SU")), 15824u);

    auto back = std::make_unique<SetupWorkspace>();
    back->initDefaults(73763);
    ASSERT_TRUE(readSetupFile(dir.file("back.SU"), 73763, *back).ok);
    auto fresh = std::make_unique<SetupWorkspace>();
    fresh->initDefaults(73763);
    EXPECT_EQ(back->image.bytes[28 + 4], 8);
    EXPECT_EQ(back->image.bytes[1592 + 36], 2);
    EXPECT_EQ(back->canTables.bytes[8 + 12], 0x7F);
    EXPECT_EQ(back->image.bytes[9], 9) << "dual layout code";
    EXPECT_EQ(back->image.bytes[1414], 1) << "analog inputs of the target board";
    EXPECT_EQ(back->linTables, fresh->linTables);
    EXPECT_EQ(0, std::memcmp(back->image.data() + 92, fresh->image.data() + 92, 584)) << "LIN channels";
    EXPECT_EQ(0, std::memcmp(back->image.data() + 1664, fresh->image.data() + 1664, 152)) << "LIN schedule";
    // AuxRecord16B comes back with the order the CAN-only export wrote.
    EXPECT_EQ(back->image.bytes[1416 + 4 + 4], 1);

    EXPECT_EQ(run({"convert", "--board", "73763", dir.file("in.SU"), "--to", "1", "-o", dir.file("x.SU")}).rc, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.SU")));
}

// The setup pages' field rules through set, read back through get.
class ZvsetupFields : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(run({"new", "--board", "65572", "-o", file("dual.SU")}).rc, 0);
        ASSERT_EQ(run({"new", "--board", "65555", "-o", file("can.SU")}).rc, 0);
    }
    std::string file(const char* name) { return dir.file(name); }
    // Sets ASSIGNMENTS on FILE for BOARD into out.SU and gets PATHS back from it.
    std::string setThenGet(const char* board, const char* input, std::vector<std::string> assignments,
                           std::vector<std::string> paths) {
        std::vector<std::string> args = {"set", "--board", board, file(input), "-o", file("out.SU")};
        args.insert(args.end(), assignments.begin(), assignments.end());
        ToolRun s = run(args);
        EXPECT_EQ(s.rc, 0) << s.output.err;
        args = {"get", "--board", board, file("out.SU")};
        args.insert(args.end(), paths.begin(), paths.end());
        ToolRun g = run(args);
        EXPECT_EQ(g.rc, 0) << g.output.err;
        return g.output.out;
    }
    test::TempDir dir;
};

const std::string kCan1 = "SetupImage.ChannelSettings.CanChannelGroup.CanChannel1.";
const std::string kLin1 = "SetupImage.ChannelSettings.LinChannelGroup.LinChannel1.";

TEST_F(ZvsetupFields, EdgeCasesOfThePagesSurviveTheFile) {
    EXPECT_EQ(setThenGet("65572", "dual.SU",
                         {kCan1 + "baseFrequency=1.25M", "SetupImage.ChannelSettings.CanChannelGroup.CanChannel2."
                                                         "baseFrequency=100k",
                          kLin1 + "linBitRate=100", "CanTransmitTables.CanTransmitEntry[0].identifier11=800",
                          "SetupImage.MiscSettings.timerStartDay=0", "SetupImage.MiscSettings.timerStartMinute=75"},
                         {kCan1 + "baseFrequency", "SetupImage.ChannelSettings.CanChannelGroup.CanChannel2.baseFrequency",
                          kLin1 + "linBitRate", "CanTransmitTables.CanTransmitEntry[0].identifier11",
                          "SetupImage.MiscSettings.timerStartDay", "SetupImage.MiscSettings.timerStartMinute"}),
              "1.25M\n250000\n1600\n7FF\n1\n59\n");
    // Applied in order, as on the page: pts and pbs1 first open the range that pbs2 then takes.
    EXPECT_EQ(setThenGet("65572", "dual.SU", {kCan1 + "pts=8", kCan1 + "pbs1=8", kCan1 + "pbs2=8", kCan1 + "sjw=4"},
                         {kCan1 + "pbs2", kCan1 + "sjw"}),
              "8\n4\n");
    EXPECT_EQ(setThenGet("65572", "out.SU", {kCan1 + "pbs1=2"}, {kCan1 + "pbs2", kCan1 + "sjw"}), "2\n2\n");
    EXPECT_EQ(setThenGet("65572", "dual.SU", {kCan1 + "pbs2=8", kCan1 + "pts=8"}, {kCan1 + "pbs2"}), "3\n")
        << "pbs2 8 did not fit before pts and pbs1 made room";
    EXPECT_EQ(setThenGet("65555", "can.SU",
                         {"SetupImageCanOnly.CanChannelBlock.CanChannelGroup.CanChannel1.baseFrequency=6M"},
                         {"SetupImageCanOnly.CanChannelBlock.CanChannelGroup.CanChannel1.baseFrequency"}),
              "6M\n");
}

TEST_F(ZvsetupFields, ScheduleConditionAndBoardFieldsTakeThePageRules) {
    const std::string slot = "SetupImage.LinSchedule.LinScheduleSlot[";
    const std::string entry = "SetupImage.ConditionBlock.ConditionEntry[1].ConditionTail.";
    const std::string misc = "SetupImage.MiscSettings.";
    EXPECT_EQ(setThenGet("65572", "dual.SU",
                         {slot + "2].transmitTable=A", slot + "3].transmitTable=", slot + "3].value=9A",
                          "SetupImage.LinSchedule.value12=0", "SetupImage.LinSchedule.byte7=-5",
                          entry + "action2First=-3", "SetupImage.ConditionBlock.ConditionParam12[1].value=0",
                          "SetupImage.AuxRecord16A.value14=2000", misc + "boardByte30=75", misc + "boardByte28=0"},
                         {slot + "2].transmitTable", slot + "3].transmitTable", slot + "3].value",
                          slot + "3].hasValue", "SetupImage.LinSchedule.value12", "SetupImage.LinSchedule.byte7",
                          entry + "action2First", "SetupImage.ConditionBlock.ConditionParam12[1].value",
                          "SetupImage.ConditionBlock.ConditionParam12[0].value", "SetupImage.AuxRecord16A.value14",
                          misc + "boardByte30", misc + "boardByte29"}),
              "A\n\n99\n1\n3\n0\n0\n1\n1\n1024\n60\n0\n");
    // Page 0x4ee of this board has no edit 2249: the byte takes any number, as a field without a page.
    EXPECT_EQ(setThenGet("65555", "can.SU", {"SetupImageCanOnly.MiscSettings.boardByte30=75"},
                         {"SetupImageCanOnly.MiscSettings.boardByte30"}),
              "75\n");
}

TEST_F(ZvsetupFields, RefusedChangesWriteNothing) {
    const std::string out = file("out.SU");
    for (const std::vector<std::string>& assignments : std::vector<std::vector<std::string>>{
             {kCan1 + "pts=5", "SetupImage.NoSuchRecord.value=1"},
             {kCan1 + "recordSize=32"},
             {"SetupImage.ProtocolBlock.ProtocolSelection.transmitChannel=2"},
             {"SetupImage.ChannelSettings.CanChannelGroup.childCount=3"},  // would not load back
         }) {
        std::vector<std::string> args = {"set", "--board", "65572", file("dual.SU"), "-o", out};
        args.insert(args.end(), assignments.begin(), assignments.end());
        ToolRun r = run(args);
        EXPECT_EQ(r.rc, 1) << assignments.back();
        EXPECT_FALSE(r.output.err.empty());
        EXPECT_FALSE(std::filesystem::exists(out)) << assignments.back();
    }
    ToolRun r = run({"set", "--board", "65555", file("can.SU"), "-o", out,
                     "SetupImageCanOnly.ProtocolBlock.ProtocolSelection.channelProtocol1=2"});
    EXPECT_EQ(r.rc, 1) << "no LIN entry on EX-NB2A boards";
    EXPECT_FALSE(std::filesystem::exists(out));

    ToolRun g = run({"get", "--board", "65572", file("dual.SU"), kCan1 + "pts", "SetupImage.nothing"});
    EXPECT_EQ(g.rc, 1);
    EXPECT_TRUE(g.output.out.empty());
    EXPECT_NE(g.output.err.find("SetupImage.nothing"), std::string::npos);
}

TEST_F(ZvsetupFields, DiffExitCodeSaysWhetherFieldsDiffer) {
    ToolRun same = run({"diff", "--board", "65572", file("dual.SU"), file("dual.SU")});
    EXPECT_EQ(same.rc, 0);
    EXPECT_TRUE(same.output.out.empty());
    ASSERT_EQ(run({"set", "--board", "65572", file("dual.SU"), "-o", file("out.SU"), kCan1 + "baseFrequency=3M",
                   "LinTransmitTables.LinTransmitEntry[15].identifier=3c"})
                  .rc,
              0);
    ToolRun d = run({"diff", "--board", "65572", file("dual.SU"), file("out.SU")});
    EXPECT_EQ(d.rc, 1);
    EXPECT_EQ(d.output.out, kCan1 + "baseFrequency: 1.5M -> 3M\n"
                                    "LinTransmitTables.LinTransmitEntry[15].identifier: 00 -> 3C\n");
    EXPECT_EQ(run({"diff", "--board", "65572", file("dual.SU"), file("absent.SU")}).rc, 1);
}

}  // namespace
}  // namespace zv::tools
