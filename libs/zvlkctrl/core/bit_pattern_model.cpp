#include "zvlkctrl/core/bit_pattern_model.h"

namespace zv::ctrl {

bool BitPatternModel::configure(int bits) {
    if (bits < kMinBits || bits > kMaxBits) return false;
    bits_ = bits;
    mask_ = 0;
    value_ = 0;
    caret_ = 0;
    return true;
}

void BitPatternModel::setValue(uint32_t mask, uint32_t value) {
    mask_ = mask;
    value_ = value;
}

BitState BitPatternModel::bit(int bitNumber) const {
    const uint32_t b = 1u << bitNumber;
    if ((mask_ & b) == 0) return BitState::DontCare;
    return (value_ & b) != 0 ? BitState::One : BitState::Zero;
}

char BitPatternModel::charAt(int position) const {
    switch (stateAt(position)) {
    case BitState::Zero: return '0';
    case BitState::One: return '1';
    case BitState::DontCare: break;
    }
    return 'x';
}

void BitPatternModel::setCaret(int position) {
    caret_ = position < 0 ? 0 : position >= bits_ ? bits_ - 1 : position;
}

bool BitPatternModel::setBit(int bitNumber, BitState state) {
    const uint32_t b = 1u << bitNumber;
    const uint32_t mask = state == BitState::DontCare ? mask_ & ~b : mask_ | b;
    const uint32_t value = state == BitState::One ? value_ | b : value_ & ~b;
    if (mask == mask_ && value == value_) return false;
    mask_ = mask;
    value_ = value;
    return true;
}

KeyOutcome BitPatternModel::advance(bool changed) {
    KeyOutcome out{true, changed, false};
    if (caret_ < bits_ - 1)
        ++caret_;
    else
        out.leave = true;
    return out;
}

KeyOutcome BitPatternModel::key(EditKey key) {
    switch (key) {
    case EditKey::Left:
        if (caret_ > 0) --caret_;
        return {true, false, false};
    case EditKey::Right:
        if (caret_ < bits_ - 1) ++caret_;
        return {true, false, false};
    case EditKey::Home:
        caret_ = 0;
        return {true, false, false};
    case EditKey::End:
        caret_ = bits_ - 1;
        return {true, false, false};
    case EditKey::Delete:
        return {true, setBit(bitAt(caret_), BitState::DontCare), false};
    case EditKey::Back: {
        if (caret_ > 0) --caret_;
        return {true, setBit(bitAt(caret_), BitState::DontCare), false};
    }
    case EditKey::Enter:
        return {true, false, true};
    }
    return {};
}

KeyOutcome BitPatternModel::character(char c) {
    switch (c) {
    case '0': return advance(setBit(bitAt(caret_), BitState::Zero));
    case '1': return advance(setBit(bitAt(caret_), BitState::One));
    case 'x':
    case 'X':
    case ' ':
    case '-': return advance(setBit(bitAt(caret_), BitState::DontCare));
    default: return {};
    }
}

bool BitPatternModel::cycleAt(int position) {
    if (position < 0 || position >= bits_) return false;
    const int b = bitAt(position);
    switch (bit(b)) {
    case BitState::DontCare: return setBit(b, BitState::Zero);
    case BitState::Zero: return setBit(b, BitState::One);
    case BitState::One: return setBit(b, BitState::DontCare);
    }
    return false;
}

std::string BitPatternModel::text() const {
    std::string out;
    for (int p = 0; p < bits_; ++p) out += charAt(p);
    return out;
}

bool BitPatternModel::paste(std::string_view text) {
    bool changed = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        const KeyOutcome out = character(c);
        changed = changed || out.changed;
        if (out.leave) break;
    }
    return changed;
}

}  // namespace zv::ctrl
