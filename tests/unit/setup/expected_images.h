// Expected default images written out from the published layouts: absolute offsets and
// values, deliberately independent of the record tables the code uses.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace zv::test {

using Bytes = std::vector<uint8_t>;

inline void u8(Bytes& b, size_t at, uint8_t v) { b.at(at) = v; }
inline void u16(Bytes& b, size_t at, uint16_t v) {
    b.at(at) = static_cast<uint8_t>(v);
    b.at(at + 1) = static_cast<uint8_t>(v >> 8);
}
inline void u32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + size_t(i)) = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t rd32(const uint8_t* p, size_t at) {
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 | uint32_t(p[at + 3]) << 24;
}

inline void canChannel(Bytes& b, size_t at) {
    u32(b, at, 32);
    u8(b, at + 4, 5);           // bitRateCode 125k
    u32(b, at + 8, 15000000);   // baseFrequency 1.5 MHz
    u8(b, at + 12, 5);          // pts
    u8(b, at + 13, 3);          // pbs1
    u8(b, at + 14, 3);          // pbs2
    u8(b, at + 15, 1);          // sjw
}

inline void canChannelGroup(Bytes& b, size_t at) {
    u32(b, at, 72);
    u8(b, at + 7, 2);
    canChannel(b, at + 8);
    canChannel(b, at + 40);
}

inline void linChannel(Bytes& b, size_t at) {
    u32(b, at, 288);
    u32(b, at + 4, 96000);  // 9600 bit/s
    u32(b, at + 12, 6);     // frameTimeoutMs
    u32(b, at + 24, 264);   // LinIdTable
    for (size_t id = 0; id < 64; ++id) u8(b, at + 28 + 4 * id, id < 0x20 ? 2 : id < 0x30 ? 4 : 8);
}

inline void conditionEntry(Bytes& b, size_t at, size_t size) {
    const size_t patternSize = size - 32;  // 124 or 120
    u32(b, at, uint32_t(size));
    u32(b, at + 8, uint32_t(patternSize));
    for (size_t i = 0; i < 8; ++i) u8(b, at + 8 + 41 + 4 * i, 0xFF);
    const size_t tail = at + 8 + patternSize;
    u32(b, tail, 24);
    u8(b, tail + 17, 1);
    u8(b, tail + 19, 1);
}

inline void conditionBlock(Bytes& b, size_t at, size_t entrySize) {
    const size_t size = 8 + 4 * entrySize + 24 + 16;
    u32(b, at, uint32_t(size));
    u8(b, at + 5, 4);
    u8(b, at + 6, 2);
    u8(b, at + 7, 2);
    for (size_t i = 0; i < 4; ++i) conditionEntry(b, at + 8 + i * entrySize, entrySize);
    const size_t p12 = at + 8 + 4 * entrySize;
    for (size_t i = 0; i < 2; ++i) {
        u32(b, p12 + 12 * i, 12);
        u32(b, p12 + 12 * i + 4, 1);
        u8(b, p12 + 12 * i + 8, 1);
    }
    for (size_t i = 0; i < 2; ++i) {
        u32(b, p12 + 24 + 8 * i, 8);
        u32(b, p12 + 24 + 8 * i + 4, 1);
    }
}

inline void modeBlocks(Bytes& b, size_t at) {
    u32(b, at, 16);
    u8(b, at + 7, 2);
    u32(b, at + 8, 4);
    u32(b, at + 12, 4);
}

inline void protocolBlock(Bytes& b, size_t at) {
    u32(b, at, 24);
    u8(b, at + 7, 1);
    u32(b, at + 8, 16);
    u8(b, at + 12, 1);  // channel 1: CAN
    u8(b, at + 13, 1);  // channel 2: CAN
}

inline void tail(Bytes& b, size_t identText) {
    // IdentText, MiscSettings, AuxRecord32 back to back.
    u32(b, identText, 20);
    std::memset(b.data() + identText + 4, ' ', 8);
    u32(b, identText + 16, 1);
    const size_t m = identText + 20;
    u32(b, m, 40);
    u8(b, m + 4, 2);
    u16(b, m + 6, 80);
    u16(b, m + 8, 0xFFFF);
    u8(b, m + 11, 1);
    u8(b, m + 12, 4);
    u8(b, m + 13, 1);
    u8(b, m + 23, 1);
    u8(b, m + 27, 1);
    u8(b, m + 28, 1);
    u8(b, m + 29, 1);
    u32(b, m + 32, 1);
    const size_t a = m + 40;
    u32(b, a, 32);
    u8(b, a + 5, 9);
    u8(b, a + 6, 1);
    u16(b, a + 8, 1);
    u8(b, a + 12, 1);
}

// The default SetupImage (dual-protocol layout) for a board with the given analogInputs.
inline Bytes defaultSetupImage(uint8_t analogInputs) {
    Bytes b(1816);
    u32(b, 0, 1816);
    u32(b, 4, 8);
    u8(b, 8, 0);
    u8(b, 9, 9);
    u32(b, 12, 664);
    u8(b, 19, 2);
    canChannelGroup(b, 20);
    u32(b, 92, 584);
    u8(b, 99, 2);
    linChannel(b, 100);
    linChannel(b, 388);
    modeBlocks(b, 676);
    conditionBlock(b, 692, 156);
    u32(b, 1364, 4);
    protocolBlock(b, 1368);
    u32(b, 1392, 16);
    u16(b, 1406, 3);
    u32(b, 1408, 8);
    u8(b, 1414, analogInputs);
    u32(b, 1416, 16);
    u32(b, 1432, 136);
    u32(b, 1568, 4);
    tail(b, 1572);
    u32(b, 1664, 152);
    u32(b, 1676, 20);
    u32(b, 1680, 1);
    u8(b, 1684, 1);
    for (size_t slot = 0; slot < 16; ++slot) {
        u8(b, 1685 + 8 * slot, uint8_t(slot));
        u8(b, 1686 + 8 * slot, 0xFF);
    }
    return b;
}

// The default SetupImageCanOnly as the CAN-only board itself holds it.
inline Bytes defaultSetupImageCanOnly() {
    Bytes b(1048);
    u32(b, 0, 1048);
    u32(b, 4, 8);
    u8(b, 9, 7);
    u32(b, 12, 80);
    u8(b, 19, 1);
    canChannelGroup(b, 20);
    modeBlocks(b, 92);
    conditionBlock(b, 108, 152);
    u32(b, 764, 4);
    protocolBlock(b, 768);
    u32(b, 792, 16);
    u16(b, 806, 3);
    u32(b, 808, 4);
    u32(b, 812, 16);
    u32(b, 828, 124);
    u32(b, 952, 4);
    tail(b, 956);
    return b;
}

inline Bytes defaultCanTransmitTables() {
    Bytes b(7048);
    u32(b, 0, 8);
    u8(b, 7, 16);
    for (size_t i = 0; i < 16; ++i) {
        const size_t e = 8 + 440 * i;
        u32(b, e, 440);
        u32(b, e + 4, 1);
        u32(b, e + 8, 100);
        u32(b, e + 32, 408);
        u8(b, e + 32 + 8, 4);
    }
    return b;
}

inline Bytes defaultLinTransmitTables() {
    Bytes b(6920);
    u32(b, 0, 8);
    u8(b, 7, 16);
    for (size_t i = 0; i < 16; ++i) {
        const size_t e = 8 + 432 * i;
        u32(b, e, 432);
        u32(b, e + 24, 408);
        u8(b, e + 24 + 8, 4);
    }
    return b;
}

inline void append(Bytes& out, const char* tag, const Bytes& content) {
    out.insert(out.end(), tag, tag + 4);
    const size_t at = out.size();
    out.resize(at + 4);
    u32(out, at, uint32_t(content.size()));
    out.insert(out.end(), content.begin(), content.end());
}

inline Bytes setupFileMagic() {
    const char magic[16] = {'Z', 'E', 'V', 'R', 'O', 'N', 'A', ' ', 'S', 'E', 'T', 'U', 'P', ' ', ' ', 0};
    return Bytes(magic, magic + 16);
}

}  // namespace zv::test
