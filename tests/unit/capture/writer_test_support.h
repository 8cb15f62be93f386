// Helpers for the writer-side capture tests: a file system that fails on demand, a folder
// listing made up in memory, record builders and file reading.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "capture/file_system.h"
#include "capture/watch_list.h"

namespace zv::test {

// Passes everything to the real file system, except the faults the test arms.
class FaultFileSystem final : public FileSystem {
public:
    // The n-th write call from now on (1 = the next one) fails with writeError after writing
    // its first partialBytes bytes.
    int failWriteCall = 0;
    Result writeError = resultFromSystemError(kErrorWriteFault);
    size_t partialBytes = 0;
    // Bytes that still fit on the disk; a write that needs more writes what fits and fails
    // with ERROR_DISK_FULL. Cutting a file back frees its bytes again.
    std::optional<uint64_t> diskSpace;
    Result truncateError = kOk;
    Result flushError = kOk;
    Result closeError = kOk;
    // Called with the path after every write or truncation that reached a file, failed or not:
    // the moments a killed program could leave the file behind.
    std::function<void(const std::string&)> afterChange;
    int flushCalls = 0;

    Result createNew(const std::string& path, std::unique_ptr<WritableFile>& file) override {
        std::unique_ptr<WritableFile> inner;
        const Result r = realFileSystem().createNew(path, inner);
        if (failed(r)) return r;
        file = std::make_unique<File>(*this, path, std::move(inner));
        return kOk;
    }
    Result remove(const std::string& path) override { return realFileSystem().remove(path); }
    Result listFolder(const std::string& folder, const std::function<void(std::string_view)>& visit) override {
        return realFileSystem().listFolder(folder, visit);
    }
    Result createFolders(const std::string& path) override { return realFileSystem().createFolders(path); }

private:
    class File final : public WritableFile {
    public:
        File(FaultFileSystem& fs, std::string path, std::unique_ptr<WritableFile> inner)
            : fs_(fs), path_(std::move(path)), inner_(std::move(inner)) {}
        Result writeAt(uint64_t offset, const uint8_t* bytes, size_t n) override {
            size_t written = n;
            Result failure = kOk;
            if (fs_.failWriteCall > 0 && --fs_.failWriteCall == 0) {
                written = std::min(n, fs_.partialBytes);
                failure = fs_.writeError;
            }
            if (fs_.diskSpace) {
                const uint64_t end = offset + written;
                const uint64_t growth = end > size_ ? end - size_ : 0;  // writes never leave holes
                if (growth > *fs_.diskSpace) {
                    written -= static_cast<size_t>(growth - *fs_.diskSpace);
                    failure = resultFromSystemError(kErrorDiskFull);
                }
            }
            Result r = inner_->writeAt(offset, bytes, written);
            if (succeeded(r)) grow(offset + written);
            if (succeeded(r) && failed(failure)) r = failure;
            if (fs_.afterChange) fs_.afterChange(path_);
            return r;
        }
        Result truncate(uint64_t size) override {
            if (failed(fs_.truncateError)) return fs_.truncateError;
            const Result r = inner_->truncate(size);
            if (succeeded(r)) {
                if (fs_.diskSpace && size < size_) *fs_.diskSpace += size_ - size;
                size_ = size;
            }
            if (fs_.afterChange) fs_.afterChange(path_);
            return r;
        }
        Result flushToDisk() override {
            ++fs_.flushCalls;
            if (failed(fs_.flushError)) return fs_.flushError;
            return inner_->flushToDisk();
        }
        Result close() override {
            const Result r = inner_->close();  // always really closed, so it can be deleted
            return failed(fs_.closeError) ? fs_.closeError : r;
        }

    private:
        void grow(uint64_t end) {
            if (end <= size_) return;
            if (fs_.diskSpace) *fs_.diskSpace -= end - size_;
            size_ = end;
        }

        FaultFileSystem& fs_;
        std::string path_;
        std::unique_ptr<WritableFile> inner_;
        uint64_t size_ = 0;
    };
};

// A folder whose listing is a list of names; nothing can be written.
class ListingFileSystem final : public FileSystem {
public:
    std::vector<std::string> names;

    Result createNew(const std::string&, std::unique_ptr<WritableFile>&) override {
        return resultFromSystemError(kErrorAccessDenied);
    }
    Result remove(const std::string&) override { return resultFromSystemError(kErrorAccessDenied); }
    Result listFolder(const std::string&, const std::function<void(std::string_view)>& visit) override {
        for (const std::string& n : names) visit(n);
        return kOk;
    }
    Result createFolders(const std::string&) override { return kOk; }
};

inline std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in.tellg();
    if (!in || size <= 0) return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

template <class Bytes>
std::vector<uint8_t> slice(const Bytes& v, size_t from, size_t n) {
    return std::vector<uint8_t>(v.begin() + static_cast<std::ptrdiff_t>(from),
                                v.begin() + static_cast<std::ptrdiff_t>(from + n));
}

inline std::vector<uint8_t> le32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

// The record bytes a data file's header counts (at headerSize - 4) and the bytes that follow
// its header, read without loading the whole file; nothing while the header is incomplete.
struct CountedAndPresent {
    uint32_t counted;
    uint64_t present;
};
inline std::optional<CountedAndPresent> countedAndPresent(const std::string& path, size_t headerSize) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in.tellg();
    if (!in || size < static_cast<std::streamoff>(headerSize)) return std::nullopt;
    std::array<uint8_t, 4> count{};
    in.seekg(static_cast<std::streamoff>(headerSize - 4));
    in.read(reinterpret_cast<char*>(count.data()), 4);
    if (!in) return std::nullopt;
    return CountedAndPresent{getU32(count.data(), 0), static_cast<uint64_t>(size) - headerSize};
}

inline bool fileExists(const std::string& path) { return std::ifstream(path, std::ios::binary).good(); }

inline void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

using Record = std::array<uint8_t, 32>;

// A CAN data frame: standard identifiers are stored shifted left by 18 bits.
inline Record canRecord(uint8_t source, uint32_t id, bool extended, uint8_t fill = 0) {
    Record r{};
    r[0] = source;
    r[10] = 8;
    r[11] = static_cast<uint8_t>((extended ? 0x80 : 0) | 8);
    putU32(r.data(), 12, extended ? id : id << 18);
    for (size_t i = 16; i < 24; ++i) r[i] = fill;
    return r;
}

// A LIN frame with the protected identifier in byte 13.
inline Record linRecord(uint8_t source, uint8_t pid, int8_t byteCount, uint8_t frameInfo, uint16_t status = 0) {
    Record r{};
    r[0] = source;
    putU16(r.data(), 2, status);
    r[10] = static_cast<uint8_t>(byteCount);
    r[11] = frameInfo;
    r[13] = pid;
    r[14] = 0x55;
    return r;
}

// n records of a counting pattern: every record differs, so misplaced bytes show.
// A watch entry as the dialog leaves it.
inline WatchEntry watchEntry(uint8_t channel, uint8_t frameType, uint32_t identifier, bool enabled = true) {
    WatchEntry e;
    e.channel = channel;
    e.frameType = frameType;
    e.identifier = identifier;
    e.enabled = enabled;
    return e;
}

inline std::vector<uint8_t> patternRecords(size_t n, uint32_t first = 0) {
    std::vector<uint8_t> out(n * 32);
    for (size_t i = 0; i < n; ++i) {
        uint8_t* r = out.data() + i * 32;
        const uint32_t k = first + static_cast<uint32_t>(i);
        r[0] = 1;
        putU32(r, 4, k);
        putU32(r, 12, 0x123u << 18);
        for (size_t j = 16; j < 32; ++j) r[j] = static_cast<uint8_t>(k * 7 + j);
    }
    return out;
}

}  // namespace zv::test
