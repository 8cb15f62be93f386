// Value and editing model of the hexadecimal input "VRX_HexInput".
//
// The control holds 1, 2 or 8 cells according to its kind (1 = one byte, 5 and 6 = a
// two-part field of two one-byte values, 8 = eight bytes). Every cell is stored the way a
// data-pattern cell carries it, a mask byte and a value-or-selector byte, so that a pattern
// filled by a page reads back unchanged:
//
//   mask 0xFF              a plain byte, shown as two hexadecimal digits;
//   mask with nibbles 0/F  a byte with don't-care digits, shown as e.g. "3x";
//   other non-zero mask    kept as given; a nibble that is only partly significant shows "?";
//   mask 0, selector 0     any byte, shown as "xx";
//   mask 0, selector 1..3  refers to extra byte pattern 1..3, shown as "P1".."P3";
//   mask 0, selector >= 4  empty (the pattern ends here), shown as "--".
//
// A control filled as a pattern (setCells) is in pattern mode: besides hexadecimal digits the
// user may type x (don't-care digit), * (any byte) and p (cycle the extra-pattern
// reference). A control filled with bytes (setBytes, setPair) or not filled at all accepts
// only hexadecimal digits; a digit typed into an empty byte gives the other digit 0 there,
// and don't-care in pattern mode.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "zvlkctrl/core/edit_keys.h"

namespace zv::ctrl {

constexpr size_t kMaxHexCells = 8;
constexpr size_t kPatternCellBytes = 4;      // mask, value-or-selector, two zero bytes
constexpr uint8_t kEmptySelector = 0xFF;     // what an emptied cell stores as its selector

struct HexCell {
    uint8_t mask = 0;
    uint8_t value = kEmptySelector;  // the selector while mask is 0

    bool isEmpty() const { return mask == 0 && value >= 4; }
    bool isAny() const { return mask == 0 && value == 0; }
    int reference() const { return mask == 0 && value >= 1 && value <= 3 ? value : 0; }
    bool operator==(const HexCell&) const = default;
};

// Two characters and their looks, as one cell is drawn.
struct HexCellView {
    char text[2];
    CellLook look[2];
};

class HexInputModel {
public:
    // Kinds 1, 5, 6 and 8; anything else is refused and changes nothing. A new kind
    // empties the control and puts the caret on the first digit.
    bool configure(int kind);
    int kind() const { return kind_; }
    size_t cellCount() const { return cellCount_; }
    bool isPair() const { return kind_ == 5 || kind_ == 6; }
    bool patternMode() const { return patternMode_; }

    // Byte sequence: the first count cells get these bytes, the rest are empty (count 0 =
    // no value). A count above the number of cells is cut to it.
    void setBytes(const uint8_t* bytes, size_t count);
    // The bytes entered: up to the last cell that holds a byte (an empty cell before it
    // reads as 0, don't-care digits as 0). Writes at most capacity bytes and returns the
    // number written; 0 when the control holds no value.
    size_t getBytes(uint8_t* out, size_t capacity) const;
    size_t enteredByteCount() const;

    // Pattern cells of 4 bytes each, count cells from the first (cut to the cell count);
    // the remaining cells are emptied. Switches to pattern mode.
    void setCells(const uint8_t* cells, size_t count);
    // Writes count cells (cut to the cell count) with their two zero bytes.
    void getCells(uint8_t* cells, size_t count) const;

    // Two-part field: a value in 0..255 fills its part, any other value leaves it empty.
    void setPair(int32_t first, int32_t second);
    // An empty part reads as 0. Returns how many parts hold a value (0..2).
    int getPair(int32_t& first, int32_t& second) const;

    const HexCell& cell(size_t index) const { return cells_[index]; }
    HexCellView view(size_t index) const;

    // Caret: one hexadecimal digit, 0 .. 2 * cellCount() - 1 (even = high digit).
    size_t caret() const { return caret_; }
    void setCaret(size_t digit);

    KeyOutcome key(EditKey key);
    KeyOutcome character(char c);

    // Clipboard text: the cells as shown, separated by spaces ("12 3x -- --").
    std::string text() const;
    // Types the text from the caret on, as if each character had been typed; spaces, tabs,
    // line ends, commas, colons and a "0x" prefix are skipped, and typing stops at the end of
    // the control. Returns whether the value changed.
    bool paste(std::string_view text);

private:
    size_t lastDigit() const { return 2 * cellCount_ - 1; }
    void clearAll();
    bool setDigit(int digit);
    bool clearDigit();
    bool replaceCell(size_t index, HexCell cell);
    KeyOutcome advance(bool changed);

    int kind_ = 1;
    size_t cellCount_ = 1;
    bool patternMode_ = false;
    size_t caret_ = 0;
    std::array<HexCell, kMaxHexCells> cells_{};
};

}  // namespace zv::ctrl
