#include "conversion/output_sink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "capture/capture_test_files.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

// 1 MiB and a bit of varying bytes, CR LF included.
std::string payload() {
    std::string s;
    for (int i = 0; s.size() < 1100000; ++i) s += "line " + std::to_string(i * 7919 % 100003) + "\r\n";
    return s;
}

// Hands the text over in pieces of every size, through both ways of writing.
void writeInPieces(OutputSink& sink, const std::string& text) {
    size_t at = 0;
    size_t piece = 1;
    bool useBlocks = false;
    while (at < text.size()) {
        const size_t n = std::min(piece, text.size() - at);
        if (useBlocks) {
            size_t available = 0;
            char* block = sink.beginBlock(n, available);
            ASSERT_NE(block, nullptr);
            ASSERT_GE(available, n);
            std::memcpy(block, text.data() + at, n);
            ASSERT_TRUE(sink.commitBlock(n));
        } else {
            ASSERT_TRUE(sink.write(text.data() + at, n));
        }
        at += n;
        piece = piece * 3 + 1;
        if (piece > 200000) piece = 5;
        useBlocks = !useBlocks;
    }
}

TEST(MemorySink, CollectsEverything) {
    const std::string text = payload();
    MemorySink sink;
    writeInPieces(sink, text);
    EXPECT_EQ(sink.text(), text);
    sink.clear();
    EXPECT_EQ(sink.text(), "");
    ASSERT_TRUE(sink.write("abc", 3));
    EXPECT_EQ(sink.text(), "abc");
}

TEST(FileSink, WritesEveryByteInOrderAndReplacesTheFile) {
    test::TempDir dir;
    const std::string path = dir.file("out.txt");
    testfiles::writeFile(path, testfiles::Bytes(3000000, 'x'));
    const std::string text = payload();
    FileSink sink;
    ASSERT_TRUE(sink.open(path));
    writeInPieces(sink, text);
    EXPECT_TRUE(sink.close());
    EXPECT_FALSE(sink.isOpen());
    EXPECT_EQ(testfiles::readFile(path), text);
    EXPECT_TRUE(sink.close());  // closing again does nothing

    // The same object opens again for a second file.
    ASSERT_TRUE(sink.open(path));
    ASSERT_TRUE(sink.write("short\r\n", 7));
    EXPECT_TRUE(sink.close());
    EXPECT_EQ(testfiles::readFile(path), "short\r\n");
}

TEST(FileSink, RefusesWhatCannotBeOpened) {
    test::TempDir dir;
    FileSink sink;
    EXPECT_FALSE(sink.open(dir.file("missing/folder/out.txt")));
    EXPECT_FALSE(sink.isOpen());
    size_t available = 0;
    EXPECT_EQ(sink.beginBlock(1, available), nullptr);
    EXPECT_FALSE(sink.write("x", 1));
}

TEST(FileSink, AttachedStreamStaysOpen) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    {
        FileSink sink;
        sink.attach(stream);
        ASSERT_TRUE(sink.write("to the stream\r\n", 15));
        EXPECT_TRUE(sink.close());
    }
    std::rewind(stream);
    char buffer[32] = {};
    EXPECT_EQ(std::fread(buffer, 1, sizeof buffer, stream), 15u);
    EXPECT_STREQ(buffer, "to the stream\r\n");
    std::fclose(stream);
}

#ifdef __linux__
TEST(FileSink, ReportsAFullDisk) {
    // A named file is written beside its name first; the stream of a full device shows the
    // writes' own failure and its reason.
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    FileSink sink;
    sink.attach(full);
    const std::string text = payload();
    // The failure shows at a later block or at the latest when closing.
    bool accepted = true;
    for (int i = 0; i < 4 && accepted; ++i) accepted = sink.write(text.data(), text.size());
    EXPECT_FALSE(sink.close());
    EXPECT_TRUE(sink.failed());
    EXPECT_EQ(sink.error(), static_cast<Result>(0x80070070u));
    std::fclose(full);
}
#endif

}  // namespace
}  // namespace zv
