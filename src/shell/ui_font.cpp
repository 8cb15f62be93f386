#include "ui_font.h"

namespace zv::shell {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<UiFontSpec> parseUiFont(std::string_view text) {
    text = trimBlanks(text);
    UiFontSpec parsed;
    std::size_t at = 0;
    // More than four digits is no font size anyone means; it would only overflow the height.
    while (at < text.size() && at < 5 && text[at] >= '0' && text[at] <= '9') {
        parsed.points = parsed.points * 10 + (text[at] - '0');
        ++at;
    }
    if (at == 0 || parsed.points == 0 || (at < text.size() && text[at] >= '0' && text[at] <= '9')) {
        return std::nullopt;
    }
    std::string_view rest = trimBlanks(text.substr(at));
    if (!rest.empty() && rest.front() == ',') rest.remove_prefix(1);
    parsed.face = std::string(trimBlanks(rest));
    return parsed;
}

int fontHeightForPoints(int points, int dotsPerInch) { return -(points * dotsPerInch / 72); }

}  // namespace zv::shell
