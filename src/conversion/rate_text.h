// Short texts of frequencies and bit rates held in units of 0.1 Hz (0.1 bit/s), as the
// channel block of a text conversion shows them ("9600", "2400.5", "12.5k", "1.5M").
#pragma once

#include <cstdint>
#include <string>

namespace zv {

// Frequency text: truncated to four significant digits with "k" or "M". Values from
// 1,000,000,000 (100 MHz) on keep three digits before the point ("123.4M").
std::string frequencyText(uint32_t tenthsHz);

// Bit-rate text of a value up to 10,000,000 (1 Mbit/s), rounded to four significant digits.
// Where rounding carries into a fifth digit the text of the next range is used ("100k", "1M").
std::string bitRateText(uint32_t tenthsBitPerSecond);

// The bit rate of a CanChannel record: the preset of codes 1..8, else baseFrequency /
// (pts + pbs1 + pbs2 + 1).
uint32_t canChannelBitRate(const uint8_t* canChannel);
// Its text in the channel block: the preset name, the bit-rate text, or "------" above 1 Mbit/s.
std::string canChannelBitRateText(const uint8_t* canChannel);

}  // namespace zv
