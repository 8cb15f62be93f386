// Data-file images for the reader, conversion and zvdconv tests, built from literal bytes:
// records are written as hexadecimal byte strings in file order, the data-information block
// is patched at the offsets of its 812-byte layout.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

namespace zv::testfiles {

using Bytes = std::vector<uint8_t>;

// "01 00 0A0B" -> {0x01, 0x00, 0x0A, 0x0B}; blanks, line breaks and "|" are ignored.
inline Bytes hexBytes(std::string_view hex) {
    Bytes out;
    int high = -1;
    for (const char c : hex) {
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else
            continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

inline Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The 16-byte signature: "ZEVRONA DATA   " and a zero byte.
inline Bytes signature() { return hexBytes("5A 45 56 52 4F 4E 41 20 44 41 54 41 20 20 20 00"); }

// A chunk head (tag in file order, signed 32-bit length) and its content.
inline Bytes chunk(std::string_view tag, const Bytes& content) {
    Bytes out(tag.begin(), tag.end());
    out.resize(8);
    putU32(out.data(), 4, static_cast<uint32_t>(content.size()));
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

inline Bytes dataFile(std::string_view recordTag, const Bytes& records) {
    return join({signature(), chunk(recordTag, records)});
}

inline Bytes dataFile(const Bytes& dinf, std::string_view recordTag, const Bytes& records) {
    return join({signature(), chunk("DINF", dinf), chunk(recordTag, records)});
}

// An 812-byte data-information block as an analyzer with a CAN/LIN option writes it: block
// version 32, operation mode 0, layout code 9, both channels CAN with preset 5 (125k), LIN
// channels without identifier table. Tests patch fields at their offsets afterwards.
namespace dinf {
constexpr size_t kAnalogInputs = 26;
constexpr size_t kCanChannel[2] = {40, 72};
constexpr size_t kLinChannel[2] = {112, 400};
constexpr size_t kChannelProtocol[2] = {708, 709};
// Inside a CanChannel / LinChannel record.
constexpr size_t kBitRateCode = 4, kBaseFrequency = 8, kPts = 12, kPbs1 = 13, kPbs2 = 14, kSjw = 15;
constexpr size_t kLinBitRate = 4, kUseIdTable = 8, kFirstIdEntry = 28;
}  // namespace dinf

inline Bytes dualDinf(uint8_t analogInputs = 0) {
    Bytes b(812, 0);
    uint8_t* p = b.data();
    putU32(p, 0, 812);
    putU32(p, 4, 716);  // summary record
    p[10] = 32;         // block version
    putU32(p, 12, 8);   // SetupIdent copy
    p[16] = 0;          // operation mode
    p[17] = 9;          // layout code: CAN and LIN channel groups
    putU32(p, 20, 8);   // BoardFeatures
    p[dinf::kAnalogInputs] = analogInputs;
    putU32(p, 28, 660);  // channel record
    putU32(p, 32, 72);   // CanChannelGroup
    for (const size_t can : dinf::kCanChannel) {
        putU32(p, can, 32);
        p[can + dinf::kBitRateCode] = 5;
        putU32(p, can + dinf::kBaseFrequency, 15000000);
        p[can + dinf::kPts] = 5;
        p[can + dinf::kPbs1] = 3;
        p[can + dinf::kPbs2] = 3;
        p[can + dinf::kSjw] = 1;
    }
    putU32(p, 104, 584);  // LinChannelGroup
    for (const size_t lin : dinf::kLinChannel) {
        putU32(p, lin, 288);
        putU32(p, lin + dinf::kLinBitRate, 96000);
        putU32(p, lin + 24, 264);  // LinIdTable
    }
    putU32(p, 688, 8);   // mode record
    putU32(p, 696, 4);   // EmptyRecord
    putU32(p, 700, 20);  // protocol record
    putU32(p, 704, 16);  // ProtocolSelection
    p[dinf::kChannelProtocol[0]] = 1;
    p[dinf::kChannelProtocol[1]] = 1;
    putU32(p, 720, 72);  // condition summary
    putU32(p, 792, 20);
    return b;
}

// Writes bytes to a file, replacing it.
inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (f == nullptr) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::string readFile(const std::filesystem::path& path) {
    std::string s;
    std::FILE* f = std::fopen(path.string().c_str(), "rb");
    if (f == nullptr) return s;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) s.append(buffer, n);
    std::fclose(f);
    return s;
}

}  // namespace zv::testfiles
