#include "conversion/output_sink.h"

namespace zv {

FileSink::~FileSink() { close(); }

bool FileSink::open(const std::string& path) {
    close();
    failed_ = false;
    file_ = std::fopen(path.c_str(), "wb");
    owned_ = file_ != nullptr;
    if (file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);  // the converter writes whole blocks
    return file_ != nullptr;
}

void FileSink::attach(std::FILE* stream) {
    close();
    failed_ = false;
    file_ = stream;
    owned_ = false;
}

bool FileSink::close() {
    if (file_ == nullptr) return !failed_;
    if (std::fflush(file_) != 0) failed_ = true;
    if (owned_ && std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    owned_ = false;
    return !failed_;
}

bool FileSink::write(const char* data, size_t n) {
    if (file_ == nullptr || failed_) return false;
    if (n != 0 && std::fwrite(data, 1, n, file_) != n) failed_ = true;
    return !failed_;
}

}  // namespace zv
