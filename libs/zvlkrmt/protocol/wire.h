// Framing of the link between the remote library and an analyzer. Every message travels in a
// frame: a 16-byte head (magic, version, type, sequence, payload length, head check), the
// payload and a CRC-32 of the payload. Both checks matter on a serial line, which corrupts and
// drops bytes; the sequence number makes a dropped frame visible.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zv::remote {

constexpr uint8_t kFrameMagic0 = 'Z';
constexpr uint8_t kFrameMagic1 = 'W';
constexpr uint8_t kFrameVersion = 1;
constexpr size_t kFrameHeadSize = 16;
constexpr size_t kFrameTailSize = 4;
// Largest payload either side sends: a 64 KiB data chunk plus its message head.
constexpr uint32_t kMaxPayload = 65536 + 64;

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint16_t crc16(const uint8_t* data, size_t size);

// Appends one complete frame to out.
void appendFrame(std::vector<uint8_t>& out, uint8_t type, uint32_t sequence, const uint8_t* payload,
                 size_t size);

enum class DecodeError : uint8_t {
    None,
    BadMagic,
    BadVersion,
    BadHeadCheck,
    TooLong,
    BadPayloadCheck,
    BadSequence,
};
const char* decodeErrorText(DecodeError e);

struct FrameView {
    uint8_t type;
    uint32_t sequence;
    const uint8_t* payload;
    size_t size;
};

// Incremental decoder: bytes arrive in any split; each complete frame is handed to the
// callback. The payload buffer is bounded by maxPayload, so a hostile length cannot make it
// allocate. In strict mode (links with a reliable byte stream) the first error sticks and the
// link is to be ended; in resync mode (a serial line) a bad byte is skipped, the decoder hunts
// for the next valid head and counts what it threw away.
class FrameDecoder {
public:
    explicit FrameDecoder(uint32_t maxPayload = kMaxPayload, bool resync = false);

    // Feeds bytes. onFrame(const FrameView&) returns false to stop decoding (the rest of the
    // input is then dropped). Returns the sticky error in strict mode, else None.
    template <typename OnFrame>
    DecodeError feed(const uint8_t* data, size_t size, OnFrame&& onFrame) {
        while ((size > 0 || replayPos_ < replay_.size()) && error_ == DecodeError::None) {
            const size_t used = step(data, size);
            data += used;
            size -= used;
            if (complete_) {
                complete_ = false;
                const FrameView view{type_, sequence_, buffer_.data() + kFrameHeadSize, payloadSize_};
                if (!onFrame(view)) return error_;
            }
        }
        return error_;
    }

    DecodeError error() const { return error_; }
    // Resync mode: bytes skipped while hunting, frames lost by sequence.
    uint64_t skippedBytes() const { return skipped_; }
    uint64_t lostFrames() const { return lostFrames_; }
    uint64_t framesDecoded() const { return frames_; }
    // The size of the frame whose first bytes have arrived and its last not yet (its head's
    // size while the head is incomplete); 0 between frames.
    size_t partialFrameSize() const { return have_ == 0 ? 0 : headDone_ ? need_ : kFrameHeadSize; }

private:
    // Takes bytes from the replay area first, else from data; returns the bytes of data taken.
    size_t step(const uint8_t* data, size_t size);
    size_t absorb(const uint8_t* src, size_t n);
    void fail(DecodeError e);

    uint32_t maxPayload_;
    bool resync_;
    DecodeError error_ = DecodeError::None;
    std::vector<uint8_t> buffer_;  // head + payload + tail of the frame being assembled
    size_t have_ = 0;
    size_t need_ = kFrameHeadSize;
    bool headDone_ = false;
    bool failedInStep_ = false;
    std::vector<uint8_t> replay_;    // resync: bytes of a rejected frame to be scanned again
    size_t replayPos_ = 0;
    std::vector<uint8_t> rejected_;  // resync: filled by fail(), merged into replay_ by step()
    bool complete_ = false;
    uint8_t type_ = 0;
    uint32_t sequence_ = 0;
    size_t payloadSize_ = 0;
    uint32_t expectedSequence_ = 1;
    uint64_t skipped_ = 0;
    uint64_t lostFrames_ = 0;
    uint64_t frames_ = 0;
};

}  // namespace zv::remote
