// Hand-written number formatting for the capture texts. The list cells and the text and CSV
// conversion share these so that both print exactly what the printf formats of the file
// layout would ("%02d", "%2d", "%02X", "%08X", ...), but without a format parser in the
// hot loop. Each helper writes at p and returns the position after the last character.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zv::text {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

namespace detail {

struct DigitTables {
    std::array<char, 200> dec2{};  // "00" .. "99"
    std::array<char, 512> hex2{};  // "00" .. "FF"
};

constexpr DigitTables makeDigitTables() {
    DigitTables t;
    for (int i = 0; i < 100; ++i) {
        t.dec2[static_cast<size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        t.dec2[static_cast<size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    for (int i = 0; i < 256; ++i) {
        t.hex2[static_cast<size_t>(2 * i)] = kHexDigits[i >> 4];
        t.hex2[static_cast<size_t>(2 * i + 1)] = kHexDigits[i & 15];
    }
    return t;
}

inline constexpr DigitTables kTables = makeDigitTables();

}  // namespace detail

// "%02X" of a byte.
inline char* putHex2(char* p, uint8_t v) {
    std::memcpy(p, &detail::kTables.hex2[static_cast<size_t>(v) * 2], 2);
    return p + 2;
}

// "%08X" of a 32-bit word.
inline char* putHex8(char* p, uint32_t v) {
    p = putHex2(p, static_cast<uint8_t>(v >> 24));
    p = putHex2(p, static_cast<uint8_t>(v >> 16));
    p = putHex2(p, static_cast<uint8_t>(v >> 8));
    return putHex2(p, static_cast<uint8_t>(v));
}

// "%0*X": at least minDigits hexadecimal digits, more when the value needs them.
inline char* putHexMin(char* p, uint32_t v, int minDigits) {
    if (minDigits == 3 && v < 0x1000) {  // a standard CAN identifier
        p[0] = kHexDigits[v >> 8];
        p[1] = kHexDigits[(v >> 4) & 15];
        p[2] = kHexDigits[v & 15];
        return p + 3;
    }
    char tmp[8];
    int n = 0;
    do {
        tmp[n++] = kHexDigits[v & 15];
        v >>= 4;
    } while (v != 0);
    for (int i = n; i < minDigits; ++i) *p++ = '0';
    while (n > 0) *p++ = tmp[--n];
    return p;
}

// Two decimal digits of 0..99.
inline char* putDec2(char* p, unsigned v) {
    std::memcpy(p, &detail::kTables.dec2[static_cast<size_t>(v) * 2], 2);
    return p + 2;
}

// printf's "%0<width>d" (zeroPad) or "%<width>d" of any int: zeros go after the sign, blanks
// before it.
inline char* putInt(char* p, long v, int width, bool zeroPad) {
    char tmp[24];
    int n = 0;
    const bool negative = v < 0;
    unsigned long m = negative ? 0ul - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
    do {
        tmp[n++] = static_cast<char>('0' + m % 10);
        m /= 10;
    } while (m != 0);
    const int used = n + (negative ? 1 : 0);
    const int pad = width > used ? width - used : 0;
    if (!zeroPad)
        for (int i = 0; i < pad; ++i) *p++ = ' ';
    if (negative) *p++ = '-';
    if (zeroPad)
        for (int i = 0; i < pad; ++i) *p++ = '0';
    while (n > 0) *p++ = tmp[--n];
    return p;
}

// "%02d": the fast path covers the values a valid time stamp holds.
inline char* put02d(char* p, int v) {
    if (static_cast<unsigned>(v) < 100u) return putDec2(p, static_cast<unsigned>(v));
    return putInt(p, v, 2, true);
}

// "%d".
inline char* putDec(char* p, int v) {
    if (static_cast<unsigned>(v) < 10u) {
        *p = static_cast<char>('0' + v);
        return p + 1;
    }
    return putInt(p, v, 0, false);
}

// "%2d".
inline char* put2d(char* p, int v) {
    if (static_cast<unsigned>(v) < 10u) {
        p[0] = ' ';
        p[1] = static_cast<char>('0' + v);
        return p + 2;
    }
    if (static_cast<unsigned>(v) < 100u) return putDec2(p, static_cast<unsigned>(v));
    return putInt(p, v, 2, false);
}

inline char* putBlanks(char* p, size_t n) {
    std::memset(p, ' ', n);
    return p + n;
}

template <size_t N>
inline char* putLiteral(char* p, const char (&s)[N]) {
    std::memcpy(p, s, N - 1);
    return p + (N - 1);
}

inline char* putChars(char* p, const char* s, size_t n) {
    std::memcpy(p, s, n);
    return p + n;
}

}  // namespace zv::text
