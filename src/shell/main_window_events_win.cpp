// Size, focus and the notifications of the children.
#include <windows.h>

#include <commctrl.h>

#include "main_window_layout.h"
#include "main_window_win.h"

namespace zv::shell {
namespace {

void place(HWND child, const ChildRect& rect) {
    MoveWindow(child, rect.x, rect.y, rect.width, rect.height, TRUE);
}

bool tooltipRequest(MainWindow& main, const NMHDR& header, LPARAM lParam) {
    if (header.code != TTN_GETDISPINFOA || header.hwndFrom == main.monitorList) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
    const uint32_t id = tooltipFor(static_cast<int>(header.idFrom));
    if (id == 0) return false;
    info->hinst = main.modules.language;
    info->lpszText = MAKEINTRESOURCEA(id);
    return true;
}

}  // namespace

LRESULT onSize(MainWindow& main, WPARAM wParam, LPARAM lParam) {
    SendMessageA(main.statusBar, WM_SIZE, wParam, lParam);
    SendMessageA(main.toolbar, WM_SIZE, wParam, lParam);
    RECT status{};
    const int statusHeight = GetWindowRect(main.statusBar, &status) ? status.bottom - status.top : -1;
    const MainWindowLayout layout = layoutMainWindow(LOWORD(lParam), HIWORD(lParam), statusHeight);
    place(main.tabs, layout.tabs);
    place(main.captureList, layout.lists);
    place(main.monitorList, layout.lists);
    return 0;
}

LRESULT onSetFocus(MainWindow& main, WPARAM, LPARAM) {
    const bool monitorTab = SendMessageA(main.tabs, TCM_GETCURSEL, 0, 0) == 1;
    SetFocus(monitorTab ? main.monitorList : main.captureList);
    return 0;
}

LRESULT onNotify(MainWindow& main, WPARAM wParam, LPARAM lParam) {
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.idFrom == kCaptureListId && header.hwndFrom == main.captureList) {
        LRESULT result = 0;
        captureListNotify(main, header, lParam, result);
        return result;
    }
    if (tooltipRequest(main, header, lParam)) return 0;
    if (header.idFrom == kTabControlId && header.code == TCN_SELCHANGE) {
        showTab(main, static_cast<int>(SendMessageA(main.tabs, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    return DefWindowProcA(main.window, WM_NOTIFY, wParam, lParam);
}

}  // namespace zv::shell
