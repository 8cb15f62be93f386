#include "conversion/output_sink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/file_io.h"

namespace zv {

bool OutputSink::write(const char* data, size_t n) {
    while (n > 0) {
        size_t available = 0;
        char* block = beginBlock(1, available);
        if (block == nullptr) return false;
        const size_t k = std::min(n, available);
        std::memcpy(block, data, k);
        if (!commitBlock(k)) return false;
        data += k;
        n -= k;
    }
    return true;
}

void MemorySink::reserve(size_t n) {
    if (n <= capacity_) return;
    std::unique_ptr<char[]> grown(new char[n]);
    if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_);
    data_ = std::move(grown);
    capacity_ = n;
}

char* MemorySink::beginBlock(size_t minimum, size_t& available) {
    if (capacity_ - size_ < minimum) reserve(std::max(size_ + minimum, capacity_ * 2 + 4096));
    available = capacity_ - size_;
    return data_.get() + size_;
}

bool MemorySink::commitBlock(size_t used) {
    size_ += std::min(used, capacity_ - size_);
    return true;
}

FileSink::~FileSink() { close(); }

void FileSink::start(std::FILE* stream, bool owned) {
    file_ = stream;
    owned_ = owned;
    failed_.store(false, std::memory_order_release);
    stop_ = false;
    filling_ = 0;
    lengths_ = {};
    full_ = {};
    for (auto& b : blocks_)
        if (!b) b.reset(new char[kBlockSize]);
    writer_ = std::thread(&FileSink::writerLoop, this);
}

void FileSink::fail(Result why) {
    Result none = kOk;
    error_.compare_exchange_strong(none, why, std::memory_order_acq_rel);  // the first reason stays
    failed_.store(true, std::memory_order_release);
}

bool FileSink::open(const std::string& path) {
    close();
    error_.store(kOk, std::memory_order_release);
    const std::string temporary = temporaryPathFor(path);
    errno = 0;
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr) {
        error_.store(createFailureFromErrno(), std::memory_order_release);
        return false;
    }
    std::setvbuf(f, nullptr, _IONBF, 0);  // whole blocks only: no second buffer
    target_ = path;
    temporary_ = temporary;
    start(f, true);
    return true;
}

void FileSink::attach(std::FILE* stream) {
    close();
    if (stream != nullptr) start(stream, false);
}

void FileSink::writerLoop() {
    int next = 0;
    for (;;) {
        size_t length;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return full_[static_cast<size_t>(next)] || stop_; });
            if (!full_[static_cast<size_t>(next)]) return;  // stopped with nothing left
            length = lengths_[static_cast<size_t>(next)];
        }
        if (!failed() && length > 0) {
            const Result written = writeAllTo(file_, blocks_[static_cast<size_t>(next)].get(), length);
            if (zv::failed(written)) fail(written);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            full_[static_cast<size_t>(next)] = false;
        }
        changed_.notify_all();
        next ^= 1;
    }
}

char* FileSink::beginBlock(size_t minimum, size_t& available) {
    if (file_ == nullptr || minimum > kBlockSize) return nullptr;
    const size_t i = static_cast<size_t>(filling_);
    {
        // Wait until the writer has finished with this block.
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return !full_[i]; });
    }
    if (kBlockSize - lengths_[i] < minimum) {
        // The block cannot take `minimum` more: hand it over and continue in the other one.
        if (!commitBlock(0)) return nullptr;
        return beginBlock(minimum, available);
    }
    available = kBlockSize - lengths_[i];
    return blocks_[i].get() + lengths_[i];
}

bool FileSink::commitBlock(size_t used) {
    if (file_ == nullptr) return false;
    const size_t i = static_cast<size_t>(filling_);
    lengths_[i] = std::min(lengths_[i] + used, kBlockSize);
    // Small pieces collect in the block; a nearly full block goes to the writer.
    if (used == 0 || kBlockSize - lengths_[i] < 4096) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            full_[i] = true;
        }
        changed_.notify_all();
        filling_ ^= 1;
        const size_t j = static_cast<size_t>(filling_);
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return !full_[j]; });
        lengths_[j] = 0;
    }
    return !failed();
}

bool FileSink::close() {
    if (file_ == nullptr) return !failed();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const size_t i = static_cast<size_t>(filling_);
        if (lengths_[i] > 0) full_[i] = true;  // what is left
        stop_ = true;
    }
    changed_.notify_all();
    writer_.join();
    errno = 0;
    if (std::fflush(file_) != 0) fail(resultFromErrno(kErrorWriteFault));
    errno = 0;
    if (owned_ && std::fclose(file_) != 0) fail(resultFromErrno(kErrorWriteFault));
    file_ = nullptr;
    if (owned_) {
        // Only a complete file takes the name; an incomplete one goes.
        if (!failed()) {
            const Result placed = replaceFile(temporary_, target_);
            if (zv::failed(placed)) fail(placed);
        }
        if (failed()) std::remove(temporary_.c_str());
    }
    owned_ = false;
    target_.clear();
    temporary_.clear();
    return !failed();
}

}  // namespace zv
