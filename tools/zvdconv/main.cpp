#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "zvdconv_cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // the lines already end with CR LF
    const bool terminal = _isatty(_fileno(stderr)) != 0;
#else
    const bool terminal = isatty(fileno(stderr)) != 0;
#endif
    zv::FileSink out;
    out.attach(stdout);
    zv::tools::ZvdconvIo io;
    io.standardOutput = &out;
    io.standardError = [](std::string_view s) {
        std::fwrite(s.data(), 1, s.size(), stderr);
        std::fflush(stderr);
    };
    io.stderrIsTerminal = terminal;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) io.sourceDateEpoch = epoch;

    int rc = zv::tools::runZvdconv(std::vector<std::string>(argv + 1, argv + argc), io);
    if (!out.close() && rc == 0) {
        std::fputs("zvdconv: standard output could not be written\n", stderr);
        rc = 1;
    }
    return rc;
}
