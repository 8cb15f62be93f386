// Data files in the capture list: open, save as, neighbouring buffer files, the uploaded file.
#include "main_window_win.h"

namespace zv::shell {

void openDataFileCommand(MainWindow&) {}
void saveDataFileAsCommand(MainWindow&) {}
void stepBufferFileCommand(MainWindow&, int) {}
void showUploadedFile(MainWindow&) {}
bool showBufferFile(MainWindow&, const std::string&, int32_t) { return false; }
void clearCaptureDisplay(MainWindow&) {}

}  // namespace zv::shell
