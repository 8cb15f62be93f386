#include "shell/profile_store_win.h"

#include <windows.h>

#include <vector>

#include "shell/ini_profile_store.h"

namespace zv {
namespace {

bool hasNul(std::string_view s) { return s.find('\0') != s.npos; }

// Grows the buffer until the text fits: the functions cut what does not fit and report the
// cut length as size - 1 (a value) or size - 2 (a list of names).
template <typename Read>
std::string readGrowing(Read read, DWORD slack) {
    std::vector<char> buffer(1025);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = read(buffer.data(), size);
        if (n + slack < size || buffer.size() >= (DWORD{1} << 24)) return std::string(buffer.data(), n < size ? n : 0);
        buffer.resize(buffer.size() * 4);
    }
}

}  // namespace

std::string PrivateProfileStore::getString(std::string_view section, std::string_view key,
                                           std::string_view defaultValue) const {
    if (hasNul(section) || hasNul(key) || hasNul(defaultValue)) return std::string(defaultValue);
    const std::string s(section), k(key), d(defaultValue);
    return readGrowing(
        [&](char* buffer, DWORD size) {
            return GetPrivateProfileStringA(s.c_str(), k.c_str(), d.c_str(), buffer, size, path_.c_str());
        },
        1);
}

bool PrivateProfileStore::contains(std::string_view section, std::string_view key) const {
    if (hasNul(section) || hasNul(key)) return false;
    const std::string s(section);
    // Without a key name the function lists the section's keys, NUL after each.
    const std::string names = readGrowing(
        [&](char* buffer, DWORD size) {
            return GetPrivateProfileStringA(s.c_str(), nullptr, "", buffer, size, path_.c_str());
        },
        2);
    const std::string k(key);
    size_t at = 0;
    while (at < names.size()) {
        const size_t end = names.find('\0', at);
        const std::string name = names.substr(at, end == names.npos ? names.npos : end - at);
        if (lstrcmpiA(name.c_str(), k.c_str()) == 0) return true;
        if (end == names.npos) break;
        at = end + 1;
    }
    return false;
}

bool PrivateProfileStore::setString(std::string_view section, std::string_view key, std::string_view value) {
    if (!isStorableProfileEntry(section, key, value)) return false;
    const std::string s(section), k(key), v(value);
    return WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), path_.c_str()) != FALSE;
}

}  // namespace zv
