// Value and editing model of the bit-pattern field "VRX_BitPattern": 4 to 9 bits, each
// don't-care, required 0 or required 1, exchanged as two 32-bit integers (mask: 1 = the bit
// is significant; value: the required bits).
//
// The mask and value are kept exactly as set, bits above the field's width and value bits
// outside the mask included, so that a value reads back unchanged; editing a bit rewrites
// only that bit (a don't-care bit gets value 0).
//
// Cells are drawn in display positions 0 (left) .. bits - 1. By default position p shows bit
// p; with msbLeft the most significant bit is on the left.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "zvlkctrl/core/edit_keys.h"

namespace zv::ctrl {

enum class BitState { DontCare, Zero, One };

class BitPatternModel {
public:
    static constexpr int kMinBits = 4;
    static constexpr int kMaxBits = 9;

    // 4 .. 9 bits; anything else is refused and changes nothing. A new width makes every bit
    // don't-care and puts the caret on the first cell.
    bool configure(int bits);
    int bits() const { return bits_; }

    void setMsbLeft(bool msbLeft) { msbLeft_ = msbLeft; }
    bool msbLeft() const { return msbLeft_; }

    void setValue(uint32_t mask, uint32_t value);
    uint32_t mask() const { return mask_; }
    uint32_t value() const { return value_; }

    BitState bit(int bitNumber) const;
    int bitAt(int position) const { return msbLeft_ ? bits_ - 1 - position : position; }
    BitState stateAt(int position) const { return bit(bitAt(position)); }
    char charAt(int position) const;  // '0', '1' or 'x'

    int caret() const { return caret_; }
    void setCaret(int position);

    KeyOutcome key(EditKey key);
    KeyOutcome character(char c);
    // A click on the cell that already has the caret steps it x -> 0 -> 1 -> x.
    bool cycleAt(int position);

    // Clipboard text: one character per cell, left to right ("10x1x").
    std::string text() const;
    // Types the text from the caret on; whitespace is skipped (a typed space is don't-care,
    // but pasted spaces only separate), typing stops after the last cell. Returns whether
    // the value changed.
    bool paste(std::string_view text);

private:
    bool setBit(int bitNumber, BitState state);
    KeyOutcome advance(bool changed);

    int bits_ = 8;
    bool msbLeft_ = false;
    uint32_t mask_ = 0;
    uint32_t value_ = 0;
    int caret_ = 0;
};

}  // namespace zv::ctrl
