// Every request kind of the remote client against the emulated analyzer, in process and over
// loopback TCP through the LAN adapter server, and the faults the emulator can inject.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/bytes.h"
#include "emulator/analyzer.h"
#include "emulator/in_process.h"
#include "emulator/server/adapter_server.h"
#include "recorder.h"
#include "zvlkrmt/protocol/wire.h"
#include "zvlkrmt/transport/tcp_transport.h"

namespace zv::remote {
namespace {

using emu::Analyzer;
using emu::AnalyzerConfig;
using emu::FaultConfig;
using test::Recorder;
using test::request;
using Bytes = std::vector<uint8_t>;

enum class Link { InProcess, Tcp };

// Time limits of the link: generous, since sanitizer builds and Wine on a busy machine are
// slow; the time-out tests set their own.
constexpr int kLinkTimeoutMs = 10000;

class RemoteEmulator : public ::testing::TestWithParam<Link> {
protected:
    void start(AnalyzerConfig config = {}) {
        config.traffic.fixedRate = config.traffic.fixedRate ? config.traffic.fixedRate : 20000;
        analyzer = std::make_unique<Analyzer>(config);
        client = std::make_unique<RemoteClient>(recorder, options());
        if (GetParam() == Link::Tcp) {
            server = std::make_unique<emu::AdapterServer>(*analyzer);
            ASSERT_EQ(server->start("127.0.0.1", "0", "0"), kOk);
            const TcpEndpoint endpoint{"127.0.0.1", std::to_string(server->dataPort()),
                                       std::to_string(server->controlPort())};
            client->setConnector([endpoint](std::unique_ptr<Transport>& out) {
                return openTcpTransport(endpoint, kLinkTimeoutMs, out);
            });
        } else {
            client->setConnector(emu::inProcessConnector(*analyzer));
        }
    }

    ClientOptions options() {
        ClientOptions o;
        o.answerTimeoutMs = kLinkTimeoutMs;
        o.keepAliveMs = 200;
        return o;
    }

    // A measurement of at least `bytes` of records, made while no PC is attached: nothing has
    // to stream to a PC, so the capture memory is filled however slow the machine is, and
    // the stop ends at once.
    void fillCapture(size_t bytes) {
        ASSERT_FALSE(analyzer->attached());
        ASSERT_EQ(analyzer->startMeasurement(), kOk);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (analyzer->captureBytes() < bytes && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(analyzer->stopMeasurement(0), kOk);
        ASSERT_GE(analyzer->captureBytes(), bytes);
    }

    // The analyzer has seen the end of the last PC's link and takes the next one.
    bool detached() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (analyzer->attached()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    Recorder::Done run(const RequestPtr& r) {
        const size_t n = recorder.locked([&] { return recorder.done.size(); }) + 1;
        EXPECT_EQ(client->submit(r), kOk);
        return recorder.waitDone(n);
    }

    void connect() {
        const auto d = run(request(kKindConnect));
        ASSERT_EQ(d.result, kOk);
        ASSERT_EQ(client->state(), 1);
    }

    Bytes receive(uint32_t code, Result expect = kOk) {
        Bytes buffer(0x10000, 0xCC);
        auto r = request(kKindReceive, code, 1, static_cast<uint32_t>(buffer.size()));
        r->memory = buffer.data();
        const auto d = run(r);
        EXPECT_EQ(d.result, expect) << std::hex << code;
        buffer.resize(d.param4);
        return buffer;
    }

    Result send(uint32_t code, const Bytes& data) {
        auto r = request(kKindSend, code);
        r->sendData = data;
        return run(r).result;
    }

    void TearDown() override {
        recorder.holdProgress(false);  // a test that failed while holding the client's thread
        client.reset();
        server.reset();
        analyzer.reset();
    }

    Recorder recorder;
    std::unique_ptr<Analyzer> analyzer;
    std::unique_ptr<emu::AdapterServer> server;
    std::unique_ptr<RemoteClient> client;
};

TEST_P(RemoteEmulator, ConnectReportsTheDeviceTypeAndTheScreen) {
    AnalyzerConfig c;
    c.boardType = 73762;
    c.deviceValue = 42;
    start(c);
    connect();
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.screenChanges > 0; }));
    recorder.locked([&] {
        EXPECT_EQ(recorder.deviceTypes, std::vector<uint32_t>{73762});
        EXPECT_EQ(recorder.deviceValue, 42u);
        EXPECT_EQ(recorder.stateChanges, 1);
        return 0;
    });
    uint8_t screen[1920];
    client->readScreen(screen, sizeof screen);
    const auto expected = analyzer->screen();
    // The title row (model) is the same; the clock may have moved on.
    EXPECT_EQ(std::memcmp(screen, expected.data(), 240), 0);
    // A second connect while connected is refused at once.
    EXPECT_EQ(client->submit(request(kKindConnect)), kBusyRequest);
}

TEST_P(RemoteEmulator, KeysDriveTheMenuAndTheScreenFollows) {
    start();
    connect();
    ASSERT_EQ(client->setScreenInterval(50), kOk);
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.screenChanges > 0; }));
    uint8_t before[1920];
    client->readScreen(before, sizeof before);
    EXPECT_EQ(run(request(kKindKey, 0x8014)).result, kOk);  // Enter: menu
    EXPECT_EQ(analyzer->page(), emu::Page::Menu);
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.screenChanges > 1; }));
    uint8_t after[1920];
    EXPECT_TRUE(recorder.waitFor([&] {
        client->readScreen(after, sizeof after);
        return std::memcmp(after, analyzer->screen().data(), 1920) == 0;
    }));
    EXPECT_NE(std::memcmp(before, after, 1920), 0);
    // The start key on the analyzer starts a measurement; the status is notified.
    EXPECT_EQ(run(request(kKindKey, 0x8021)).result, kOk);
    EXPECT_TRUE(recorder.waitFor([&] { return !recorder.statuses.empty() && recorder.statuses.back() == 0x100; }));
    EXPECT_EQ(client->status(), 0x100u);
    EXPECT_EQ(run(request(kKindKey, 0x8022)).result, kOk);
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.statuses.back() == 0; }));
    EXPECT_FALSE(analyzer->measuring());
    client->setScreenInterval(-1);
}

TEST_P(RemoteEmulator, MeasurementWaitForEventAndMonitorStream) {
    AnalyzerConfig c;
    c.stopEndReason = 0xF005;
    start(c);
    connect();
    const auto started = run(request(kKindMeasurement, 1));
    EXPECT_EQ(started.result, kOk);
    EXPECT_NE(started.param2, 0u);  // monitor data ready
    EXPECT_TRUE(analyzer->measuring());
    const size_t base = recorder.locked([&] { return recorder.done.size(); });
    ASSERT_EQ(client->submit(request(kKindWaitEvent, 0x202)), kOk);
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.monitor.size() >= 5; }));
    EXPECT_EQ(recorder.locked([&] { return recorder.done.size(); }), base);  // still waiting
    EXPECT_EQ(run(request(kKindMeasurement, 0)).result, kOk);
    const auto ended = recorder.waitDone(base + 1);
    // The wait and the stop may complete in either order.
    const auto wait = ended.kind == kKindWaitEvent ? ended : recorder.waitDone(base + 2);
    recorder.waitDone(base + 2);
    EXPECT_EQ(wait.kind, kKindWaitEvent);
    EXPECT_EQ(wait.result, kOk);
    EXPECT_EQ(wait.param2, 1u);
    EXPECT_EQ(wait.param3, 0xF005u);
    EXPECT_TRUE(recorder.waitFor([&] { return !recorder.statuses.empty() && recorder.statuses.back() == 0; }));
    recorder.locked([&] {
        // Blocks of whole records, at most 8192 bytes, positions without gaps.
        uint32_t expected = 0;
        for (const auto& b : recorder.monitor) {
            EXPECT_EQ(b.position, expected);
            EXPECT_EQ(b.bytes % 32, 0u);
            EXPECT_LE(b.bytes, 8192u);
            expected = (expected + b.bytes) & 0xFFFF;
        }
        return 0;
    });
    // A wait submitted after the end completes at once with the last reason.
    const auto late = run(request(kKindWaitEvent, 0x202));
    EXPECT_EQ(late.param2, 1u);
    EXPECT_EQ(late.param3, 0xF005u);
    EXPECT_EQ(run(request(kKindWaitEvent, 0x203)).result, kBadBlock);
}

TEST_P(RemoteEmulator, SetupAreasRoundTripAndWrongOnesAreRefused) {
    start();
    connect();
    Bytes image = receive(0x2000);
    ASSERT_EQ(image.size(), 1824u);
    EXPECT_EQ(getU32(image.data(), 0), fourCC("STUP"));
    EXPECT_EQ(receive(0x6000).size(), 7056u);
    EXPECT_EQ(receive(0x6100).size(), 6928u);
    image[8 + 1381] = 2;  // channel 2 runs LIN
    image[8 + 28 + 4] = 8;
    EXPECT_EQ(send(0x2000, image), kOk);
    EXPECT_EQ(receive(0x2000), image);
    Bytes wrong = image;
    std::memcpy(wrong.data(), "STBL", 4);
    wrong[8 + 1381] = 1;
    EXPECT_EQ(send(0x2000, wrong), kBadBlock);
    EXPECT_EQ(send(0x2000, Bytes(image.begin(), image.end() - 4)), kBadBlock);
    EXPECT_EQ(send(0x7000, image), kBadBlock);
    EXPECT_EQ(receive(0x2000), image);
    // The monitor information carries the stored setup.
    const Bytes info = receive(0x8100);
    ASSERT_EQ(info.size(), 820u);
    EXPECT_EQ(getU32(info.data(), 0), fourCC("DINF"));
    EXPECT_EQ(info[8 + 709], 2);
    receive(0x9999, kBadBlock);
    // A receive larger than the buffer delivers what fits and says so.
    Bytes small(100);
    auto r = request(kKindReceive, 0x2000, 1, 100);
    r->memory = small.data();
    const auto d = run(r);
    EXPECT_EQ(d.result, kBufferTooSmall);
    EXPECT_EQ(d.param4, 100u);
    EXPECT_TRUE(std::equal(small.begin(), small.end(), image.begin()));
}

TEST_P(RemoteEmulator, UploadDeliversADataFile) {
    start();
    connect();
    EXPECT_EQ(run(request(kKindMeasurement, 1)).result, kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(run(request(kKindMeasurement, 0)).result, kOk);
    const size_t records = analyzer->captureBytes() / 32;
    ASSERT_GT(records, 100u);
    Bytes file(16, 0);
    for (uint32_t code : {0x8100u, 0x8102u, 0x8101u, 0x8103u}) {
        recorder.locked([&] { return recorder.file.clear(), 0; });
        const auto d = run(request(kKindReceive, code, 0, code == 0x8101 ? 0xC00000u : 0x10000u));
        EXPECT_EQ(d.result, kOk);
        recorder.locked([&] {
            EXPECT_EQ(d.param4, recorder.file.size());
            file.insert(file.end(), recorder.file.begin(), recorder.file.end());
            return 0;
        });
    }
    EXPECT_TRUE(recorder.locked([&] { return !recorder.progress.empty() && recorder.progress.back().first == recorder.progress.back().second; }));
    // Chunks: DINF, INFO, MDCL with every record, MEND.
    size_t at = 16;
    std::vector<std::string> tags;
    size_t recordBytes = 0;
    while (file.size() - at >= 8) {
        const uint32_t length = getU32(file.data(), at + 4);
        ASSERT_LE(length, file.size() - at - 8);
        tags.emplace_back(reinterpret_cast<const char*>(file.data() + at), 4);
        if (tags.back() == "MDCL") recordBytes = length;
        at += 8 + length;
    }
    EXPECT_EQ(at, file.size());
    EXPECT_EQ(tags, (std::vector<std::string>{"DINF", "INFO", "MDCL", "MEND"}));
    EXPECT_EQ(recordBytes, records * 32);
}

TEST_P(RemoteEmulator, ClockIsSetAndBadDatesAreRefused) {
    start();
    connect();
    // 2027-03-04 (a Thursday) 05:06:07.008, as year, month, weekday, day, hour, minute, second, ms.
    const auto ok = run(request(kKindSetClock, 2027 | 3u << 16, 4 | 4u << 16, 5 | 6u << 16, 7 | 8u << 16));
    EXPECT_EQ(ok.result, kOk);
    uint16_t now[8];
    analyzer->clock(now);
    EXPECT_EQ(now[0], 2027);
    EXPECT_EQ(now[1], 3);
    EXPECT_EQ(now[3], 4);
    EXPECT_EQ(now[2], 4);
    EXPECT_EQ(now[4], 5);
    EXPECT_EQ(now[5], 6);
    EXPECT_LE(now[6], 9);
    EXPECT_EQ(run(request(kKindSetClock, 2027 | 2u << 16, 30u << 16, 0, 0)).result, kBadBlock);  // 30 February
    EXPECT_EQ(run(request(kKindSetClock, 2027 | 1u << 16, 1u << 16, 24, 0)).result, kBadBlock);  // hour 24
}

TEST_P(RemoteEmulator, DisconnectEndsTheLinkWithoutALossAndReconnects) {
    start();
    connect();
    EXPECT_EQ(run(request(kKindDisconnect)).result, kOk);
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.stateChanges == 2; }));
    EXPECT_EQ(client->state(), 0);
    EXPECT_EQ(run(request(kKindKey, 0x8014)).result, kNotConnected);
    // The analyzer is free for the next PC as soon as it has answered, before its side of
    // the link has closed: a PC connecting again at once is not refused as busy.
    EXPECT_FALSE(analyzer->attached());
    connect();
    EXPECT_EQ(recorder.locked([&] { return recorder.disconnects; }), 0);
}

TEST_P(RemoteEmulator, CancelEndsATransferInProgress) {
    AnalyzerConfig c;
    c.traffic.fixedRate = 1000000;
    start(c);
    // Four times the link's window: the analyzer cannot send it all while the PC reads nothing.
    fillCapture(4u << 20);
    connect();
    EXPECT_EQ(client->cancel(), kFalse);  // nothing to cancel
    const size_t n = recorder.locked([&] { return recorder.done.size(); }) + 1;
    // The first block is held in its progress report: the transfer is in progress at the cancel.
    recorder.holdProgress(true);
    ASSERT_EQ(client->submit(request(kKindReceive, 0x8101, 0, 0xC00000)), kOk);
    ASSERT_TRUE(recorder.waitFor([&] { return !recorder.progress.empty(); }));
    EXPECT_EQ(client->cancel(), kOk);
    const size_t delivered = recorder.locked([&] { return recorder.file.size(); });
    const uint32_t total = recorder.locked([&] { return recorder.progress.front().second; });
    EXPECT_LT(delivered, total);
    recorder.holdProgress(false);
    const auto d = recorder.waitDone(n);
    EXPECT_EQ(d.result, kCancelled);
    EXPECT_EQ(d.kind, kKindReceive);
    // The link stays usable, for transfers too.
    EXPECT_EQ(run(request(kKindKey, 0x8014)).result, kOk);
    EXPECT_EQ(receive(0x8100).size(), 820u);
    // What was still on the way when the cancel went out never reached the destination.
    recorder.locked([&] {
        EXPECT_EQ(recorder.file.size(), delivered);
        EXPECT_EQ(std::count_if(recorder.progress.begin(), recorder.progress.end(),
                                [&](const auto& p) { return p.second == total; }),
                  1);
        return 0;
    });
}

TEST_P(RemoteEmulator, FailingFileWriteEndsTheTransferWithItsResult) {
    start();
    connect();
    recorder.locked([&] { return recorder.failWrites = true; });
    const auto d = run(request(kKindReceive, 0x8100, 0, 0x10000));
    EXPECT_EQ(d.result, static_cast<Result>(0x80070005u));
    EXPECT_EQ(d.param4, 0u);
    recorder.locked([&] { return recorder.failWrites = false; });
    EXPECT_EQ(run(request(kKindKey, 0x8014)).result, kOk);
    // A destination that quietly takes less than it is given fails the transfer as disk full.
    recorder.locked([&] { return recorder.shortWrites = true; });
    const auto s = run(request(kKindReceive, 0x8100, 0, 0x10000));
    EXPECT_EQ(s.result, static_cast<Result>(0x80070070u));
    EXPECT_EQ(s.param4, 410u);  // half of the 820-byte block
    recorder.locked([&] { return recorder.shortWrites = false; });
    EXPECT_EQ(run(request(kKindKey, 0x8014)).result, kOk);
}

TEST_P(RemoteEmulator, RefusedConnectsReportTheirCodes) {
    for (uint32_t code : {0xA0000001u, 0xA0000004u, 0xA0000009u}) {
        AnalyzerConfig c;
        c.faults.refuseConnect = static_cast<Result>(code);
        start(c);
        const auto d = run(request(kKindConnect));
        EXPECT_EQ(static_cast<uint32_t>(d.result), code);
        EXPECT_EQ(client->state(), 0);
        TearDown();
    }
}

TEST_P(RemoteEmulator, UnsupportedTypeIsReported) {
    AnalyzerConfig c;
    c.faults.reportType = 65538;
    start(c);
    connect();
    EXPECT_EQ(recorder.locked([&] { return recorder.deviceTypes; }), std::vector<uint32_t>{65538});
}

TEST_P(RemoteEmulator, StalledAnalyzerTimesOut) {
    AnalyzerConfig c;
    c.faults.stall = FaultConfig::Stall::Connect;
    start(c);
    ClientOptions o = options();
    o.answerTimeoutMs = 300;
    client->setOptions(o);
    EXPECT_EQ(static_cast<uint32_t>(run(request(kKindConnect)).result), 0x80070102u);
    EXPECT_EQ(client->state(), 0);
}

TEST_P(RemoteEmulator, AnalyzerStallingAfterConnectTimesOutThePendingRequest) {
    start();
    ClientOptions o = options();
    o.answerTimeoutMs = 300;
    o.keepAliveMs = 50;
    client->setOptions(o);
    connect();
    FaultConfig f;
    f.stall = FaultConfig::Stall::Requests;
    analyzer->setFaults(f);
    const auto d = run(request(kKindKey, 0x8014));
    EXPECT_EQ(static_cast<uint32_t>(d.result), 0x80070102u);
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.disconnects == 1; }));
    EXPECT_EQ(client->state(), 0);
}

TEST_P(RemoteEmulator, LinkLostMidUploadReportsTheFailure) {
    AnalyzerConfig c;
    c.faults.drop = FaultConfig::Drop::Upload;
    c.faults.dropAfterBytes = 100000;
    c.traffic.fixedRate = 200000;
    start(c);
    fillCapture(256u << 10);
    connect();
    const auto d = run(request(kKindReceive, 0x8101, 0, 0xC00000));
    EXPECT_TRUE(failed(d.result));
    EXPECT_NE(d.result, kCancelled);
    EXPECT_GE(d.param4, 65536u);
    EXPECT_LT(d.param4, analyzer->captureBytes());
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.disconnects == 1; }));
    EXPECT_EQ(client->state(), 0);
}

TEST_P(RemoteEmulator, LinkLostDuringSetupTransferAndMonitoring) {
    AnalyzerConfig c;
    c.faults.drop = FaultConfig::Drop::Setup;
    start(c);
    connect();
    const auto d = run(request(kKindSend, 0x2000));
    EXPECT_TRUE(failed(d.result));
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.disconnects == 1; }));

    FaultConfig f;
    f.drop = FaultConfig::Drop::Monitor;
    f.dropAfterBytes = 20000;
    analyzer->setFaults(f);
    ASSERT_TRUE(detached());
    connect();
    EXPECT_EQ(run(request(kKindMeasurement, 1)).result, kOk);
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.disconnects == 2; }));
    analyzer->stopMeasurement(0);
}

TEST_P(RemoteEmulator, SkippedMonitorBlocksShowAsPositionGaps) {
    AnalyzerConfig c;
    c.faults.skipMonitorEvery = 3;
    start(c);
    connect();
    EXPECT_EQ(run(request(kKindMeasurement, 1)).result, kOk);
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.monitor.size() >= 8; }));
    EXPECT_EQ(run(request(kKindMeasurement, 0)).result, kOk);
    int gaps = 0;
    recorder.locked([&] {
        uint32_t expected = 0;
        for (const auto& b : recorder.monitor) {
            if (b.position != expected) ++gaps;
            expected = (b.position + b.bytes) & 0xFFFF;
        }
        return 0;
    });
    EXPECT_GE(gaps, 2);
}

// The stream account zvsim --stats writes: what the PC received is exactly what the report
// calls sent (count and CRC-32), and each stretch of left-out blocks is one position jump the
// PC sees; for a link dropped at a point and for one that stalls there and times out.
TEST_P(RemoteEmulator, StreamReportsAccountForWhatThePcReceived) {
    AnalyzerConfig c;
    c.faults.skipMonitorEvery = 4;
    c.faults.drop = FaultConfig::Drop::Monitor;
    c.faults.dropAfterBytes = 200000;
    start(c);
    std::mutex mutex;
    std::vector<emu::StreamReport> reports;
    analyzer->setStreamReport([&](const emu::StreamReport& r) {
        std::lock_guard lock(mutex);
        reports.push_back(r);
    });
    // The reports once there are N of them (fewer when they do not come).
    auto waitForReports = [&](size_t n) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (reports.size() >= n || std::chrono::steady_clock::now() > deadline) return reports;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    // What the PC received from block FIRST on: records, CRC-32 and position jumps.
    auto expectAccounted = [&](const emu::StreamReport& r, size_t first) {
        recorder.locked([&] {
            size_t offset = 0;
            for (size_t i = 0; i < first; ++i) offset += recorder.monitor[i].bytes;
            uint32_t expected = 0;
            uint64_t gaps = 0;
            for (size_t i = first; i < recorder.monitor.size(); ++i) {
                if (recorder.monitor[i].position != expected) ++gaps;
                expected = (recorder.monitor[i].position + recorder.monitor[i].bytes) & 0xFFFF;
            }
            const size_t bytes = recorder.monitorBytes.size() - offset;
            EXPECT_EQ(r.sent, bytes / 32);
            EXPECT_EQ(r.crc, crc32(recorder.monitorBytes.data() + offset, bytes));
            EXPECT_EQ(r.gaps, gaps);
            EXPECT_GT(r.gaps, 0u);
            EXPECT_GE(r.leftOut, r.gaps);
            EXPECT_EQ(r.generated, r.sent + r.leftOut + r.unsent);
            return 0;
        });
    };

    connect();
    EXPECT_EQ(run(request(kKindMeasurement, 1)).result, kOk);
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.disconnects == 1; }));
    const std::vector<emu::StreamReport> dropped = waitForReports(1);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].link, 1u);
    EXPECT_EQ(dropped[0].measurement, 1u);
    EXPECT_EQ(dropped[0].end, "link-ended");
    EXPECT_GE(dropped[0].sent * 32, 200000u);
    expectAccounted(dropped[0], 0);
    analyzer->stopMeasurement(0);

    FaultConfig stall;
    stall.skipMonitorEvery = 4;
    stall.stall = FaultConfig::Stall::Monitor;
    stall.stallAfterBytes = 100000;
    analyzer->setFaults(stall);
    ASSERT_TRUE(detached());
    ClientOptions quick = options();
    quick.answerTimeoutMs = 500;
    quick.keepAliveMs = 100;
    client->setOptions(quick);
    connect();
    const size_t first = recorder.locked([&] { return recorder.monitor.size(); });
    EXPECT_EQ(run(request(kKindMeasurement, 1)).result, kOk);
    // The stalled link goes silent; the PC's time-out ends it.
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.disconnects == 2; }));
    const std::vector<emu::StreamReport> stalled = waitForReports(2);
    ASSERT_EQ(stalled.size(), 2u);
    EXPECT_EQ(stalled[1].link, 2u);
    EXPECT_EQ(stalled[1].measurement, 2u);
    EXPECT_EQ(stalled[1].end, "stalled");
    expectAccounted(stalled[1], first);
    analyzer->stopMeasurement(0);
    analyzer->setStreamReport(nullptr);  // the callback refers to this test's locals
}

TEST_P(RemoteEmulator, SecondPcIsRefusedAsBusy) {
    start();
    connect();
    Recorder other;
    RemoteClient second(other, options());
    if (GetParam() == Link::Tcp) {
        const TcpEndpoint endpoint{"127.0.0.1", std::to_string(server->dataPort()), std::to_string(server->controlPort())};
        second.setConnector([endpoint](std::unique_ptr<Transport>& out) {
            return openTcpTransport(endpoint, kLinkTimeoutMs, out);
        });
    } else {
        second.setConnector(emu::inProcessConnector(*analyzer));
    }
    ASSERT_EQ(second.submit(request(kKindConnect)), kOk);
    EXPECT_EQ(static_cast<uint32_t>(other.waitDone(1).result), 0xA0000004u);
    // The first PC is not disturbed.
    EXPECT_EQ(run(request(kKindKey, 0x8014)).result, kOk);
}

TEST_P(RemoteEmulator, PcClosingMidUploadFreesTheAnalyzer) {
    AnalyzerConfig c;
    c.traffic.fixedRate = 1000000;
    start(c);
    fillCapture(4u << 20);
    connect();
    const size_t n = recorder.locked([&] { return recorder.done.size(); });
    recorder.holdProgress(true);  // the upload is in progress when the PC closes
    ASSERT_EQ(client->submit(request(kKindReceive, 0x8101, 0, 0xC00000)), kOk);
    ASSERT_TRUE(recorder.waitFor([&] { return !recorder.progress.empty(); }));
    client->close();
    EXPECT_EQ(client->state(), 0);
    recorder.holdProgress(false);
    ASSERT_TRUE(detached());
    connect();
    // No completion and no loss report for a link the PC closed itself: the next connect
    // went through the same thread, after whatever the old link had left to report.
    recorder.locked([&] {
        EXPECT_EQ(recorder.done.size(), n + 1);
        EXPECT_EQ(recorder.done.back().kind, kKindConnect);
        EXPECT_EQ(recorder.disconnects, 0);
        return 0;
    });
    EXPECT_EQ(run(request(kKindKey, 0x8014)).result, kOk);
}

TEST_P(RemoteEmulator, AFloodOfRequestsIsRefusedNotQueuedWithoutLimit) {
    start();
    connect();
    // The analyzer starts none of them until all have arrived: sixteen wait, the rest are
    // refused at once.
    FaultConfig hold;
    hold.holdReceives = true;
    analyzer->setFaults(hold);
    const size_t base = recorder.locked([&] { return recorder.done.size(); });
    std::vector<Bytes> buffers(24, Bytes(2048));
    for (auto& b : buffers) {
        auto r = request(kKindReceive, 0x2000, 1, 2048);
        r->memory = b.data();
        ASSERT_EQ(client->submit(r), kOk);
    }
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.done.size() == base + 8; }));
    analyzer->setFaults(FaultConfig{});
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.done.size() == base + 24; }));
    int ok = 0, busy = 0;
    recorder.locked([&] {
        for (size_t i = base; i < recorder.done.size(); ++i) {
            if (recorder.done[i].result == kOk) ++ok;
            if (recorder.done[i].result == kBusyRequest) ++busy;
        }
        // The refusals come first: none of the waiting ones had been started.
        for (size_t i = base; i < base + 8; ++i) EXPECT_EQ(recorder.done[i].result, kBusyRequest);
        return 0;
    });
    EXPECT_EQ(ok, 16);
    EXPECT_EQ(busy, 8);
    // Each one that waited delivered the setup image; the refused ones wrote nothing.
    const auto images = std::count_if(buffers.begin(), buffers.end(),
                                      [](const Bytes& b) { return getU32(b.data(), 0) == fourCC("STUP"); });
    EXPECT_EQ(images, 16);
}

INSTANTIATE_TEST_SUITE_P(Links, RemoteEmulator, ::testing::Values(Link::InProcess, Link::Tcp),
                         [](const auto& p) { return p.param == Link::Tcp ? "Tcp" : "InProcess"; });

}  // namespace
}  // namespace zv::remote
