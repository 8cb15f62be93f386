// Folder calls and modification times where names are byte strings: std::filesystem hands them
// through unchanged.
#include <chrono>
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

namespace zv {

std::optional<int64_t> fileModificationMicros(const std::string& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(std::filesystem::path(path), error);
    if (error) return std::nullopt;
    const auto system = std::chrono::file_clock::to_sys(written);
    return std::chrono::duration_cast<std::chrono::microseconds>(system.time_since_epoch()).count();
}

}  // namespace zv
