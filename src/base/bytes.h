// Little-endian field access at explicit offsets. Every binary record of the analyzer
// (setup images, data-information blocks, capture records) is read and written through
// these helpers, never by casting a struct over bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zv {

inline uint8_t getU8(const uint8_t* p, size_t off) { return p[off]; }

inline uint16_t getU16(const uint8_t* p, size_t off) {
    return static_cast<uint16_t>(p[off] | (p[off + 1] << 8));
}

inline uint32_t getU32(const uint8_t* p, size_t off) {
    return static_cast<uint32_t>(p[off]) | (static_cast<uint32_t>(p[off + 1]) << 8) |
           (static_cast<uint32_t>(p[off + 2]) << 16) | (static_cast<uint32_t>(p[off + 3]) << 24);
}

inline int32_t getI32(const uint8_t* p, size_t off) { return static_cast<int32_t>(getU32(p, off)); }

inline void putU8(uint8_t* p, size_t off, uint8_t v) { p[off] = v; }

inline void putU16(uint8_t* p, size_t off, uint16_t v) {
    p[off] = static_cast<uint8_t>(v);
    p[off + 1] = static_cast<uint8_t>(v >> 8);
}

inline void putU32(uint8_t* p, size_t off, uint32_t v) {
    p[off] = static_cast<uint8_t>(v);
    p[off + 1] = static_cast<uint8_t>(v >> 8);
    p[off + 2] = static_cast<uint8_t>(v >> 16);
    p[off + 3] = static_cast<uint8_t>(v >> 24);
}

// Four-character chunk and wrapper tags as they appear in file order ("STUP" -> 0x50555453).
constexpr uint32_t fourCC(const char (&s)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24);
}

}  // namespace zv
