#include "formats/fast_deflate.h"

#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include <zlib.h>

namespace zv {
namespace {

constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 258;
constexpr uint32_t kMaxDistance = 32768;

uint32_t reversed(uint32_t code, int bits) {
    uint32_t r = 0;
    for (int i = 0; i < bits; ++i) r |= ((code >> i) & 1u) << (bits - 1 - i);
    return r;
}

// A code as written: its bits in stream order (least significant first) and their number.
struct Code {
    uint32_t bits = 0;
    uint8_t length = 0;
};

// The fixed literal/length code of a symbol 0-287.
Code fixedSymbol(uint32_t s) {
    if (s < 144) return {reversed(0x30 + s, 8), 8};
    if (s < 256) return {reversed(0x190 + s - 144, 9), 9};
    if (s < 280) return {reversed(s - 256, 7), 7};
    return {reversed(0xC0 + s - 280, 8), 8};
}

struct Tables {
    std::array<Code, 256> literal{};
    std::array<Code, kMaxMatch + 1> length{};  // the length symbol and its extra bits together
    Code endOfBlock;
    Tables() {
        for (uint32_t b = 0; b < 256; ++b) literal[b] = fixedSymbol(b);
        endOfBlock = fixedSymbol(256);
        static constexpr uint16_t kBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr uint8_t kExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        for (size_t n = kMinMatch; n <= kMaxMatch; ++n) {
            size_t i = 28;
            while (kBase[i] > n) --i;
            const Code symbol = fixedSymbol(257 + static_cast<uint32_t>(i));
            length[n] = {symbol.bits | static_cast<uint32_t>(n - kBase[i]) << symbol.length,
                         static_cast<uint8_t>(symbol.length + kExtra[i])};
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

// The distance code and its extra bits.
Code distanceCode(uint32_t d) {
    static constexpr uint16_t kBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                           193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    uint32_t i = 29;
    while (kBase[i] > d) --i;
    const uint32_t extraBits = i < 4 ? 0 : (i - 2) / 2;
    return {reversed(i, 5) | (d - kBase[i]) << 5, static_cast<uint8_t>(5 + extraBits)};
}

// Writes codes into room reserved beforehand (at most 18 bits a code, so the worst case is
// known: nine bits a byte, and four bytes of slack). Whole bytes leave at once, without a
// branch: the next code's bits are ORed in above the few that remain.
class BitWriter {
public:
    explicit BitWriter(uint8_t* out) : start_(out), p_(out) {}
    void put(Code c) {
        acc_ |= c.bits << count_;
        count_ += c.length;  // at most 7 + 18 bits
        p_[0] = static_cast<uint8_t>(acc_);
        p_[1] = static_cast<uint8_t>(acc_ >> 8);
        p_[2] = static_cast<uint8_t>(acc_ >> 16);
        p_[3] = static_cast<uint8_t>(acc_ >> 24);
        const uint32_t bytes = count_ >> 3;
        p_ += bytes;
        acc_ >>= 8 * bytes;  // at most 24
        count_ &= 7;
    }
    // Writes the last partial byte; returns the bytes written.
    size_t finish() {
        if (count_ > 0) *p_++ = static_cast<uint8_t>(acc_);
        return static_cast<size_t>(p_ - start_);
    }

private:
    uint8_t* start_;
    uint8_t* p_;
    uint32_t acc_ = 0;
    uint32_t count_ = 0;
};

inline uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);  // native order: only compared, never taken as a number
    return v;
}

// The index of the first differing byte of two words loaded natively (x, their XOR, not 0).
inline size_t firstDifference(uint64_t x) {
    if constexpr (std::endian::native == std::endian::little) return static_cast<size_t>(std::countr_zero(x) / 8);
    return static_cast<size_t>(std::countl_zero(x) / 8);
}

// How many bytes from a on equal those from b, at most limit.
inline size_t runLength(const uint8_t* a, const uint8_t* b, size_t limit) {
    size_t n = 0;
    while (n + 8 <= limit) {
        const uint64_t x = load64(a + n) ^ load64(b + n);
        if (x != 0) return n + firstDifference(x);
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

}  // namespace

void appendFastDeflate(const uint8_t* data, size_t size, const std::vector<DeflateRegion>& regions,
                       std::vector<uint8_t>& out) {
    const Tables& t = tables();
    // Coded into a buffer of this thread's, kept from call to call and never cleared, and
    // then appended at its real size: a vector grown to the worst case would have its room
    // zero-filled each time, which cost more than the coding itself.
    thread_local std::unique_ptr<uint8_t[]> scratch;
    thread_local size_t scratchSize = 0;
    const size_t worstCase = 2 + size + size / 8 + 16;  // every byte a 9-bit literal
    if (scratchSize < worstCase) {
        scratch.reset(new uint8_t[worstCase]);
        scratchSize = worstCase;
    }
    uint8_t* coded = scratch.get();
    coded[0] = 0x78;  // deflate, 32 KiB window
    coded[1] = 0x01;  // fastest; the header is a multiple of 31
    BitWriter bits(coded + 2);
    bits.put({0x3, 3});  // final block, fixed codes (BFINAL 1, BTYPE 01)
    size_t region = 0;
    size_t i = 0;
    uint32_t codedDistance = 0;
    Code distanceBits;
    while (i < size) {
        while (region + 1 < regions.size() && regions[region + 1].start <= i) ++region;
        const size_t next = region + 1 < regions.size() ? regions[region + 1].start : size;
        const size_t end = next < size ? next : size;
        const uint32_t distance = region < regions.size() && regions[region].start <= i ? regions[region].distance : 0;
        if (distance == 0 || distance > kMaxDistance) {
            for (; i < end; ++i) bits.put(t.literal[data[i]]);
            continue;
        }
        for (; i < end && i < distance; ++i) bits.put(t.literal[data[i]]);  // nothing that far back yet
        if (distance != codedDistance) {  // regions mostly repeat the same distance
            codedDistance = distance;
            distanceBits = distanceCode(distance);
        }
        while (i < end) {
            const size_t limit = end - i < kMaxMatch ? end - i : kMaxMatch;
            const size_t n = runLength(data + i, data + i - distance, limit);
            if (n >= kMinMatch) {
                bits.put(t.length[n]);
                bits.put(distanceBits);
                i += n;
            } else {
                // No match can start before the byte that differs: all of them are literals.
                const size_t literals = n < limit ? n + 1 : n;
                for (size_t k = 0; k < literals; ++k) bits.put(t.literal[data[i + k]]);
                i += literals;
            }
        }
    }
    bits.put(t.endOfBlock);
    const size_t codedSize = 2 + bits.finish();
    out.reserve(out.size() + codedSize + 4 + 3);  // the check value, and padding a caller may add
    out.insert(out.end(), coded, coded + codedSize);
    const auto check = static_cast<uint32_t>(adler32(adler32(0, nullptr, 0), data, static_cast<uInt>(size)));
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(check >> s));
}

}  // namespace zv
