// Replacing a file on Windows through the ANSI function, which reads the name in the system
// code page as every other file call of the program does.
#include <windows.h>

#include "base/file_io.h"

namespace zv {

Result replaceFile(const std::string& from, const std::string& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return kOk;
    const DWORD error = GetLastError();
    return resultFromSystemError(error ? error : kErrorGenFailure);
}

}  // namespace zv
