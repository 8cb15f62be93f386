#include "conversion/rate_text.h"

#include "base/bytes.h"
#include "capture/capture_record.h"

namespace zv {
namespace {

// The decimal digits of v (1000..9999 in every caller) with trailing zeros removed, but at
// least `keep` digits; a "." goes after the first `keep` digits when more remain.
std::string significantDigits(uint32_t v, size_t keep) {
    std::string digits = std::to_string(v);
    while (digits.size() > keep && digits.back() == '0') digits.pop_back();
    if (digits.size() > keep) digits.insert(keep, ".");
    return digits;
}

// d0 d1 d2 "." d3 "k" style texts of a four-digit value, the decimals without trailing zeros.
std::string kiloText(uint32_t v, size_t integerDigits) { return significantDigits(v, integerDigits) + "k"; }

constexpr uint32_t kPresetRates[8] = {333333, 500000, 833333, 1000000, 1250000, 2500000, 5000000, 10000000};
constexpr const char* kPresetTexts[8] = {"33.3k", "50k", "83.3k", "100k", "125k", "250k", "500k", "1M"};

}  // namespace

std::string frequencyText(uint32_t x) {
    if (x == 0) return "--";
    if (x < 100000 && x % 10 != 0) return std::to_string(x / 10) + "." + std::to_string(x % 10);
    if (x <= 999999) return std::to_string(x / 10);
    if (x <= 9999999) return kiloText(x / 1000, 3);
    if (x <= 99999999) return significantDigits(x / 10000, 1) + "M";
    if (x <= 999999999) return significantDigits(x / 100000, 2) + "M";
    // 100 MHz and more: a fifth digit would not fit the four-digit form above.
    return significantDigits(x / 1000000, 3) + "M";
}

std::string bitRateText(uint32_t x) {
    if (x == 0) return "--";
    if (x <= 99999) return std::to_string((x + 5) / 10);
    if (x <= 999999) {
        const uint32_t v = (x + 50) / 100;
        if (v <= 9999) return kiloText(v, 2);
        // 999,950 and more round to 100.00k: written as the next range does.
    }
    if (x <= 9999999) {
        const uint32_t v = (x + 500) / 1000;
        if (v <= 9999) return kiloText(v, 3);
        // 9,999,500 and more round to 1000.0k: written as 1M.
    }
    return significantDigits((x + 5000) / 10000, 1) + "M";
}

uint32_t canChannelBitRate(const uint8_t* canChannel) {
    const uint8_t code = getU8(canChannel, can_channel_field::kBitRateCode);
    if (code >= 1 && code <= 8) return kPresetRates[code - 1];
    const uint32_t divisor = 1u + getU8(canChannel, can_channel_field::kPts) + getU8(canChannel, can_channel_field::kPbs1) +
                             getU8(canChannel, can_channel_field::kPbs2);
    return getU32(canChannel, can_channel_field::kBaseFrequency) / divisor;
}

std::string canChannelBitRateText(const uint8_t* canChannel) {
    const uint8_t code = getU8(canChannel, can_channel_field::kBitRateCode);
    if (code >= 1 && code <= 8) return kPresetTexts[code - 1];
    const uint32_t rate = canChannelBitRate(canChannel);
    return rate <= 10000000 ? bitRateText(rate) : "------";
}

}  // namespace zv
