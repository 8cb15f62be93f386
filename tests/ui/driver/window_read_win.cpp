// Reading the program's window and controls from the test process.
#include <windows.h>

#include <commctrl.h>

#include "remote_buffer_win.h"
#include "ui_driver_win.h"

namespace zvui {
namespace {

constexpr std::size_t kTextCapacity = 1024;

}  // namespace

std::string windowText(HWND window) {
    char text[1024] = "";
    // WM_GETTEXT is marshalled across processes by the system, unlike the control messages.
    sendTo(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string className(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND childById(HWND parent, int id) { return GetDlgItem(parent, id); }

HWND focusedWindowOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool setFocusIn(HWND child) {
    const DWORD target = GetWindowThreadProcessId(child, nullptr);
    const DWORD self = GetCurrentThreadId();
    if (!AttachThreadInput(self, target, TRUE)) return false;
    SetFocus(child);
    AttachThreadInput(self, target, FALSE);
    return waitFor([&] { return focusedWindowOf(child) == child; }, 2000);
}

bool menuItemEnabled(HWND window, int command) {
    const int state = menuItemState(window, command);
    return state != -1 && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

bool menuItemChecked(HWND window, int command) {
    const int state = menuItemState(window, command);
    return state != -1 && (state & MF_CHECKED) != 0;
}

int toolbarButtonState(HWND toolbar, int command) {
    return static_cast<int>(sendTo(toolbar, TB_GETSTATE, static_cast<WPARAM>(command), 0));
}

int toolbarButtonCount(HWND toolbar) { return static_cast<int>(sendTo(toolbar, TB_BUTTONCOUNT, 0, 0)); }

std::string toolbarTooltip(HWND toolbar, int command) {
    // The toolbar asks its parent for the text (TTN_GETDISPINFO) when the tooltip shows; the
    // test asks the tooltip control for the text of the button's tool instead.
    HWND tooltip = reinterpret_cast<HWND>(sendTo(toolbar, TB_GETTOOLTIPS, 0, 0));
    if (!tooltip || tooltip == reinterpret_cast<HWND>(-1)) return {};
    RemoteBuffer buffer(toolbar, sizeof(TTTOOLINFOA) + kTextCapacity);
    if (!buffer.valid()) return {};
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    info.hwnd = toolbar;
    info.uId = static_cast<UINT_PTR>(command);
    info.lpszText = buffer.address() + sizeof info;
    buffer.write(0, &info, sizeof info);
    char empty = '\0';
    buffer.write(sizeof info, &empty, 1);
    sendTo(tooltip, TTM_GETTEXTA, kTextCapacity, reinterpret_cast<LPARAM>(buffer.address()));
    return buffer.readText(sizeof info);
}

std::string statusPaneText(HWND statusBar, int pane) {
    RemoteBuffer buffer(statusBar, kTextCapacity);
    if (!buffer.valid()) return {};
    char empty = '\0';
    buffer.write(0, &empty, 1);
    sendTo(statusBar, SB_GETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(buffer.address()));
    return buffer.readText(0);
}

int statusPaneCount(HWND statusBar) { return static_cast<int>(sendTo(statusBar, SB_GETPARTS, 0, 0)); }

std::vector<std::string> listViewHeaders(HWND list) {
    std::vector<std::string> headers;
    HWND header = reinterpret_cast<HWND>(sendTo(list, LVM_GETHEADER, 0, 0));
    const int count = header ? static_cast<int>(sendTo(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    RemoteBuffer buffer(list, sizeof(LVCOLUMNA) + kTextCapacity);
    if (!buffer.valid()) return headers;
    for (int column = 0; column < count; ++column) {
        LVCOLUMNA info{};
        info.mask = LVCF_TEXT;
        info.pszText = buffer.address() + sizeof info;
        info.cchTextMax = static_cast<int>(kTextCapacity);
        buffer.write(0, &info, sizeof info);
        char empty = '\0';
        buffer.write(sizeof info, &empty, 1);
        sendTo(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(buffer.address()));
        headers.push_back(buffer.readText(sizeof info));
    }
    return headers;
}

int listViewColumnWidth(HWND list, int column) {
    return static_cast<int>(sendTo(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

bool setListViewColumnWidth(HWND list, int column, int width) {
    return sendTo(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
}

int listViewItemCount(HWND list) { return static_cast<int>(sendTo(list, LVM_GETITEMCOUNT, 0, 0)); }

std::string listViewCellText(HWND list, int row, int column) {
    RemoteBuffer buffer(list, sizeof(LVITEMA) + kTextCapacity);
    if (!buffer.valid()) return {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.address() + sizeof item;
    item.cchTextMax = static_cast<int>(kTextCapacity);
    buffer.write(0, &item, sizeof item);
    char empty = '\0';
    buffer.write(sizeof item, &empty, 1);
    sendTo(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.address()));
    // A virtual list may answer with a pointer of its own instead of filling our buffer.
    LVITEMA answered{};
    buffer.read(0, &answered, sizeof answered);
    if (answered.pszText != item.pszText && answered.pszText) {
        char text[kTextCapacity] = "";
        DWORD processId = 0;
        GetWindowThreadProcessId(list, &processId);
        HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, processId);
        SIZE_T done = 0;
        if (process) {
            ReadProcessMemory(process, answered.pszText, text, sizeof text - 1, &done);
            CloseHandle(process);
        }
        return text;
    }
    return buffer.readText(sizeof item);
}

int tabCount(HWND tabs) { return static_cast<int>(sendTo(tabs, TCM_GETITEMCOUNT, 0, 0)); }

std::string tabText(HWND tabs, int index) {
    RemoteBuffer buffer(tabs, sizeof(TCITEMA) + kTextCapacity);
    if (!buffer.valid()) return {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer.address() + sizeof item;
    item.cchTextMax = static_cast<int>(kTextCapacity);
    buffer.write(0, &item, sizeof item);
    char empty = '\0';
    buffer.write(sizeof item, &empty, 1);
    sendTo(tabs, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.address()));
    return buffer.readText(sizeof item);
}

int selectedTab(HWND tabs) { return static_cast<int>(sendTo(tabs, TCM_GETCURSEL, 0, 0)); }

}  // namespace zvui
