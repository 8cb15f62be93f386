// The monitor list: the latest record of each watch entry, refreshed once a second.
#include "main_window_win.h"

namespace zv::shell {

void resetMonitorList(MainWindow&) {}
void refreshMonitorList(MainWindow&) {}

}  // namespace zv::shell
