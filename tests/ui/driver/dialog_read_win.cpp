#include "dialog_read_win.h"

#include <commctrl.h>

#include <vector>

#include "ui_driver_win.h"

namespace zvui {
namespace {

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK findControl(HWND child, LPARAM context) {
    auto* search = reinterpret_cast<ControlSearch*>(context);
    if (GetDlgCtrlID(child) != search->id) return TRUE;
    search->found = child;
    return FALSE;
}

// CB_GETLBTEXT and WM_SETTEXT are carried across processes by the system, which copies the
// text between the two address spaces: they take this process's buffers. The entries are
// asked for as wide text, which the system converts alike on Windows and under Wine (an ANSI
// request from another process comes back as wide characters under Wine).
std::string comboEntry(HWND combo, int index) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 5000, &length) ||
        static_cast<LRESULT>(length) < 0)
        return {};
    std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    std::vector<char> text(wide.size() * 2 + 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    return std::string(text.data());
}

}  // namespace

HWND waitForDialog(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    HWND found = nullptr;
    waitFor(
        [&] {
            for (HWND window : topWindowsOfClass("#32770", processId)) {
                if (IsWindowVisible(window) && windowText(window) == caption) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool dialogOpen(DWORD processId, const std::string& caption) { return waitForDialog(processId, caption, 0) != nullptr; }

HWND dialogControl(HWND dialog, int id) {
    ControlSearch search{id, nullptr};
    EnumChildWindows(dialog, findControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::string> comboEntries(HWND combo) {
    std::vector<std::string> entries;
    const LRESULT count = sendTo(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) entries.push_back(comboEntry(combo, i));
    return entries;
}

int comboSelection(HWND combo) { return static_cast<int>(sendTo(combo, CB_GETCURSEL, 0, 0)); }

std::string comboSelectedEntry(HWND combo) {
    const int index = comboSelection(combo);
    return index < 0 ? std::string() : comboEntry(combo, index);
}

bool chooseComboEntry(HWND combo, int index) {
    if (sendTo(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index) return false;
    const WPARAM command = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(combo)), CBN_SELCHANGE);
    return sendTo(GetParent(combo), WM_COMMAND, command, reinterpret_cast<LPARAM>(combo)) != -1;
}

bool chooseComboEntry(HWND combo, const std::string& text) {
    const std::vector<std::string> entries = comboEntries(combo);
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i] == text) return chooseComboEntry(combo, static_cast<int>(i));
    return false;
}

bool chooseTab(HWND tabs, int index) {
    // Moving the focus to a tab of a tab control without buttons selects it and sends the
    // same notifications as a click.
    sendTo(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    return sendTo(tabs, TCM_GETCURSEL, 0, 0) == index;
}

bool setControlText(HWND control, const std::string& text) {
    return sendTo(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == TRUE;
}

bool setCheckBox(HWND button, bool on) {
    if (sendTo(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0) == -1) return false;
    const WPARAM command = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(button)), BN_CLICKED);
    return sendTo(GetParent(button), WM_COMMAND, command, reinterpret_cast<LPARAM>(button)) != -1;
}

bool pressDialogButton(HWND dialog, int id) {
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))) != 0;
}

bool buttonChecked(HWND button) { return sendTo(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool controlVisible(HWND control) { return control && (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

}  // namespace zvui
