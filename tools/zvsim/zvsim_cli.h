// zvsim: the emulated analyzer as a LAN analyzer (behind an emulated XB-40 adapter) or on a
// serial line. The logic lives here so that tests run it in-process; main() only wires up
// streams and Ctrl+C.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace zv::tools {

struct ZvsimIo {
    std::function<void(const std::string&)> out;  // one line, without the newline; any thread
    std::function<void(const std::string&)> err;
    const std::atomic<bool>* stop = nullptr;       // set to end the server
};

// Runs until *io.stop is set. Exit codes: 0 stopped cleanly, 1 could not serve (ports, config
// file), 2 usage.
int runZvsim(const std::vector<std::string>& args, ZvsimIo& io);

}  // namespace zv::tools
