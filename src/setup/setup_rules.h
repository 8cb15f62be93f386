// Rules that derive values from setup records: CAN bit rate and bit timing ranges, LIN bit-rate
// limits, the automatic LIN frame time-out and the LIN checksum of a transmit entry.
#pragma once

#include <cstdint>
#include <string_view>

namespace zv {

// Bit rate of a CanChannel record in 0.1 bit/s: presets 1..8 from the table, code 0 and any
// code of 9 or more from the timing fields (baseFrequency / (pts + pbs1 + pbs2 + 1)).
uint32_t canBitRate(const uint8_t* canChannel);
uint32_t canPresetBitRate(uint8_t bitRateCode);  // 0 when the code is not a preset

struct IntRange {
    int minimum;
    int maximum;
};
// Ranges of the bit-timing fields as the channel page offers them.
IntRange pbs1Range(int pts);
IntRange pbs2Range(int pts, int pbs1);
IntRange sjwRange(int pbs2);

// LIN bit rate limits in 0.1 bit/s by the [remote] model name.
constexpr uint32_t kLinBitRateMaximum = 260000;
uint32_t linBitRateMinimum(std::string_view remoteModel);
// Whether the [remote] model is one of "AN-1100", "AN-2100", "AN-6100" (a higher LIN minimum,
// another label on the recording page).
bool isFirstSeriesModel(std::string_view remoteModel);

// The automatic frame time-out in ms: 1.4 times the nominal time of an 8-byte frame (124 bit
// times), rounded up to whole ms, for a LIN bit rate in 0.1 bit/s; within 1..99999.
uint32_t automaticLinFrameTimeoutMs(uint32_t linBitRate);

// Protected identifier: identifier bits 0..5 plus the two parity bits.
uint8_t linProtectedId(uint8_t identifier);
// Checksum over all eight data bytes; enhanced sums include the protected identifier.
uint8_t linChecksum(uint8_t identifier, const uint8_t data[8], bool enhanced);

// Whether a transmit entry on the given LinChannel record uses the enhanced checksum.
bool linUsesEnhancedChecksum(const uint8_t* linChannel, uint8_t identifier);
// Computes the checksum of a LinTransmitEntry record for the LinChannel of the transmit
// channel and stores it (offset 10, with offset 9 set to 1).
void applyAutomaticLinChecksum(uint8_t* linTransmitEntry, const uint8_t* linChannel);

// Clamps a typed LIN identifier: 64 and above become 63, negative 0.
uint8_t clampLinIdentifier(long value);

}  // namespace zv
