#include "setup/setup_rules.h"

#include <algorithm>

#include "base/bytes.h"

namespace zv {

uint32_t canPresetBitRate(uint8_t bitRateCode) {
    static constexpr uint32_t kPresets[8] = {333333, 500000, 833333, 1000000,
                                             1250000, 2500000, 5000000, 10000000};
    return bitRateCode >= 1 && bitRateCode <= 8 ? kPresets[bitRateCode - 1] : 0;
}

uint32_t canBitRate(const uint8_t* c) {
    if (uint32_t preset = canPresetBitRate(c[4])) return preset;
    const uint32_t quanta = uint32_t{c[12]} + c[13] + c[14] + 1;
    return getU32(c, 8) / quanta;
}

IntRange pbs1Range(int pts) { return {pts <= 2 ? 3 : 2, 8}; }

IntRange pbs2Range(int pts, int pbs1) {
    return {5 - pts - pbs1 < 0 ? 2 : 7 - pts - pbs1, pbs1};
}

IntRange sjwRange(int pbs2) { return {1, std::min(pbs2, 4)}; }

bool isFirstSeriesModel(std::string_view model) {
    return model == "AN-1100" || model == "AN-2100" || model == "AN-6100";
}

uint32_t linBitRateMinimum(std::string_view model) { return isFirstSeriesModel(model) ? 16000 : 4000; }

uint32_t automaticLinFrameTimeoutMs(uint32_t linBitRate) {
    const uint32_t bitsPerSecond = linBitRate / 10;
    if (bitsPerSecond == 0) return 99999;  // nonsense rate from a foreign file: longest time-out
    const uint32_t bitTimeUs = 1000000 / bitsPerSecond;
    const double frameUs = static_cast<double>(bitTimeUs) * 124.0;
    const double timeout = static_cast<double>(static_cast<uint64_t>((1.4 * frameUs - frameUs) / 1000.0)) + 1.0;
    return static_cast<uint32_t>(std::clamp(timeout, 1.0, 99999.0));
}

uint8_t linProtectedId(uint8_t identifier) {
    const auto bit = [identifier](int n) { return (identifier >> n) & 1; };
    const int p0 = bit(0) ^ bit(1) ^ bit(2) ^ bit(4);
    const int p1 = !(bit(1) ^ bit(3) ^ bit(4) ^ bit(5));
    return static_cast<uint8_t>((identifier & 0x3F) | (p0 << 6) | (p1 << 7));
}

uint8_t linChecksum(uint8_t identifier, const uint8_t data[8], bool enhanced) {
    unsigned sum = enhanced ? linProtectedId(identifier) : 0;
    for (int i = 0; i < 8; ++i) {
        sum += data[i];
        if (sum > 0xFF) sum -= 0xFF;  // end-around carry
    }
    return static_cast<uint8_t>(~sum);
}

bool linUsesEnhancedChecksum(const uint8_t* linChannel, uint8_t identifier) {
    const bool useIdTable = linChannel[8] == 1;
    if (useIdTable) return linChannel[24 + 4 + 4 * (identifier & 0x3F) + 1] == 1;
    return linChannel[16] == 1;
}

void applyAutomaticLinChecksum(uint8_t* entry, const uint8_t* linChannel) {
    const uint8_t identifier = entry[8];
    entry[10] = linChecksum(identifier, entry + 16, linUsesEnhancedChecksum(linChannel, identifier));
    entry[9] = 1;
}

uint8_t clampLinIdentifier(long value) {
    return static_cast<uint8_t>(std::clamp<long>(value, 0, 63));
}

}  // namespace zv
