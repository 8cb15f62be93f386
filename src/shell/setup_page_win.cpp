// The setup pages' shared base: creation onto a placeholder, the page protocol, the
// notifications told apart, and the field helpers every page uses.
#include "shell/setup_page_win.h"

#include <cstdio>

#include "setup/field_text.h"
#include "shell/main_window_win.h"
#include "zvlkctrl/core/control_messages.h"

namespace zv::shell {
namespace {

constexpr const char* kOriginalProcedure = "SUBCLS_WNDPROC_ORG";

// Identifier edits take hexadecimal digits only: letters become upper case, other printable
// characters and Ctrl+V are dropped, the context menu does not open (no paste from there
// either). Control characters and DEL pass.
LRESULT CALLBACK hexadecimalEditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    auto original = reinterpret_cast<WNDPROC>(GetPropA(edit, kOriginalProcedure));
    if (!original) return DefWindowProcA(edit, message, wParam, lParam);
    switch (message) {
        case WM_CONTEXTMENU: return 0;
        case WM_PASTE: return 0;
        case WM_CHAR: {
            const auto c = static_cast<unsigned>(wParam);
            if (c == 22) return 0;  // Ctrl+V
            if (c >= 'a' && c <= 'f') wParam = c - 'a' + 'A';
            else if (c >= 0x20 && c != 0x7F && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return 0;
            break;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            RemovePropA(edit, kOriginalProcedure);
            return CallWindowProcA(original, edit, message, wParam, lParam);
        default: break;
    }
    return CallWindowProcA(original, edit, message, wParam, lParam);
}

}  // namespace

HWND SetupPage::create(int templateId, HWND parent, int place) {
    HWND page = createPage(context_.main.modules.language, templateId, parent);
    if (!page) return nullptr;
    HWND placeholder = place ? GetDlgItem(parent, place) : nullptr;
    RECT r{};
    if (placeholder) {
        GetWindowRect(placeholder, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    SetWindowPos(page, placeholder ? placeholder : HWND_TOP, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return page;
}

void SetupPage::show(bool visible) const {
    if (window()) ShowWindow(window(), visible ? SW_SHOW : SW_HIDE);
}

bool SetupPage::visible() const { return window() && IsWindowVisible(window()); }

bool SetupPage::onCommand(int id, int code, HWND control) {
    // Enter and Escape in a field belong to the setup window (its Close).
    if (!control && (id == IDOK || id == IDCANCEL)) {
        if (id == IDCANCEL) PostMessageA(GetAncestor(window(), GA_ROOT), WM_COMMAND, IDCANCEL, 0);
        return true;
    }
    switch (code) {
        case CBN_SELCHANGE: selectionChanged(id); return true;
        case CBN_EDITCHANGE: editChanged(id); return true;
        case EN_KILLFOCUS:
        case CBN_KILLFOCUS: fieldLeft(id); return true;
        case BN_CLICKED: clicked(id); return true;
        default: return false;
    }
}

bool SetupPage::onNotify(const NMHDR& header, LRESULT&) {
    if (static_cast<int>(header.code) != ctrl::kNotifyLostFocus) return false;
    fieldLeft(static_cast<int>(header.idFrom));
    return true;
}

bool SetupPage::onMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    if (message == kPageStore) {
        store();
    } else if (message == kPageRefresh) {
        refresh();
    } else {
        return false;
    }
    result = TRUE;
    return true;
}

std::string SetupPage::text(UINT id) const { return loadText(context_.main, id); }

void SetupPage::fillComboWithStrings(int id, std::initializer_list<UINT> strings) const {
    clearCombo(id);
    for (UINT s : strings) addComboEntry(id, text(s));
}

long SetupPage::decimalOf(int id) const { return decimalOrZero(itemText(id)); }

long SetupPage::hexadecimalOf(int id) const { return hexadecimalOrZero(itemText(id)); }

void SetupPage::setDecimal(int id, int64_t value) const { setItemText(id, std::to_string(value)); }

void SetupPage::configureHexInput(int id, int kind) const {
    SendDlgItemMessageA(window(), id, ctrl::kMsgConfigure, 0, kind);
}

int SetupPage::hexBytes(int id, uint8_t* bytes, int capacity) const {
    return static_cast<int>(SendDlgItemMessageA(window(), id, ctrl::kMsgGetBytes, static_cast<WPARAM>(capacity),
                                                reinterpret_cast<LPARAM>(bytes)));
}

void SetupPage::setHexBytes(int id, const uint8_t* bytes, int count) const {
    SendDlgItemMessageA(window(), id, ctrl::kMsgSetBytes, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(bytes));
}

void SetupPage::hexPair(int id, uint8_t& first, uint8_t& second) const {
    int values[2] = {first, second};
    SendDlgItemMessageA(window(), id, ctrl::kMsgGetValue, 0, reinterpret_cast<LPARAM>(values));
    first = static_cast<uint8_t>(values[0]);
    second = static_cast<uint8_t>(values[1]);
}

void SetupPage::setHexPair(int id, uint8_t first, uint8_t second) const {
    int values[2] = {first, second};
    SendDlgItemMessageA(window(), id, ctrl::kMsgSetValue, 0, reinterpret_cast<LPARAM>(values));
}

void SetupPage::filterHexadecimal(int id) const {
    HWND edit = item(id);
    if (!edit || GetPropA(edit, kOriginalProcedure)) return;
    const LONG_PTR original = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    SetPropA(edit, kOriginalProcedure, reinterpret_cast<HANDLE>(original));
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hexadecimalEditProcedure));
}

}  // namespace zv::shell
