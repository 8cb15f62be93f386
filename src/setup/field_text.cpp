#include "setup/field_text.h"

#include <algorithm>
#include <climits>

#include "setup/setup_rules.h"

namespace zv {
namespace {

// The C library's idea of white space; the edit fields hand us whatever was typed.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigitValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void skipSpaces(std::string_view& s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
}

// A decimal real number held exactly: its significant digits and the power of ten they are
// scaled by. Reading it ourselves keeps "1.25" the same under every locale, and keeps
// "1.2M" at exactly 12,000,000 where binary floating point would land a hair below it.
struct DecimalNumber {
    std::string digits;  // without leading zeros
    int exponent = 0;    // value = digits x 10^exponent
    bool negative = false;
};

// Reads the number at the start of TEXT as strtod would (spaces, sign, digits, point,
// exponent), leaving TEXT at what follows. Nothing when no digit starts the number.
std::optional<DecimalNumber> readReal(std::string_view& text) {
    std::string_view s = text;
    skipSpaces(s);
    DecimalNumber n;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        n.negative = s.front() == '-';
        s.remove_prefix(1);
    }
    bool anyDigit = false;
    bool inFraction = false;
    while (!s.empty()) {
        const char c = s.front();
        if (isDigit(c)) {
            anyDigit = true;
            if (!n.digits.empty() || c != '0') n.digits += c;
            if (inFraction) --n.exponent;
        } else if (c == '.' && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
        s.remove_prefix(1);
    }
    if (!anyDigit) return std::nullopt;
    // An exponent counts only when digits follow the 'e' (strtod leaves "1e" at the 'e').
    if (s.size() >= 2 && (s[0] == 'e' || s[0] == 'E')) {
        size_t at = 1;
        bool negativeExponent = false;
        if (s[at] == '+' || s[at] == '-') negativeExponent = s[at++] == '-';
        if (at < s.size() && isDigit(s[at])) {
            long exponent = 0;
            while (at < s.size() && isDigit(s[at])) {
                exponent = std::min(exponent * 10 + (s[at] - '0'), 100000L);
                ++at;
            }
            n.exponent += static_cast<int>(negativeExponent ? -exponent : exponent);
            s.remove_prefix(at);
        }
    }
    text = s;
    return n;
}

// floor(n x 10^scale), held at CAP. N is not negative.
uint64_t scaledFloor(const DecimalNumber& n, int scale, uint64_t cap) {
    if (n.digits.empty()) return 0;
    const long integerDigits = static_cast<long>(n.digits.size()) + n.exponent + scale;
    if (integerDigits <= 0) return 0;
    if (integerDigits > 19) return cap;
    uint64_t value = 0;
    for (size_t i = 0; i < static_cast<size_t>(integerDigits); ++i) {
        value = value * 10 + (i < n.digits.size() ? static_cast<unsigned>(n.digits[i] - '0') : 0u);
        if (value >= cap) return cap;
    }
    return value;
}

// The frequency fields: a number, optional spaces, one optional k/M suffix, optional spaces
// and nothing else. Returns the value in tenths, capped at 1e9; nothing for a text the field
// rejects (no number, a negative one, anything left over).
std::optional<uint32_t> readTenths(std::string_view text) {
    std::optional<DecimalNumber> n = readReal(text);
    if (!n || (n->negative && !n->digits.empty())) return std::nullopt;
    skipSpaces(text);
    int scale = 1;  // the records count tenths
    if (!text.empty()) {
        const char suffix = text.front();
        if (suffix == 'k' || suffix == 'K') {
            scale += 3;
            text.remove_prefix(1);
        } else if (suffix == 'm' || suffix == 'M') {
            scale += 6;
            text.remove_prefix(1);
        }
    }
    skipSpaces(text);
    if (!text.empty()) return std::nullopt;
    return static_cast<uint32_t>(scaledFloor(*n, scale, 1000000000));
}

// Upper-case hexadecimal with at least WIDTH digits ("%0*X").
std::string hexText(uint32_t value, int width) {
    std::string s;
    do {
        s.insert(s.begin(), "0123456789ABCDEF"[value % 16]);
        value /= 16;
    } while (value != 0);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
    return s;
}

// strtol without the locale: spaces, a sign, an optional 0x before hexadecimal digits.
std::optional<long> readInteger(std::string_view s, int base) {
    skipSpaces(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (base == 16 && s.size() >= 3 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && hexDigitValue(s[2]) >= 0)
        s.remove_prefix(2);
    const auto digitOf = [base](char c) {
        const int d = hexDigitValue(c);
        return d >= 0 && d < base ? d : -1;
    };
    if (s.empty() || digitOf(s.front()) < 0) return std::nullopt;
    // Accumulated as a negative number so that LONG_MIN itself is reachable.
    long value = 0;
    bool overflow = false;
    for (; !s.empty() && digitOf(s.front()) >= 0; s.remove_prefix(1)) {
        const int d = digitOf(s.front());
        if (value < (LONG_MIN + d) / base) overflow = true;
        if (!overflow) value = value * base - d;
    }
    if (overflow) return negative ? LONG_MIN : LONG_MAX;
    if (negative) return value;
    return value == LONG_MIN ? LONG_MAX : -value;
}

}  // namespace

// ---- CAN base frequency ----------------------------------------------------------------

uint32_t parseBaseFrequency(std::string_view text) {
    const uint32_t v = readTenths(text).value_or(kBaseFrequencyMinimum);
    if (v < kBaseFrequencyMinimum) return kBaseFrequencyMinimum;
    if (v > kBaseFrequencyMaximum) return kBaseFrequencyMaximum;
    return v < 10000000 ? v / 1000 * 1000 : v / 10000 * 10000;
}

std::string formatBaseFrequency(uint32_t value) {
    if (value < kBaseFrequencyMinimum) return "250000";
    if (value > kBaseFrequencyMaximum) return "12M";
    if (value < 10000000) return std::to_string(value / 1000) + "00";
    // "%ld.%03ld" of megahertz and thousandths, then without trailing zeros and point.
    std::string s = std::to_string(value / 10000000) + "." + std::to_string(value % 10000000 / 10000 + 1000).substr(1);
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s + "M";
}

uint32_t baseFrequencyOnOpen(uint32_t stored) {
    return stored < kBaseFrequencyMinimum || stored > kBaseFrequencyMaximum ? kBaseFrequencyMinimum : stored;
}

// ---- LIN bit rate ----------------------------------------------------------------------

uint32_t parseLinBitRate(std::string_view text, uint32_t minimum) {
    uint32_t v = readTenths(text).value_or(kLinBitRateDefault);
    v = std::min(std::max(v, minimum), kLinBitRateMaximum);
    if (v < 10000) return v;
    return v < 100000 ? v / 10 * 10 : v / 100 * 100;
}

std::string formatLinBitRate(uint32_t value, uint32_t minimum) {
    if (value < minimum) value = minimum;
    if (value > kLinBitRateMaximum) return "26000";
    if (value <= 9999) {
        std::string s = std::to_string(value / 10);
        if (value % 10 != 0) s += "." + std::to_string(value % 10);
        return s;
    }
    if (value <= 99999) return std::to_string(value / 10);
    return std::to_string(value / 100) + "0";
}

uint32_t linBitRateOnRefresh(uint32_t stored, uint32_t minimum) {
    return stored < minimum || stored > kLinBitRateMaximum ? kLinBitRateDefault : stored;
}

// ---- CAN bit rate display --------------------------------------------------------------

std::string formatBitRate(uint32_t v) {
    if (v > 10000000) return "------";
    if (v == 10000000) return "1M";
    if (v >= 1000000) {
        std::string s = std::to_string(v / 10000);
        if (v / 1000 % 10 != 0) s += "." + std::to_string(v / 1000 % 10);
        return s + "k";
    }
    if (v >= 100000) return std::to_string(v / 100) + "0";
    if (v >= 10000) return std::to_string(v / 10);
    std::string s = std::to_string(v / 10);
    if (v % 10 != 0) s += "." + std::to_string(v % 10);
    return s;
}

// ---- CAN bit timing --------------------------------------------------------------------

BitTiming clampBitTiming(BitTiming t) {
    t.pts = std::clamp(t.pts, 1, 8);
    const IntRange pbs1 = pbs1Range(t.pts);
    t.pbs1 = std::clamp(t.pbs1, pbs1.minimum, pbs1.maximum);
    const IntRange pbs2 = pbs2Range(t.pts, t.pbs1);
    t.pbs2 = std::clamp(t.pbs2, pbs2.minimum, pbs2.maximum);
    const IntRange sjw = sjwRange(t.pbs2);
    t.sjw = std::clamp(t.sjw, sjw.minimum, sjw.maximum);
    return t;
}

// ---- Numbers typed into edit fields ----------------------------------------------------

std::optional<long> readDecimal(std::string_view text) { return readInteger(text, 10); }
std::optional<long> readHexadecimal(std::string_view text) { return readInteger(text, 16); }

bool hexEditAccepts(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return hexDigitValue(c) >= 0; });
}

// ---- Byte field controls ---------------------------------------------------------------

std::optional<std::vector<uint8_t>> readHexBytes(std::string_view text, size_t maximum) {
    std::vector<uint8_t> bytes;
    for (skipSpaces(text); !text.empty(); skipSpaces(text)) {
        int value = 0;
        size_t digits = 0;
        for (; digits < text.size() && hexDigitValue(text[digits]) >= 0; ++digits)
            value = value * 16 + hexDigitValue(text[digits]);
        if (digits == 0 || digits > 2 || bytes.size() == maximum) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(value));
        text.remove_prefix(digits);
        if (!text.empty() && !isSpace(text.front())) return std::nullopt;
    }
    return bytes;
}

std::string formatHexBytes(const uint8_t* bytes, size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) s += (i ? " " : "") + hexText(bytes[i], 2);
    return s;
}

// ---- CAN transmit entries --------------------------------------------------------------

uint32_t clampCanIdentifier(long value, int frameType) {
    const long maximum = usesExtendedIdentifier(frameType) ? 0x1FFFFFFF : 0x7FF;
    return static_cast<uint32_t>(std::clamp(value, 0L, maximum));
}

std::string formatCanIdentifier(uint32_t value, int frameType) {
    return hexText(value, usesExtendedIdentifier(frameType) ? 8 : 3);
}

std::string canIdentifierRangeText(int frameType) {
    return usesExtendedIdentifier(frameType) ? "(0 - 1FFFFFFF)" : "(0 - 7FF)";
}

uint8_t clampDataLength(long value) { return static_cast<uint8_t>(std::clamp(value, 0L, 8L)); }
uint32_t clampTransmitField4(long value) { return static_cast<uint32_t>(std::clamp(value, 0L, 99999L)); }
uint32_t clampTransmitField8(long value) { return static_cast<uint32_t>(std::clamp(value, 1L, 99999L)); }

// ---- LIN -------------------------------------------------------------------------------

uint32_t clampFrameTimeout(long value) { return static_cast<uint32_t>(std::clamp(value, 1L, 99999L)); }

uint32_t frameTimeoutOnRefresh(uint32_t stored) { return stored >= 1 && stored <= 99999 ? stored : 6; }

std::string formatLinIdentifier(uint8_t identifier) { return hexText(identifier, 2); }

std::string linIdRowLabel(int tab, int row) {
    return "ID" + std::to_string(tab) + hexText(static_cast<uint32_t>(row), 1) + ":";
}

// ---- Variation record items ------------------------------------------------------------

int32_t clampVariationFirst(long value) { return static_cast<int32_t>(std::clamp(value, 0L, 999999L)); }
int32_t clampVariationSecond(long value) { return static_cast<int32_t>(std::clamp(value, -32768L, 65535L)); }

// ---- Timer sub-dialogs -----------------------------------------------------------------

uint8_t clampTimerDay(long value) { return static_cast<uint8_t>(std::clamp(value, 1L, 31L)); }
uint8_t clampTimerHour(long value) { return static_cast<uint8_t>(std::clamp(value, 0L, 23L)); }
uint8_t clampTimerMinute(long value) { return static_cast<uint8_t>(std::clamp(value, 0L, 59L)); }

uint8_t timerPeriodFromEntry(int entry) { return entry == 1 || entry == 2 ? static_cast<uint8_t>(entry) : 0; }

// ---- Channel protocol combo boxes ------------------------------------------------------

int protocolEntry(uint8_t stored, bool linAvailable) {
    if (stored <= 1) return stored;
    return linAvailable ? 2 : -1;
}

}  // namespace zv
