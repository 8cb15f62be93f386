// HTML Help, loaded at run time so that a system without it still runs the program.
#pragma once

#include <windows.h>

namespace zv::shell {

void initialiseHtmlHelp();
void closeHtmlHelp();
// Opens FILE (a .chm) with the display-topic command.
void showHtmlHelp(HWND owner, const char* file);

}  // namespace zv::shell
