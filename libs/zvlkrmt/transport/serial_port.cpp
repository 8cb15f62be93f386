// The parts of the serial transport common to every system: checking the settings and
// choosing the reliable stream's timing for the line speed.
#include <algorithm>

#include "zvlkrmt/transport/serial_port.h"

namespace zv::remote {

Result checkSerialSettings(const SerialPortSettings& settings) {
    if (settings.port.empty() || settings.baudRate == 0 || settings.parity > 2) return kInvalidArgument;
    return kOk;
}

ReliableStreamOptions serialStreamOptions(const SerialPortSettings& settings) {
    ReliableStreamOptions o;
    o.escapeFlowControl = settings.xControl;
    // Start, 8 data bits, parity, stop.
    const uint64_t bytesPerSecond = std::max<uint64_t>(1, settings.baudRate / (settings.parity ? 11 : 10));
    o.packetPayload = settings.baudRate >= 57600 ? 1024 : 256;
    o.window = 8;
    // An acknowledgement may wait behind a whole window going the other way: wait for two
    // windows' time before sending again.
    const uint64_t windowBytes = uint64_t{o.window} * (o.packetPayload + 32);
    const uint64_t windowMs = windowBytes * 1000 / bytesPerSecond;
    o.retransmitMs = static_cast<int>(std::clamp<uint64_t>(2 * windowMs + 100, 250, 30000));
    o.keepAliveMs = 500;
    o.linkLostMs = std::max(5000, 4 * o.retransmitMs);
    return o;
}

Result openSerialTransport(const SerialPortSettings& settings, std::unique_ptr<Transport>& out) {
    std::unique_ptr<Transport> raw;
    if (const Result r = openSerialPort(settings, raw); failed(r)) return r;
    out = makeReliableStream(std::move(raw), serialStreamOptions(settings));
    return kOk;
}

}  // namespace zv::remote
