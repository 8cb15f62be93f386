// Drives the models of both custom controls with arbitrary fills, keys and typed characters
// and checks what must always hold: the caret stays on a cell, pattern cells and bit values
// read back as they were set, a byte sequence never reads longer than the control or the
// caller's buffer, and every cell shows one of the known characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "zvlkctrl/core/bit_pattern_model.h"
#include "zvlkctrl/core/hex_input_model.h"

namespace {

using namespace zv::ctrl;

void check(bool ok) {
    if (!ok) std::abort();
}

constexpr char kTyped[] = "0123456789abcdefABCDEFxX?*pP- gz\r\t";

void checkHex(const HexInputModel& m) {
    check(m.caret() < 2 * m.cellCount());
    check(m.enteredByteCount() <= m.cellCount());
    for (size_t i = 0; i < m.cellCount(); ++i) {
        const HexCellView v = m.view(i);
        for (char c : v.text) check(c != '\0' && std::strchr("0123456789ABCDEFx?P123-", c) != nullptr);
    }
}

void checkBits(const BitPatternModel& m) {
    check(m.bits() >= BitPatternModel::kMinBits && m.bits() <= BitPatternModel::kMaxBits);
    check(m.caret() >= 0 && m.caret() < m.bits());
    for (int p = 0; p < m.bits(); ++p) check(m.bitAt(p) >= 0 && m.bitAt(p) < m.bits());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const int kKinds[4] = {1, 5, 6, 8};
    HexInputModel hex;
    BitPatternModel bits;
    check(hex.configure(kKinds[data[0] % 4]));
    check(bits.configure(4 + data[1] % 6));
    bits.setMsbLeft((data[1] & 0x80) != 0);
    size_t i = 2;
    while (i < size) {
        const uint8_t op = data[i++];
        const size_t left = size - i;
        switch (op >> 5) {
        case 0: hex.character(kTyped[op % (sizeof kTyped - 1)]); break;
        case 1: hex.key(static_cast<EditKey>(op % 7)); break;
        case 2: {
            const size_t cells = (op & 0x0F) > 8 ? 8 : (op & 0x0F);
            if (left < cells * kPatternCellBytes) return 0;
            hex.setCells(data + i, cells);
            uint8_t back[8 * kPatternCellBytes];
            std::memset(back, 0xEE, sizeof back);
            hex.getCells(back, cells);
            for (size_t c = 0; c < cells && c < hex.cellCount(); ++c) {
                check(back[c * 4] == data[i + c * 4] && back[c * 4 + 1] == data[i + c * 4 + 1]);
                check(back[c * 4 + 2] == 0 && back[c * 4 + 3] == 0);
            }
            i += cells * kPatternCellBytes;
            break;
        }
        case 3: {
            const size_t count = op & 0x0F;
            if (left < count) return 0;
            hex.setBytes(data + i, count);
            uint8_t out[16];
            const size_t capacity = op >> 4 & 1 ? 2 : 16;
            const size_t n = hex.getBytes(out, capacity);
            check(n <= capacity && n <= hex.cellCount());
            const size_t expected = count < hex.cellCount() ? count : hex.cellCount();
            check(n == (expected < capacity ? expected : capacity));
            check(std::memcmp(out, data + i, n) == 0);
            i += count;
            break;
        }
        case 4: bits.character(kTyped[op % (sizeof kTyped - 1)]); break;
        case 5: bits.key(static_cast<EditKey>(op % 7)); break;
        case 6: {
            if (left < 8) return 0;
            uint32_t mask = 0, value = 0;
            std::memcpy(&mask, data + i, 4);
            std::memcpy(&value, data + i + 4, 4);
            bits.setValue(mask, value);
            check(bits.mask() == mask && bits.value() == value);
            i += 8;
            break;
        }
        default: {
            hex.setCaret(op & 0x1F);
            bits.cycleAt(op % 10);
            bits.setCaret((op & 0x1F) - 8);
            // Pasted text: the next few bytes, whatever they are.
            const size_t n = left < (op & 7u) ? left : (op & 7u);
            const std::string_view pasted(reinterpret_cast<const char*>(data + i), n);
            hex.paste(pasted);
            bits.paste(pasted);
            i += n;
            break;
        }
        }
        checkHex(hex);
        checkBits(bits);
    }
    int32_t a = 0, b = 0;
    const int parts = hex.getPair(a, b);
    check(parts >= 0 && parts <= 2 && a >= 0 && a <= 255 && b >= 0 && b <= 255);
    return 0;
}
