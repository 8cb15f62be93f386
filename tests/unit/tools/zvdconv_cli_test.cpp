#include "zvdconv_cli.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/capture_test_files.h"
#include "support/temp_dir.h"

namespace zv::tools {
namespace {

using testfiles::Bytes;
using testfiles::hexBytes;
using testfiles::join;

struct ToolRun {
    int rc = -1;
    std::string out;
    std::string err;
};

ToolRun zvdconv(const std::vector<std::string>& args, std::optional<std::string> epoch = std::string("1700000000")) {
    ToolRun run;
    MemorySink out;
    ZvdconvIo io;
    io.standardOutput = &out;
    io.standardError = [&run](std::string_view s) { run.err += s; };
    io.sourceDateEpoch = std::move(epoch);
    run.rc = runZvdconv(args, io);
    run.out = std::string(out.text());
    return run;
}

// LIN channel 1 frame at 01:02:03 digit 4 with a marked identifier, CAN channel 2 frame.
Bytes records() {
    return join({
        hexBytes("03 00 0200 | 14 03 02 01 | 0000 | 02 00 | 00BC6655 | A1A2 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("02 10 0000 | 00 04 02 01 | 0000 | 01 01 | 00008C04 | 7700 0000 0000 0000 0000 | 0000 0000 0000"),
    });
}

Bytes mdclFile() {
    Bytes dinf = testfiles::dualDinf(0);
    dinf[testfiles::dinf::kChannelProtocol[0]] = 2;
    return testfiles::dataFile(dinf, "MDCL", records());
}

TEST(ZvdconvUsage, BadCommandLines) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--bogus", "a.DT"},
        {"--channel", "3", "a.DT"},
        {"--channel"},
        {"-j", "0", "a.DT"},
        {"-j", "17", "a.DT"},
        {"-jx", "a.DT"},
        {"-o", "out.txt", "a.DT", "b.DT"},
        {"--info", "--csv", "a.DT"},
        {"--info", "-o", "x", "a.DT"},
        {"-"},
        {"--channels", "3=1", "a.asc"},
        {"--import", "--format", "asc", "a.asc"},
        {"--import", "--channels", "3=3", "a.asc"},
        {"--import", "--bitrate", "1=2M", "a.asc"},
        {"--import", "-o", "-", "a.asc"},
        {"--import", "-o", "x.DT", "a.asc", "b.blf"},
    };
    for (const auto& args : cases) {
        const ToolRun r = zvdconv(args);
        EXPECT_EQ(r.rc, 2) << (args.empty() ? std::string("(none)") : args[0]);
        EXPECT_NE(r.err.find("usage: zvdconv"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    const ToolRun help = zvdconv({"--help"});
    EXPECT_EQ(help.rc, 0);
    EXPECT_NE(help.out.find("usage: zvdconv"), std::string::npos);
    EXPECT_EQ(zvdconv({"a.DT"}, std::string("yesterday")).rc, 2);  // malformed SOURCE_DATE_EPOCH
}

// --import beside the input, by extension or by contents; a log that is none fails alone.
TEST(ZvdconvImport, LogsBesideTheirInputs) {
    test::TempDir dir;
    const std::string candump = dir.file("bus.log"), unnamed = dir.file("other.txt"), bad = dir.file("bad.blf");
    const std::string log = "(1700000000.000000) can0 123#11\n(1700000000.001000) can1 456#R2\n(1700000000.002000) can3 001#\n";
    testfiles::writeFile(candump, Bytes(log.begin(), log.end()));
    testfiles::writeFile(unnamed, Bytes(log.begin(), log.end()));
    testfiles::writeFile(bad, Bytes(log.begin(), log.end()));
    const ToolRun r = zvdconv({"--import", "--bitrate", "2=250k", candump, unnamed, bad});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("bus.log: 2 records imported into " + dir.file("bus.DT") + "\n  1 frame of log channel 4 left out"),
              std::string::npos) << r.err;
    EXPECT_NE(r.err.find("bad.blf: offset 0: not a BLF file"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("bad.blf: not a BLF log; nothing written"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.DT")));
    const ToolRun info = zvdconv({"--info", dir.file("bus.DT")});
    EXPECT_NE(info.out.find("records:        2\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("CH2:            CAN 250k\n"), std::string::npos) << info.out;
    // The .txt file was read as the candump log it is.
    EXPECT_EQ(testfiles::readFile(dir.file("other.DT")), testfiles::readFile(dir.file("bus.DT")));
    const ToolRun csv = zvdconv({"--csv", "-o", "-", dir.file("bus.DT")});
    EXPECT_NE(csv.out.find(",2,,,456,REMOTE,2,"), std::string::npos) << csv.out;
}

TEST(ZvdconvOutputPath, BesideTheInput) {
    EXPECT_EQ(outputPathFor("run.DT", ".txt"), "run.txt");
    EXPECT_EQ(outputPathFor("/data/run.v2.DT", ".csv"), "/data/run.v2.csv");
    EXPECT_EQ(outputPathFor("/data.d/run", ".txt"), "/data.d/run.txt");
    EXPECT_EQ(outputPathFor("C:\\data.d\\00000001", ".csv"), "C:\\data.d\\00000001.csv");
    EXPECT_EQ(outputPathFor("C:\\data\\00000001.DT", ".csv"), "C:\\data\\00000001.csv");
}

TEST(ZvdconvConvert, StandardOutputCsv) {
    test::TempDir dir;
    const std::string input = dir.file("run.DT");
    testfiles::writeFile(input, mdclFile());
    const ToolRun r = zvdconv({"--csv", "-o", "-", input});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "TM,dT,CH,SB,SF,ID,TYPE,DLC,D0,D1,D2,D3,D4,D5,D6,D7,C,ST,EXT,TRG\r\n"
              "01:02.034,-------,1,55,66,##,FRAME,,A1,,,,,,,,A2,E,0,\r\n"
              "01:02.040,00:00.006,2,,,123,DATA,1,77,,,,,,,,,G,1,\r\n");
    const ToolRun hex = zvdconv({"--csv", "--hex", "--channel", "2", "-o", "-", input});
    EXPECT_EQ(hex.out,
              "TM,dT,CH,SB,SF,ID,TYPE,DLC,D0,D1,D2,D3,D4,D5,D6,D7,C,ST,EXT,TRG\r\n"
              "01:02.040,00:00.006,2,,,123,DATA,1,77,,,,,,,,,G,1,\r\n");
}

TEST(ZvdconvConvert, TextBesideTheInputWithTheEpochBanner) {
    test::TempDir dir;
    const std::string input = dir.file("run.DT");
    testfiles::writeFile(input, mdclFile());
    const ToolRun r = zvdconv({"--delta", "--channel=1", input});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(testfiles::readFile(dir.file("run.txt")),
              "*=[ZVDCONVL]====[2023-11-14 22:13:20]=*\r\n"
              "*  CH1 PROTOCOL: LIN                  *\r\n"
              "*      BAUDRATE:9600                  *\r\n"
              "*  CH2 PROTOCOL: CAN                  *\r\n"
              "*      BAUDRATE:125k                  *\r\n"
              "*=====================================*\r\n"
              "\r\n"
              "--TM---CH------ID--TYPE--DLC------DATA---------C--ST-EXT\r\n"
              "------- 1 5566-##  FRAME     A1                A2  E  0\r\n");
}

TEST(ZvdconvConvert, BadInputsAreNamedAndTheOthersConverted) {
    test::TempDir dir;
    testfiles::writeFile(dir.file("good.DT"), mdclFile());
    testfiles::writeFile(dir.file("bad.DT"), join({testfiles::signature(), hexBytes("4D 44 43 4C | 40000000")}));
    testfiles::writeFile(dir.file("plain"), mdclFile());
    const ToolRun r = zvdconv({"--csv", dir.file("bad.DT"), dir.file("missing.DT"), dir.file("good.DT"), dir.file("plain")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find(dir.file("bad.DT") + ": not a data file: a chunk length"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(dir.file("missing.DT") + ": cannot be opened or read"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("good.DT"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.file("good.csv")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("plain.csv")));  // no extension: appended
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.csv")));
}

TEST(ZvdconvConvert, NeverOverwritesItsInput) {
    test::TempDir dir;
    const Bytes file = mdclFile();
    testfiles::writeFile(dir.file("run.txt"), file);
    const ToolRun r = zvdconv({dir.file("run.txt")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("is the input itself"), std::string::npos);
    EXPECT_EQ(testfiles::readFile(dir.file("run.txt")), std::string(file.begin(), file.end()));
}

TEST(ZvdconvConvert, ParallelJobsGiveTheSameFiles) {
    test::TempDir dir;
    std::vector<std::string> serial = {"--csv"};
    std::vector<std::string> parallel = {"--csv", "-j", "3"};
    for (int i = 0; i < 5; ++i) {
        Bytes many;
        for (int k = 0; k <= i * 100; ++k) many = join({many, records()});
        const std::string a = dir.file("a" + std::to_string(i) + ".DT");
        const std::string b = dir.file("b" + std::to_string(i) + ".DT");
        testfiles::writeFile(a, testfiles::dataFile("MDCL", many));
        testfiles::writeFile(b, testfiles::dataFile("MDCL", many));
        serial.push_back(a);
        parallel.push_back(b);
    }
    EXPECT_EQ(zvdconv(serial).rc, 0);
    EXPECT_EQ(zvdconv(parallel).rc, 0);
    for (int i = 0; i < 5; ++i) {
        const std::string a = testfiles::readFile(dir.file("a" + std::to_string(i) + ".csv"));
        EXPECT_FALSE(a.empty());
        EXPECT_EQ(a, testfiles::readFile(dir.file("b" + std::to_string(i) + ".csv")));
    }
}

TEST(ZvdconvExport, BadCommandLines) {
    const std::vector<std::vector<std::string>> cases = {
        {"--format", "xml", "a.DT"},
        {"--format", "asc", "--hex", "a.DT"},
        {"--format", "blf", "--csv", "a.DT"},
        {"--format", "txt", "--csv", "a.DT"},
        {"--format", "pcapng", "--find", "trigger", "a.DT"},
        {"--start-time", "2024-03-01 08:00:00", "a.DT"},  // not an export
        {"--format", "candump", "--start-time", "2024-03-01", "a.DT"},
    };
    for (const auto& args : cases) {
        const ToolRun r = zvdconv(args);
        EXPECT_EQ(r.rc, 2) << args[1];
        EXPECT_NE(r.err.find("usage: zvdconv"), std::string::npos);
    }
}

TEST(ZvdconvExport, FilesBesideTheInputAndWhatWasLeftOut) {
    test::TempDir dir;
    const std::string input = dir.file("run.DT");
    testfiles::writeFile(input, mdclFile());
    // Without --start-time the last record is at the file's modification time.
    std::filesystem::last_write_time(
        input, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(1709280000))));
    ToolRun r = zvdconv({"--format", "candump", input});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(testfiles::readFile(dir.file("run.log")), "(1709280000.000000) can1 123#77\n");
    EXPECT_EQ(r.err, "zvdconv: " + input + ": 1 LIN record left out (candump cannot hold them)\n");

    r = zvdconv({"--format=asc", "--start-time", "2024-03-01 08:00:00", input});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.err, "");
    const std::string asc = testfiles::readFile(dir.file("run.asc"));
    EXPECT_EQ(asc.substr(0, 33), "date Fri Mar 01 08:00:00.000 2024");
    EXPECT_NE(asc.find("\n   0.006000 2  123             Rx   d 1 77\n"), std::string::npos);
    for (const char* format : {"blf", "pcapng"}) {
        EXPECT_EQ(zvdconv({"--format", format, input}).rc, 0);
        EXPECT_GT(testfiles::readFile(dir.file(std::string("run.") + format)).size(), 100u);
    }
    // --format csv is --csv.
    EXPECT_EQ(zvdconv({"--format", "csv", "-o", "-", input}).out, zvdconv({"--csv", "-o", "-", input}).out);
}

TEST(ZvdconvInfo, SummaryOfEachFile) {
    test::TempDir dir;
    const std::string input = dir.file("run.DT");
    testfiles::writeFile(input, mdclFile());
    testfiles::writeFile(dir.file("empty.DT"), testfiles::dataFile("MONC", {}));
    const ToolRun r = zvdconv({"--info", input, dir.file("empty.DT")});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, input + "\n"
                     "  record tag:     MDCL\n"
                     "  records:        2\n"
                     "  analog inputs:  0\n"
                     "  CH1:            LIN 9600\n"
                     "  CH2:            CAN 125k\n"
                     "  first record:   01:02:034\n"
                     "  last record:    01:02:040\n"
                     "  time span:      0:00:00.006\n" +
                         dir.file("empty.DT") +
                         "\n"
                         "  record tag:     MONC\n"
                         "  records:        0\n"
                         "  analog inputs:  0\n"
                         "  CH1:            CAN --\n"
                         "  CH2:            CAN --\n");
    EXPECT_EQ(zvdconv({"--info", dir.file("missing.DT")}).rc, 1);
}

TEST(ZvdconvInfo, SpanAcrossALostDataMarkerMadeOnThePc) {
    // 10:00.000, a marker made on the PC (stamp 0, no time), 10:01.000: one second, not the
    // fifty minutes that the marker's stamp would add as an hour wrap.
    test::TempDir dir;
    const std::string input = dir.file("lost.DT");
    testfiles::writeFile(input, testfiles::dataFile("MDCL", join({
        hexBytes("01 00 0000 | 00 00 00 0A | 0000 | 00 00 | 00008C04 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("41 00 0000 | 00 00 00 00 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("01 00 0000 | 00 00 01 0A | 0000 | 00 00 | 00008C04 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
    })));
    const ToolRun r = zvdconv({"--info", input});
    EXPECT_NE(r.out.find("  time span:      0:00:01.000\n"), std::string::npos) << r.out;
}

TEST(ZvdconvFind, RowsAsTheConversionWritesThem) {
    test::TempDir dir;
    const std::string input = dir.file("run.DT");
    testfiles::writeFile(input, mdclFile());
    // The CAN frame's row, with the time difference to the record before it in the file.
    const ToolRun can = zvdconv({"--find", "frame ch=2 id=0x123 data=77", "--csv", input});
    EXPECT_EQ(can.rc, 0) << can.err;
    EXPECT_EQ(can.out, "01:02.040,00:00.006,2,,,123,DATA,1,77,,,,,,,,,G,1,\r\n");
    EXPECT_EQ(zvdconv({"--find", "frame ch=2 id=0x124 data=77", input}).out, "");
    // Several inputs: each file's rows after its name; the channel option still selects.
    testfiles::writeFile(dir.file("b.DT"), mdclFile());
    const ToolRun two = zvdconv({"--find=lin-error=mark", "--csv", "--hex", input, dir.file("b.DT")});
    EXPECT_EQ(two.out, input + "\r\n01:02.034,-------,1,55,66,BC,FRAME,,A1,,,,,,,,A2,E,0,\r\n" + dir.file("b.DT") +
                           "\r\n01:02.034,-------,1,55,66,BC,FRAME,,A1,,,,,,,,A2,E,0,\r\n");
    EXPECT_EQ(zvdconv({"--find=lin-error=mark", "--channel", "2", input}).out, "");
    // Into a file.
    const ToolRun toFile = zvdconv({"--find", "ext=1", "-o", dir.file("found.txt"), input});
    EXPECT_EQ(toFile.rc, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(testfiles::readFile(dir.file("found.txt")).size(), zvdconv({"--find", "ext=1", input}).out.size());
}

TEST(ZvdconvFind, CountPerFileAndFailuresNamed) {
    test::TempDir dir;
    const std::string input = dir.file("run.DT");
    testfiles::writeFile(input, mdclFile());
    testfiles::writeFile(dir.file("bad.DT"), hexBytes("00 01 02"));
    const ToolRun r = zvdconv({"--find", "time=01:02.**", "--count", dir.file("bad.DT"), input});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out, input + ": 2\n");  // the bad file is not reported as searched
    EXPECT_NE(r.err.find(dir.file("bad.DT") + ": not a data file"), std::string::npos) << r.err;
    EXPECT_EQ(zvdconv({"--find", "ext mode=count", "--channel", "1", input}).out, input + ": 1\n");

    const ToolRun noOutput = zvdconv({"--find", "trigger", "-o", dir.file("no/such/folder/out.txt"), input});
    EXPECT_EQ(noOutput.rc, 1);
    EXPECT_NE(noOutput.err.find(dir.file("no/such/folder/out.txt") + ": cannot be created"), std::string::npos);
}

TEST(ZvdconvFind, MalformedConditionAndBadCombinations) {
    const ToolRun r = zvdconv({"--find", "frame id=0x12g", "a.DT"});
    EXPECT_EQ(r.rc, 2);
    EXPECT_EQ(r.err, "zvdconv: --find: malformed condition\n"
                     "  frame id=0x12g\n"
                     "               ^ at character 14: expected a hexadecimal digit or x\n");
    EXPECT_EQ(zvdconv({"--count", "a.DT"}).rc, 2);
    EXPECT_EQ(zvdconv({"--find", "trigger", "-j", "2", "a.DT"}).rc, 2);
    EXPECT_EQ(zvdconv({"--find", "trigger", "--info", "a.DT"}).rc, 2);
    EXPECT_EQ(zvdconv({"--find"}).rc, 2);
}

}  // namespace
}  // namespace zv::tools
