// zvuiprobe.dll: runs inside the program under test, started there by the UI test driver.
#include <windows.h>

#include "menu_probe.h"

extern "C" __declspec(dllexport) DWORD WINAPI zvuiReadMenuStates(void* parameter) {
    auto* request = static_cast<zvui::MenuProbeRequest*>(parameter);
    HMENU menu = GetMenu(reinterpret_cast<HWND>(static_cast<uintptr_t>(request->window)));
    if (!menu) return 0;
    const uint32_t count = request->count < zvui::kMenuProbeMaxItems ? request->count : zvui::kMenuProbeMaxItems;
    for (uint32_t i = 0; i < count; ++i) {
        const UINT state = GetMenuState(menu, static_cast<UINT>(request->commands[i]), MF_BYCOMMAND);
        request->states[i] = state == static_cast<UINT>(-1) ? -1 : static_cast<int32_t>(state);
    }
    return 1;
}

extern "C" __declspec(dllexport) DWORD WINAPI zvuiReadMenuBarTexts(void* parameter) {
    auto* request = static_cast<zvui::MenuBarProbeRequest*>(parameter);
    HMENU menu = GetMenu(reinterpret_cast<HWND>(static_cast<uintptr_t>(request->window)));
    if (!menu) return 0;
    const int count = GetMenuItemCount(menu);
    request->count = count > 0 ? static_cast<uint32_t>(count) : 0;
    for (uint32_t i = 0; i < request->count && i < zvui::kMenuBarMaxItems; ++i) {
        GetMenuStringA(menu, i, request->texts[i], static_cast<int>(zvui::kMenuBarTextSize), MF_BYPOSITION);
    }
    return 1;
}
