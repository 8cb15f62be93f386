#include "capture/capture_record.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zv {

namespace {

// The texts of every tenth of a volt from -99.9 to +99.9, so that a row needs no division or
// branch per analog value.
struct AnalogTexts {
    std::array<char, 1999 * 6> text{};
};

constexpr AnalogTexts makeAnalogTexts() {
    AnalogTexts a;
    for (int t = -999; t <= 999; ++t) {
        char* out = &a.text[static_cast<size_t>(t + 999) * 6];
        const int m = t < 0 ? -t : t;
        for (int i = 0; i < 6; ++i) out[i] = ' ';
        if (t == 0) {
            out[3] = '0';
            out[4] = '.';
            out[5] = '0';
            continue;
        }
        // "  +%lu.%01lu" below 10 V, " +%lu.%01lu" from 10 V on
        out[m < 100 ? 2 : 1] = t > 0 ? '+' : '-';
        if (m >= 100) out[2] = static_cast<char>('0' + m / 100);
        out[3] = static_cast<char>('0' + (m / 10) % 10);
        out[4] = '.';
        out[5] = static_cast<char>('0' + m % 10);
    }
    return a;
}

}  // namespace

const std::array<char, 1999 * 6> kAnalogTexts = makeAnalogTexts().text;

int linTableLength(const DataInfoBlock& info, int linChannel, uint8_t id) {
    if (info.size() != kDataInfoSizeDual) return -1;  // the CAN-only form has no LIN channels
    const uint8_t* channel = info.linChannel(linChannel);
    if (getU8(channel, lin_channel_field::kUseIdTable) != 1) return -1;
    return getU8(channel, lin_channel_field::kFirstEntry + 4u * (id & 0x3Fu)) & 0x0F;
}

}  // namespace zv
