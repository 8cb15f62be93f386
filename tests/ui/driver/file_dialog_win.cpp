#include "file_dialog_win.h"

#include <commctrl.h>
#include <dlgs.h>

#include "remote_buffer_win.h"
#include "ui_driver_win.h"

namespace zvui {
namespace {

HWND dialogTitled(DWORD processId, const std::string& title) {
    for (HWND window : topWindowsOfClass("#32770", processId)) {
        if (IsWindowVisible(window) && windowText(window) == title) return window;
    }
    return nullptr;
}

bool pressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return false;
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

}  // namespace

HWND waitForDialogTitled(DWORD processId, const std::string& title, DWORD timeoutMs) {
    HWND found = nullptr;
    waitFor([&] { return (found = dialogTitled(processId, title)) != nullptr; }, timeoutMs);
    return found;
}

bool waitForDialogGone(DWORD processId, const std::string& title, DWORD timeoutMs) {
    return waitFor([&] { return dialogTitled(processId, title) == nullptr; }, timeoutMs);
}

bool chooseFileInDialog(HWND dialog, const std::string& path) {
    // Explorer-style dialogs name the file in a combo box (cmb13), older ones in an edit (edt1).
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name) name = GetDlgItem(dialog, edt1);
    if (!name) return false;
    // WM_SETTEXT carries its text across processes.
    if (sendTo(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str())) != TRUE) return false;
    return pressButton(dialog, IDOK);
}

bool cancelDialog(HWND dialog) { return pressButton(dialog, IDCANCEL); }

bool selectListViewRow(HWND list, int row) {
    RemoteBuffer buffer(list, sizeof(LVITEMA));
    if (!buffer.valid()) return false;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    // Every row loses the selection first (item -1 is all of them), then ROW gets it.
    if (!buffer.write(0, &item, sizeof item) ||
        sendTo(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(buffer.address())) != TRUE) {
        return false;
    }
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (!buffer.write(0, &item, sizeof item)) return false;
    return sendTo(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.address())) == TRUE;
}

}  // namespace zvui
