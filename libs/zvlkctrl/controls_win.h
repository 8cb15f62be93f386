// Window procedures and shared helpers of the two controls (inside the library only).
#pragma once

#include <windows.h>

#include <string>

#include "zvlkctrl/core/edit_keys.h"

namespace zv::ctrl {

LRESULT CALLBACK hexInputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK bitPatternProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// WM_NOTIFY with the control's id and code (-7 got focus, -8 lost focus) to the parent.
void notifyParent(HWND hwnd, int code);
// Moves the focus to the sibling with this control id, when there is one that can take it.
bool focusChained(HWND hwnd, int nextId);
// DLGC_ flags for WM_GETDLGCODE: arrows and characters always, Enter while chained.
LRESULT dialogCode(LPARAM lParam, bool chained);
// Puts text on the clipboard as CF_TEXT; false when the clipboard is not available.
bool copyToClipboard(HWND hwnd, const std::string& text);
// The clipboard's CF_TEXT (at most a few hundred characters); empty when there is none.
std::string clipboardText(HWND hwnd);
// Ctrl+C and Ctrl+V as WM_CHAR delivers them.
constexpr WPARAM kCtrlC = 3;
constexpr WPARAM kCtrlV = 22;

// The EditKey of a WM_KEYDOWN virtual key; false for keys the controls leave alone.
bool editKeyOf(WPARAM vk, EditKey& key);

}  // namespace zv::ctrl
