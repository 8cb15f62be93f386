// Command 2019: the preferences dialog.
#include "main_window_win.h"

namespace zv::shell {

void preferencesCommand(MainWindow&) {}

}  // namespace zv::shell
