// Where converted text goes: a memory buffer (tests, benchmarks) or a file. The converter hands
// over large blocks, so a sink needs no buffer of its own.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace zv {

class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual bool isOpen() const = 0;
    // Appends n bytes; false when they could not all be written.
    virtual bool write(const char* data, size_t n) = 0;
};

class MemorySink final : public OutputSink {
public:
    bool isOpen() const override { return true; }
    bool write(const char* data, size_t n) override {
        text_.append(data, n);
        return true;
    }
    const std::string& text() const { return text_; }
    // Empties the text but keeps its allocation, so repeated runs do not allocate.
    void clear() { text_.clear(); }
    void reserve(size_t n) { text_.reserve(n); }

private:
    std::string text_;
};

// A binary file: line ends are written as given (CR LF), on every platform.
class FileSink final : public OutputSink {
public:
    FileSink() = default;
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    // Creates or replaces path for writing.
    bool open(const std::string& path);
    // Writes to an already open stream (standard output) that close() leaves open.
    void attach(std::FILE* stream);
    // Flushes and closes (or detaches); false when any write or the close failed.
    bool close();

    bool isOpen() const override { return file_ != nullptr; }
    bool write(const char* data, size_t n) override;
    bool failed() const { return failed_; }

private:
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    bool failed_ = false;
};

}  // namespace zv
