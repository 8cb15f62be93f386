// The program's folders as the running system names them.
#pragma once

#include <string>

#include "shell/app_folders.h"

namespace zv {

// The program file, the application data and documents folders (asked of "Shell32.dll",
// else of "ShFolder.dll") and the current directory; empty where the system has no answer.
FolderSources queryFolderSources();

// Creates the folder with every missing parent. False when it does not exist afterwards.
bool createFolderChain(const std::string& path);

// queryFolderSources and resolveFolders; the per-user data folder is created. A data folder
// that cannot be created is used as it is: profile.ini then reads as defaults and writes
// fail, without a message.
AppFolders resolveAppFolders();

}  // namespace zv
