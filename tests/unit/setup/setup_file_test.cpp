// Setup files: byte-exact saves, all-or-nothing loads, and the board-family rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "expected_images.h"
#include "setup/setup_file.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

using test::Bytes;
using test::rd32;

constexpr BoardType kDual = 73763;
constexpr BoardType kCanOnly = 65555;

std::unique_ptr<SetupWorkspace> defaults(BoardType board) {
    auto w = std::make_unique<SetupWorkspace>();
    w->initDefaults(board);
    return w;
}

Bytes expectedDualFile() {
    Bytes f = test::setupFileMagic();
    test::append(f, "STUP", test::defaultSetupImage(1));
    test::append(f, "STBC", test::defaultCanTransmitTables());
    test::append(f, "STBL", test::defaultLinTransmitTables());
    return f;
}

Bytes expectedCanOnlyFile() {
    Bytes image = test::defaultSetupImageCanOnly();
    const uint8_t order[12] = {0, 2, 3, 5, 1, 4, 6, 7, 8, 9, 10, 11};
    std::memcpy(image.data() + 816, order, 12);
    Bytes f = test::setupFileMagic();
    test::append(f, "STUP", image);
    test::append(f, "STBC", test::defaultCanTransmitTables());
    return f;
}

TEST(SetupFileSave, DefaultFilesAreByteExact) {
    auto dual = defaults(kDual);
    EXPECT_EQ(composeSetupFile(*dual, kDual), expectedDualFile());
    auto canOnly = defaults(kCanOnly);
    EXPECT_EQ(composeSetupFile(*canOnly, kCanOnly), expectedCanOnlyFile());
    EXPECT_EQ(expectedDualFile().size(), 15824u);
    EXPECT_EQ(expectedCanOnlyFile().size(), 8128u);
}

TEST(SetupFileSave, UnknownBoardWritesNothing) {
    test::TempDir dir;
    auto w = defaults(0);
    EXPECT_TRUE(composeSetupFile(*w, 0).empty());
    EXPECT_EQ(writeSetupFile(dir.file("none.SU"), 0, *w), kFalse);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.SU")));
}

TEST(SetupFileSave, FailedCreateIsReported) {
    test::TempDir dir;
    auto w = defaults(kDual);
    const Result r = writeSetupFile(dir.file("missing-folder/x.SU"), kDual, *w);
    EXPECT_TRUE(failed(r));
    EXPECT_EQ(uint32_t(r) & 0xFFFF0000u, 0x80070000u);
}

TEST(SetupFileLoad, RoundTripThroughTheFileSystem) {
    test::TempDir dir;
    auto w = defaults(kDual);
    w->image.bytes[32] = 8;        // CanChannel 1: 1M
    w->linTables.bytes[8 + 8] = 0x21;
    ASSERT_EQ(writeSetupFile(dir.file("a.SU"), kDual, *w), kOk);
    EXPECT_EQ(std::filesystem::file_size(dir.file("a.SU")), 15824u);

    auto loaded = defaults(kDual);
    const SetupFileLoadResult r = readSetupFile(dir.file("a.SU"), kDual, *loaded);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.consumed, 15824u);
    EXPECT_EQ(loaded->image, w->image);
    EXPECT_EQ(loaded->linTables, w->linTables);
}

TEST(SetupFileLoad, BadFilesChangeNothing) {
    Bytes good = expectedDualFile();
    struct Case {
        const char* what;
        Bytes file;
    };
    Bytes badNul = good;
    badNul[15] = ' ';
    const Bytes truncated(good.begin(), good.end() - 1);
    Bytes badLength = good;
    test::u32(badLength, 16 + 4, 1815);
    std::vector<Case> cases = {
        {"16th byte not NUL", badNul},
        {"15 bytes", Bytes(good.begin(), good.begin() + 15)},
        {"magic only", Bytes(good.begin(), good.begin() + 16)},
        {"last byte missing", truncated},
        {"STUP length below image size", badLength},
        {"CAN-only file on a dual board", expectedCanOnlyFile()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto w = defaults(kDual);
        w->image.bytes[32] = 3;
        const auto before = std::make_unique<SetupWorkspace>(*w);
        const SetupFileLoadResult r = loadSetupFile(c.file.data(), c.file.size(), kDual, *w);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.reason.empty());
        EXPECT_EQ(0, std::memcmp(w.get(), before.get(), sizeof *w));
    }
}

TEST(SetupFileLoad, UnknownBoardSucceedsWithoutChange) {
    const Bytes junk(10, 0);
    auto w = defaults(0);
    const auto before = std::make_unique<SetupWorkspace>(*w);
    const SetupFileLoadResult r = loadSetupFile(junk.data(), junk.size(), 0, *w);
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(0, std::memcmp(w.get(), before.get(), sizeof *w));
}

TEST(SetupFileLoad, DualFileOnCanOnlyBoardKeepsWhatTheLayoutCarries) {
    auto source = defaults(kDual);
    source->image.bytes[28 + 4] = 7;           // CanChannel 1: 500k
    source->image.bytes[708 + 4] = 0x42;       // ConditionPattern 1
    source->image.bytes[708 + 122] = 0x43;     // ... beyond the CAN-only pattern
    source->image.bytes[100 + 4] = 0x99;       // LinChannel 1 (not in the CAN-only layout)
    source->canTables.bytes[8 + 4] = 9;
    const Bytes file = composeSetupFile(*source, kDual);

    auto w = defaults(kCanOnly);
    w->image.bytes[100 + 4] = 0x55;            // LIN value from before: replaced by the default
    const SetupFileLoadResult r = loadSetupFile(file.data(), file.size(), kCanOnly, *w);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.consumed, 16u + 1824u + 7056u) << "the LIN tables are not read";
    EXPECT_EQ(w->image.bytes[28 + 4], 7);
    EXPECT_EQ(w->image.bytes[708 + 4], 0x42);
    EXPECT_EQ(w->image.bytes[708 + 122], 0) << "the CAN-only layout has no room for it";
    EXPECT_EQ(rd32(w->image.data(), 104), 96000u) << "LIN records come back as defaults";
    EXPECT_EQ(w->canTables.bytes[8 + 4], 9);
    EXPECT_EQ(w->image.bytes[9], 9) << "layout code of the file's image";

    // Saved again with the CAN-only rules it becomes a well-formed 8128-byte file.
    const Bytes saved = composeSetupFile(*w, kCanOnly);
    ASSERT_EQ(saved.size(), 8128u);
    auto again = defaults(kCanOnly);
    EXPECT_TRUE(loadSetupFile(saved.data(), saved.size(), kCanOnly, *again).ok);
    EXPECT_EQ(again->image.bytes[28 + 4], 7);
}

TEST(SetupFileLoad, CanOnlyFileOnCanOnlyBoardImportsIntoTheWorkingImage) {
    Bytes file = expectedCanOnlyFile();
    file[16 + 8 + 28 + 4] = 2;                 // CanChannel 1: 50k
    file[16 + 8 + 976 + 20] = 1;               // MiscSettings timer start enabled
    auto w = defaults(kCanOnly);
    w->image.bytes[1664 + 22] = 3;             // LinSchedule: reset to defaults by a load
    const SetupFileLoadResult r = loadSetupFile(file.data(), file.size(), kCanOnly, *w);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.consumed, 8128u);
    EXPECT_EQ(w->image.bytes[28 + 4], 2);
    EXPECT_EQ(w->image.bytes[1592 + 20], 1);
    EXPECT_EQ(w->image.bytes[1664 + 22], 0xFF);
    EXPECT_EQ(w->canOnlyImage.bytes[28 + 4], 2);
}

}  // namespace
}  // namespace zv
