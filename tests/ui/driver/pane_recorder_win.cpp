#include "pane_recorder_win.h"

#include <memory>

#include "pane_probe.h"
#include "remote_buffer_win.h"

namespace zvui {

bool startPaneRecorder(HWND statusBar, int pane) {
    auto request = std::make_unique<PaneProbeRequest>();
    request->statusBar = reinterpret_cast<uintptr_t>(statusBar);
    request->pane = static_cast<uint32_t>(pane);
    return runProbeFunction(statusBar, kPaneProbeStart, request.get(), sizeof *request);
}

std::vector<std::string> recordedPaneTexts(HWND statusBar) {
    auto request = std::make_unique<PaneProbeRequest>();
    request->statusBar = reinterpret_cast<uintptr_t>(statusBar);
    std::vector<std::string> texts;
    if (!runProbeFunction(statusBar, kPaneProbeRead, request.get(), sizeof *request)) return texts;
    for (uint32_t i = 0; i < request->count && i < kPaneProbeMaxTexts; ++i) {
        request->texts[i][kPaneProbeTextSize - 1] = '\0';
        texts.emplace_back(request->texts[i]);
    }
    return texts;
}

}  // namespace zvui
