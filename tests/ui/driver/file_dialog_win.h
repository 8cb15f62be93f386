// The system's open and save dialogs as the program shows them, and rows of its lists:
// what a user picks with the mouse, done from the test process.
#pragma once

#include <windows.h>

#include <string>

namespace zvui {

// The visible dialog (#32770) of the process whose title is TITLE; null when none came up in
// time. Message boxes are dialogs too: the title tells them apart.
HWND waitForDialogTitled(DWORD processId, const std::string& title, DWORD timeoutMs);
// Waits until no dialog of that title is left.
bool waitForDialogGone(DWORD processId, const std::string& title, DWORD timeoutMs);

// Types PATH into a file dialog's name field and presses OK.
bool chooseFileInDialog(HWND dialog, const std::string& path);
// Presses Cancel.
bool cancelDialog(HWND dialog);

// Selects and focuses ROW of a list view in another process (the others lose the selection),
// as a click on the row does.
bool selectListViewRow(HWND list, int row);

}  // namespace zvui
