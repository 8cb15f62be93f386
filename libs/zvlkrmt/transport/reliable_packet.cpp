#include "zvlkrmt/transport/reliable_packet.h"

#include "base/bytes.h"
#include "zvlkrmt/protocol/wire.h"

namespace zv::remote {
namespace {

bool mustEscape(uint8_t b, bool escapeFlowControl) {
    return b == kPacketFlag || b == kPacketEscape || (escapeFlowControl && (b == kXon || b == kXoff));
}

void appendStuffed(std::vector<uint8_t>& out, const uint8_t* p, size_t n, bool escapeFlowControl) {
    for (size_t i = 0; i < n; ++i) {
        if (mustEscape(p[i], escapeFlowControl)) {
            out.push_back(kPacketEscape);
            out.push_back(static_cast<uint8_t>(p[i] ^ 0x20));
        } else {
            out.push_back(p[i]);
        }
    }
}

}  // namespace

void appendPacket(std::vector<uint8_t>& out, const Packet& packet, bool escapeFlowControl) {
    uint8_t head[kPacketHeadSize];
    putU8(head, 0, static_cast<uint8_t>(packet.kind));
    putU8(head, 1, 0);
    putU16(head, 2, static_cast<uint16_t>(packet.size));
    putU32(head, 4, packet.source);
    putU32(head, 8, packet.destination);
    putU32(head, 12, packet.number);
    putU32(head, 16, packet.ack);
    uint32_t crc = crc32(head, sizeof head);
    if (packet.size) crc = crc32(packet.payload, packet.size, crc);
    uint8_t check[kPacketCheckSize];
    putU32(check, 0, crc);

    out.reserve(out.size() + 2 + 2 * (sizeof head + packet.size + sizeof check));
    out.push_back(kPacketFlag);
    appendStuffed(out, head, sizeof head, escapeFlowControl);
    appendStuffed(out, packet.payload, packet.size, escapeFlowControl);
    appendStuffed(out, check, sizeof check, escapeFlowControl);
    out.push_back(kPacketFlag);
}

PacketDecoder::PacketDecoder(size_t maxPayload, bool ignoreFlowControl)
    : maxBody_(kPacketHeadSize + maxPayload + kPacketCheckSize), ignoreFlowControl_(ignoreFlowControl) {
    body_.reserve(maxBody_);
}

void PacketDecoder::take(uint8_t byte) {
    if (!inPacket_) {
        ++skipped_;
        return;
    }
    // With software flow control on, XON and XOFF never belong to a packet (they are sent
    // stuffed); a raw one is the line's own flow control or noise.
    if (ignoreFlowControl_ && (byte == kXon || byte == kXoff)) {
        ++skipped_;
        return;
    }
    if (overflow_) return;
    if (byte == kPacketEscape) {
        if (escaped_) overflow_ = true;  // two escapes in a row: damaged
        escaped_ = true;
        return;
    }
    if (escaped_) {
        byte ^= 0x20;
        escaped_ = false;
    }
    if (body_.size() >= maxBody_) {
        overflow_ = true;
        return;
    }
    body_.push_back(byte);
}

bool PacketDecoder::endPacket(Packet& out) {
    const bool had = inPacket_ && (!body_.empty() || overflow_ || escaped_);
    const bool damaged = overflow_ || escaped_;
    inPacket_ = true;
    overflow_ = false;
    escaped_ = false;
    if (!had) return false;  // the opening delimiter, or two in a row
    const size_t n = body_.size();
    const uint8_t* b = body_.data();
    bool ok = !damaged && n >= kPacketHeadSize + kPacketCheckSize;
    if (ok) {
        const size_t length = getU16(b, 2);
        ok = length == n - kPacketHeadSize - kPacketCheckSize && b[1] == 0 &&
             getU32(b, n - kPacketCheckSize) == crc32(b, n - kPacketCheckSize);
        const uint8_t kind = b[0];
        ok = ok && kind >= static_cast<uint8_t>(PacketKind::Data) && kind <= static_cast<uint8_t>(PacketKind::Close) &&
             (kind == static_cast<uint8_t>(PacketKind::Data) || length == 0);
        if (ok) {
            out.kind = static_cast<PacketKind>(kind);
            out.source = getU32(b, 4);
            out.destination = getU32(b, 8);
            out.number = getU32(b, 12);
            out.ack = getU32(b, 16);
            out.payload = b + kPacketHeadSize;
            out.size = length;
        }
    }
    if (!ok) {
        ++bad_;
        return false;
    }
    ++packets_;
    return true;
}

}  // namespace zv::remote
