// The remote client and the emulated analyzer over serial links: a noisy line between two
// reliable streams, and (not on Windows) a pseudo-terminal standing in for a real port.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <memory>
#include <thread>

#include "emulator/analyzer.h"
#include "emulator/server/serial_server.h"
#include "noisy_line.h"
#include "recorder.h"
#include "zvlkrmt/transport/pseudo_terminal.h"
#include "zvlkrmt/transport/serial_port.h"

namespace zv::remote {
namespace {

using emu::Analyzer;
using emu::AnalyzerConfig;
using test::Noise;
using test::NoisyLine;
using test::Recorder;
using test::request;
using Bytes = std::vector<uint8_t>;

ReliableStreamOptions testLineOptions() {
    ReliableStreamOptions o;
    o.escapeFlowControl = true;
    o.retransmitMs = 40;
    o.keepAliveMs = 100;
    o.linkLostMs = 3000;
    return o;
}

class SerialLink : public ::testing::Test {
protected:
    void SetUp() override {
        AnalyzerConfig config;
        config.traffic.fixedRate = 20000;
        analyzer = std::make_unique<Analyzer>(config);
        ClientOptions o;
        o.answerTimeoutMs = 10000;  // generous: sanitizer builds on a busy machine are slow
        o.keepAliveMs = 200;
        client = std::make_unique<RemoteClient>(recorder, o);
    }

    Recorder::Done run(const RequestPtr& r, int ms = 15000) {
        const size_t n = recorder.locked([&] { return recorder.done.size(); }) + 1;
        EXPECT_EQ(client->submit(r), kOk);
        return recorder.waitDone(n, ms);
    }

    Bytes receive(uint32_t code, uint32_t capacity) {
        Bytes buffer(capacity);
        auto r = request(kKindReceive, code, 1, capacity);
        r->memory = buffer.data();
        const auto d = run(r, 30000);
        EXPECT_EQ(d.result, kOk) << std::hex << code;
        buffer.resize(d.param4);
        return buffer;
    }

    Recorder recorder;
    std::unique_ptr<Analyzer> analyzer;
    std::unique_ptr<RemoteClient> client;
};

TEST_F(SerialLink, ClientReceivesSetupAndUploadsCaptureIntactOverANoisyLine) {
    Noise noise;
    noise.drop = 1e-5;
    noise.flip = 1e-5;
    noise.repeat = 5e-6;
    noise.insert = 5e-6;
    noise.burst = 0.01;
    uint32_t seed = 7;
    std::vector<NoisyLine*> lines;
    client->setConnector([&](std::unique_ptr<Transport>& out) {
        auto [pc, device] = makePipePair();
        auto pcLine = std::make_unique<NoisyLine>(std::move(pc), noise, seed++);
        auto deviceLine = std::make_unique<NoisyLine>(std::move(device), noise, seed++);
        lines = {pcLine.get(), deviceLine.get()};
        analyzer->attach(makeReliableStream(std::move(deviceLine), testLineOptions()));
        out = makeReliableStream(std::move(pcLine), testLineOptions());
        return kOk;
    });
    ASSERT_EQ(run(request(kKindConnect)).result, kOk);
    EXPECT_EQ(receive(0x2000, 0x10000), analyzer->setupWrapper(0x2000));

    EXPECT_EQ(run(request(kKindMeasurement, 1)).result, kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(run(request(kKindMeasurement, 0)).result, kOk);
    ASSERT_GT(analyzer->captureBytes(), 32u * 100);
    // Every block of the upload, byte for byte as the analyzer holds it.
    for (const uint32_t code : {0x8100u, 0x8102u, 0x8101u, 0x8103u}) {
        Bytes expected;
        ASSERT_EQ(analyzer->blockBytes(code, expected), kOk);
        const Bytes got = receive(code, 0xC00000u);
        EXPECT_EQ(got.size(), expected.size()) << std::hex << code;
        EXPECT_TRUE(got == expected) << std::hex << code;
    }
    EXPECT_EQ(run(request(kKindDisconnect)).result, kOk);
    EXPECT_EQ(recorder.locked([&] { return recorder.disconnects; }), 0);
}

#ifdef _WIN32

TEST(SerialPort, InvalidSettingsAndMissingPortsAreRefused) {
    std::unique_ptr<Transport> t;
    EXPECT_EQ(openSerialTransport({"", 115200, 0, false}, t), kInvalidArgument);
    EXPECT_EQ(openSerialTransport({"COM1", 0, 0, false}, t), kInvalidArgument);
    EXPECT_EQ(openSerialTransport({"COM1", 115200, 3, false}, t), kInvalidArgument);
    EXPECT_EQ(openSerialTransport({"COM219", 115200, 0, false}, t), static_cast<Result>(0x80070002u));
    EXPECT_EQ(t, nullptr);
}

#else

TEST(SerialPort, InvalidSettingsAndMissingPortsAreRefused) {
    std::unique_ptr<Transport> t;
    EXPECT_EQ(openSerialTransport({"", 115200, 0, false}, t), kInvalidArgument);
    EXPECT_EQ(openSerialTransport({"/dev/null", 0, 0, false}, t), kInvalidArgument);
    EXPECT_EQ(openSerialTransport({"/dev/null", 115200, 3, false}, t), kInvalidArgument);
    EXPECT_EQ(openSerialTransport({"/dev/zv-no-such-port", 115200, 0, false}, t), static_cast<Result>(0x80070002u));
    // Not a serial device at all.
    EXPECT_TRUE(failed(openSerialTransport({"/dev/null", 115200, 0, false}, t)));
    EXPECT_EQ(t, nullptr);
}

TEST_F(SerialLink, PseudoTerminalServesConnectAndSetupReceiveTwiceInARow) {
    std::unique_ptr<Transport> master;
    std::string slave;
    ASSERT_EQ(openPseudoTerminal(master, slave), kOk);
    emu::SerialServer server(*analyzer, std::move(master), serialStreamOptions({slave, 115200, 0, true}));
    server.start();
    client->setConnector([&](std::unique_ptr<Transport>& out) {
        return openSerialTransport({slave, 115200, 0, true}, out);
    });
    // The second round is a new PC program on the same line: the analyzer serves it too.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(run(request(kKindConnect)).result, kOk);
        EXPECT_EQ(client->state(), 1);
        EXPECT_EQ(receive(0x2000, 0x10000), analyzer->setupWrapper(0x2000));
        EXPECT_EQ(run(request(kKindDisconnect)).result, kOk);
        // The link is taken down right after the completion.
        EXPECT_TRUE(recorder.waitFor([&] { return client->state() == 0; }));
    }
    // One program at a time on a port (the client lets go of it once it is gone).
    client.reset();
    std::unique_ptr<Transport> first, second;
    ASSERT_EQ(openSerialPort({slave, 115200, 0, false}, first), kOk);
    if (::geteuid() != 0) {  // the system lets root open a port held exclusively
        EXPECT_EQ(openSerialPort({slave, 115200, 0, false}, second), static_cast<Result>(0x80070005u));
    }
    first.reset();
    server.stop();
}

#endif

}  // namespace
}  // namespace zv::remote
