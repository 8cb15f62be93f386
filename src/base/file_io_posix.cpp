// Replacing a file where rename replaces the target in one step.
#include <cerrno>
#include <cstdio>

#include "base/file_io.h"

namespace zv {

Result replaceFile(const std::string& from, const std::string& to) {
    errno = 0;
    if (std::rename(from.c_str(), to.c_str()) == 0) return kOk;
    return resultFromErrno(kErrorGenFailure);
}

}  // namespace zv
