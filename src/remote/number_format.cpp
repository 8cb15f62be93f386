#include "remote/number_format.h"

#include <algorithm>

namespace zv {
namespace {

// One integer conversion: directive holds the flags, width, precision and modifier between the
// percent sign and the conversion letter.
std::string formatInteger(std::string_view directive, char conversion, uint32_t number) {
    bool left = false, zero = false, plus = false, space = false, alternate = false;
    size_t k = 0;
    for (; k < directive.size() && std::string_view("-+ 0#").find(directive[k]) != std::string_view::npos; ++k) {
        switch (directive[k]) {
            case '-': left = true; break;
            case '+': plus = true; break;
            case ' ': space = true; break;
            case '0': zero = true; break;
            default: alternate = true; break;
        }
    }
    size_t width = 0;
    for (; k < directive.size() && directive[k] >= '0' && directive[k] <= '9'; ++k) width = width * 10 + static_cast<size_t>(directive[k] - '0');
    bool hasPrecision = false;
    size_t precision = 0;
    if (k < directive.size() && directive[k] == '.') {
        hasPrecision = true;
        for (++k; k < directive.size() && directive[k] >= '0' && directive[k] <= '9'; ++k)
            precision = precision * 10 + static_cast<size_t>(directive[k] - '0');
    }

    const bool isSigned = conversion == 'd' || conversion == 'i';
    const bool negative = isSigned && static_cast<int32_t>(number) < 0;
    uint32_t magnitude = negative ? 0u - number : number;
    const uint32_t base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
    const char* digitSet = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    while (magnitude > 0) {
        digits.insert(digits.begin(), digitSet[magnitude % base]);
        magnitude /= base;
    }
    if (digits.empty() && !(hasPrecision && precision == 0)) digits = "0";
    if (digits.size() < precision) digits.insert(0, precision - digits.size(), '0');

    std::string prefix;
    if (negative) prefix = "-";
    else if (isSigned && plus) prefix = "+";
    else if (isSigned && space) prefix = " ";
    if (alternate && base == 16 && number != 0) prefix += conversion == 'X' ? "0X" : "0x";
    if (alternate && base == 8 && (digits.empty() || digits[0] != '0')) digits.insert(0, "0");

    const size_t length = prefix.size() + digits.size();
    if (length >= width) return prefix + digits;
    const size_t pad = width - length;
    if (left) return prefix + digits + std::string(pad, ' ');
    if (zero && !hasPrecision) return prefix + std::string(pad, '0') + digits;
    return std::string(pad, ' ') + prefix + digits;
}

}  // namespace

std::string formatWithNumber(std::string_view format, uint32_t number, size_t limit) {
    std::string out;
    bool used = false;
    size_t i = 0;
    while (i < format.size() && out.size() < limit) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // Flags, width, precision, one length modifier, then the conversion.
        size_t j = i + 1;
        while (j < format.size() && std::string_view("-+ 0#").find(format[j]) != std::string_view::npos) ++j;
        size_t digits = 0;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9' && digits < 3) ++j, ++digits;
        if (j < format.size() && format[j] == '.') {
            ++j;
            digits = 0;
            while (j < format.size() && format[j] >= '0' && format[j] <= '9' && digits < 3) ++j, ++digits;
        }
        if (j < format.size() && (format[j] == 'l' || format[j] == 'h')) ++j;
        const char conversion = j < format.size() ? format[j] : '\0';
        if (used || std::string_view("diuxXo").find(conversion) == std::string_view::npos || conversion == '\0') {
            out += c;  // not ours to format: the percent sign stays text
            ++i;
            continue;
        }
        out += formatInteger(format.substr(i + 1, j - i - 1), conversion, number);
        used = true;
        i = j + 1;
    }
    if (out.size() > limit) out.resize(limit);
    return out;
}

}  // namespace zv
