// The real file system's folder calls and modification times, whose implementation differs by
// platform: the same results and error numbers everywhere.
#include "capture/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/writer_test_support.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

const Result kPathNotFound = static_cast<Result>(0x80070003u);

struct Listing {
    Result result;
    std::vector<std::string> names;
};

Listing list(const std::string& folder) {
    Listing out;
    out.result = realFileSystem().listFolder(folder, [&](std::string_view name) { out.names.emplace_back(name); });
    std::sort(out.names.begin(), out.names.end());
    return out;
}

TEST(RealFolders, ListingGivesFileNamesOnly) {
    test::TempDir dir;
    EXPECT_EQ(list(dir.path().string()).result, kOk);  // empty: no calls, no error
    EXPECT_TRUE(list(dir.path().string()).names.empty());

    for (const char* name : {"00000001.DT", "b.txt", ".hidden"}) test::writeFileBytes(dir.file(name), {1});
    std::filesystem::create_directory(dir.path() / "00000002.DT");  // a folder, even with a numbered name
    const Listing listing = list(dir.path().string());
    EXPECT_EQ(listing.result, kOk);
    EXPECT_EQ(listing.names, (std::vector<std::string>{".hidden", "00000001.DT", "b.txt"}));
    // A trailing separator names the same folder.
    EXPECT_EQ(list(dir.path().string() + "/").names, listing.names);

    EXPECT_EQ(list(dir.file("missing")).result, kPathNotFound);
    EXPECT_EQ(list(joinPath(dir.file("missing"), "deeper")).result, kPathNotFound);
    EXPECT_EQ(list(dir.file("b.txt")).result, kPathNotFound);  // a file is no folder
    EXPECT_EQ(list("").result, kPathNotFound);
}

TEST(RealFiles, ModificationTimeInMicrosecondsSince1970) {
    test::TempDir dir;
    const std::string path = dir.file("run.DT");
    test::writeFileBytes(path, {1});
    const std::chrono::sys_seconds written{std::chrono::seconds{1709280000}};  // 2024-03-01 08:00:00 UTC
    std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(written));
    EXPECT_EQ(fileModificationMicros(path), std::optional<int64_t>(1709280000000000));
    EXPECT_EQ(fileModificationMicros(dir.file("missing")), std::nullopt);
}

TEST(RealFolders, CreatingMakesEveryMissingParent) {
    test::TempDir dir;
    FileSystem& fs = realFileSystem();
    const std::string deep = joinPath(joinPath(dir.file("a"), "b"), "c");
    ASSERT_EQ(fs.createFolders(deep), kOk);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a" / "b" / "c"));
    EXPECT_EQ(fs.createFolders(deep), kOk);                 // already there
    EXPECT_EQ(fs.createFolders(dir.file("a") + "/"), kOk);  // trailing separator
    EXPECT_EQ(fs.createFolders(joinPath(dir.file("a"), "d") + "/"), kOk);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a" / "d"));

    // The new folder is usable at once through the other calls.
    std::unique_ptr<WritableFile> file;
    ASSERT_EQ(fs.createNew(joinPath(deep, "00000000.DT"), file), kOk);
    ASSERT_EQ(file->close(), kOk);
    EXPECT_EQ(list(deep).names, std::vector<std::string>{"00000000.DT"});

    // A file where a folder should be.
    test::writeFileBytes(dir.file("f"), {1});
    EXPECT_EQ(fs.createFolders(dir.file("f")), kPathNotFound);
    EXPECT_EQ(fs.createFolders(joinPath(dir.file("f"), "x")), kPathNotFound);
    EXPECT_FALSE(std::filesystem::is_directory(dir.path() / "f"));
    EXPECT_EQ(fs.createFolders(""), resultFromSystemError(kErrorInvalidParameter));
}

}  // namespace
}  // namespace zv
