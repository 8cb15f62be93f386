// Readers of the logs other CAN/LIN tools write: ASC text logs, BLF binary logs and candump
// logs. Each hands out the frames of its log one at a time, in the order of the log, with the
// log's own channel number and time; the import (log_import.h) and the emulator's replay turn
// them into records. A reader takes its bytes from a LogInput a piece at a time and holds at
// most one BLF container (or one text line) besides, so a log of any size is read in bounded
// memory. A malformed line or object is reported to the problem sink with its line number or
// offset, and reading goes on after it; nothing is ever read past the end of the input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "formats/log_frame.h"
#include "formats/log_time.h"

namespace zv {

enum class LogFormat : uint8_t { Asc, Blf, Candump };

// "asc", "blf", "candump".
std::optional<LogFormat> logFormatNamed(std::string_view name);
// By the file name's extension (any case): .asc, .blf, .log.
std::optional<LogFormat> logFormatOfPath(std::string_view path);
const char* logFormatName(LogFormat format);  // "ASC", "BLF", "candump"
// By the first bytes of a log: "LOGG" is BLF, a first line in parentheses candump, else ASC.
LogFormat sniffLogFormat(const uint8_t* head, size_t n);

// Where a reader takes its bytes from.
class LogInput {
public:
    virtual ~LogInput() = default;
    // Up to n bytes into buffer; 0 at the end of the input (or after a read error).
    virtual size_t read(uint8_t* buffer, size_t n) = 0;
    // True when reading stopped on an error rather than at the end.
    virtual bool failed() const { return false; }
};

class MemoryLogInput final : public LogInput {
public:
    MemoryLogInput(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    explicit MemoryLogInput(std::string_view text)
        : bytes_(reinterpret_cast<const uint8_t*>(text.data())), size_(text.size()) {}
    size_t read(uint8_t* buffer, size_t n) override;

private:
    const uint8_t* bytes_;
    size_t size_;
    size_t at_ = 0;
};

class FileLogInput final : public LogInput {
public:
    FileLogInput() = default;
    ~FileLogInput() override;
    FileLogInput(const FileLogInput&) = delete;
    FileLogInput& operator=(const FileLogInput&) = delete;
    bool open(const std::string& path);
    size_t read(uint8_t* buffer, size_t n) override;
    bool failed() const override { return failed_; }

private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

enum class LogItemKind : uint8_t {
    Frame,       // a CAN or LIN frame: event.kind is CanFrame or LinFrame
    CanFd,       // a CAN FD frame (not held by the analyzer's records)
    ErrorFrame,  // a CAN error frame
};

struct LogItem {
    LogItemKind kind = LogItemKind::Frame;
    uint32_t channel = 0;  // the log's own channel number, from 1 (candump: the interface number + 1)
    uint64_t timeNs = 0;   // ASC, BLF: after the log's start; candump: since 1970 (UTC)
    LogEvent event;        // the frame (its channel field is left 0)
};

struct LogProblem {
    uint64_t line = 0;    // text logs: the line, from 1; 0 for binary logs
    uint64_t offset = 0;  // binary logs: the byte offset in the file
    std::string what;
};

// "line 12: ..." or "offset 4096: ...".
std::string logProblemText(const LogProblem& problem);

using LogProblemSink = std::function<void(const LogProblem&)>;

struct LogReadCounts {
    uint64_t items = 0;      // frames, CAN FD frames and error frames handed out
    uint64_t malformed = 0;  // lines or objects reported as malformed
    uint64_t skipped = 0;    // well-formed lines or objects of kinds that carry no frame
};

class LogReader {
public:
    virtual ~LogReader() = default;
    // The next item; false at the end of the log.
    virtual bool next(LogItem& item) = 0;
    // The wall-clock date and time (local) of the log's time 0, when the log states it (ASC
    // "date" line, BLF file header). Known once the first item has been read.
    virtual std::optional<CivilTime> startDate() const = 0;
    // True when the item times count from 1970 (candump) rather than from the log's start.
    virtual bool epochTimes() const { return false; }
    // False when the input is not a log of this format at all (no signature, or not one line
    // of the format); meaningful once next() has returned false.
    virtual bool recognized() const = 0;
    const LogReadCounts& counts() const { return counts_; }

protected:
    LogReadCounts counts_;
};

std::unique_ptr<LogReader> makeAscReader(LogInput& input, LogProblemSink problems);
std::unique_ptr<LogReader> makeBlfReader(LogInput& input, LogProblemSink problems);
std::unique_ptr<LogReader> makeCandumpReader(LogInput& input, LogProblemSink problems);
std::unique_ptr<LogReader> makeLogReader(LogFormat format, LogInput& input, LogProblemSink problems);

// The lines of a text input, one at a time, without their line ends. Lines longer than
// kMaxLine are cut there; the rest of such a line is passed over, and truncated() says so.
class LogLines {
public:
    static constexpr size_t kMaxLine = 4096;
    explicit LogLines(LogInput& input) : input_(input) {}
    bool next(std::string_view& line);
    uint64_t number() const { return number_; }
    bool truncated() const { return truncated_; }

private:
    bool fill();

    LogInput& input_;
    std::string buffer_;
    size_t at_ = 0;
    bool ended_ = false;
    bool truncated_ = false;
    uint64_t number_ = 0;
};

// The common part of the text readers: lines one at a time, each read by readLine; a line
// too long for any format is reported as malformed.
class LineLogReader : public LogReader {
public:
    LineLogReader(LogInput& input, LogProblemSink problems) : lines_(input), problems_(std::move(problems)) {}
    bool next(LogItem& item) final;
    bool recognized() const override { return recognized_; }

protected:
    // True when the line is an item (filled in).
    virtual bool readLine(std::string_view line, LogItem& item) = 0;
    void malformed(const std::string& what);

    bool recognized_ = false;

private:
    LogLines lines_;
    LogProblemSink problems_;
};

// Text helpers shared by the text readers.
namespace log_text {
inline int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
// The next blank-separated word of s (s is advanced past it); empty at the end.
std::string_view word(std::string_view& s);
// A hexadecimal number of 1 to 8 digits.
bool hexNumber(std::string_view s, uint32_t& value);
// A decimal number of 1 to 9 digits.
bool decimalNumber(std::string_view s, uint32_t& value);
// "S.fffffffff" (at most 9 decimals, at most 10 digits of seconds, so that the nanoseconds
// fit 64 bits) in nanoseconds.
bool secondsNs(std::string_view s, uint64_t& ns);
}  // namespace log_text

}  // namespace zv
