// The emulated analyzer on a serial line: serves one PC at a time through the reliable stream
// and, when that PC goes away (it closed its stream, or stayed silent too long), waits on the
// same line for the next one.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "emulator/analyzer.h"
#include "zvlkrmt/transport/reliable_stream.h"

namespace zv::emu {

class SerialServer {
public:
    SerialServer(Analyzer& analyzer, std::unique_ptr<remote::Transport> line, const remote::ReliableStreamOptions& options);
    ~SerialServer() { stop(); }
    SerialServer(const SerialServer&) = delete;
    SerialServer& operator=(const SerialServer&) = delete;

    void start();
    void stop();
    // Streams opened on the line so far (one per PC served, plus the one waiting).
    uint64_t streams() const { return streams_; }

    struct Line;

private:
    void serve();

    Analyzer& analyzer_;
    std::shared_ptr<Line> line_;
    remote::ReliableStreamOptions options_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> streams_{0};
    std::thread thread_;
};

}  // namespace zv::emu
