// Dialogs of the program under test: finding one by its caption, the controls of its child
// pages, and driving lists, fields and buttons the way their own notifications would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zvui {

// A visible dialog (class #32770) of the process with the given caption; null when none
// appears in time.
HWND waitForDialog(DWORD processId, const std::string& caption, DWORD timeoutMs);
bool dialogOpen(DWORD processId, const std::string& caption);
// The control with ID anywhere below DIALOG (its pages included).
HWND dialogControl(HWND dialog, int id);

std::vector<std::string> comboEntries(HWND combo);
int comboSelection(HWND combo);
std::string comboSelectedEntry(HWND combo);
// Selects entry INDEX (or the entry with TEXT) and tells the parent, as a user's choice does.
bool chooseComboEntry(HWND combo, int index);
bool chooseComboEntry(HWND combo, const std::string& text);

// Selects tab INDEX and tells the parent, as a click on the tab does.
bool chooseTab(HWND tabs, int index);

// Replaces the text of an edit field or combo box.
bool setControlText(HWND control, const std::string& text);
// Ticks or clears a check box and tells the parent, as a click does.
bool setCheckBox(HWND button, bool on);
// Presses a push button of DIALOG without waiting for what it starts (a modal box, say).
bool pressDialogButton(HWND dialog, int id);
bool buttonChecked(HWND button);
bool controlVisible(HWND control);

}  // namespace zvui
