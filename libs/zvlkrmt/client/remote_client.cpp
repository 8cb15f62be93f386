#include "zvlkrmt/client/remote_client.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace zv::remote {

using Clock = std::chrono::steady_clock;

namespace {
// Requests completed here whose late answers are still expected; beyond this the oldest go.
constexpr size_t kMaxSettled = 1024;

// True when the frame in assembly has been arriving for longer than the answer time-out plus
// twice its time on the line; since and framesBefore follow the frames from call to call.
bool frameOverdue(const FrameLink& link, const ClientOptions& options, Clock::time_point now,
                  Clock::time_point& since, uint64_t& framesBefore) {
    const size_t partial = link.partialFrameSize();
    const uint64_t frames = link.framesDecoded();
    if (partial == 0 || frames != framesBefore) {
        since = now;
        framesBefore = frames;
        return false;
    }
    const uint64_t lineMs = options.lineBytesPerSecond ? 2000 * uint64_t{partial} / options.lineBytesPerSecond : 0;
    return now - since > std::chrono::milliseconds(options.answerTimeoutMs + static_cast<int64_t>(lineMs));
}
}  // namespace

RemoteClient::RemoteClient(RemoteCallback& callback, ClientOptions options)
    : callback_(callback), options_(std::move(options)) {
    thread_ = std::thread([this] { run(); });
}

RemoteClient::~RemoteClient() {
    std::shared_ptr<Connection> c;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        c = conn_;
        wake_.notify_all();
    }
    if (c) c->link->end();
    thread_.join();
}

void RemoteClient::setConnector(Connector connector) {
    std::lock_guard lock(mutex_);
    connector_ = std::move(connector);
}

void RemoteClient::setOptions(const ClientOptions& options) {
    std::lock_guard lock(mutex_);
    options_ = options;
}

std::shared_ptr<RemoteClient::Connection> RemoteClient::connection() const {
    std::lock_guard lock(mutex_);
    return conn_;
}

Result RemoteClient::submit(const RequestPtr& request) {
    if (!request) return kPointerMissing;
    switch (request->kind) {
        case kKindConnect: case kKindDisconnect: case kKindKey: case kKindMeasurement:
        case kKindReceive: case kKindSend: case kKindSetClock: case kKindWaitEvent: break;
        default: return kBadBlock;
    }
    if (request->kind == kKindConnect) {
        std::lock_guard lock(mutex_);
        if (conn_ || !connects_.empty()) return kBusyRequest;
        connects_.push_back(request);
        wake_.notify_all();
        return kOk;
    }
    if (request->kind == kKindSend) {
        if (request->sendData.size() > kDataChunk) return kBadBlock;
        request->param3 = static_cast<uint32_t>(request->sendData.size());
    }
    std::shared_ptr<Connection> conn;
    {
        std::lock_guard lock(mutex_);
        conn = conn_;
        if (!conn) {
            request->result = kNotConnected;
            localDone_.push_back(request);
            wake_.notify_all();
            return kOk;
        }
        request->id = nextId_++;
        request->received = 0;
        request->total = 0;
        request->result = kOk;
        pending_[request->id] = request;
    }
    // The request frame goes out before any of its data, whichever thread sends the data.
    std::lock_guard sendLock(sendMutex_);
    const RequestMsg m{request->id, request->kind, request->param1, request->param2, request->param3, request->param4};
    conn->link->send(MsgType::Request, m.encode());
    if (request->kind == kKindSend) {
        {
            std::lock_guard lock(mutex_);
            outgoing_.push_back({request, 0});
        }
        pumpSendsLocked(conn);
    }
    return kOk;
}

Result RemoteClient::cancel() {
    RequestPtr victim;
    std::shared_ptr<Connection> conn;
    {
        std::lock_guard lock(mutex_);
        for (auto& [id, r] : pending_) {
            if (r->kind == kKindReceive || r->kind == kKindSend) {
                victim = r;
                break;
            }
        }
        if (!victim) return kFalse;
        pending_.erase(victim->id);
        settleLocked(victim->id);
        outgoing_.erase(std::remove_if(outgoing_.begin(), outgoing_.end(),
                                       [&](const Outgoing& o) { return o.request == victim; }),
                        outgoing_.end());
        victim->result = kCancelled;
        localDone_.push_back(victim);
        conn = conn_;
        wake_.notify_all();
    }
    // The analyzer stops sending; anything of it still on the way is dropped on arrival.
    if (conn) conn->link->send(MsgType::Cancel, encodeU32(victim->id));
    return kOk;
}

void RemoteClient::close() {
    std::shared_ptr<Connection> c;
    {
        std::lock_guard lock(mutex_);
        c = std::move(conn_);
        pending_.clear();
        settled_.clear();
        outgoing_.clear();
        state_ = 0;
        status_ = 0;
    }
    if (c) c->link->end();
}

Result RemoteClient::setScreenInterval(int milliseconds) {
    std::shared_ptr<Connection> c;
    {
        std::lock_guard lock(mutex_);
        screenInterval_ = milliseconds < 0 ? -1 : milliseconds;
        c = conn_;
    }
    if (c) c->link->send(MsgType::ScreenInterval, encodeU32(static_cast<uint32_t>(milliseconds < 0 ? -1 : milliseconds)));
    return kOk;
}

void RemoteClient::readScreen(uint8_t* out, size_t size) const {
    std::lock_guard lock(mutex_);
    std::memcpy(out, screen_.data(), std::min(size, screen_.size()));
}

void RemoteClient::deliverLocal() {
    std::deque<RequestPtr> done;
    {
        std::lock_guard lock(mutex_);
        done.swap(localDone_);
    }
    for (const auto& r : done) callback_.onRequestDone(r);
}

void RemoteClient::run() {
    for (;;) {
        RequestPtr connectRequest;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !connects_.empty() || !localDone_.empty(); });
            if (stopping_) return;
            if (!connects_.empty()) {
                connectRequest = connects_.front();
                connects_.pop_front();
            }
        }
        deliverLocal();
        if (connectRequest) connect(std::move(connectRequest));
    }
}

void RemoteClient::connect(RequestPtr request) {
    Connector connector;
    ClientOptions options;
    {
        std::lock_guard lock(mutex_);
        connector = connector_;
        options = options_;
    }
    auto finish = [&](Result r) {
        request->result = r;
        callback_.onRequestDone(request);
    };
    if (!connector) return finish(kNotConnected);
    auto conn = std::make_shared<Connection>();
    if (const Result r = connector(conn->transport); failed(r) || !conn->transport) return finish(failed(r) ? r : kFail);
    conn->link = std::make_unique<FrameLink>(*conn->transport, options.receiveWindow);

    HelloMsg hello;
    hello.receiveWindow = conn->link->ownWindow();
    hello.maxPayload = kMaxPayload;
    hello.serial = makeSerial(options.serial);
    if (const Result r = conn->link->send(MsgType::Hello, hello.encode()); failed(r)) {
        conn->link->end();
        return finish(r);
    }
    // Wait for the answer; frames that arrive right behind it are kept for later.
    std::optional<HelloAckMsg> ack;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> early;
    bool bad = false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(options.answerTimeoutMs);
    while (!ack && !bad) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) break;
        }
        if (Clock::now() >= deadline) {
            conn->link->end();
            return finish(kTimeout);
        }
        Result problem = kOk;
        const Result r = conn->link->pump(20, [&](const FrameView& f) {
            if (ack) {
                early.emplace_back(f.type, std::vector<uint8_t>(f.payload, f.payload + f.size));
                return true;
            }
            if (f.type == static_cast<uint8_t>(MsgType::HelloAck)) {
                ack = HelloAckMsg::decode(f.payload, f.size);
                if (!ack) problem = kWrongLength;
            } else {
                // Nothing but the answer to the Hello may come first; a completion would be one
                // for a request never made.
                problem = f.type == static_cast<uint8_t>(MsgType::RequestDone) ? kUnexpectedCompletion : kProtocolError;
            }
            bad = failed(problem);
            return !bad;
        });
        if (bad) {
            conn->link->end();
            return finish(problem);
        }
        if (r == kLinkLost || (failed(r) && r != kTimeout)) {
            conn->link->end();
            return finish(r);
        }
    }
    if (!ack) {
        conn->link->end();
        return finish(kCancelled);
    }
    if (failed(ack->result)) {
        conn->link->end();
        return finish(ack->result);
    }
    if (ack->version == 0 || ack->version > kProtocolVersionMax) {
        conn->link->end();
        return finish(kRefusedVersion);
    }
    conn->link->setPeerWindow(ack->receiveWindow);
    if (callback_.onDeviceType(ack->boardType, ack->deviceValue) == 0) {
        conn->link->end();
        return finish(kRefusedDevice);
    }
    int interval;
    {
        std::lock_guard lock(mutex_);
        conn_ = conn;
        interval = screenInterval_;
        status_ = ack->status;
    }
    state_ = 1;
    callback_.onStateChanged();
    finish(kOk);
    request.reset();
    if (interval >= 0) conn->link->send(MsgType::ScreenInterval, encodeU32(static_cast<uint32_t>(interval)));
    for (const auto& [type, payload] : early) {
        const FrameView f{type, 0, payload.data(), payload.size()};
        if (!onFrame(conn, f)) break;
    }
    // A frame that came with the answer may have broken the link already.
    if (failed(conn->link->problem())) {
        endLink(conn, conn->link->problem(), true);
        deliverLocal();
        return;
    }
    serve(conn);
}

void RemoteClient::serve(const std::shared_ptr<Connection>& conn) {
    auto lastReceive = Clock::now();
    auto lastPing = Clock::now();
    auto frameSince = Clock::now();  // when the frame in assembly began to arrive
    uint64_t framesBefore = conn->link->framesDecoded();
    for (;;) {
        ClientOptions options;
        {
            std::lock_guard lock(mutex_);
            if (stopping_ || conn_ != conn) break;
            options = options_;
        }
        const Result r = conn->link->pump(10, [&](const FrameView& f) { return onFrame(conn, f); });
        if (r == kOk) lastReceive = Clock::now();
        if (r == kLinkLost || conn->link->ended()) {
            endLink(conn, kLinkLost, true);
            break;
        }
        if (failed(r) && r != kTimeout) {
            // The analyzer broke the protocol: the link ends with the problem as its result.
            endLink(conn, r, true);
            break;
        }
        {
            std::lock_guard sendLock(sendMutex_);
            pumpSendsLocked(conn);
        }
        deliverLocal();
        const auto now = Clock::now();
        if (now - lastPing >= std::chrono::milliseconds(options.keepAliveMs)) {
            conn->link->send(MsgType::Ping, encodeU32(0));
            lastPing = now;
        }
        // Silence, or bytes that never make a frame whole.
        if (now - lastReceive >= std::chrono::milliseconds(options.answerTimeoutMs) ||
            frameOverdue(*conn->link, options, now, frameSince, framesBefore)) {
            endLink(conn, kTimeout, true);
            break;
        }
    }
    deliverLocal();
}

void RemoteClient::pumpSendsLocked(const std::shared_ptr<Connection>& conn) {
    for (;;) {
        RequestPtr r;
        size_t at = 0;
        size_t n = 0;
        {
            std::lock_guard lock(mutex_);
            if (outgoing_.empty()) return;
            Outgoing& o = outgoing_.front();
            r = o.request;
            at = o.sent;
            n = std::min(r->sendData.size() - at, kDataChunk - kDataHead);
            if (!conn->link->tryTakeCredit(kDataHead + n)) return;
            o.sent += n;
            if (o.sent >= r->sendData.size()) outgoing_.pop_front();
        }
        const DataMsgHead head{r->id, static_cast<uint32_t>(at), static_cast<uint32_t>(r->sendData.size())};
        conn->link->send(MsgType::SendData, encodeData(head, r->sendData.data() + at, n));
        if (r->sendData.empty()) return;
    }
}

bool RemoteClient::onFrame(const std::shared_ptr<Connection>& conn, const FrameView& f) {
    // Every message has its exact size (data messages: a head and what fits their limit), so a
    // payload that fails to decode has a length its type cannot have.
    auto bad = [&](Result problem) {
        conn->link->markBadMessage(problem);
        return false;
    };
    switch (static_cast<MsgType>(f.type)) {
        case MsgType::RequestDone: return onRequestDone(conn, f);
        case MsgType::BlockData: return onBlockData(conn, f);
        case MsgType::MonitorData: {
            const auto position = decodeMonitorHead(f.payload, f.size);
            if (!position) return bad(kWrongLength);
            // Monitor data flows between the analyzer's Status of a start and that of the end;
            // outside them it is a flood nobody asked for.
            if ((status_ & kStatusMeasuring) == 0) return bad(kUnrequestedData);
            conn->link->consumed(f.size);
            callback_.onMonitorData(*position, f.payload + kMonitorHead, static_cast<uint32_t>(f.size - kMonitorHead));
            return true;
        }
        case MsgType::Status: {
            const auto m = StatusMsg::decode(f.payload, f.size);
            if (!m) return bad(kWrongLength);
            status_ = m->status;
            callback_.onStatusChanged(m->status);
            return true;
        }
        case MsgType::Screen: {
            if (f.size != kScreenBytes) return bad(kWrongLength);
            {
                std::lock_guard lock(mutex_);
                std::memcpy(screen_.data(), f.payload, kScreenBytes);
            }
            callback_.onScreenChanged();
            return true;
        }
        case MsgType::Ping:
            if (f.size != 4) return bad(kWrongLength);
            conn->link->send(MsgType::Pong, std::vector<uint8_t>(f.payload, f.payload + f.size));
            return true;
        case MsgType::Pong: return f.size == 4 ? true : bad(kWrongLength);
        // The answer to the Hello a second time: a completion of the connect, which is over.
        case MsgType::HelloAck: return bad(kUnexpectedCompletion);
        case MsgType::Error: {
            const auto m = ErrorMsg::decode(f.payload, f.size);
            endLink(conn, m && failed(m->result) ? m->result : kLinkLost, true);
            return false;
        }
        default: return bad(kProtocolError);
    }
}

bool RemoteClient::onRequestDone(const std::shared_ptr<Connection>& conn, const FrameView& f) {
    const auto m = RequestDoneMsg::decode(f.payload, f.size);
    if (!m) {
        conn->link->markBadMessage(kWrongLength);
        return false;
    }
    RequestPtr r;
    bool unexpected = false;
    {
        std::lock_guard lock(mutex_);
        auto it = pending_.find(m->id);
        if (it == pending_.end()) {
            // The one late answer of a request completed here already is expected; any other
            // completion is for a request never made on this link, or a second one. Ids are
            // never reused, so it cannot complete another request: the link ends instead,
            // since an analyzer that answers what it was not asked has lost track of the
            // conversation and its next answers cannot be trusted either.
            if (settled_.erase(m->id) > 0) return true;
            unexpected = true;
        } else {
            r = it->second;
            const bool sendUnfinished =
                std::any_of(outgoing_.begin(), outgoing_.end(), [&](const Outgoing& o) { return o.request == r; });
            // A completion of another kind, or a success before all of the request's data went
            // out (send) or came in (receive), answers some other request than this one.
            unexpected = m->kind != r->kind ||
                         (succeeded(m->result) &&
                          (sendUnfinished || (r->kind == kKindReceive && r->total != 0 && r->received != r->total)));
            if (!unexpected) {
                pending_.erase(it);
                outgoing_.erase(std::remove_if(outgoing_.begin(), outgoing_.end(),
                                               [&](const Outgoing& o) { return o.request == r; }),
                                outgoing_.end());
            }
        }
    }
    if (unexpected) {
        conn->link->markBadMessage(kUnexpectedCompletion);
        return false;
    }
    r->result = m->result;
    switch (r->kind) {
        case kKindMeasurement: r->param2 = m->param2; break;
        case kKindWaitEvent:
            r->param2 = m->param2;
            r->param3 = m->param3;
            break;
        case kKindReceive: r->param4 = r->received; break;  // what actually arrived
        case kKindSend: r->param4 = m->param4; break;
        default: break;
    }
    callback_.onRequestDone(r);
    if (r->kind == kKindDisconnect) {
        endLink(conn, kLinkLost, false);
        return false;
    }
    return true;
}

bool RemoteClient::onBlockData(const std::shared_ptr<Connection>& conn, const FrameView& f) {
    auto bad = [&](Result problem) {
        conn->link->markBadMessage(problem);
        return false;
    };
    const auto head = decodeDataHead(f.payload, f.size);
    if (!head) return bad(kWrongLength);
    conn->link->consumed(f.size);
    RequestPtr r;
    {
        std::lock_guard lock(mutex_);
        auto it = pending_.find(head->id);
        if (it == pending_.end()) {
            // A cancelled transfer's tail is dropped; data for any other request is not ours.
            if (settled_.count(head->id)) return true;
            return bad(kUnexpectedCompletion);
        }
        r = it->second;
    }
    const auto n = static_cast<uint32_t>(f.size - kDataHead);
    if (r->kind != kKindReceive) return bad(kUnexpectedCompletion);
    if (head->offset != r->received || (r->total && head->total != r->total)) return bad(kProtocolError);
    if (r->memory && (head->offset > r->param3 || n > r->param3 - head->offset)) return bad(kWrongLength);
    r->total = head->total;
    const uint8_t* data = f.payload + kDataHead;
    if (r->memory) {
        std::memcpy(r->memory + head->offset, data, n);
        r->received += n;
    } else {
        uint32_t taken = n;
        Result res = callback_.onReceiveBlock(r, data, taken);
        r->received += std::min(taken, n);
        // A destination that took fewer bytes than it was given lost data, whatever it
        // answered: the transfer must not end as a success with a hole in the file.
        if (succeeded(res) && taken < n) res = kDestinationFull;
        if (failed(res)) {
            // The destination refused: the transfer ends here with its result.
            {
                std::lock_guard lock(mutex_);
                pending_.erase(r->id);
                settleLocked(r->id);
            }
            conn->link->send(MsgType::Cancel, encodeU32(r->id));
            r->result = res;
            r->param4 = r->received;
            callback_.onRequestDone(r);
            return true;
        }
    }
    callback_.onProgress(r, r->received, r->total);
    return true;
}

void RemoteClient::endLink(const std::shared_ptr<Connection>& conn, Result result, bool lost) {
    std::vector<RequestPtr> unfinished;
    {
        std::lock_guard lock(mutex_);
        if (conn_ != conn) {
            conn->link->end();
            return;
        }
        conn_.reset();
        for (auto& [id, r] : pending_) unfinished.push_back(r);
        pending_.clear();
        settled_.clear();
        outgoing_.clear();
        state_ = 0;
        status_ = 0;
    }
    conn->link->end();
    deliverLocal();
    for (const auto& r : unfinished) {
        r->result = result;
        if (r->kind == kKindReceive) r->param4 = r->received;
        callback_.onRequestDone(r);
    }
    callback_.onStateChanged();
    if (lost) callback_.onDisconnected(result);
}

void RemoteClient::settleLocked(uint32_t id) {
    settled_.insert(id);
    // An analyzer that never answers its cancelled requests must not make this grow without
    // end: the oldest are forgotten (their late answers would then end the link).
    if (settled_.size() > kMaxSettled) settled_.erase(settled_.begin());
}

}  // namespace zv::remote
