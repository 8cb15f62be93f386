// The few file operations the capture writers need, behind an interface: the real one uses
// the C library for files and the platform's own calls for folders, tests put a
// fault-injecting layer in between. Every failure is a result code in the 0x8007xxxx form
// carrying a Windows error number, on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/file_io.h"
#include "base/result.h"

namespace zv {

// A std::error_code from the C library or the file system library as a result code.
Result resultFromErrorCode(const std::error_code& ec);

// A file opened for writing. Writes are unbuffered: what a write call took is with the
// system when it returns (a killed process loses none of it), and a failure (a full disk
// included) is reported by the write that hits it, not later by close.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    // Writes all n bytes at offset or fails; writing at the end makes the file longer. A failed
    // write may have written part of the bytes.
    virtual Result writeAt(uint64_t offset, const uint8_t* bytes, size_t n) = 0;
    // Cuts the file to size bytes.
    virtual Result truncate(uint64_t size) = 0;
    // Waits until the disk itself holds what was written, not only the system's cache.
    virtual Result flushToDisk() = 0;
    // Closes the file; a second close does nothing.
    virtual Result close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Creates a new file for writing; fails with kErrorFileExists when it exists.
    virtual Result createNew(const std::string& path, std::unique_ptr<WritableFile>& file) = 0;
    // Deletes a file; a missing file fails with kErrorFileNotFound.
    virtual Result remove(const std::string& path) = 0;
    // Calls visit with the name (no folder) of every file in the folder, subfolders left out;
    // a missing folder fails with kErrorPathNotFound, an empty one succeeds without calls.
    virtual Result listFolder(const std::string& folder, const std::function<void(std::string_view)>& visit) = 0;
    // Creates the folder with all missing parents; an existing folder is no error.
    virtual Result createFolders(const std::string& path) = 0;
};

// The C library for files; for folders the ANSI functions on Windows, std::filesystem
// elsewhere. Paths are byte strings in the system code page, read the same way by every call.
FileSystem& realFileSystem();

// The last modification time of a file in microseconds since 1970 (UTC), to the precision the
// system keeps; nullopt when it cannot be read. On Windows through the ANSI functions, like the
// folder calls.
std::optional<int64_t> fileModificationMicros(const std::string& path);

// folder + separator + name; no separator is doubled and an empty folder gives the name.
std::string joinPath(std::string_view folder, std::string_view name);

}  // namespace zv
