// The capture list: cell texts on demand and the selection in the status bar.
#include "main_window_win.h"

namespace zv::shell {

bool captureListNotify(MainWindow&, const NMHDR&, LPARAM, LRESULT&) { return false; }

}  // namespace zv::shell
