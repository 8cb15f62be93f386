// zvsim and the emulator's text configuration: options, faults, a served connection, Ctrl+C.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>
#include <regex>
#include <thread>

#include "../remote/recorder.h"
#include "emulator/config.h"
#include "support/temp_dir.h"
#include "zvlkrmt/protocol/wire.h"
#include "zvlkrmt/transport/tcp_transport.h"
#include "zvsim_cli.h"

namespace zv::tools {
namespace {

struct Captured {
    std::mutex mutex;
    std::vector<std::string> out, err;
    ZvsimIo io;
    std::atomic<bool> stop{false};

    Captured() {
        io.out = [this](const std::string& s) {
            std::lock_guard lock(mutex);
            out.push_back(s);
        };
        io.err = [this](const std::string& s) {
            std::lock_guard lock(mutex);
            err.push_back(s);
        };
        io.stop = &stop;
    }
    std::string all() {
        std::lock_guard lock(mutex);
        std::string s;
        for (const auto& l : out) s += l + "\n";
        for (const auto& l : err) s += l + "\n";
        return s;
    }
};

TEST(EmulatorConfig, FaultOptions) {
    emu::FaultConfig f;
    std::string error;
    EXPECT_TRUE(emu::parseFault(f, "refuse=0xA0000009", error));
    EXPECT_EQ(static_cast<uint32_t>(f.refuseConnect), 0xA0000009u);
    EXPECT_TRUE(emu::parseFault(f, "stall=requests", error));
    EXPECT_EQ(f.stall, emu::FaultConfig::Stall::Requests);
    EXPECT_TRUE(emu::parseFault(f, "stall=monitor:0x10000", error));
    EXPECT_EQ(f.stall, emu::FaultConfig::Stall::Monitor);
    EXPECT_EQ(f.stallAfterBytes, 65536u);
    EXPECT_TRUE(emu::parseFault(f, "drop=upload:65536", error));
    EXPECT_EQ(f.drop, emu::FaultConfig::Drop::Upload);
    EXPECT_EQ(f.dropAfterBytes, 65536u);
    EXPECT_TRUE(emu::parseFault(f, "skip-monitor=7", error));
    EXPECT_EQ(f.skipMonitorEvery, 7u);
    EXPECT_TRUE(emu::parseFault(f, "type=0x10001", error));
    EXPECT_EQ(f.reportType, 0x10001u);
    EXPECT_TRUE(emu::parseFault(f, "refuse-monitor=0xA0000001", error));
    EXPECT_EQ(static_cast<uint32_t>(f.refuseMonitor), 0xA0000001u);
    EXPECT_FALSE(emu::parseFault(f, "refuse-monitor=1", error)) << "not a failure";
    EXPECT_FALSE(emu::parseFault(f, "refuse=0xA0000002", error));
    EXPECT_FALSE(emu::parseFault(f, "drop=upload:lots", error));
    EXPECT_FALSE(emu::parseFault(f, "stall=monitor", error));
    EXPECT_FALSE(emu::parseFault(f, "explode", error));
    EXPECT_FALSE(error.empty());
}

TEST(EmulatorConfig, StreamReportLinesReadBack) {
    emu::StreamReport r;
    r.link = 3;
    r.measurement = 7;
    r.generated = 1000;
    r.sent = 900;
    r.leftOut = 60;
    r.gaps = 2;
    r.unsent = 40;
    r.crc = 0x0012ABCD;
    r.end = "stalled";
    const std::string line = emu::streamReportText(r);
    EXPECT_EQ(line, "stream link=3 measurement=7 generated=1000 sent=900 left-out=60 gaps=2 unsent=40 crc32=0012ABCD "
                    "end=stalled");
    const auto back = emu::parseStreamReport(line + "\r");
    ASSERT_TRUE(back);
    EXPECT_EQ(emu::streamReportText(*back), line);
    for (const char* bad : {"zvsim: PC connected", "stream link=3 measurement=7", "stream link=x measurement=7",
                            "stream measurement=7 link=3 generated=1000 sent=900 left-out=60 gaps=2 unsent=40 crc32=0012ABCD end=x",
                            "stream link=3 measurement=7 generated=1000 sent=900 left-out=60 gaps=2 unsent=40 crc32=12ABCD end=x"}) {
        EXPECT_FALSE(emu::parseStreamReport(bad)) << bad;
    }
}

TEST(EmulatorConfig, HostileModeKeys) {
    emu::AnalyzerConfig c;
    std::string error;
    EXPECT_TRUE(emu::loadConfigText(c, "hostile = wrong-length\nhostile-at = upload\nhostile-after = 0x100\n"
                                       "hostile-seed = 77\n", error))
        << error;
    EXPECT_EQ(c.faults.hostile.kind, emu::HostileConfig::Kind::WrongLength);
    EXPECT_EQ(c.faults.hostile.at, emu::LinkMoment::Upload);
    EXPECT_EQ(emu::hostileAfter(c.faults.hostile), 256u);
    EXPECT_EQ(c.faults.hostile.seed, 77u);
    // Without hostile-after each moment has its own: idle 500 ms, monitor 4 blocks.
    EXPECT_TRUE(emu::loadConfigText(c, "hostile = flood\nhostile-at = monitor\n", error)) << error;
    EXPECT_EQ(emu::hostileAfter(emu::HostileConfig{c.faults.hostile.kind, emu::LinkMoment::Monitor, {}, 1}), 4u);
    for (const char* bad : {"hostile = rude\n", "hostile-at = lunch\n", "hostile-after = soon\n"}) {
        EXPECT_FALSE(emu::loadConfigText(c, bad, error)) << bad;
        EXPECT_NE(error.find("line 1"), std::string::npos);
    }
}

TEST(EmulatorConfig, TextWithCommentsAndLineNumbersInErrors) {
    emu::AnalyzerConfig c;
    std::string error;
    EXPECT_TRUE(emu::loadConfigText(c,
                                    "# an AN-1400\nboard = 73762\nserial = 30808002\n\nbus-load = 60 # busy\n"
                                    "fault = skip-monitor=4\nmonitor-ready = no\r\n",
                                    error))
        << error;
    EXPECT_EQ(c.boardType, 73762u);
    EXPECT_EQ(c.serial, "30808002");
    EXPECT_EQ(c.traffic.busLoadPercent, 60u);
    EXPECT_EQ(c.faults.skipMonitorEvery, 4u);
    EXPECT_FALSE(c.monitorReady);
    EXPECT_FALSE(emu::loadConfigText(c, "seed = 1\nbus-load = 0\n", error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_EQ(c.traffic.busLoadPercent, 60u);  // a refused value changes nothing
    EXPECT_FALSE(emu::applySetting(c, "fault", "drop=upload:many", error));
    EXPECT_EQ(c.faults.drop, emu::FaultConfig::Drop::None);
    EXPECT_FALSE(emu::loadConfigText(c, "serial = 12345678901234567\n", error));
    EXPECT_FALSE(emu::loadConfigText(c, "just words\n", error));
    for (const auto& [text, speed] : std::vector<std::pair<std::string, uint64_t>>{
             {"usb-full", 1000000}, {"lan", 1250000}, {"serial:115200", 11520}, {"0", 0}, {"5000", 5000}}) {
        EXPECT_TRUE(emu::applySetting(c, "throttle", text, error)) << text;
        EXPECT_EQ(c.linkBytesPerSecond, speed) << text;
    }
    EXPECT_FALSE(emu::applySetting(c, "throttle", "serial:fast", error));
    EXPECT_FALSE(emu::applySetting(c, "throttle", "serial:12", error));
    EXPECT_EQ(emu::boardFromNames("AN-1100", "EX-NB2A"), 65554u);
    EXPECT_EQ(emu::boardFromNames("AN-1400", "EX-NB2A"), 0u);
}

TEST(Zvsim, UsageErrors) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--model"}, {"--frobnicate", "1"}, {"--model", "AN-9999", "--exboard", "EX-NB3BP"},
          {"--fault", "stall=forever"}, {"--board", "twelve"}}) {
        Captured c;
        EXPECT_EQ(runZvsim(args, c.io), 2) << c.all();
        EXPECT_NE(c.all().find("usage"), std::string::npos);
    }
    Captured missing;
    EXPECT_EQ(runZvsim({"--config", "/nonexistent/zvsim.conf"}, missing.io), 1);
}

TEST(Zvsim, ServesAPcOverLoopbackAndStopsOnRequest) {
    test::TempDir dir;
    {
        std::ofstream conf(dir.file("sim.conf"));
        conf << "serial = 30808077\nseed = 5\n";
    }
    Captured c;
    int rc = -1;
    std::vector<uint8_t> received;
    std::thread server([&] {
        rc = runZvsim({"--model", "AN-1400", "--exboard", "EX-NB3BP", "--listen", "127.0.0.1", "--data-port", "0",
                       "--control-port", "0", "--config", dir.file("sim.conf"), "--key-log", dir.file("keys.log"),
                       "--rate", "20000", "--stats", dir.file("stats.txt")},
                      c.io);
    });
    // Find the ports in the start line.
    std::smatch m;
    std::string line;
    const std::regex started("AN-1400 \\+ EX-NB3BP \\(73762\\) serial 30808077 listening on 127.0.0.1 data (\\d+) control (\\d+)");
    for (int i = 0; i < 200; ++i) {
        line = c.all();
        if (std::regex_search(line, m, started)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(m.size(), 3u) << line;
    {
        remote::test::Recorder rec;
        remote::RemoteClient client(rec);
        const remote::TcpEndpoint endpoint{"127.0.0.1", m[1].str(), m[2].str()};
        client.setConnector([endpoint](std::unique_ptr<remote::Transport>& out) {
            return remote::openTcpTransport(endpoint, 2000, out);
        });
        ASSERT_EQ(client.submit(remote::test::request(remote::kKindConnect)), kOk);
        EXPECT_EQ(rec.waitDone(1).result, kOk);
        EXPECT_EQ(rec.locked([&] { return rec.deviceTypes; }), std::vector<uint32_t>{73762});
        ASSERT_EQ(client.submit(remote::test::request(remote::kKindKey, 0x8014)), kOk);
        EXPECT_EQ(rec.waitDone(2).result, kOk);
        // A measurement streamed to the PC is accounted for in the stats file once the link ends.
        ASSERT_EQ(client.submit(remote::test::request(remote::kKindMeasurement, 1)), kOk);
        EXPECT_EQ(rec.waitDone(3).result, kOk);
        EXPECT_TRUE(rec.waitFor([&] { return rec.monitor.size() >= 3; }));
        ASSERT_EQ(client.submit(remote::test::request(remote::kKindMeasurement, 0)), kOk);
        EXPECT_EQ(rec.waitDone(4).result, kOk);
        received = rec.locked([&] { return rec.monitorBytes; });
    }
    c.stop = true;
    server.join();
    EXPECT_EQ(rc, 0);
    const std::string log = c.all();
    EXPECT_NE(log.find("zvsim: PC connected"), std::string::npos) << log;
    EXPECT_NE(log.find("request 1: kind 3, 0x8014"), std::string::npos) << log;
    EXPECT_NE(log.find("zvsim: stopped"), std::string::npos);
    std::ifstream keys(dir.file("keys.log"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(keys), std::istreambuf_iterator<char>()), "0x00008014\n");
    std::ifstream statsFile(dir.file("stats.txt"), std::ios::binary);
    const std::string stats{std::istreambuf_iterator<char>(statsFile), std::istreambuf_iterator<char>()};
    ASSERT_EQ(std::count(stats.begin(), stats.end(), '\n'), 1) << stats;
    const auto report = emu::parseStreamReport(stats.substr(0, stats.size() - 1));
    ASSERT_TRUE(report) << stats;
    EXPECT_EQ(report->link, 1u);
    EXPECT_EQ(report->sent, received.size() / 32);
    EXPECT_EQ(report->crc, remote::crc32(received.data(), received.size()));
    EXPECT_EQ(report->leftOut + report->unsent, 0u);
    EXPECT_EQ(report->generated, report->sent);
    EXPECT_EQ(report->end, "link-ended");
}

}  // namespace
}  // namespace zv::tools
