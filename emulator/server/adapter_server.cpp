#include "emulator/server/adapter_server.h"

#include <chrono>
#include <thread>
#include <vector>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/tcp_transport.h"

namespace zv::emu {

namespace net = remote::net;
using remote::MsgType;

Result AdapterServer::start(const std::string& host, const std::string& dataService,
                            const std::string& controlService) {
    net::startup();
    if (const Result r = net::listenTcp(host, dataService, dataListener_, dataPort_); failed(r)) return r;
    if (const Result r = net::listenTcp(host, controlService, controlListener_, controlPort_); failed(r)) {
        net::closeSocket(dataListener_);
        dataListener_ = net::kNoSocket;
        return r;
    }
    stop_ = false;
    thread_ = std::thread([this] { serve(); });
    return kOk;
}

void AdapterServer::stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    net::closeSocket(dataListener_);
    net::closeSocket(controlListener_);
    dataListener_ = controlListener_ = net::kNoSocket;
}

void AdapterServer::serve() {
    while (!stop_) {
        net::Socket control = net::kNoSocket;
        if (net::acceptTcp(controlListener_, 100, control) != kOk) continue;
        handshake(control);
    }
}

void AdapterServer::handshake(net::Socket control) {
    uint8_t type = 0;
    std::vector<uint8_t> payload;
    if (remote::readOneFrame(control, 2000, type, payload) != kOk || type != static_cast<uint8_t>(MsgType::AdapterOpen)) {
        analyzer_.log("adapter: control connection without a valid open");
        net::closeSocket(control);
        return;
    }
    // A PC that has just disconnected may still be leaving (its connections closing): a
    // reconnect right after must not be taken for a second PC.
    for (int waited = 0; analyzer_.attached() && waited < 1000 && !stop_; waited += 20) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (analyzer_.attached()) {
        analyzer_.log("adapter: refused a second PC (busy)");
        remote::sendFrame(control, static_cast<uint8_t>(MsgType::AdapterAck),
                          remote::AdapterAckMsg{remote::kRefusedBusy, 0}.encode());
        net::closeSocket(control);
        return;
    }
    const uint32_t token = nextToken_++;
    remote::sendFrame(control, static_cast<uint8_t>(MsgType::AdapterAck), remote::AdapterAckMsg{kOk, token}.encode());
    // The PC now opens the data connection and names the session.
    for (int waited = 0; waited < 5000 && !stop_; waited += 100) {
        net::Socket data = net::kNoSocket;
        if (net::acceptTcp(dataListener_, 100, data) != kOk) continue;
        const auto attach = remote::readOneFrame(data, 2000, type, payload) == kOk
                                ? remote::decodeU32(payload.data(), payload.size())
                                : std::nullopt;
        if (type != static_cast<uint8_t>(MsgType::AdapterAttach) || !attach || *attach != token) {
            analyzer_.log("adapter: data connection with a wrong session");
            net::closeSocket(data);
            continue;
        }
        remote::sendFrame(data, static_cast<uint8_t>(MsgType::AdapterAttached), remote::encodeU32(token));
        analyzer_.log("adapter: session attached");
        analyzer_.attach(remote::makeTcpTransport(data, control));
        return;
    }
    analyzer_.log("adapter: no data connection came");
    net::closeSocket(control);
}

}  // namespace zv::emu
