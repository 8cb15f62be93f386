// The one base of the program's dialogs: a static dialog procedure that finds the object
// behind the window and forwards to onInit / onCommand / onNotify / onMessage. Modal dialogs
// run with runModal; child pages (of a tab control) are created with createPage.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace zv::shell {

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs template TEMPLATE_ID of RESOURCES modally; returns the result given to end(), or
    // -1 when the dialog could not be created.
    INT_PTR runModal(HINSTANCE resources, int templateId, HWND owner);
    // Creates template TEMPLATE_ID as a modeless child of PARENT (a tab page); null on failure.
    HWND createPage(HINSTANCE resources, int templateId, HWND parent);

    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }
    std::string itemText(int id) const;
    void setItemText(int id, const std::string& text) const;
    bool checked(int id) const { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }
    void setChecked(int id, bool on) const { CheckDlgButton(window_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    void showItem(int id, bool show) const { ShowWindow(item(id), show ? SW_SHOW : SW_HIDE); }
    void enableItem(int id, bool enable) const { EnableWindow(item(id), enable ? TRUE : FALSE); }

    // Combo boxes: the entries, the selection (-1 for none) and the selected entry's text.
    void fillCombo(int id, const std::initializer_list<std::string>& entries) const;
    void addComboEntry(int id, const std::string& entry) const;
    void clearCombo(int id) const;
    int comboSelection(int id) const;
    void selectCombo(int id, int index) const;
    std::string comboEntry(int id, int index) const;

protected:
    // WM_INITDIALOG; the return value is the dialog procedure's (TRUE: default focus).
    virtual bool onInit() { return true; }
    // WM_COMMAND; true when handled. The default ends modal dialogs on IDOK and IDCANCEL.
    virtual bool onCommand(int id, int code, HWND control);
    // WM_NOTIFY; true when handled, with the answer in RESULT.
    virtual bool onNotify(const NMHDR& header, LRESULT& result);
    // Any other message; true when handled, with the procedure's answer in RESULT.
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Ends a modal dialog with RESULT.
    void end(INT_PTR result) const { EndDialog(window_, result); }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

}  // namespace zv::shell
