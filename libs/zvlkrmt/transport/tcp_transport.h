// TCP through the LAN adapter: a control connection (the adapter grants a session) and a data
// connection (attached to that session, then carrying the frames of the link).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "zvlkrmt/transport/net.h"
#include "zvlkrmt/transport/transport.h"

namespace zv::remote {

struct TcpEndpoint {
    std::string host;
    std::string dataService;     // port number or service name
    std::string controlService;
};

// Opens both connections and runs the adapter handshake within timeoutMs per step.
// Unknown host 0x80072AF9, no answer 0x80070102, the adapter's refusal as it sent it.
Result openTcpTransport(const TcpEndpoint& endpoint, int timeoutMs, std::unique_ptr<Transport>& out);

// A transport over an established data connection, watching the control connection for the
// end of the session. Takes ownership of both sockets. Used by both ends.
std::unique_ptr<Transport> makeTcpTransport(net::Socket data, net::Socket control);

// Handshake helpers (also used by the emulator's adapter server): send one frame on a socket,
// and read exactly one frame within timeoutMs. The peer sends nothing further until it gets an
// answer, so reading one frame never swallows bytes of the link that follows.
Result sendFrame(net::Socket s, uint8_t type, const std::vector<uint8_t>& payload);
Result readOneFrame(net::Socket s, int timeoutMs, uint8_t& type, std::vector<uint8_t>& payload);

}  // namespace zv::remote
