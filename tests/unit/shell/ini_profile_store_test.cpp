#include "shell/ini_profile_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace zv {
namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(IniText, FindsKeysLikeThePrivateProfileFunctions) {
    const IniText ini(
        "\xEF\xBB\xBF[Connection]\r\n"
        "  Method = USB  \r\n"
        "method=serial\r\n"       // a second spelling of the same key: the first one counts
        "; host=commented\r\n"
        "no equals sign\r\n"
        "host=\"  quoted  \"\r\n"
        "com='COM3'\r\n"
        "odd=\"half\r\n"
        "empty=\r\n"
        "\n"
        "[ buffer ]\n"             // LF only, blanks inside the brackets
        "path=C:\\a=b\n"
        "[connection]\n"           // the section again: the system never looks into it
        "method=XB-40\n"
        "baudrate=9600\n");
    EXPECT_EQ(ini.find("connection", "method"), "USB");
    EXPECT_EQ(ini.find("CONNECTION", "METHOD"), "USB");
    EXPECT_EQ(ini.find("connection", "baudrate"), std::nullopt);
    EXPECT_EQ(ini.find("connection", "host"), "  quoted  ");
    EXPECT_EQ(ini.find("connection", "com"), "COM3");
    EXPECT_EQ(ini.find("connection", "odd"), "\"half");
    EXPECT_EQ(ini.find("connection", "empty"), "");
    EXPECT_EQ(ini.find("connection", "; host"), std::nullopt);
    EXPECT_EQ(ini.find("connection", "no equals sign"), std::nullopt);
    EXPECT_EQ(ini.find("buffer", "path"), "C:\\a=b");
    EXPECT_EQ(ini.find("buffer", "method"), std::nullopt);
    EXPECT_EQ(ini.find("missing", "method"), std::nullopt);

    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"Connection", "buffer"}));
    EXPECT_EQ(ini.keyNames("connection"),
              (std::vector<std::string>{"Method", "host", "com", "odd", "empty"}));
}

TEST(IniText, KeysBeforeAnySectionBelongToNone) {
    const IniText ini("model=AN-1100\r\n[remote]\r\nexboard=EX-NB2A\r\n");
    EXPECT_EQ(ini.find("remote", "model"), std::nullopt);
    EXPECT_EQ(ini.find("", "model"), std::nullopt);
    EXPECT_EQ(ini.find("remote", "exboard"), "EX-NB2A");
}

TEST(IniText, SetChangesOnlyItsOwnLine) {
    IniText ini(
        "; written by hand\r\n"
        "[Remote]\r\n"
        "Model = AN-1100\r\n"
        "model=AN-2100\r\n"
        "\r\n"
        "[other]\r\n"
        "x=1\r\n");
    ASSERT_TRUE(ini.set("remote", "MODEL", "AN-2400"));
    EXPECT_EQ(ini.text(),
              "; written by hand\r\n"
              "[Remote]\r\n"
              "Model =AN-2400\r\n"
              "model=AN-2100\r\n"
              "\r\n"
              "[other]\r\n"
              "x=1\r\n");
    EXPECT_EQ(ini.find("remote", "model"), "AN-2400");
}

TEST(IniText, NewKeysGoToTheEndOfTheFirstSectionAndNewSectionsToTheEnd) {
    IniText ini("[a]\r\nk=1\r\n\r\n[b]\r\nk=2\r\n[A]\r\nz=3");
    ASSERT_TRUE(ini.set("A", "new", "x"));
    ASSERT_TRUE(ini.set("A", "z", "4"));  // z of the second [A] is not seen: a new z in the first
    ASSERT_TRUE(ini.set("c", "key", "value with blanks"));
    EXPECT_EQ(ini.text(),
              "[a]\r\nk=1\r\nnew=x\r\nz=4\r\n\r\n[b]\r\nk=2\r\n[A]\r\nz=3\r\n\r\n[c]\r\nkey=value with blanks\r\n");

    IniText empty;
    ASSERT_TRUE(empty.set("remote", "model", ""));
    EXPECT_EQ(empty.text(), "[remote]\r\nmodel=\r\n");
    EXPECT_EQ(empty.find("remote", "model"), "");
}

TEST(IniText, RefusesEntriesThatWouldNotReadBackAsThemselves) {
    IniText ini("[s]\r\nk=old\r\n");
    const std::string before = ini.text();
    // A line break would write a line of its own: here a whole section and key.
    EXPECT_FALSE(ini.set("s", "k", "x\r\n[remote]\r\nmodel=AN-1100"));
    EXPECT_FALSE(ini.set("s", "k", std::string_view("a\0b", 3)));
    EXPECT_FALSE(ini.set("s", "a=b", "v"));
    EXPECT_FALSE(ini.set("s", "", "v"));
    EXPECT_FALSE(ini.set("s", " k", "v"));
    EXPECT_FALSE(ini.set("s", "[k", "v"));
    EXPECT_FALSE(ini.set("s", ";k", "v"));
    EXPECT_FALSE(ini.set("s]x", "k", "v"));
    EXPECT_FALSE(ini.set("", "k", "v"));
    EXPECT_FALSE(ini.set("s\n", "k", "v"));
    EXPECT_EQ(ini.text(), before);
    // Everything else is a value, '=' and ';' included.
    EXPECT_TRUE(ini.set("s", "k", "a=b;c[d]"));
    EXPECT_EQ(ini.find("s", "k"), "a=b;c[d]");
}

TEST(IniProfileStore, CreatesTheFileOnTheFirstWriteAndKeepsWhatItDoesNotKnow) {
    test::TempDir dir;
    IniProfileStore store(dir.file("profile.ini"));
    EXPECT_EQ(store.getString("remote", "model", "none"), "none");
    EXPECT_FALSE(store.contains("remote", "model"));

    ASSERT_TRUE(store.setString("remote", "model", "AN-2400"));
    EXPECT_EQ(fileText(store.path()), "[remote]\r\nmodel=AN-2400\r\n");

    writeFile(store.path(), "; mine\n[remote]\nmodel=AN-1400\nfuture=1\n[Later]\nx=y\n");
    ASSERT_TRUE(store.setString("REMOTE", "exboard", "EX-NB3BP"));
    ASSERT_TRUE(store.setString("connection", "host", ""));
    EXPECT_EQ(fileText(store.path()),
              "; mine\r\n[remote]\r\nmodel=AN-1400\r\nfuture=1\r\nexboard=EX-NB3BP\r\n[Later]\r\nx=y\r\n"
              "\r\n[connection]\r\nhost=\r\n");
    EXPECT_TRUE(store.contains("Connection", "Host"));
    EXPECT_EQ(store.getString("connection", "host", "default"), "");
    EXPECT_FALSE(std::filesystem::exists(store.path() + ".new"));
}

TEST(IniProfileStore, FailedWritesLeaveTheFileAsItWas) {
    test::TempDir dir;
    // The folder does not exist: nothing can be written, everything reads as its default.
    IniProfileStore nowhere(dir.file("missing/profile.ini"));
    EXPECT_FALSE(nowhere.setString("remote", "model", "AN-2400"));
    EXPECT_EQ(nowhere.getString("remote", "model", "d"), "d");
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));

    // A path that exists but cannot be read as a file is not replaced by a one-key file.
    std::filesystem::create_directory(dir.file("folder.ini"));
    IniProfileStore folder(dir.file("folder.ini"));
    EXPECT_FALSE(folder.setString("remote", "model", "AN-2400"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.ini")));

    // A refused entry does not touch the file.
    IniProfileStore store(dir.file("profile.ini"));
    writeFile(store.path(), "[s]\nk=v\n");
    EXPECT_FALSE(store.setString("s", "k", "two\nlines"));
    EXPECT_EQ(fileText(store.path()), "[s]\nk=v\n");
}

}  // namespace
}  // namespace zv
