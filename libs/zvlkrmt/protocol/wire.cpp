#include "zvlkrmt/protocol/wire.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/bytes.h"

namespace zv::remote {
namespace {

constexpr std::array<uint32_t, 256> makeCrc32Table() {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}
constexpr std::array<uint32_t, 256> kCrc32 = makeCrc32Table();

}  // namespace

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = kCrc32[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

// CRC-16/CCITT-FALSE (polynomial 0x1021, start 0xFFFF).
uint16_t crc16(const uint8_t* data, size_t size) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
        for (int k = 0; k < 8; ++k)
            crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

void appendFrame(std::vector<uint8_t>& out, uint8_t type, uint32_t sequence, const uint8_t* payload,
                 size_t size) {
    const size_t at = out.size();
    out.resize(at + kFrameHeadSize + size + kFrameTailSize);
    uint8_t* p = out.data() + at;
    p[0] = kFrameMagic0;
    p[1] = kFrameMagic1;
    p[2] = kFrameVersion;
    p[3] = type;
    putU32(p, 4, sequence);
    putU32(p, 8, static_cast<uint32_t>(size));
    putU16(p, 12, crc16(p, 12));
    putU16(p, 14, 0);
    if (size) std::memcpy(p + kFrameHeadSize, payload, size);
    putU32(p, kFrameHeadSize + size, crc32(payload, size));
}

const char* decodeErrorText(DecodeError e) {
    switch (e) {
        case DecodeError::None: return "no error";
        case DecodeError::BadMagic: return "bad frame magic";
        case DecodeError::BadVersion: return "unsupported frame version";
        case DecodeError::BadHeadCheck: return "frame head check failed";
        case DecodeError::TooLong: return "frame too long";
        case DecodeError::BadPayloadCheck: return "frame payload check failed";
        case DecodeError::BadSequence: return "frame out of sequence";
    }
    return "unknown error";
}

FrameDecoder::FrameDecoder(uint32_t maxPayload, bool resync) : maxPayload_(maxPayload), resync_(resync) {
    buffer_.resize(kFrameHeadSize);
}

void FrameDecoder::fail(DecodeError e) {
    if (!resync_) {
        error_ = e;
        return;
    }
    // Hunt: everything after the first byte of the rejected frame may hold the next head.
    ++skipped_;
    rejected_.assign(buffer_.begin() + 1, buffer_.begin() + static_cast<std::ptrdiff_t>(have_));
    failedInStep_ = true;
    have_ = 0;
    headDone_ = false;
    need_ = kFrameHeadSize;
}

size_t FrameDecoder::absorb(const uint8_t* src, size_t n) {
    size_t taken = 0;
    if (!headDone_) {
        if (resync_ && have_ == 0) {
            while (taken < n && src[taken] != kFrameMagic0) {
                ++taken;
                ++skipped_;
            }
            if (taken == n) return taken;
        }
        const size_t k = std::min(kFrameHeadSize - have_, n - taken);
        std::memcpy(buffer_.data() + have_, src + taken, k);
        have_ += k;
        taken += k;
        // The magic is judged as soon as it is there: a peer that sends something else entirely
        // (and then waits) is refused at once, not after a time-out.
        const uint8_t* h = buffer_.data();
        if ((have_ >= 1 && h[0] != kFrameMagic0) || (have_ >= 2 && h[1] != kFrameMagic1)) {
            fail(DecodeError::BadMagic);
            return taken;
        }
        if (have_ < kFrameHeadSize) return taken;
        if (getU16(h, 12) != crc16(h, 12) || getU16(h, 14) != 0) {
            fail(DecodeError::BadHeadCheck);
            return taken;
        }
        if (h[2] != kFrameVersion) {
            fail(DecodeError::BadVersion);
            return taken;
        }
        const uint32_t length = getU32(h, 8);
        if (length > maxPayload_) {
            fail(DecodeError::TooLong);
            return taken;
        }
        type_ = h[3];
        sequence_ = getU32(h, 4);
        payloadSize_ = length;
        need_ = kFrameHeadSize + length + kFrameTailSize;
        if (buffer_.size() < need_) buffer_.resize(need_);
        headDone_ = true;
    }
    const size_t k = std::min(need_ - have_, n - taken);
    std::memcpy(buffer_.data() + have_, src + taken, k);
    have_ += k;
    taken += k;
    if (have_ < need_) return taken;
    const uint8_t* payload = buffer_.data() + kFrameHeadSize;
    if (getU32(payload, payloadSize_) != crc32(payload, payloadSize_)) {
        fail(DecodeError::BadPayloadCheck);
        return taken;
    }
    if (sequence_ != expectedSequence_) {
        if (!resync_) {
            fail(DecodeError::BadSequence);
            return taken;
        }
        if (sequence_ > expectedSequence_) lostFrames_ += sequence_ - expectedSequence_;
    }
    expectedSequence_ = sequence_ + 1;
    ++frames_;
    complete_ = true;
    have_ = 0;
    headDone_ = false;
    need_ = kFrameHeadSize;
    return taken;
}

size_t FrameDecoder::step(const uint8_t* data, size_t size) {
    failedInStep_ = false;
    if (replayPos_ < replay_.size()) {
        const size_t used = absorb(replay_.data() + replayPos_, replay_.size() - replayPos_);
        replayPos_ += used;
        if (failedInStep_) {
            rejected_.insert(rejected_.end(), replay_.begin() + static_cast<std::ptrdiff_t>(replayPos_),
                             replay_.end());
            replay_.swap(rejected_);
            replayPos_ = 0;
        } else if (replayPos_ == replay_.size()) {
            replay_.clear();
            replayPos_ = 0;
        }
        return 0;
    }
    const size_t used = absorb(data, size);
    if (failedInStep_) {
        replay_.swap(rejected_);
        replayPos_ = 0;
    }
    return used;
}

}  // namespace zv::remote
