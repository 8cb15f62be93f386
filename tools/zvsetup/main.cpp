#include <cstdio>
#include <string>
#include <vector>

#include "zvsetup_cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // setup files go to stdout byte for byte
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    zv::tools::CommandOutput output;
    const int rc = zv::tools::runZvsetup(args, output);
    std::fwrite(output.out.data(), 1, output.out.size(), stdout);
    std::fwrite(output.err.data(), 1, output.err.size(), stderr);
    return rc;
}
