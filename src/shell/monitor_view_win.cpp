// The monitor list: the latest record of each watch entry, refreshed once a second.
#include <cstdio>
#include <string>

#include <windows.h>

#include <commctrl.h>

#include "capture/buffer_files.h"
#include "capture/monitor_rows.h"
#include "main_window_win.h"
#include "resources/ids/string_ids.h"

namespace zv::shell {
namespace {

constexpr int kMonitorStatusPane = 1;

void setCell(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void resetMonitorList(MainWindow& main) {
    if (!main.monitorList) return;
    SendMessageA(main.monitorList, LVM_DELETEALLITEMS, 0, 0);
    for (int row = 0; row < kMonitorListRows; ++row) {
        char number[4];
        std::snprintf(number, sizeof number, "%X", static_cast<unsigned>(row));
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = number;
        SendMessageA(main.monitorList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void refreshMonitorList(MainWindow& main) {
    if (!main.monitorList) return;
    const DataInfoBlock info = main.bufferFiles ? main.bufferFiles->dataInfo() : DataInfoBlock{};
    for (const MonitorRowUpdate& update : monitorRowUpdates(main.watchList.snapshot(), info)) {
        for (int column = 1; column < kMonitorListColumns; ++column) {
            setCell(main.monitorList, update.row, column, update.cells[static_cast<size_t>(column)]);
        }
    }
    if (!main.bufferFiles) return;
    const BufferCounters counters = main.bufferFiles->counters();
    setPaneText(main, kMonitorStatusPane,
                monitorStatusText(counters.bytesReceived, loadText(main, IDS_MONITOR_LOST_DATA_FMT),
                                  counters.lostDataMarkers, loadText(main, IDS_MONITOR_FILE_COUNT_FMT),
                                  counters.bufferFiles, loadText(main, IDS_MONITOR_NOT_WRITTEN_FMT),
                                  counters.recordsNotWritten));
}

}  // namespace zv::shell
