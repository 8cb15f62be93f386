// Which language library the program loads: the one of the user's locale, else English.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zv::shell {

constexpr uint32_t kFallbackLocale = 1033;

// "zvlk5m%04d.dll" of the locale identifier.
std::string languageLibraryName(uint32_t locale);

// The locales to try in order: the user's, then 1033 (once when they are the same).
std::vector<uint32_t> languageLocalesToTry(uint32_t userLocale);

}  // namespace zv::shell
