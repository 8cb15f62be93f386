#include "zvlkctrl/core/hex_input_model.h"

#include "base/bytes.h"

namespace zv::ctrl {

namespace {

size_t cellsOfKind(int kind) {
    switch (kind) {
    case 1: return 1;
    case 5:
    case 6: return 2;
    case 8: return 8;
    default: return 0;
    }
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char hexDigitChar(unsigned v) { return "0123456789ABCDEF"[v & 0xFu]; }

HexCell byteCell(uint8_t b) { return HexCell{0xFF, b}; }

void nibbleView(const HexCell& c, unsigned shift, char& text, CellLook& look) {
    const unsigned m = (static_cast<unsigned>(c.mask) >> shift) & 0xFu;
    if (m == 0xF) {
        text = hexDigitChar(static_cast<unsigned>(c.value) >> shift);
        look = CellLook::Digit;
    } else if (m == 0) {
        text = 'x';
        look = CellLook::DontCare;
    } else {
        text = '?';
        look = CellLook::Partial;
    }
}

}  // namespace

bool HexInputModel::configure(int kind) {
    const size_t cells = cellsOfKind(kind);
    if (cells == 0) return false;
    kind_ = kind;
    cellCount_ = cells;
    clearAll();
    return true;
}

void HexInputModel::clearAll() {
    cells_.fill(HexCell{});
    patternMode_ = false;
    caret_ = 0;
}

void HexInputModel::setBytes(const uint8_t* bytes, size_t count) {
    if (bytes == nullptr) count = 0;
    if (count > cellCount_) count = cellCount_;
    cells_.fill(HexCell{});
    for (size_t i = 0; i < count; ++i) cells_[i] = byteCell(bytes[i]);
    patternMode_ = false;
}

size_t HexInputModel::enteredByteCount() const {
    size_t n = 0;
    for (size_t i = 0; i < cellCount_; ++i)
        if (cells_[i].mask != 0) n = i + 1;
    return n;
}

size_t HexInputModel::getBytes(uint8_t* out, size_t capacity) const {
    if (out == nullptr) return 0;
    size_t n = enteredByteCount();
    if (n > capacity) n = capacity;
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(cells_[i].mask == 0 ? 0 : cells_[i].value & cells_[i].mask);
    return n;
}

void HexInputModel::setCells(const uint8_t* cells, size_t count) {
    if (cells == nullptr) count = 0;
    if (count > cellCount_) count = cellCount_;
    cells_.fill(HexCell{});
    for (size_t i = 0; i < count; ++i) {
        cells_[i].mask = getU8(cells, i * kPatternCellBytes);
        cells_[i].value = getU8(cells, i * kPatternCellBytes + 1);
    }
    patternMode_ = true;
}

void HexInputModel::getCells(uint8_t* cells, size_t count) const {
    if (cells == nullptr) return;
    if (count > cellCount_) count = cellCount_;
    for (size_t i = 0; i < count; ++i) {
        putU8(cells, i * kPatternCellBytes, cells_[i].mask);
        putU8(cells, i * kPatternCellBytes + 1, cells_[i].value);
        putU16(cells, i * kPatternCellBytes + 2, 0);
    }
}

void HexInputModel::setPair(int32_t first, int32_t second) {
    cells_.fill(HexCell{});
    const int32_t parts[2] = {first, second};
    for (size_t i = 0; i < 2 && i < cellCount_; ++i)
        if (parts[i] >= 0 && parts[i] <= 0xFF) cells_[i] = byteCell(static_cast<uint8_t>(parts[i]));
    patternMode_ = false;
}

int HexInputModel::getPair(int32_t& first, int32_t& second) const {
    int entered = 0;
    int32_t parts[2] = {0, 0};
    for (size_t i = 0; i < 2 && i < cellCount_; ++i) {
        if (cells_[i].mask == 0) continue;
        parts[i] = cells_[i].value & cells_[i].mask;
        ++entered;
    }
    first = parts[0];
    second = parts[1];
    return entered;
}

HexCellView HexInputModel::view(size_t index) const {
    const HexCell& c = cells_[index];
    HexCellView v{};
    if (c.mask != 0) {
        nibbleView(c, 4, v.text[0], v.look[0]);
        nibbleView(c, 0, v.text[1], v.look[1]);
    } else if (c.isAny()) {
        v = HexCellView{{'x', 'x'}, {CellLook::DontCare, CellLook::DontCare}};
    } else if (c.reference() != 0) {
        v = HexCellView{{'P', static_cast<char>('0' + c.reference())},
                        {CellLook::Reference, CellLook::Reference}};
    } else {
        v = HexCellView{{'-', '-'}, {CellLook::Empty, CellLook::Empty}};
    }
    return v;
}

void HexInputModel::setCaret(size_t digit) { caret_ = digit > lastDigit() ? lastDigit() : digit; }

bool HexInputModel::replaceCell(size_t index, HexCell cell) {
    if (cells_[index] == cell) return false;
    cells_[index] = cell;
    return true;
}

bool HexInputModel::setDigit(int digit) {
    const size_t index = caret_ / 2;
    const unsigned shift = caret_ % 2 == 0 ? 4u : 0u;
    HexCell c = cells_[index];
    if (c.mask == 0) c = patternMode_ ? HexCell{0, 0} : HexCell{0xFF, 0};
    const unsigned nibble = 0xFu << shift;
    const unsigned mask = c.mask | nibble;
    const unsigned value = ((c.value & ~nibble) | (static_cast<unsigned>(digit) << shift)) & mask;
    return replaceCell(index, HexCell{static_cast<uint8_t>(mask), static_cast<uint8_t>(value)});
}

bool HexInputModel::clearDigit() {
    const size_t index = caret_ / 2;
    const unsigned nibble = 0xFu << (caret_ % 2 == 0 ? 4u : 0u);
    HexCell c = cells_[index];
    if (c.mask == 0) return replaceCell(index, HexCell{0, 0});  // empty or reference: any byte
    const unsigned mask = c.mask & ~nibble;
    // With no significant bit left the value byte becomes the selector: 0 = any byte.
    return replaceCell(index, HexCell{static_cast<uint8_t>(mask), static_cast<uint8_t>(c.value & mask)});
}

KeyOutcome HexInputModel::advance(bool changed) {
    KeyOutcome out{true, changed, false};
    if (caret_ < lastDigit())
        ++caret_;
    else
        out.leave = true;
    return out;
}

KeyOutcome HexInputModel::key(EditKey key) {
    const size_t index = caret_ / 2;
    switch (key) {
    case EditKey::Left:
        if (caret_ > 0) --caret_;
        return {true, false, false};
    case EditKey::Right:
        if (caret_ < lastDigit()) ++caret_;
        return {true, false, false};
    case EditKey::Home:
        caret_ = 0;
        return {true, false, false};
    case EditKey::End:
        caret_ = lastDigit();
        return {true, false, false};
    case EditKey::Delete:
        return {true, replaceCell(index, HexCell{}), false};
    case EditKey::Back: {
        // On a low digit the byte under the caret goes; on a high digit the one before it.
        size_t target = index;
        if (caret_ % 2 == 0 && index > 0) target = index - 1;
        caret_ = target * 2;
        return {true, replaceCell(target, HexCell{}), false};
    }
    case EditKey::Enter:
        return {true, false, true};
    }
    return {};
}

KeyOutcome HexInputModel::character(char c) {
    const int digit = hexDigitValue(c);
    if (digit >= 0) return advance(setDigit(digit));
    if (c == '-') {
        const bool changed = replaceCell(caret_ / 2, HexCell{});
        caret_ = caret_ / 2 * 2 + 1;
        return advance(changed);
    }
    if (!patternMode_) return {};
    switch (c) {
    case 'x':
    case 'X':
    case '?':
        return advance(clearDigit());
    case '*': {
        const bool changed = replaceCell(caret_ / 2, HexCell{0, 0});
        caret_ = caret_ / 2 * 2 + 1;
        return advance(changed);
    }
    case 'p':
    case 'P': {
        const HexCell& cur = cells_[caret_ / 2];
        const int next = cur.reference() % 3 + 1;
        return {true, replaceCell(caret_ / 2, HexCell{0, static_cast<uint8_t>(next)}), false};
    }
    default:
        return {};
    }
}

std::string HexInputModel::text() const {
    std::string out;
    for (size_t i = 0; i < cellCount_; ++i) {
        const HexCellView v = view(i);
        if (i > 0) out += ' ';
        out += v.text[0];
        out += v.text[1];
    }
    return out;
}

bool HexInputModel::paste(std::string_view text) {
    auto separator = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ':';
    };
    bool changed = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (separator(c)) continue;
        // "0x12" at the start of a word: the prefix is no digit. ("0x" alone, as a copied
        // pattern byte shows it, is a digit and a don't-care digit.)
        const bool wordStart = i == 0 || separator(text[i - 1]);
        if (wordStart && c == '0' && i + 2 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
            hexDigitValue(text[i + 2]) >= 0) {
            ++i;
            continue;
        }
        KeyOutcome out;
        if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            ++i;  // "--" is one empty byte
            out = character('-');
        } else if ((c == 'p' || c == 'P') && patternMode_ && i + 1 < text.size() && text[i + 1] >= '1' &&
                   text[i + 1] <= '3') {
            ++i;  // "P2" is one byte referring to extra pattern 2
            const bool refChanged = replaceCell(caret_ / 2, HexCell{0, static_cast<uint8_t>(text[i] - '0')});
            caret_ = caret_ / 2 * 2 + 1;
            out = advance(refChanged);
        } else {
            out = character(c);
        }
        changed = changed || out.changed;
        if (out.leave) break;
    }
    return changed;
}

}  // namespace zv::ctrl
