#include "zvlkrmt/protocol/link.h"

#include <algorithm>
#include <chrono>

namespace zv::remote {

FrameLink::FrameLink(Transport& transport, uint32_t ownWindow)
    : transport_(transport), decoder_(kMaxPayload), readBuffer_(64 * 1024),
      ownWindow_(std::max(ownWindow, kMinWindow)) {}

Result FrameLink::send(MsgType type, const std::vector<uint8_t>& payload) {
    if (ended_) return kLinkLost;
    std::lock_guard lock(sendMutex_);
    frame_.clear();
    appendFrame(frame_, static_cast<uint8_t>(type), sequence_++, payload.data(), payload.size());
    return transport_.write(frame_.data(), frame_.size());
}

Result FrameLink::sendMutated(MsgType type, const std::vector<uint8_t>& payload,
                              const std::function<void(std::vector<uint8_t>&)>& mutate) {
    if (ended_) return kLinkLost;
    std::lock_guard lock(sendMutex_);
    frame_.clear();
    appendFrame(frame_, static_cast<uint8_t>(type), sequence_++, payload.data(), payload.size());
    mutate(frame_);
    if (frame_.empty()) return kOk;
    return transport_.write(frame_.data(), frame_.size());
}

void FrameLink::setPeerWindow(uint32_t bytes) {
    std::lock_guard lock(creditMutex_);
    credit_ = std::max(bytes, kMinWindow);
    creditCond_.notify_all();
}

void FrameLink::addCredit(uint32_t bytes) {
    std::lock_guard lock(creditMutex_);
    credit_ += bytes;
    creditCond_.notify_all();
}

bool FrameLink::takeCredit(size_t bytes, const std::atomic<bool>* cancel, int timeoutMs) {
    std::unique_lock lock(creditMutex_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (credit_ < bytes) {
        if (ended_ || (cancel && *cancel)) return false;
        // Short waits so that a cancel flag set without a notification is seen soon.
        const auto step = std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(20));
        creditCond_.wait_until(lock, step);
        if (std::chrono::steady_clock::now() >= deadline && credit_ < bytes) return false;
    }
    credit_ -= bytes;
    return true;
}

bool FrameLink::tryTakeCredit(size_t bytes) {
    std::lock_guard lock(creditMutex_);
    if (ended_ || credit_ < bytes) return false;
    credit_ -= bytes;
    return true;
}

void FrameLink::consumed(size_t bytes) {
    uint32_t give = 0;
    {
        std::lock_guard lock(creditMutex_);
        consumed_ += bytes;
        if (consumed_ >= ownWindow_ / 4) {
            give = static_cast<uint32_t>(consumed_);
            consumed_ = 0;
        }
    }
    if (give) send(MsgType::Credit, encodeU32(give));
}

void FrameLink::end() {
    {
        std::lock_guard lock(creditMutex_);
        ended_ = true;
        creditCond_.notify_all();
    }
    transport_.close();
}

}  // namespace zv::remote
