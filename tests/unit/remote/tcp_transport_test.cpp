// Connecting through the LAN adapter: the failures a PC sees before any analyzer answers.
#include <gtest/gtest.h>

#include <chrono>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/net.h"
#include "zvlkrmt/transport/tcp_transport.h"

namespace zv::remote {
namespace {

TEST(TcpTransport, UnknownHost) {
    std::unique_ptr<Transport> t;
    EXPECT_EQ(static_cast<uint32_t>(openTcpTransport({"no-such-host.invalid", "4001", "4002"}, 2000, t)), 0x80072AF9u);
    EXPECT_FALSE(t);
}

TEST(TcpTransport, AdapterThatNeverAnswersTimesOut) {
    net::startup();
    net::Socket listener = net::kNoSocket;
    uint16_t port = 0;
    ASSERT_EQ(net::listenTcp("127.0.0.1", "0", listener, port), kOk);
    // The kernel completes the connection, but nobody reads or answers.
    std::unique_ptr<Transport> t;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(static_cast<uint32_t>(openTcpTransport({"127.0.0.1", std::to_string(port), std::to_string(port)}, 300, t)),
              0x80070102u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    net::closeSocket(listener);
}

TEST(TcpTransport, NobodyListening) {
    net::startup();
    net::Socket listener = net::kNoSocket;
    uint16_t port = 0;
    ASSERT_EQ(net::listenTcp("127.0.0.1", "0", listener, port), kOk);
    net::closeSocket(listener);  // the port is free again: connects are refused
    std::unique_ptr<Transport> t;
    EXPECT_EQ(openTcpTransport({"127.0.0.1", std::to_string(port), std::to_string(port)}, 1000, t), kConnectionRefused);
}

TEST(TcpTransport, ServiceNamesAreResolved) {
    net::startup();
    net::Socket s = net::kNoSocket;
    uint16_t port = 0;
    // A name that is not a known service fails to resolve instead of meaning some port.
    EXPECT_TRUE(failed(net::listenTcp("127.0.0.1", "no-such-service-zv", s, port)));
}

}  // namespace
}  // namespace zv::remote
