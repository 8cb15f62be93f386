#include "capture/buffer_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "capture/capture.h"
#include "capture/cell_text.h"
#include "capture/watch_list.h"
#include "capture/writer_test_support.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

using test::fileExists;
using test::le32;
using test::patternRecords;
using test::readFileBytes;
using test::slice;

constexpr BoardType kDualBoard = 73763;
constexpr size_t kMiB = 1048576;
constexpr size_t kBlock = 8192;  // the largest monitor block
const Result kLimit = static_cast<Result>(0x80070012u);
const Result kDiskFull = static_cast<Result>(0x80070070u);

TEST(BufferFolder, NumberedNamesAreEightDigitsThenADotOrTheEnd) {
    EXPECT_EQ(bufferFileNumber("00000000.DT"), 0);
    EXPECT_EQ(bufferFileNumber("99999999.DT"), 99999999);
    EXPECT_EQ(bufferFileNumber("00000042"), 42);
    EXPECT_EQ(bufferFileNumber("00000042.old.DT"), 42);
    for (const char* other : {"1234567.DT", "123456789.DT", "0000004A.DT", "00000042x.DT", " 0000042.DT", ""})
        EXPECT_EQ(bufferFileNumber(other), -1) << other;
    EXPECT_TRUE(isBufferFileName("00000042.dt"));
    EXPECT_FALSE(isBufferFileName("00000042.txt"));
    EXPECT_FALSE(isBufferFileName("00000042.DTX"));
    EXPECT_EQ(bufferFileName(12345678), "12345678.DT");
    EXPECT_EQ(bufferFileName(7), "00000007.DT");
}

TEST(BufferFolder, ScanKeepsTheOldestWhileTheCountGoesOn) {
    test::ListingFileSystem fs;
    for (int n = 69999; n >= 0; --n) fs.names.push_back(bufferFileName(n));  // newest first
    fs.names.insert(fs.names.begin() + 5, {"1234567.DT", "notes.txt", "00000003.txt"});
    const BufferFolderScan scan = scanBufferFolder(fs, "x");
    EXPECT_EQ(scan.count, 70000u);
    EXPECT_EQ(scan.highest, 69999);
    ASSERT_EQ(scan.files.size(), 65536u);
    EXPECT_EQ(scan.files.front(), (BufferFileEntry{0, "00000000.DT"}));
    EXPECT_EQ(scan.files.back().number, 65535);
    EXPECT_TRUE(std::is_sorted(scan.files.begin(), scan.files.end(),
                               [](const BufferFileEntry& a, const BufferFileEntry& b) { return a.number < b.number; }));

    test::TempDir dir;
    EXPECT_EQ(scanBufferFolder(realFileSystem(), dir.path().string()).highest, -1);
    EXPECT_EQ(scanBufferFolder(realFileSystem(), dir.file("missing")).result, static_cast<Result>(0x80070003u));
}

struct PrecheckCase {
    std::vector<int> numbers;
    uint32_t flags;
    MonitorPrecheck expected;
};

class MonitorPrecheckTest : public ::testing::TestWithParam<PrecheckCase> {};

TEST_P(MonitorPrecheckTest, Decision) {
    test::ListingFileSystem fs;
    for (int n : GetParam().numbers) fs.names.push_back(bufferFileName(n));
    BufferSettings settings;
    settings.flags = GetParam().flags;
    settings.blockCount = 2;
    EXPECT_EQ(checkBufferFolderBeforeMonitor(fs, settings).decision, GetParam().expected);
}

constexpr uint32_t kStop = kBufferFlagFullStop, kAppend = kBufferFlagAppend, kWarn = kBufferFlagWarning;

INSTANTIATE_TEST_SUITE_P(
    Cases, MonitorPrecheckTest,
    ::testing::Values(PrecheckCase{{}, kStop | kWarn, MonitorPrecheck::Start},
                      PrecheckCase{{0}, kStop | kWarn, MonitorPrecheck::AskDeleteExisting},
                      PrecheckCase{{0, 1}, kStop, MonitorPrecheck::Start},
                      PrecheckCase{{99999000}, kAppend, MonitorPrecheck::NumberRangeExhausted},
                      PrecheckCase{{99998999}, kAppend, MonitorPrecheck::Start},
                      PrecheckCase{{3, 4}, kStop | kAppend | kWarn, MonitorPrecheck::FileLimitReached},
                      PrecheckCase{{3}, kStop | kAppend, MonitorPrecheck::Start},
                      PrecheckCase{{3, 4}, kAppend, MonitorPrecheck::Start}));

class BufferFilesTest : public ::testing::Test {
protected:
    test::TempDir dir;
    uint32_t position = 0;

    BufferSettings settings(int blockCount, uint32_t flags = kBufferFlagFullStop) const {
        BufferSettings s;
        s.flags = flags;
        s.blockCount = blockCount;
        s.folder = dir.path().string();
        return s;
    }
    std::string at(const std::string& name) const { return dir.file(name); }
    // The file opens as the program and the converter open it, and its header counts exactly
    // the records that follow it, which are RECORDS.
    static void expectRecords(const std::string& path, const std::vector<uint8_t>& records) {
        SCOPED_TRACE(path);
        const std::vector<uint8_t> file = readFileBytes(path);
        ASSERT_GE(file.size(), 844u);
        EXPECT_EQ(getU32(file.data(), 840), file.size() - 844);
        EXPECT_EQ(slice(file, 844, file.size() - 844), records);
        LoadedDataFile loaded;
        ASSERT_TRUE(loaded.loadFile(path)) << dataFileStatusText(loaded.status());
        EXPECT_EQ(loaded.capture().count(), records.size() / 32);
    }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // data[from, to) as consecutive monitor blocks of up to 8 KiB; each block's result.
    std::vector<Result> feed(BufferFiles& files, const std::vector<uint8_t>& data, size_t from = 0,
                             size_t to = SIZE_MAX) {
        std::vector<Result> results;
        for (size_t off = from; off < std::min(to, data.size()); off += kBlock) {
            const size_t n = std::min({kBlock, to - off, data.size() - off});
            results.push_back(files.appendMonitorBlock(position, data.data() + off, n));
            position += static_cast<uint32_t>(n);
        }
        return results;
    }
};

TEST_F(BufferFilesTest, EmptyFolderStartsWithFileZeroAndMovesOnAtTheBlockSize) {
    BufferFiles files;
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    std::vector<uint8_t> empty(844);
    composeDataFileHeader(empty.data(), kDualBoard, composeStandInDataInfoBlock(kDualBoard), 0);
    EXPECT_EQ(readFileBytes(at("00000000.DT")), empty);

    const std::vector<uint8_t> data = patternRecords((kMiB + kBlock) / 32);
    feed(files, data, 0, kMiB);
    const std::vector<uint8_t> first = readFileBytes(at("00000000.DT"));
    ASSERT_EQ(first.size(), 844 + kMiB);
    EXPECT_EQ(slice(first, 836, 8), (std::vector<uint8_t>{'M', 'D', 'C', 'L', 0x00, 0x00, 0x10, 0x00}));
    EXPECT_EQ(slice(first, 844, kMiB), slice(data, 0, kMiB));
    EXPECT_FALSE(fileExists(at("00000001.DT")));  // opened when data for it arrives

    feed(files, data, kMiB);
    EXPECT_EQ(files.endMonitoring(), kOk);
    const std::vector<uint8_t> second = readFileBytes(at("00000001.DT"));
    ASSERT_EQ(second.size(), 844 + kBlock);
    EXPECT_EQ(slice(second, 840, 4), le32(kBlock));
    EXPECT_EQ(slice(second, 844, kBlock), slice(data, kMiB, kBlock));

    EXPECT_EQ(files.lastWrittenFile().path, at("00000001.DT"));
    EXPECT_EQ(files.lastWrittenFile().number, 1);
    const BufferCounters c = files.counters();
    EXPECT_EQ(c.recordsReceived, (kMiB + kBlock) / 32);
    EXPECT_EQ(c.lostDataMarkers, 0u);
    EXPECT_EQ(c.bufferFiles, 2u);
    // Blocks that come in after the end are no part of the measurement.
    EXPECT_EQ(files.appendMonitorBlock(position, data.data(), 32), kFalse);
    EXPECT_EQ(files.counters().recordsReceived, c.recordsReceived);
}

TEST_F(BufferFilesTest, FullStopWhenAThirdFileWouldBeNeeded) {
    BufferFiles files;
    int limitCalls = 0;
    // The handler runs without the lock: the session may look at the writer again.
    files.setLimitHandler([&] { limitCalls += files.stopped() ? 1 : 100; });
    ASSERT_EQ(files.startBufferFiles(settings(2), kDualBoard), kOk);  // the setting "1M,2"
    const std::vector<uint8_t> data = patternRecords((3 * kMiB + kBlock) / 32);
    const std::vector<Result> results = feed(files, data);
    EXPECT_EQ(results[255], kOk);
    EXPECT_EQ(results[256], kLimit);
    EXPECT_EQ(results.back(), kLimit);
    EXPECT_EQ(limitCalls, 1);

    EXPECT_EQ(folderNames(), (std::vector<std::string>{"00000000.DT", "00000001.DT"}));
    for (size_t n = 0; n < 2; ++n) {
        const std::vector<uint8_t> file = readFileBytes(at(bufferFileName(static_cast<int32_t>(n))));
        ASSERT_EQ(file.size(), 844 + kMiB);
        EXPECT_EQ(slice(file, 840, 4), le32(kMiB));
        EXPECT_EQ(slice(file, 844, kMiB), slice(data, n * kMiB, kMiB));
    }
    EXPECT_EQ(files.endMonitoring(), kOk);
    EXPECT_EQ(files.lastWrittenFile().number, 1);
    EXPECT_EQ(files.counters().recordsReceived, data.size() / 32);
}

TEST_F(BufferFilesTest, StartDeletesNumberedFilesOnly) {
    for (const char* name : {"00000003.DT", "00000010.dt", "00000007.old.DT", "1234567.DT", "123456789.DT", "a.txt"})
        test::writeFileBytes(at(name), {1});
    BufferFiles files;
    ASSERT_EQ(files.startBufferFiles(settings(2), kDualBoard), kOk);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"00000000.DT", "1234567.DT", "123456789.DT", "a.txt"}));
}

TEST_F(BufferFilesTest, LastNumberEndsTheMeasurement) {
    test::writeFileBytes(at("99999998.DT"), {1});
    BufferFiles files;
    int limitCalls = 0;
    files.setLimitHandler([&] { ++limitCalls; });
    ASSERT_EQ(files.startBufferFiles(settings(10, kBufferFlagAppend), kDualBoard), kOk);
    EXPECT_TRUE(fileExists(at("99999999.DT")));
    EXPECT_EQ(feed(files, patternRecords((kMiB + kBlock) / 32)).back(), kLimit);
    EXPECT_EQ(limitCalls, 1);
    // With the last number taken, nothing can start.
    EXPECT_EQ(files.startBufferFiles(settings(10, kBufferFlagAppend), kDualBoard), kLimit);
    EXPECT_EQ(limitCalls, 2);
    EXPECT_FALSE(files.monitoring());
}

TEST_F(BufferFilesTest, SkippedPositionPutsOneMarkerBeforeTheBlock) {
    BufferFiles files;
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    const std::vector<uint8_t> a = patternRecords(8, 0), b = patternRecords(8, 100), c = patternRecords(8, 200);
    files.appendMonitorBlock(0, a.data(), a.size());
    files.appendMonitorBlock(256 + 64, b.data(), b.size());  // 64 bytes never arrived
    EXPECT_EQ(files.counters().lostDataMarkers, 1u);
    files.appendMonitorBlock(576, c.data(), c.size());
    ASSERT_EQ(files.endMonitoring(), kOk);

    const std::vector<uint8_t> file = readFileBytes(at("00000000.DT"));
    ASSERT_EQ(file.size(), 844u + 800u);
    EXPECT_EQ(slice(file, 840, 4), (std::vector<uint8_t>{0x20, 0x03, 0x00, 0x00}));
    EXPECT_EQ(slice(file, 844, 256), a);
    std::vector<uint8_t> marker(32, 0);
    marker[0] = 0x41;
    EXPECT_EQ(slice(file, 1100, 32), marker);
    EXPECT_EQ(slice(file, 1132, 256), b);
    EXPECT_EQ(slice(file, 1388, 256), c);
    EXPECT_EQ(files.counters().lostDataMarkers, 1u);
    EXPECT_EQ(files.counters().recordsReceived, 24u);  // the marker is not received data
}

TEST_F(BufferFilesTest, PositionCountsSixteenBitsInWholeWordsFromZeroEachTime) {
    BufferFiles files;
    const std::vector<uint8_t> data = patternRecords(2048);
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    feed(files, data, 0, 0xFF00);
    files.appendMonitorBlock(0xFF00, data.data(), 256);     // ends at 0x10000
    files.appendMonitorBlock(0x00010000, data.data(), 30);  // high bits ignored; 28 counted
    files.appendMonitorBlock(28, data.data(), 32);
    EXPECT_EQ(files.counters().lostDataMarkers, 0u);
    files.appendMonitorBlock(61, data.data(), 32);  // 60 expected
    EXPECT_EQ(files.counters().lostDataMarkers, 1u);

    // The next measurement's stream starts at 0 again: no marker in front of its first block.
    ASSERT_EQ(files.endMonitoring(), kOk);
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    files.appendMonitorBlock(0, data.data(), 32);
    EXPECT_EQ(files.counters().lostDataMarkers, 0u);
}

TEST_F(BufferFilesTest, WriteFailureKeepsTheFileWithItsRecordsAndCaptureContinuesInTheNext) {
    test::FaultFileSystem fs;
    BufferFiles files(fs);
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    fs.failWriteCall = 2 * 15 + 1;  // each block is two writes, records and count: block 15's records
    fs.partialBytes = 1000;
    const std::vector<uint8_t> data = patternRecords(32 * kBlock / 32);
    const std::vector<Result> results = feed(files, data);
    for (size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i], i == 15 ? static_cast<Result>(0x8007001Du) : kOk) << "block " << i;
    EXPECT_EQ(files.lastWrittenFile().number, 0);
    ASSERT_EQ(files.endMonitoring(), kOk);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"00000000.DT", "00000001.DT"}));
    expectRecords(at("00000000.DT"), slice(data, 0, 15 * kBlock));
    expectRecords(at("00000001.DT"), slice(data, 16 * kBlock, 16 * kBlock));
    EXPECT_EQ(files.counters().bufferFiles, 2u);
    EXPECT_EQ(files.lastWrittenFile().number, 1);
    // The one block the failure cost is counted, and the file it was for is named.
    EXPECT_EQ(files.counters().recordsNotWritten, kBlock / 32);
    EXPECT_EQ(files.firstWriteFailure().result, static_cast<Result>(0x8007001Du));
    EXPECT_EQ(files.firstWriteFailure().path, at("00000000.DT"));
}

TEST_F(BufferFilesTest, FullDiskDropsDataUntilThereIsRoomAgain) {
    test::FaultFileSystem fs;
    fs.diskSpace = 844 + 8 * kBlock + 100;
    BufferFiles files(fs);
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    const std::vector<uint8_t> data = patternRecords(34 * kBlock / 32);
    std::vector<Result> results = feed(files, data, 0, 18 * kBlock);
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(results[i], kOk) << "block " << i;
    EXPECT_EQ(results[8], kDiskFull);   // 00000000.DT keeps what it had
    EXPECT_EQ(results[9], kDiskFull);   // no room for the next file's header
    EXPECT_EQ(results[17], kDiskFull);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"00000000.DT"}));
    expectRecords(at("00000000.DT"), slice(data, 0, 8 * kBlock));
    EXPECT_EQ(files.counters().recordsNotWritten, 10 * kBlock / 32);
    EXPECT_EQ(files.firstWriteFailure().result, kDiskFull);
    EXPECT_EQ(files.firstWriteFailure().path, at("00000000.DT"));

    fs.diskSpace.reset();
    for (Result r : feed(files, data, 18 * kBlock)) EXPECT_EQ(r, kOk);
    ASSERT_EQ(files.endMonitoring(), kOk);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"00000000.DT", "00000001.DT"}));
    expectRecords(at("00000001.DT"), slice(data, 18 * kBlock, 16 * kBlock));
    // Blocks written after the disk had room again count as written.
    EXPECT_EQ(files.counters().recordsNotWritten, 10 * kBlock / 32);

    // The next measurement starts with nothing lost and no failure.
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    EXPECT_EQ(files.counters().recordsNotWritten, 0u);
    EXPECT_EQ(files.firstWriteFailure().result, kOk);
    ASSERT_EQ(files.endMonitoring(), kOk);
}

// Windows refuses to delete a folder while a file in it is open; elsewhere it goes at once.
#ifndef _WIN32
TEST_F(BufferFilesTest, VanishedFolderIsNamedAndEveryDroppedRecordCounted) {
    BufferFiles files;
    const std::string folder = dir.file("buffer");
    std::filesystem::create_directory(folder);
    BufferSettings s = settings(10);
    s.folder = folder;
    ASSERT_EQ(files.startBufferFiles(s, kDualBoard), kOk);
    const std::vector<uint8_t> data = patternRecords(140 * kBlock / 32);
    for (Result r : feed(files, data, 0, 100 * kBlock)) ASSERT_EQ(r, kOk);
    std::filesystem::remove_all(folder);
    // The open file is written to its end (the system keeps it while it is open); the next
    // one has no folder to go into, nor has any block after it.
    const std::vector<Result> results = feed(files, data, 100 * kBlock, 131 * kBlock);
    for (size_t i = 0; i < 28; ++i) EXPECT_EQ(results[i], kOk) << "block " << 100 + i;
    for (size_t i = 28; i < results.size(); ++i)
        EXPECT_EQ(systemErrorOf(results[i]), kErrorPathNotFound) << "block " << 100 + i;
    EXPECT_TRUE(files.monitoring());
    EXPECT_EQ(files.counters().recordsNotWritten, 3 * kBlock / 32);
    EXPECT_EQ(files.counters().recordsReceived, 131 * kBlock / 32);
    EXPECT_EQ(files.firstWriteFailure().result, resultFromSystemError(kErrorPathNotFound));
    EXPECT_EQ(files.firstWriteFailure().path, folder);

    // The folder back: capture goes on in the next file.
    std::filesystem::create_directory(folder);
    for (Result r : feed(files, data, 131 * kBlock)) EXPECT_EQ(r, kOk);
    ASSERT_EQ(files.endMonitoring(), kOk);
    expectRecords(folder + "/00000001.DT", slice(data, 131 * kBlock, 9 * kBlock));
    EXPECT_EQ(files.counters().recordsNotWritten, 3 * kBlock / 32);
}
#endif

// The file shown when monitoring ends must exist and open: a file whose last header cannot be
// written keeps its records and is that file; one without records goes, and the file finished
// before it stays the last.
TEST_F(BufferFilesTest, FailedLastHeaderKeepsTheRecordsOfTheFile) {
    test::FaultFileSystem fs;
    BufferFiles files(fs);
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    fs.failWriteCall = 1;
    EXPECT_EQ(files.endMonitoring(), static_cast<Result>(0x8007001Du));
    EXPECT_FALSE(fileExists(at("00000000.DT")));
    EXPECT_EQ(files.lastWrittenFile().number, -1);  // nothing to show
    EXPECT_TRUE(files.lastWrittenFile().path.empty());
    EXPECT_EQ(files.counters().bufferFiles, 0u);

    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    position = 0;
    const std::vector<uint8_t> data = patternRecords((kMiB + kBlock) / 32);
    feed(files, data);  // 00000000.DT full and finished, 00000001.DT open
    fs.failWriteCall = 1;
    EXPECT_EQ(files.endMonitoring(), static_cast<Result>(0x8007001Du));
    const LastWrittenFile last = files.lastWrittenFile();
    EXPECT_EQ(last.number, 1);
    EXPECT_EQ(last.path, at("00000001.DT"));
    expectRecords(at("00000000.DT"), slice(data, 0, kMiB));
    expectRecords(at("00000001.DT"), slice(data, kMiB, kBlock));
    EXPECT_EQ(files.counters().bufferFiles, 2u);
}

// A full file that cannot be handed to the disk keeps its records, and the block that filled
// it says so; what the block held beyond the full file starts the next one.
TEST_F(BufferFilesTest, FullFileThatCannotBeFinishedIsReportedAndCaptureGoesOn) {
    test::FaultFileSystem fs;
    BufferFiles files(fs);
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    const size_t half = kBlock / 2;
    const std::vector<uint8_t> data = patternRecords((2 * kMiB + half) / 32);
    for (Result r : feed(files, data, 0, 2 * kMiB - half)) EXPECT_EQ(r, kOk);  // 00000000.DT done

    fs.flushError = resultFromSystemError(kErrorWriteFault);
    const std::vector<Result> results = feed(files, data, 2 * kMiB - half);  // the block crosses
    fs.flushError = kOk;
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results.back(), static_cast<Result>(0x8007001Du));
    expectRecords(at("00000001.DT"), slice(data, kMiB, kMiB));
    EXPECT_EQ(files.lastWrittenFile().number, 1);

    ASSERT_EQ(files.endMonitoring(), kOk);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"00000000.DT", "00000001.DT", "00000002.DT"}));
    expectRecords(at("00000002.DT"), slice(data, 2 * kMiB, half));
    EXPECT_EQ(files.lastWrittenFile().number, 2);
}

// After every block, whatever happens to the program next, its records are in the file and
// the header counts them; a write failing at any point never lets the count run ahead of the
// file, and afterwards every file opens with all it counts.
TEST_F(BufferFilesTest, EveryBlockIsInItsFileWhenAppendReturns) {
    test::FaultFileSystem fs;
    BufferFiles files(fs);
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    const std::vector<uint8_t> data = patternRecords(64);
    std::vector<uint8_t> expected;
    for (size_t n : {size_t{32}, size_t{256}, size_t{96}, size_t{1024}}) {
        files.appendMonitorBlock(position, data.data() + expected.size(), n);
        position += static_cast<uint32_t>(n);
        expected.insert(expected.end(), data.begin() + static_cast<std::ptrdiff_t>(expected.size()),
                        data.begin() + static_cast<std::ptrdiff_t>(expected.size() + n));
        expectRecords(at("00000000.DT"), expected);
    }
    // A lost stretch: the marker is in the file with the block behind it.
    files.appendMonitorBlock(position + 64, data.data(), 32);
    std::vector<uint8_t> marker(32, 0);
    marker[0] = 0x41;
    expected.insert(expected.end(), marker.begin(), marker.end());
    expected.insert(expected.end(), data.begin(), data.begin() + 32);
    expectRecords(at("00000000.DT"), expected);
    ASSERT_EQ(files.endMonitoring(), kOk);
    expectRecords(at("00000000.DT"), expected);
    EXPECT_EQ(fs.flushCalls, 1);  // to the disk once, when the file is complete
}

TEST_F(BufferFilesTest, CountNeverRunsAheadOfTheFileWhereverAWriteFails) {
    const std::vector<uint8_t> data = patternRecords((kMiB + 4 * kBlock) / 32);
    // After the start: 2 writes per block; block 127 fills 00000000.DT, whose last header is
    // write 257; then 00000001.DT's header, and its first block's records and count.
    for (int failing : {1, 2, 3, 255, 256, 257, 258, 259, 260}) {
        SCOPED_TRACE(testing::Message() << "write " << failing << " fails");
        const std::string folder = dir.file(std::to_string(failing));
        std::filesystem::create_directories(folder);
        test::FaultFileSystem fs;
        int checks = 0;
        fs.afterChange = [&](const std::string& changed) {
            const auto file = test::countedAndPresent(changed, 844);
            if (!file) return;  // its header still being written
            ++checks;
            ASSERT_LE(file->counted, file->present);
        };
        BufferFiles files(fs);
        BufferSettings s = settings(10);
        s.folder = folder;
        ASSERT_EQ(files.startBufferFiles(s, kDualBoard), kOk);
        fs.failWriteCall = failing;
        fs.partialBytes = 100;
        position = 0;
        const std::vector<Result> results = feed(files, data);
        files.endMonitoring();
        EXPECT_GT(checks, 0);

        // The files hold the data in order, less at most the one block whose write failed.
        std::vector<uint8_t> kept;
        for (int32_t n = 0; n < 3; ++n) {
            const std::string path = joinPath(folder, bufferFileName(n));
            if (!fileExists(path)) continue;
            const std::vector<uint8_t> file = readFileBytes(path);
            expectRecords(path, slice(file, 844, file.size() - 844));
            kept.insert(kept.end(), file.begin() + 844, file.end());
        }
        const size_t failedBlocks =
            static_cast<size_t>(std::count_if(results.begin(), results.end(), [](Result r) { return failed(r); }));
        EXPECT_LE(failedBlocks, 1u);
        ASSERT_LE(kept.size(), data.size());
        const size_t dropped = data.size() - kept.size();
        EXPECT_TRUE(dropped == 0 || dropped == kBlock) << dropped;
        size_t same = 0;  // whole blocks as sent, up to the dropped one
        while (same + kBlock <= kept.size() && slice(kept, same, kBlock) == slice(data, same, kBlock)) same += kBlock;
        EXPECT_EQ(slice(kept, same, kept.size() - same), slice(data, same + dropped, kept.size() - same));
    }
}

TEST_F(BufferFilesTest, ForeignFileWithTheNextNameIsSteppedOver) {
    BufferFiles files;
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    test::writeFileBytes(at("00000001.DT"), {9});
    const std::vector<uint8_t> data = patternRecords((kMiB + kBlock) / 32);
    for (Result r : feed(files, data)) EXPECT_EQ(r, kOk);
    ASSERT_EQ(files.endMonitoring(), kOk);
    EXPECT_EQ(readFileBytes(at("00000001.DT")), std::vector<uint8_t>{9});
    EXPECT_EQ(slice(readFileBytes(at("00000002.DT")), 844, kBlock), slice(data, kMiB, kBlock));
}

TEST_F(BufferFilesTest, AnalyzerBlockGoesIntoTheOpenFileAndTheFilesAfterIt) {
    BufferFiles files;
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    const DataInfoBlock defaults = composeStandInDataInfoBlock(kDualBoard);
    const std::vector<uint8_t> data = patternRecords((kMiB + kBlock) / 32);
    feed(files, data, 0, kMiB + 32);  // 00000000.DT is finished with the stand-in, 00000001.DT open

    DataInfoBlock analyzer = defaults;
    analyzer.bytes[10] = 32;  // block version
    DataInfoBlock expected = defaults;
    parseDataInfoBlock(expected, analyzer.data(), kDataInfoSizeDual, kDualBoard);
    ASSERT_EQ(expected.bytes[10], 32);
    files.setDataInfo(analyzer.data(), kDataInfoSizeDual);
    // The open file carries it at once, before it is finished.
    EXPECT_EQ(slice(readFileBytes(at("00000001.DT")), 24, 812), slice(expected.bytes, 0, 812));
    expectRecords(at("00000001.DT"), slice(data, kMiB, 32));
    feed(files, data, kMiB + 32);
    ASSERT_EQ(files.endMonitoring(), kOk);
    EXPECT_EQ(slice(readFileBytes(at("00000000.DT")), 24, 812), slice(defaults.bytes, 0, 812));
    EXPECT_EQ(slice(readFileBytes(at("00000001.DT")), 24, 812), slice(expected.bytes, 0, 812));

    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    EXPECT_EQ(files.dataInfo(), defaults);  // each measurement starts from the defaults
}

// A start the analyzer refused takes back the file it opened and nothing else; a file that
// did get records stays, finished.
TEST_F(BufferFilesTest, AnAbandonedStartLeavesTheFolderAsItFoundIt) {
    test::writeFileBytes(at("00000000.txt"), {1});  // the conversion of an earlier measurement
    BufferFiles files;
    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    ASSERT_TRUE(fileExists(at("00000000.DT")));
    EXPECT_EQ(files.abandonMonitoring(), kOk);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"00000000.txt"});
    EXPECT_EQ(files.lastWrittenFile().number, -1);
    EXPECT_EQ(files.counters().bufferFiles, 0u);
    const std::vector<uint8_t> records = patternRecords(4);
    EXPECT_EQ(files.appendMonitorBlock(0, records.data(), records.size()), kFalse);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"00000000.txt"});

    ASSERT_EQ(files.startBufferFiles(settings(10), kDualBoard), kOk);
    feed(files, records);
    EXPECT_EQ(files.abandonMonitoring(), kOk);
    expectRecords(at("00000000.DT"), records);
    EXPECT_EQ(files.lastWrittenFile().number, 0);
}

// Files finished before the analyzer's block arrives, and all files of an analyzer that sends
// none, open as their board: an EX-NB3BP's with its analog inputs, an EX-NB2AP's without.
// A file an older version wrote with the composed block still opens as it always did.
TEST_F(BufferFilesTest, FilesWrittenBeforeTheAnalyzersBlockNameTheirBoard) {
    const std::vector<uint8_t> data = patternRecords((kMiB + kBlock) / 32);
    for (const auto& [board, option] : {std::pair<BoardType, std::string>{kDualBoard, "EX-NB3BP"},
                                        std::pair<BoardType, std::string>{65572, "EX-NB2AP"}}) {
        SCOPED_TRACE(option);
        BufferFiles files;
        ASSERT_EQ(files.startBufferFiles(settings(10), board), kOk);
        position = 0;
        feed(files, data);  // 00000000.DT full and finished, 00000001.DT open
        for (const bool finished : {false, true}) {
            if (finished) {
                ASSERT_EQ(files.endMonitoring(), kOk);
            }
            for (const char* name : {"00000000.DT", "00000001.DT"}) {
                LoadedDataFile file;
                ASSERT_TRUE(file.loadFile(at(name))) << name;
                const CCapture& c = file.capture();
                EXPECT_EQ(analyzerOptionText(c.recordTag(), c.analogInputs()), option) << name << finished;
                EXPECT_EQ(c.analogInputs(), option == "EX-NB3BP" ? 1 : 0) << name << finished;
            }
        }
    }

    std::vector<uint8_t> old(844 + 32);
    composeDataFileHeader(old.data(), kDualBoard, composeDataInfoBlock(kDualBoard), 32);
    test::writeFileBytes(at("old.DT"), old);
    LoadedDataFile file;
    ASSERT_TRUE(file.loadFile(at("old.DT")));
    EXPECT_EQ(file.capture().count(), 1u);
    EXPECT_EQ(file.capture().analogInputs(), 0);
}

// The remote library's thread appends (and takes the analyzer's block) while the UI thread
// reads the counters, the watch slots and the last file.
TEST_F(BufferFilesTest, CountersAndSlotsReadWhileBlocksArrive) {
    WatchList watch;
    std::array<WatchEntry, kWatchEntryCount> entries{};
    entries[0].enabled = true;
    entries[0].identifier = 0x123;  // the pattern records' identifier
    watch.setEntries(entries);
    BufferFiles files(realFileSystem(), &watch);
    ASSERT_EQ(files.startBufferFiles(settings(4), kDualBoard), kOk);

    const size_t blocks = 3 * kMiB / kBlock;
    const std::vector<uint8_t> data = patternRecords(blocks * kBlock / 32);
    std::atomic<bool> done{false};
    std::thread remote([&] {
        for (size_t b = 0; b < blocks; ++b) {
            files.appendMonitorBlock(static_cast<uint32_t>(b * kBlock), data.data() + b * kBlock, kBlock);
            if (b % 64 == 0) files.setDataInfo(composeDataInfoBlock(kDualBoard).data(), kDataInfoSizeDual);
        }
        done = true;
    });
    uint64_t lastRecords = 0;
    for (bool last = false; !last;) {
        last = done;
        const BufferCounters c = files.counters();
        EXPECT_GE(c.recordsReceived, lastRecords);
        lastRecords = c.recordsReceived;
        EXPECT_EQ(c.lostDataMarkers, 0u);
        const WatchTable table = watch.snapshot();
        if (table.entries[0].hasData) {
            // Every byte of a pattern record follows from its time stamp: a torn copy shows.
            const uint32_t k = getU32(table.slots[0].data(), 4);
            for (size_t j = 16; j < 32; ++j) ASSERT_EQ(table.slots[0][j], static_cast<uint8_t>(k * 7 + j));
        }
        (void)files.lastWrittenFile();
        (void)files.openFilePath();
    }
    remote.join();
    ASSERT_EQ(files.endMonitoring(), kOk);
    EXPECT_EQ(files.counters().recordsReceived, data.size() / 32);
    EXPECT_EQ(getU32(watch.snapshot().slots[0].data(), 4), static_cast<uint32_t>(data.size() / 32 - 1));
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"00000000.DT", "00000001.DT", "00000002.DT"}));
}

}  // namespace
}  // namespace zv
