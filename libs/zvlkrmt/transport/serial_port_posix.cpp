// Serial ports on POSIX systems: a terminal device in raw mode through termios, read and
// written without blocking so that close() ends a wait at once.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/pseudo_terminal.h"
#include "zvlkrmt/transport/serial_port.h"

namespace zv::remote {
namespace {

// The Windows error a port failure would give there, so that callers see the same codes.
Result portError(int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR: return resultFromSystemError(2);    // file not found
        case EACCES:
        case EPERM:
        case EBUSY: return resultFromSystemError(5);      // access denied (also: in use)
        case ENOTTY: return resultFromSystemError(1);     // not a serial device
        default: return resultFromSystemError(static_cast<uint32_t>(error));
    }
}

bool speedFor(uint32_t baud, speed_t& out) {
    struct Rate {
        uint32_t baud;
        speed_t speed;
    };
    static const Rate kRates[] = {
        {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},
        {38400, B38400},   {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
        {460800, B460800},
#endif
#ifdef B921600
        {921600, B921600},
#endif
    };
    for (const Rate& r : kRates) {
        if (r.baud == baud) {
            out = r.speed;
            return true;
        }
    }
    return false;
}

class FdPort : public Transport {
public:
    // keepOpen: a second descriptor closed together with this one (the pty slave).
    FdPort(int fd, int keepOpen, bool exclusive) : fd_(fd), keepOpen_(keepOpen), exclusive_(exclusive) {
        if (::pipe(wake_) != 0) wake_[0] = wake_[1] = -1;
    }
    ~FdPort() override {
        close();
#ifdef TIOCNXCL
        // The line may stay open elsewhere (a pseudo-terminal's holder): free it for the next.
        if (exclusive_) (void)::ioctl(fd_, TIOCNXCL);
#endif
        ::close(fd_);
        if (keepOpen_ >= 0) ::close(keepOpen_);
        if (wake_[0] >= 0) ::close(wake_[0]);
        if (wake_[1] >= 0) ::close(wake_[1]);
    }

    Result write(const uint8_t* data, size_t size) override {
        while (size > 0) {
            if (closed_) return kLinkLost;
            const ssize_t n = ::write(fd_, data, size);
            if (n > 0) {
                data += n;
                size -= static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return kLinkLost;
            // Full (or held by XOFF): wait for room or close().
            const Result r = waitFor(POLLOUT, 100);
            if (r == kLinkLost) return r;
        }
        return kOk;
    }

    Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        got = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        bool ready = false;  // poll said there was something to read
        for (;;) {
            if (closed_) return kLinkLost;
            const ssize_t n = ::read(fd_, buffer, capacity);
            if (n > 0) {
                got = static_cast<size_t>(n);
                return kOk;
            }
            // A terminal in raw mode reads 0 bytes when there are none; 0 after poll reported
            // the line readable means its other side is gone.
            if (n == 0 && ready) return kLinkLost;
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return kLinkLost;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return kTimeout;
            const Result r = waitFor(POLLIN, static_cast<int>(left.count()));
            if (r == kLinkLost) return r;
            ready = r == kOk;
        }
    }

    void close() override {
        if (closed_.exchange(true)) return;
        if (wake_[1] >= 0) {
            const char b = 1;
            (void)!::write(wake_[1], &b, 1);
        }
    }

private:
    Result waitFor(short events, int timeoutMs) {
        pollfd p[2] = {{fd_, events, 0}, {wake_[0], POLLIN, 0}};
        const int n = ::poll(p, wake_[0] >= 0 ? 2 : 1, timeoutMs);
        if (n < 0 && errno != EINTR) return kLinkLost;
        if (closed_) return kLinkLost;
        if (n > 0 && (p[0].revents & (POLLERR | POLLNVAL))) return kLinkLost;
        // POLLHUP alone: the peer of a pseudo-terminal is away; a read tells for sure.
        if (n > 0 && (p[0].revents & POLLHUP) && !(p[0].revents & events)) return kLinkLost;
        return n == 0 ? kTimeout : kOk;
    }

    int fd_;
    int keepOpen_;
    bool exclusive_;
    int wake_[2] = {-1, -1};
    std::atomic<bool> closed_{false};
};

Result configure(int fd, speed_t speed, uint32_t parity, bool xControl) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return portError(errno);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD | CS8;
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | PARODD);
#ifdef CRTSCTS
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    if (parity == 1) t.c_cflag |= PARENB | PARODD;
    if (parity == 2) t.c_cflag |= PARENB;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    if (parity) t.c_iflag |= INPCK;
    if (xControl) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return portError(errno);
    return kOk;
}

}  // namespace

Result openSerialPort(const SerialPortSettings& settings, std::unique_ptr<Transport>& out) {
    if (const Result r = checkSerialSettings(settings); failed(r)) return r;
    speed_t speed{};
    if (!speedFor(settings.baudRate, speed)) return kInvalidArgument;
    const int fd = ::open(settings.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return portError(errno);
    if (!::isatty(fd)) {
        ::close(fd);
        return portError(ENOTTY);
    }
    // One program at a time, as on Windows.
#ifdef TIOCEXCL
    (void)::ioctl(fd, TIOCEXCL);
#endif
    if (const Result r = configure(fd, speed, settings.parity, settings.xControl); failed(r)) {
        ::close(fd);
        return r;
    }
    ::tcflush(fd, TCIOFLUSH);  // nothing left over from an earlier user of the line
    out = std::make_unique<FdPort>(fd, -1, true);
    return kOk;
}

Result openPseudoTerminal(std::unique_ptr<Transport>& master, std::string& slavePath) {
    const int m = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0) return portError(errno);
    const char* name = nullptr;
    if (::grantpt(m) != 0 || ::unlockpt(m) != 0 || (name = ::ptsname(m)) == nullptr) {
        const int e = errno;
        ::close(m);
        return portError(e);
    }
    slavePath = name;
    const int s = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (s < 0) {
        const int e = errno;
        ::close(m);
        return portError(e);
    }
    // Raw until the PC program sets the line up itself: no echo of what the emulator writes.
    if (const Result r = configure(s, B115200, 0, false); failed(r)) {
        ::close(s);
        ::close(m);
        return r;
    }
    ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);
    ::fcntl(m, F_SETFD, FD_CLOEXEC);
    master = std::make_unique<FdPort>(m, s, false);
    return kOk;
}

}  // namespace zv::remote
