// Whole-file reads and writes shared by the setup, capture and tool code, and the rule every
// save follows: a file the user names is written under a temporary name beside it and takes
// that name only once it is complete, so a full disk or a vanished folder never leaves a
// truncated file there, nor damages the file that was there before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "base/result.h"

namespace zv {

// Windows error numbers the file code tests for or reports.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorWriteFault = 29;
constexpr uint32_t kErrorReadFault = 30;
constexpr uint32_t kErrorGenFailure = 31;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorDiskFull = 112;

// The Windows error number carried by a result code of the 0x8007xxxx form, or 0.
constexpr uint32_t systemErrorOf(Result r) {
    const uint32_t u = static_cast<uint32_t>(r);
    return (u & 0xFFFF0000u) == 0x80070000u ? (u & 0xFFFFu) : 0;
}

// An errno value as the Windows error that means the same.
uint32_t systemErrorFromErrno(int error);
// The current errno as a result code; fallback (a Windows error) when errno is 0.
Result resultFromErrno(uint32_t fallback);
// Writes all n bytes to the stream or fails with the system's reason. A write that takes only
// part of the bytes (a disk that fills up in the middle of it) is followed by one for the rest:
// only that one fails with the reason; the short write itself reports none on every system.
Result writeAllTo(std::FILE* stream, const void* bytes, size_t n);

// The current errno after a file could not be created: as resultFromErrno, except that a
// missing name (ENOENT) can only be the folder, which Windows calls "path not found".
Result createFailureFromErrno();

// A whole file read into memory.
struct FileImage {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
};

// Reads a regular file whole (binary). False when it cannot be opened, sized, allocated or
// read, or is no regular file (errno tells why).
bool readWholeFile(const std::string& path, FileImage& image);

// The name a file is written under before it replaces path: beside it, in the same folder
// (so on the same disk), path + ".new".
std::string temporaryPathFor(const std::string& path);

// Puts the file `from` in the place of `to`, replacing a file of that name in one step.
Result replaceFile(const std::string& from, const std::string& to);

// Creates or replaces path with the bytes. A failed create, write or close is returned as a
// result code (the Windows error) and leaves whatever path was before untouched.
Result writeWholeFile(const std::string& path, const uint8_t* bytes, size_t size);

// A failed file operation's result for a message: "0x80070070 (disk full)"; the few errors
// a save meets by name, any other by its number.
std::string fileErrorText(Result result);

// Copies the file `from` to `to`, replacing it, with the same rule: until the copy is complete
// `to` stays as it was. A `from` that cannot be read fails with its own error.
Result copyFileReplacing(const std::string& from, const std::string& to);

}  // namespace zv
