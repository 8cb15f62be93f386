#include "capture/data_file_writer.h"

#include <gtest/gtest.h>

#include <vector>

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

const std::vector<uint8_t> kSignature{'Z', 'E', 'V', 'R', 'O', 'N', 'A', ' ', 'D', 'A', 'T', 'A', ' ', ' ', ' ', 0};

class DataFileWriterTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.file("00000000.DT");
    std::vector<uint8_t> records = test::patternRecords(2);
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
        info.bytes[100] = 0xAB;  // shows that the given block is the one written
        DataFileWriter writer;
        ASSERT_EQ(writer.create(path, f.board), kOk);
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
        EXPECT_EQ(slice(file, header, 64), records);
        std::remove(path.c_str());
    }
}

TEST_F(DataFileWriterTest, CreateWritesAZeroPlaceholderIntoANewFileOnly) {
    DataFileWriter writer;
    EXPECT_EQ(writer.create(path, 0x10001), static_cast<Result>(0x80070032u));  // no data file form
    EXPECT_FALSE(fileExists(path));

    ASSERT_EQ(writer.create(path, kDualBoard), kOk);
    ASSERT_EQ(writer.append(records.data(), 32), kOk);
    const std::vector<uint8_t> file = readFileBytes(path);
    ASSERT_EQ(file.size(), 876u);
    EXPECT_EQ(slice(file, 0, 844), std::vector<uint8_t>(844, 0));

    DataFileWriter second;
    EXPECT_EQ(second.create(path, kDualBoard), static_cast<Result>(0x80070050u));  // exists
    EXPECT_EQ(readFileBytes(path), file);
}

// Every step that can fail deletes the file and reports the system error as 0x8007xxxx.
enum class Fault { Placeholder, Append, Seek, Header, Close, DiskFull };

class DataFileWriterFaultTest : public DataFileWriterTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(DataFileWriterFaultTest, FailureDeletesTheFile) {
    test::FaultFileSystem fs;
    DataFileWriter writer(fs);
    Result expected = static_cast<Result>(0x8007001Du);
    switch (GetParam()) {
        case Fault::Placeholder: fs.failWriteCall = 1; break;
        case Fault::Append: fs.failWriteCall = 2; break;
        case Fault::Seek: fs.seekError = expected = static_cast<Result>(0x80070019u); break;
        case Fault::Header: fs.failWriteCall = 3; break;
        case Fault::Close: fs.closeError = expected; break;
        case Fault::DiskFull: fs.diskSpace = 844 + 16; expected = static_cast<Result>(0x80070070u); break;
    }
    Result r = writer.create(path, kDualBoard);
    if (succeeded(r)) r = writer.append(records.data(), 32);
    if (succeeded(r)) r = writer.finish(composeDataInfoBlock(kDualBoard));
    EXPECT_EQ(r, expected);
    EXPECT_FALSE(writer.isOpen());
    EXPECT_FALSE(fileExists(path));
}

INSTANTIATE_TEST_SUITE_P(EveryStep, DataFileWriterFaultTest,
                         ::testing::Values(Fault::Placeholder, Fault::Append, Fault::Seek, Fault::Header, Fault::Close,
                                           Fault::DiskFull));

}  // namespace
}  // namespace zv
