// zvremote: scripts an analyzer through the remote library, the way the program does: the
// library's exports and objects, the session CZVRemote5m for the upload chain, the setup
// transfers and monitoring, the buffer-file writer for monitor data. The command logic lives
// here so that tests run it in-process; main() only wires up the standard streams, the local
// clock and Ctrl+C.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "remote/czvremote5m.h"

namespace zv::tools {

constexpr int kZvremoteOk = 0;
constexpr int kZvremoteFailed = 1;  // no analyzer, refused, time-out, lost link, a file error
constexpr int kZvremoteUsage = 2;

struct ZvremoteIo {
    std::function<void(std::string_view)> standardOutput;  // results (info, summaries)
    std::function<void(std::string_view)> standardError;   // messages and the progress bar
    bool stderrIsTerminal = false;                         // draw a progress bar for transfers
    std::function<ClockTime()> localTime;                  // the PC's clock, for `clock` alone
    const std::atomic<bool>* stop = nullptr;               // set to end a monitor early (Ctrl+C)
    // A wait on the analyzer with no sign of life (no completion, progress or notification)
    // for this long gives up as a time-out. The library's own answer time-out comes first.
    int silenceLimitMs = 60000;
};

// Runs one command line (without the program name). The library is initialised and
// uninitialised around the command.
int runZvremote(const std::vector<std::string>& args, const ZvremoteIo& io);

// A result code with what it means, e.g. "0xA0000004 (the analyzer is busy with another PC)".
std::string describeResult(Result result);

// "YYYY-MM-DD HH:MM:SS" (one argument or date and time as two) to a date and time with its
// day of the week; false for malformed text or a date that does not exist.
bool parseClockTime(std::string_view text, ClockTime& out);

}  // namespace zv::tools
