// The packets of the reliable stream on the line: each packet is delimited by 0x7E on both
// sides and byte-stuffed (0x7D, then the byte XOR 0x20) so that the delimiter never appears
// inside; XON 0x11 and XOFF 0x13 are stuffed too when the line uses software flow control.
//
// Packet body before stuffing (little-endian):
//   0  u8   kind (1 data, 2 ack, 3 nak, 4 close)
//   1  u8   zero
//   2  u16  payload length L (0 unless data)
//   4  u32  stream id of the sender (random, new for every stream)
//   8  u32  stream id of the receiver as the sender knows it (0 = not known yet)
//  12  u32  packet number (data)
//  16  u32  next packet number the sender expects from the receiver (nak: the one missing)
//  20  L    payload
//  20+L u32 CRC-32 of bytes 0 .. 19+L
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zv::remote {

constexpr uint8_t kPacketFlag = 0x7E;
constexpr uint8_t kPacketEscape = 0x7D;
constexpr uint8_t kXon = 0x11;
constexpr uint8_t kXoff = 0x13;
constexpr size_t kPacketHeadSize = 20;
constexpr size_t kPacketCheckSize = 4;

enum class PacketKind : uint8_t { Data = 1, Ack = 2, Nak = 3, Close = 4 };

struct Packet {
    PacketKind kind = PacketKind::Ack;
    uint32_t source = 0;
    uint32_t destination = 0;
    uint32_t number = 0;
    uint32_t ack = 0;
    const uint8_t* payload = nullptr;
    size_t size = 0;
};

// Appends the delimited, stuffed packet to out.
void appendPacket(std::vector<uint8_t>& out, const Packet& packet, bool escapeFlowControl);

// Incremental decoder: bytes arrive in any split; each intact packet goes to the callback.
// Damaged packets (bad check, length or kind, or longer than the payload bound) are counted and
// dropped; the decoder resumes at the next delimiter. Memory is bounded by maxPayload.
class PacketDecoder {
public:
    explicit PacketDecoder(size_t maxPayload, bool ignoreFlowControl);

    template <typename OnPacket>
    void feed(const uint8_t* data, size_t size, OnPacket&& onPacket) {
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == kPacketFlag) {
                Packet p;
                if (endPacket(p)) onPacket(static_cast<const Packet&>(p));
                body_.clear();
            } else {
                take(data[i]);
            }
        }
    }

    uint64_t badPackets() const { return bad_; }
    uint64_t skippedBytes() const { return skipped_; }
    uint64_t packets() const { return packets_; }

private:
    bool endPacket(Packet& out);
    void take(uint8_t byte);

    size_t maxBody_;
    bool ignoreFlowControl_;
    std::vector<uint8_t> body_;
    bool inPacket_ = false;
    bool escaped_ = false;
    bool overflow_ = false;
    uint64_t bad_ = 0;
    uint64_t skipped_ = 0;
    uint64_t packets_ = 0;
};

}  // namespace zv::remote
