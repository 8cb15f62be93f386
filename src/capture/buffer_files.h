// The numbered buffer files of a monitor measurement ("%08d.DT" in the buffer folder): the
// folder rules, the checks before monitoring, and the writer that turns the stream of monitor
// blocks into files of one block size each, stopping at the configured number of files.
// Every monitor block is in its file, and counted by the file's header, by the time
// appendMonitorBlock returns, so the files open with all their records whenever the program
// stops.
//
// appendMonitorBlock runs on the remote library's thread while the UI thread reads the
// counters, finishes the last file and shows it. BufferFiles owns all of that state: the
// writer state is guarded by one lock, the counters the status bar reads are atomics.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/board_type.h"
#include "base/result.h"
#include "capture/data_file_writer.h"
#include "capture/file_system.h"
#include "setup/data_info.h"

namespace zv {

class WatchList;

// [buffer] flags.
constexpr uint32_t kBufferFlagFullStop = 0x1;  // stop when the folder holds blockCount files
constexpr uint32_t kBufferFlagAppend = 0x2;    // keep existing numbered files
constexpr uint32_t kBufferFlagWarning = 0x4;   // ask before deleting existing numbered files

constexpr size_t kBufferWriteSize = 65536;           // the most written to a file in one call
constexpr size_t kMaxListedBufferFiles = 65536;      // numbered files kept in the folder list
constexpr int32_t kLastBufferFileNumber = 99999999;  // "%08d" cannot go further
constexpr uint32_t kLostDataMarkerSource = 0x41;

struct BufferSettings {
    uint32_t flags = kBufferFlagFullStop | kBufferFlagWarning;
    int blockSizeIndex = 0;  // 0..3: 1, 2, 4 or 8 MiB of records per file
    int blockCount = 2;      // 2..2000: the most numbered files kept
    std::string folder;

    uint32_t blockSize() const;
};

// The number of a numbered name: exactly eight decimal digits, then "." or the end of the
// name; -1 for any other name.
int32_t bufferFileNumber(std::string_view name);
// A numbered name with the extension ".DT" (any case): the files every folder operation uses.
bool isBufferFileName(std::string_view name);
// "%08d.DT".
std::string bufferFileName(int32_t number);

struct BufferFileEntry {
    int32_t number;
    std::string name;
    bool operator==(const BufferFileEntry&) const = default;
};

struct BufferFolderScan {
    Result result = kOk;
    std::vector<BufferFileEntry> files;  // the lowest numbers found, ascending, at most keepLimit
    uint32_t count = 0;                  // every numbered file found
    int32_t highest = -1;                // -1 when there is none
};

BufferFolderScan scanBufferFolder(FileSystem& fs, const std::string& folder,
                                  size_t keepLimit = kMaxListedBufferFiles);

enum class MonitorPrecheck {
    Start,                 // go on
    AskDeleteExisting,     // numbered files exist and the warning is on: ask (9022 / 9023)
    NumberRangeExhausted,  // appending would run past the last number (9033 / 9050)
    FileLimitReached,      // appending into a folder that is already full (9033 / 9049)
};

struct MonitorPrecheckResult {
    Result result = kOk;  // a failed folder scan; the decision is then Start
    MonitorPrecheck decision = MonitorPrecheck::Start;
    uint32_t count = 0;
    int32_t highest = -1;
};

// The decisions of the monitor command before a measurement; the caller shows the boxes.
MonitorPrecheckResult checkBufferFolderBeforeMonitor(FileSystem& fs, const BufferSettings& settings);

struct BufferCounters {
    uint64_t bytesReceived = 0;
    uint64_t recordsReceived = 0;  // bytesReceived / 32
    uint32_t lostDataMarkers = 0;
    uint32_t bufferFiles = 0;      // numbered files in the buffer folder
    uint64_t recordsNotWritten = 0;  // records (lost-data markers included) no file holds
};

// The first failure of a measurement to write its buffer files: the file it was writing or
// creating and the system's reason. Later failures only add to recordsNotWritten.
struct BufferWriteFailure {
    Result result = kOk;  // kOk: none so far
    std::string path;
};

struct LastWrittenFile {
    std::string path;
    int32_t number = -1;  // -1: none yet
};

class BufferFiles {
public:
    explicit BufferFiles(FileSystem& fs = realFileSystem(), WatchList* watch = nullptr);
    ~BufferFiles();
    BufferFiles(const BufferFiles&) = delete;
    BufferFiles& operator=(const BufferFiles&) = delete;

    // Called once when the file limit is reached, on the thread that reached it, with no lock
    // held: the measurement must be told to stop.
    void setLimitHandler(std::function<void()> handler);

    // Prepares the folder (deleting the numbered files unless appending) and opens the first
    // file. The data-information block starts as the board type's stand-in, which readers
    // take (composeStandInDataInfoBlock). A board type without a data file form fails with
    // ERROR_NOT_SUPPORTED before anything is touched.
    Result startBufferFiles(const BufferSettings& settings, BoardType boardType);

    // One monitor block with its stream position (low 16 bits count). When it returns, the
    // block's records are in the file and counted by its header. Returns the result of
    // writing it; a failure drops the block's data, the next block goes on in a new file.
    // Blocks that arrive while not monitoring are ignored (kFalse).
    Result appendMonitorBlock(uint32_t position, const uint8_t* bytes, size_t count);

    // Writes the final header, hands the file to the disk and closes it; the file becomes the
    // last written file. A failure leaves the file with the records its header counts (it is
    // the last written file all the same); only a file without records is deleted then.
    Result finishBufferFile();
    // The measurement has ended: later blocks are ignored and the open file is finished.
    Result endMonitoring();
    // The measurement never started (the session or the analyzer refused it): later blocks
    // are ignored, and the file opened for it is deleted again while it holds no record, so
    // the folder is left as the start found it (less the numbered files the start replaced).
    // A file that did get records is finished as by endMonitoring. Returns the result of the
    // deletion or the finish.
    Result abandonMonitoring();

    // The analyzer's data-information block; the open file's header takes it at once, and
    // every file finished from now on carries it.
    void setDataInfo(const uint8_t* block, size_t n);
    DataInfoBlock dataInfo() const;

    BufferCounters counters() const;
    BufferWriteFailure firstWriteFailure() const;
    LastWrittenFile lastWrittenFile() const;
    std::string openFilePath() const;
    bool monitoring() const;
    bool stopped() const;

private:
    // Copies bytes into the write buffer, handing it to the file whenever it is full or the
    // file's block size is reached.
    Result writeLocked(const uint8_t* bytes, size_t n);
    // Hands what the write buffer holds to the open file, whose header then counts it.
    Result flushLocked();
    Result openNextFileLocked(bool retriedExisting = false);
    Result finishLocked();
    Result rescanLocked();
    std::string pathOfLocked(int32_t number) const;
    // The writer closed the open file after a failure: a file with records stays and becomes
    // the last written file, an empty one is deleted and forgotten.
    // Returns the result of deleting the empty file (kOk when it stays).
    Result fileClosedByFailureLocked(bool empty);
    void publishFileCountLocked();
    std::function<void()> takeLimitHandlerLocked();

    FileSystem& fs_;
    WatchList* watch_;

    mutable std::mutex mutex_;
    std::function<void()> limitHandler_;
    bool limitPending_ = false;
    BufferSettings settings_;
    BoardType boardType_ = kDefaultBoardType;
    uint32_t blockSize_ = 1u << 20;
    bool monitoring_ = false;
    bool stopped_ = false;
    DataFileWriter writer_;
    int32_t openNumber_ = -1;
    int32_t newest_ = -1;
    std::vector<uint8_t> buffer_;
    size_t fill_ = 0;
    std::vector<BufferFileEntry> files_;
    uint32_t fileCount_ = 0;
    bool listUpToDate_ = false;
    uint16_t expectedPosition_ = 0;
    LastWrittenFile last_;

    // The data-information block has a lock of its own, taken after mutex_ when both are
    // needed: the monitor list reads it every second and must not wait for a file write.
    mutable std::mutex infoMutex_;
    DataInfoBlock dataInfo_{};
    BoardType infoBoardType_ = kDefaultBoardType;

    std::atomic<uint64_t> bytesReceived_{0};
    std::atomic<uint32_t> lostDataMarkers_{0};
    std::atomic<uint32_t> publishedFileCount_{0};
    std::atomic<uint64_t> recordBytesNotWritten_{0};
    // Under mutex_. Bytes that reached a file's counted records, for the count of those that
    // did not; the path a failing write or create was about.
    uint64_t bytesWritten_ = 0;
    std::string attemptedPath_;
    BufferWriteFailure firstFailure_;
};

}  // namespace zv
