#include "capture/buffer_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <queue>
#include <utility>

#include "base/bytes.h"
#include "capture/watch_list.h"

namespace zv {
namespace {

constexpr size_t kMarkerSize = 32;
constexpr size_t kNumberDigits = 8;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool endsWithDt(std::string_view name) {
    return name.size() >= 3 && name[name.size() - 3] == '.' && upper(name[name.size() - 2]) == 'D' &&
           upper(name[name.size() - 1]) == 'T';
}

bool isFileGone(Result r) {
    const uint32_t e = systemErrorOf(r);
    return e == kErrorFileNotFound || e == kErrorPathNotFound;
}

}  // namespace

uint32_t BufferSettings::blockSize() const {
    const int index = std::clamp(blockSizeIndex, 0, 3);
    return (1u << 20) << index;
}

int32_t bufferFileNumber(std::string_view name) {
    if (name.size() < kNumberDigits) return -1;
    int32_t value = 0;
    for (size_t i = 0; i < kNumberDigits; ++i) {
        if (!isDigit(name[i])) return -1;
        value = value * 10 + (name[i] - '0');
    }
    if (name.size() > kNumberDigits && name[kNumberDigits] != '.') return -1;
    return value;  // eight digits never reach 100,000,000
}

bool isBufferFileName(std::string_view name) { return endsWithDt(name) && bufferFileNumber(name) >= 0; }

std::string bufferFileName(int32_t number) {
    char text[24];
    std::snprintf(text, sizeof text, "%08d.DT", static_cast<int>(number));
    return text;
}

BufferFolderScan scanBufferFolder(FileSystem& fs, const std::string& folder, size_t keepLimit) {
    BufferFolderScan scan;
    // Keeps the lowest numbers when there are more files than the list holds, so that "the
    // oldest file" is always the oldest in the folder, whatever order the listing comes in.
    const auto higher = [](const BufferFileEntry& a, const BufferFileEntry& b) { return a.number < b.number; };
    std::priority_queue<BufferFileEntry, std::vector<BufferFileEntry>, decltype(higher)> kept(higher);
    scan.result = fs.listFolder(folder, [&](std::string_view name) {
        if (!isBufferFileName(name)) return;
        const int32_t number = bufferFileNumber(name);
        ++scan.count;
        scan.highest = std::max(scan.highest, number);
        if (keepLimit == 0) return;
        if (kept.size() < keepLimit) {
            kept.push({number, std::string(name)});
        } else if (number < kept.top().number) {
            kept.pop();
            kept.push({number, std::string(name)});
        }
    });
    if (failed(scan.result)) {
        scan.count = 0;
        scan.highest = -1;
        return scan;
    }
    scan.files.reserve(kept.size());
    while (!kept.empty()) {
        scan.files.push_back(kept.top());
        kept.pop();
    }
    std::reverse(scan.files.begin(), scan.files.end());
    return scan;
}

MonitorPrecheckResult checkBufferFolderBeforeMonitor(FileSystem& fs, const BufferSettings& settings) {
    MonitorPrecheckResult out;
    const BufferFolderScan scan = scanBufferFolder(fs, settings.folder, 0);
    out.result = scan.result;
    if (failed(scan.result)) return out;
    out.count = scan.count;
    out.highest = scan.highest;
    const bool append = settings.flags & kBufferFlagAppend;
    const bool fullStop = settings.flags & kBufferFlagFullStop;
    if (append && scan.highest + 1 > 99999000)
        out.decision = MonitorPrecheck::NumberRangeExhausted;
    else if (fullStop && append && scan.count >= static_cast<uint32_t>(std::max(settings.blockCount, 0)))
        out.decision = MonitorPrecheck::FileLimitReached;
    else if (scan.count > 0 && (settings.flags & kBufferFlagWarning))
        out.decision = MonitorPrecheck::AskDeleteExisting;
    return out;
}

BufferFiles::BufferFiles(FileSystem& fs, WatchList* watch)
    : fs_(fs), watch_(watch), writer_(fs), buffer_(kBufferWriteSize) {}

BufferFiles::~BufferFiles() {
    std::lock_guard lock(mutex_);
    finishLocked();
}

void BufferFiles::setLimitHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    limitHandler_ = std::move(handler);
}

std::function<void()> BufferFiles::takeLimitHandlerLocked() {
    if (!limitPending_) return {};
    limitPending_ = false;
    return limitHandler_;
}

void BufferFiles::publishFileCountLocked() { publishedFileCount_.store(fileCount_, std::memory_order_relaxed); }

Result BufferFiles::rescanLocked() {
    BufferFolderScan scan = scanBufferFolder(fs_, settings_.folder);
    if (failed(scan.result)) return scan.result;
    files_ = std::move(scan.files);
    fileCount_ = scan.count;
    // A file that appeared behind our back must not block the numbering.
    newest_ = std::max(newest_, scan.highest);
    listUpToDate_ = true;
    publishFileCountLocked();
    return kOk;
}

Result BufferFiles::startBufferFiles(const BufferSettings& settings, BoardType boardType) {
    std::function<void()> limitHandler;
    Result result;
    {
        std::lock_guard lock(mutex_);
        if (dataFileHeaderSize(boardType) == 0) return resultFromSystemError(kErrorNotSupported);
        finishLocked();

        settings_ = settings;
        settings_.blockCount = std::clamp(settings.blockCount, 2, 2000);
        boardType_ = boardType;
        {
            std::lock_guard infoLock(infoMutex_);
            // Until the analyzer's block arrives (some never send one), the files still name
            // their option board and its analog inputs.
            dataInfo_ = composeStandInDataInfoBlock(boardType);
            infoBoardType_ = boardType;
        }
        monitoring_ = true;
        stopped_ = false;
        limitPending_ = false;
        listUpToDate_ = false;
        blockSize_ = settings_.blockSize();
        fill_ = 0;
        // Every measurement's stream starts afresh; an expectation left over from the last
        // one would put a false lost-data marker in front of the first block.
        expectedPosition_ = 0;
        lostDataMarkers_.store(0, std::memory_order_relaxed);
        bytesReceived_.store(0, std::memory_order_relaxed);
        recordBytesNotWritten_.store(0, std::memory_order_relaxed);
        firstFailure_ = {};
        last_ = {};
        newest_ = -1;

        result = rescanLocked();
        if (succeeded(result) && !(settings_.flags & kBufferFlagAppend)) {
            while (succeeded(result) && fileCount_ > 0) {
                bool removedAny = false;
                for (const BufferFileEntry& f : files_) {
                    const Result r = fs_.remove(joinPath(settings_.folder, f.name));
                    if (succeeded(r)) {
                        removedAny = true;
                    } else if (!isFileGone(r)) {
                        result = r;
                        break;
                    }
                }
                if (failed(result)) break;
                newest_ = -1;
                result = rescanLocked();
                // Names that list but cannot be found again: nothing more to be done here.
                if (!removedAny) break;
            }
        }
        if (succeeded(result)) result = openNextFileLocked();
        if (failed(result)) monitoring_ = false;
        limitHandler = takeLimitHandlerLocked();
    }
    if (limitHandler) limitHandler();
    return result;
}

Result BufferFiles::appendMonitorBlock(uint32_t position, const uint8_t* bytes, size_t count) {
    if (!bytes) count = 0;
    std::function<void()> limitHandler;
    Result result = kOk;
    {
        std::lock_guard lock(mutex_);
        if (!monitoring_) return kFalse;
        const uint64_t writtenBefore = bytesWritten_;
        size_t offered = count;
        const auto blockPosition = static_cast<uint16_t>(position);
        if (blockPosition != expectedPosition_) {
            offered += kMarkerSize;
            lostDataMarkers_.fetch_add(1, std::memory_order_relaxed);
            std::array<uint8_t, kMarkerSize> marker{};
            marker[0] = kLostDataMarkerSource;
            expectedPosition_ = blockPosition;
            result = writeLocked(marker.data(), marker.size());
        }
        expectedPosition_ = static_cast<uint16_t>(expectedPosition_ + (count & ~static_cast<size_t>(3)));
        if (succeeded(result) && count > 0) result = writeLocked(bytes, count);
        // Nothing of the block stays in memory only: a program that ends without finishing
        // the file (killed, or the machine gone) still leaves every block in it.
        const Result flushed = flushLocked();
        if (succeeded(result)) result = flushed;
        // Records dropped at the file limit are the limit's rule, not a failure to report.
        if (failed(result) && result != kBufferFileLimit) {
            const uint64_t written = bytesWritten_ - writtenBefore;
            if (offered > written) recordBytesNotWritten_.fetch_add(offered - written, std::memory_order_relaxed);
            if (succeeded(firstFailure_.result)) firstFailure_ = {result, attemptedPath_};
        }
        limitHandler = takeLimitHandlerLocked();
    }
    if (watch_ && count > 0) watch_->matchWatch(bytes, count);
    bytesReceived_.fetch_add(count, std::memory_order_relaxed);
    if (limitHandler) limitHandler();
    return result;
}

Result BufferFiles::writeLocked(const uint8_t* bytes, size_t n) {
    Result result = kOk;
    while (n > 0) {
        if (!writer_.isOpen()) {
            const Result r = openNextFileLocked();
            if (failed(r)) return r;  // the bytes are dropped
        }
        // A file takes exactly the block size of records; the rest goes into the next one.
        const size_t room = blockSize_ - writer_.recordBytes() - fill_;
        const size_t take = std::min({n, kBufferWriteSize - fill_, room});
        std::memcpy(buffer_.data() + fill_, bytes, take);
        fill_ += take;
        bytes += take;
        n -= take;
        if (fill_ < kBufferWriteSize && take < room) continue;
        const Result w = flushLocked();
        // The rest of this block goes with the failed write; the next block starts a new file.
        if (failed(w)) return w;
        if (writer_.recordBytes() >= blockSize_) {
            // A full file whose last header cannot be written keeps its records all the same;
            // the rest of the block still goes into the next file, but the failure is reported.
            const Result f = finishLocked();
            if (failed(f)) result = f;
        }
    }
    return result;
}

std::string BufferFiles::pathOfLocked(int32_t number) const {
    return joinPath(settings_.folder, bufferFileName(number));
}

Result BufferFiles::flushLocked() {
    if (fill_ == 0 || !writer_.isOpen()) {
        fill_ = 0;
        return kOk;
    }
    const bool empty = writer_.recordBytes() == 0;
    const size_t n = fill_;
    fill_ = 0;
    const Result r = writer_.append(buffer_.data(), n);
    if (failed(r)) {
        // The writer has closed the file and forgotten its name; the number still gives it.
        if (openNumber_ >= 0) attemptedPath_ = pathOfLocked(openNumber_);
        fileClosedByFailureLocked(empty);
        return r;
    }
    bytesWritten_ += n;
    return r;
}

Result BufferFiles::fileClosedByFailureLocked(bool empty) {
    const int32_t number = openNumber_;
    openNumber_ = -1;
    fill_ = 0;
    if (number < 0) return kOk;
    const std::string path = pathOfLocked(number);
    if (!empty) {
        // The writer left the file with the records its header counts: it is a data file
        // like any finished one, and the one to show when monitoring ends.
        last_ = {path, number};
        return kOk;
    }
    // A file that never got a record holds nothing worth keeping.
    const Result removed = fs_.remove(path);
    if (!files_.empty() && files_.back().number == number) files_.pop_back();
    if (fileCount_ > 0) --fileCount_;
    listUpToDate_ = false;
    publishFileCountLocked();
    return removed;
}

Result BufferFiles::openNextFileLocked(bool retriedExisting) {
    if (writer_.isOpen()) finishLocked();
    if (stopped_) return kBufferFileLimit;
    attemptedPath_ = settings_.folder;  // a folder that cannot be listed is named as such
    if (!listUpToDate_) {
        const Result r = rescanLocked();
        if (failed(r)) return r;
    }
    const bool fullStop = settings_.flags & kBufferFlagFullStop;
    if (newest_ > kLastBufferFileNumber - 1 || (fullStop && fileCount_ >= static_cast<uint32_t>(settings_.blockCount))) {
        stopped_ = true;
        limitPending_ = true;
        return kBufferFileLimit;
    }
    const int32_t number = newest_ + 1;
    const std::string name = bufferFileName(number);
    attemptedPath_ = joinPath(settings_.folder, name);
    const Result r = writer_.create(attemptedPath_, boardType_, dataInfo());
    if (failed(r)) {
        listUpToDate_ = false;
        // Someone else put a file of that name into the folder: a fresh scan moves the
        // numbering past it, so one foreign file cannot stop the capture.
        if (systemErrorOf(r) == kErrorFileExists && !retriedExisting) {
            retriedExisting = true;
            const Result s = rescanLocked();
            if (succeeded(s)) return openNextFileLocked(true);
        }
        // A new file's name can only be missing when its folder is: say so, and name the folder.
        if (systemErrorOf(r) == kErrorFileNotFound) {
            attemptedPath_ = settings_.folder;
            return resultFromSystemError(kErrorPathNotFound);
        }
        return r;
    }
    newest_ = number;
    openNumber_ = number;
    fill_ = 0;
    if (files_.size() < kMaxListedBufferFiles) files_.push_back({number, name});
    ++fileCount_;
    // Without the full stop the folder keeps the newest blockCount files.
    while (fileCount_ > static_cast<uint32_t>(settings_.blockCount) && !files_.empty() &&
           files_.front().number != number) {
        const Result d = fs_.remove(joinPath(settings_.folder, files_.front().name));
        if (failed(d) && !isFileGone(d)) {
            listUpToDate_ = false;
            break;
        }
        files_.erase(files_.begin());
        --fileCount_;
    }
    publishFileCountLocked();
    return kOk;
}

Result BufferFiles::finishLocked() {
    if (!writer_.isOpen()) return kOk;
    const std::string path = writer_.path();
    const int32_t number = openNumber_;
    Result r = flushLocked();
    if (failed(r)) return r;
    const bool empty = writer_.recordBytes() == 0;
    r = writer_.finish(dataInfo());
    if (failed(r)) {
        fileClosedByFailureLocked(empty);
        return r;
    }
    openNumber_ = -1;
    last_ = {path, number};
    return kOk;
}

Result BufferFiles::finishBufferFile() {
    std::lock_guard lock(mutex_);
    return finishLocked();
}

Result BufferFiles::endMonitoring() {
    std::lock_guard lock(mutex_);
    monitoring_ = false;
    return finishLocked();
}

Result BufferFiles::abandonMonitoring() {
    std::lock_guard lock(mutex_);
    monitoring_ = false;
    if (!writer_.isOpen()) return kOk;
    if (writer_.recordBytes() > 0 || fill_ > 0) return finishLocked();
    writer_.close();
    return fileClosedByFailureLocked(true);
}

void BufferFiles::setDataInfo(const uint8_t* block, size_t n) {
    if (!block) return;
    std::lock_guard lock(mutex_);
    DataInfoBlock copy;
    {
        std::lock_guard infoLock(infoMutex_);
        copy = dataInfo_;
        parseDataInfoBlock(copy, block, n, infoBoardType_);
        dataInfo_ = copy;
    }
    // The open file carries the block at once, not only when it is finished: a file that is
    // never finished must still describe its records the way the analyzer recorded them.
    if (!writer_.isOpen()) return;
    const bool empty = writer_.recordBytes() == 0;
    if (failed(writer_.writeHeader(copy))) fileClosedByFailureLocked(empty);
}

DataInfoBlock BufferFiles::dataInfo() const {
    std::lock_guard lock(infoMutex_);
    return dataInfo_;
}

BufferCounters BufferFiles::counters() const {
    BufferCounters c;
    c.bytesReceived = bytesReceived_.load(std::memory_order_relaxed);
    c.recordsReceived = c.bytesReceived / 32;
    c.lostDataMarkers = lostDataMarkers_.load(std::memory_order_relaxed);
    c.bufferFiles = publishedFileCount_.load(std::memory_order_relaxed);
    c.recordsNotWritten = recordBytesNotWritten_.load(std::memory_order_relaxed) / kMarkerSize;
    return c;
}

BufferWriteFailure BufferFiles::firstWriteFailure() const {
    std::lock_guard lock(mutex_);
    return firstFailure_;
}

LastWrittenFile BufferFiles::lastWrittenFile() const {
    std::lock_guard lock(mutex_);
    return last_;
}

std::string BufferFiles::openFilePath() const {
    std::lock_guard lock(mutex_);
    return writer_.path();
}

bool BufferFiles::monitoring() const {
    std::lock_guard lock(mutex_);
    return monitoring_;
}

bool BufferFiles::stopped() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}

}  // namespace zv
