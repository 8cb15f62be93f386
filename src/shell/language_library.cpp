#include "language_library.h"

#include <cstdio>

namespace zv::shell {

std::string languageLibraryName(uint32_t locale) {
    char name[32];
    std::snprintf(name, sizeof name, "zvlk5m%04u.dll", static_cast<unsigned>(locale));
    return name;
}

std::vector<uint32_t> languageLocalesToTry(uint32_t userLocale) {
    if (userLocale == kFallbackLocale) return {kFallbackLocale};
    return {userLocale, kFallbackLocale};
}

}  // namespace zv::shell
