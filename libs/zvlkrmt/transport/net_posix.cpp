#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/net.h"

namespace zv::remote::net {
namespace {

// The Winsock numbers of the same failures, so both platforms report the same codes.
constexpr uint32_t kWsaConnRefused = 10061;
constexpr uint32_t kWsaTypeNotFound = 10109;

Result fromErrno(int e) {
    if (e == ECONNREFUSED) return resultFromSystemError(kWsaConnRefused);
    if (e == ETIMEDOUT) return kTimeout;
    return resultFromSystemError(static_cast<uint32_t>(e));
}

Result resolve(const std::string& host, const std::string& service, bool passive, addrinfo** out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = passive ? AI_PASSIVE : 0;
    const int rc = getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, out);
    if (rc == 0) return kOk;
    if (rc == EAI_SERVICE) return resultFromSystemError(kWsaTypeNotFound);
    return kHostNotFound;
}

void setNoDelay(int fd) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

int remainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

Result startup() {
    // A peer that vanishes must show up as a failed send, not as a signal that ends the process.
    std::signal(SIGPIPE, SIG_IGN);
    return kOk;
}

Result connectTcp(const std::string& host, const std::string& service, int timeoutMs, Socket& out) {
    out = kNoSocket;
    addrinfo* list = nullptr;
    if (const Result r = resolve(host, service, false, &list); failed(r)) return r;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Result last = kTimeout;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            last = fromErrno(errno);
            continue;
        }
        const int flags = fcntl(fd, F_GETFL, 0);
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
        int rc = ::connect(fd, ai->ai_addr, ai->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            rc = ::poll(&p, 1, remainingMs(deadline));
            if (rc == 0) {
                ::close(fd);
                last = kTimeout;
                break;  // the time is used up
            }
            int err = 0;
            socklen_t len = sizeof err;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
            rc = err == 0 ? 0 : -1;
            errno = err;
        }
        if (rc == 0) {
            fcntl(fd, F_SETFL, flags);
            setNoDelay(fd);
            out = fd;
            freeaddrinfo(list);
            return kOk;
        }
        last = fromErrno(errno);
        ::close(fd);
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
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) continue;
        int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, ai->ai_addr, ai->ai_addrlen) == 0 && ::listen(fd, 8) == 0) {
            sockaddr_storage addr{};
            socklen_t len = sizeof addr;
            getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
            port = addr.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port)
                                              : ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
            out = fd;
            freeaddrinfo(list);
            return kOk;
        }
        last = fromErrno(errno);
        ::close(fd);
    }
    freeaddrinfo(list);
    return last;
}

Result acceptTcp(Socket listener, int timeoutMs, Socket& out) {
    out = kNoSocket;
    pollfd p{static_cast<int>(listener), POLLIN, 0};
    const int rc = ::poll(&p, 1, timeoutMs);
    if (rc == 0) return kTimeout;
    if (rc < 0) return errno == EINTR ? kTimeout : fromErrno(errno);
    const int fd = ::accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return errno == EAGAIN || errno == EINTR ? kTimeout : fromErrno(errno);
    setNoDelay(fd);
    out = fd;
    return kOk;
}

Result sendAll(Socket s, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(static_cast<int>(s), data, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return kLinkLost;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return kOk;
}

Result receive(Socket s, uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) {
    got = 0;
    pollfd p{static_cast<int>(s), POLLIN, 0};
    const int rc = ::poll(&p, 1, timeoutMs);
    if (rc == 0 || (rc < 0 && errno == EINTR)) return kTimeout;
    if (rc < 0) return kLinkLost;
    const ssize_t n = ::recv(static_cast<int>(s), buffer, capacity, 0);
    if (n > 0) {
        got = static_cast<size_t>(n);
        return kOk;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return kTimeout;
    return kLinkLost;
}

int waitReadable(const Socket* sockets, size_t count, int timeoutMs) {
    pollfd p[4]{};
    if (count > 4) count = 4;
    for (size_t i = 0; i < count; ++i) p[i] = pollfd{static_cast<int>(sockets[i]), POLLIN, 0};
    const int rc = ::poll(p, count, timeoutMs);
    if (rc <= 0) return -1;
    for (size_t i = 0; i < count; ++i)
        if (p[i].revents) return static_cast<int>(i);
    return -1;
}

void shutdownSocket(Socket s) {
    if (s != kNoSocket) ::shutdown(static_cast<int>(s), SHUT_RDWR);
}

void closeSocket(Socket s) {
    if (s != kNoSocket) ::close(static_cast<int>(s));
}

}  // namespace zv::remote::net
