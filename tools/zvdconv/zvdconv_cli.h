// zvdconv: converts data files into text or CSV files, as the batch conversion does, for
// scripts. The command logic lives here so that tests run it in-process; main() only wires up
// the standard streams and the environment.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/output_sink.h"

namespace zv::tools {

struct ZvdconvIo {
    OutputSink* standardOutput = nullptr;                  // "-o -" and --info, --help
    std::function<void(std::string_view)> standardError;   // messages and the progress bar
    bool stderrIsTerminal = false;                         // draw a progress bar on long runs
    std::optional<std::string> sourceDateEpoch;            // SOURCE_DATE_EPOCH when set
};

// Runs one zvdconv command line (without the program name). Exit codes: 0 every input
// converted, 1 an input was not a data file or an output could not be written (each named on
// standard error; the others are still converted), 2 usage.
int runZvdconv(const std::vector<std::string>& args, const ZvdconvIo& io);

// The output path beside an input: its extension replaced by `extension` (".txt" or ".csv"),
// or appended when the name has none.
std::string outputPathFor(const std::string& input, std::string_view extension);

}  // namespace zv::tools
