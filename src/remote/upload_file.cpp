#include "remote/upload_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/bytes.h"
#include "capture/data_file_writer.h"
#include "capture/file_system.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zv {
namespace {

Result errnoResult(uint32_t fallback) {
    const int e = errno;
    return resultFromSystemError(e ? systemErrorFromErrno(e) : fallback);
}

class StdioUploadFile final : public UploadFile {
public:
    explicit StdioUploadFile(std::FILE* f) : file_(f) {}
    ~StdioUploadFile() override { close(); }

    Result write(const uint8_t* bytes, size_t n) override {
        if (!file_) return resultFromSystemError(kErrorInvalidParameter);
        if (n == 0) return kOk;
        return writeAllTo(file_, bytes, n);
    }

    Result setEndHere() override {
        if (!file_) return resultFromSystemError(kErrorInvalidParameter);
        errno = 0;
        if (std::fflush(file_) != 0) return errnoResult(kErrorWriteFault);
        const long position = std::ftell(file_);
        if (position < 0) return errnoResult(kErrorGenFailure);
#ifdef _WIN32
        const int rc = _chsize_s(_fileno(file_), position);
        if (rc != 0) return resultFromSystemError(systemErrorFromErrno(rc));
#else
        if (ftruncate(fileno(file_), static_cast<off_t>(position)) != 0) return errnoResult(kErrorWriteFault);
#endif
        return kOk;
    }

    Result seekToStart() override {
        if (!file_) return resultFromSystemError(kErrorInvalidParameter);
        errno = 0;
        if (std::fseek(file_, 0, SEEK_SET) != 0) return errnoResult(kErrorGenFailure);
        return kOk;
    }

    Result close() override {
        if (!file_) return kOk;
        errno = 0;
        const int rc = std::fclose(file_);
        file_ = nullptr;
        return rc == 0 ? kOk : errnoResult(kErrorWriteFault);
    }

private:
    std::FILE* file_;
};

}  // namespace

Result createUploadFile(const std::string& path, std::unique_ptr<UploadFile>& file) {
    file.reset();
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "w+b");
    if (!f) return createFailureFromErrno();
    std::setvbuf(f, nullptr, _IONBF, 0);
    file = std::make_unique<StdioUploadFile>(f);
    return kOk;
}

Result rewriteDataFileHeader(const std::string& path, BoardType boardType, const DataInfoBlock& info) {
    const size_t headerSize = dataFileHeaderSize(boardType);
    if (headerSize == 0) return resultFromSystemError(kErrorNotSupported);
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) return errnoResult(kErrorFileNotFound);
    std::array<uint8_t, kDataFileHeaderSizeDual> old{};
    std::array<uint8_t, kDataFileHeaderSizeDual> fresh{};
    Result r = kOk;
    if (std::fread(old.data(), 1, headerSize, f) != headerSize) {
        r = kInvalidData;
    } else {
        // The record count stays; everything in front of it must be laid out as this family
        // writes it, or the file is someone else's.
        const size_t countOffset = headerSize - 4;
        composeDataFileHeader(fresh.data(), boardType, info, getU32(old.data(), countOffset));
        if (std::memcmp(old.data(), fresh.data(), 24) != 0 ||
            std::memcmp(old.data() + countOffset - 4, fresh.data() + countOffset - 4, 4) != 0) {
            r = kInvalidData;
        } else if (std::fseek(f, 0, SEEK_SET) != 0 || std::fwrite(fresh.data(), 1, headerSize, f) != headerSize) {
            r = errnoResult(kErrorWriteFault);
        }
    }
    if (std::fclose(f) != 0 && succeeded(r)) r = errnoResult(kErrorWriteFault);
    return r;
}

}  // namespace zv
