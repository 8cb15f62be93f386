#include "emulator/server/serial_server.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

#include "zvlkrmt/protocol/messages.h"

namespace zv::emu {

// The line outlives the streams on it: each stream gets a lease, and a lease ends when the
// next stream takes over, so that a stream still winding down stops reading the line.
struct SerialServer::Line {
    std::unique_ptr<remote::Transport> transport;
    std::atomic<uint64_t> generation{0};
    // One reader at a time; bytes an outgoing lease read after it ended are kept here for the
    // lease that took over (they may be the first packets of the next PC).
    std::mutex readMutex;
    std::vector<uint8_t> handedOver;
};

namespace {

class Lease : public remote::Transport {
public:
    Lease(std::shared_ptr<SerialServer::Line> line, uint64_t generation)
        : line_(std::move(line)), generation_(generation) {}

    Result write(const uint8_t* data, size_t size) override {
        if (!current()) return remote::kLinkLost;
        return line_->transport->write(data, size);
    }
    Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        got = 0;
        std::lock_guard lock(line_->readMutex);
        if (!current()) return remote::kLinkLost;
        auto& kept = line_->handedOver;
        if (!kept.empty()) {
            got = std::min(capacity, kept.size());
            std::copy_n(kept.begin(), got, buffer);
            kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(got));
            return kOk;
        }
        const Result r = line_->transport->read(buffer, capacity, got, timeoutMs);
        if (!current()) {
            if (r == kOk) kept.insert(kept.end(), buffer, buffer + got);
            got = 0;
            return remote::kLinkLost;
        }
        return r;
    }
    void close() override { closed_ = true; }

private:
    bool current() const { return !closed_ && line_->generation == generation_; }

    std::shared_ptr<SerialServer::Line> line_;
    uint64_t generation_;
    std::atomic<bool> closed_{false};
};

}  // namespace

SerialServer::SerialServer(Analyzer& analyzer, std::unique_ptr<remote::Transport> line,
                           const remote::ReliableStreamOptions& options)
    : analyzer_(analyzer), line_(std::make_shared<Line>()), options_(options) {
    line_->transport = std::move(line);
}

void SerialServer::start() {
    stop_ = false;
    thread_ = std::thread([this] { serve(); });
}

void SerialServer::stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ++line_->generation;
}

void SerialServer::serve() {
    while (!stop_) {
        const uint64_t generation = ++line_->generation;
        analyzer_.attach(remote::makeReliableStream(std::make_unique<Lease>(line_, generation), options_));
        ++streams_;
        // attach() starts the session at once; it ends when the PC goes away.
        while (!stop_ && analyzer_.attached()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace zv::emu
