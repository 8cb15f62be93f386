// The request the UI test driver hands to zvuiprobe.dll inside the program's process. Menus
// cannot be read from another process under Wine, so the driver runs this small reader in
// the program's own process (a remote thread) and collects the answer from its memory.
#pragma once

#include <cstdint>

namespace zvui {

constexpr uint32_t kMenuProbeMaxItems = 64;

struct MenuProbeRequest {
    uint64_t window;                          // the window whose menu bar is read
    uint32_t count;                           // commands to read
    int32_t commands[kMenuProbeMaxItems];
    int32_t states[kMenuProbeMaxItems];       // GetMenuState, -1 for a missing item
};

// The texts of the menu bar's top-level items, as the program's ANSI functions give them.
constexpr uint32_t kMenuBarMaxItems = 16;
constexpr uint32_t kMenuBarTextSize = 64;

struct MenuBarProbeRequest {
    uint64_t window;  // the window whose menu bar is read
    uint32_t count;   // items found (at most kMenuBarMaxItems are kept)
    char texts[kMenuBarMaxItems][kMenuBarTextSize];
};

constexpr const char* kMenuProbeLibrary = "zvuiprobe.dll";
constexpr const char* kMenuProbeFunction = "zvuiReadMenuStates";
constexpr const char* kMenuBarProbeFunction = "zvuiReadMenuBarTexts";

}  // namespace zvui
