// One end of a link: numbers and sends frames (from any thread), decodes what arrives, and
// keeps the flow-control books. Flow-controlled frames (BlockData, SendData, MonitorData) are
// counted by their payload size: the sender spends credit, the receiver gives it back with
// Credit messages as it consumes the data.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/protocol/wire.h"
#include "zvlkrmt/transport/transport.h"

namespace zv::remote {

constexpr uint32_t kDefaultWindow = 1u << 20;
constexpr uint32_t kMinWindow = kMaxPayload;  // a smaller announced window counts as this

inline bool isFlowControlled(uint8_t type) {
    return type == static_cast<uint8_t>(MsgType::BlockData) || type == static_cast<uint8_t>(MsgType::SendData) ||
           type == static_cast<uint8_t>(MsgType::MonitorData);
}

class FrameLink {
public:
    explicit FrameLink(Transport& transport, uint32_t ownWindow = kDefaultWindow);

    // Sends one frame; flow-controlled frames must have their credit taken first.
    Result send(MsgType type, const std::vector<uint8_t>& payload);
    // Sends one frame as mutate leaves its encoded bytes (the damage of the emulator's hostile
    // mode); it takes the next sequence number like any other.
    Result sendMutated(MsgType type, const std::vector<uint8_t>& payload,
                       const std::function<void(std::vector<uint8_t>& frame)>& mutate);

    // Sending side of the flow control.
    void setPeerWindow(uint32_t bytes);
    void addCredit(uint32_t bytes);
    // Takes credit for bytes, waiting up to timeoutMs; false on time-out, cancel or end().
    bool takeCredit(size_t bytes, const std::atomic<bool>* cancel, int timeoutMs);
    // Takes credit only when it is there now (monitor data is dropped instead of queued).
    bool tryTakeCredit(size_t bytes);
    // Receiving side: the payload of a flow-controlled frame was consumed.
    void consumed(size_t bytes);
    uint32_t ownWindow() const { return ownWindow_; }

    // Reads what arrives within timeoutMs and hands each frame to onFrame (returns false to
    // stop). Answers Credit itself. Returns kOk, kTimeout (nothing arrived), kLinkLost or the
    // problem that makes the caller end the link: kProtocolError (a malformed frame),
    // kWrongLength (a frame longer than any may be, or a message of a size its type does not
    // have), or what a handler marked. A problem sticks: every later call returns it without
    // reading.
    template <typename OnFrame>
    Result pump(int timeoutMs, OnFrame&& onFrame) {
        if (failed(problem_)) return problem_;
        size_t got = 0;
        const Result r = transport_.read(readBuffer_.data(), readBuffer_.size(), got, timeoutMs);
        if (failed(r)) return r;
        const DecodeError e = decoder_.feed(readBuffer_.data(), got, [&](const FrameView& f) {
            if (f.type == static_cast<uint8_t>(MsgType::Credit)) {
                const auto bytes = decodeU32(f.payload, f.size);
                if (!bytes) {
                    markBadMessage(kWrongLength);
                    return false;
                }
                addCredit(*bytes);
                return true;
            }
            return onFrame(f);
        });
        if (e != DecodeError::None) markBadMessage(e == DecodeError::TooLong ? kWrongLength : kProtocolError);
        return failed(problem_) ? problem_ : kOk;
    }
    // Marks the link as broken by the peer (a handler found a message it cannot take); the
    // first problem is the one kept.
    void markBadMessage(Result problem = kProtocolError) {
        if (!failed(problem_)) problem_ = problem;
    }
    Result problem() const { return problem_; }
    // The frame in assembly (its size, 0 for none) and the frames decoded so far: the pumping
    // thread sees from them how long one frame has been arriving.
    size_t partialFrameSize() const { return decoder_.partialFrameSize(); }
    uint64_t framesDecoded() const { return decoder_.framesDecoded(); }

    // Ends the link: wakes credit waiters and closes the transport.
    void end();
    bool ended() const { return ended_; }
    Transport& transport() { return transport_; }

private:
    Transport& transport_;
    FrameDecoder decoder_;
    std::vector<uint8_t> readBuffer_;
    std::vector<uint8_t> frame_;
    std::mutex sendMutex_;
    uint32_t sequence_ = 1;
    std::mutex creditMutex_;
    std::condition_variable creditCond_;
    uint64_t credit_ = kMinWindow;
    uint32_t ownWindow_;
    uint64_t consumed_ = 0;
    std::atomic<bool> ended_{false};
    Result problem_ = kOk;   // the pumping thread
};

}  // namespace zv::remote
