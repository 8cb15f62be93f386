// Texts of the language library that take one number ("printf-style with the number as its
// one argument"). Only integer conversions take the number; anything else in the text is
// copied as it stands, so a translated string can never make the formatter read what was
// not passed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zv {

constexpr size_t kMessageTextLimit = 255;

// format with its first integer conversion (%d %i %u %x %X %o, flags, width, precision and
// an l or h modifier allowed) replaced by number; "%%" is a percent sign. Cut to limit bytes.
std::string formatWithNumber(std::string_view format, uint32_t number, size_t limit = kMessageTextLimit);

}  // namespace zv
