// Every text the program puts into one status bar pane, recorded inside the program (see
// probe/pane_probe.h), for steps that follow each other faster than a poll could see.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zvui {

// Starts recording pane PANE (kProbeProgressPositions: the positions of a progress bar) of STATUS_BAR (a status bar of another process); a second start
// forgets what was recorded.
bool startPaneRecorder(HWND statusBar, int pane);
// The texts recorded since the start, in order.
std::vector<std::string> recordedPaneTexts(HWND statusBar);

}  // namespace zvui
