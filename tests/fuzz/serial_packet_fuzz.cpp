// The serial line's packet decoder against arbitrary line bytes, cut at arbitrary points, with
// and without flow-control characters in the way. Every packet it hands out must lie within the
// bound, carry a valid kind, and come out the same when encoded and decoded again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "zvlkrmt/transport/reliable_packet.h"

using namespace zv::remote;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t piece = (data[0] % 41) + 1;
    const bool flowControl = (data[0] & 0x80) != 0;
    const uint8_t* input = data + 1;
    const size_t n = size - 1;
    constexpr size_t kBound = 512;

    PacketDecoder decoder(kBound, flowControl);
    size_t packets = 0;
    // Each piece in a buffer of exactly its size, so that reading past it is caught.
    std::vector<uint8_t> whole(piece), last(n % piece);
    for (size_t at = 0; at < n; at += piece) {
        const size_t len = n - at < piece ? n - at : piece;
        std::vector<uint8_t>& chunk = len == piece ? whole : last;
        std::memcpy(chunk.data(), input + at, len);
        decoder.feed(chunk.data(), chunk.size(), [&](const Packet& p) {
            if (p.size > kBound) std::abort();
            if (p.kind < PacketKind::Data || p.kind > PacketKind::Close) std::abort();
            if (p.kind != PacketKind::Data && p.size != 0) std::abort();
            // Encoded again, it decodes to the same packet.
            std::vector<uint8_t> line;
            appendPacket(line, p, flowControl);
            PacketDecoder again(kBound, flowControl);
            size_t same = 0;
            again.feed(line.data(), line.size(), [&](const Packet& q) {
                if (q.kind != p.kind || q.source != p.source || q.destination != p.destination ||
                    q.number != p.number || q.ack != p.ack || q.size != p.size ||
                    (q.size && std::memcmp(q.payload, p.payload, q.size) != 0))
                    std::abort();
                ++same;
            });
            if (same != 1) std::abort();
            ++packets;
        });
    }
    // A packet takes at least its head, its check and a delimiter.
    if (packets * (kPacketHeadSize + kPacketCheckSize + 1) > n) std::abort();
    if (decoder.packets() != packets) std::abort();
    return 0;
}
