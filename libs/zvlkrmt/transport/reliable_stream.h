// An exact, ordered byte stream over a line that corrupts, drops, duplicates and inserts bytes
// (a serial port). The bytes written travel in numbered packets with a CRC-32, delimited and
// byte-stuffed so that a receiver finds the next packet after any damage; the receiver
// acknowledges what arrived in order, the sender keeps a window of unacknowledged packets and
// sends them again on a negative acknowledgement or when no acknowledgement comes in time.
// A peer that stays silent for linkLostMs (it sends keep-alives while idle) ends the stream
// with kLinkLost. The framing is described in docs/remote-protocol.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/result.h"
#include "zvlkrmt/transport/transport.h"

namespace zv::remote {

struct ReliableStreamOptions {
    // Escape XON (0x11) and XOFF (0x13) as well, so that software flow control of the line
    // never sees them in the data.
    bool escapeFlowControl = false;
    // Payload bytes per data packet (at most kMaxReliablePayload).
    uint32_t packetPayload = 1024;
    // Data packets sent and not yet acknowledged (1..kMaxReliableWindow).
    uint32_t window = 16;
    // An unacknowledged packet is sent again after this long.
    int retransmitMs = 250;
    // Idle ends send a keep-alive this often; a peer silent for linkLostMs is gone.
    int keepAliveMs = 500;
    int linkLostMs = 5000;
};

constexpr uint32_t kMaxReliablePayload = 4096;
constexpr uint32_t kMaxReliableWindow = 64;

// Counters for tests and diagnostics.
struct ReliableStreamStats {
    uint64_t packetsSent = 0;
    uint64_t retransmissions = 0;
    uint64_t packetsReceived = 0;
    uint64_t badPackets = 0;      // CRC, length or stuffing errors
    uint64_t duplicates = 0;
    uint64_t stalePackets = 0;    // our own echo, or meant for an earlier stream on the line
    uint64_t skippedBytes = 0;    // bytes outside any packet
};

class ReliableStream : public Transport {
public:
    virtual ReliableStreamStats stats() const = 0;
};

// Takes ownership of the raw line and runs a worker thread that reads it. Invalid options are
// clamped to their limits.
std::unique_ptr<ReliableStream> makeReliableStream(std::unique_ptr<Transport> raw,
                                                   const ReliableStreamOptions& options = {});

}  // namespace zv::remote
