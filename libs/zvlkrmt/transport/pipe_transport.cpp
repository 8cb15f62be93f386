// The in-process pair: one byte queue per direction, guarded by a mutex and a condition.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/transport.h"

namespace zv::remote {
namespace {

// One direction. Bounded so that a writer that outruns its reader waits instead of piling up
// memory (the frames' flow control normally keeps it far below this).
// Hands over slices of about 10 ms worth of bytes at the given pace.
template <typename Push>
Result pacedWrite(const uint8_t* data, size_t size, uint64_t bytesPerSecond, Push&& push) {
    const size_t slice = std::max<size_t>(64, static_cast<size_t>(bytesPerSecond / 100));
    while (size > 0) {
        const size_t n = std::min(size, slice);
        std::this_thread::sleep_for(std::chrono::microseconds(n * 1000000 / bytesPerSecond));
        if (const Result r = push(data, n); failed(r)) return r;
        data += n;
        size -= n;
    }
    return kOk;
}

class ByteQueue {
public:
    static constexpr size_t kLimit = 8u << 20;

    Result push(const uint8_t* data, size_t size) {
        std::unique_lock lock(mutex_);
        while (size > 0) {
            cond_.wait(lock, [&] { return closed_ || bytes_.size() < kLimit; });
            if (closed_) return kLinkLost;
            const size_t n = std::min(size, kLimit - bytes_.size());
            bytes_.insert(bytes_.end(), data, data + n);
            data += n;
            size -= n;
            cond_.notify_all();
        }
        return kOk;
    }

    Result pop(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) {
        got = 0;
        std::unique_lock lock(mutex_);
        if (!cond_.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                            [&] { return closed_ || !bytes_.empty(); }))
            return kTimeout;
        if (bytes_.empty()) return kLinkLost;  // closed and drained
        got = std::min(capacity, bytes_.size());
        std::copy_n(bytes_.begin(), got, buffer);
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(got));
        cond_.notify_all();
        return kOk;
    }

    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        cond_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cond_;
    std::deque<uint8_t> bytes_;
    bool closed_ = false;
};

class PipeEnd : public Transport {
public:
    PipeEnd(std::shared_ptr<ByteQueue> in, std::shared_ptr<ByteQueue> out, uint64_t bytesPerSecond)
        : in_(std::move(in)), out_(std::move(out)), bytesPerSecond_(bytesPerSecond) {}
    ~PipeEnd() override { close(); }

    Result write(const uint8_t* data, size_t size) override {
        if (bytesPerSecond_ == 0) return out_->push(data, size);
        return pacedWrite(data, size, bytesPerSecond_, [&](const uint8_t* d, size_t n) { return out_->push(d, n); });
    }

    Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        return in_->pop(buffer, capacity, got, timeoutMs);
    }

    void close() override {
        in_->close();
        out_->close();
    }

private:
    std::shared_ptr<ByteQueue> in_;
    std::shared_ptr<ByteQueue> out_;
    uint64_t bytesPerSecond_;
};

class Throttled : public Transport {
public:
    Throttled(std::unique_ptr<Transport> inner, uint64_t bytesPerSecond)
        : inner_(std::move(inner)), bytesPerSecond_(bytesPerSecond) {}
    Result write(const uint8_t* data, size_t size) override {
        return pacedWrite(data, size, bytesPerSecond_, [&](const uint8_t* d, size_t n) { return inner_->write(d, n); });
    }
    Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        return inner_->read(buffer, capacity, got, timeoutMs);
    }
    void close() override { inner_->close(); }

private:
    std::unique_ptr<Transport> inner_;
    uint64_t bytesPerSecond_;
};

}  // namespace

std::unique_ptr<Transport> makeThrottled(std::unique_ptr<Transport> inner, uint64_t bytesPerSecond) {
    if (bytesPerSecond == 0) return inner;
    return std::make_unique<Throttled>(std::move(inner), bytesPerSecond);
}

std::pair<std::unique_ptr<Transport>, std::unique_ptr<Transport>> makePipePair(uint64_t bytesPerSecond) {
    auto a = std::make_shared<ByteQueue>();
    auto b = std::make_shared<ByteQueue>();
    return {std::make_unique<PipeEnd>(a, b, bytesPerSecond), std::make_unique<PipeEnd>(b, a, bytesPerSecond)};
}

}  // namespace zv::remote
