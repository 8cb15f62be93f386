// The program's UI font comes from string 1 of the language library, so that a translation
// can pick a face that has its script: "9,MS Shell Dlg" — a decimal point size, optional
// blanks, one optional comma, then the face name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zv::shell {

struct UiFontSpec {
    int points = 0;
    std::string face;  // trimmed of blanks; may be empty (the system then picks a face)
};

// nothing when the text does not start with a point size of 1 or more.
std::optional<UiFontSpec> parseUiFont(std::string_view text);

// The font height for CreateFont: the point size in pixels of the screen, negative so that
// it is the character height without the internal leading.
int fontHeightForPoints(int points, int dotsPerInch);

}  // namespace zv::shell
