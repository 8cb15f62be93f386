// How the setup pages read and show their fields: text to value and value to text, clamping
// and the dependent ranges of the CAN bit timing. The setup editor's pages and `zvsetup get` /
// `zvsetup set` call these same functions, so a field typed on a page and a field set from a
// script end up as the same bytes.
//
// Units are the records' own: frequencies and bit rates in 0.1 Hz / 0.1 bit/s.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// ---- CAN base frequency (the time-quantum clock, 0.1 Hz) ----------------------------------
constexpr uint32_t kBaseFrequencyMinimum = 2500000;    // 250 kHz
constexpr uint32_t kBaseFrequencyMaximum = 120000000;  // 12 MHz
// A decimal number with an optional "k"/"M" suffix ("1.25M", "400000", "600k"); anything the
// field cannot read gives the minimum. Rounded down to 1000 below 1 MHz, else to 10,000.
uint32_t parseBaseFrequency(std::string_view text);
// "1.25M", "400000"; out-of-range values show the nearest limit's text.
std::string formatBaseFrequency(uint32_t value);
// A stored value outside the range is replaced by the minimum when the page opens.
uint32_t baseFrequencyOnOpen(uint32_t stored);

// ---- LIN bit rate (0.1 bit/s) -----------------------------------------------------------
constexpr uint32_t kLinBitRateDefault = 96000;  // 9600 bit/s
// As the base frequency, but an unreadable text gives 96,000; raised to MINIMUM, limited to
// 260,000, rounded down to 10 from 10,000 on and to 100 from 100,000 on.
uint32_t parseLinBitRate(std::string_view text, uint32_t minimum);
// "9600", "19200", "400" (4,000), "26000" above the maximum.
std::string formatLinBitRate(uint32_t value, uint32_t minimum);
// A stored value outside MINIMUM..260,000 shows as 96,000.
uint32_t linBitRateOnRefresh(uint32_t stored, uint32_t minimum);

// ---- The resulting CAN bit rate as the timing page shows it (0.1 bit/s) -------------------
// "125k", "133.3k", "1M", "33330", "------" above 1 Mbit/s.
std::string formatBitRate(uint32_t value);

// ---- CAN bit timing ----------------------------------------------------------------------
struct BitTiming {
    int pts, pbs1, pbs2, sjw;
    bool operator==(const BitTiming&) const = default;
};
// Recomputes the ranges of pts, pbs1, pbs2 and sjw in that order and clamps each value into
// its new range (what the page does after any of the four changes).
BitTiming clampBitTiming(BitTiming timing);

// ---- Numbers typed into edit fields ------------------------------------------------------
// The leading number of a decimal / hexadecimal text, as the C library reads it (spaces, a
// sign, digits; "12ab" reads 12 / 0x12AB); nothing when no digit starts the text. Values
// beyond the range of long are held at its limits.
std::optional<long> readDecimal(std::string_view text);
std::optional<long> readHexadecimal(std::string_view text);
// A text with no number reads as 0 in the edit fields of the pages.
inline long decimalOrZero(std::string_view text) { return readDecimal(text).value_or(0); }
inline long hexadecimalOrZero(std::string_view text) { return readHexadecimal(text).value_or(0); }
// Whether a text could stand in the identifier edits, which drop every typed character that is
// not a hexadecimal digit (the empty text included: it reads as 0).
bool hexEditAccepts(std::string_view text);

// ---- Byte field controls -----------------------------------------------------------------
// The data and checksum fields: up to MAXIMUM bytes of one or two hexadecimal digits each,
// separated by spaces ("01 2 FF"); the empty text is no byte at all. Nothing for anything else.
std::optional<std::vector<uint8_t>> readHexBytes(std::string_view text, size_t maximum);
// "01 02 FF": the bytes entered, as the field shows them.
std::string formatHexBytes(const uint8_t* bytes, size_t count);

// ---- CAN transmit entries ----------------------------------------------------------------
// Frame types 1 and 3 use the 29-bit identifier, 0 and 2 the 11-bit one.
inline bool usesExtendedIdentifier(int frameType) { return frameType == 1 || frameType == 3; }
uint32_t clampCanIdentifier(long value, int frameType);
// "%08X" / "%03X" by frame type; "(0 - 1FFFFFFF)" / "(0 - 7FF)" beside the field.
std::string formatCanIdentifier(uint32_t value, int frameType);
std::string canIdentifierRangeText(int frameType);
// Edit-field limits of the entry: data length 0..8, the numeric fields at offsets 4 (0..99999)
// and 8 (1..99999).
uint8_t clampDataLength(long value);
uint32_t clampTransmitField4(long value);
uint32_t clampTransmitField8(long value);

// ---- LIN ---------------------------------------------------------------------------------
// The frame time-out typed on the LIN page: 0 or less gives 1, above 99999 gives 99999.
uint32_t clampFrameTimeout(long value);
// The time-out shown: 6 when the stored value is outside 1..99999.
uint32_t frameTimeoutOnRefresh(uint32_t stored);
std::string formatLinIdentifier(uint8_t identifier);  // "%02X"
// "ID%d%X:" of the identifier table's tab and row ("ID00:" .. "ID3F:").
std::string linIdRowLabel(int tab, int row);

// ---- Variation record items --------------------------------------------------------------
int32_t clampVariationFirst(long value);   // 0..999999
int32_t clampVariationSecond(long value);  // -32768..65535

// ---- Timer sub-dialogs -------------------------------------------------------------------
uint8_t clampTimerDay(long value);     // 1..31, 0 or less gives 1
uint8_t clampTimerHour(long value);    // 0..23
uint8_t clampTimerMinute(long value);  // 0..59
// The period combo box: entry 1 stores 1, entry 2 stores 2, anything else 0.
uint8_t timerPeriodFromEntry(int entry);
// Which of day and hour the period code shows (the minute is always shown).
inline bool timerShowsDay(int periodCode) { return periodCode == 0; }
inline bool timerShowsHour(int periodCode) { return periodCode == 0 || periodCode == 1; }

// ---- Channel protocol combo boxes ---------------------------------------------------------
// Entries: 0 = first choice, 1 = CAN, 2 = LIN (only where the board has LIN). The entry a
// stored value shows: 0 and 1 as themselves, anything else as 2, which is no entry at all
// (-1) on boards without LIN.
int protocolEntry(uint8_t stored, bool linAvailable);

}  // namespace zv
