// Sequential output into the blocks an OutputSink lends: writers ask for room, format into it
// and advance. After a failed write the writer goes on into a scratch block, and failed() says so.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "conversion/output_sink.h"

namespace zv {

class ByteOut {
public:
    static constexpr size_t kMaxRoom = 4096;

    explicit ByteOut(OutputSink& sink) : sink_(sink) {}
    // Room for n <= kMaxRoom bytes at the returned position.
    char* room(size_t n) {
        if (static_cast<size_t>(end_ - pos_) < n) nextBlock(n);
        return pos_;
    }
    void advance(char* end) { pos_ = end; }
    void put(const void* bytes, size_t n);
    void put(const char* text) { put(text, std::strlen(text)); }
    // Hands over what is left; false when anything could not be written.
    bool finish();
    bool failed() const { return failed_; }

private:
    void nextBlock(size_t n);

    OutputSink& sink_;
    char* start_ = nullptr;
    char* pos_ = nullptr;
    char* end_ = nullptr;
    bool failed_ = false;
    std::array<char, kMaxRoom> scratch_{};
};

// Formatting helpers shared by the text formats.
namespace text_out {
extern const std::array<char, 512> kHexPairs;  // "000102...FF"
inline char* hex2(char* p, uint8_t v) {
    std::memcpy(p, &kHexPairs[v * 2u], 2);
    return p + 2;
}
// n hexadecimal digits of v, upper case.
inline char* hexDigits(char* p, uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) p[i] = "0123456789ABCDEF"[v & 0xF], v >>= 4;
    return p + n;
}
char* decimal(char* p, uint64_t v);
// "S.ffffff": seconds and microseconds of a time in 0.2 ms steps.
char* seconds6(char* p, uint64_t ticks);
inline char* text(char* p, const char* s, size_t n) {
    std::memcpy(p, s, n);
    return p + n;
}
}  // namespace text_out

}  // namespace zv
