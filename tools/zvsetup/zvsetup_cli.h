// zvsetup: creates, checks, prints and converts setup files. The command logic lives here so
// that tests run it in-process; main() only hands over arguments and streams.
#pragma once

#include <string>
#include <vector>

namespace zv::tools {

struct CommandOutput {
    std::string out;  // bytes for standard output (binary for `new` without -o)
    std::string err;  // messages for standard error
};

// Runs one zvsetup command line (without the program name). Exit codes: 0 success,
// 1 bad input (unreadable or invalid file, unsupported board), 2 usage.
int runZvsetup(const std::vector<std::string>& args, CommandOutput& output);

}  // namespace zv::tools
