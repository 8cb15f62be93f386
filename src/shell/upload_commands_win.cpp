// Command 1003: the upload of the capture buffer and its transfer dialog.
#include "main_window_win.h"

namespace zv::shell {

void uploadCommand(MainWindow&) {}

}  // namespace zv::shell
