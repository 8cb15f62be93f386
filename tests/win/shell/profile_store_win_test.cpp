// The configuration through the system's private-profile functions and shell folders. The
// INI-file store of the native build must answer every question the way the system does, so
// both read the same hand-written file here.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/app_folders_win.h"
#include "shell/config_store.h"
#include "shell/ini_profile_store.h"
#include "shell/profile_store_win.h"

namespace zv {
namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = appendPath(temp, "zvshell-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter_++));
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { removeTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(std::string_view name) const { return appendPath(path_, name); }
    const std::string& path() const { return path_; }

private:
    static void removeTree(const std::string& folder) {
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA(appendPath(folder, "*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string full = appendPath(folder, name);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    removeTree(full);
                else
                    DeleteFileA(full.c_str());
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        RemoveDirectoryA(folder.c_str());
    }
    static inline int counter_ = 0;
    std::string path_;
};

void writeFile(const std::string& path, std::string_view text) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

bool isFolder(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(PrivateProfileStore, AnswersLikeTheIniFileStore) {
    ScratchFolder dir;
    const std::string text =
        "; by hand\r\n"
        "[Connection]\r\n"
        "  Method = USB  \r\n"
        "method=serial\r\n"
        "; dService=commented\r\n"
        "cService\r\n"
        "host=\"  quoted  \"\r\n"
        "com='COM3'\r\n"
        "empty=\r\n"
        "\r\n"
        "[ buffer ]\r\n"
        "path=C:\\a=b\r\n"
        "[connection]\r\n"
        "baudrate=9600\r\n";
    writeFile(dir.file("system.ini"), text);
    writeFile(dir.file("native.ini"), text);
    const PrivateProfileStore system(dir.file("system.ini"));
    const IniProfileStore native(dir.file("native.ini"));
    const std::pair<const char*, const char*> questions[] = {
        {"connection", "method"}, {"CONNECTION", "METHOD"}, {"connection", "host"}, {"connection", "com"},
        {"connection", "empty"},  {"connection", "none"},   {"buffer", "path"},     {"connection", "baudrate"},
        {"nothing", "method"},    {"connection", "dService"}, {"connection", "cService"},
        // Not asked: a key beginning with ';'. The system finds "; dService" as a key, the INI
        // store takes the line as a comment; the program neither reads nor writes such keys.
    };
    for (const auto& [section, key] : questions) {
        EXPECT_EQ(system.getString(section, key, "<default>"), native.getString(section, key, "<default>"))
            << section << "/" << key;
        EXPECT_EQ(system.contains(section, key), native.contains(section, key)) << section << "/" << key;
    }
    EXPECT_TRUE(system.contains("connection", "empty"));
    EXPECT_FALSE(system.contains("connection", "none"));
}

TEST(PrivateProfileStore, LongValuesAndRefusedEntries) {
    ScratchFolder dir;
    PrivateProfileStore store(dir.file("profile.ini"));
    const std::string host(3000, 'h');
    ASSERT_TRUE(store.setString("connection", "host", host));
    EXPECT_EQ(store.getString("connection", "host", ""), host);
    // A value with a line break would add a [remote] section of its own.
    EXPECT_FALSE(store.setString("connection", "host", "x\r\n[remote]\r\nmodel=AN-1100"));
    EXPECT_FALSE(store.contains("remote", "model"));
    EXPECT_EQ(store.getString("connection", "host", ""), host);
}

TEST(PrivateProfileStore, StartUpCreatesTheDefaultsAndReadsThemBack) {
    ScratchFolder dir;
    FolderSources sources;
    sources.programFile = dir.file("ZVLK5MQ.exe");
    sources.applicationData = dir.path();
    sources.documents = dir.file("Documents");
    sources.currentDirectory = dir.path();
    const AppFolders folders = resolveFolders(sources);
    ASSERT_TRUE(createFolderChain(folders.data));

    PrivateProfileStore system(folders.profile);
    AppSettings settings;
    settings.connection.method = 9;
    EXPECT_TRUE(loadConfiguration(system, folders, settings, nullptr));
    EXPECT_EQ(settings.model, (ModelSettings{73763, 20}));
    EXPECT_EQ(settings.connection.method, 0u);
    EXPECT_EQ(settings.buffer.folder, dir.file("Documents\\ZVLK5MQ\\Remote\\Buffer"));
    EXPECT_EQ(system.getString("remote", "exboard", "?"), "2");
    EXPECT_EQ(system.getString("WatchDataFactor", "No15frametype", "?"), "Standard");
    EXPECT_TRUE(system.contains("WatchDataFactor", "No15id"));

    // The native store reads the system's file as the same settings.
    const IniProfileStore native(folders.profile);
    AppSettings again;
    readConfiguration(native, folders, again);
    EXPECT_EQ(std::memcmp(&again.connection, &settings.connection, sizeof(ConnectionSettings)), 0);
    EXPECT_EQ(again.buffer, settings.buffer);
    EXPECT_EQ(again.screenshotFolder, settings.screenshotFolder);
}

TEST(AppFoldersWin, TheSystemNamesTheFoldersAndTheDataFolderIsCreated) {
    const FolderSources sources = queryFolderSources();
    ASSERT_FALSE(sources.programFile.empty());
    EXPECT_NE(sources.applicationData, "");
    EXPECT_NE(sources.documents, "");
    EXPECT_NE(sources.currentDirectory, "");

    char module[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    const AppFolders folders = resolveAppFolders();
    EXPECT_EQ(folders.program, folderOfFile(module));
    EXPECT_EQ(folders.data, sources.applicationData + "\\ZEVRONA\\ZVLK5MQ");
    EXPECT_TRUE(isFolder(folders.data));
    EXPECT_EQ(folders.profile, folders.data + "\\profile.ini");
}

TEST(AppFoldersWin, CreateFolderChainMakesEveryMissingParent) {
    ScratchFolder dir;
    const std::string deep = dir.file("a\\b\\c");
    EXPECT_TRUE(createFolderChain(deep));
    EXPECT_TRUE(isFolder(deep));
    EXPECT_TRUE(createFolderChain(deep));  // already there
    writeFile(dir.file("file"), "x");
    EXPECT_FALSE(createFolderChain(dir.file("file\\sub")));
}

}  // namespace
}  // namespace zv
