#include "emulator/analyzer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>

#include "base/bytes.h"
#include "zvlkrmt/protocol/link.h"
#include "zvlkrmt/protocol/messages.h"

namespace zv::emu {

using namespace std::chrono;
using remote::FrameLink;
using remote::MsgType;

// ---------------------------------------------------------------------------------------------
// Calendar

bool validDateTime(const uint16_t d[8]) {
    if (d[0] < 1980 || d[0] > 2099 || d[1] < 1 || d[1] > 12 || d[3] < 1) return false;
    const year_month_day ymd{year{d[0]}, month{d[1]}, day{d[3]}};
    return ymd.ok() && d[4] < 24 && d[5] < 60 && d[6] < 60 && d[7] < 1000;
}

int64_t toEpochMs(const uint16_t d[8]) {
    const sys_days days{year_month_day{year{d[0]}, month{d[1]}, day{d[3]}}};
    return duration_cast<milliseconds>(days.time_since_epoch()).count() +
           ((int64_t{d[4]} * 60 + d[5]) * 60 + d[6]) * 1000 + d[7];
}

void fromEpochMs(int64_t ms, uint16_t d[8]) {
    const auto days = floor<std::chrono::days>(sys_time<milliseconds>(milliseconds(ms)));
    const year_month_day ymd{days};
    const weekday wd{days};
    int64_t rest = ms - duration_cast<milliseconds>(days.time_since_epoch()).count();
    d[0] = static_cast<uint16_t>(int{ymd.year()});
    d[1] = static_cast<uint16_t>(unsigned{ymd.month()});
    d[2] = static_cast<uint16_t>(wd.c_encoding());
    d[3] = static_cast<uint16_t>(unsigned{ymd.day()});
    d[7] = static_cast<uint16_t>(rest % 1000);
    rest /= 1000;
    d[6] = static_cast<uint16_t>(rest % 60);
    rest /= 60;
    d[5] = static_cast<uint16_t>(rest % 60);
    d[4] = static_cast<uint16_t>(rest / 60);
}

// ---------------------------------------------------------------------------------------------
// The link to one PC

class Session : public std::enable_shared_from_this<Session> {
public:
    // Requests of one kind that may wait at a time (receives queued, sends collecting their
    // data, waits for the end of a measurement); more are refused with 0x800700AA.
    static constexpr size_t kMaxQueued = 16;

    Session(Analyzer& analyzer, std::unique_ptr<remote::Transport> transport, uint64_t number)
        : analyzer_(analyzer), transport_(std::move(transport)), link_(*transport_),
          hostile_(analyzer.faults().hostile, link_, [&analyzer](const std::string& line) { analyzer.log(line); }),
          number_(number) {}

    void start(bool refuseBusy) {
        refuseBusy_ = refuseBusy;
        reader_ = std::thread([self = shared_from_this()] { self->readLoop(); });
        worker_ = std::thread([self = shared_from_this()] { self->workLoop(); });
    }

    void end() {
        {
            std::lock_guard lock(mutex_);
            ended_ = true;
            cond_.notify_all();
        }
        link_.end();
    }

    void join() {
        if (reader_.joinable()) reader_.join();
        if (worker_.joinable()) worker_.join();
        hostile_.stop();
    }

    // Also true from the moment a disconnect is granted: the PC may connect again as soon as
    // it has the answer, before this link has finished closing.
    bool ended() const { return ended_ || leaving_; }

    // The faults changed: a worker held back from the queued receives looks again.
    void faultsChanged() {
        std::lock_guard lock(mutex_);
        cond_.notify_all();
    }
    bool ready() const { return ready_ && !ended_ && !stalled(); }

    void sendStatus(uint32_t status) {
        if (!ready()) return;
        hostile_.send(MsgType::Status, remote::StatusMsg{1, status}.encode(), std::nullopt);
    }

    // The measurement ended: complete every wait for its end.
    void measurementEnded(uint32_t endReason) {
        std::vector<remote::RequestMsg> waits;
        {
            std::lock_guard lock(mutex_);
            waits.swap(waits_);
        }
        for (const auto& w : waits) done(w, kOk, 1, endReason, 0);
    }

    // A measurement starts streaming over this link: the account of the last one is closed.
    // Blocks of the last one still queued (its end waiting for them) are left out of it, so
    // that its end goes out before the new start.
    void beginStream(uint64_t measurement) {
        std::lock_guard lock(monitorMutex_);
        closeStreamLocked("next-measurement");
        if (!queue_.empty()) {
            queue_.clear();
            runAfterFlushLocked();
        }
        queue_.beginStream(number_, measurement);
    }

    void closeStream(const char* end) {
        std::lock_guard lock(monitorMutex_);
        closeStreamLocked(end);
    }

    // Streams monitor records (whole records, at most 8192 bytes a block). Blocks wait in the
    // analyzer's monitor FIFO until the PC gives credit; only when the FIFO overflows is the
    // oldest block left out (as is a skipped one): the stream position moves on either way.
    void streamMonitor(const uint8_t* data, size_t size, uint16_t& position) {
        std::lock_guard lock(monitorMutex_);
        while (size > 0) {
            const size_t n = std::min(size, remote::kMaxMonitorBlock);
            ++blocks_;
            const FaultConfig f = analyzer_.faults();
            const bool skip = f.skipMonitorEvery && blocks_ % f.skipMonitorEvery == 0;
            queue_.offer(data, n, position, ready() && !skip);
            position = static_cast<uint16_t>(position + n);
            data += n;
            size -= n;
        }
        flushMonitorLocked();
    }

    // Sends what credit allows of the monitor FIFO; once it is empty, runs what waited for it.
    // The engine calls this every tick.
    void flushMonitor() {
        std::lock_guard lock(monitorMutex_);
        flushMonitorLocked();
        if (!queue_.empty() && !afterFlush_.empty() && steady_clock::now() > flushDeadline_) {
            // The PC took nothing for too long: what is left is lost, the end still goes out.
            queue_.clear();
            runAfterFlushLocked();
        }
    }

    // Runs then once every monitor block queued so far has left (at once when none waits), so
    // that the end of a measurement reaches the PC after its last records.
    void whenMonitorFlushed(std::function<void()> then) {
        std::lock_guard lock(monitorMutex_);
        if (queue_.empty() || !ready()) {
            then();
            return;
        }
        if (afterFlush_.empty()) flushDeadline_ = steady_clock::now() + kMonitorFlushLimit;
        afterFlush_.push_back(std::move(then));
    }

    void flushMonitorLocked() {
        for (const MonitorQueue::Block* block; (block = queue_.front()) && ready() &&
                                               link_.tryTakeCredit(block->message.size());) {
            const size_t n = block->message.size();
            const bool went = succeeded(hostile_.send(MsgType::MonitorData, block->message, LinkMoment::Monitor));
            queue_.pop(went);
            if (!went) continue;  // the link is going
            analyzer_.monitorBlocks_++;
            monitorBytes_ += n - remote::kMonitorHead;
            const FaultConfig f = analyzer_.faults();
            if (f.drop == FaultConfig::Drop::Monitor && monitorBytes_ >= f.dropAfterBytes) {
                analyzer_.log("fault: link dropped during monitoring");
                end();
            }
            if (f.stall == FaultConfig::Stall::Monitor && monitorBytes_ >= f.stallAfterBytes && !stalledNow_) {
                // Nothing more goes over this link, so the stream's account is final now.
                stalledNow_ = true;
                analyzer_.log("fault: link stalled during monitoring");
                closeStreamLocked("stalled");
            }
        }
        if (!ready()) queue_.clear();
        if (queue_.empty()) runAfterFlushLocked();
    }

    void runAfterFlushLocked() {
        std::vector<std::function<void()>> waiting;
        waiting.swap(afterFlush_);
        for (auto& then : waiting) then();
    }

    // Periodic screen updates: sends the picture when it changed since the last one.
    void screenTick(steady_clock::time_point now) {
        int interval;
        {
            std::lock_guard lock(mutex_);
            interval = screenInterval_;
        }
        if (!ready() || interval < 0 || now - lastScreenCheck_ < milliseconds(interval)) return;
        lastScreenCheck_ = now;
        sendScreen(false);
    }

    void sendScreen(bool always) {
        if (!ready()) return;
        const auto image = analyzer_.screen();
        {
            std::lock_guard lock(mutex_);
            if (!always && image == lastScreen_) return;
            lastScreen_ = image;
        }
        hostile_.send(MsgType::Screen, std::vector<uint8_t>(image.begin(), image.end()), std::nullopt);
    }

    // The engine's tick for the hostile act: an idle link has no measurement and no receive.
    void hostileTick() {
        if (!ready()) return;
        bool idle;
        {
            std::lock_guard lock(mutex_);
            idle = receives_.empty() && currentReceive_ == 0;
        }
        hostile_.tick(idle && !analyzer_.measuring());
    }

private:
    // The moment of a hostile act a frame of this request belongs to: setup areas, or the
    // blocks of the capture memory an upload fetches.
    static std::optional<LinkMoment> transferMoment(const remote::RequestMsg& r) {
        if (r.kind == remote::kKindSend || (r.kind == remote::kKindReceive && r.param1 < 0x8000)) return LinkMoment::Setup;
        if (r.kind == remote::kKindReceive && r.param1 >= remote::kBlockDataInfo) return LinkMoment::Upload;
        return std::nullopt;
    }

    bool stalled() const {
        return stalledNow_ || analyzer_.faults().stall == FaultConfig::Stall::Requests;
    }

    void closeStreamLocked(const char* end) {
        if (const std::optional<StreamReport> report = queue_.closeStream(end)) analyzer_.reportStream(*report);
    }

    void done(const remote::RequestMsg& r, Result result, uint32_t p2, uint32_t p3, uint32_t p4) {
        if (ended_) return;
        remote::RequestDoneMsg m{r.id, r.kind, result, r.param1, p2, p3, p4};
        hostile_.send(MsgType::RequestDone, m.encode(), transferMoment(r));
    }

    void protocolError(const char* what) {
        analyzer_.log(std::string("link ended: ") + what);
        remote::ErrorMsg e{remote::kProtocolError, what};
        hostile_.send(MsgType::Error, e.encode(), std::nullopt);
        end();
    }

    void readLoop() {
        while (!ended_) {
            const Result r = link_.pump(100, [&](const remote::FrameView& f) { return onFrame(f); });
            if (r == remote::kTimeout || r == kOk) continue;
            if (r != remote::kLinkLost && !ended_) {
                char what[64];
                std::snprintf(what, sizeof what, "malformed frame or message (0x%08X)", static_cast<unsigned>(r));
                protocolError(what);
            }
            break;
        }
        end();
        analyzer_.log("PC disconnected");
    }

    bool onFrame(const remote::FrameView& f) {
        const auto type = static_cast<MsgType>(f.type);
        if (!helloDone_) {
            if (type != MsgType::Hello) {
                protocolError("expected Hello");
                return false;
            }
            return onHello(f);
        }
        if (const FaultConfig::Stall stall = analyzer_.faults().stall;
            stall == FaultConfig::Stall::Connect || stall == FaultConfig::Stall::Requests || stalledNow_) {
            // A stalled analyzer reads on but answers nothing; data must still be consumed.
            if (remote::isFlowControlled(f.type)) link_.consumed(f.size);
            return true;
        }
        switch (type) {
            case MsgType::Ping:
                hostile_.send(MsgType::Pong, std::vector<uint8_t>(f.payload, f.payload + f.size), std::nullopt);
                return true;
            case MsgType::Request: {
                const auto m = remote::RequestMsg::decode(f.payload, f.size);
                if (!m) break;
                hostile_.requestArrived(m->id);
                onRequest(*m);
                return !ended_;
            }
            case MsgType::SendData: return onSendData(f);
            case MsgType::Cancel: {
                const auto id = remote::decodeU32(f.payload, f.size);
                if (!id) break;
                onCancel(*id);
                return true;
            }
            case MsgType::ScreenInterval: {
                const auto ms = remote::decodeU32(f.payload, f.size);
                if (!ms) break;
                {
                    std::lock_guard lock(mutex_);
                    screenInterval_ = static_cast<int32_t>(*ms) < 0 ? -1 : static_cast<int>(std::min<uint32_t>(*ms, 60000));
                }
                if (static_cast<int32_t>(*ms) >= 0) sendScreen(true);
                return true;
            }
            case MsgType::Pong: return true;
            case MsgType::Error: end(); return false;
            default: break;
        }
        protocolError("unexpected or malformed message");
        return false;
    }

    bool onHello(const remote::FrameView& f) {
        const auto hello = remote::HelloMsg::decode(f.payload, f.size);
        if (!hello) {
            protocolError("malformed Hello");
            return false;
        }
        const FaultConfig faults = analyzer_.faults();
        if (faults.stall == FaultConfig::Stall::Connect) {
            analyzer_.log("fault: connect left unanswered");
            helloDone_ = true;
            return true;
        }
        remote::HelloAckMsg ack;
        ack.version = remote::agreeVersion(hello->versionMin, hello->versionMax);
        const std::string wanted = remote::serialText(hello->serial);
        if (refuseBusy_) ack.result = remote::kRefusedBusy;
        else if (failed(faults.refuseConnect)) ack.result = faults.refuseConnect;
        else if (ack.version == 0) ack.result = remote::kRefusedVersion;
        else if (!wanted.empty() && wanted != analyzer_.config().serial) ack.result = remote::kRefusedNotReady;
        ack.boardType = faults.reportType.value_or(analyzer_.boardType());
        ack.deviceValue = analyzer_.config().deviceValue;
        ack.state = 1;
        ack.receiveWindow = link_.ownWindow();
        ack.maxPayload = remote::kMaxPayload;
        ack.serial = remote::makeSerial(analyzer_.config().serial);
        link_.setPeerWindow(hello->receiveWindow);
        {
            // The status the answer reports stays true until the link is ready: a start or
            // stop meanwhile waits, and then sends its Status over this link.
            std::lock_guard stream(analyzer_.streamMutex_);
            ack.status = analyzer_.status();
            hostile_.send(MsgType::HelloAck, ack.encode(), LinkMoment::Connect);
            helloDone_ = true;
            if (succeeded(ack.result)) ready_ = true;
        }
        if (failed(ack.result)) {
            char line[64];
            std::snprintf(line, sizeof line, "connect refused with 0x%08X", static_cast<unsigned>(ack.result));
            analyzer_.log(line);
            end();
            return false;
        }
        analyzer_.log("PC connected");
        sendScreen(true);
        return true;
    }

    void onRequest(const remote::RequestMsg& r) {
        char line[96];
        std::snprintf(line, sizeof line, "request %u: kind %u, 0x%X 0x%X 0x%X 0x%X", r.id, r.kind, r.param1,
                      r.param2, r.param3, r.param4);
        analyzer_.log(line);
        switch (r.kind) {
            case remote::kKindDisconnect:
                leaving_ = true;
                done(r, kOk, 0, 0, 0);
                end();
                return;
            case remote::kKindKey:
                analyzer_.appendToKeyLog(r.param1);
                analyzer_.pressKey(r.param1);
                done(r, kOk, 0, 0, 0);
                sendScreen(false);
                return;
            case remote::kKindMeasurement: {
                const Result refused = analyzer_.faults().refuseMonitor;
                if (r.param1 && failed(refused)) {
                    analyzer_.log("fault: measurement start refused");
                    done(r, refused, 0, 0, 0);
                    return;
                }
                const Result res = r.param1 ? analyzer_.startMeasurement()
                                            : analyzer_.stopMeasurement(analyzer_.config().stopEndReason);
                const uint32_t monitorReady = analyzer_.config().monitorReady ? 1 : 0;
                // A stop completes after the last monitor records went out.
                whenMonitorFlushed([this, r, res, monitorReady] { done(r, res, monitorReady, 0, 0); });
                return;
            }
            case remote::kKindReceive: {
                {
                    std::lock_guard lock(mutex_);
                    if (receives_.size() < kMaxQueued) {
                        receives_.push_back(r);
                        cond_.notify_all();
                        return;
                    }
                }
                done(r, remote::kBusyRequest, 0, 0, 0);  // a PC flooding us gets no memory
                return;
            }
            case remote::kKindSend: {
                const bool setupArea = r.param1 == kAreaSetupImage || r.param1 == kAreaCanTransmitTables ||
                                       r.param1 == kAreaLinTransmitTables;
                const FaultConfig f = analyzer_.faults();
                if (setupArea && f.drop == FaultConfig::Drop::Setup && setupBytes_ >= f.dropAfterBytes) {
                    analyzer_.log("fault: link dropped during a setup transfer");
                    end();
                    return;
                }
                if (!setupArea || r.param3 > remote::kDataChunk) {
                    // Refused at once; its data, still on the way, is consumed and dropped.
                    if (refusedSends_.size() >= 1024) {
                        protocolError("too many refused sends");
                        return;
                    }
                    refusedSends_.insert(r.id);
                    if (r.param3 == 0) refusedSends_.erase(r.id);
                    done(r, remote::kBadBlock, 0, 0, 0);
                    return;
                }
                if (r.param3 == 0) {
                    done(r, remote::kBadBlock, 0, 0, 0);
                    return;
                }
                if (sends_.size() >= kMaxQueued || sends_.count(r.id)) {
                    refusedSends_.insert(r.id);
                    done(r, remote::kBusyRequest, 0, 0, 0);
                    return;
                }
                sends_[r.id] = PendingSend{r, {}};
                sends_[r.id].data.reserve(r.param3);
                return;
            }
            case remote::kKindSetClock: {
                const uint16_t d[8] = {static_cast<uint16_t>(r.param1), static_cast<uint16_t>(r.param1 >> 16),
                                       static_cast<uint16_t>(r.param2), static_cast<uint16_t>(r.param2 >> 16),
                                       static_cast<uint16_t>(r.param3), static_cast<uint16_t>(r.param3 >> 16),
                                       static_cast<uint16_t>(r.param4), static_cast<uint16_t>(r.param4 >> 16)};
                done(r, analyzer_.setClock(d), 0, 0, 0);
                return;
            }
            case remote::kKindWaitEvent: {
                if (r.param1 != remote::kEventMeasurementEnded) {
                    done(r, remote::kBadBlock, 0, 0, 0);
                    return;
                }
                std::unique_lock lock(mutex_);
                if (!analyzer_.measuring()) {
                    // Already over (or none ran): the event has occurred.
                    lock.unlock();
                    done(r, kOk, 1, analyzer_.lastEndReason(), 0);
                    return;
                }
                if (waits_.size() >= kMaxQueued) {
                    lock.unlock();
                    done(r, remote::kBusyRequest, 0, 0, 0);
                    return;
                }
                waits_.push_back(r);
                return;
            }
            default: done(r, remote::kBadBlock, 0, 0, 0); return;
        }
    }

    bool onSendData(const remote::FrameView& f) {
        const auto head = remote::decodeDataHead(f.payload, f.size);
        if (!head) {
            protocolError("malformed SendData");
            return false;
        }
        link_.consumed(f.size);
        const size_t n = f.size - remote::kDataHead;
        auto it = sends_.find(head->id);
        if (it == sends_.end()) {
            if (!refusedSends_.count(head->id)) {
                protocolError("SendData without a send request");
                return false;
            }
            if (head->offset + n >= head->total) refusedSends_.erase(head->id);
            return true;
        }
        PendingSend& s = it->second;
        if (head->total != s.request.param3 || head->offset != s.data.size()) {
            protocolError("SendData out of order");
            return false;
        }
        s.data.insert(s.data.end(), f.payload + remote::kDataHead, f.payload + f.size);
        if (s.data.size() < s.request.param3) return true;
        const PendingSend complete = std::move(s);
        sends_.erase(it);
        if (complete.cancelled) {
            done(complete.request, remote::kCancelled, 0, 0, 0);
            return true;
        }
        setupBytes_ += complete.data.size();
        const Result res = analyzer_.acceptSetup(complete.request.param1, complete.data.data(), complete.data.size());
        done(complete.request, res, 0, 0, static_cast<uint32_t>(complete.data.size()));
        return true;
    }

    void onCancel(uint32_t id) {
        if (auto it = sends_.find(id); it != sends_.end()) it->second.cancelled = true;
        std::vector<remote::RequestMsg> cancelledWaits;
        {
            std::lock_guard lock(mutex_);
            if (currentReceive_ == id) cancelReceive_ = true;
            for (auto& q : receives_)
                if (q.id == id) cancelledQueued_.insert(id);
            for (auto w = waits_.begin(); w != waits_.end();) {
                if (w->id == id) {
                    cancelledWaits.push_back(*w);
                    w = waits_.erase(w);
                } else {
                    ++w;
                }
            }
        }
        for (const auto& w : cancelledWaits) done(w, remote::kCancelled, 0, 0, 0);
    }

    void workLoop() {
        for (;;) {
            remote::RequestMsg r;
            {
                std::unique_lock lock(mutex_);
                cond_.wait(lock, [&] {
                    return ended_ || (!receives_.empty() && !analyzer_.faults().holdReceives);
                });
                if (ended_) return;
                r = receives_.front();
                receives_.pop_front();
                currentReceive_ = r.id;
                cancelReceive_ = cancelledQueued_.erase(r.id) > 0;
            }
            receive(r);
            std::lock_guard lock(mutex_);
            currentReceive_ = 0;
        }
    }

    void receive(const remote::RequestMsg& r) {
        if (cancelReceive_) {
            done(r, remote::kCancelled, 0, 0, 0);
            return;
        }
        std::vector<uint8_t> bytes;
        if (const Result res = analyzer_.blockBytes(r.param1, bytes); failed(res)) {
            done(r, res, 0, 0, 0);
            return;
        }
        const size_t total = std::min<size_t>(bytes.size(), r.param3);
        const Result result = bytes.size() > r.param3 ? remote::kBufferTooSmall : kOk;
        const FaultConfig f = analyzer_.faults();
        const bool setupArea = r.param1 < 0x8000;
        const bool dropHere = (f.drop == FaultConfig::Drop::Upload && r.param1 == remote::kBlockRecords) ||
                              (f.drop == FaultConfig::Drop::Setup && setupArea);
        // A setup drop counts the setup bytes of the whole link, so that it can hit any area.
        const uint64_t before = setupArea ? setupBytes_ : 0;
        size_t sent = 0;
        while (sent < total) {
            if (dropHere && before + sent >= f.dropAfterBytes) {
                analyzer_.log("fault: link dropped during a transfer");
                end();
                return;
            }
            size_t n = std::min(total - sent, remote::kDataChunk);
            if (dropHere && f.dropAfterBytes > before + sent)
                n = static_cast<size_t>(std::min<uint64_t>(n, f.dropAfterBytes - before - sent));
            if (!link_.takeCredit(remote::kDataHead + n, &cancelReceive_, 30000)) {
                if (ended_) return;
                if (cancelReceive_) {
                    done(r, remote::kCancelled, 0, 0, static_cast<uint32_t>(sent));
                    return;
                }
                protocolError("PC gives no credit");
                return;
            }
            const remote::DataMsgHead head{r.id, static_cast<uint32_t>(sent), static_cast<uint32_t>(total)};
            if (failed(hostile_.send(MsgType::BlockData, remote::encodeData(head, bytes.data() + sent, n),
                                     transferMoment(r))))
                return;
            sent += n;
            if (cancelReceive_) {
                done(r, remote::kCancelled, 0, 0, static_cast<uint32_t>(sent));
                return;
            }
        }
        if (setupArea) setupBytes_ += total;
        done(r, result, 0, 0, static_cast<uint32_t>(total));
    }

    struct PendingSend {
        remote::RequestMsg request;
        std::vector<uint8_t> data;
        bool cancelled = false;
    };

    Analyzer& analyzer_;
    std::unique_ptr<remote::Transport> transport_;
    FrameLink link_;
    HostileLink hostile_;  // every frame this side sends goes through it
    std::thread reader_;
    std::thread worker_;
    bool refuseBusy_ = false;
    std::atomic<bool> ended_{false};
    std::atomic<bool> leaving_{false};
    std::atomic<bool> ready_{false};
    std::atomic<bool> stalledNow_{false};  // stall=monitor has struck
    const uint64_t number_;
    bool helloDone_ = false;  // reader thread only

    std::mutex mutex_;
    std::condition_variable cond_;
    std::deque<remote::RequestMsg> receives_;
    std::set<uint32_t> cancelledQueued_;
    uint32_t currentReceive_ = 0;
    std::atomic<bool> cancelReceive_{false};
    std::vector<remote::RequestMsg> waits_;
    int screenInterval_ = -1;
    std::array<uint8_t, kLcdBytes> lastScreen_{};

    // Reader thread only.
    std::map<uint32_t, PendingSend> sends_;
    std::set<uint32_t> refusedSends_;

    // Engine thread only.
    uint64_t blocks_ = 0;
    uint64_t monitorBytes_ = 0;
    uint64_t setupBytes_ = 0;  // setup-area bytes over this link, both ways
    // The monitor FIFO with the account of its stream, and what waits for it to drain.
    static constexpr milliseconds kMonitorFlushLimit{3000};
    std::mutex monitorMutex_;
    MonitorQueue queue_;
    std::vector<std::function<void()>> afterFlush_;
    steady_clock::time_point flushDeadline_;
    steady_clock::time_point lastScreenCheck_{};
};

// ---------------------------------------------------------------------------------------------
// The analyzer

Analyzer::Analyzer(AnalyzerConfig config)
    : config_(std::move(config)), setup_(config_.boardType), clockAnchor_(steady_clock::now()) {
    clockBaseMs_ = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    if (config_.tickMs < 1) config_.tickMs = 1;
    engine_ = std::thread([this] { engine(); });
}

Analyzer::~Analyzer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        wake_.notify_all();
    }
    engine_.join();
    std::vector<std::shared_ptr<Session>> all;
    {
        std::lock_guard lock(sessionMutex_);
        all.swap(finished_);
        if (session_) all.push_back(std::move(session_));
    }
    for (auto& s : all) {
        const bool linkEnded = s->ended();
        s->end();
        s->join();
        s->closeStream(linkEnded ? "link-ended" : "analyzer-stopped");
    }
}

void Analyzer::attach(std::unique_ptr<remote::Transport> transport) {
    // The link speed of the analyzer's interface, whatever carries it.
    transport = remote::makeThrottled(std::move(transport), config_.linkBytesPerSecond);
    std::lock_guard lock(sessionMutex_);
    auto session = std::make_shared<Session>(*this, std::move(transport), ++links_);
    const bool busy = session_ && !session_->ended();
    if (!busy) {
        if (session_) finished_.push_back(std::move(session_));
        session_ = session;
    } else {
        finished_.push_back(session);
    }
    session->start(busy);
}

bool Analyzer::attached() const {
    std::lock_guard lock(sessionMutex_);
    return session_ && !session_->ended();
}

std::shared_ptr<Session> Analyzer::activeSession() const {
    std::lock_guard lock(sessionMutex_);
    return session_;
}

void Analyzer::setLog(std::function<void(const std::string&)> log) {
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void Analyzer::log(const std::string& line) const {
    std::function<void(const std::string&)> f;
    {
        std::lock_guard lock(mutex_);
        f = log_;
    }
    if (f) f(line);
}

void Analyzer::setStreamReport(std::function<void(const StreamReport&)> report) {
    std::lock_guard lock(mutex_);
    streamReport_ = std::move(report);
}

void Analyzer::reportStream(const StreamReport& report) const {
    std::function<void(const StreamReport&)> f;
    {
        std::lock_guard lock(mutex_);
        f = streamReport_;
    }
    if (f) f(report);
}

void Analyzer::setFaults(const FaultConfig& faults) {
    {
        std::lock_guard lock(mutex_);
        config_.faults = faults;
    }
    if (auto s = activeSession()) s->faultsChanged();
}

FaultConfig Analyzer::faults() const {
    std::lock_guard lock(mutex_);
    return config_.faults;
}

int64_t Analyzer::nowMsLocked() const {
    return clockBaseMs_ + duration_cast<milliseconds>(steady_clock::now() - clockAnchor_).count();
}

Result Analyzer::setClock(const uint16_t d[8]) {
    if (!validDateTime(d)) return remote::kBadBlock;
    std::lock_guard lock(mutex_);
    clockBaseMs_ = toEpochMs(d);
    clockAnchor_ = steady_clock::now();
    return kOk;
}

void Analyzer::clock(uint16_t d[8]) const {
    std::lock_guard lock(mutex_);
    fromEpochMs(nowMsLocked(), d);
}

Result Analyzer::startMeasurement() {
    {
        // The Status of the start leaves before the first monitor block, which the engine can
        // stream only once it has streamMutex_: the PC takes monitor data only while the
        // analyzer says a measurement runs.
        std::lock_guard stream(streamMutex_);
        uint64_t measurement = 0;
        {
            std::lock_guard lock(mutex_);
            if (measuring_) return kOk;
            const int64_t now = nowMsLocked();
            fromEpochMs(now, startClock_);
            const auto msIntoHour = static_cast<uint64_t>(now % 3600000);
            generator_ = std::make_unique<TrafficGenerator>(setup_.plan(), config_.traffic, msIntoHour * 5);
            capture_.clear();
            upload_.reset();
            monitorPending_.clear();
            monitorPosition_ = 0;  // each measurement's stream starts at position 0
            measureStart_ = steady_clock::now();
            measuring_ = true;
            measurement = ++measurements_;
        }
        // Still under streamMutex_: no record of the new measurement has gone out yet.
        if (auto s = activeSession()) {
            s->beginStream(measurement);
            s->sendStatus(remote::kStatusMeasuring);
        }
    }
    log("measurement started");
    return kOk;
}

void Analyzer::finishMeasurementLocked(uint32_t endReason) {
    // The last records up to this moment still belong to the measurement.
    if (generator_) {
        const auto tick = static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now() - measureStart_).count() / 200);
        std::vector<uint8_t> fresh;
        generator_->generateUntil(tick, monitorPending_);
    }
    measuring_ = false;
    lastEndReason_ = endReason;
    fromEpochMs(nowMsLocked(), endClock_);
}

Result Analyzer::stopMeasurement(uint32_t endReason) {
    auto s = activeSession();
    {
        std::lock_guard stream(streamMutex_);
        std::vector<uint8_t> rest;
        {
            std::lock_guard lock(mutex_);
            if (!measuring_) return kOk;
            finishMeasurementLocked(endReason);
            capture_.append(monitorPending_.data(), monitorPending_.size());
            rest.swap(monitorPending_);
        }
        if (s) s->streamMonitor(rest.data(), rest.size(), monitorPosition_);
    }
    if (s) {
        // Runs inside the session's own calls, while it is alive; never kept past its end.
        Session* session = s.get();
        session->whenMonitorFlushed([this, session, endReason] {
            // The state now: a measurement started while this one's last blocks drained is
            // not over.
            session->sendStatus(status());
            session->measurementEnded(endReason);
        });
    }
    char line[64];
    std::snprintf(line, sizeof line, "measurement ended, reason %u", endReason);
    log(line);
    return kOk;
}

bool Analyzer::measuring() const {
    std::lock_guard lock(mutex_);
    return measuring_;
}

uint32_t Analyzer::status() const { return measuring() ? remote::kStatusMeasuring : 0; }

uint32_t Analyzer::lastEndReason() const {
    std::lock_guard lock(mutex_);
    return lastEndReason_;
}

size_t Analyzer::captureBytes() const {
    std::lock_guard lock(mutex_);
    return capture_.bytes();
}

void Analyzer::pressKey(uint32_t value) {
    MenuUi::Action action;
    {
        std::lock_guard lock(mutex_);
        action = menu_.key(value);
    }
    if (action == MenuUi::Action::StartMeasurement) startMeasurement();
    if (action == MenuUi::Action::StopMeasurement) stopMeasurement(config_.keyStopEndReason);
}

void Analyzer::appendToKeyLog(uint32_t value) {
    if (config_.keyLog.empty()) return;
    char line[16];
    const int n = std::snprintf(line, sizeof line, "0x%08X\n", static_cast<unsigned>(value));
    std::lock_guard lock(keyLogMutex_);
    std::FILE* f = std::fopen(config_.keyLog.c_str(), "ab");
    const bool written = f && std::fwrite(line, 1, static_cast<size_t>(n), f) == static_cast<size_t>(n);
    if ((f && std::fclose(f) != 0) || !written) log("cannot append to the key log " + config_.keyLog);
}

Page Analyzer::page() const {
    std::lock_guard lock(mutex_);
    return menu_.page();
}

void Analyzer::renderLocked(Screen& s) const {
    LcdView v;
    const BoardInfo* board = findBoard(config_.boardType);
    if (board) {
        v.model = std::string(board->text);
    } else {
        char b[32];
        std::snprintf(b, sizeof b, "BOARD 0X%X", config_.boardType);
        v.model = b;
    }
    fromEpochMs(nowMsLocked(), v.clock);
    v.measuring = measuring_;
    v.records = capture_.bytes() / kRecordSize;
    v.memoryBytes = capture_.bytes();
    v.memoryCapacity = kCaptureCapacity;
    const SetupPlan plan = setup_.plan();
    for (size_t ch = 0; ch < 2; ++ch) {
        const ChannelPlan& c = plan.channels[ch];
        char b[48];
        if (c.protocol == ChannelProtocol::Can) {
            if (c.bitRate >= 1000000) std::snprintf(b, sizeof b, "CAN %uM", c.bitRate / 1000000);
            else if (c.bitRate % 1000 == 0) std::snprintf(b, sizeof b, "CAN %uK", c.bitRate / 1000);
            else std::snprintf(b, sizeof b, "CAN %u.%uK", c.bitRate / 1000, c.bitRate % 1000 / 100);
            v.channel[ch] = b;
            v.channelDetail[ch] = "BIT RATE " + std::to_string(c.bitRate);
        } else {
            std::snprintf(b, sizeof b, "LIN %u", c.bitRate);
            v.channel[ch] = b;
            v.channelDetail[ch] = c.useIdTable ? "ID TABLE" : (c.checksumType ? "ENHANCED CHECKSUM" : "CLASSIC CHECKSUM");
        }
    }
    v.serial = config_.serial;
    v.firmware = config_.firmware;
    v.lastEndReason = lastEndReason_;
    menu_.render(v, s);
}

std::array<uint8_t, kLcdBytes> Analyzer::screen() const {
    Screen s;
    std::lock_guard lock(mutex_);
    renderLocked(s);
    return s.bits;
}

std::vector<uint8_t> Analyzer::setupWrapper(uint32_t area) const {
    std::lock_guard lock(mutex_);
    return setup_.wrapper(area);
}

Result Analyzer::acceptSetup(uint32_t area, const uint8_t* data, size_t size) {
    std::lock_guard lock(mutex_);
    return setup_.accept(area, data, size);
}

Result Analyzer::blockBytes(uint32_t code, std::vector<uint8_t>& out) {
    std::lock_guard lock(mutex_);
    switch (code) {
        case kAreaSetupImage:
        case kAreaCanTransmitTables:
        case kAreaLinTransmitTables:
            out = setup_.wrapper(code);
            return out.empty() ? remote::kBadBlock : kOk;
        case remote::kBlockDataInfo: out = dataInfoChunk(setup_.dataInfo()); return kOk;
        case remote::kBlockRecordHead:
        case remote::kBlockRecords:
        case remote::kBlockTrailer: {
            // The head of the upload fixes what the following blocks deliver.
            if (code == remote::kBlockRecordHead || !upload_) {
                MeasurementInfo m;
                m.boardType = config_.boardType;
                const BoardInfo* board = findBoard(config_.boardType);
                m.exBoardCode = board ? board->exBoardCode : 0;
                std::memcpy(m.serial, config_.serial.data(), std::min<size_t>(15, config_.serial.size()));
                std::memcpy(m.firmware, config_.firmware.data(), std::min<size_t>(15, config_.firmware.size()));
                std::copy(std::begin(startClock_), std::end(startClock_), m.start);
                std::copy(std::begin(endClock_), std::end(endClock_), m.end);
                m.endReason = lastEndReason_;
                upload_ = composeUpload(setup_.dataInfo(), setup_.canOnly(), m, capture_.snapshot());
            }
            out = code == remote::kBlockRecordHead ? upload_->recordHead
                  : code == remote::kBlockRecords  ? upload_->records
                                                   : upload_->trailer;
            if (code == remote::kBlockTrailer) upload_.reset();
            return kOk;
        }
        default: return remote::kBadBlock;
    }
}

void Analyzer::engine() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, milliseconds(config_.tickMs), [&] { return stop_.load(); });
            if (stop_) return;
        }
        auto session = activeSession();
        bool full = false;
        {
            // Records made since the last tick go to the capture memory and the monitor stream.
            std::lock_guard stream(streamMutex_);
            std::vector<uint8_t> fresh;
            {
                std::lock_guard lock(mutex_);
                if (measuring_ && generator_) {
                    const auto tick = static_cast<uint64_t>(
                        duration_cast<microseconds>(steady_clock::now() - measureStart_).count() / 200);
                    generator_->generateUntil(tick, monitorPending_);
                    capture_.append(monitorPending_.data(), monitorPending_.size());
                    fresh.swap(monitorPending_);
                    full = config_.stopWhenFull && capture_.bytes() >= kCaptureCapacity;
                }
            }
            if (session && !fresh.empty()) session->streamMonitor(fresh.data(), fresh.size(), monitorPosition_);
            if (session) session->flushMonitor();
        }
        if (full) stopMeasurement(kEndReasonMemoryFull);
        if (session) session->screenTick(steady_clock::now());
        if (session) session->hostileTick();
        // Reap the sessions whose links ended.
        std::vector<std::shared_ptr<Session>> done;
        {
            std::lock_guard sl(sessionMutex_);
            for (auto it = finished_.begin(); it != finished_.end();) {
                if ((*it)->ended()) {
                    done.push_back(*it);
                    it = finished_.erase(it);
                } else {
                    ++it;
                }
            }
            if (session_ && session_->ended()) done.push_back(std::move(session_));
        }
        for (auto& s : done) {
            s->join();
            s->closeStream("link-ended");
        }
    }
}

}  // namespace zv::emu
