// Saves that fail half-way (a full disk, a vanished folder) must leave what was there before
// and no truncated file. A full disk is made with the process's file-size limit: a write that
// would grow a file past it fails, as one on a full disk does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "base/file_io.h"
#include "capture/capture.h"
#include "conversion/output_sink.h"
#include "conversion/print_out.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileErrors, CarryTheWindowsErrorAndItsWords) {
    // The C library's numbers are not Windows errors: a full disk must not read as error 28.
    EXPECT_EQ(resultFromSystemError(systemErrorFromErrno(ENOSPC)), static_cast<Result>(0x80070070u));
    EXPECT_EQ(fileErrorText(static_cast<Result>(0x80070070u)), "0x80070070 (disk full)");
    EXPECT_EQ(fileErrorText(static_cast<Result>(0x80070003u)), "0x80070003 (folder not found)");
    EXPECT_EQ(fileErrorText(static_cast<Result>(0x800700DFu)), "0x800700DF");
}

TEST(SaveReplacing, WritesAndReplacesOnlyWhenComplete) {
    test::TempDir dir;
    const std::string target = dir.file("setup.SU");
    writeText(target, "old contents");
    const std::string text = "new contents, longer than before";
    ASSERT_EQ(writeWholeFile(target, reinterpret_cast<const uint8_t*>(text.data()), text.size()), kOk);
    EXPECT_EQ(readText(target), text);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"setup.SU"});

    const std::string copy = dir.file("copy.DT");
    writeText(copy, "an older copy");
    ASSERT_EQ(copyFileReplacing(target, copy), kOk);
    EXPECT_EQ(readText(copy), text);
}

TEST(SaveReplacing, MissingFolderOrSourceIsTheSystemErrorAndTouchesNothing) {
    test::TempDir dir;
    const uint8_t byte = 1;
    EXPECT_EQ(systemErrorOf(writeWholeFile(dir.file("gone/x.SU"), &byte, 1)), kErrorPathNotFound);
    EXPECT_EQ(systemErrorOf(copyFileReplacing(dir.file("x.DT"), dir.file("gone/y.DT"))), kErrorFileNotFound);
    writeText(dir.file("y.DT"), "kept");
    EXPECT_EQ(systemErrorOf(copyFileReplacing(dir.file("x.DT"), dir.file("y.DT"))), kErrorFileNotFound);
    EXPECT_EQ(readText(dir.file("y.DT")), "kept");
    writeText(dir.file("x.DT"), "source");
    EXPECT_EQ(systemErrorOf(copyFileReplacing(dir.file("x.DT"), dir.file("gone/y.DT"))), kErrorPathNotFound);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"x.DT", "y.DT"}));
}

#ifndef _WIN32
// Writes that would make a file longer than `bytes` fail with EFBIG while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

TEST(SaveReplacing, AWriteThatFailsLeavesTheOldFileAndNoOther) {
    test::TempDir dir;
    const std::string target = dir.file("setup.SU");
    writeText(target, std::string(100, 'o'));
    const std::string big(200000, 'n');
    Result r;
    {
        const FileSizeLimit limit(65536);
        r = writeWholeFile(target, reinterpret_cast<const uint8_t*>(big.data()), big.size());
    }
    EXPECT_EQ(systemErrorOf(r), 223u);  // file too large: the write's own reason
    EXPECT_EQ(readText(target), std::string(100, 'o'));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"setup.SU"});

    writeText(dir.file("big.DT"), big);
    {
        const FileSizeLimit limit(65536);
        r = copyFileReplacing(dir.file("big.DT"), target);
    }
    EXPECT_TRUE(failed(r));
    EXPECT_EQ(readText(target), std::string(100, 'o'));
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"big.DT", "setup.SU"}));
}

TEST(FileSinkReplacing, AConversionThatFailsKeepsTheEarlierOutput) {
    test::TempDir dir;
    const std::string target = dir.file("00000000.txt");
    writeText(target, "an earlier conversion\r\n");
    const std::string text(3 * FileSink::kBlockSize, 'x');
    FileSink sink;
    {
        const FileSizeLimit limit(FileSink::kBlockSize + 100);
        ASSERT_TRUE(sink.open(target));
        sink.write(text.data(), text.size());
        EXPECT_FALSE(sink.close());
    }
    EXPECT_EQ(systemErrorOf(sink.error()), 223u);
    EXPECT_EQ(readText(target), "an earlier conversion\r\n");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"00000000.txt"});

    // Complete: the new output takes the name, nothing else is left.
    ASSERT_TRUE(sink.open(target));
    ASSERT_TRUE(sink.write(text.data(), 10));
    EXPECT_TRUE(sink.close());
    EXPECT_EQ(sink.error(), kOk);
    EXPECT_EQ(readText(target), std::string(10, 'x'));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"00000000.txt"});
}
#endif

TEST(FileSinkReplacing, AMissingFolderIsNamedAsSuch) {
    test::TempDir dir;
    FileSink sink;
    EXPECT_FALSE(sink.open(dir.file("gone/00000000.txt")));
    EXPECT_EQ(systemErrorOf(sink.error()), kErrorPathNotFound);

    CPrintOutCaptureDataCanFrame writer;
    Result error = kOk;
    EXPECT_EQ(convertToFile(writer, dir.file("gone/00000000.txt"), {}, kPageLimit, &error),
              ConvertResult::OutputNotOpen);
    EXPECT_EQ(systemErrorOf(error), kErrorPathNotFound);
}

}  // namespace
}  // namespace zv
