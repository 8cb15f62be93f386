// The sandbox of one test: program folder, application data and documents.
#include "ui_driver_win.h"

namespace zvui {
namespace {

constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

Sandbox::Sandbox(std::string root) : root_(std::move(root)) {
    removeTree(root_);
    makeFolders(programFolder());
    makeFolders(appDataFolder());
    makeFolders(documentsFolder());
}

Sandbox::~Sandbox() {
    if (!redirected_) return;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    for (const auto& [name, value] : savedFolders_) {
        // The defaults hold %USERPROFILE%, so they go back as expandable strings.
        RegSetValueExA(key, name.c_str(), 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
    RegCloseKey(key);
}

bool Sandbox::addProgramFile(const std::string& file, const std::string& name) {
    const std::string target = programFolder() + "\\" + (name.empty() ? fileNameOf(file) : name);
    return CopyFileA(toWindowsPath(file).c_str(), target.c_str(), FALSE) != 0;
}

bool Sandbox::redirectUserFolders() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool ok = true;
    const std::pair<const char*, std::string> folders[] = {{"AppData", appDataFolder()},
                                                           {"Personal", documentsFolder()}};
    for (const auto& [name, folder] : folders) {
        if (!redirected_) {
            char old[1024] = "";
            DWORD size = sizeof old - 1;
            DWORD type = 0;
            if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS) {
                savedFolders_.emplace_back(name, old);
            }
        }
        ok = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                            static_cast<DWORD>(folder.size() + 1)) == ERROR_SUCCESS && ok;
    }
    RegCloseKey(key);
    redirected_ = true;
    return ok;
}

void Sandbox::drawWindowFramesUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    // Nor does anybody answer for managed windows: Wine would wait two seconds for each one
    // hidden (a transfer dialog closing, say) before it goes on.
    RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
}

std::string Sandbox::dataFolder() const { return appDataFolder() + "\\ZEVRONA\\ZVLK5MQ"; }

}  // namespace zvui
