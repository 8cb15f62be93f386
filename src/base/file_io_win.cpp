// Writing and replacing files on Windows; the replacing through the ANSI function, which reads
// the name in the system code page as every other file call of the program does.
#include <windows.h>

#include <io.h>

#include <cstdint>

#include "base/file_io.h"

namespace zv {

// Straight to the system: the C library reports a write that the disk took only in part as
// failed without a reason (EINVAL), and the next one as failed again, so a full disk would
// never be named. WriteFile says how much it took and, on the next call, why no more.
Result writeAllTo(std::FILE* stream, const void* bytes, size_t n) {
    if (n == 0) return kOk;
    if (std::fflush(stream) != 0) return resultFromErrno(kErrorWriteFault);
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (handle == INVALID_HANDLE_VALUE) return resultFromSystemError(kErrorInvalidParameter);
    const auto* at = static_cast<const uint8_t*>(bytes);
    while (n > 0) {
        const DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
        DWORD written = 0;
        if (!WriteFile(handle, at, chunk, &written, nullptr)) {
            const DWORD error = GetLastError();
            return resultFromSystemError(error ? error : kErrorWriteFault);
        }
        if (written == 0) return resultFromSystemError(kErrorDiskFull);
        at += written;
        n -= written;
    }
    return kOk;
}

Result replaceFile(const std::string& from, const std::string& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return kOk;
    const DWORD error = GetLastError();
    return resultFromSystemError(error ? error : kErrorGenFailure);
}

}  // namespace zv
