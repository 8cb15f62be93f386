// The emulated analyzer behind a LAN adapter: a control port that grants the session and a data
// port that carries it, as the remote library's TCP transport expects.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "emulator/analyzer.h"
#include "zvlkrmt/transport/net.h"

namespace zv::emu {

class AdapterServer {
public:
    explicit AdapterServer(Analyzer& analyzer) : analyzer_(analyzer) {}
    ~AdapterServer() { stop(); }
    AdapterServer(const AdapterServer&) = delete;
    AdapterServer& operator=(const AdapterServer&) = delete;

    // Listens on both ports (names or numbers; "0" picks a free port) and starts serving.
    Result start(const std::string& host, const std::string& dataService, const std::string& controlService);
    void stop();
    uint16_t dataPort() const { return dataPort_; }
    uint16_t controlPort() const { return controlPort_; }

private:
    void serve();
    void handshake(remote::net::Socket control);

    Analyzer& analyzer_;
    remote::net::Socket dataListener_ = remote::net::kNoSocket;
    remote::net::Socket controlListener_ = remote::net::kNoSocket;
    uint16_t dataPort_ = 0;
    uint16_t controlPort_ = 0;
    uint32_t nextToken_ = 0x5A560001;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace zv::emu
