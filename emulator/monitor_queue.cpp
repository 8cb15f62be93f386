#include "emulator/monitor_queue.h"

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/protocol/wire.h"

namespace zv::emu {
namespace {

constexpr uint64_t kRecord = 32;
constexpr uint64_t kPositionRange = 65536;

}  // namespace

void MonitorQueue::beginStream(uint64_t link, uint64_t measurement) {
    report_ = StreamReport{};
    report_.link = link;
    report_.measurement = measurement;
    open_ = true;
    offered_ = 0;
    sentEnd_ = 0;
}

void MonitorQueue::offer(const uint8_t* records, size_t size, uint16_t position, bool queue) {
    if (queue) {
        blocks_.push_back({remote::encodeMonitor(position, records, size), offered_});
        bytes_ += blocks_.back().message.size();
        while (bytes_ > capacity_) {
            bytes_ -= blocks_.front().message.size();
            blocks_.pop_front();
        }
    }
    offered_ += size;
}

const MonitorQueue::Block* MonitorQueue::front() {
    while (!blocks_.empty()) {
        const uint64_t gap = blocks_.front().start - sentEnd_;
        if (gap == 0 || gap % kPositionRange != 0) return &blocks_.front();
        bytes_ -= blocks_.front().message.size();
        blocks_.pop_front();
    }
    return nullptr;
}

void MonitorQueue::pop(bool went) {
    if (blocks_.empty()) return;
    const Block& b = blocks_.front();
    if (went) {
        const size_t size = b.message.size() - remote::kMonitorHead;
        if (b.start != sentEnd_) {
            ++report_.gaps;
            report_.leftOut += (b.start - sentEnd_) / kRecord;
        }
        sentEnd_ = b.start + size;
        report_.sent += size / kRecord;
        report_.crc = remote::crc32(b.message.data() + remote::kMonitorHead, size, report_.crc);
    }
    bytes_ -= b.message.size();
    blocks_.pop_front();
}

void MonitorQueue::clear() {
    blocks_.clear();
    bytes_ = 0;
}

std::optional<StreamReport> MonitorQueue::closeStream(const std::string& end) {
    if (!open_) return std::nullopt;
    open_ = false;
    report_.generated = offered_ / kRecord;
    report_.unsent = (offered_ - sentEnd_) / kRecord;
    report_.end = end;
    return report_;
}

}  // namespace zv::emu
