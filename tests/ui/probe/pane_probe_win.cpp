// zvuiprobe.dll, second part: records the texts of one status bar pane from inside the
// program. The recorder replaces the status bar's window procedure and hands every message on.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "pane_probe.h"

namespace {

CRITICAL_SECTION lock;
bool lockReady = false;
HWND recorded = nullptr;
WNDPROC original = nullptr;
uint32_t recordedPane = 0;
uint32_t count = 0;
char texts[zvui::kPaneProbeMaxTexts][zvui::kPaneProbeTextSize];

void record(const char* text) {
    EnterCriticalSection(&lock);
    if (count < zvui::kPaneProbeMaxTexts) {
        std::strncpy(texts[count], text, zvui::kPaneProbeTextSize - 1);
        texts[count][zvui::kPaneProbeTextSize - 1] = '\0';
    }
    ++count;
    LeaveCriticalSection(&lock);
}

LRESULT CALLBACK recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (recordedPane == zvui::kProbeProgressPositions) {
        const LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);
        if (message == PBM_SETPOS || message == PBM_STEPIT) {
            char text[32];
            wsprintfA(text, "pos %d", static_cast<int>(CallWindowProcA(original, window, PBM_GETPOS, 0, 0)));
            record(text);
        }
        return result;
    }
    if (recordedPane == zvui::kProbeScreenNotifications) {
        if (message == 0x8000 && wParam == 4) {
            char text[32];
            wsprintfA(text, "screen %lu", GetTickCount());
            record(text);
        }
        return CallWindowProcA(original, window, message, wParam, lParam);
    }
    if (message == SB_SETTEXTA && (wParam & 0xFF) == recordedPane) record(lParam ? reinterpret_cast<const char*>(lParam) : "");
    return CallWindowProcA(original, window, message, wParam, lParam);
}

}  // namespace

// Starts (or restarts, forgetting what was recorded) the recording of one pane.
extern "C" __declspec(dllexport) DWORD WINAPI zvuiRecordPaneTexts(void* parameter) {
    auto* request = static_cast<zvui::PaneProbeRequest*>(parameter);
    if (!lockReady) {
        InitializeCriticalSection(&lock);
        lockReady = true;
    }
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(request->statusBar));
    EnterCriticalSection(&lock);
    count = 0;
    recordedPane = request->pane;
    LeaveCriticalSection(&lock);
    if (recorded == window) return 1;
    if (recorded) return 0;
    original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (!original) return 0;
    recorded = window;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recorder));
    return 1;
}

extern "C" __declspec(dllexport) DWORD WINAPI zvuiReadPaneTexts(void* parameter) {
    auto* request = static_cast<zvui::PaneProbeRequest*>(parameter);
    if (!lockReady) return 0;
    EnterCriticalSection(&lock);
    request->count = count;
    const uint32_t kept = count < zvui::kPaneProbeMaxTexts ? count : zvui::kPaneProbeMaxTexts;
    std::memcpy(request->texts, texts, kept * zvui::kPaneProbeTextSize);
    LeaveCriticalSection(&lock);
    return 1;
}
