// Command 40020: the watch data dialog.
#include "main_window_win.h"

namespace zv::shell {

void watchSettingsCommand(MainWindow&) {}

}  // namespace zv::shell
