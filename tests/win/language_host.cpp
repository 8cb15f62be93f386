#include "language_host.h"

#include <commctrl.h>

#include <cstdio>
#include <map>

#include "zvlkctrl/zvlkctrl_win.h"

namespace zv::wintest {

std::string besideThisProgram(const char* file) {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    folder.erase(folder.find_last_of("\\/") + 1);
    return folder + file;
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::string languageLibraryFile(int locale) {
    char name[32];
    std::snprintf(name, sizeof name, "zvlk5m%04d.dll", locale);
    return name;
}

void LanguageHost::open(int languageLocale) {
    locale = languageLocale;
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), 0x4FF};
    InitCommonControlsEx(&icc);
    library = LoadLibraryA(besideThisProgram(languageLibraryFile(locale).c_str()).c_str());
    controls = LoadLibraryA(besideThisProgram("zvlkctrl.dll").c_str());
    const auto registerControls = controls == nullptr ? nullptr
        : reinterpret_cast<VRX_RegisterControlsFn>(
              reinterpret_cast<void*>(GetProcAddress(controls, "VRX_RegisterControls")));
    controlsRegistered = registerControls != nullptr && registerControls(library);
    owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

void LanguageHost::close() {
    if (owner != nullptr) DestroyWindow(owner);
    if (controls != nullptr) FreeLibrary(controls);
    if (library != nullptr) FreeLibrary(library);
    *this = LanguageHost{};
}

HWND LanguageHost::create(long templateId, HWND parent) const {
    return CreateDialogParamA(library, MAKEINTRESOURCEA(templateId), parent != nullptr ? parent : owner,
                              quietDialogProc, 0);
}

std::string LanguageHost::loadString(long id) const {
    char text[2048] = {};
    const int n = LoadStringA(library, static_cast<UINT>(id), text, sizeof text);
    return std::string(text, static_cast<size_t>(n > 0 ? n : 0));
}

namespace {
std::map<int, LanguageHost>& openHosts() {
    static std::map<int, LanguageHost> hosts;
    return hosts;
}
}  // namespace

LanguageHost& languageHost(int locale) {
    auto [it, fresh] = openHosts().try_emplace(locale);
    if (fresh) it->second.open(locale);
    return it->second;
}

void closeLanguageHosts() {
    for (auto& [locale, host] : openHosts()) host.close();
    openHosts().clear();
}

}  // namespace zv::wintest
