// The portable client of the remote library: connects to an analyzer over a transport, runs
// requests of the kinds the session submits (1 connect, 2 disconnect, 3 key, 4 measurement
// start/stop, 5 receive, 6 send, 8 set clock, 9 wait for event) and reports completions and
// notifications through a callback interface, always on the client's own thread. The Win32
// library shell and zvremote wrap this.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

#include "base/result.h"
#include "zvlkrmt/protocol/link.h"
#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/transport.h"

namespace zv::remote {

// One request, with the fields of the library's request record.
struct ClientRequest {
    uint32_t kind = 0;
    Result result = kOk;
    uint32_t param1 = 0, param2 = 0, param3 = 0, param4 = 0;
    // Kind 5: receive into this memory (capacity param3); null hands the bytes to
    // onReceiveBlock instead. Kind 6: the bytes to send (param3 is set to their length).
    uint8_t* memory = nullptr;
    std::vector<uint8_t> sendData;
    // Opaque for the caller (the Win32 shell keeps its request object here).
    void* context = nullptr;

    // Filled by the client.
    uint32_t id = 0;
    uint32_t received = 0;
    uint32_t total = 0;
};
using RequestPtr = std::shared_ptr<ClientRequest>;

// The connect result when the callback does not accept the analyzer's type: the same code as
// an analyzer that speaks no common protocol version, since both mean "not compatible".
constexpr Result kRefusedDevice = kRefusedVersion;

class RemoteCallback {
public:
    virtual ~RemoteCallback() = default;
    // Before the connect completes; 0 refuses the analyzer (the link ends and the connect fails
    // with kRefusedDevice), anything else accepts it.
    virtual uint32_t onDeviceType(uint32_t boardType, uint32_t value) {
        (void)boardType;
        (void)value;
        return 1;
    }
    virtual void onStateChanged() {}
    virtual void onRequestDone(const RequestPtr& request) { (void)request; }
    virtual void onProgress(const RequestPtr& request, uint32_t done, uint32_t total) {
        (void)request;
        (void)done;
        (void)total;
    }
    // The link ended by itself (not by a disconnect request or close()): reason is the result
    // the pending requests completed with (kLinkLost, kTimeout, kProtocolError, kWrongLength,
    // kUnexpectedCompletion, kUnrequestedData, or an analyzer's Error message's result).
    virtual void onDisconnected(Result reason) { (void)reason; }
    virtual void onStatusChanged(uint32_t status) { (void)status; }
    virtual void onScreenChanged() {}
    virtual void onMonitorData(uint32_t position, const uint8_t* data, uint32_t bytes) {
        (void)position;
        (void)data;
        (void)bytes;
    }
    // Bytes of a receive without memory: bytes in, bytes taken out; a failure ends the transfer
    // with that result.
    virtual Result onReceiveBlock(const RequestPtr& request, const uint8_t* data, uint32_t& bytes) {
        (void)request;
        (void)data;
        (void)bytes;
        return kOk;
    }
};

// Opens the transport of a connect (TCP through the adapter, or an in-process analyzer).
using Connector = std::function<Result(std::unique_ptr<Transport>&)>;

struct ClientOptions {
    int answerTimeoutMs = 5000;   // silence from a connected analyzer longer than this is a time-out
    int keepAliveMs = 1000;       // a Ping this often, so that a quiet analyzer still answers
    // The slowest the line under the link carries bytes (a serial line: baud / 10), 0 for a
    // link without a slow line of its own. A frame may take the answer time-out plus twice its
    // time on that line to arrive: one that takes longer was cut short, or its head announced
    // more than was sent, and what trickles in after it (keep-alive answers) would otherwise
    // keep an analyzer that answers nothing more alive for minutes.
    uint64_t lineBytesPerSecond = 0;
    uint32_t receiveWindow = kDefaultWindow;
    std::string serial;           // the analyzer asked for in the Hello (empty: any)
};

class RemoteClient {
public:
    RemoteClient(RemoteCallback& callback, ClientOptions options = {});
    // Ends the link and joins the client's thread: never from inside a callback.
    ~RemoteClient();
    RemoteClient(const RemoteClient&) = delete;
    RemoteClient& operator=(const RemoteClient&) = delete;

    void setConnector(Connector connector);
    void setOptions(const ClientOptions& options);

    // Takes the request; its completion comes through onRequestDone on the client's thread.
    // Fails at once only for a request it cannot take (unknown kind, connect while connected).
    Result submit(const RequestPtr& request);
    // Ends the transfer in progress (the oldest unfinished receive or send) with 0x800704C7.
    // Returns 1 when no transfer runs.
    Result cancel();
    // Ends the link without a disconnect request; no further callbacks for it, and requests
    // still pending are dropped. Safe from any thread, callbacks included.
    void close();

    int state() const { return state_; }
    uint32_t status() const { return status_; }
    // Periodic screen updates from the analyzer (ms, -1 = off).
    Result setScreenInterval(int milliseconds);
    void readScreen(uint8_t* out, size_t size) const;

private:
    struct Connection {
        std::unique_ptr<Transport> transport;
        std::unique_ptr<FrameLink> link;
    };
    struct Outgoing {
        RequestPtr request;
        size_t sent = 0;
    };

    void run();
    // Takes the request, so that it is let go once completed rather than when the link ends.
    void connect(RequestPtr request);
    void serve(const std::shared_ptr<Connection>& conn);
    bool onFrame(const std::shared_ptr<Connection>& conn, const FrameView& f);
    bool onRequestDone(const std::shared_ptr<Connection>& conn, const FrameView& f);
    bool onBlockData(const std::shared_ptr<Connection>& conn, const FrameView& f);
    // A request completed here, ahead of the analyzer's answer; mutex_ held.
    void settleLocked(uint32_t id);
    // Sends what credit allows of the pending send data; sendMutex_ held.
    void pumpSendsLocked(const std::shared_ptr<Connection>& conn);
    // Ends the link: pending requests complete with result; lost = report onDisconnected.
    void endLink(const std::shared_ptr<Connection>& conn, Result result, bool lost);
    void completeLocally(const RequestPtr& request, Result result);
    void deliverLocal();
    std::shared_ptr<Connection> connection() const;

    RemoteCallback& callback_;
    mutable std::mutex mutex_;
    std::mutex sendMutex_;  // keeps each Request ahead of its data, and the data in order
    std::condition_variable wake_;
    ClientOptions options_;
    Connector connector_;
    std::shared_ptr<Connection> conn_;
    std::deque<RequestPtr> connects_;
    std::deque<RequestPtr> localDone_;       // completions decided outside the link
    std::map<uint32_t, RequestPtr> pending_; // sent to the analyzer, awaiting RequestDone
    // Completed here before the analyzer answered (cancelled, or refused by the destination):
    // their data still on the way is dropped and their one late completion is taken quietly.
    // Anything else for an id outside pending_ is an unexpected completion.
    std::set<uint32_t> settled_;
    std::deque<Outgoing> outgoing_;          // sends with data still to go
    std::array<uint8_t, kScreenBytes> screen_{};
    int screenInterval_ = -1;
    uint32_t nextId_ = 1;
    bool stopping_ = false;
    std::atomic<int> state_{0};
    std::atomic<uint32_t> status_{0};
    std::thread thread_;
};

}  // namespace zv::remote
