#include "zvlkrmt/transport/tcp_transport.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/protocol/wire.h"

namespace zv::remote {
namespace {

class TcpTransport : public Transport {
public:
    TcpTransport(net::Socket data, net::Socket control) : data_(data), control_(control) {}
    ~TcpTransport() override {
        close();
        net::closeSocket(data_);
        net::closeSocket(control_);
    }

    Result write(const uint8_t* data, size_t size) override {
        if (closed_) return kLinkLost;
        std::lock_guard lock(writeMutex_);
        return net::sendAll(data_, data, size);
    }

    Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        got = 0;
        if (closed_) return kLinkLost;
        if (control_ == net::kNoSocket) return net::receive(data_, buffer, capacity, got, timeoutMs);
        const net::Socket both[2] = {data_, control_};
        const int ready = net::waitReadable(both, 2, timeoutMs);
        if (closed_) return kLinkLost;
        if (ready < 0) return kTimeout;
        if (ready == 0) return net::receive(data_, buffer, capacity, got, 0);
        // The control connection carries nothing after the handshake: anything readable there
        // is its end (or noise, which is dropped).
        uint8_t scratch[256];
        size_t n = 0;
        const Result r = net::receive(control_, scratch, sizeof scratch, n, 0);
        if (r == kLinkLost) return kLinkLost;
        return kTimeout;
    }

    void close() override {
        if (closed_.exchange(true)) return;
        net::shutdownSocket(data_);
        net::shutdownSocket(control_);
    }

private:
    net::Socket data_;
    net::Socket control_;
    std::atomic<bool> closed_{false};
    std::mutex writeMutex_;
};

}  // namespace

Result sendFrame(net::Socket s, uint8_t type, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> frame;
    appendFrame(frame, type, 1, payload.data(), payload.size());
    return net::sendAll(s, frame.data(), frame.size());
}

Result readOneFrame(net::Socket s, int timeoutMs, uint8_t& type, std::vector<uint8_t>& payload) {
    FrameDecoder decoder(256);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool done = false;
    uint8_t byte = 0;
    while (!done) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return kTimeout;
        size_t got = 0;
        // One byte at a time: the handshake frames are tiny and nothing may be read past them.
        const Result r = net::receive(s, &byte, 1, got, static_cast<int>(left.count()));
        if (r == kTimeout) continue;
        if (failed(r)) return r;
        const DecodeError e = decoder.feed(&byte, got, [&](const FrameView& f) {
            type = f.type;
            payload.assign(f.payload, f.payload + f.size);
            done = true;
            return false;
        });
        if (e != DecodeError::None) return kProtocolError;
    }
    return kOk;
}

std::unique_ptr<Transport> makeTcpTransport(net::Socket data, net::Socket control) {
    return std::make_unique<TcpTransport>(data, control);
}

Result openTcpTransport(const TcpEndpoint& endpoint, int timeoutMs, std::unique_ptr<Transport>& out) {
    net::startup();
    net::Socket control = net::kNoSocket;
    if (const Result r = net::connectTcp(endpoint.host, endpoint.controlService, timeoutMs, control); failed(r))
        return r;
    auto fail = [&](Result r, net::Socket data) {
        net::closeSocket(control);
        net::closeSocket(data);
        return r;
    };
    if (const Result r = sendFrame(control, static_cast<uint8_t>(MsgType::AdapterOpen), {}); failed(r))
        return fail(r, net::kNoSocket);
    uint8_t type = 0;
    std::vector<uint8_t> payload;
    if (const Result r = readOneFrame(control, timeoutMs, type, payload); failed(r)) return fail(r, net::kNoSocket);
    const auto ack = AdapterAckMsg::decode(payload.data(), payload.size());
    if (type != static_cast<uint8_t>(MsgType::AdapterAck) || !ack) return fail(kProtocolError, net::kNoSocket);
    if (failed(ack->result)) return fail(ack->result, net::kNoSocket);

    net::Socket data = net::kNoSocket;
    if (const Result r = net::connectTcp(endpoint.host, endpoint.dataService, timeoutMs, data); failed(r))
        return fail(r, net::kNoSocket);
    if (const Result r = sendFrame(data, static_cast<uint8_t>(MsgType::AdapterAttach), encodeU32(ack->token)); failed(r))
        return fail(r, data);
    if (const Result r = readOneFrame(data, timeoutMs, type, payload); failed(r)) return fail(r, data);
    const auto token = decodeU32(payload.data(), payload.size());
    if (type != static_cast<uint8_t>(MsgType::AdapterAttached) || !token || *token != ack->token)
        return fail(kProtocolError, data);
    out = makeTcpTransport(data, control);
    return kOk;
}

}  // namespace zv::remote
