#include "shell/app_folders.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(AppFolders, AppendPathPutsExactlyOneSeparatorBetweenPieces) {
    EXPECT_EQ(appendPath("C:\\Users\\ann", "ZEVRONA", '\\'), "C:\\Users\\ann\\ZEVRONA");
    EXPECT_EQ(appendPath("C:\\Users\\ann\\", "ZEVRONA", '\\'), "C:\\Users\\ann\\ZEVRONA");
    EXPECT_EQ(appendPath("C:\\Users\\ann", "\\ZEVRONA", '\\'), "C:\\Users\\ann\\ZEVRONA");
    EXPECT_EQ(appendPath("C:/Users/ann/", "ZEVRONA", '\\'), "C:/Users/ann/ZEVRONA");
    EXPECT_EQ(appendPath("C:\\", "profile.ini", '\\'), "C:\\profile.ini");
    EXPECT_EQ(appendPath("", "profile.ini", '\\'), "profile.ini");
    EXPECT_EQ(appendPath("/home/ann", "profile.ini", '/'), "/home/ann/profile.ini");
    // Natively a backslash is an ordinary character of a name.
    EXPECT_EQ(appendPath("/home/ann\\", "x", '/'), "/home/ann\\/x");
}

TEST(AppFolders, FolderOfFileKeepsRoots) {
    EXPECT_EQ(folderOfFile("C:\\Program Files\\ZEVRONA\\ZVLK5MQ.exe", '\\'), "C:\\Program Files\\ZEVRONA");
    EXPECT_EQ(folderOfFile("C:\\ZVLK5MQ.exe", '\\'), "C:\\");
    EXPECT_EQ(folderOfFile("C:ZVLK5MQ.exe", '\\'), "C:");
    EXPECT_EQ(folderOfFile("\\\\server\\share\\ZVLK5MQ.exe", '\\'), "\\\\server\\share\\");
    EXPECT_EQ(folderOfFile("ZVLK5MQ.exe", '\\'), "");
    EXPECT_EQ(folderOfFile("/opt/zv/zvremote", '/'), "/opt/zv");
    EXPECT_EQ(folderOfFile("/zvremote", '/'), "/");
}

TEST(AppFolders, ResolvedFromWhatTheSystemNames) {
    FolderSources s;
    s.programFile = "C:\\Program Files\\ZV\\ZVLK5MQ.exe";
    s.applicationData = "C:\\Users\\ann\\AppData\\Roaming";
    s.documents = "C:\\Users\\ann\\Documents";
    s.currentDirectory = "D:\\work";
    const AppFolders f = resolveFolders(s, '\\');
    EXPECT_EQ(f.program, "C:\\Program Files\\ZV");
    EXPECT_EQ(f.data, "C:\\Users\\ann\\AppData\\Roaming\\ZEVRONA\\ZVLK5MQ");
    EXPECT_TRUE(f.dataIsPerUser);
    EXPECT_EQ(f.profile, "C:\\Users\\ann\\AppData\\Roaming\\ZEVRONA\\ZVLK5MQ\\profile.ini");
    EXPECT_EQ(f.workingDataFile, "C:\\Users\\ann\\AppData\\Roaming\\ZEVRONA\\ZVLK5MQ\\DATAFILE.TMP");
    EXPECT_EQ(f.documents, "C:\\Users\\ann\\Documents");
    EXPECT_EQ(f.defaultBuffer, "C:\\Users\\ann\\Documents\\ZVLK5MQ\\Remote\\Buffer");
    EXPECT_EQ(f.defaultScreenshot, "C:\\Users\\ann\\Documents\\ZVLK5MQ\\Remote\\Screen");
    EXPECT_EQ(f.currentDirectory, "D:\\work");
}

TEST(AppFolders, FallBackToProgramFolderAndCurrentDirectory) {
    FolderSources s;
    s.programFile = "C:\\ZV\\ZVLK5MQ.exe";
    s.currentDirectory = "D:\\";
    const AppFolders f = resolveFolders(s, '\\');
    EXPECT_EQ(f.data, "C:\\ZV");
    EXPECT_FALSE(f.dataIsPerUser);  // the program folder is not created
    EXPECT_EQ(f.profile, "C:\\ZV\\profile.ini");
    EXPECT_EQ(f.documents, "D:\\");
    EXPECT_EQ(f.defaultBuffer, "D:\\ZVLK5MQ\\Remote\\Buffer");
    EXPECT_EQ(f.defaultScreenshot, "D:\\ZVLK5MQ\\Remote\\Screen");
}

TEST(AppFolders, FolderChainCreatesParentsFirstAndNeverARoot) {
    using Chain = std::vector<std::string>;
    EXPECT_EQ(folderChain("C:\\Users\\ann\\ZEVRONA\\ZVLK5MQ", '\\'),
              (Chain{"C:\\Users", "C:\\Users\\ann", "C:\\Users\\ann\\ZEVRONA", "C:\\Users\\ann\\ZEVRONA\\ZVLK5MQ"}));
    EXPECT_EQ(folderChain("C:\\a\\\\b\\", '\\'), (Chain{"C:\\a", "C:\\a\\\\b"}));
    EXPECT_EQ(folderChain("\\\\server\\share\\a\\b", '\\'), (Chain{"\\\\server\\share\\a", "\\\\server\\share\\a\\b"}));
    EXPECT_EQ(folderChain("\\\\server\\share", '\\'), Chain{});
    EXPECT_EQ(folderChain("C:\\", '\\'), Chain{});
    EXPECT_EQ(folderChain("C:", '\\'), Chain{});
    EXPECT_EQ(folderChain("rel\\dir", '\\'), (Chain{"rel", "rel\\dir"}));
    EXPECT_EQ(folderChain("/home/ann/.zv", '/'), (Chain{"/home", "/home/ann", "/home/ann/.zv"}));
    EXPECT_EQ(folderChain("/", '/'), Chain{});
}

}  // namespace
}  // namespace zv
