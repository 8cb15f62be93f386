#include "capture/file_system.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "capture/file_system_folders.h"

namespace zv {

Result resultFromErrorCode(const std::error_code& ec) {
#ifdef _WIN32
    if (ec.category() == std::system_category()) return resultFromSystemError(static_cast<uint32_t>(ec.value()));
#endif
    return resultFromSystemError(systemErrorFromErrno(ec.value()));
}

namespace {

Result lastErrnoResult(uint32_t fallback) { return resultFromErrno(fallback); }

class StdioFile final : public WritableFile {
public:
    explicit StdioFile(std::FILE* f) : file_(f) {}
    ~StdioFile() override { close(); }

    Result writeAt(uint64_t offset, const uint8_t* bytes, size_t n) override {
        if (!file_) return resultFromSystemError(kErrorInvalidParameter);
        if (n == 0) return kOk;
        const Result r = seekTo(offset);
        if (failed(r)) return r;
        return writeAllTo(file_, bytes, n);
    }

    Result truncate(uint64_t size) override {
        if (!file_) return resultFromSystemError(kErrorInvalidParameter);
        if (size > static_cast<uint64_t>(INT64_MAX)) return resultFromSystemError(kErrorInvalidParameter);
        errno = 0;
        if (std::fflush(file_) != 0) return lastErrnoResult(kErrorWriteFault);
#ifdef _WIN32
        const int rc = ::_chsize_s(::_fileno(file_), static_cast<long long>(size));
        if (rc != 0) return resultFromSystemError(systemErrorFromErrno(rc));
#else
        if (::ftruncate(::fileno(file_), static_cast<off_t>(size)) != 0) return lastErrnoResult(kErrorWriteFault);
#endif
        return kOk;
    }

    Result flushToDisk() override {
        if (!file_) return resultFromSystemError(kErrorInvalidParameter);
        errno = 0;
        if (std::fflush(file_) != 0) return lastErrnoResult(kErrorWriteFault);
#ifdef _WIN32
        // _commit is FlushFileBuffers on the file's handle.
        if (::_commit(::_fileno(file_)) != 0) return lastErrnoResult(kErrorWriteFault);
#else
        if (::fsync(::fileno(file_)) != 0) return lastErrnoResult(kErrorWriteFault);
#endif
        return kOk;
    }

    Result close() override {
        if (!file_) return kOk;
        errno = 0;
        const int rc = std::fclose(file_);
        file_ = nullptr;
        return rc == 0 ? kOk : lastErrnoResult(kErrorWriteFault);
    }

private:
    Result seekTo(uint64_t offset) {
        if (offset > static_cast<uint64_t>(INT64_MAX)) return resultFromSystemError(kErrorInvalidParameter);
        errno = 0;
#ifdef _WIN32
        const int rc = ::_fseeki64(file_, static_cast<long long>(offset), SEEK_SET);
#else
        const int rc = ::fseeko(file_, static_cast<off_t>(offset), SEEK_SET);
#endif
        return rc == 0 ? kOk : lastErrnoResult(kErrorGenFailure);
    }

    std::FILE* file_;
};

class RealFileSystem final : public FileSystem {
public:
    Result createNew(const std::string& path, std::unique_ptr<WritableFile>& file) override {
        file.reset();
        errno = 0;
        // O_EXCL: the create itself fails when the name exists, with no window in between.
#ifdef _WIN32
        const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
        if (fd < 0) return lastErrnoResult(kErrorGenFailure);
#ifdef _WIN32
        std::FILE* f = ::_fdopen(fd, "wb");
#else
        std::FILE* f = ::fdopen(fd, "wb");
#endif
        if (!f) {
            const Result r = lastErrnoResult(kErrorNotEnoughMemory);
#ifdef _WIN32
            ::_close(fd);
#else
            ::close(fd);
#endif
            std::remove(path.c_str());
            return r;
        }
        // The callers buffer themselves; unbuffered writes report a full disk at once.
        std::setvbuf(f, nullptr, _IONBF, 0);
        file = std::make_unique<StdioFile>(f);
        return kOk;
    }

    Result remove(const std::string& path) override {
        errno = 0;
        if (std::remove(path.c_str()) != 0) return lastErrnoResult(kErrorGenFailure);
        return kOk;
    }

    Result listFolder(const std::string& folder, const std::function<void(std::string_view)>& visit) override {
        return detail::listRealFolder(folder, visit);
    }

    Result createFolders(const std::string& path) override { return detail::createRealFolders(path); }
};

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

FileSystem& realFileSystem() {
    static RealFileSystem instance;
    return instance;
}

std::string joinPath(std::string_view folder, std::string_view name) {
#ifdef _WIN32
    constexpr char kSeparator = '\\';
#else
    constexpr char kSeparator = '/';
#endif
    std::string out(folder);
    if (!out.empty() && !isSeparator(out.back())) out += kSeparator;
    out += name;
    return out;
}

}  // namespace zv
