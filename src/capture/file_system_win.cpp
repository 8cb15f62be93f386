// Folder calls on Windows through the ANSI functions. The program's paths are in the system
// code page, and the C library opens and deletes files with that code page; listing and
// creating folders must read the same bytes the same way, or a folder under a user name such
// as "Jürgen" is made under another name, or its files come back under names that cannot be
// opened again.
#include <windows.h>

#include <cstring>

#include "capture/file_system.h"
#include "capture/file_system_folders.h"

namespace zv::detail {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : handle_(h) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The path without separators at its end; a drive root keeps its own.
std::string withoutTrailingSeparators(const std::string& path) {
    size_t end = path.size();
    while (end > 1 && isSeparator(path[end - 1]) && path[end - 2] != ':') --end;
    return path.substr(0, end);
}

// The folder that holds path (no trailing separator), or "" when there is none to create:
// path is a bare name, or its parent is a drive or the start of a network path.
std::string parentToCreate(const std::string& path) {
    size_t end = path.find_last_of("/\\");
    if (end == std::string::npos) return {};
    while (end > 0 && isSeparator(path[end - 1])) --end;
    if (end == 0 || path[end - 1] == ':') return {};
    return path.substr(0, end);
}

Result createFolderAndParents(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return kOk;
    DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) {
        const std::string parent = parentToCreate(path);
        if (!parent.empty()) {
            const Result r = createFolderAndParents(parent);
            if (failed(r)) return r;
            if (CreateDirectoryA(path.c_str(), nullptr)) return kOk;
            error = GetLastError();
        }
    }
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        if (isFolder(path)) return kOk;  // there already, or made by someone else meanwhile
        return resultFromSystemError(kErrorPathNotFound);  // a file where a folder should be
    }
    return resultFromSystemError(error ? error : kErrorGenFailure);
}

}  // namespace

Result listRealFolder(const std::string& folder, const std::function<void(std::string_view)>& visit) {
    if (folder.empty()) return resultFromSystemError(kErrorPathNotFound);
    WIN32_FIND_DATAA found{};
    const FindHandle find(FindFirstFileA(joinPath(folder, "*").c_str(), &found));
    if (find.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesA(folder.c_str());
        const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
        // No match at all, which only a drive root can give: an empty folder.
        if (error == ERROR_FILE_NOT_FOUND && exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return kOk;
        // A missing folder, or a file where the folder should be.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY ||
            (exists && !(attributes & FILE_ATTRIBUTE_DIRECTORY)))
            return resultFromSystemError(kErrorPathNotFound);
        return resultFromSystemError(error ? error : kErrorGenFailure);
    }
    for (;;) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            // A name the code page cannot hold comes with '?' for the missing characters ('?'
            // is never part of a real name, nor of a double-byte character): only its short
            // form, when there is one, opens that file again.
            if (std::strchr(found.cFileName, '?') == nullptr)
                visit(found.cFileName);
            else if (found.cAlternateFileName[0] != '\0')
                visit(found.cAlternateFileName);
        }
        if (!FindNextFileA(find.get(), &found)) {
            const DWORD error = GetLastError();
            if (error == ERROR_NO_MORE_FILES) return kOk;
            return resultFromSystemError(error ? error : kErrorGenFailure);
        }
    }
}

Result createRealFolders(const std::string& path) {
    if (path.empty()) return resultFromSystemError(kErrorInvalidParameter);
    if (isFolder(path)) return kOk;
    return createFolderAndParents(withoutTrailingSeparators(path));
}

}  // namespace zv::detail

namespace zv {

// The C library's stat and std::filesystem of MinGW give whole seconds only.
std::optional<int64_t> fileModificationMicros(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    // 100 ns steps since 1601-01-01.
    const FILETIME& t = data.ftLastWriteTime;
    const uint64_t steps = static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
    constexpr int64_t k1601To1970 = 116444736000000000;
    return (static_cast<int64_t>(steps) - k1601To1970) / 10;
}

}  // namespace zv
