// A serial (COM port) link to an analyzer. The raw port is a byte stream that corrupts, drops
// and inserts bytes; openSerialTransport wraps it in the reliable stream (reliable_stream.h),
// so the frame link above it runs exactly as over TCP or the in-process pair.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/result.h"
#include "zvlkrmt/transport/reliable_stream.h"
#include "zvlkrmt/transport/transport.h"

namespace zv::remote {

struct SerialPortSettings {
    std::string port;            // "COM3" (or "\\\\.\\COM12"); a device path such as /dev/ttyUSB0 elsewhere
    uint32_t baudRate = 115200;
    uint32_t parity = 0;         // 0 none, 1 odd, 2 even
    bool xControl = false;       // software flow control (XON/XOFF)
};

constexpr Result kInvalidArgument = static_cast<Result>(0x80070057u);

// Checks the settings alone: an empty port name, baud rate 0 or parity above 2 are refused with
// kInvalidArgument.
Result checkSerialSettings(const SerialPortSettings& settings);

// Opens the port in raw mode (8 data bits, 1 stop bit, the given baud rate, parity and flow
// control). A port that does not exist fails with the system error (0x80070002), one in use
// with 0x80070005, invalid settings with kInvalidArgument. The result is the plain byte stream
// of the line: no framing, no error correction.
Result openSerialPort(const SerialPortSettings& settings, std::unique_ptr<Transport>& out);

// The reliable stream's packet size and timing for the line speed of the settings.
ReliableStreamOptions serialStreamOptions(const SerialPortSettings& settings);

// Opens the port and returns a reliable byte stream over it (the framing below).
Result openSerialTransport(const SerialPortSettings& settings, std::unique_ptr<Transport>& out);

}  // namespace zv::remote
