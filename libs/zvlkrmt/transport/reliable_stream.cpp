// The reliable stream: go-back-N over numbered packets. One thread reads the line and keeps
// the books of what arrived; another sends new packets, acknowledgements and retransmissions.
// Everything they share is guarded by one mutex; the line itself is only read by the reader
// and only written by the sender.
#include "zvlkrmt/transport/reliable_stream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/reliable_packet.h"

namespace zv::remote {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// Bytes written but not yet put into packets; a writer beyond this waits.
constexpr size_t kSendQueueLimit = 256u << 10;
// Bytes arrived but not yet read; data beyond this is dropped unacknowledged (the peer sends it
// again later). The frame link's own flow control keeps far below it.
constexpr size_t kReceiveLimit = 4u << 20;
// A closed stream goes on sending what was written (so that a last answer still arrives) for
// at most this long.
constexpr int kLingerMs = 2000;
constexpr int kReadSliceMs = 50;

// Signed distance between packet numbers, so that numbering may wrap.
int32_t distance(uint32_t from, uint32_t to) { return static_cast<int32_t>(to - from); }

uint32_t newStreamId() {
    static std::mutex m;
    static std::mt19937 gen = [] {
        std::random_device rd;
        std::seed_seq seq{rd(), rd(), static_cast<unsigned>(Clock::now().time_since_epoch().count())};
        return std::mt19937(seq);
    }();
    std::lock_guard lock(m);
    uint32_t id = 0;
    while (id == 0) id = static_cast<uint32_t>(gen());
    return id;
}

ReliableStreamOptions clamp(ReliableStreamOptions o) {
    o.packetPayload = std::clamp<uint32_t>(o.packetPayload, 16, kMaxReliablePayload);
    o.window = std::clamp<uint32_t>(o.window, 1, kMaxReliableWindow);
    o.retransmitMs = std::clamp(o.retransmitMs, 5, 60000);
    o.keepAliveMs = std::clamp(o.keepAliveMs, 5, 60000);
    o.linkLostMs = std::clamp(o.linkLostMs, 2 * o.keepAliveMs, 600000);
    return o;
}

class Stream : public ReliableStream {
public:
    Stream(std::unique_ptr<Transport> raw, const ReliableStreamOptions& options)
        : raw_(std::move(raw)),
          options_(clamp(options)),
          decoder_(kMaxReliablePayload, options_.escapeFlowControl),
          myId_(newStreamId()),
          rto_(options_.retransmitMs) {
        lastHeard_ = lastSent_ = Clock::now();
        reader_ = std::thread([this] { readLoop(); });
        sender_ = std::thread([this] { sendLoop(); });
    }

    ~Stream() override {
        close();
        {
            // The sender lingers for a bounded time; a line stuck in a write is closed after it.
            std::unique_lock lock(mutex_);
            if (!userCond_.wait_for(lock, Ms(kLingerMs + 1000), [&] { return senderDone_; })) {
                lock.unlock();
                raw_->close();
            }
        }
        sender_.join();
        {
            std::lock_guard lock(mutex_);
            stopReader_ = true;
        }
        raw_->close();
        reader_.join();
    }

    Result write(const uint8_t* data, size_t size) override {
        std::unique_lock lock(mutex_);
        while (size > 0) {
            userCond_.wait(lock, [&] { return ended() || sendQueue_.size() < kSendQueueLimit; });
            if (ended()) return kLinkLost;
            const size_t n = std::min(size, kSendQueueLimit - sendQueue_.size());
            sendQueue_.insert(sendQueue_.end(), data, data + n);
            if (sendQueue_.size() == n && inFlight_.empty()) queuedSince_ = Clock::now();
            data += n;
            size -= n;
            senderCond_.notify_one();
        }
        return kOk;
    }

    Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        got = 0;
        std::unique_lock lock(mutex_);
        if (!userCond_.wait_for(lock, Ms(std::max(timeoutMs, 0)),
                                [&] { return closing_ || lost_ || !received_.empty(); }))
            return kTimeout;
        if (closing_ || received_.empty()) return kLinkLost;
        got = std::min(capacity, received_.size());
        std::copy_n(received_.begin(), got, buffer);
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(got));
        return kOk;
    }

    void close() override {
        std::lock_guard lock(mutex_);
        if (closing_) return;
        closing_ = true;
        lingerUntil_ = Clock::now() + Ms(std::min(kLingerMs, options_.linkLostMs));
        userCond_.notify_all();
        senderCond_.notify_all();
    }

    ReliableStreamStats stats() const override {
        std::lock_guard lock(mutex_);
        ReliableStreamStats s = stats_;
        s.badPackets = badPackets_;
        s.skippedBytes = skippedBytes_;
        return s;
    }

private:
    struct Sent {
        uint32_t number;
        std::vector<uint8_t> payload;
        Clock::time_point sentAt;
    };

    bool ended() const { return closing_ || lost_; }

    void lose() {
        lost_ = true;
        userCond_.notify_all();
        senderCond_.notify_all();
    }

    // ---- reader thread ----

    void readLoop() {
        std::vector<uint8_t> buffer(16384);
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (stopReader_ || lost_) return;
            }
            size_t got = 0;
            const Result r = raw_->read(buffer.data(), buffer.size(), got, kReadSliceMs);
            if (r == kTimeout) continue;
            std::lock_guard lock(mutex_);
            if (failed(r)) {
                lose();
                return;
            }
            decoder_.feed(buffer.data(), got, [&](const Packet& p) { onPacket(p); });
            badPackets_ = decoder_.badPackets();
            skippedBytes_ = decoder_.skippedBytes();
            if (ackDue_ || nakDue_ || resendFrom_) senderCond_.notify_one();
        }
    }

    // mutex_ held.
    void onPacket(const Packet& p) {
        if (lost_) return;
        // Our own packets echoed back, or packets meant for an earlier stream on this line.
        if (p.source == myId_ || (p.destination != 0 && p.destination != myId_)) {
            ++stats_.stalePackets;
            return;
        }
        if (peerId_ == 0) {
            peerId_ = p.source;
        } else if (p.source != peerId_) {
            // A new stream at the other end: the one we talked to is gone.
            lose();
            return;
        }
        const auto now = Clock::now();
        lastHeard_ = now;
        if (p.kind == PacketKind::Close) {
            lose();
            return;
        }
        acknowledge(p.ack);
        if (p.kind == PacketKind::Nak && !inFlight_.empty() && inFlight_.front().number == p.ack &&
            now - lastResend_ >= Ms(options_.retransmitMs / 2)) {
            resendFrom_ = true;
        }
        if (p.kind != PacketKind::Data) return;
        const int32_t ahead = distance(expected_, p.number);
        if (ahead == 0) {
            if (received_.size() + p.size > kReceiveLimit) return;  // no room: not acknowledged
            received_.insert(received_.end(), p.payload, p.payload + p.size);
            ++expected_;
            ++stats_.packetsReceived;
            ackDue_ = true;
            userCond_.notify_all();
        } else if (ahead < 0) {
            ++stats_.duplicates;
            ackDue_ = true;
        } else if (nakFor_ != expected_ || now - lastNak_ >= Ms(options_.retransmitMs)) {
            // A gap: ask for the missing packet once (again only after a retransmission time).
            nakDue_ = true;
            nakFor_ = expected_;
            lastNak_ = now;
        }
    }

    // The peer expects `next`: everything before it arrived. mutex_ held.
    void acknowledge(uint32_t next) {
        bool progress = false;
        while (!inFlight_.empty() && distance(inFlight_.front().number, next) > 0) {
            inFlight_.pop_front();
            progress = true;
        }
        if (progress) {
            rto_ = options_.retransmitMs;
            if (!inFlight_.empty()) inFlight_.front().sentAt = Clock::now();
            queuedSince_ = Clock::now();
            userCond_.notify_all();
            senderCond_.notify_one();
        }
    }

    // ---- sender thread ----

    Packet packet(PacketKind kind) const {
        Packet p;
        p.kind = kind;
        p.source = myId_;
        p.destination = peerId_;
        p.ack = expected_;
        return p;
    }

    void appendData(std::vector<uint8_t>& out, const Sent& s) const {
        Packet p = packet(PacketKind::Data);
        p.number = s.number;
        p.payload = s.payload.data();
        p.size = s.payload.size();
        appendPacket(out, p, options_.escapeFlowControl);
    }

    // Builds what is to be sent now; returns the time to wait when there is nothing. mutex_ held.
    Clock::duration collect(std::vector<uint8_t>& out) {
        const auto now = Clock::now();
        const uint64_t before = stats_.packetsSent + stats_.retransmissions;
        // Retransmissions: on a negative acknowledgement, or when the oldest packet waited
        // too long (then the time-out doubles until something is acknowledged).
        bool resend = resendFrom_;
        if (!inFlight_.empty() && now - inFlight_.front().sentAt >= Ms(rto_)) {
            resend = true;
            rto_ = std::min(rto_ * 2, std::max(options_.retransmitMs, options_.linkLostMs / 4));
        }
        resendFrom_ = false;
        if (resend && !inFlight_.empty()) {
            for (auto& s : inFlight_) {
                appendData(out, s);
                s.sentAt = now;
                ++stats_.retransmissions;
            }
            lastResend_ = now;
        }
        // New packets while the window has room.
        while (inFlight_.size() < options_.window && !sendQueue_.empty()) {
            const size_t n = std::min<size_t>(options_.packetPayload, sendQueue_.size());
            Sent s{nextNumber_++, std::vector<uint8_t>(sendQueue_.begin(), sendQueue_.begin() + static_cast<std::ptrdiff_t>(n)), now};
            sendQueue_.erase(sendQueue_.begin(), sendQueue_.begin() + static_cast<std::ptrdiff_t>(n));
            appendData(out, s);
            inFlight_.push_back(std::move(s));
            ++stats_.packetsSent;
            userCond_.notify_all();
        }
        const bool sentData = stats_.packetsSent + stats_.retransmissions != before;
        // Every data packet carries the acknowledgement; otherwise a packet of its own, which
        // also keeps an idle link alive.
        if (nakDue_) {
            appendPacket(out, packet(PacketKind::Nak), options_.escapeFlowControl);
        } else if (!sentData && (ackDue_ || (peerId_ != 0 && now - lastSent_ >= Ms(options_.keepAliveMs)))) {
            appendPacket(out, packet(PacketKind::Ack), options_.escapeFlowControl);
        }
        ackDue_ = nakDue_ = false;
        if (!out.empty()) {
            lastSent_ = now;
            return Clock::duration::zero();
        }
        auto wait = Ms(options_.keepAliveMs) - (now - lastSent_);
        if (!inFlight_.empty()) wait = std::min<Clock::duration>(wait, inFlight_.front().sentAt + Ms(rto_) - now);
        return std::clamp<Clock::duration>(wait, Ms(1), Ms(kReadSliceMs));
    }

    // mutex_ held.
    bool peerSilent(Clock::time_point now) const {
        if (peerId_ != 0) return now - lastHeard_ >= Ms(options_.linkLostMs);
        // Nobody answered yet: gone only once something waits for an answer that long.
        return (!inFlight_.empty() || !sendQueue_.empty()) && now - queuedSince_ >= Ms(options_.linkLostMs);
    }

    void sendLoop() {
        std::vector<uint8_t> out;
        std::unique_lock lock(mutex_);
        for (;;) {
            const auto now = Clock::now();
            if (lost_) break;
            if (peerSilent(now)) {
                lose();
                break;
            }
            if (closing_ && ((inFlight_.empty() && sendQueue_.empty()) || now >= lingerUntil_)) {
                if (peerId_ != 0) {
                    out.clear();
                    const Packet p = packet(PacketKind::Close);
                    appendPacket(out, p, options_.escapeFlowControl);
                    appendPacket(out, p, options_.escapeFlowControl);  // twice: the line may eat one
                    lock.unlock();
                    (void)raw_->write(out.data(), out.size());
                    lock.lock();
                }
                break;
            }
            out.clear();
            const auto wait = collect(out);
            if (out.empty()) {
                senderCond_.wait_for(lock, wait);
                continue;
            }
            lock.unlock();
            const Result r = raw_->write(out.data(), out.size());
            lock.lock();
            if (failed(r)) {
                lose();
                break;
            }
        }
        lost_ = true;
        senderDone_ = true;
        userCond_.notify_all();
        lock.unlock();
        raw_->close();
    }

    std::unique_ptr<Transport> raw_;
    const ReliableStreamOptions options_;
    PacketDecoder decoder_;  // reader thread (under mutex_)
    const uint32_t myId_;

    mutable std::mutex mutex_;
    std::condition_variable userCond_;
    std::condition_variable senderCond_;
    uint32_t peerId_ = 0;
    bool closing_ = false;
    bool lost_ = false;
    bool stopReader_ = false;
    bool senderDone_ = false;
    Clock::time_point lingerUntil_;
    Clock::time_point lastHeard_;
    Clock::time_point lastSent_;
    Clock::time_point queuedSince_;

    // Sending.
    std::deque<uint8_t> sendQueue_;
    std::deque<Sent> inFlight_;
    uint32_t nextNumber_ = 0;
    int rto_;
    bool resendFrom_ = false;
    Clock::time_point lastResend_;

    // Receiving.
    std::deque<uint8_t> received_;
    uint32_t expected_ = 0;
    bool ackDue_ = false;
    bool nakDue_ = false;
    uint32_t nakFor_ = 0;
    Clock::time_point lastNak_;

    ReliableStreamStats stats_;
    uint64_t badPackets_ = 0;
    uint64_t skippedBytes_ = 0;

    std::thread reader_;
    std::thread sender_;
};

}  // namespace

std::unique_ptr<ReliableStream> makeReliableStream(std::unique_ptr<Transport> raw, const ReliableStreamOptions& options) {
    return std::make_unique<Stream>(std::move(raw), options);
}

}  // namespace zv::remote
