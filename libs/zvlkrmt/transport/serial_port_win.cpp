// Serial ports on Windows: "\\.\COMn" opened for overlapped I/O, so that a read waiting for
// bytes and a write held by XOFF run side by side and close() ends either at once.
#include <windows.h>

#include <atomic>
#include <chrono>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/serial_port.h"

namespace zv::remote {
namespace {

Result lastError() { return resultFromSystemError(GetLastError()); }

class ComPort : public Transport {
public:
    explicit ComPort(HANDLE h)
        : h_(h),
          closeEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          readEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          writeEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~ComPort() override {
        close();
        CloseHandle(h_);
        CloseHandle(closeEvent_);
        CloseHandle(readEvent_);
        CloseHandle(writeEvent_);
    }

    Result write(const uint8_t* data, size_t size) override {
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(size > 65536 ? 65536 : size);
            DWORD done = 0;
            const Result r = overlapped(false, const_cast<uint8_t*>(data), chunk, done, INFINITE);
            if (failed(r) && r != kTimeout) return r;
            data += done;
            size -= done;
        }
        return kOk;
    }

    Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        got = 0;
        const DWORD want = static_cast<DWORD>(capacity > 65536 ? 65536 : capacity);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        for (;;) {
            // The port's time-outs make a read return at once with what is there.
            DWORD done = 0;
            const Result r = overlapped(true, buffer, want, done, INFINITE);
            if (failed(r)) return r;
            if (done > 0) {
                got = done;
                return kOk;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return kTimeout;
            // Wait for the next byte; in short slices, since a byte that came between the read
            // and this wait may not raise the event.
            if (const Result w = waitForByte(static_cast<DWORD>(left.count() < 20 ? left.count() : 20)); failed(w)) return w;
        }
    }

    void close() override {
        if (!closed_.exchange(true)) SetEvent(closeEvent_);
    }

private:
    Result waitForByte(DWORD waitMs) {
        COMSTAT stat{};
        DWORD errors = 0;
        if (ClearCommError(h_, &errors, &stat) && stat.cbInQue > 0) return kOk;
        OVERLAPPED ov{};
        ov.hEvent = readEvent_;
        ResetEvent(ov.hEvent);
        DWORD mask = 0;
        if (!WaitCommEvent(h_, &mask, &ov) && GetLastError() != ERROR_IO_PENDING) {
            // No event support: fall back to waiting out the slice.
            return WaitForSingleObject(closeEvent_, waitMs) == WAIT_OBJECT_0 ? kLinkLost : kOk;
        }
        const HANDLE events[2] = {ov.hEvent, closeEvent_};
        const DWORD w = WaitForMultipleObjects(2, events, FALSE, waitMs);
        if (w != WAIT_OBJECT_0) CancelIoEx(h_, &ov);
        DWORD ignored = 0;
        (void)GetOverlappedResult(h_, &ov, &ignored, TRUE);
        return closed_ ? kLinkLost : kOk;
    }

    Result overlapped(bool reading, uint8_t* p, DWORD n, DWORD& done, DWORD waitMs) {
        done = 0;
        if (closed_) return kLinkLost;
        OVERLAPPED ov{};
        ov.hEvent = reading ? readEvent_ : writeEvent_;
        ResetEvent(ov.hEvent);
        const BOOL ok = reading ? ReadFile(h_, p, n, nullptr, &ov) : WriteFile(h_, p, n, nullptr, &ov);
        if (!ok && GetLastError() != ERROR_IO_PENDING) return kLinkLost;
        const HANDLE events[2] = {ov.hEvent, closeEvent_};
        const DWORD w = WaitForMultipleObjects(2, events, FALSE, waitMs);
        if (w != WAIT_OBJECT_0) CancelIoEx(h_, &ov);
        if (!GetOverlappedResult(h_, &ov, &done, TRUE)) {
            const DWORD e = GetLastError();
            if (e == ERROR_OPERATION_ABORTED) return closed_ ? kLinkLost : kTimeout;
            return kLinkLost;
        }
        return closed_ && done == 0 ? kLinkLost : kOk;
    }

    HANDLE h_;
    HANDLE closeEvent_;
    HANDLE readEvent_;
    HANDLE writeEvent_;
    std::atomic<bool> closed_{false};
};

}  // namespace

Result openSerialPort(const SerialPortSettings& settings, std::unique_ptr<Transport>& out) {
    if (const Result r = checkSerialSettings(settings); failed(r)) return r;
    // COM10 and above only open by their device name; it works for every port.
    std::string name = settings.port;
    if (name.rfind("\\\\.\\", 0) != 0) name = "\\\\.\\" + name;
    const HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lastError();

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) {
        const Result r = lastError();
        CloseHandle(h);
        return r;
    }
    dcb.BaudRate = settings.baudRate;
    dcb.fBinary = TRUE;
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    dcb.Parity = settings.parity == 1 ? ODDPARITY : settings.parity == 2 ? EVENPARITY : NOPARITY;
    dcb.fParity = settings.parity ? TRUE : FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = settings.xControl ? TRUE : FALSE;
    dcb.fInX = settings.xControl ? TRUE : FALSE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    // A read returns at once with what is there (the waiting is done with WaitCommEvent);
    // writes have no time-out of their own (close() ends them).
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    if (!SetCommState(h, &dcb) || !SetCommTimeouts(h, &timeouts) || !SetCommMask(h, EV_RXCHAR)) {
        const Result r = lastError();
        CloseHandle(h);
        return r == kOk ? kInvalidArgument : r;
    }
    SetupComm(h, 16384, 16384);
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
    out = std::make_unique<ComPort>(h);
    return kOk;
}

}  // namespace zv::remote
