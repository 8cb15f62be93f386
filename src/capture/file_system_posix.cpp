// Folder calls where names are byte strings: std::filesystem hands them through unchanged.
#include <filesystem>
#include <system_error>

#include "capture/file_system.h"
#include "capture/file_system_folders.h"

namespace zv::detail {

Result listRealFolder(const std::string& folder, const std::function<void(std::string_view)>& visit) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    if (ec) {
        if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
            return resultFromSystemError(kErrorPathNotFound);
        return resultFromErrorCode(ec);
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        // The name's own bytes, in whatever encoding they were created.
        visit(it->path().filename().native());
    }
    if (ec) return resultFromErrorCode(ec);
    return kOk;
}

Result createRealFolders(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path), ec);
    if (ec) return resultFromErrorCode(ec);
    return kOk;
}

}  // namespace zv::detail
