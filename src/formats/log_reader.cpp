#include "formats/log_reader.h"

#include <algorithm>
#include <cstring>

namespace zv {

std::optional<LogFormat> logFormatNamed(std::string_view name) {
    if (name == "asc") return LogFormat::Asc;
    if (name == "blf") return LogFormat::Blf;
    if (name == "candump") return LogFormat::Candump;
    return std::nullopt;
}

std::optional<LogFormat> logFormatOfPath(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::nullopt;
    std::string ext(path.substr(dot + 1));
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (ext == "asc") return LogFormat::Asc;
    if (ext == "blf") return LogFormat::Blf;
    if (ext == "log") return LogFormat::Candump;
    return std::nullopt;
}

const char* logFormatName(LogFormat format) {
    switch (format) {
        case LogFormat::Asc:
            return "ASC";
        case LogFormat::Blf:
            return "BLF";
        case LogFormat::Candump:
            return "candump";
    }
    return "";
}

LogFormat sniffLogFormat(const uint8_t* head, size_t n) {
    if (n >= 4 && std::memcmp(head, "LOGG", 4) == 0) return LogFormat::Blf;
    size_t i = 0;
    while (i < n && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n')) ++i;
    return i < n && head[i] == '(' ? LogFormat::Candump : LogFormat::Asc;
}

size_t MemoryLogInput::read(uint8_t* buffer, size_t n) {
    const size_t k = std::min(n, size_ - at_);
    if (k > 0) std::memcpy(buffer, bytes_ + at_, k);
    at_ += k;
    return k;
}

FileLogInput::~FileLogInput() {
    if (file_ != nullptr) std::fclose(file_);
}

bool FileLogInput::open(const std::string& path) {
    if (file_ != nullptr) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "rb");
    failed_ = false;
    return file_ != nullptr;
}

size_t FileLogInput::read(uint8_t* buffer, size_t n) {
    if (file_ == nullptr || n == 0) return 0;
    const size_t k = std::fread(buffer, 1, n, file_);
    if (k == 0 && std::ferror(file_)) failed_ = true;
    return k;
}

std::string logProblemText(const LogProblem& p) {
    return (p.line != 0 ? "line " + std::to_string(p.line) : "offset " + std::to_string(p.offset)) + ": " + p.what;
}

std::unique_ptr<LogReader> makeLogReader(LogFormat format, LogInput& input, LogProblemSink problems) {
    switch (format) {
        case LogFormat::Asc:
            return makeAscReader(input, std::move(problems));
        case LogFormat::Blf:
            return makeBlfReader(input, std::move(problems));
        case LogFormat::Candump:
            return makeCandumpReader(input, std::move(problems));
    }
    return nullptr;
}

bool LogLines::fill() {
    if (ended_) return false;
    if (at_ > 0) {
        buffer_.erase(0, at_);
        at_ = 0;
    }
    const size_t old = buffer_.size();
    buffer_.resize(old + 65536);
    const size_t k = input_.read(reinterpret_cast<uint8_t*>(buffer_.data()) + old, 65536);
    buffer_.resize(old + k);
    if (k == 0) ended_ = true;
    return k > 0;
}

bool LogLines::next(std::string_view& line) {
    truncated_ = false;
    for (;;) {
        const size_t nl = buffer_.find('\n', at_);
        if (nl != std::string::npos && nl - at_ <= kMaxLine) {
            line = std::string_view(buffer_).substr(at_, nl - at_);
            at_ = nl + 1;
            break;
        }
        if (buffer_.size() - at_ > kMaxLine) {
            // A line longer than any of the formats writes: keep its start, pass over the rest.
            line = std::string_view(buffer_).substr(at_, kMaxLine);
            truncated_ = true;
            const size_t end = nl;
            if (end != std::string::npos) {
                at_ = end + 1;
            } else {
                // Skip to the next line end, however far away; the kept start is copied first.
                std::string kept(line);
                buffer_.clear();
                at_ = 0;
                size_t found = std::string::npos;
                while (found == std::string::npos && fill()) {
                    found = buffer_.find('\n');
                    if (found == std::string::npos) buffer_.clear();
                }
                if (found != std::string::npos) buffer_.erase(0, found + 1);
                buffer_.insert(0, kept);
                at_ = kept.size();
                line = std::string_view(buffer_).substr(0, kept.size());
            }
            break;
        }
        if (!fill()) {
            if (at_ >= buffer_.size()) return false;
            line = std::string_view(buffer_).substr(at_);
            at_ = buffer_.size();
            break;
        }
    }
    ++number_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

bool LineLogReader::next(LogItem& item) {
    std::string_view line;
    while (lines_.next(line)) {
        if (lines_.truncated()) {
            malformed("line too long");
            continue;
        }
        if (readLine(line, item)) {
            ++counts_.items;
            return true;
        }
    }
    return false;
}

void LineLogReader::malformed(const std::string& what) {
    ++counts_.malformed;
    if (problems_) problems_({lines_.number(), 0, what});
}

namespace log_text {

std::string_view word(std::string_view& s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t j = i;
    while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
    const std::string_view w = s.substr(i, j - i);
    s.remove_prefix(j);
    return w;
}

bool hexNumber(std::string_view s, uint32_t& value) {
    if (s.empty() || s.size() > 8) return false;
    value = 0;
    for (const char c : s) {
        const int d = hexDigit(c);
        if (d < 0) return false;
        value = value << 4 | static_cast<uint32_t>(d);
    }
    return true;
}

bool decimalNumber(std::string_view s, uint32_t& value) {
    if (s.empty() || s.size() > 9) return false;
    value = 0;
    for (const char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return true;
}

bool secondsNs(std::string_view s, uint64_t& ns) {
    const size_t dot = s.find('.');
    const std::string_view whole = s.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : s.substr(dot + 1);
    if (whole.empty() || whole.size() > 10 || fraction.size() > 9) return false;
    if (dot != std::string_view::npos && fraction.empty()) return false;
    uint64_t seconds = 0;
    for (const char c : whole) {
        if (c < '0' || c > '9') return false;
        seconds = seconds * 10 + static_cast<uint64_t>(c - '0');
    }
    uint64_t part = 0;
    for (size_t i = 0; i < 9; ++i) {
        const char c = i < fraction.size() ? fraction[i] : '0';
        if (c < '0' || c > '9') return false;
        part = part * 10 + static_cast<uint64_t>(c - '0');
    }
    ns = seconds * 1000000000u + part;
    return true;
}

}  // namespace log_text

}  // namespace zv
