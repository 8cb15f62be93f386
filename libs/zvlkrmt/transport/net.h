// The few socket operations the TCP transport and the emulator's LAN server need. One
// implementation per platform (net_posix.cpp; net_win.cpp over Winsock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/result.h"

namespace zv::remote::net {

using Socket = intptr_t;
constexpr Socket kNoSocket = -1;

// Once per process before any other call (Winsock start-up; nothing on POSIX).
Result startup();

// Resolves host and service (names or numbers) and connects within timeoutMs.
// Unknown host: 0x80072AF9; no answer in time: 0x80070102; refused: 0x8007274D.
Result connectTcp(const std::string& host, const std::string& service, int timeoutMs, Socket& out);
// Listens on host:service (service "0" picks a free port, reported in port).
Result listenTcp(const std::string& host, const std::string& service, Socket& out, uint16_t& port);
// Waits up to timeoutMs for a connection: kOk, or kTimeout when none came.
Result acceptTcp(Socket listener, int timeoutMs, Socket& out);

Result sendAll(Socket s, const uint8_t* data, size_t size);
// kOk with got > 0, kTimeout, or kLinkLost when the peer closed or the socket failed.
Result receive(Socket s, uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs);
// Waits until one of the sockets is readable (or closed); returns its index, -1 on time-out.
int waitReadable(const Socket* sockets, size_t count, int timeoutMs);

// Ends both directions (wakes a thread waiting on the socket) without releasing it.
void shutdownSocket(Socket s);
void closeSocket(Socket s);

}  // namespace zv::remote::net
