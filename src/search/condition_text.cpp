#include "search/condition_text.h"

#include <array>
#include <optional>
#include <vector>

namespace zv {
namespace {

constexpr std::array<const char*, kSearchKindCount> kKindNames = {"trigger", "lin-error", "frame",
                                                                   "remote",  "time",      "ext"};
constexpr std::array<const char*, kLinErrorBoxCount> kErrorBoxNames = {"B", "S", "P", "C", "mark"};

// The fields of the pages; each belongs to one kind's page, the first of a page with a main
// value ("time=12:3*") can be written after the kind's name.
enum class Field : uint8_t { Errors, LinChannel, FrameChannel, FrameId, Data, P1, P2, P3, RemoteChannel, RemoteId, Digits, Level, Mode, Direction };
struct FieldInfo {
    Field field;
    int kind;  // -1: the whole condition
    const char* name;
    bool main;
};
constexpr FieldInfo kFields[] = {
    {Field::Errors, 1, "errors", true},    {Field::LinChannel, 1, "ch", false},   {Field::FrameChannel, 2, "ch", false},
    {Field::FrameId, 2, "id", false},      {Field::Data, 2, "data", false},       {Field::P1, 2, "p1", false},
    {Field::P2, 2, "p2", false},           {Field::P3, 2, "p3", false},           {Field::RemoteChannel, 3, "ch", false},
    {Field::RemoteId, 3, "id", false},     {Field::Digits, 4, "digits", true},    {Field::Level, 5, "level", true},
    {Field::Mode, -1, "mode", false},      {Field::Direction, -1, "dir", false},
};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char l = lower(c);
    return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}
bool isAnyChar(char c) { return c == 'x' || c == 'X'; }
bool isSpace(char c) { return c == ' ' || c == '\t'; }

int kindByName(std::string_view name) {
    for (size_t k = 0; k < kKindNames.size(); ++k)
        if (sameWord(name, kKindNames[k])) return static_cast<int>(k);
    return -1;
}

// A piece of the text and where it starts, for the error positions.
struct Piece {
    std::string_view text;
    size_t at = 0;
};

using Error = std::optional<ConditionTextError>;
Error fail(size_t position, std::string expected) { return ConditionTextError{position, std::move(expected)}; }

// One byte pattern: "??", two hexadecimal digits or x, or eight bits of 0, 1, x.
Error parseByte(Piece p, uint8_t& mask, uint8_t& value, const char* what) {
    mask = value = 0;
    if (p.text == "??") return std::nullopt;
    if (p.text.size() == 2) {
        for (size_t i = 0; i < 2; ++i) {
            const char c = p.text[i];
            const int shift = i == 0 ? 4 : 0;
            if (isAnyChar(c)) continue;
            const int d = hexDigit(c);
            if (d < 0) return fail(p.at + i, "a hexadecimal digit or x");
            mask = static_cast<uint8_t>(mask | 0xF << shift);
            value = static_cast<uint8_t>(value | d << shift);
        }
        return std::nullopt;
    }
    if (p.text.size() == 8) {
        for (size_t i = 0; i < 8; ++i) {
            const char c = p.text[i];
            const int bit = 7 - static_cast<int>(i);
            if (isAnyChar(c)) continue;
            if (c != '0' && c != '1') return fail(p.at + i, "0, 1 or x");
            mask = static_cast<uint8_t>(mask | 1 << bit);
            if (c == '1') value = static_cast<uint8_t>(value | 1 << bit);
        }
        return std::nullopt;
    }
    return fail(p.at, what);
}

constexpr const char* kByteExpected = "a byte: two hexadecimal digits or x, eight bits of 0, 1, x, or ??";
constexpr const char* kIdExpected =
    "an identifier: 0x and 1-3 (standard) or 4-8 (extended) hexadecimal digits or x, 11 or 29 bits of 0, 1, x, or any";

Error parseId(Piece p, IdPattern& id) {
    id = {};
    if (sameWord(p.text, "any")) return std::nullopt;
    if (p.text.size() >= 3 && p.text[0] == '0' && (p.text[1] == 'x' || p.text[1] == 'X') && p.text.size() <= 10) {
        const std::string_view digits = p.text.substr(2);
        const bool standard = digits.size() <= 3;
        for (size_t i = 0; i < digits.size(); ++i) {
            const size_t fromRight = digits.size() - 1 - i;
            const unsigned shift = (standard ? 18u : 0u) + 4u * static_cast<unsigned>(fromRight);
            const uint32_t nibbleMask = (0xFu << shift) & (standard ? 0x1FFC0000u : kIdPatternBits);
            const char c = digits[i];
            if (isAnyChar(c)) continue;
            const int d = hexDigit(c);
            if (d < 0) return fail(p.at + 2 + i, "a hexadecimal digit or x");
            if ((static_cast<uint32_t>(d) << shift & ~nibbleMask) != 0)
                return fail(p.at + 2 + i, standard ? "0-7 or x (a standard identifier has 11 bits)"
                                                   : "0, 1 or x (an extended identifier has 29 bits)");
            id.value |= static_cast<uint32_t>(d) << shift;
        }
        // Digits left out in front are zeros.
        uint32_t mask = standard ? 0x1FFC0000u : kIdPatternBits;
        for (size_t i = 0; i < digits.size(); ++i) {
            if (!isAnyChar(digits[i])) continue;
            const size_t fromRight = digits.size() - 1 - i;
            mask &= ~(0xFu << ((standard ? 18u : 0u) + 4u * static_cast<unsigned>(fromRight)));
        }
        id.mask = mask;
        return std::nullopt;
    }
    const bool hexPrefix = p.text.size() > 2 && p.text[0] == '0' && (p.text[1] == 'x' || p.text[1] == 'X');
    std::vector<std::pair<char, size_t>> bits;
    for (size_t i = 0; i < p.text.size(); ++i) {
        const char c = p.text[i];
        if (c == '_') continue;
        if (c != '0' && c != '1' && !isAnyChar(c)) {
            if (hexPrefix) return fail(p.at + 10, "the end: at most 8 hexadecimal digits");
            return fail(p.at + i, i == 0 ? kIdExpected : "0, 1, x or _");
        }
        bits.emplace_back(c, i);
    }
    if (bits.size() != 11 && bits.size() != 29) return fail(p.at + p.text.size(), "11 or 29 bits (standard or extended identifier)");
    for (size_t i = 0; i < bits.size(); ++i) {
        const unsigned bit = 28u - static_cast<unsigned>(i);  // 11 bits: the standard identifier's
        if (isAnyChar(bits[i].first)) continue;
        id.mask |= 1u << bit;
        if (bits[i].first == '1') id.value |= 1u << bit;
    }
    return std::nullopt;
}

Error parseTime(Piece p, std::array<uint8_t, 3>& digits) {
    digits = {0xFF, 0xFF, 0xFF};
    static constexpr const char* kParts[] = {"minutes", "seconds", "hundredths"};
    size_t i = 0;
    for (size_t part = 0; part < 3; ++part) {
        if (part > 0) {
            if (i == p.text.size()) return std::nullopt;  // the rest is any
            const char sep = part == 1 ? ':' : '.';
            if (p.text[i] != sep) return fail(p.at + i, part == 1 ? "':' before the seconds or the end" : "'.' before the hundredths or the end");
            ++i;
        }
        unsigned byte = 0;
        for (int d = 0; d < 2; ++d, ++i) {
            if (i >= p.text.size() || !((p.text[i] >= '0' && p.text[i] <= '9') || p.text[i] == '*'))
                return fail(p.at + i, std::string("a digit or * of the ") + kParts[part]);
            byte = byte << 4 | (p.text[i] == '*' ? kAnyDigit : static_cast<unsigned>(p.text[i] - '0'));
        }
        digits[part] = static_cast<uint8_t>(byte);
    }
    if (i != p.text.size()) return fail(p.at + i, "the end of the time");
    return std::nullopt;
}

Error parseChoice(Piece p, std::initializer_list<const char*> words, int firstValue, uint8_t& out, const char* expected) {
    int v = firstValue;
    for (const char* w : words) {
        if (sameWord(p.text, w)) {
            out = static_cast<uint8_t>(v);
            return std::nullopt;
        }
        ++v;
    }
    return fail(p.at, expected);
}

Error parseErrors(Piece p, uint8_t& flags) {
    flags = 0;
    size_t start = 0;
    while (true) {
        const size_t comma = p.text.find(',', start);
        const std::string_view name = p.text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        bool known = false;
        for (size_t b = 0; b < kErrorBoxNames.size(); ++b) {
            if (sameWord(name, kErrorBoxNames[b])) {
                flags = static_cast<uint8_t>(flags | 1u << b);
                known = true;
            }
        }
        if (!known) return fail(p.at + start, "an error box: B, S, P, C or mark");
        if (comma == std::string_view::npos) return std::nullopt;
        start = comma + 1;
    }
}

Error parseDataCell(Piece p, DataPatternCell& cell) {
    if (p.text == "-") {
        cell = {0, DataPatternCell::kDataEnds};
        return std::nullopt;
    }
    if (p.text.size() == 2 && lower(p.text[0]) == 'p' && p.text[1] >= '1' && p.text[1] <= '3') {
        cell = {0, static_cast<uint8_t>(p.text[1] - '0')};
        return std::nullopt;
    }
    uint8_t mask = 0, value = 0;
    if (Error e = parseByte(p, mask, value, "a data byte: two hexadecimal digits or x, eight bits of 0, 1, x, ??, p1-p3 or -"))
        return e;
    cell = {mask, mask == 0 ? DataPatternCell::kDataAny : value};
    return std::nullopt;
}

std::vector<Piece> splitWords(std::string_view text) {
    std::vector<Piece> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSpace(text[i])) ++i;
        const size_t start = i;
        while (i < text.size() && !isSpace(text[i])) ++i;
        if (i > start) words.push_back({text.substr(start, i - start), start});
    }
    return words;
}

// --- formatting ------------------------------------------------------------------------------

const char kHex[] = "0123456789ABCDEF";

std::string byteText(uint8_t mask, uint8_t value) {
    if (mask == 0) return "??";
    const auto whole = [](unsigned nibble) { return nibble == 0 || nibble == 0xF; };
    if (whole(mask >> 4u) && whole(mask & 0xFu))
        return {(mask & 0xF0) ? kHex[value >> 4 & 0xF] : 'x', (mask & 0x0F) ? kHex[value & 0xF] : 'x'};
    std::string s;
    for (int bit = 7; bit >= 0; --bit) s += (mask >> bit & 1) ? ((value >> bit & 1) ? '1' : '0') : 'x';
    return s;
}

std::string idText(IdPattern id) {
    if (id.mask == 0) return "any";
    const auto nibbleAligned = [&](unsigned base, int nibbles, uint32_t bits) {
        for (int n = 0; n < nibbles; ++n) {
            const uint32_t full = (0xFu << (base + 4u * static_cast<unsigned>(n))) & bits;
            if ((id.mask & full) != 0 && (id.mask & full) != full) return false;
        }
        return true;
    };
    const auto hexForm = [&](unsigned base, int nibbles, uint32_t bits) {
        std::string s = "0x";
        for (int n = nibbles - 1; n >= 0; --n) {
            const unsigned shift = base + 4u * static_cast<unsigned>(n);
            s += (id.mask & (0xFu << shift) & bits) ? kHex[id.value >> shift & 0xF] : 'x';
        }
        return s;
    };
    if ((id.mask & 0x3FFFF) == 0 && nibbleAligned(18, 3, 0x1FFC0000u)) return hexForm(18, 3, 0x1FFC0000u);
    const bool standard = (id.mask & 0x3FFFF) == 0;
    if (!standard && nibbleAligned(0, 8, kIdPatternBits)) return hexForm(0, 8, kIdPatternBits);
    // Bit by bit: the 11 bits of a standard identifier in the hexadecimal digits' groups, or
    // the 29 bits in the groups of the dialog's four fields.
    std::string s;
    for (int bit = 28; bit >= (standard ? 18 : 0); --bit) {
        s += (id.mask >> bit & 1) ? ((id.value >> bit & 1) ? '1' : '0') : 'x';
        if (standard ? (bit == 26 || bit == 22) : (bit == 24 || bit == 16 || bit == 8)) s += '_';
    }
    return s;
}

std::string timeText(const std::array<uint8_t, 3>& d) {
    return timeDigitsText(d[0]) + ":" + timeDigitsText(d[1]) + "." + timeDigitsText(d[2]);
}

// The text of a field, empty when it holds its initial value.
std::string fieldValue(const SearchCondition& c, Field f) {
    switch (f) {
        case Field::Errors: {
            std::string s;
            for (size_t b = 0; b < kErrorBoxNames.size(); ++b)
                if (c.linErrorFlags >> b & 1) s += (s.empty() ? "" : ",") + std::string(kErrorBoxNames[b]);
            return s;
        }
        case Field::LinChannel:
            return c.linErrorChannel == 0 ? "" : std::to_string(c.linErrorChannel);
        case Field::FrameChannel:
            return c.frameChannel == 0 ? "" : "2";
        case Field::RemoteChannel:
            return c.remoteChannel == 0 ? "" : "2";
        case Field::FrameId:
        case Field::RemoteId: {
            const IdPattern id = idPattern(f == Field::FrameId ? c.frameIdPattern : c.remoteIdPattern);
            return id.mask == 0 ? "" : idText(id);
        }
        case Field::Data: {
            int last = -1;
            for (int i = 0; i < 8; ++i) {
                const DataPatternCell& cell = c.dataPattern[static_cast<size_t>(i)];
                if (cell.mask != 0 || cell.value < 4) last = i;
            }
            std::string s;
            for (int i = 0; i <= last; ++i) {
                const DataPatternCell& cell = c.dataPattern[static_cast<size_t>(i)];
                if (i > 0) s += ' ';
                if (cell.mask != 0)
                    s += byteText(cell.mask, cell.value);
                else if (cell.value == 0)
                    s += "??";
                else if (cell.value < 4)
                    s += "p" + std::to_string(cell.value);
                else
                    s += '-';
            }
            return s;
        }
        case Field::P1:
        case Field::P2:
        case Field::P3: {
            const BitPatternCell& cell = c.extraPatterns[static_cast<size_t>(f) - static_cast<size_t>(Field::P1)];
            return cell.mask == 0 ? "" : byteText(cell.mask, cell.value);
        }
        case Field::Digits:
            return c.timeDigits == std::array<uint8_t, 3>{} ? "" : timeText(c.timeDigits);
        case Field::Level:
            return c.extLevel == 0 ? "" : "1";
        case Field::Mode:
            return c.countMode == 0 ? "" : "count";
        case Field::Direction:
            return c.direction == 0 ? "" : "forward";
    }
    return "";
}

}  // namespace

std::variant<SearchCondition, ConditionTextError> parseSearchCondition(std::string_view text) {
    SearchCondition c;
    const std::vector<Piece> words = splitWords(text);
    if (words.empty())
        return ConditionTextError{text.size(), "a kind: trigger, lin-error, frame, remote, time or ext"};

    uint32_t given = 0;  // fields already set, by Field
    // Sets field f from value; the data pattern takes the words that follow as further cells.
    size_t w = 0;
    auto setField = [&](const FieldInfo& info, Piece key, Piece value) -> Error {
        const uint32_t bit = 1u << static_cast<unsigned>(info.field);
        if (given & bit) return fail(key.at, std::string("another field: ") + std::string(key.text) + " is given twice");
        given |= bit;
        if (info.field != Field::Data && value.text.empty()) return fail(value.at, "a value after '='");
        switch (info.field) {
            case Field::Errors:
                return parseErrors(value, c.linErrorFlags);
            case Field::LinChannel:
                return parseChoice(value, {"both", "1", "2"}, 0, c.linErrorChannel, "both, 1 or 2");
            case Field::FrameChannel:
                return parseChoice(value, {"1", "2"}, 0, c.frameChannel, "1 or 2");
            case Field::RemoteChannel:
                return parseChoice(value, {"1", "2"}, 0, c.remoteChannel, "1 or 2");
            case Field::FrameId:
            case Field::RemoteId: {
                IdPattern id;
                if (Error e = parseId(value, id)) return e;
                (info.field == Field::FrameId ? c.frameIdPattern : c.remoteIdPattern) = idPatternCells(id);
                return std::nullopt;
            }
            case Field::Data: {
                std::vector<Piece> cells;
                if (!value.text.empty()) cells.push_back(value);
                while (w + 1 < words.size() && words[w + 1].text.find('=') == std::string_view::npos) cells.push_back(words[++w]);
                if (cells.empty()) return fail(value.at, "a data byte after '='");
                if (cells.size() > 8) return fail(cells[8].at, "at most eight data bytes");
                for (size_t i = 0; i < cells.size(); ++i)
                    if (Error e = parseDataCell(cells[i], c.dataPattern[i])) return e;
                return std::nullopt;
            }
            case Field::P1:
            case Field::P2:
            case Field::P3: {
                BitPatternCell& cell = c.extraPatterns[static_cast<size_t>(info.field) - static_cast<size_t>(Field::P1)];
                return parseByte(value, cell.mask, cell.value, kByteExpected);
            }
            case Field::Digits:
                return parseTime(value, c.timeDigits);
            case Field::Level:
                return parseChoice(value, {"0", "1"}, 0, c.extLevel, "0 or 1");
            case Field::Mode:
                return parseChoice(value, {"find", "count"}, 0, c.countMode, "find or count");
            case Field::Direction:
                return parseChoice(value, {"backward", "forward"}, 0, c.direction, "forward or backward");
        }
        return std::nullopt;
    };
    auto mainField = [](int kind) -> const FieldInfo* {
        for (const FieldInfo& f : kFields)
            if (f.kind == kind && f.main) return &f;
        return nullptr;
    };

    for (w = 0; w < words.size(); ++w) {
        const Piece word = words[w];
        const size_t eq = word.text.find('=');
        const Piece key{word.text.substr(0, eq), word.at};
        const Piece value = eq == std::string_view::npos ? Piece{{}, word.at + word.text.size()}
                                                         : Piece{word.text.substr(eq + 1), word.at + eq + 1};
        const int kind = kindByName(key.text);
        if (w == 0) {
            if (kind < 0) return ConditionTextError{word.at, "a kind: trigger, lin-error, frame, remote, time or ext"};
            c.kind = static_cast<uint8_t>(kind);
        }
        if (kind >= 0) {
            // KIND or KIND=VALUE: the kind's main value (a later kind word sets only that).
            if (w > 0 && eq == std::string_view::npos) return *fail(word.at, "KEY=VALUE (the kind is given once, first)");
            if (eq == std::string_view::npos) continue;
            const FieldInfo* f = mainField(kind);
            if (f == nullptr) return *fail(word.at + eq, std::string("a space: ") + kKindNames[static_cast<size_t>(kind)] + " takes no value");
            if (Error e = setField(*f, key, value)) return *e;
            continue;
        }
        if (eq == std::string_view::npos) return *fail(word.at, "KEY=VALUE");
        // KIND.FIELD=VALUE or FIELD=VALUE of the condition's own kind.
        int fieldKind = c.kind;
        std::string_view name = key.text;
        bool qualified = false;
        if (const size_t dot = name.find('.'); dot != std::string_view::npos) {
            fieldKind = kindByName(name.substr(0, dot));
            if (fieldKind < 0) return *fail(key.at, "a kind before '.': trigger, lin-error, frame, remote, time or ext");
            name = name.substr(dot + 1);
            qualified = true;
        }
        const FieldInfo* found = nullptr;
        for (const FieldInfo& f : kFields) {
            if (!sameWord(name, f.name)) continue;
            if (f.kind == fieldKind || (f.kind < 0 && !qualified)) found = &f;
        }
        if (found == nullptr) {
            std::string keys;
            for (const FieldInfo& f : kFields)
                if (f.kind == fieldKind) keys += std::string(keys.empty() ? "" : ", ") + f.name;
            if (!qualified) keys += std::string(keys.empty() ? "" : ", ") + "mode, dir, KIND.KEY";
            return *fail(key.at + (qualified ? key.text.find('.') + 1 : 0),
                        std::string("a key of ") + kKindNames[static_cast<size_t>(fieldKind)] + ": " + (keys.empty() ? "none" : keys));
        }
        if (Error e = setField(*found, key, value)) return *e;
    }
    return c;
}

std::string formatSearchCondition(const SearchCondition& c) {
    const int kind = c.kind < kSearchKindCount ? c.kind : 0;
    std::string s = kKindNames[static_cast<size_t>(kind)];
    std::string others;
    for (const FieldInfo& f : kFields) {
        if (f.kind < 0) continue;
        std::string value = fieldValue(c, f.field);
        if (f.kind == kind && f.main) {
            // The kind's own main value is always written where it has one (time=00:00.00).
            if (value.empty() && f.field == Field::Digits) value = timeText(c.timeDigits);
            if (value.empty() && f.field == Field::Level) value = "0";
            if (!value.empty()) s += "=" + value;
            continue;
        }
        if (value.empty()) continue;
        if (f.kind == kind)
            s += " " + std::string(f.name) + "=" + value;
        else if (f.main)
            others += " " + std::string(kKindNames[static_cast<size_t>(f.kind)]) + "=" + value;
        else
            others += " " + std::string(kKindNames[static_cast<size_t>(f.kind)]) + "." + f.name + "=" + value;
    }
    s += others;
    if (std::string v = fieldValue(c, Field::Mode); !v.empty()) s += " mode=" + v;
    if (std::string v = fieldValue(c, Field::Direction); !v.empty()) s += " dir=" + v;
    return s;
}

std::string describeConditionTextError(std::string_view text, const ConditionTextError& error) {
    std::string s = "  " + std::string(text) + "\n  " + std::string(error.position, ' ') + "^ at character " +
                    std::to_string(error.position + 1) + ": expected " + error.expected + "\n";
    return s;
}

}  // namespace zv
