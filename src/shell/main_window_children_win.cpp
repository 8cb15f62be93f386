// The main window's children: toolbar, status bar, tab control and the two lists.
#include <vector>

#include <windows.h>

#include <commctrl.h>

#include "capture/cell_text.h"
#include "main_window_win.h"
#include "resources/ids/string_ids.h"

namespace zv::shell {
namespace {

constexpr int kToolbarBitmap = 103;
constexpr int kToolbarImages = 20;

bool insertColumn(HWND list, int index, const char* header, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(header);
    column.cx = width;
    column.iSubItem = index;
    return SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)) >= 0;
}

HWND createList(MainWindow& main, int id, DWORD extraStyle) {
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT |
                                    LVS_SHOWSELALWAYS | extraStyle,
                                0, 47, 100, 100, main.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                main.modules.program, nullptr);
    if (!list) return nullptr;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    if (main.modules.uiFont) SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(main.modules.uiFont), FALSE);
    return list;
}

}  // namespace

bool createToolbar(MainWindow& main) {
    main.toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS,
                                   0, 0, 0, 0, main.window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolbarId)), main.modules.program,
                                   nullptr);
    if (!main.toolbar) return false;
    SendMessageA(main.toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(main.toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 15));
    TBADDBITMAP bitmap{main.modules.program, kToolbarBitmap};
    if (SendMessageA(main.toolbar, TB_ADDBITMAP, kToolbarImages, reinterpret_cast<LPARAM>(&bitmap)) < 0) {
        return false;
    }
    std::vector<TBBUTTON> buttons;
    for (const ToolbarEntry& entry : toolbarEntries()) {
        TBBUTTON button{};
        if (entry.command == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = entry.image;
            button.idCommand = entry.command;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    return SendMessageA(main.toolbar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

bool createStatusBar(MainWindow& main) {
    main.statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                     main.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
                                     main.modules.program, nullptr);
    if (!main.statusBar) return false;
    int edges[] = {100, 450, 550, -1};
    return SendMessageA(main.statusBar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges)) != 0;
}

bool createTabControl(MainWindow& main) {
    main.tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 27,
                                100, 100, main.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabControlId)),
                                main.modules.program, nullptr);
    if (!main.tabs) return false;
    SendMessageA(main.tabs, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    const UINT labels[] = {IDS_TAB_CAPTURE, IDS_TAB_MONITOR};
    for (int index = 0; index < 2; ++index) {
        std::string text = loadText(main, labels[index]);
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        if (SendMessageA(main.tabs, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) < 0) {
            return false;
        }
    }
    return true;
}

bool createCaptureList(MainWindow& main) {
    main.captureList = createList(main, kCaptureListId, LVS_OWNERDATA);
    if (!main.captureList) return false;
    for (int column = 0; column < kCaptureListColumns; ++column) {
        if (!insertColumn(main.captureList, column, captureColumnTitle(column, TimeColumnMode::Absolute),
                          captureColumnWidth(column))) {
            return false;
        }
    }
    return true;
}

bool createMonitorList(MainWindow& main) {
    main.monitorList = createList(main, kMonitorListId, 0);
    if (!main.monitorList) return false;
    for (int column = 0; column < kMonitorListColumns; ++column) {
        if (!insertColumn(main.monitorList, column, monitorColumnTitle(column), monitorColumnWidth(column))) return false;
    }
    resetMonitorList(main);
    return SendMessageA(main.monitorList, LVM_GETITEMCOUNT, 0, 0) == kMonitorListRows;
}

void showTab(MainWindow& main, int tab) {
    SendMessageA(main.tabs, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    ShowWindow(main.captureList, tab == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(main.monitorList, tab == 0 ? SW_HIDE : SW_SHOW);
}

void setTimeColumn(MainWindow& main, bool delta) {
    SendMessageA(main.captureList, LVM_DELETECOLUMN, 0, 0);
    const TimeColumnMode mode = delta ? TimeColumnMode::Difference : TimeColumnMode::Absolute;
    insertColumn(main.captureList, 0, captureColumnTitle(0, mode), captureColumnWidth(0));
    InvalidateRect(main.captureList, nullptr, TRUE);
}

}  // namespace zv::shell
