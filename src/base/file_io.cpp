#include "base/file_io.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <new>

#include <sys/stat.h>

namespace zv {

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

Result writeWholeFile(const std::string& path, const uint8_t* bytes, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return resultFromSystemError(static_cast<uint32_t>(errno ? errno : EIO));
    const bool written = std::fwrite(bytes, 1, size, f) == size;
    const int writeError = errno;
    const bool closed = std::fclose(f) == 0;
    if (written && closed) return kOk;
    std::remove(path.c_str());  // never leave a truncated file behind
    return resultFromSystemError(static_cast<uint32_t>(writeError ? writeError : EIO));
}

}  // namespace zv
