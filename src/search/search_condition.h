// The search condition of the capture list: one record for the whole run, kept between
// openings of the search dialog, with its 136-byte image, the cells of its bit patterns and
// data pattern, and the two-character time digits of the time page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv {

constexpr size_t kSearchConditionSize = 136;

enum class SearchKind : uint8_t {
    TriggerMark = 0,
    LinError = 1,
    Frame = 2,          // by identifier and data
    RemoteFrame = 3,    // CAN remote frame by identifier
    TimeWindow = 4,
    ExternalInput = 5,  // level of the EXT input
};
constexpr int kSearchKindCount = 6;

// One byte or one eighth of an identifier: mask (1 bits are significant) and the required
// bits. A mask of 0 means any byte; its value is ignored.
struct BitPatternCell {
    uint8_t mask = 0;
    uint8_t value = 0;
    bool operator==(const BitPatternCell&) const = default;
};

// One data byte of the data pattern. A non-zero mask requires (byte & mask) = value; with mask
// 0 the second byte selects: 0 any byte, 1-3 extra pattern 1-3, 4 or more the pattern ends
// before this byte.
struct DataPatternCell {
    uint8_t mask = 0;
    uint8_t value = kDataEnds;
    static constexpr uint8_t kDataAny = 0;
    static constexpr uint8_t kDataEnds = 0xFF;  // what an untouched cell holds; any value >= 4
    bool operator==(const DataPatternCell&) const = default;
};

// Two BCD digits, nibble 0xF = any digit.
constexpr uint8_t kAnyDigit = 0xF;

// LIN error boxes (linErrorFlags bits 0-4) and the status bits each one tests.
constexpr uint8_t kLinErrorBoxCount = 5;
constexpr std::array<uint16_t, kLinErrorBoxCount> kLinErrorBoxStatusBits = {0x0800, 0x1000, 0x2000, 0x4000, 0x07FF};

struct SearchCondition {
    uint8_t kind = 0;  // SearchKind
    uint8_t linErrorFlags = 0;
    uint8_t frameChannel = 0;  // 0 channel 1, 1 channel 2
    std::array<BitPatternCell, 4> frameIdPattern{};  // identifier bits 24-28, 16-23, 8-15, 0-7
    std::array<DataPatternCell, 8> dataPattern{};
    std::array<BitPatternCell, 3> extraPatterns{};
    uint8_t remoteChannel = 0;
    std::array<BitPatternCell, 4> remoteIdPattern{};
    std::array<uint8_t, 3> timeDigits{};  // minutes, seconds, hundredths
    uint8_t extLevel = 0;
    uint8_t countMode = 0;  // 0 find the next match, 1 count matches
    uint8_t direction = 0;  // 1 forward, 0 backward
    uint8_t linErrorChannel = 0;  // 0 both channels, 1 channel 1, 2 channel 2

    bool operator==(const SearchCondition&) const = default;
};

using SearchConditionBytes = std::array<uint8_t, kSearchConditionSize>;

// Offsets inside the 136-byte image (the other bytes are reserved and written as 0).
namespace search_field {
constexpr size_t kSize = 0;
constexpr size_t kKind = 4;
constexpr size_t kLinErrorFlags = 7;
constexpr size_t kFrameChannel = 8;
constexpr size_t kFrameIdPattern = 12;  // 4 cells of 4 bytes
constexpr size_t kDataPattern = 40;     // 8 cells
constexpr size_t kExtraPatterns = 72;   // 3 cells
constexpr size_t kRemoteChannel = 84;
constexpr size_t kRemoteIdPattern = 88;  // 4 cells
constexpr size_t kTimeDigits = 116;      // 3 bytes
constexpr size_t kExtLevel = 119;
constexpr size_t kCountMode = 120;
constexpr size_t kDirection = 121;
constexpr size_t kLinErrorChannel = 134;
constexpr size_t kCellSize = 4;
}  // namespace search_field

SearchConditionBytes encodeSearchCondition(const SearchCondition& condition);
// Reads an image; nullopt when its size word is not 136. Reserved bytes are not kept.
std::optional<SearchCondition> decodeSearchCondition(const uint8_t* bytes, size_t length);

// The 29-bit identifier pattern of four cells: mask and value, each cell with mask 0
// contributing value 0.
struct IdPattern {
    uint32_t mask = 0;
    uint32_t value = 0;
    bool operator==(const IdPattern&) const = default;
};
constexpr uint32_t kIdPatternBits = 0x1FFFFFFF;
IdPattern idPattern(const std::array<BitPatternCell, 4>& cells);
std::array<BitPatternCell, 4> idPatternCells(IdPattern pattern);

// The condition as the dialog could have made it: every value in its range, cell values inside
// their masks, every ending data cell alike. Matches the same records where the original
// already was in range.
SearchCondition canonicalSearchCondition(const SearchCondition& condition);

// The time page's edits: reading a typed text (at most its first two characters count) gives
// one byte of two digits, 0xF for any digit; showing a byte gives two characters, '*' for any.
uint8_t timeDigitsFromText(std::string_view text);
std::string timeDigitsText(uint8_t digits);

// Which condition the program holds between dialog openings.
class SearchConditionStore {
public:
    enum class DialogEnd : uint8_t { Forward, Backward, Cancel, CloseBox };

    // The condition the dialog edits: reset to the initial values when none is held (first
    // opening, or the dialog was last closed with its close box).
    SearchCondition& beginDialog();
    // True when the dialog's end asks for a search (OK or the backward button); sets direction.
    bool endDialog(DialogEnd end);
    // What the find commands use.
    const SearchCondition& condition() const { return condition_; }
    bool held() const { return held_; }

private:
    SearchCondition condition_;
    bool held_ = false;
};

}  // namespace zv
