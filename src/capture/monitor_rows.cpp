#include "capture/monitor_rows.h"

namespace zv {

std::vector<MonitorRowUpdate> monitorRowUpdates(const WatchTable& table, const DataInfoBlock& monitorInfo) {
    std::vector<MonitorRowUpdate> updates;
    for (int n = 0; n < kWatchEntryCount && n < kMonitorListRows; ++n) {
        const auto i = static_cast<size_t>(n);
        if (!table.entries[i].hasData) continue;
        const CaptureRecord record(table.slots[i].data());
        MonitorRowUpdate& update = updates.emplace_back();
        update.row = n;
        for (int column = 1; column < kMonitorListColumns; ++column) {
            update.cells[static_cast<size_t>(column)] = monitorCellText(n, record, column, monitorInfo);
        }
    }
    return updates;
}

}  // namespace zv
