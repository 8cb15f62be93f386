#include "shell/lin_schedule_table_win.h"

#include <algorithm>
#include <cstdio>

#include "zvlkctrl/core/control_messages.h"

namespace zv::shell {
namespace {

constexpr int kWindowExtra = 34;

bool registerClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSA existing{};
    if (GetClassInfoA(instance, kLinScheduleClass, &existing)) return true;
    WNDCLASSA c{};
    c.lpfnWndProc = procedure;
    c.cbWndExtra = kWindowExtra;  // room for the dialog manager's slots
    c.hInstance = instance;
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    c.lpszClassName = kLinScheduleClass;
    return RegisterClassA(&c) != 0;
}

int slotOf(int id) {
    for (int base : {101, 201, 301, 401})
        if (id >= base && id < base + kScheduleSlots) return id - base;
    return -1;
}

}  // namespace

LinScheduleTable* LinScheduleTable::create(HINSTANCE instance, HWND parent, int place, HFONT font, FieldEvent event) {
    if (!registerClass(instance, procedure)) return nullptr;
    RECT r{};
    if (HWND placeholder = GetDlgItem(parent, place)) {
        GetWindowRect(placeholder, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    auto* table = new LinScheduleTable;
    table->event_ = std::move(event);
    HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, kLinScheduleClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL,
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(place)), instance, table);
    if (!window) {
        // Once WM_NCCREATE has run, WM_NCDESTROY deletes the table; before, nothing does.
        if (!table->window_) delete table;
        return nullptr;
    }
    if (!table->build(font ? font : reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0)))) {
        DestroyWindow(window);
        return nullptr;
    }
    return table;
}

bool LinScheduleTable::build(HFONT font) {
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE a{};
    GetTextExtentPoint32A(dc, "A", 1, &a);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    const int cw = a.cx, ch = a.cy;
    const int h = ch + 8, w = cw + 11;
    rowHeight_ = h;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE));
    const auto make = [&](DWORD exStyle, const char* cls, const char* text, DWORD style, int x, int y, int width,
                          int height, int id) {
        HWND control = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control != nullptr;
    };
    for (int s = 0; s < kScheduleSlots; ++s) {
        const int y = s * (h + 1);
        char label[8];
        std::snprintf(label, sizeof label, "%X :", s);
        const bool ok =
            make(0, "STATIC", label, SS_RIGHT, 0, y + 4, cw + 8, h + 2, -1) &&
            make(WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_CENTER | ES_UPPERCASE, 4 * cw + 4, y, w, h, slotTableId(s)) &&
            make(0, "STATIC", "-[", SS_CENTER, w + 6 * cw + 6, y + 4, cw + 2, h + 2, -1) &&
            make(0, "BUTTON", "", WS_TABSTOP | BS_AUTOCHECKBOX, 8 * cw + 2 * w + 6, y, w, h, slotEnableId(s)) &&
            make(WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_CENTER | ES_UPPERCASE, 3 * w + 14 * cw + 6, y, w, h,
                 slotValueId(s)) &&
            make(WS_EX_CLIENTEDGE, ctrl::kHexInputClass, "", WS_TABSTOP, 18 * cw + 4 * w + 6, y, w, h, slotByteId(s)) &&
            make(0, "STATIC", "]", SS_CENTER, 23 * cw + 4 * w + 6, y + 4, cw + 2, h + 2, -1);
        if (!ok) return false;
        SendDlgItemMessageA(window_, slotTableId(s), EM_LIMITTEXT, 1, 0);
        SendDlgItemMessageA(window_, slotValueId(s), EM_LIMITTEXT, 2, 0);
        SendDlgItemMessageA(window_, slotByteId(s), ctrl::kMsgConfigure, 0, 1);
    }
    position_ = 0;
    updateScrollRange();
    return true;
}

void LinScheduleTable::showRow(int s, const SlotRow& row) const {
    if (s < 0 || s >= kScheduleSlots) return;
    // Texts are set only when they differ: the edit the user is in keeps its caret.
    const auto setText = [this](int id, const std::string& text) {
        char now[8] = {};
        GetDlgItemTextA(window_, id, now, sizeof now);
        if (text != now) SetDlgItemTextA(window_, id, text.c_str());
    };
    setText(slotTableId(s), row.table);
    CheckDlgButton(window_, slotEnableId(s), row.enabled ? BST_CHECKED : BST_UNCHECKED);
    setText(slotValueId(s), row.value);
    uint8_t byte = row.byte.empty() ? 0 : row.byte.front();
    SendDlgItemMessageA(window_, slotByteId(s), ctrl::kMsgSetBytes, row.byte.empty() ? 0 : 1,
                        reinterpret_cast<LPARAM>(&byte));
}

SlotRow LinScheduleTable::row(int s) const {
    SlotRow row;
    if (s < 0 || s >= kScheduleSlots) return row;
    char text[8] = {};
    GetDlgItemTextA(window_, slotTableId(s), text, sizeof text);
    row.table = text;
    row.enabled = IsDlgButtonChecked(window_, slotEnableId(s)) == BST_CHECKED;
    GetDlgItemTextA(window_, slotValueId(s), text, sizeof text);
    row.value = text;
    uint8_t byte = 0;
    if (SendDlgItemMessageA(window_, slotByteId(s), ctrl::kMsgGetBytes, 1, reinterpret_cast<LPARAM>(&byte)) > 0)
        row.byte.push_back(byte);
    return row;
}

int LinScheduleTable::maximumPosition() const {
    const int range = kScheduleSlots * rowHeight_ + 14;
    return std::max(0, range - page_ + 1);
}

void LinScheduleTable::updateScrollRange() {
    RECT client{};
    GetClientRect(window_, &client);
    page_ = client.bottom;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, kScheduleSlots * rowHeight_ + 14,
                    static_cast<UINT>(std::max(page_, 0)), position_, 0};
    SetScrollInfo(window_, SB_VERT, &info, TRUE);
    scrollTo(position_);
}

void LinScheduleTable::scrollTo(int target) {
    target = std::clamp(target, 0, maximumPosition());
    if (target == position_) return;
    ScrollWindowEx(window_, 0, position_ - target, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    position_ = target;
    SetScrollPos(window_, SB_VERT, position_, TRUE);
}

void LinScheduleTable::scrollIntoView(int s) {
    if (s < 0 || s >= kScheduleSlots) return;
    const int y = s * (rowHeight_ + 1);
    if (y < position_) scrollTo(y);
    else if (page_ < y + rowHeight_ - position_) scrollTo(y + rowHeight_ - page_);
}

LRESULT LinScheduleTable::onScroll(WPARAM wParam) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window_, SB_VERT, &info);
    int target = position_;
    switch (LOWORD(wParam)) {
        case SB_LINEUP: target -= rowHeight_ + 1; break;
        case SB_LINEDOWN: target += rowHeight_ + 1; break;
        case SB_PAGEUP: target -= page_; break;
        case SB_PAGEDOWN: target += page_; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: target = info.nTrackPos; break;
        case SB_TOP: target = 0; break;
        case SB_BOTTOM: target = maximumPosition(); break;
        default: return 0;
    }
    scrollTo(target);
    return 0;
}

void LinScheduleTable::onCommand(int id, int code) {
    const int slot = slotOf(id);
    if (slot < 0) return;
    switch (code) {
        case EN_SETFOCUS: scrollIntoView(slot); break;
        case EN_KILLFOCUS: event_(slot, id, Event::Left); break;
        case BN_CLICKED:
            scrollIntoView(slot);
            event_(slot, id, Event::Clicked);
            break;
        case BN_SETFOCUS: scrollIntoView(slot); break;
        default: break;
    }
}

void LinScheduleTable::onNotify(const NMHDR& header) {
    const int slot = slotOf(static_cast<int>(header.idFrom));
    if (slot < 0) return;
    const int code = static_cast<int>(header.code);
    if (code == ctrl::kNotifyGotFocus) scrollIntoView(slot);
    else if (code == ctrl::kNotifyLostFocus) event_(slot, static_cast<int>(header.idFrom), Event::Left);
}

LRESULT CALLBACK LinScheduleTable::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* table = reinterpret_cast<LinScheduleTable*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        table = static_cast<LinScheduleTable*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        table->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(table));
    }
    if (!table) return DefDlgProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_VSCROLL: return table->onScroll(wParam);
        case WM_SIZE:
            if (table->rowHeight_ > 0) table->updateScrollRange();
            break;
        case WM_COMMAND:
            table->onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY:
            table->onNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        case WM_NCDESTROY: {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            const LRESULT result = DefDlgProcA(window, message, wParam, lParam);
            delete table;
            return result;
        }
        default: break;
    }
    return DefDlgProcA(window, message, wParam, lParam);
}

}  // namespace zv::shell
