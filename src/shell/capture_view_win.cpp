// The capture list: cell texts on demand and the selection in the status bar.
#include <windows.h>

#include <commctrl.h>

#include "capture/capture.h"
#include "capture/cell_text.h"
#include "main_window_win.h"

namespace zv::shell {
namespace {

constexpr int kPaneRows = 1;

// The list asks for the visible cells only; each text is written straight into the list's
// own buffer, so scrolling allocates nothing.
void answerCellText(const MainWindow& main, NMLVDISPINFOA& info) {
    LVITEMA& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
    item.pszText[0] = '\0';
    if (!main.captureHasData || !main.display || item.iItem < 0) return;
    const CCapture& capture = main.display->capture();
    if (static_cast<uint32_t>(item.iItem) >= capture.count()) return;
    const TimeColumnMode mode = main.deltaTime ? TimeColumnMode::Difference : TimeColumnMode::Absolute;
    captureCellText(capture, static_cast<uint32_t>(item.iItem), item.iSubItem, mode, item.pszText,
                    static_cast<size_t>(item.cchTextMax));
}

void showSelectedRow(MainWindow& main, int row) {
    main.selectedRow = row;
    if (!main.display) return;
    setPaneText(main, kPaneRows,
                selectionStatusText(static_cast<uint32_t>(row), main.display->capture().count(), main.shownPath));
}

int firstSelectedRow(const MainWindow& main) {
    return static_cast<int>(
        SendMessageA(main.captureList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

void itemChanged(MainWindow& main, const NMLISTVIEW& change) {
    if ((change.uChanged & LVIF_STATE) == 0) return;
    const bool nowSelected = (change.uNewState & LVIS_SELECTED) != 0;
    const bool wasSelected = (change.uOldState & LVIS_SELECTED) != 0;
    if (nowSelected && !wasSelected && change.iItem >= 0) {
        showSelectedRow(main, change.iItem);
    } else if (!nowSelected && wasSelected) {
        // A row (or, with item -1, every row) lost the selection: keep whichever is left.
        if (change.iItem < 0 || change.iItem == main.selectedRow) main.selectedRow = firstSelectedRow(main);
    }
}

// A range selected at once (shift-click in a virtual list) arrives as one notification.
void rangeChanged(MainWindow& main, const NMLVODSTATECHANGE& change) {
    if ((change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0) {
        const int row = static_cast<int>(
            SendMessageA(main.captureList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
        showSelectedRow(main, row >= change.iFrom && row <= change.iTo ? row : change.iFrom);
    } else {
        main.selectedRow = firstSelectedRow(main);
    }
}

}  // namespace

bool captureListNotify(MainWindow& main, const NMHDR& header, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (header.code) {
        case LVN_GETDISPINFOA:
            answerCellText(main, *reinterpret_cast<NMLVDISPINFOA*>(lParam));
            return true;
        case LVN_ITEMCHANGED:
            itemChanged(main, *reinterpret_cast<const NMLISTVIEW*>(lParam));
            return true;
        case LVN_ODSTATECHANGED:
            rangeChanged(main, *reinterpret_cast<const NMLVODSTATECHANGE*>(lParam));
            return true;
        case LVN_ODFINDITEMA:
            // Typing in the list finds nothing: the rows have no item texts to match.
            result = -1;
            return true;
        default:
            return false;
    }
}

}  // namespace zv::shell
