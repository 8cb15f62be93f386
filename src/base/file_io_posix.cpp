// Writing and replacing files where the C library passes on the system's own reasons and rename
// replaces the target in one step.
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "base/file_io.h"

namespace zv {

Result writeAllTo(std::FILE* stream, const void* bytes, size_t n) {
    const auto* at = static_cast<const uint8_t*>(bytes);
    while (n > 0) {
        errno = 0;
        const size_t written = std::fwrite(at, 1, n, stream);
        if (written == 0) return resultFromErrno(kErrorWriteFault);
        // The stream keeps its error mark from the short write; the next write must not see it.
        std::clearerr(stream);
        at += written;
        n -= written;
    }
    return kOk;
}

Result replaceFile(const std::string& from, const std::string& to) {
    errno = 0;
    if (std::rename(from.c_str(), to.c_str()) == 0) return kOk;
    return resultFromErrno(kErrorGenFailure);
}

}  // namespace zv
