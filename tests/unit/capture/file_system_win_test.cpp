// Folder names outside ASCII on Windows. The program's paths are byte strings in the system
// code page, and the default buffer folder lies under the user's documents, so a user name
// such as "Jürgen" puts such a byte into every path: listing, creating, opening and deleting
// must all read those bytes the same way.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/buffer_files.h"
#include "capture/file_system.h"
#include "capture/writer_test_support.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

constexpr BoardType kDualBoard = 73763;
constexpr size_t kMiB = 1048576;
constexpr size_t kBlock = 8192;

// A wide name in the system code page, or nothing when the code page cannot hold it.
std::optional<std::string> narrowed(const std::wstring& name) {
    std::string out(name.size() * 4, '\0');
    BOOL lossy = FALSE;
    const bool utf8 = GetACP() == CP_UTF8;  // takes no lossy flag
    const int n = WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), out.data(),
                                      static_cast<int>(out.size()), nullptr, utf8 ? nullptr : &lossy);
    if (n <= 0 || lossy) return std::nullopt;
    out.resize(static_cast<size_t>(n));
    return out;
}

// User names the code page can hold: "Jürgen" (0xFC in Western code pages, where it happens to
// be the same character as in Latin-1) and "Šárka" (0x8A: a Western code page and Latin-1
// disagree), or a Cyrillic one.
std::vector<std::wstring> userNames() {
    std::vector<std::wstring> names;
    for (const wchar_t* n : {L"J\u00FCrgen", L"\u0160\u00E1rka", L"\u0416\u0435\u043D\u044F"})
        if (narrowed(n)) names.push_back(n);
    return names;
}

std::vector<std::string> listed(const std::string& folder) {
    std::vector<std::string> names;
    EXPECT_EQ(realFileSystem().listFolder(folder, [&](std::string_view name) { names.emplace_back(name); }), kOk);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AnsiFolderNames, MonitoringIntoAFolderUnderANonAsciiName) {
    const std::vector<std::wstring> users = userNames();
    ASSERT_FALSE(users.empty());
    test::TempDir dir;
    FileSystem& fs = realFileSystem();
    const std::vector<uint8_t> data = test::patternRecords((kMiB + kBlock) / 32);
    for (const std::wstring& wideUser : users) {
        const std::string user = *narrowed(wideUser);
        SCOPED_TRACE(user);
        // The user's folder does not exist yet either: every missing parent is made.
        const std::string folder = joinPath(joinPath(dir.path().string(), user), "Buffer");
        ASSERT_EQ(fs.createFolders(folder), kOk);
        ASSERT_EQ(fs.createFolders(folder), kOk);  // already there
        const std::filesystem::path wideFolder = dir.path() / wideUser / L"Buffer";
        ASSERT_TRUE(std::filesystem::is_directory(wideFolder)) << "the bytes were read in another code page";

        BufferSettings settings;
        settings.flags = kBufferFlagFullStop;
        settings.blockCount = 10;
        settings.folder = folder;
        {
            BufferFiles files(fs);
            ASSERT_EQ(files.startBufferFiles(settings, kDualBoard), kOk);
            for (size_t off = 0; off < data.size(); off += kBlock)
                ASSERT_EQ(files.appendMonitorBlock(static_cast<uint32_t>(off), data.data() + off, kBlock), kOk);
            ASSERT_EQ(files.endMonitoring(), kOk);
            EXPECT_EQ(files.lastWrittenFile().path, joinPath(folder, "00000001.DT"));
            EXPECT_EQ(files.counters().bufferFiles, 2u);
        }
        EXPECT_EQ(std::filesystem::file_size(wideFolder / L"00000001.DT"), 844 + kBlock);

        const BufferFolderScan scan = scanBufferFolder(fs, folder);
        ASSERT_EQ(scan.result, kOk);
        EXPECT_EQ(scan.count, 2u);
        EXPECT_EQ(scan.highest, 1);
        const MonitorPrecheckResult check = checkBufferFolderBeforeMonitor(fs, settings);
        EXPECT_EQ(check.result, kOk);
        EXPECT_EQ(check.count, 2u);

        // The next measurement finds the files again and deletes them.
        BufferFiles again(fs);
        ASSERT_EQ(again.startBufferFiles(settings, kDualBoard), kOk);
        EXPECT_EQ(listed(folder), (std::vector<std::string>{"00000000.DT"}));
        EXPECT_FALSE(std::filesystem::exists(wideFolder / L"00000001.DT"));
        EXPECT_EQ(again.endMonitoring(), kOk);
    }
}

TEST(AnsiFolderNames, ListedNamesOpenAndDeleteAsTheyCame) {
    const std::vector<std::wstring> users = userNames();
    ASSERT_FALSE(users.empty());
    test::TempDir dir;
    FileSystem& fs = realFileSystem();
    const std::string folder = joinPath(dir.path().string(), *narrowed(users.back()));
    ASSERT_EQ(fs.createFolders(folder), kOk);
    std::vector<std::string> created;
    for (const std::wstring& wideUser : users) {
        created.push_back(*narrowed(wideUser) + ".DT");
        std::unique_ptr<WritableFile> file;
        ASSERT_EQ(fs.createNew(joinPath(folder, created.back()), file), kOk);
        ASSERT_EQ(file->close(), kOk);
        EXPECT_TRUE(std::filesystem::exists(dir.path() / users.back() / (wideUser + L".DT")));
    }
    std::sort(created.begin(), created.end());

    const std::vector<std::string> names = listed(folder);
    EXPECT_EQ(names, created);
    for (const std::string& name : names) EXPECT_EQ(fs.remove(joinPath(folder, name)), kOk) << name;
    EXPECT_TRUE(listed(folder).empty());
}

// A name outside the code page cannot be listed as it is: it must neither come back as a name
// that cannot be opened again nor stop a measurement from starting in that folder.
TEST(AnsiFolderNames, NameOutsideTheCodePageDoesNotBlockTheFolder) {
    const std::wstring foreign = L"00000001.\u03A9\u4E2D.DT";
    if (narrowed(foreign)) GTEST_SKIP() << "the code page holds every character";
    test::TempDir dir;
    FileSystem& fs = realFileSystem();
    test::writeFileBytes(dir.file("00000003.DT"), {1});
    { std::ofstream(dir.path() / foreign) << "x"; }
    ASSERT_TRUE(std::filesystem::exists(dir.path() / foreign));

    const std::string folder = dir.path().string();
    for (const std::string& name : listed(folder)) {
        EXPECT_EQ(name.find('?'), std::string::npos) << name;
        std::ifstream in(joinPath(folder, name), std::ios::binary);
        EXPECT_TRUE(in.good()) << name;
    }
    BufferSettings settings;
    settings.folder = folder;
    BufferFiles files(fs);
    ASSERT_EQ(files.startBufferFiles(settings, kDualBoard), kOk);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "00000003.DT"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "00000000.DT"));
    EXPECT_EQ(files.endMonitoring(), kOk);
}

}  // namespace
}  // namespace zv
