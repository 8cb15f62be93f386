// The folder calls of the real file system, the part that differs by platform. On Windows
// they go through the ANSI functions, so that a folder or file name reads the same as in
// every other file call of the program (the C library's, which take the system code page);
// elsewhere names are plain bytes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/result.h"

namespace zv::detail {

// FileSystem::listFolder and FileSystem::createFolders of the real file system.
Result listRealFolder(const std::string& folder, const std::function<void(std::string_view)>& visit);
Result createRealFolders(const std::string& path);

}  // namespace zv::detail
