// The requests the UI test driver hands to zvuiprobe.dll to record the texts a status bar
// pane is given. Polling from outside can miss a text that is replaced within milliseconds;
// a recorder in front of the status bar's window procedure sees every one.
#pragma once

#include <cstdint>

namespace zvui {

constexpr uint32_t kPaneProbeMaxTexts = 64;
constexpr uint32_t kPaneProbeTextSize = 128;

struct PaneProbeRequest {
    uint64_t statusBar;  // the status bar to record (start) or read (read)
    uint32_t pane;       // the pane whose texts are kept (start)
    uint32_t count;      // texts recorded so far (read; more than fit are counted only)
    char texts[kPaneProbeMaxTexts][kPaneProbeTextSize];
};

// As the pane of a start: record the positions a progress bar is given ("pos N" after each
// PBM_SETPOS or PBM_STEPIT) instead of status bar texts.
constexpr uint32_t kProbeProgressPositions = 0xFFFFFFFF;
// ... or the tick count ("screen T") of every screen-changed notification a key-emulation
// panel receives (message 0x8000 with wParam 4).
constexpr uint32_t kProbeScreenNotifications = 0xFFFFFFFE;

constexpr const char* kPaneProbeStart = "zvuiRecordPaneTexts";
constexpr const char* kPaneProbeRead = "zvuiReadPaneTexts";

}  // namespace zvui
