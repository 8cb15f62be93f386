// The reliable stream of serial links: its packets on the line, and exact delivery over a line
// that drops, damages, doubles and invents bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "noisy_line.h"
#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/reliable_packet.h"
#include "zvlkrmt/transport/reliable_stream.h"
#include "zvlkrmt/transport/serial_port.h"

namespace zv::remote {
namespace {

using test::Noise;
using test::NoisyLine;
using test::TapLine;
using Bytes = std::vector<uint8_t>;

Bytes pattern(size_t n, uint32_t seed) {
    std::mt19937 r(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(r());
    return b;
}

struct Decoded {
    PacketKind kind;
    uint32_t source, destination, number, ack;
    Bytes payload;
};

std::vector<Decoded> decodeAll(PacketDecoder& d, const Bytes& line, size_t piece) {
    std::vector<Decoded> out;
    for (size_t at = 0; at < line.size(); at += piece) {
        d.feed(line.data() + at, std::min(piece, line.size() - at), [&](const Packet& p) {
            out.push_back({p.kind, p.source, p.destination, p.number, p.ack, Bytes(p.payload, p.payload + p.size)});
        });
    }
    return out;
}

TEST(SerialPacket, EveryByteValueSurvivesStuffingInAnySplit) {
    Bytes payload(256);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i);
    for (const bool xon : {false, true}) {
        Bytes line;
        Packet p;
        p.kind = PacketKind::Data;
        p.source = 0x7E7D1113;  // the head needs stuffing too
        p.destination = 0x13117D7E;
        p.number = 0x7E;
        p.ack = 0x11;
        p.payload = payload.data();
        p.size = payload.size();
        appendPacket(line, p, xon);
        appendPacket(line, Packet{PacketKind::Ack, 1, 2, 0, 3, nullptr, 0}, xon);
        // Only the two delimiters of each packet are 0x7E; with flow control no XON or XOFF at all.
        EXPECT_EQ(std::count(line.begin(), line.end(), kPacketFlag), 4);
        if (xon) {
            EXPECT_EQ(std::count(line.begin(), line.end(), kXon), 0);
            EXPECT_EQ(std::count(line.begin(), line.end(), kXoff), 0);
        }
        for (const size_t piece : {size_t{1}, size_t{3}, size_t{1000}}) {
            PacketDecoder d(kMaxReliablePayload, xon);
            const auto got = decodeAll(d, line, piece);
            ASSERT_EQ(got.size(), 2u);
            EXPECT_EQ(got[0].kind, PacketKind::Data);
            EXPECT_EQ(got[0].source, 0x7E7D1113u);
            EXPECT_EQ(got[0].destination, 0x13117D7Eu);
            EXPECT_EQ(got[0].number, 0x7Eu);
            EXPECT_EQ(got[0].ack, 0x11u);
            EXPECT_EQ(got[0].payload, payload);
            EXPECT_EQ(got[1].kind, PacketKind::Ack);
            EXPECT_EQ(got[1].ack, 3u);
            EXPECT_EQ(d.badPackets(), 0u);
        }
    }
}

TEST(SerialPacket, DamageLosesOnlyThePacketItHits) {
    Bytes a = pattern(100, 1), b = pattern(100, 2);
    Bytes line;
    appendPacket(line, Packet{PacketKind::Data, 5, 6, 0, 0, a.data(), a.size()}, false);
    const size_t firstEnd = line.size();
    appendPacket(line, Packet{PacketKind::Data, 5, 6, 1, 0, b.data(), b.size()}, false);

    // A flipped bit, a lost byte, a stray byte in the first packet: the second still arrives.
    for (int damage = 0; damage < 3; ++damage) {
        Bytes l = line;
        if (damage == 0) l[40] ^= 0x04;
        if (damage == 1) l.erase(l.begin() + 40);
        if (damage == 2) l.insert(l.begin() + 40, 0x55);
        PacketDecoder d(kMaxReliablePayload, false);
        const auto got = decodeAll(d, l, 7);
        ASSERT_EQ(got.size(), 1u) << damage;
        EXPECT_EQ(got[0].number, 1u);
        EXPECT_EQ(got[0].payload, b);
        EXPECT_EQ(d.badPackets(), 1u);
    }
    // Each packet has a delimiter of its own on both sides: losing one between two packets
    // costs nothing.
    {
        Bytes l = line;
        l.erase(l.begin() + static_cast<std::ptrdiff_t>(firstEnd - 1));
        PacketDecoder d(kMaxReliablePayload, false);
        EXPECT_EQ(decodeAll(d, l, 64).size(), 2u);
        EXPECT_EQ(d.badPackets(), 0u);
    }
}

TEST(SerialPacket, EndlessBytesWithoutDelimiterAreBoundedAndTheNextPacketDecodes) {
    PacketDecoder d(256, false);
    Bytes junk(1 << 20, 0x41);
    junk[0] = kPacketFlag;  // opens a "packet" that never ends properly
    Bytes line = junk;
    const Bytes payload = pattern(256, 3);
    appendPacket(line, Packet{PacketKind::Data, 9, 0, 0, 0, payload.data(), payload.size()}, false);
    const auto got = decodeAll(d, line, 4096);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].payload, payload);
    EXPECT_EQ(d.badPackets(), 1u);
    // Longer than the decoder's bound: refused, not buffered.
    const Bytes big = pattern(257, 4);
    Bytes tooLong;
    appendPacket(tooLong, Packet{PacketKind::Data, 9, 0, 1, 0, big.data(), big.size()}, false);
    EXPECT_TRUE(decodeAll(d, tooLong, 100).empty());
    EXPECT_EQ(d.badPackets(), 2u);
}

// Two reliable streams over a pipe whose two directions may be noisy.
struct StreamPair {
    std::unique_ptr<ReliableStream> a, b;
    TapLine* tapA = nullptr;  // what a wrote on the line

    StreamPair(Noise noise, uint32_t seed, ReliableStreamOptions options) {
        auto [ra, rb] = makePipePair();
        auto tap = std::make_unique<TapLine>(std::make_unique<NoisyLine>(std::move(ra), noise, seed));
        tapA = tap.get();
        a = makeReliableStream(std::move(tap), options);
        b = makeReliableStream(std::make_unique<NoisyLine>(std::move(rb), noise, seed + 1), options);
    }
};

Result readExactly(Transport& t, Bytes& out, size_t n, int timeoutMs) {
    out.clear();
    uint8_t buffer[5000];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < n) {
        if (std::chrono::steady_clock::now() > deadline) return kTimeout;
        size_t got = 0;
        const Result r = t.read(buffer, std::min(sizeof buffer, n - out.size()), got, 50);
        if (r == kTimeout) continue;
        if (failed(r)) return r;
        out.insert(out.end(), buffer, buffer + got);
    }
    return kOk;
}

// Writes in uneven pieces, as the frame link does.
void writeInPieces(Transport& t, const Bytes& data, uint32_t seed) {
    std::mt19937 r(seed);
    size_t at = 0;
    while (at < data.size()) {
        const size_t n = std::min<size_t>(data.size() - at, 1 + r() % 70000);
        ASSERT_EQ(t.write(data.data() + at, n), kOk);
        at += n;
    }
}

void exchange(StreamPair& s, size_t size, int timeoutMs) {
    const Bytes ab = pattern(size, 11), ba = pattern(size, 12);
    Bytes gotAtB, gotAtA;
    std::thread writerA([&] { writeInPieces(*s.a, ab, 1); });
    std::thread writerB([&] { writeInPieces(*s.b, ba, 2); });
    Result atB = kFail;
    std::thread readerB([&] { atB = readExactly(*s.b, gotAtB, ab.size(), timeoutMs); });
    const Result atA = readExactly(*s.a, gotAtA, ba.size(), timeoutMs);
    readerB.join();
    writerA.join();
    writerB.join();
    ASSERT_EQ(atA, kOk);
    ASSERT_EQ(atB, kOk);
    EXPECT_TRUE(gotAtB == ab) << "a -> b differs";
    EXPECT_TRUE(gotAtA == ba) << "b -> a differs";
}

ReliableStreamOptions fastOptions(bool xon = false) {
    ReliableStreamOptions o;
    o.escapeFlowControl = xon;
    o.retransmitMs = 40;
    o.keepAliveMs = 100;
    o.linkLostMs = 3000;
    return o;
}

TEST(SerialStream, CleanLineCarriesLargeTransfersBothWaysExactly) {
    StreamPair s({}, 1, ReliableStreamOptions{});
    exchange(s, 2u << 20, 60000);
    EXPECT_EQ(s.a->stats().badPackets, 0u);
}

TEST(SerialStream, NoisyLineDeliversEveryByteOnceInOrderBothWays) {
    Noise noise;
    noise.drop = 2e-5;
    noise.flip = 2e-5;
    noise.repeat = 1e-5;
    noise.insert = 1e-5;
    noise.burst = 0.02;
    for (const uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        StreamPair s(noise, seed * 100, fastOptions(seed == 2));
        exchange(s, 512u << 10, 30000);
        const auto a = s.a->stats(), b = s.b->stats();
        // The noise did hit, and was repaired.
        EXPECT_GT(a.badPackets + b.badPackets, 0u);
        EXPECT_GT(a.retransmissions + b.retransmissions, 0u);
    }
}

TEST(SerialStream, FlowControlCharactersNeverAppearRawOnTheLine) {
    StreamPair s({}, 1, fastOptions(true));
    Bytes all(4096);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(s.a->write(all.data(), all.size()), kOk);
    Bytes got;
    ASSERT_EQ(readExactly(*s.b, got, all.size(), 5000), kOk);
    EXPECT_EQ(got, all);
    const Bytes line = s.tapA->bytes();
    EXPECT_GT(line.size(), all.size());
    EXPECT_EQ(std::count(line.begin(), line.end(), kXon), 0);
    EXPECT_EQ(std::count(line.begin(), line.end(), kXoff), 0);
}

TEST(SerialStream, CloseDeliversWhatWasWrittenThenEndsThePeer) {
    StreamPair s({}, 1, fastOptions());
    const Bytes last = pattern(10000, 5);
    ASSERT_EQ(s.a->write(last.data(), last.size()), kOk);
    s.a->close();
    Bytes got;
    ASSERT_EQ(readExactly(*s.b, got, last.size(), 5000), kOk);
    EXPECT_EQ(got, last);
    uint8_t byte;
    size_t n = 0;
    const auto start = std::chrono::steady_clock::now();
    Result r = kTimeout;
    while (r == kTimeout && std::chrono::steady_clock::now() - start < std::chrono::seconds(3))
        r = s.b->read(&byte, 1, n, 100);
    EXPECT_EQ(r, kLinkLost);
    EXPECT_EQ(s.b->write(&byte, 1), kLinkLost);
    // The closed end itself reads nothing more.
    EXPECT_EQ(s.a->read(&byte, 1, n, 10), kLinkLost);
}

// Reads until the stream ends; returns how long that took.
std::chrono::milliseconds timeToEnd(Transport& t, Result& r) {
    const auto start = std::chrono::steady_clock::now();
    uint8_t byte;
    size_t n = 0;
    do {
        r = t.read(&byte, 1, n, 50);
    } while ((r == kTimeout || r == kOk) && std::chrono::steady_clock::now() - start < std::chrono::seconds(10));
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

TEST(SerialStream, SilentPeerEndsTheStreamWithinTheBound) {
    ReliableStreamOptions o = fastOptions();
    o.linkLostMs = 400;
    o.keepAliveMs = 50;
    const uint8_t data[3] = {1, 2, 3};
    // The line goes dead after the two ends talked: both notice, by the missing keep-alives.
    {
        auto [ra, rb] = makePipePair();
        auto la = std::make_unique<NoisyLine>(std::move(ra), Noise{}, 1);
        auto lb = std::make_unique<NoisyLine>(std::move(rb), Noise{}, 2);
        NoisyLine* lineA = la.get();
        NoisyLine* lineB = lb.get();
        auto a = makeReliableStream(std::move(la), o);
        auto b = makeReliableStream(std::move(lb), o);
        ASSERT_EQ(b->write(data, 1), kOk);
        Bytes got;
        ASSERT_EQ(readExactly(*a, got, 1, 2000), kOk);
        Noise cut;
        cut.drop = 1.0;
        lineA->setNoise(cut);
        lineB->setNoise(cut);
        Result ra2 = kOk, rb2 = kOk;
        std::thread tb([&] { (void)timeToEnd(*b, rb2); });
        const auto took = timeToEnd(*a, ra2);
        tb.join();
        EXPECT_EQ(ra2, kLinkLost);
        EXPECT_EQ(rb2, kLinkLost);
        EXPECT_GE(took.count(), 300);
        EXPECT_LT(took.count(), 2500);
        EXPECT_EQ(a->write(data, sizeof data), kLinkLost);
    }
    // Nobody ever answers: idle, the stream waits (a PC may come later); with data to
    // deliver it gives up after the same bound.
    {
        auto [ra, rb] = makePipePair();
        auto a = makeReliableStream(std::move(ra), o);
        uint8_t byte;
        size_t n = 0;
        EXPECT_EQ(a->read(&byte, 1, n, 600), kTimeout);
        ASSERT_EQ(a->write(data, sizeof data), kOk);
        Result r = kOk;
        const auto took = timeToEnd(*a, r);
        EXPECT_EQ(r, kLinkLost);
        EXPECT_LT(took.count(), 2500);
        rb->close();
    }
}

TEST(SerialStream, ANewStreamAtTheOtherEndEndsTheOldConversation) {
    // The far end restarts on the same line (its program was restarted): what the near end
    // had with the earlier one is over, never mixed up with the new one.
    auto [ra, rb] = makePipePair();
    auto tap = std::make_unique<TapLine>(std::move(rb));
    TapLine* b1Line = tap.get();
    auto a = makeReliableStream(std::move(ra), fastOptions());
    auto b1 = makeReliableStream(std::move(tap), fastOptions());
    const uint8_t x = 7;
    ASSERT_EQ(b1->write(&x, 1), kOk);
    Bytes got;
    ASSERT_EQ(readExactly(*a, got, 1, 2000), kOk);
    // A packet of another stream, as the restarted far end would send it.
    Bytes foreign;
    const uint8_t payload = 9;
    appendPacket(foreign, Packet{PacketKind::Data, 0x12345678, 0, 0, 0, &payload, 1}, false);
    ASSERT_EQ(b1Line->write(foreign.data(), foreign.size()), kOk);
    Result r = kOk;
    (void)timeToEnd(*a, r);
    EXPECT_EQ(r, kLinkLost);
}

}  // namespace
}  // namespace zv::remote
