#include "search/search_condition.h"

#include "base/bytes.h"

namespace zv {
namespace {

template <size_t N>
void putCells(uint8_t* p, size_t offset, const std::array<BitPatternCell, N>& cells) {
    for (size_t i = 0; i < N; ++i) {
        p[offset + i * search_field::kCellSize] = cells[i].mask;
        p[offset + i * search_field::kCellSize + 1] = cells[i].value;
    }
}

template <size_t N>
void getCells(const uint8_t* p, size_t offset, std::array<BitPatternCell, N>& cells) {
    for (size_t i = 0; i < N; ++i) {
        cells[i].mask = p[offset + i * search_field::kCellSize];
        cells[i].value = p[offset + i * search_field::kCellSize + 1];
    }
}

BitPatternCell canonicalCell(BitPatternCell c) { return {c.mask, static_cast<uint8_t>(c.value & c.mask)}; }

}  // namespace

SearchConditionBytes encodeSearchCondition(const SearchCondition& c) {
    using namespace search_field;
    SearchConditionBytes b{};
    putU32(b.data(), kSize, static_cast<uint32_t>(kSearchConditionSize));
    b[kKind] = c.kind;
    b[kLinErrorFlags] = c.linErrorFlags;
    b[kFrameChannel] = c.frameChannel;
    putCells(b.data(), kFrameIdPattern, c.frameIdPattern);
    for (size_t i = 0; i < c.dataPattern.size(); ++i) {
        b[kDataPattern + i * kCellSize] = c.dataPattern[i].mask;
        b[kDataPattern + i * kCellSize + 1] = c.dataPattern[i].value;
    }
    putCells(b.data(), kExtraPatterns, c.extraPatterns);
    b[kRemoteChannel] = c.remoteChannel;
    putCells(b.data(), kRemoteIdPattern, c.remoteIdPattern);
    for (size_t i = 0; i < 3; ++i) b[kTimeDigits + i] = c.timeDigits[i];
    b[kExtLevel] = c.extLevel;
    b[kCountMode] = c.countMode;
    b[kDirection] = c.direction;
    b[kLinErrorChannel] = c.linErrorChannel;
    return b;
}

std::optional<SearchCondition> decodeSearchCondition(const uint8_t* b, size_t length) {
    using namespace search_field;
    if (length < kSearchConditionSize || getU32(b, kSize) != kSearchConditionSize) return std::nullopt;
    SearchCondition c;
    c.kind = b[kKind];
    c.linErrorFlags = b[kLinErrorFlags];
    c.frameChannel = b[kFrameChannel];
    getCells(b, kFrameIdPattern, c.frameIdPattern);
    for (size_t i = 0; i < c.dataPattern.size(); ++i) {
        c.dataPattern[i].mask = b[kDataPattern + i * kCellSize];
        c.dataPattern[i].value = b[kDataPattern + i * kCellSize + 1];
    }
    getCells(b, kExtraPatterns, c.extraPatterns);
    c.remoteChannel = b[kRemoteChannel];
    getCells(b, kRemoteIdPattern, c.remoteIdPattern);
    for (size_t i = 0; i < 3; ++i) c.timeDigits[i] = b[kTimeDigits + i];
    c.extLevel = b[kExtLevel];
    c.countMode = b[kCountMode];
    c.direction = b[kDirection];
    c.linErrorChannel = b[kLinErrorChannel];
    return c;
}

IdPattern idPattern(const std::array<BitPatternCell, 4>& cells) {
    IdPattern p;
    for (const BitPatternCell& cell : cells) {
        p.mask = p.mask << 8 | cell.mask;
        p.value = p.value << 8 | (cell.mask != 0 ? cell.value : 0u);
    }
    p.mask &= kIdPatternBits;
    p.value &= kIdPatternBits;
    return p;
}

std::array<BitPatternCell, 4> idPatternCells(IdPattern p) {
    std::array<BitPatternCell, 4> cells{};
    for (int i = 0; i < 4; ++i) {
        const int shift = 24 - 8 * i;
        const auto mask = static_cast<uint8_t>((p.mask & kIdPatternBits) >> shift);
        cells[static_cast<size_t>(i)] = {mask, static_cast<uint8_t>((p.value >> shift) & mask)};
    }
    return cells;
}

SearchCondition canonicalSearchCondition(const SearchCondition& in) {
    SearchCondition c = in;
    if (c.kind >= kSearchKindCount) c.kind = 0;
    c.linErrorFlags &= 0x1F;
    c.frameChannel = c.frameChannel != 0 ? 1 : 0;
    c.remoteChannel = c.remoteChannel != 0 ? 1 : 0;
    c.frameIdPattern = idPatternCells(idPattern(c.frameIdPattern));
    c.remoteIdPattern = idPatternCells(idPattern(c.remoteIdPattern));
    for (BitPatternCell& cell : c.extraPatterns) cell = canonicalCell(cell);
    for (DataPatternCell& cell : c.dataPattern) {
        if (cell.mask != 0)
            cell.value &= cell.mask;
        else if (cell.value >= 4)
            cell.value = DataPatternCell::kDataEnds;
    }
    for (uint8_t& digits : c.timeDigits) {
        const auto nibble = [](unsigned n) { return n > 9 ? kAnyDigit : n; };
        digits = static_cast<uint8_t>(nibble(digits >> 4u) << 4 | nibble(digits & 0xFu));
    }
    c.extLevel = c.extLevel != 0 ? 1 : 0;
    c.countMode = c.countMode != 0 ? 1 : 0;
    c.direction = c.direction != 0 ? 1 : 0;
    if (c.linErrorChannel > 2) c.linErrorChannel = 0;
    return c;
}

uint8_t timeDigitsFromText(std::string_view text) {
    if (text.empty()) return 0xFF;
    const auto digit = [](char ch) -> int { return ch >= '0' && ch <= '9' ? ch - '0' : -1; };
    const char first = text[0];
    const unsigned high = first == ' ' ? 0u : digit(first) >= 0 ? static_cast<unsigned>(digit(first)) : kAnyDigit;
    if (text.size() < 2 || text[1] == ' ') {
        // One character: it is the units digit, and an unknown one makes the whole field any.
        return high == kAnyDigit ? 0xFF : static_cast<uint8_t>(high);
    }
    const int low = digit(text[1]);
    if (low >= 0) return static_cast<uint8_t>(high << 4 | static_cast<unsigned>(low));
    return first == ' ' ? 0xFF : static_cast<uint8_t>(high << 4 | kAnyDigit);
}

std::string timeDigitsText(uint8_t digits) {
    const auto ch = [](unsigned n) { return n < 10 ? static_cast<char>('0' + n) : '*'; };
    return {ch(digits >> 4u), ch(digits & 0xFu)};
}

SearchCondition& SearchConditionStore::beginDialog() {
    if (!held_) condition_ = SearchCondition{};
    held_ = true;
    return condition_;
}

bool SearchConditionStore::endDialog(DialogEnd end) {
    switch (end) {
        case DialogEnd::Forward:
            condition_.direction = 1;
            return true;
        case DialogEnd::Backward:
            condition_.direction = 0;
            return true;
        case DialogEnd::Cancel:
            return false;
        case DialogEnd::CloseBox:
            held_ = false;
            return false;
    }
    return false;
}

}  // namespace zv
