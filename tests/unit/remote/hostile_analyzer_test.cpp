// The emulator's hostile mode against the remote client: each kind of misbehaviour, at each
// moment of a link, ends the link with the problem it is (silence with the time-out), and
// nothing hangs or waits on what never comes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <thread>

#include "emulator/analyzer.h"
#include "emulator/in_process.h"
#include "recorder.h"

namespace zv::remote {
namespace {

using emu::HostileConfig;
using emu::LinkMoment;
using test::Recorder;
using test::request;
using Kind = HostileConfig::Kind;

constexpr LinkMoment kMoments[] = {LinkMoment::Connect, LinkMoment::Idle, LinkMoment::Monitor, LinkMoment::Upload,
                                   LinkMoment::Setup};

struct HostileRun {
    Recorder recorder;
    std::unique_ptr<emu::Analyzer> analyzer;
    std::unique_ptr<RemoteClient> client;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(0x10000);

    HostileRun(Kind kind, LinkMoment at, uint64_t seed) {
        emu::AnalyzerConfig config;
        config.traffic.fixedRate = 5000;
        config.faults.hostile = HostileConfig{kind, at, at == LinkMoment::Idle ? 50u : 0u, seed};
        analyzer = std::make_unique<emu::Analyzer>(config);
        ClientOptions options;
        // Silence needs the time-out; every other kind ends the link by itself, and a slow
        // (sanitizer) build must not time out on the way.
        options.answerTimeoutMs = kind == Kind::Silence ? 500 : 10000;
        options.keepAliveMs = 200;
        recorder.keepMonitorBytes = false;
        client = std::make_unique<RemoteClient>(recorder, options);
        client->setConnector(emu::inProcessConnector(*analyzer));
    }
    // Connects and brings the link to the moment of the act; then waits for the link to end.
    // The result the link ended with (or the connect failed with); kOk when it did not end.
    Result driveTo(LinkMoment at) {
        if (client->submit(request(kKindConnect)) != kOk) return kFail;
        const auto connected = recorder.waitDone(1);
        if (failed(connected.result)) return connected.result;
        switch (at) {
            case LinkMoment::Connect: break;
            case LinkMoment::Idle: client->submit(request(kKindKey, 0x8014)); break;
            case LinkMoment::Monitor: client->submit(request(kKindMeasurement, 1)); break;
            case LinkMoment::Upload: client->submit(request(kKindReceive, kBlockDataInfo, 0, 0x10000)); break;
            case LinkMoment::Setup: {
                auto r = request(kKindReceive, kBlockSetupImage, 1, 0x10000);
                r->memory = buffer.data();
                client->submit(r);
                break;
            }
        }
        if (!ended(1000) && at == LinkMoment::Monitor) {
            // A flood while measuring is taken; once the measurement has ended it is not.
            client->submit(request(kKindMeasurement, 0));
        }
        if (!ended(5000)) return kOk;
        return recorder.locked([&] { return recorder.disconnectReason; });
    }

    bool ended(int ms) {
        return recorder.waitFor([&] { return recorder.disconnects > 0; }, ms);
    }
};

std::string name(Kind kind, LinkMoment at, uint64_t seed) {
    return std::string(emu::hostileKindName(kind)) + " at " + emu::linkMomentName(at) + ", seed " + std::to_string(seed);
}

class HostileAnalyzer : public ::testing::TestWithParam<Kind> {};

TEST_P(HostileAnalyzer, EndsTheLinkWithTheProblemAtEveryMoment) {
    const Kind kind = GetParam();
    std::set<uint32_t> expected;
    switch (kind) {
        case Kind::Malformed: expected = {static_cast<uint32_t>(kProtocolError)}; break;
        // A head that announces more or fewer bytes than follow breaks the payload check.
        case Kind::WrongLength:
            expected = {static_cast<uint32_t>(kWrongLength), static_cast<uint32_t>(kProtocolError)};
            break;
        case Kind::Unsolicited:
        case Kind::Twice: expected = {static_cast<uint32_t>(kUnexpectedCompletion)}; break;
        case Kind::Flood: expected = {static_cast<uint32_t>(kUnrequestedData)}; break;
        case Kind::Silence: expected = {static_cast<uint32_t>(kTimeout)}; break;
        default: break;
    }
    for (const LinkMoment at : kMoments) {
        // Silence has no variants to pick.
        for (uint64_t seed = 1; seed <= (kind == Kind::Silence ? 1u : 2u); ++seed) {
            SCOPED_TRACE(name(kind, at, seed));
            HostileRun run(kind, at, seed);
            const Result reason = run.driveTo(at);
            EXPECT_EQ(expected.count(static_cast<uint32_t>(reason)), 1u) << std::hex << static_cast<uint32_t>(reason);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, HostileAnalyzer,
                         ::testing::Values(Kind::Malformed, Kind::WrongLength, Kind::Unsolicited, Kind::Twice,
                                           Kind::Flood, Kind::Silence),
                         [](const ::testing::TestParamInfo<Kind>& param) {
                             std::string n = emu::hostileKindName(param.param);
                             n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
                             return n;
                         });

// Random bytes and mutated frames: the link may end with any reason or live on; either way the
// client answers, and a link that lives on still disconnects cleanly.
TEST(HostileAnalyzerRandom, NeverHangsTheClient) {
    for (const LinkMoment at : kMoments) {
        for (uint64_t seed = 1; seed <= 4; ++seed) {
            SCOPED_TRACE(name(Kind::Random, at, seed));
            HostileRun run(Kind::Random, at, seed);
            const Result reason = run.driveTo(at);
            if (reason != kOk) continue;
            const size_t before = run.recorder.locked([&] { return run.recorder.done.size(); });
            ASSERT_EQ(run.client->submit(request(kKindDisconnect)), kOk);
            EXPECT_TRUE(run.recorder.waitFor(
                [&] { return run.recorder.done.size() > before || run.recorder.disconnects > 0; }, 15000));
        }
    }
}

}  // namespace
}  // namespace zv::remote
