// The message boxes the program shows: caption, text, and answering them.
#include "ui_driver_win.h"

namespace zvui {
namespace {

// The text of a message box is its one static control without the icon style.
std::string messageTextOf(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (className(child) != "Static") continue;
        const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) continue;
        const std::string part = windowText(child);
        if (!part.empty()) text += text.empty() ? part : "\n" + part;
    }
    return text;
}

}  // namespace

std::vector<MessageBoxInfo> messageBoxesOf(DWORD processId) {
    std::vector<MessageBoxInfo> boxes;
    for (HWND window : topWindowsOfClass("#32770", processId)) {
        if (!IsWindowVisible(window)) continue;
        boxes.push_back({window, windowText(window), messageTextOf(window)});
    }
    return boxes;
}

MessageBoxInfo waitForMessageBox(DWORD processId, DWORD timeoutMs) {
    MessageBoxInfo found;
    waitFor(
        [&] {
            const std::vector<MessageBoxInfo> boxes = messageBoxesOf(processId);
            if (boxes.empty()) return false;
            found = boxes.front();
            return true;
        },
        timeoutMs);
    return found;
}

MessageBoxInfo waitForMessageBox(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    MessageBoxInfo found;
    waitFor(
        [&] {
            for (const MessageBoxInfo& box : messageBoxesOf(processId)) {
                if (box.caption == caption && !box.text.empty()) found = box;
            }
            return found.window != nullptr;
        },
        timeoutMs);
    return found;
}

bool answerMessageBox(const MessageBoxInfo& box, int buttonId) {
    HWND button = GetDlgItem(box.window, buttonId);
    if (!button || !IsWindowEnabled(button)) return false;
    // The same message the button sends when clicked; the box ends with this id.
    return PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != 0;
}

}  // namespace zvui
