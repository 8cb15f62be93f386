// Framing of the analyzer link: the byte image of a frame, and a decoder that takes bytes in
// any split, rejects damaged or hostile frames, and (on a serial line) finds its way back.
#include <gtest/gtest.h>

#include <vector>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/protocol/wire.h"

namespace zv::remote {
namespace {

using Bytes = std::vector<uint8_t>;

struct Collected {
    uint8_t type;
    uint32_t sequence;
    Bytes payload;
};

DecodeError feedAll(FrameDecoder& d, const Bytes& bytes, std::vector<Collected>& out, size_t piece = 0) {
    DecodeError e = DecodeError::None;
    const size_t step = piece ? piece : (bytes.empty() ? 1 : bytes.size());
    for (size_t at = 0; at < bytes.size(); at += step) {
        const size_t n = std::min(step, bytes.size() - at);
        e = d.feed(bytes.data() + at, n, [&](const FrameView& f) {
            out.push_back({f.type, f.sequence, Bytes(f.payload, f.payload + f.size)});
            return true;
        });
        if (e != DecodeError::None) break;
    }
    return e;
}

Bytes frame(uint8_t type, uint32_t seq, const Bytes& payload) {
    Bytes b;
    appendFrame(b, type, seq, payload.data(), payload.size());
    return b;
}

TEST(WireChecks, KnownCheckValues) {
    const Bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc32(check.data(), check.size()), 0xCBF43926u);
    EXPECT_EQ(crc16(check.data(), check.size()), 0x29B1);
}

TEST(WireFrame, ByteImageOfAPing) {
    // Ping, sequence 1, payload 01 02 03 04.
    const Bytes expected = {0x5A, 0x57, 0x01, 0x30, 0x01, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,
                            0x9B, 0x5D, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0xCD, 0xFB, 0x3C, 0xB6};
    EXPECT_EQ(frame(0x30, 1, {1, 2, 3, 4}), expected);
}

TEST(WireFrame, RequestMessageLayout) {
    RequestMsg m{7, kKindReceive, 0x8101, 0, 0xC00000, 0};
    const Bytes expected = {7, 0, 0, 0, 5, 0, 0, 0, 0x01, 0x81, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0};
    EXPECT_EQ(m.encode(), expected);
    const auto back = RequestMsg::decode(expected.data(), expected.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->param3, 0xC00000u);
    EXPECT_FALSE(RequestMsg::decode(expected.data(), 23));
}

TEST(WireDecoder, FramesArriveWhateverTheSplit) {
    Bytes stream;
    for (uint32_t seq = 1; seq <= 5; ++seq) {
        Bytes payload(seq * 100, static_cast<uint8_t>(seq));
        appendFrame(stream, 0x12, seq, payload.data(), payload.size());
    }
    for (size_t piece : {size_t{1}, size_t{3}, size_t{17}, size_t{1000}}) {
        FrameDecoder d;
        std::vector<Collected> got;
        EXPECT_EQ(feedAll(d, stream, got, piece), DecodeError::None);
        ASSERT_EQ(got.size(), 5u) << "piece " << piece;
        EXPECT_EQ(got[4].payload.size(), 500u);
        EXPECT_EQ(got[4].payload[499], 5);
        EXPECT_EQ(got[2].sequence, 3u);
    }
}

TEST(WireDecoder, EmptyPayloadFrame) {
    FrameDecoder d;
    std::vector<Collected> got;
    EXPECT_EQ(feedAll(d, frame(0x40, 1, {}), got), DecodeError::None);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(got[0].payload.empty());
}

TEST(WireDecoder, DamageIsRejectedInStrictMode) {
    const Bytes good = frame(0x30, 1, {1, 2, 3, 4});
    struct Case {
        size_t offset;
        uint8_t value;
        DecodeError error;
    };
    const Case cases[] = {
        {0, 'X', DecodeError::BadMagic},         {3, 0x31, DecodeError::BadHeadCheck},
        {8, 0x05, DecodeError::BadHeadCheck},    {14, 0x01, DecodeError::BadHeadCheck},
        {17, 0xFF, DecodeError::BadPayloadCheck}, {21, 0x00, DecodeError::BadPayloadCheck},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        bad[c.offset] = c.value;
        FrameDecoder d;
        std::vector<Collected> got;
        EXPECT_EQ(feedAll(d, bad, got), c.error) << "offset " << c.offset;
        EXPECT_TRUE(got.empty());
        // The error sticks: a good frame afterwards is not taken.
        EXPECT_EQ(feedAll(d, frame(0x30, 1, {}), got), c.error);
        EXPECT_TRUE(got.empty());
    }
}

TEST(WireDecoder, ForeignBytesAreRefusedAtOnce) {
    // Two bytes are enough to tell that this is no frame.
    FrameDecoder d;
    std::vector<Collected> got;
    EXPECT_EQ(feedAll(d, {'Z', 'X'}, got), DecodeError::BadMagic);
    FrameDecoder d2;
    EXPECT_EQ(feedAll(d2, {'H'}, got), DecodeError::BadMagic);
    FrameDecoder d3;
    EXPECT_EQ(feedAll(d3, {'Z', 'W', 1}, got), DecodeError::None);  // so far so good
}

TEST(WireDecoder, HostileLengthIsRefusedBeforeAnyPayloadArrives) {
    // A valid head announcing 16 MiB: refused as soon as the head is complete.
    Bytes head = {0x5A, 0x57, 0x01, 0x12, 0x01, 0, 0, 0, 0x00, 0x00, 0x00, 0x01};
    const uint16_t check = crc16(head.data(), head.size());
    head.push_back(static_cast<uint8_t>(check));
    head.push_back(static_cast<uint8_t>(check >> 8));
    head.push_back(0);
    head.push_back(0);
    FrameDecoder d;
    std::vector<Collected> got;
    EXPECT_EQ(feedAll(d, head, got), DecodeError::TooLong);
}

TEST(WireDecoder, WrongVersionAndSequence) {
    Bytes v2 = frame(0x30, 1, {});
    v2[2] = 2;
    const uint16_t check = crc16(v2.data(), 12);
    v2[12] = static_cast<uint8_t>(check);
    v2[13] = static_cast<uint8_t>(check >> 8);
    FrameDecoder d1;
    std::vector<Collected> got;
    EXPECT_EQ(feedAll(d1, v2, got), DecodeError::BadVersion);

    // Sequence 1 then 3: frame 2 went missing.
    Bytes stream = frame(0x30, 1, {});
    const Bytes third = frame(0x30, 3, {});
    stream.insert(stream.end(), third.begin(), third.end());
    FrameDecoder d2;
    got.clear();
    EXPECT_EQ(feedAll(d2, stream, got), DecodeError::BadSequence);
    EXPECT_EQ(got.size(), 1u);
}

TEST(WireDecoder, ResyncSkipsNoiseAndDamagedFrames) {
    Bytes stream = {0x00, 0x5A, 0x13, 0xFF};  // line noise, including a false magic byte
    Bytes f1 = frame(0x30, 1, {9, 9});
    Bytes f2 = frame(0x30, 2, {8, 8, 8});
    f2[18] ^= 0x40;  // damaged payload
    Bytes f3 = frame(0x30, 3, {7});
    Bytes f4 = frame(0x30, 5, {6});  // frame 4 lost on the line
    for (const Bytes* f : {&f1, &f2, &f3, &f4}) stream.insert(stream.end(), f->begin(), f->end());
    for (size_t piece : {size_t{1}, size_t{5}, stream.size()}) {
        FrameDecoder d(kMaxPayload, true);
        std::vector<Collected> got;
        EXPECT_EQ(feedAll(d, stream, got, piece), DecodeError::None);
        ASSERT_EQ(got.size(), 3u) << "piece " << piece;
        EXPECT_EQ(got[0].payload, (Bytes{9, 9}));
        EXPECT_EQ(got[1].payload, (Bytes{7}));
        EXPECT_EQ(got[2].sequence, 5u);
        EXPECT_EQ(d.lostFrames(), 2u);  // frames 2 and 4
        EXPECT_GE(d.skippedBytes(), 4u);
    }
}

TEST(WireDecoder, ResyncFindsAFrameInsideARejectedOne) {
    // A head that announces a long payload swallows the next real frame; the payload check
    // fails and the decoder finds the real frame in the bytes it had taken.
    Bytes fake = {0x5A, 0x57, 0x01, 0x12, 0x09, 0, 0, 0, 30, 0, 0, 0};
    const uint16_t check = crc16(fake.data(), fake.size());
    fake.push_back(static_cast<uint8_t>(check));
    fake.push_back(static_cast<uint8_t>(check >> 8));
    fake.push_back(0);
    fake.push_back(0);
    Bytes real = frame(0x30, 1, {1, 2, 3});
    Bytes stream = fake;
    stream.insert(stream.end(), real.begin(), real.end());
    stream.resize(stream.size() + 20, 0xEE);
    FrameDecoder d(kMaxPayload, true);
    std::vector<Collected> got;
    EXPECT_EQ(feedAll(d, stream, got, 7), DecodeError::None);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].payload, (Bytes{1, 2, 3}));
}

TEST(WireMessages, DataChunkMustLieInsideItsTotal) {
    const Bytes data(10, 0xAB);
    const Bytes ok = encodeData({1, 90, 100}, data.data(), data.size());
    EXPECT_TRUE(decodeDataHead(ok.data(), ok.size()));
    const Bytes over = encodeData({1, 91, 100}, data.data(), data.size());
    EXPECT_FALSE(decodeDataHead(over.data(), over.size()));
    const Bytes wrap = encodeData({1, 0xFFFFFFFF, 100}, data.data(), data.size());
    EXPECT_FALSE(decodeDataHead(wrap.data(), wrap.size()));
    const Bytes big(kMonitorHead + kMaxMonitorBlock + 4, 0);
    EXPECT_FALSE(decodeMonitorHead(big.data(), big.size()));
    EXPECT_FALSE(decodeMonitorHead(big.data(), 3));
    // Whole records only: a piece of one would shift the records behind it in a buffer file.
    EXPECT_TRUE(decodeMonitorHead(big.data(), kMonitorHead + 2 * kMonitorRecordSize));
    EXPECT_FALSE(decodeMonitorHead(big.data(), kMonitorHead + kMonitorRecordSize + 1));
}

TEST(WireMessages, VersionAgreement) {
    EXPECT_EQ(agreeVersion(1, 1), 1);
    EXPECT_EQ(agreeVersion(1, 7), 1);
    EXPECT_EQ(agreeVersion(2, 3), 0);
    EXPECT_EQ(agreeVersion(0, 0), 0);
}

TEST(WireMessages, SerialNumbersAreAlwaysTerminated) {
    HelloMsg h;
    h.serial = makeSerial("30808001");
    Bytes b = h.encode();
    for (size_t i = 12; i < 28; ++i) b[i] = 'A';
    const auto back = HelloMsg::decode(b.data(), b.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(serialText(back->serial), std::string(15, 'A'));
    EXPECT_EQ(serialText(makeSerial("30808001")), "30808001");
}

}  // namespace
}  // namespace zv::remote
