#include "base/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <new>
#include <vector>

#include <sys/stat.h>

namespace zv {

uint32_t systemErrorFromErrno(int error) {
    switch (error) {
        case ENOENT: return kErrorFileNotFound;
        case ENOTDIR: return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR: return kErrorAccessDenied;
        case EROFS: return 19;           // write-protected medium
        case EMFILE:
        case ENFILE: return 4;           // too many open files
        case ENOMEM: return kErrorNotEnoughMemory;
        case EEXIST: return kErrorFileExists;
        case EINVAL: return kErrorInvalidParameter;
        case ENOSPC: return kErrorDiskFull;
#ifdef EDQUOT
        case EDQUOT: return kErrorDiskFull;
#endif
        case EFBIG: return 223;          // file too large
        case ENAMETOOLONG: return 206;   // file name too long
        case EBUSY: return 32;           // sharing violation
        case EIO: return kErrorWriteFault;
        default: return kErrorGenFailure;
    }
}

Result resultFromErrno(uint32_t fallback) {
    const int e = errno;
    return resultFromSystemError(e ? systemErrorFromErrno(e) : fallback);
}

Result createFailureFromErrno() {
    if (errno == ENOENT) return resultFromSystemError(kErrorPathNotFound);
    return resultFromErrno(kErrorAccessDenied);
}

namespace {

bool seekEnd(std::FILE* f, long long& size) {
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) != 0) return false;
    size = _ftelli64(f);
    return size >= 0 && _fseeki64(f, 0, SEEK_SET) == 0;
#else
    if (fseeko(f, 0, SEEK_END) != 0) return false;
    size = static_cast<long long>(ftello(f));
    return size >= 0 && fseeko(f, 0, SEEK_SET) == 0;
#endif
}

// The temporary file of a save: written through, closed, and only then put in its place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) : target_(target), path_(temporaryPathFor(target)) {}
    ~TemporaryFile() { discard(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    Result open() {
        errno = 0;
        file_ = std::fopen(path_.c_str(), "wb");
        if (file_ == nullptr) return createFailureFromErrno();
        // Every write goes to the system at once, so a full disk shows at the write that meets
        // it, with its reason, rather than in a buffer flushed later.
        std::setvbuf(file_, nullptr, _IONBF, 0);
        return kOk;
    }

    Result write(const uint8_t* bytes, size_t size) { return writeAllTo(file_, bytes, size); }

    // Closes the file (a full disk may only show here, when the system writes out its buffer)
    // and puts it in the target's place.
    Result commit() {
        errno = 0;
        std::FILE* f = file_;
        file_ = nullptr;
        if (std::fclose(f) != 0) {
            const Result r = resultFromErrno(kErrorWriteFault);
            std::remove(path_.c_str());
            return r;
        }
        const Result r = replaceFile(path_, target_);
        if (failed(r)) std::remove(path_.c_str());
        return r;
    }

    void discard() {
        if (file_ == nullptr) return;
        std::fclose(file_);
        file_ = nullptr;
        std::remove(path_.c_str());
    }

private:
    std::string target_;
    std::string path_;
    std::FILE* file_ = nullptr;
};

}  // namespace

bool readWholeFile(const std::string& path, FileImage& image) {
    image = FileImage{};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    long long size = 0;
    // A folder opens for reading on some systems and reports a meaningless size.
    struct stat st {};
    const bool regular = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
    if (!regular) errno = EISDIR;
    bool ok = regular && seekEnd(f, size) &&
              static_cast<unsigned long long>(size) <= SIZE_MAX;
    if (ok) {
        const size_t n = static_cast<size_t>(size);
        // Not value-initialised: the read fills every byte.
        image.bytes.reset(new (std::nothrow) uint8_t[n == 0 ? 1 : n]);
        ok = image.bytes != nullptr && std::fread(image.bytes.get(), 1, n, f) == n;
        image.size = n;
    }
    std::fclose(f);
    if (!ok) image = FileImage{};
    return ok;
}

std::string temporaryPathFor(const std::string& path) { return path + ".new"; }

std::string fileErrorText(Result result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    const char* meaning = nullptr;
    switch (systemErrorOf(result)) {
        case kErrorFileNotFound: meaning = "file not found"; break;
        case kErrorPathNotFound: meaning = "folder not found"; break;
        case kErrorAccessDenied: meaning = "access denied"; break;
        case kErrorWriteFault: meaning = "write fault"; break;
        case kErrorDiskFull: meaning = "disk full"; break;
        default: break;
    }
    return meaning ? std::string(code) + " (" + meaning + ")" : std::string(code);
}

Result writeWholeFile(const std::string& path, const uint8_t* bytes, size_t size) {
    TemporaryFile file(path);
    Result r = file.open();
    if (succeeded(r)) r = file.write(bytes, size);
    if (succeeded(r)) r = file.commit();
    return r;
}

Result copyFileReplacing(const std::string& from, const std::string& to) {
    errno = 0;
    std::FILE* source = std::fopen(from.c_str(), "rb");
    if (source == nullptr) return resultFromErrno(kErrorFileNotFound);
    TemporaryFile file(to);
    Result r = file.open();
    std::vector<uint8_t> block(64 * 1024);
    while (succeeded(r)) {
        errno = 0;
        const size_t n = std::fread(block.data(), 1, block.size(), source);
        if (n < block.size() && std::ferror(source)) {
            r = resultFromErrno(kErrorReadFault);
            break;
        }
        r = file.write(block.data(), n);
        if (n < block.size()) break;
    }
    std::fclose(source);
    if (succeeded(r)) r = file.commit();
    return r;
}

}  // namespace zv
