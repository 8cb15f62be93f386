// Command 2114 and timer 1: the monitor measurement.
#include "main_window_win.h"

namespace zv::shell {

void startMonitorCommand(MainWindow&) {}

LRESULT onTimer(MainWindow&, WPARAM, LPARAM) { return 0; }

}  // namespace zv::shell
