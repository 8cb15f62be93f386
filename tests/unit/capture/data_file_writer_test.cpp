#include "capture/data_file_writer.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/bytes.h"
#include "capture/capture.h"
#include "capture/writer_test_support.h"
#include "setup/data_info.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

using test::fileExists;
using test::readFileBytes;
using test::slice;

constexpr BoardType kDualBoard = 73763;     // AN-2400 + EX-NB3BP
constexpr BoardType kCanOnlyBoard = 65554;  // 0x10012, EX-NB2A
constexpr size_t kDualHeader = 844;
const Result kWriteFault = static_cast<Result>(0x8007001Du);

const std::vector<uint8_t> kSignature{'Z', 'E', 'V', 'R', 'O', 'N', 'A', ' ', 'D', 'A', 'T', 'A', ' ', ' ', ' ', 0};

// The file as a reader sees it: it must load, its header must count exactly the bytes that
// follow it, and those must be the expected records.
void expectDataFileWithRecords(const std::string& path, const std::vector<uint8_t>& records,
                               size_t header = kDualHeader) {
    const std::vector<uint8_t> file = readFileBytes(path);
    ASSERT_GE(file.size(), header);
    EXPECT_EQ(getU32(file.data(), header - 4), records.size());
    EXPECT_EQ(file.size(), header + records.size());
    LoadedDataFile loaded;
    ASSERT_TRUE(loaded.loadFile(path)) << dataFileStatusText(loaded.status());
    ASSERT_EQ(loaded.capture().count(), records.size() / 32);
    if (!records.empty()) {
        EXPECT_EQ(slice(file, header, records.size()), records);
    }
}

class DataFileWriterTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.file("00000000.DT");
    std::vector<uint8_t> records = test::patternRecords(4);
    DataInfoBlock defaults = composeDataInfoBlock(kDualBoard);
};

// The header of both families, byte by byte: signature, "DINF" with the block, record tag, count.
TEST_F(DataFileWriterTest, FinishedFileHasTheFamilysHeader) {
    struct Family {
        BoardType board;
        size_t blockSize;
        std::vector<uint8_t> blockSizeBytes;
        std::vector<uint8_t> tag;
    };
    for (const Family& f : {Family{kDualBoard, 812, {0x2C, 0x03, 0, 0}, {'M', 'D', 'C', 'L'}},
                            Family{kCanOnlyBoard, 204, {0xCC, 0x00, 0, 0}, {'M', 'O', 'N', 'C'}}}) {
        SCOPED_TRACE(f.board);
        DataInfoBlock info = composeDataInfoBlock(f.board);
        info.bytes[100] = 0xAB;  // shows that the block given at the finish is the one written
        DataFileWriter writer;
        ASSERT_EQ(writer.create(path, f.board, composeDataInfoBlock(f.board)), kOk);
        ASSERT_EQ(writer.append(records.data(), 32), kOk);
        ASSERT_EQ(writer.append(records.data() + 32, 32), kOk);
        ASSERT_EQ(writer.finish(info), kOk);
        EXPECT_FALSE(writer.isOpen());

        const std::vector<uint8_t> file = readFileBytes(path);
        const size_t header = 32 + f.blockSize;  // 844 or 236
        ASSERT_EQ(file.size(), header + 64);
        EXPECT_EQ(slice(file, 0, 16), kSignature);
        EXPECT_EQ(slice(file, 16, 4), (std::vector<uint8_t>{'D', 'I', 'N', 'F'}));
        EXPECT_EQ(slice(file, 20, 4), f.blockSizeBytes);
        EXPECT_EQ(slice(file, 24, f.blockSize), slice(info.bytes, 0, f.blockSize));
        EXPECT_EQ(file[124], 0xAB);
        EXPECT_EQ(slice(file, header - 8, 4), f.tag);
        EXPECT_EQ(slice(file, header - 4, 4), (std::vector<uint8_t>{0x40, 0, 0, 0}));
        EXPECT_EQ(slice(file, header, 64), slice(records, 0, 64));
        std::remove(path.c_str());
    }
}

// From its creation on the file is a data file; each append is in it and counted when the call
// returns, and the block of the last header write is the one the file carries.
TEST_F(DataFileWriterTest, FileOpensWithEveryAppendedRecordWhileStillOpen) {
    DataFileWriter writer;
    EXPECT_EQ(writer.create(path, 0x10001, defaults), static_cast<Result>(0x80070032u));  // no data file form
    EXPECT_FALSE(fileExists(path));

    DataInfoBlock created = defaults;
    created.bytes[200] = 0x5A;
    ASSERT_EQ(writer.create(path, kDualBoard, created), kOk);
    std::vector<uint8_t> expected(kDualHeader);
    composeDataFileHeader(expected.data(), kDualBoard, created, 0);
    EXPECT_EQ(readFileBytes(path), expected);
    expectDataFileWithRecords(path, {});

    ASSERT_EQ(writer.append(records.data(), 32), kOk);
    expectDataFileWithRecords(path, slice(records, 0, 32));
    ASSERT_EQ(writer.append(records.data() + 32, 96), kOk);
    expectDataFileWithRecords(path, records);

    DataInfoBlock analyzer = defaults;
    analyzer.bytes[200] = 0xA5;
    ASSERT_EQ(writer.writeHeader(analyzer), kOk);
    EXPECT_TRUE(writer.isOpen());
    expectDataFileWithRecords(path, records);
    EXPECT_EQ(readFileBytes(path)[24 + 200], 0xA5);

    // A new file is never written over an existing one.
    DataFileWriter second;
    EXPECT_EQ(second.create(path, kDualBoard, defaults), static_cast<Result>(0x80070050u));
    expectDataFileWithRecords(path, records);

    // A writer that goes away without finishing leaves the file as it stands.
    { DataFileWriter abandoned; }
    writer.close();
    EXPECT_FALSE(writer.isOpen());
    expectDataFileWithRecords(path, records);
}

// Whatever step fails, the error comes back as 0x8007xxxx, the writer is closed and the file
// keeps the records written before the failing step; only a header that could not be written
// at creation takes the file with it.
enum class Fault { CreateHeader, Records, PartialRecords, Count, DiskFull, Uncut, FinalHeader, Flush, Close };

class DataFileWriterFaultTest : public DataFileWriterTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(DataFileWriterFaultTest, FailureKeepsTheRecordsWrittenBefore) {
    test::FaultFileSystem fs;
    DataFileWriter writer(fs);
    Result expected = kWriteFault;
    // Writes: 1 the header at creation; 2 and 3 the first record and its count; 4 and 5 the
    // other three and their count; 6 the final header.
    switch (GetParam()) {
        case Fault::CreateHeader: fs.failWriteCall = 1; break;
        case Fault::Records: fs.failWriteCall = 4; break;
        case Fault::PartialRecords: fs.failWriteCall = 4; fs.partialBytes = 40; break;
        case Fault::Count: fs.failWriteCall = 5; break;
        case Fault::DiskFull: fs.diskSpace = kDualHeader + 32 + 50; expected = static_cast<Result>(0x80070070u); break;
        case Fault::Uncut:
            fs.failWriteCall = 4;
            fs.partialBytes = 70;
            fs.truncateError = static_cast<Result>(0x80070005u);
            break;
        case Fault::FinalHeader: fs.failWriteCall = 6; break;
        case Fault::Flush: fs.flushError = expected; break;
        case Fault::Close: fs.closeError = expected; break;
    }
    Result r = writer.create(path, kDualBoard, defaults);
    if (succeeded(r)) r = writer.append(records.data(), 32);
    if (succeeded(r)) r = writer.append(records.data() + 32, 96);
    if (succeeded(r)) r = writer.finish(defaults);
    EXPECT_EQ(r, expected);
    EXPECT_FALSE(writer.isOpen());

    switch (GetParam()) {
        case Fault::CreateHeader: EXPECT_FALSE(fileExists(path)); break;
        case Fault::Records:
        case Fault::PartialRecords:
        case Fault::Count:
        case Fault::DiskFull: expectDataFileWithRecords(path, slice(records, 0, 32)); break;
        case Fault::Uncut: {
            // The part that got in could not be cut off: it is blanked, and the file opens.
            LoadedDataFile loaded;
            ASSERT_TRUE(loaded.loadFile(path)) << dataFileStatusText(loaded.status());
            EXPECT_EQ(loaded.capture().count(), 1u);
            EXPECT_EQ(slice(readFileBytes(path), kDualHeader, 32), slice(records, 0, 32));
            break;
        }
        case Fault::FinalHeader:
        case Fault::Flush:
        case Fault::Close: expectDataFileWithRecords(path, records); break;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStep, DataFileWriterFaultTest,
                         ::testing::Values(Fault::CreateHeader, Fault::Records, Fault::PartialRecords, Fault::Count,
                                           Fault::DiskFull, Fault::Uncut, Fault::FinalHeader, Fault::Flush,
                                           Fault::Close));

// Between any two writes (the moments a killed program could leave the file) the header never
// counts more than the file holds, whichever write fails; afterwards the file opens with the
// records of every append that succeeded.
TEST_F(DataFileWriterTest, CountNeverRunsAheadOfTheFileWhereverAWriteFails) {
    const std::vector<uint8_t> data = test::patternRecords(40);
    const std::vector<size_t> appends = {32, 320, 64, 512, 96, 256};  // bytes per append
    for (int failing = 1; failing <= 15; ++failing) {
        for (size_t partial : {size_t{0}, size_t{20}}) {
            SCOPED_TRACE(testing::Message() << "write " << failing << " fails after " << partial << " bytes");
            std::remove(path.c_str());
            test::FaultFileSystem fs;
            fs.failWriteCall = failing;
            fs.partialBytes = partial;
            int checks = 0;
            fs.afterChange = [&](const std::string& changed) {
                const auto file = test::countedAndPresent(changed, kDualHeader);
                if (!file) return;  // the header itself still being written
                ++checks;
                ASSERT_LE(file->counted, file->present);
            };
            DataFileWriter writer(fs);
            size_t written = 0;
            Result r = writer.create(path, kDualBoard, defaults);
            for (size_t n : appends) {
                if (failed(r)) break;
                r = writer.append(data.data() + written, n);
                if (succeeded(r)) written += n;
            }
            if (succeeded(r)) r = writer.finish(defaults);
            EXPECT_EQ(r, failing <= 14 ? kWriteFault : kOk);  // 14 writes in all
            if (failing == 1) {
                EXPECT_FALSE(fileExists(path));
            } else {
                EXPECT_GT(checks, 0);
                expectDataFileWithRecords(path, slice(data, 0, written));
            }
        }
    }
}

}  // namespace
}  // namespace zv
