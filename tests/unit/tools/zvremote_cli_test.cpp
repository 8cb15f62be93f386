// zvremote in-process: against emulated analyzers behind the LAN adapter server on loopback and
// against the library's built-in USB analyzers, with the data and setup files it writes read
// back by zvdconv and the setup-file reader.
#include "zvremote_cli.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/bytes.h"
#include "base/file_io.h"
#include "capture/buffer_files.h"
#include "emulator/analyzer.h"
#include "emulator/server/adapter_server.h"
#include "emulator/server/serial_server.h"
#include "keyemu/lcd_picture.h"
#include "setup/setup_file.h"
#include "support/temp_dir.h"
#include "zvdconv_cli.h"
#include "zvlkrmt/api/library.h"
#include "zvlkrmt/transport/pseudo_terminal.h"

namespace zv::tools {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct ToolRun {
    int rc = -1;
    std::string out, err;
    bool has(const std::string& text) const { return out.find(text) != std::string::npos || err.find(text) != std::string::npos; }
};

ToolRun zvremote(const std::vector<std::string>& args, const std::atomic<bool>* stop = nullptr) {
    ToolRun run;
    ZvremoteIo io;
    io.stop = stop;
    io.standardOutput = [&run](std::string_view s) { run.out += s; };
    io.standardError = [&run](std::string_view s) { run.err += s; };
    io.localTime = [] {
        ClockTime t;
        t.year = 2030;
        t.month = 6;
        t.dayOfWeek = 6;
        t.day = 15;
        t.hour = 12;
        return t;
    };
    io.silenceLimitMs = 10000;
    run.rc = runZvremote(args, io);
    return run;
}

// The record count zvdconv --info reads from a data file; -1 when it does not read it.
long zvdconvRecords(const std::string& file) {
    MemorySink out;
    ZvdconvIo io;
    io.standardOutput = &out;
    io.standardError = [](std::string_view) {};
    if (runZvdconv({"--info", file}, io) != 0) return -1;
    const std::string text(out.text());
    const size_t at = text.find("records:");
    return at == std::string::npos ? -1 : std::stol(text.substr(at + 8));
}

Bytes readBytes(const std::string& path) {
    FileImage image;
    if (!readWholeFile(path, image)) return {};
    return Bytes(image.bytes.get(), image.bytes.get() + image.size);
}

using keyemu::kScreenImageSize;
using ScreenImage = std::array<uint8_t, kScreenImageSize>;

// The screen image back out of a monochrome bitmap file (format 0): LCD row r is bytes 1..30
// of stored row 71 - r, in the screen image's own bit order.
ScreenImage screenOf(const Bytes& bmp) {
    ScreenImage screen{};
    if (bmp.size() != 2622) return screen;
    for (size_t row = 0; row < 64; ++row) {
        const uint8_t* from = bmp.data() + 62 + (71 - row) * 32 + 1;
        std::copy(from, from + 30, screen.begin() + static_cast<long>(row * 30));
    }
    return screen;
}

ScreenImage asImage(const Bytes& raw) {
    ScreenImage screen{};
    if (raw.size() == screen.size()) std::copy(raw.begin(), raw.end(), screen.begin());
    return screen;
}

// Text rows (8 dots each) of two screens that differ.
std::vector<int> differingTextRows(const ScreenImage& a, const ScreenImage& b) {
    std::vector<int> rows;
    for (int text = 0; text < 8; ++text) {
        const auto first = a.begin() + text * 8 * 30, last = first + 8 * 30;
        if (!std::equal(first, last, b.begin() + text * 8 * 30)) rows.push_back(text);
    }
    return rows;
}

// The summary line of a monitor: "monitor: N records in F files in DIR, M lost-data markers".
struct Counts {
    long records = -1, files = -1, markers = -1;
};
Counts monitorCounts(const std::string& out) {
    Counts c;
    const size_t at = out.find("monitor: ");
    if (at == std::string::npos) return c;
    const std::string line = out.substr(at, out.find('\n', at) - at);
    char folder[512] = {};
    if (std::sscanf(line.c_str(), "monitor: %ld records in %ld files in %511[^,], %ld lost-data markers", &c.records,
                    &c.files, folder, &c.markers) != 4)
        return Counts{};
    return c;
}

// An emulated analyzer behind the LAN adapter server, as zvsim serves it.
struct LanAnalyzer {
    explicit LanAnalyzer(emu::AnalyzerConfig config = {}) : analyzer(config), server(analyzer) {
        EXPECT_EQ(server.start("127.0.0.1", "0", "0"), kOk);
    }
    std::vector<std::string> with(std::vector<std::string> command) const {
        std::vector<std::string> args = {"--lan", "127.0.0.1:" + std::to_string(server.dataPort()) + ":" +
                                                      std::to_string(server.controlPort())};
        args.insert(args.end(), command.begin(), command.end());
        return args;
    }
    // Fills the capture memory for a moment, from the analyzer's own panel.
    void capture(int ms) {
        ASSERT_EQ(analyzer.startMeasurement(), kOk);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        ASSERT_EQ(analyzer.stopMeasurement(0), kOk);
    }
    emu::Analyzer analyzer;
    emu::AdapterServer server;
};

emu::AnalyzerConfig fastTraffic(uint32_t recordsPerSecond) {
    emu::AnalyzerConfig c;
    c.traffic.fixedRate = recordsPerSecond;
    return c;
}

TEST(ZvremoteUsage, BadCommandLinesAreUsageErrorsBeforeAnyLink) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"info"},                                           // no analyzer
        {"--usb", "30808001"},                              // no command
        {"--usb", "30808001", "--lan", "h:1:2", "info"},    // two analyzers
        {"--usb", "1234567890123456", "info"},              // serial number too long
        {"--lan", "host:1", "info"},
        {"--serial", "COM1,fast", "info"},
        {"--serial", "COM1,9600,mark", "info"},
        {"--usb", "30808001", "upload"},
        {"--usb", "30808001", "upload", "-o"},
        {"--usb", "30808001", "setup", "send"},
        {"--usb", "30808001", "setup", "receive", "x.SU"},
        {"--usb", "30808001", "key"},
        {"--usb", "30808001", "key", "enter", "bogus"},
        {"--usb", "30808001", "clock", "2025-02-29", "10:00:00"},  // no such day
        {"--usb", "30808001", "clock", "2024-1-1", "10:00:00"},
        {"--usb", "30808001", "monitor", "--seconds", "2"},
        {"--usb", "30808001", "monitor", "--seconds", "-1", "--dir", "d"},
        {"--usb", "30808001", "monitor", "--seconds", "1", "--dir", "d", "--block", "3M,10"},
        {"--usb", "30808001", "monitor", "--seconds", "1", "--dir", "d", "--block", "1M,1"},
        {"--usb", "30808001", "info", "extra"},
        {"--usb", "30808001", "list"},
        {"--usb", "30808001", "frobnicate"},
        {"--usb", "30808001", "screen"},
        {"--usb", "30808001", "screen", "--format", "4", "-o", "x.bmp"},
        {"--usb", "30808001", "screen", "--raw", "--format", "1", "-o", "x.raw"},
        {"--usb", "30808001", "screen", "-o", "x.bmp", "-o", "y.bmp"},
        {"--usb", "30808001", "screen", "--from", "x.raw", "-o", "x.bmp"},  // offline takes no analyzer
        {"screen", "--from", "x.raw", "--raw", "-o", "x.bmp"},
        {"screen", "--from", "x.raw"},
    };
    for (const auto& args : cases) {
        const ToolRun r = zvremote(args);
        EXPECT_EQ(r.rc, kZvremoteUsage) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << ::testing::PrintToString(args);
    }
    const ToolRun help = zvremote({"--help"});
    EXPECT_EQ(help.rc, 0);
    EXPECT_NE(help.out.find("monitor --seconds S --dir DIR"), std::string::npos);
}

TEST(ZvremoteUsage, ClockTextsAndResultTexts) {
    ClockTime t;
    ASSERT_TRUE(parseClockTime("2024-02-29 23:59:58", t));
    EXPECT_EQ(t.year, 2024);
    EXPECT_EQ(t.month, 2);
    EXPECT_EQ(t.day, 29);
    EXPECT_EQ(t.dayOfWeek, 4);  // a Thursday
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.second, 58);
    ASSERT_TRUE(parseClockTime("2000-01-01 00:00:00", t));
    EXPECT_EQ(t.dayOfWeek, 6);  // a Saturday
    for (const char* bad : {"2023-02-29 00:00:00", "1900-02-29 00:00:00", "2024-04-31 00:00:00", "2024-13-01 00:00:00",
                            "2024-01-01 24:00:00", "2024-01-01 00:60:00", "2024-01-01T00:00:00", "2024-01-01 0:00:00",
                            "2024-01-01 00:00:00 ", ""})
        EXPECT_FALSE(parseClockTime(bad, t)) << bad;

    EXPECT_NE(describeResult(static_cast<Result>(0xA0000004u)).find("0xA0000004"), std::string::npos);
    EXPECT_NE(describeResult(static_cast<Result>(0x80070102u)).find("time-out"), std::string::npos);
    EXPECT_EQ(describeResult(static_cast<Result>(0x80070020u)), "0x80070020 (system error 32)");
    EXPECT_EQ(describeResult(static_cast<Result>(0x8000FFFFu)), "0x8000FFFF");
}

TEST(ZvremoteScreen, ConvertsASavedImageOfExactlyOneScreen) {
    test::TempDir dir;
    ScreenImage screen{};
    screen[0] = 0x80;     // top-left dot
    screen[1919] = 0x01;  // bottom-right dot
    const std::string raw = dir.file("screen.raw");
    ASSERT_EQ(writeWholeFile(raw, screen.data(), screen.size()), kOk);
    keyemu::LcdPicture picture;
    picture.show(screen.data(), screen.size());
    ToolRun r = zvremote({"screen", "--from", raw, "-o", dir.file("mono.bmp")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(readBytes(dir.file("mono.bmp")), keyemu::bitmapFile(picture, keyemu::ExportFormat::Mono));
    EXPECT_EQ(screenOf(readBytes(dir.file("mono.bmp"))), screen);
    r = zvremote({"screen", "--format", "3", "--from", raw, "-o", dir.file("colour.bmp")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(readBytes(dir.file("colour.bmp")), keyemu::bitmapFile(picture, keyemu::ExportFormat::ColourFramed));

    // A cut-off transfer or some other file is no screen: refused, and nothing written.
    for (const size_t size : {size_t{1919}, size_t{1921}, size_t{0}}) {
        const Bytes wrong(size, 0xFF);
        ASSERT_EQ(writeWholeFile(raw, wrong.data(), wrong.size()), kOk);
        r = zvremote({"screen", "--from", raw, "-o", dir.file("wrong.bmp")});
        EXPECT_EQ(r.rc, kZvremoteFailed);
        EXPECT_TRUE(r.has(std::to_string(size) + " bytes: a screen image has exactly 1920")) << r.err;
        EXPECT_FALSE(fs::exists(dir.file("wrong.bmp")));
    }
    r = zvremote({"screen", "--from", dir.file("missing.raw"), "-o", dir.file("wrong.bmp")});
    EXPECT_EQ(r.rc, kZvremoteFailed);
    EXPECT_TRUE(r.has("cannot read")) << r.err;
}

TEST(ZvremoteLan, InfoStartStopAndUploadReadBackWithTheAnalyzersRecordCount) {
    test::TempDir dir;
    LanAnalyzer lan(fastTraffic(20000));
    ToolRun r = zvremote(lan.with({"info"}));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.has("AN-2400 + EX-NB3BP (board type 73763)"));
    EXPECT_TRUE(r.has("(idle)"));

    r = zvremote(lan.with({"start"}));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(lan.analyzer.measuring());
    EXPECT_TRUE(zvremote(lan.with({"info"})).has("(measuring)"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    r = zvremote(lan.with({"stop"}));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_FALSE(lan.analyzer.measuring());
    const size_t records = lan.analyzer.captureBytes() / 32;
    ASSERT_GT(records, 1000u);

    const std::string out = dir.file("capture.DT");
    r = zvremote(lan.with({"upload", "-o", out}));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(zvdconvRecords(out), static_cast<long>(records));
    EXPECT_FALSE(fs::exists(dir.file("DATAFILE.TMP")));  // renamed, not copied

    // A second upload replaces the file.
    r = zvremote(lan.with({"upload", "-o", out}));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(zvdconvRecords(out), static_cast<long>(records));
}

TEST(ZvremoteLan, SetupSentThenReceivedComesBackByteForByte) {
    test::TempDir dir;
    LanAnalyzer lan;
    const BoardType board = 73763;
    SetupWorkspace setup;
    setup.initDefaults(board);
    setup.image.bytes[28 + 4] = 8;         // CAN channel 1 at 1 Mbit/s
    setup.canTables.bytes[8 + 12] = 0x7F;  // CAN transmit entry 1 identifier
    setup.linTables.bytes[8 + 8] = 0x3C;   // LIN transmit entry 1 identifier
    const std::string sent = dir.file("sent.SU"), back = dir.file("back.SU");
    ASSERT_EQ(writeSetupFile(sent, board, setup), kOk);

    // The analyzer starts from its defaults: what comes back first is not what is sent.
    ToolRun r = zvremote(lan.with({"setup", "receive", "-o", back}));
    ASSERT_EQ(r.rc, 0) << r.err;
    ASSERT_EQ(readBytes(back).size(), kSetupFileSizeDual);
    EXPECT_NE(readBytes(back), readBytes(sent));

    r = zvremote(lan.with({"setup", "send", sent}));
    ASSERT_EQ(r.rc, 0) << r.err;
    r = zvremote(lan.with({"setup", "receive", "-o", back}));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(readBytes(back), readBytes(sent));
    EXPECT_EQ(lan.analyzer.setupWrapper(0x6000)[8 + 8 + 12], 0x7F);

    // Not a setup file: nothing is sent.
    const std::string junk = dir.file("junk.SU");
    ASSERT_EQ(writeWholeFile(junk, reinterpret_cast<const uint8_t*>("not a setup"), 11), kOk);
    r = zvremote(lan.with({"setup", "send", junk}));
    EXPECT_EQ(r.rc, kZvremoteFailed);
    EXPECT_TRUE(r.has("junk.SU"));

    // The analyzer takes no setup while it measures.
    ASSERT_EQ(lan.analyzer.startMeasurement(), kOk);
    r = zvremote(lan.with({"setup", "send", sent}));
    EXPECT_EQ(r.rc, kZvremoteFailed);
    EXPECT_TRUE(r.has("measuring"));
    r = zvremote(lan.with({"setup", "receive", "-o", dir.file("during.SU")}));
    EXPECT_EQ(r.rc, kZvremoteFailed);
    EXPECT_FALSE(fs::exists(dir.file("during.SU")));
}

TEST(ZvremoteLan, ScreenShowsTheStatusPageAndAKeyChangesIt) {
    test::TempDir dir;
    LanAnalyzer lan;
    const std::string first = dir.file("status.bmp"), second = dir.file("menu.raw");
    ToolRun r = zvremote(lan.with({"screen", "-o", first}));
    ASSERT_EQ(r.rc, 0) << r.err;
    const auto status = screenOf(readBytes(first));
    // The status page, as the analyzer draws it; its clock row may have ticked meanwhile.
    ASSERT_EQ(lan.analyzer.page(), emu::Page::Status);
    const std::vector<int> moved = differingTextRows(status, lan.analyzer.screen());
    EXPECT_TRUE(moved.empty() || moved == std::vector<int>{1}) << ::testing::PrintToString(moved);
    EXPECT_NE(std::count(status.begin(), status.begin() + 240, 0xFF), 0);  // the inverted title row

    r = zvremote(lan.with({"key", "enter"}));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(lan.analyzer.page(), emu::Page::Menu);
    r = zvremote(lan.with({"screen", "--raw", "-o", second}));
    ASSERT_EQ(r.rc, 0) << r.err;
    ASSERT_EQ(readBytes(second).size(), 1920u);
    const ScreenImage menu = asImage(readBytes(second));
    EXPECT_EQ(menu, lan.analyzer.screen());
    EXPECT_NE(differingTextRows(status, menu).size(), 0u);

    // Several keys in order, by name and by value: menu back to the status page, enter, down,
    // enter opens the second menu page.
    r = zvremote(lan.with({"key", "menu", "0x8014", "down", "enter"}));
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(lan.analyzer.page(), emu::Page::Memory);
}

TEST(ZvremoteLan, ClockSetsTheAnalyzersClock) {
    LanAnalyzer lan;
    ToolRun r = zvremote(lan.with({"clock", "2024-02-29", "23:59:50"}));
    ASSERT_EQ(r.rc, 0) << r.err;
    uint16_t now[8];
    lan.analyzer.clock(now);
    EXPECT_EQ(now[0], 2024);
    EXPECT_EQ(now[1], 2);
    EXPECT_EQ(now[3], 29);
    EXPECT_EQ(now[4], 23);
    // Without a date the PC's local time.
    r = zvremote(lan.with({"clock"}));
    ASSERT_EQ(r.rc, 0) << r.err;
    lan.analyzer.clock(now);
    EXPECT_EQ(now[0], 2030);
    EXPECT_EQ(now[1], 6);
    EXPECT_EQ(now[3], 15);
}

TEST(ZvremoteLan, NobodyListeningAndALinkLostMidUploadFailWithTheirCodes) {
    test::TempDir dir;
    {
        // A port that was just free.
        LanAnalyzer gone;
        const std::vector<std::string> args = gone.with({"info"});
        gone.server.stop();
        const ToolRun r = zvremote(args);
        EXPECT_EQ(r.rc, kZvremoteFailed);
        EXPECT_TRUE(r.has("0x8007274D")) << r.err;
    }
    emu::AnalyzerConfig c = fastTraffic(200000);
    LanAnalyzer lan(c);
    lan.capture(300);
    ASSERT_GT(lan.analyzer.captureBytes(), 200000u);
    emu::FaultConfig faults;
    faults.drop = emu::FaultConfig::Drop::Upload;
    faults.dropAfterBytes = 100000;
    lan.analyzer.setFaults(faults);
    const ToolRun r = zvremote(lan.with({"upload", "-o", dir.file("lost.DT")}));
    EXPECT_EQ(r.rc, kZvremoteFailed);
    EXPECT_TRUE(r.has("0x80072746")) << r.err;
    EXPECT_FALSE(fs::exists(dir.file("lost.DT")));
    // Nothing of the broken transfer is left, under either name.
    EXPECT_FALSE(fs::exists(dir.file("DATAFILE.TMP")));
    EXPECT_FALSE(fs::exists(dir.file("DATAFILE.TMP.new")));
}

TEST(ZvremoteLan, ALinkLostDuringMonitoringFailsAndKeepsTheFilesWritten) {
    test::TempDir dir;
    LanAnalyzer lan(fastTraffic(50000));
    emu::FaultConfig faults;
    faults.drop = emu::FaultConfig::Drop::Monitor;
    faults.dropAfterBytes = 300000;
    lan.analyzer.setFaults(faults);
    const std::string folder = dir.file("monitor");
    const ToolRun r = zvremote(lan.with({"monitor", "--seconds", "20", "--dir", folder}));
    EXPECT_EQ(r.rc, kZvremoteFailed);
    EXPECT_TRUE(r.has("0x80072746")) << r.err;
    // What arrived before the loss is a finished file with its header.
    const Counts counts = monitorCounts(r.out);
    EXPECT_GE(counts.records, 300000 / 32) << r.out;
    EXPECT_EQ(zvdconvRecords(folder + "/00000000.DT"), counts.records + counts.markers);
}

TEST(ZvremoteLan, RecordsNoFileCouldTakeFailTheMonitorAndAreCounted) {
    test::TempDir dir;
    LanAnalyzer lan(fastTraffic(200000));
    const std::string folder = dir.file("vanishing");
    // The folder is moved away once the second file is begun (the open file goes with it):
    // every later file fails.
    std::thread remover([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!fs::exists(folder + "/00000001.DT") && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::error_code ignored;
        fs::rename(folder, dir.file("moved"), ignored);
    });
    const ToolRun r = zvremote(lan.with({"monitor", "--seconds", "2", "--dir", folder, "--block", "1M,2000"}));
    remover.join();
    EXPECT_EQ(r.rc, kZvremoteFailed) << r.out;
    EXPECT_TRUE(r.has("records could not be written, the first into " + folder)) << r.err;
    EXPECT_TRUE(r.has("0x80070003")) << r.err;
}

TEST(ZvremoteLan, CtrlCCancelsASlowUpload) {
    test::TempDir dir;
    emu::AnalyzerConfig c = fastTraffic(200000);
    c.linkBytesPerSecond = 200000;  // some ten seconds for what is captured
    LanAnalyzer lan(c);
    lan.capture(300);
    std::atomic<bool> stop{false};
    std::thread ctrlC([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        stop = true;
    });
    const auto begin = std::chrono::steady_clock::now();
    const ToolRun r = zvremote(lan.with({"upload", "-o", dir.file("slow.DT")}), &stop);
    ctrlC.join();
    EXPECT_EQ(r.rc, kZvremoteFailed);
    EXPECT_TRUE(r.has("0x800704C7")) << r.err;
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(4));
    EXPECT_FALSE(fs::exists(dir.file("slow.DT")));
}

#ifndef _WIN32
TEST(ZvremoteSerial, AnAnalyzerOnAPseudoTerminalLine) {
    std::unique_ptr<remote::Transport> line;
    std::string port;
    if (failed(remote::openPseudoTerminal(line, port))) GTEST_SKIP() << "no pseudo-terminals here";
    emu::Analyzer analyzer(fastTraffic(5000));
    emu::SerialServer server(analyzer, std::move(line), remote::ReliableStreamOptions{});
    server.start();
    test::TempDir dir;
    ToolRun r = zvremote({"--serial", port + ",115200,none", "info"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.has("AN-2400 + EX-NB3BP (board type 73763)"));
    r = zvremote({"--serial", port, "setup", "receive", "-o", dir.file("serial.SU")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(readBytes(dir.file("serial.SU")).size(), kSetupFileSizeDual);
}
#endif

// The library's built-in USB analyzers, with more of them from a configuration file. The test
// keeps the library initialised, so that each run of the tool finds the analyzers as the
// previous one left them.
class ZvremoteUsb : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream conf(dir_.file("zvlkrmt.ini"));
        conf << libraryLines() <<
            "[analyzer]\nserial = 30808002\nmodel = AN-1400\nfault = refuse=0xA0000004\n"
            "[analyzer]\nserial = 30808003\nfault = stall=requests\n"
            "[analyzer]\nserial = 30808004\nfault = stall=connect\n"
            "[analyzer]\nserial = 30808005\nfixed-rate = 50000\nfault = skip-monitor=5\n"
            "[analyzer]\nserial = 30808006\nfixed-rate = 100000\n"
            "[analyzer]\nserial = 30808007\nboard = 65555\n"
            "[analyzer]\nserial = 30808008\nfault = drop=setup:3000\n"
            "[analyzer]\nserial = 30808009\nkeyLog = keys.log\n";
        conf.close();
        remote_api::setConfigPath(dir_.file("zvlkrmt.ini"));
        ASSERT_EQ(ZVInitializeRemote(), kOk);
        ASSERT_EQ(remote_api::configError(), "");
    }
    void TearDown() override {
        ZVUninitializeRemote();
        remote_api::setConfigPath("");
    }
    // The library's own time limits stay as shipped, except where a test waits for them.
    virtual std::string libraryLines() const { return {}; }
    test::TempDir dir_;
};

// Stalled analyzers time out within the library's answer time-out, here a short one.
class ZvremoteUsbImpatient : public ZvremoteUsb {
protected:
    std::string libraryLines() const override { return "[library]\nanswer-timeout = 400\nkeep-alive = 100\n"; }
};

TEST_F(ZvremoteUsb, ListsTheAnalyzersOfTheConfiguration) {
    const ToolRun r = zvremote({"list"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.has("30808001  AN-2400 (kind 73731)"));
    EXPECT_TRUE(r.has("30808002  AN-1400 (kind 73730)"));
    EXPECT_TRUE(r.has("30808007  AN-2100 (kind 65539)"));
}

TEST_F(ZvremoteUsb, TheAnalyzerLogsTheKeyValuesItReceivesBesideTheConfiguration) {
    ToolRun r = zvremote({"--usb", "30808009", "key", "shift", "k5"});
    ASSERT_EQ(r.rc, 0) << r.err;
    r = zvremote({"--usb", "30808009", "key", "enter"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const Bytes log = readBytes(dir_.file("keys.log"));
    EXPECT_EQ(std::string(log.begin(), log.end()), "0xFFFFFFFF\n0x00008005\n0x00008014\n");
}

TEST_F(ZvremoteUsbImpatient, RefusedStalledAndUnknownAnalyzersFailWithTheirCodes) {
    struct Case {
        std::vector<std::string> args;
        const char* code;
    };
    SetupWorkspace setup;
    setup.initDefaults(73763);
    const std::string file = dir_.file("default.SU");
    ASSERT_EQ(writeSetupFile(file, 73763, setup), kOk);
    const std::vector<Case> cases = {
        {{"--usb", "30808008", "setup", "send", file}, "0x80072746"},  // the link lost in the middle
        {{"--usb", "30808002", "info"}, "0xA0000004"},
        {{"--usb", "30808099", "info"}, "USB analyzer 30808099: 0x8007048F (no analyzer with this serial number is attached)"},
        {{"--usb", "30808004", "info"}, "0x80070102"},
        {{"--usb", "30808003", "start"}, "0x80070102"},
        {{"--usb", "30808003", "key", "enter"}, "0x80070102"},
        // No request is waiting for the screen: the library ends the silent link, and says
        // it was for the time-out.
        {{"--usb", "30808003", "screen", "-o", dir_.file("never.bmp")}, "0x80070102"},
    };
    for (const Case& c : cases) {
        const auto begin = std::chrono::steady_clock::now();
        const ToolRun r = zvremote(c.args);
        EXPECT_EQ(r.rc, kZvremoteFailed) << ::testing::PrintToString(c.args);
        EXPECT_TRUE(r.has(c.code)) << ::testing::PrintToString(c.args) << r.err;
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(8));
    }
    EXPECT_FALSE(fs::exists(dir_.file("never.bmp")));
}

TEST_F(ZvremoteUsb, MonitorWritesNumberedFilesThatZvdconvConverts) {
    const std::string folder = dir_.file("monitor");
    // A file of an earlier monitor is replaced, a file of another name is left alone.
    fs::create_directories(folder);
    std::ofstream(folder + "/00000007.DT") << "old";
    std::ofstream(folder + "/notes.txt") << "keep";
    const ToolRun r = zvremote({"--usb", "30808006", "monitor", "--seconds", "1", "--dir", folder});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_FALSE(fs::exists(folder + "/00000007.DT"));
    EXPECT_TRUE(fs::exists(folder + "/notes.txt"));
    // About 100,000 records of 32 bytes: three or four files of 1 MiB of records.
    long total = 0;
    int files = 0;
    for (int n = 0; fs::exists(folder + "/" + bufferFileName(n)); ++n, ++files) {
        const std::string file = folder + "/" + bufferFileName(n);
        const long records = zvdconvRecords(file);
        ASSERT_GT(records, 0) << file;
        total += records;
    }
    ASSERT_GE(files, 2);
    EXPECT_EQ(zvdconvRecords(folder + "/" + bufferFileName(0)), 32768);  // a full file holds 1 MiB
    // Every record received is in the files, and a marker record in front of each gap (a PC
    // too slow for the stream, as under a sanitizer, loses blocks the analyzer cannot send).
    const Counts counts = monitorCounts(r.out);
    EXPECT_EQ(counts.files, files) << r.out;
    EXPECT_EQ(total, counts.records + counts.markers) << r.out;

    // zvdconv converts a numbered file.
    MemorySink out;
    ZvdconvIo io;
    io.standardOutput = &out;
    io.standardError = [](std::string_view) {};
    io.sourceDateEpoch = "1700000000";
    const std::string last = folder + "/" + bufferFileName(files - 1);
    EXPECT_EQ(runZvdconv({"--csv", last}, io), 0);
    EXPECT_GT(fs::file_size(folder + "/" + bufferFileName(files - 1).substr(0, 8) + ".csv"), 0u);
}

TEST_F(ZvremoteUsb, MonitorStopsAtTheFileLimitAndCountsSkippedBlocks) {
    const std::string folder = dir_.file("limited");
    ToolRun r = zvremote({"--usb", "30808006", "monitor", "--seconds", "20", "--dir", folder, "--block", "1M,2"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(r.has("limit of 2 files"));
    EXPECT_TRUE(fs::exists(folder + "/00000000.DT"));
    EXPECT_TRUE(fs::exists(folder + "/00000001.DT"));
    EXPECT_FALSE(fs::exists(folder + "/00000002.DT"));
    EXPECT_EQ(zvdconvRecords(folder + "/00000001.DT"), 32768);

    // Every fifth block left out of the stream: a marker record in front of each gap.
    const std::string gaps = dir_.file("gaps");
    r = zvremote({"--usb", "30808005", "monitor", "--seconds", "1", "--dir", gaps});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_GT(monitorCounts(r.out).markers, 0) << r.out;
}

TEST_F(ZvremoteUsb, CanOnlyAnalyzerRoundTripsItsShorterSetupFile) {
    const std::string first = dir_.file("first.SU"), second = dir_.file("second.SU");
    ToolRun r = zvremote({"--usb", "30808007", "setup", "receive", "-o", first});
    ASSERT_EQ(r.rc, 0) << r.err;
    Bytes file = readBytes(first);
    ASSERT_EQ(file.size(), kSetupFileSizeCanOnly);
    // A CAN transmit identifier changed in the file goes to the analyzer and comes back.
    file[1072 + 8 + 8 + 12] = 0x55;
    ASSERT_EQ(writeWholeFile(first, file.data(), file.size()), kOk);
    r = zvremote({"--usb", "30808007", "setup", "send", first});
    ASSERT_EQ(r.rc, 0) << r.err;
    r = zvremote({"--usb", "30808007", "setup", "receive", "-o", second});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(readBytes(second), file);
}

}  // namespace
}  // namespace zv::tools
