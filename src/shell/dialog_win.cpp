// The dialog base: the window-to-object link and the small helpers every dialog uses.
#include "dialog_win.h"

#include <vector>

namespace zv::shell {

INT_PTR Dialog::runModal(HINSTANCE resources, int templateId, HWND owner) {
    return DialogBoxParamA(resources, MAKEINTRESOURCEA(templateId), owner, procedure,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::createPage(HINSTANCE resources, int templateId, HWND parent) {
    return CreateDialogParamA(resources, MAKEINTRESOURCEA(templateId), parent, procedure,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        if (!dialog) return TRUE;
        dialog->window_ = window;
        return dialog->onInit() ? TRUE : FALSE;
    }
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog) return FALSE;
    switch (message) {
        case WM_COMMAND:
            return dialog->onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!dialog->onNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
            SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
            return TRUE;
        }
        default: {
            INT_PTR result = 0;
            if (message == WM_NCDESTROY) {
                SetWindowLongPtrA(window, DWLP_USER, 0);
                dialog->window_ = nullptr;
                return FALSE;
            }
            return dialog->onMessage(message, wParam, lParam, result) ? result : FALSE;
        }
    }
}

bool Dialog::onCommand(int id, int, HWND) {
    if (id != IDOK && id != IDCANCEL) return false;
    end(id);
    return true;
}

bool Dialog::onNotify(const NMHDR&, LRESULT&) { return false; }

bool Dialog::onMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

std::string Dialog::itemText(int id) const {
    HWND control = item(id);
    const int length = control ? GetWindowTextLengthA(control) : 0;
    if (length <= 0) return {};
    std::vector<char> text(static_cast<size_t>(length) + 1);
    const int got = GetWindowTextA(control, text.data(), length + 1);
    return std::string(text.data(), static_cast<size_t>(got > 0 ? got : 0));
}

void Dialog::setItemText(int id, const std::string& text) const { SetDlgItemTextA(window_, id, text.c_str()); }

void Dialog::fillCombo(int id, const std::initializer_list<std::string>& entries) const {
    clearCombo(id);
    for (const std::string& entry : entries) addComboEntry(id, entry);
}

void Dialog::addComboEntry(int id, const std::string& entry) const {
    SendDlgItemMessageA(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

void Dialog::clearCombo(int id) const { SendDlgItemMessageA(window_, id, CB_RESETCONTENT, 0, 0); }

int Dialog::comboSelection(int id) const {
    return static_cast<int>(SendDlgItemMessageA(window_, id, CB_GETCURSEL, 0, 0));
}

void Dialog::selectCombo(int id, int index) const {
    SendDlgItemMessageA(window_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string Dialog::comboEntry(int id, int index) const {
    const LRESULT length = SendDlgItemMessageA(window_, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length <= 0) return {};
    std::vector<char> text(static_cast<size_t>(length) + 1);
    SendDlgItemMessageA(window_, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return std::string(text.data());
}

}  // namespace zv::shell
