// The system's folder browser over file-system folders (preferences, batch conversion).
#pragma once

#include <windows.h>

#include <string>

namespace zv::shell {

// Starts at FOLDER; true with the chosen folder in FOLDER.
bool browseForFolder(HWND owner, std::string& folder);

}  // namespace zv::shell
