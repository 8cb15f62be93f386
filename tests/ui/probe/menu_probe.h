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

constexpr const char* kMenuProbeLibrary = "zvuiprobe.dll";
constexpr const char* kMenuProbeFunction = "zvuiReadMenuStates";

}  // namespace zvui
