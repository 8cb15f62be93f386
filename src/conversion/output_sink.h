// Where converted text goes: a memory buffer (tests, benchmarks) or a file. A sink lends the
// converter blocks of its own memory to format into (no copy); a file sink writes full blocks
// on a thread of its own while the converter fills the next one.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "base/result.h"

namespace zv {

class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual bool isOpen() const = 0;
    // A block of at least `minimum` bytes to write into; `available` receives its size.
    virtual char* beginBlock(size_t minimum, size_t& available) = 0;
    // The first `used` bytes of the block are output. False when they could not be written
    // (then, and after any earlier failure, the sink takes nothing more).
    virtual bool commitBlock(size_t used) = 0;
    // Appends n bytes through the blocks.
    bool write(const char* data, size_t n);
};

class MemorySink final : public OutputSink {
public:
    bool isOpen() const override { return true; }
    char* beginBlock(size_t minimum, size_t& available) override;
    bool commitBlock(size_t used) override;
    std::string_view text() const { return std::string_view(data_.get(), size_); }
    // Empties the text but keeps the allocation, so repeated runs do not allocate.
    void clear() { size_ = 0; }
    void reserve(size_t n);

private:
    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// A binary file: line ends are written as given (CR LF), on every platform. A named file is
// written under a temporary name beside it and takes its name at close, when every write
// succeeded: a conversion that fails half-way (a full disk, a vanished folder) leaves no
// truncated file, and a file of that name from an earlier conversion stays as it was.
class FileSink final : public OutputSink {
public:
    static constexpr size_t kBlockSize = 256 * 1024;

    FileSink() = default;
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    // Starts a file that replaces path at close; false (error() says why) when it cannot be
    // created.
    bool open(const std::string& path);
    // Writes to an already open stream (standard output) that close() leaves open.
    void attach(std::FILE* stream);
    // Writes what is left, then closes (or detaches) and puts the file in its place; false when
    // any write, the close or the replacing failed, and the file of that name is untouched.
    bool close();
    // Why open, a write or close failed: a result code carrying the Windows error (kOk when
    // nothing failed).
    Result error() const { return error_.load(std::memory_order_acquire); }
    // The output is not what it should be for a reason of the caller's: close() then drops it.
    void abandon(Result why) { fail(why); }

    bool isOpen() const override { return file_ != nullptr; }
    char* beginBlock(size_t minimum, size_t& available) override;
    bool commitBlock(size_t used) override;
    bool failed() const { return failed_.load(std::memory_order_acquire); }

private:
    void start(std::FILE* stream, bool owned);
    void writerLoop();
    void fail(Result why);

    std::FILE* file_ = nullptr;
    std::string target_;     // the name the file takes at close
    std::string temporary_;  // the name it is written under
    std::atomic<Result> error_{kOk};
    bool owned_ = false;
    // Two blocks: the converter fills one while the writer thread writes the other.
    std::array<std::unique_ptr<char[]>, 2> blocks_;
    std::array<size_t, 2> lengths_{};
    std::array<bool, 2> full_{};
    int filling_ = 0;
    bool stop_ = false;
    std::atomic<bool> failed_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread writer_;
};

}  // namespace zv
