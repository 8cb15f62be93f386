// What one refresh of the monitor list writes: for each watch entry that has data, the texts
// of columns 1..14 from the record in its slot. Rows of entries without data keep what they
// show, and column 0 (the row number) never changes.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "capture/cell_text.h"
#include "capture/watch_list.h"
#include "setup/data_info.h"

namespace zv {

struct MonitorRowUpdate {
    int row = 0;
    std::array<std::string, kMonitorListColumns> cells;  // cells[0] stays empty: not written
};

// MONITOR_INFO is the data-information block of the monitoring, for the LIN data lengths.
std::vector<MonitorRowUpdate> monitorRowUpdates(const WatchTable& table, const DataInfoBlock& monitorInfo);

}  // namespace zv
