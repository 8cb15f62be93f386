// Winsock implementation of the socket operations.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/net.h"

namespace zv::remote::net {
namespace {

SOCKET sock(Socket s) { return static_cast<SOCKET>(s); }

Result fromWsa(int e) {
    if (e == WSAETIMEDOUT) return kTimeout;
    return resultFromSystemError(static_cast<uint32_t>(e));
}

Result resolve(const std::string& host, const std::string& service, bool passive, addrinfo** out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = passive ? AI_PASSIVE : 0;
    const int rc = getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, out);
    if (rc == 0) return kOk;
    if (rc == WSATYPE_NOT_FOUND) return resultFromSystemError(WSATYPE_NOT_FOUND);
    return kHostNotFound;
}

void setNoDelay(SOCKET s) {
    BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

// FIONBIO is an unsigned constant that ioctlsocket takes as a signed long.
void setBlocking(SOCKET s, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    ioctlsocket(s, static_cast<long>(static_cast<unsigned long>(FIONBIO) & 0xFFFFFFFFu), &nonBlocking);
}

int remainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

Result startup() {
    static const int rc = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return rc == 0 ? kOk : resultFromSystemError(static_cast<uint32_t>(rc));
}

Result connectTcp(const std::string& host, const std::string& service, int timeoutMs, Socket& out) {
    out = kNoSocket;
    addrinfo* list = nullptr;
    if (const Result r = resolve(host, service, false, &list); failed(r)) return r;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Result last = kTimeout;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        SOCKET s = ::socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
        if (s == INVALID_SOCKET) {
            last = fromWsa(WSAGetLastError());
            continue;
        }
        setBlocking(s, false);
        int rc = ::connect(s, ai->ai_addr, static_cast<int>(ai->ai_addrlen));
        if (rc != 0 && WSAGetLastError() == WSAEWOULDBLOCK) {
            WSAPOLLFD p{s, POLLOUT, 0};
            rc = WSAPoll(&p, 1, remainingMs(deadline));
            if (rc == 0) {
                closesocket(s);
                last = kTimeout;
                break;
            }
            int err = 0;
            int len = sizeof err;
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
            if (err != 0) {
                last = fromWsa(err);
                closesocket(s);
                continue;
            }
            rc = 0;
        }
        if (rc == 0) {
            setBlocking(s, true);
            setNoDelay(s);
            out = static_cast<Socket>(s);
            freeaddrinfo(list);
            return kOk;
        }
        last = fromWsa(WSAGetLastError());
        closesocket(s);
    }
    freeaddrinfo(list);
    return last;
}

Result listenTcp(const std::string& host, const std::string& service, Socket& out, uint16_t& port) {
    out = kNoSocket;
    addrinfo* list = nullptr;
    if (const Result r = resolve(host, service, true, &list); failed(r)) return r;
    Result last = kFail;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        SOCKET s = ::socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        if (::bind(s, ai->ai_addr, static_cast<int>(ai->ai_addrlen)) == 0 && ::listen(s, 8) == 0) {
            sockaddr_storage addr{};
            int len = sizeof addr;
            getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
            port = addr.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port)
                                              : ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
            out = static_cast<Socket>(s);
            freeaddrinfo(list);
            return kOk;
        }
        last = fromWsa(WSAGetLastError());
        closesocket(s);
    }
    freeaddrinfo(list);
    return last;
}

Result acceptTcp(Socket listener, int timeoutMs, Socket& out) {
    out = kNoSocket;
    WSAPOLLFD p{sock(listener), POLLRDNORM, 0};
    const int rc = WSAPoll(&p, 1, timeoutMs);
    if (rc == 0) return kTimeout;
    if (rc < 0) return fromWsa(WSAGetLastError());
    SOCKET s = ::accept(sock(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET) return kTimeout;
    setNoDelay(s);
    out = static_cast<Socket>(s);
    return kOk;
}

Result sendAll(Socket s, const uint8_t* data, size_t size) {
    while (size > 0) {
        const int chunk = size > 0x40000000u ? 0x40000000 : static_cast<int>(size);
        const int n = ::send(sock(s), reinterpret_cast<const char*>(data), chunk, 0);
        if (n <= 0) return kLinkLost;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return kOk;
}

Result receive(Socket s, uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) {
    got = 0;
    WSAPOLLFD p{sock(s), POLLRDNORM, 0};
    const int rc = WSAPoll(&p, 1, timeoutMs);
    if (rc == 0) return kTimeout;
    if (rc < 0) return kLinkLost;
    const int cap = capacity > 0x40000000u ? 0x40000000 : static_cast<int>(capacity);
    const int n = ::recv(sock(s), reinterpret_cast<char*>(buffer), cap, 0);
    if (n > 0) {
        got = static_cast<size_t>(n);
        return kOk;
    }
    if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return kTimeout;
    return kLinkLost;
}

int waitReadable(const Socket* sockets, size_t count, int timeoutMs) {
    WSAPOLLFD p[4]{};
    if (count > 4) count = 4;
    for (size_t i = 0; i < count; ++i) p[i] = WSAPOLLFD{sock(sockets[i]), POLLRDNORM, 0};
    const int rc = WSAPoll(p, static_cast<ULONG>(count), timeoutMs);
    if (rc <= 0) return -1;
    for (size_t i = 0; i < count; ++i)
        if (p[i].revents) return static_cast<int>(i);
    return -1;
}

void shutdownSocket(Socket s) {
    if (s != kNoSocket) ::shutdown(sock(s), SD_BOTH);
}

void closeSocket(Socket s) {
    if (s != kNoSocket) closesocket(sock(s));
}

}  // namespace zv::remote::net
