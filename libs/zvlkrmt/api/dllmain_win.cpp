// The DLL's entry point: tells the library where its configuration file is, zvlkrmt.ini
// beside the DLL itself (not beside the program that loaded it).
#include <windows.h>

#include <string>

#include "zvlkrmt/api/library.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        char path[MAX_PATH + 1] = {};
        const DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            std::string ini(path, n);
            const size_t slash = ini.find_last_of("\\/");
            ini.resize(slash == std::string::npos ? 0 : slash + 1);
            ini += "zvlkrmt.ini";
            zv::remote_api::setConfigPath(ini);
        }
    }
    return TRUE;
}
