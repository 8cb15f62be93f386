// The emulated analyzer's traffic: time stamps, LIN identifiers and checksums, and records
// that follow the stored setup.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "base/bytes.h"
#include "capture/capture_test_files.h"
#include "emulator/device_setup.h"
#include "emulator/traffic.h"
#include "support/temp_dir.h"

namespace zv::emu {
namespace {

TEST(TrafficTimeStamp, FieldsAndHourWrap) {
    EXPECT_EQ(timeStamp(0), 0u);
    // 12 min 34 s 56 hundredths and 7 steps of 0.2 ms.
    const uint64_t t = ((12 * 60 + 34) * 100 + 56) * 50 + 7;
    EXPECT_EQ(timeStamp(t), 0x0C223807u);
    // The last step of an hour, then the hour starts again.
    const uint64_t hour = 3600ull * 5000;
    EXPECT_EQ(timeStamp(hour - 1), 0x3B3B6331u);
    EXPECT_EQ(timeStamp(hour), 0u);
}

TEST(TrafficLin, ProtectedIdentifiers) {
    EXPECT_EQ(linProtectedId(0x00), 0x80);
    EXPECT_EQ(linProtectedId(0x10), 0x50);
    EXPECT_EQ(linProtectedId(0x3C), 0x3C);
    EXPECT_EQ(linProtectedId(0x3D), 0x7D);
    EXPECT_EQ(linProtectedId(0x7F), linProtectedId(0x3F));  // only six identifier bits count
}

TEST(TrafficLin, Checksums) {
    const uint8_t data[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(linChecksum(0x3C, data, 8, false), 0xDB);
    // Enhanced starts from the PID: 0x3C + 0x24 = 0x60.
    EXPECT_EQ(linChecksum(0x3C, data, 8, true), 0x9F);
    // End-around carry: 0xFF + 0x02 = 0x101 -> 0x02.
    const uint8_t carry[] = {0xFF, 0x02};
    EXPECT_EQ(linChecksum(0, carry, 2, false), 0xFD);
}

SetupPlan canPlan(uint32_t rate) {
    SetupPlan p;
    p.boardType = 73763;
    p.analogInputs = true;
    for (auto& c : p.channels) c.bitRate = rate;
    return p;
}

SetupPlan linPlan() {
    SetupPlan p = canPlan(500000);
    ChannelPlan& lin = p.channels[1];
    lin.protocol = ChannelProtocol::Lin;
    lin.bitRate = 19200;
    lin.useIdTable = true;
    for (size_t id = 0; id < 64; ++id) {
        lin.linLength[id] = static_cast<uint8_t>(1 + id % 8);
        lin.linChecksum[id] = id % 2;
    }
    return p;
}

TEST(TrafficGenerator, CanRecordsAreWellFormedAndInTimeOrder) {
    TrafficConfig cfg;
    cfg.overrunEvery = 0;
    TrafficGenerator g(canPlan(500000), cfg, 0);
    std::vector<uint8_t> out;
    g.generateUntil(5000, out);  // one second
    ASSERT_EQ(out.size() % kRecordSize, 0u);
    const size_t n = out.size() / kRecordSize;
    // 30 % load of a 500 kbit/s bus: several hundred frames per channel and second.
    EXPECT_GT(n, 600u);
    EXPECT_LT(n, 10000u);
    uint32_t previous = 0;
    std::set<uint8_t> sources;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* r = out.data() + i * kRecordSize;
        sources.insert(r[0]);
        const uint32_t ts = getU32(r, 4);
        EXPECT_GE(ts, previous);
        previous = ts;
        EXPECT_LT(ts & 0xFF, 50u);
        EXPECT_LT((ts >> 8) & 0xFF, 100u);
        const uint8_t info = r[11];
        const bool remote = info & 0x40;
        EXPECT_LE(info & 0x0F, 8);
        EXPECT_EQ(r[10], remote ? 0 : (info & 0x0F));
        if (!(info & 0x80)) {
            EXPECT_EQ(getU32(r, 12) & 0x3FFFF, 0u);  // 11-bit identifiers sit in bits 18-28
        }
        EXPECT_LE(getU32(r, 12), 0x1FFFFFFFu);
    }
    EXPECT_EQ(sources, (std::set<uint8_t>{1, 2}));
}

TEST(TrafficGenerator, SameSeedSameTraffic) {
    TrafficConfig cfg;
    std::vector<uint8_t> a, b, c;
    TrafficGenerator(linPlan(), cfg, 77).generateUntil(2000, a);
    TrafficGenerator(linPlan(), cfg, 77).generateUntil(2000, b);
    cfg.seed = 2;
    TrafficGenerator(linPlan(), cfg, 77).generateUntil(2000, c);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST(TrafficGenerator, LinFramesFollowTheIdentifierTable) {
    TrafficConfig cfg;
    cfg.linErrorPermille = 0;
    cfg.overrunEvery = 0;
    TrafficGenerator g(linPlan(), cfg, 0);
    std::vector<uint8_t> out;
    g.generateUntil(5000 * 5, out);
    size_t lin = 0;
    for (size_t at = 0; at < out.size(); at += kRecordSize) {
        const uint8_t* r = out.data() + at;
        if (r[0] != 4) continue;
        ++lin;
        const uint8_t pid = r[13];
        const uint8_t id = pid & 0x3F;
        EXPECT_EQ(linProtectedId(id), pid);
        EXPECT_EQ(r[14], 0x55);
        EXPECT_EQ(getU16(r, 2), 0);
        const uint8_t n = static_cast<uint8_t>(1 + id % 8);
        ASSERT_EQ(r[10], n + 1) << "id " << int(id);
        EXPECT_EQ(r[11], 0);
        EXPECT_EQ(r[16 + n], linChecksum(pid, r + 16, n, id % 2 == 1));
    }
    EXPECT_GT(lin, 50u);
}

TEST(TrafficGenerator, LinErrorsOfEveryKindAndMarkers) {
    TrafficConfig cfg;
    cfg.linErrorPermille = 1000;
    cfg.overrunEvery = 100;
    cfg.triggerEvery = 50;
    SetupPlan plan = linPlan();
    plan.channels[0] = plan.channels[1];
    TrafficGenerator g(plan, cfg, 0);
    std::vector<uint8_t> out;
    g.generateUntil(5000 * 10, out);
    std::set<int> codes, byteCounts;
    size_t overruns = 0, triggers = 0;
    for (size_t at = 0; at < out.size(); at += kRecordSize) {
        const uint8_t* r = out.data() + at;
        if (r[0] == 0x40) {
            ++overruns;
            continue;
        }
        if (r[1] & 0x80) ++triggers;
        codes.insert(getU16(r, 2) >> 11);
        byteCounts.insert(static_cast<int8_t>(r[10]));
    }
    for (int code : {1, 2, 4, 8, 16, 31, 3}) EXPECT_TRUE(codes.count(code)) << "code " << code;
    for (int count : {-1, -2, -3}) EXPECT_TRUE(byteCounts.count(count)) << "byteCount " << count;
    EXPECT_GT(overruns, 0u);
    EXPECT_GT(triggers, 0u);
}

TEST(TrafficGenerator, FixedRateIgnoresTheBusTiming) {
    TrafficConfig cfg;
    cfg.fixedRate = 100000;
    cfg.overrunEvery = 0;
    TrafficGenerator g(canPlan(125000), cfg, 0);
    std::vector<uint8_t> out;
    g.generateUntil(5000, out);
    const size_t n = out.size() / kRecordSize;
    EXPECT_GT(n, 99000u);
    EXPECT_LT(n, 101000u);
}

TEST(TrafficGenerator, AnalogAndDigitalInputsOnlyWithTheInputBoard) {
    TrafficConfig cfg;
    cfg.triggerEvery = 0;
    cfg.overrunEvery = 0;
    SetupPlan plain = canPlan(500000);
    plain.analogInputs = false;
    std::vector<uint8_t> a, b;
    TrafficGenerator(canPlan(500000), cfg, 0).generateUntil(5000 * 3, a);
    TrafficGenerator(plain, cfg, 0).generateUntil(5000 * 3, b);
    int16_t lo = 0, hi = 0;
    uint8_t lines = 0;
    for (size_t at = 0; at < a.size(); at += kRecordSize) {
        const auto v = static_cast<int16_t>(getU16(a.data(), at + 8));
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        lines |= a[at + 1];
    }
    EXPECT_LT(lo, -400);  // a +-5 V sine in 10 mV
    EXPECT_GT(hi, 400);
    EXPECT_EQ(lines, 0x1E);  // DI1..DI4 all toggled
    for (size_t at = 0; at < b.size(); at += kRecordSize) {
        EXPECT_EQ(b[at + 1], 0);
        EXPECT_EQ(getU16(b.data(), at + 8), 0);
    }
}

TEST(TrafficReplay, CandumpLinesBecomeFrames) {
    const char* log =
        "(1436509052.249713) can0 123#DEADBEEF\n"
        "(1436509052.250713) can1 1ABCDEF0#0102\r\n"
        "(1436509052.251000) can0 7FF#R\n"
        "(1436509052.252000) can0 7FF#R3\n"
        "# a comment\n"
        "(1436509052.253000) can0 800#00\n"          // 12 bits: no standard identifier
        "(1436509052.254000) can0 123##1112233\n"    // CAN FD
        "(1436509052.255000) can0 123#0G\n"          // not hexadecimal
        "(1436509052.256000) can0 123#001122334455667788\n"  // nine bytes
        "(1436509052.257000) vcan3 456#\n";
    std::vector<ReplayFrame> frames;
    std::string error;
    ASSERT_TRUE(parseCandump(log, frames, error));
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[0].tick, 0u);
    EXPECT_EQ(frames[0].id, 0x123u);
    EXPECT_EQ(frames[0].dlc, 4);
    EXPECT_EQ(frames[0].data[3], 0xEF);
    EXPECT_EQ(frames[1].tick, 5u);  // 1 ms later
    EXPECT_TRUE(frames[1].extended);
    EXPECT_EQ(frames[1].channel, 1);
    EXPECT_TRUE(frames[2].remote);
    EXPECT_EQ(frames[2].dlc, 0);
    EXPECT_EQ(frames[3].dlc, 3);
    EXPECT_EQ(frames[4].dlc, 0);
    EXPECT_EQ(frames[4].channel, 1);  // vcan3: odd interface number
    EXPECT_FALSE(parseCandump("nothing here\n", frames = {}, error));
    EXPECT_FALSE(error.empty());
}

TEST(TrafficReplay, TheLogIsReplayedOverAndOver) {
    std::vector<ReplayFrame> frames;
    std::string error;
    ASSERT_TRUE(parseCandump("(10.000000) can0 123#11\n(10.002000) can1 12345678#2233\n", frames, error));
    TrafficConfig cfg;
    cfg.replay = std::make_shared<const std::vector<ReplayFrame>>(frames);
    TrafficGenerator g(canPlan(500000), cfg, 0);
    std::vector<uint8_t> out;
    g.generateUntil(130, out);  // passes of 10 + 50 steps: frames at 0, 10, 60, 70, 120
    ASSERT_EQ(out.size(), 5 * kRecordSize);
    const uint8_t* r = out.data();
    EXPECT_EQ(r[0], 1);
    EXPECT_EQ(getU32(r, 12), 0x123u << 18);
    EXPECT_EQ(r[11], 1);
    EXPECT_EQ(r[16], 0x11);
    r += kRecordSize;
    EXPECT_EQ(r[0], 2);
    EXPECT_EQ(getU32(r, 12), 0x12345678u);
    EXPECT_EQ(r[11], 0x82);
    EXPECT_EQ(getU32(r, 4), timeStamp(10));
    EXPECT_EQ(getU32(out.data() + 4 * kRecordSize, 4), timeStamp(120));
}

// Frames of an ASC log keep the log's own times to the 0.2 ms step, LIN frames included.
TEST(TrafficReplay, AscFramesAtTheLogsOwnTimes) {
    test::TempDir dir;
    const std::string path = dir.file("bus.asc");
    const std::string log =
        "date Tue Mar 05 08:00:00.000 2024\n"
        "base hex  timestamps absolute\n"
        "   5.000000 1  123             Rx   d 1 01\n"
        "   5.001000 3  124             Rx   d 1 02\n"
        "   5.001300 L2 21              Rx   1 42 checksum = 9C\n"
        "   5.002000 CANFD   1 Rx 125 ...\n";
    testfiles::writeFile(path, testfiles::Bytes(log.begin(), log.end()));
    std::vector<ReplayFrame> frames;
    std::string error;
    ASSERT_TRUE(loadReplayLog(path, frames, error)) << error;
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1].tick, 5u);
    EXPECT_EQ(frames[1].channel, 0);  // log channel 3
    EXPECT_EQ(frames[2].tick, 7u);    // 1.3 ms, to the nearest step
    TrafficConfig cfg;
    cfg.triggerEvery = 0;
    cfg.replay = std::make_shared<const std::vector<ReplayFrame>>(frames);
    TrafficGenerator g(canPlan(500000), cfg, 1000);
    std::vector<uint8_t> out;
    g.generateUntil(8, out);
    ASSERT_EQ(out.size(), 3 * kRecordSize);
    EXPECT_EQ(getU32(out.data(), 2 * kRecordSize + 4), timeStamp(1007));
    const uint8_t* lin = out.data() + 2 * kRecordSize;
    EXPECT_EQ(lin[0], 4);     // LIN channel 2
    EXPECT_EQ(lin[10], 2);    // one data byte and the checksum
    EXPECT_EQ(lin[13], 0x61);  // the protected identifier of 0x21
    EXPECT_EQ(lin[16], 0x42);
    EXPECT_EQ(lin[17], 0x9C);
    EXPECT_FALSE(loadReplayLog(dir.file("none.blf"), frames, error));
}

}  // namespace
}  // namespace zv::emu
