#include "shell/config_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "capture/watch_list.h"
#include "shell/ini_profile_store.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

AppFolders windowsFolders() {
    FolderSources s;
    s.programFile = "C:\\ZV\\ZVLK5MQ.exe";
    s.applicationData = "C:\\Users\\ann\\AppData\\Roaming";
    s.documents = "C:\\Users\\ann\\Documents";
    s.currentDirectory = "D:\\work";
    return resolveFolders(s, '\\');
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A store holding only the given [section] key=value lines.
MapProfileStore storeWith(std::initializer_list<std::array<std::string_view, 3>> entries) {
    MapProfileStore store;
    for (const auto& e : entries) store.setString(e[0], e[1], e[2]);
    return store;
}

std::string watchKeysText() {
    std::string text = "\r\n[WatchDataFactor]\r\n";
    for (int n = 0; n < 16; ++n) {
        const std::string no = "No" + std::to_string(n);
        text += no + "ch=Ch-1\r\n" + no + "frametype=Standard\r\n" + no + "id=\r\n";
    }
    return text;
}

TEST(ConfigStore, AFreshInstallationWritesEveryDefaultAndReadsThemBack) {
    test::TempDir dir;
    const AppFolders folders = windowsFolders();
    IniProfileStore store(dir.file("profile.ini"));
    AppSettings settings;
    WatchList watch;
    EXPECT_TRUE(loadConfiguration(store, folders, settings, &watch));

    EXPECT_EQ(fileText(store.path()),
              "[remote]\r\nmodel=AN-2400\r\nexboard=2\r\n"
              "\r\n[connection]\r\nmethod=serial\r\ncom=COM1\r\nhost=\r\ndService=\r\ncService=\r\n"
              "serialNumber=\r\nbaudrate=115200\r\nparity=none\r\nxControl=no\r\n"
              "\r\n[buffer]\r\nfullstop=yes\r\nappend=no\r\nwarning=yes\r\nblock=1M,10\r\n"
              "path=C:\\Users\\ann\\Documents\\ZVLK5MQ\\Remote\\Buffer\r\n"
              "\r\n[keyEmulation]\r\nbitmapFormat=\r\npath=C:\\Users\\ann\\Documents\\ZVLK5MQ\\Remote\\Screen\r\n"
              "\r\n[miscellaneous]\r\nsyncSetup=yes\r\nsyncSetupSendOnly=no\r\n" +
                  watchKeysText());

    EXPECT_EQ(settings.model, (ModelSettings{73763, 20}));
    const ConnectionSettings& c = settings.connection;
    EXPECT_EQ(c.recordSize, 1396u);
    EXPECT_EQ(c.method, 0u);
    EXPECT_STREQ(c.serialPort, "COM1");
    EXPECT_STREQ(c.host, "");
    EXPECT_STREQ(c.usbSerialNumber, "");
    EXPECT_EQ(c.minusOne, -1);
    EXPECT_EQ(c.baudRate, 115200u);
    EXPECT_EQ(c.parity, 0u);
    EXPECT_EQ(c.xControl, 0u);
    EXPECT_EQ(settings.buffer, (BufferConfig{kBufferFullStop | kBufferWarning, 0, 10,
                                               "C:\\Users\\ann\\Documents\\ZVLK5MQ\\Remote\\Buffer"}));
    EXPECT_EQ(settings.screenshotFolder, "C:\\Users\\ann\\Documents\\ZVLK5MQ\\Remote\\Screen");
    EXPECT_EQ(settings.sync, (SyncSettings{true, false}));
    for (const WatchEntry& e : watch.entries()) EXPECT_EQ(e, WatchEntry{});

    // A second start finds every key and writes nothing.
    const std::string before = fileText(store.path());
    EXPECT_TRUE(loadConfiguration(store, folders, settings, &watch));
    EXPECT_EQ(fileText(store.path()), before);
}

TEST(ConfigStore, ExistingKeysAreKeptEvenWhenEmpty) {
    const AppFolders folders = windowsFolders();
    MapProfileStore store = storeWith({{"remote", "model", "AN-1100"},
                                       {"buffer", "path", ""},
                                       {"keyEmulation", "path", ""},
                                       {"WatchDataFactor", "No3ch", "Ch-2"},
                                       {"WatchDataFactor", "No3id", "1a"}});
    AppSettings settings;
    WatchList watch;
    loadConfiguration(store, folders, settings, &watch);
    EXPECT_EQ(store.getString("remote", "model", "?"), "AN-1100");
    EXPECT_EQ(store.getString("buffer", "path", "?"), "");
    EXPECT_EQ(store.getString("WatchDataFactor", "No3frametype", "?"), "Standard");
    EXPECT_EQ(store.size(), 20u + 48u);
    // An empty folder is formed from the current directory, not from the documents folder.
    EXPECT_EQ(settings.buffer.folder, "D:\\work\\ZVLK5MQ\\Remote\\Buffer");
    EXPECT_EQ(settings.screenshotFolder, "D:\\work\\ZVLK5MQ\\Remote\\Screen");
    EXPECT_EQ(settings.model, (ModelSettings{65554, 7}));
    const WatchEntry e3 = watch.entries()[3];
    EXPECT_TRUE(e3.enabled);
    EXPECT_EQ(e3.channel, 2);
    EXPECT_EQ(e3.identifier, 0x1Au);
}

TEST(ConfigStore, AnUnwritableProfileReadsAsTheDefaults) {
    test::TempDir dir;
    const AppFolders folders = windowsFolders();
    IniProfileStore store(dir.file("no-such-folder/profile.ini"));
    AppSettings settings;
    settings.connection.method = 9;
    EXPECT_FALSE(loadConfiguration(store, folders, settings, nullptr));
    EXPECT_EQ(settings.model, (ModelSettings{73763, 20}));
    EXPECT_EQ(settings.connection.method, 0u);
    EXPECT_EQ(settings.connection.baudRate, 115200u);
    EXPECT_STREQ(settings.connection.serialPort, "COM1");
    EXPECT_EQ(settings.buffer.blockCount, 10u);
    EXPECT_EQ(settings.buffer.flags, kBufferFullStop | kBufferWarning);
    EXPECT_EQ(settings.sync, (SyncSettings{true, false}));
    EXPECT_EQ(settings.buffer.folder, "D:\\work\\ZVLK5MQ\\Remote\\Buffer");
}

struct ModelCase {
    const char* model;
    const char* exBoard;
    BoardType boardType;
    uint32_t exBoardCode;
};

class ModelNamesTest : public ::testing::TestWithParam<ModelCase> {};

TEST_P(ModelNamesTest, ReadAsTheModelTableSays) {
    const ModelCase& c = GetParam();
    const MapProfileStore store = storeWith({{"remote", "model", c.model}, {"remote", "exboard", c.exBoard}});
    EXPECT_EQ(readModel(store), (ModelSettings{c.boardType, c.exBoardCode}));
}

INSTANTIATE_TEST_SUITE_P(
    ConfigStore, ModelNamesTest,
    ::testing::Values(ModelCase{"AN-2400", "2", 73763, 20},  // the default pair
                      ModelCase{"AN-1100", "EX-NB3BP", 65570, 8}, ModelCase{"AN-1100", "EX-NB2A", 65554, 7},
                      ModelCase{"AN-2100", "EX-NB2AP", 65571, 8}, ModelCase{"AN-2100", "", 65555, 7},
                      ModelCase{"AN-6100", "EX-NB2AP", 65572, 8}, ModelCase{"AN-6100", "ex-nb2ap", 65556, 7},
                      ModelCase{"AN-1400", "EX-NB2A", 73762, 20}, ModelCase{"AN-1400", "EX-NB2AP", 73762, 20},
                      ModelCase{"AN-2400", "EX-NB2AP", 73763, 20},
                      ModelCase{"an-2400", "EX-NB3BP", 65570, 8},  // names compare exactly
                      ModelCase{"", "", 65554, 7}));

TEST(ConfigStore, ModelNamesWrittenForEveryBoardReadBackAsThatBoard) {
    for (const BoardInfo* b = boardsBegin(); b != boardsEnd(); ++b) {
        MapProfileStore store;
        EXPECT_TRUE(saveModel(store, {b->code, b->exBoardCode}));
        EXPECT_EQ(store.getString("remote", "model", "?"), b->model);
        EXPECT_EQ(readModel(store), (ModelSettings{b->code, b->exBoardCode})) << b->text;
    }
    MapProfileStore store;
    saveModel(store, {65538, 3});
    EXPECT_EQ(store.getString("remote", "model", "?"), "");
    EXPECT_EQ(store.getString("remote", "exboard", "?"), "");
}

TEST(ConfigStore, BufferBlockRules) {
    using Block = std::pair<uint32_t, uint32_t>;
    EXPECT_EQ(parseBufferBlock("4M,1", 0, 10), (Block{2, 2}));
    EXPECT_EQ(parseBufferBlock("8M,5000", 0, 10), (Block{3, 2000}));
    EXPECT_EQ(parseBufferBlock("2M,2000", 0, 10), (Block{1, 2000}));
    EXPECT_EQ(parseBufferBlock("1M, 17", 3, 10), (Block{0, 17}));
    // An unknown size keeps the previous one; the count is still read.
    EXPECT_EQ(parseBufferBlock("3M,50", 2, 10), (Block{2, 50}));
    EXPECT_EQ(parseBufferBlock("8m,50", 1, 10), (Block{1, 50}));
    EXPECT_EQ(parseBufferBlock("1M ,50", 1, 10), (Block{1, 50}));
    // A count that is no number reads as 0 and so as the lowest count.
    EXPECT_EQ(parseBufferBlock("2M,", 0, 10), (Block{1, 2}));
    EXPECT_EQ(parseBufferBlock("2M,ten", 0, 10), (Block{1, 2}));
    EXPECT_EQ(parseBufferBlock("2M,-7", 0, 10), (Block{1, 2}));
    EXPECT_EQ(parseBufferBlock("2M,12abc", 0, 10), (Block{1, 12}));
    // Only the first comma splits.
    EXPECT_EQ(parseBufferBlock("4M,30,40", 0, 10), (Block{2, 30}));
    // Without a comma the value is all size: the count stays.
    EXPECT_EQ(parseBufferBlock("8M", 0, 33), (Block{3, 33}));
    EXPECT_EQ(parseBufferBlock("", 1, 33), (Block{1, 33}));
    // Parts of ten characters and more.
    EXPECT_EQ(parseBufferBlock("4M45678901,100", 1, 10), (Block{1, 100}));
    EXPECT_EQ(parseBufferBlock("4M,0000000000000000000099", 0, 10), (Block{2, 99}));
    EXPECT_EQ(parseBufferBlock("4M,99999999999999999999999999", 0, 10), (Block{2, 2000}));
    EXPECT_EQ(parseBufferBlock("4M,-99999999999999999999999999", 0, 10), (Block{2, 2}));
    EXPECT_EQ(parseBufferBlock("4M,4294967298", 0, 10), (Block{2, 2000}));  // not 2 by wrapping

    EXPECT_EQ(bufferBlockText(2, 2), "4M,2");
    EXPECT_EQ(bufferBlockText(3, 2000), "8M,2000");
    EXPECT_EQ(bufferBlockText(7, 5000), "1M,2000");
    EXPECT_EQ(blockSizeBytes(0), 1u << 20);
    EXPECT_EQ(blockSizeBytes(3), 8u << 20);
}

TEST(ConfigStore, FullStopAndAppendAreFixedWhateverTheFileSays) {
    const AppFolders folders = windowsFolders();
    MapProfileStore store = storeWith({{"buffer", "fullstop", "no"},
                                       {"buffer", "append", "yes"},
                                       {"buffer", "warning", "Yes"},
                                       {"buffer", "block", "2M,300"}});
    BufferConfig buffer;
    readBuffer(store, folders, buffer);
    EXPECT_EQ(buffer.flags, kBufferFullStop);  // warning "Yes" is not "yes"
    buffer.flags = kBufferAppend | kBufferWarning;  // what no caller should hand in, written right anyway
    EXPECT_TRUE(saveBuffer(store, buffer));
    EXPECT_EQ(store.getString("buffer", "fullstop", "?"), "yes");
    EXPECT_EQ(store.getString("buffer", "append", "?"), "no");
    EXPECT_EQ(store.getString("buffer", "warning", "?"), "yes");
    EXPECT_EQ(store.getString("buffer", "block", "?"), "2M,300");
}

TEST(ConfigStore, ConnectionValueRules) {
    ConnectionSettings c = startupConnectionSettings();
    readConnection(storeWith({{"connection", "method", "XB-40"},
                              {"connection", "parity", "Even"},
                              {"connection", "xControl", "yes"},
                              {"connection", "baudrate", "9600"}}),
                   c);
    EXPECT_EQ(c.method, 2u);
    EXPECT_EQ(c.parity, 0u);  // names compare exactly
    EXPECT_EQ(c.xControl, 1u);
    EXPECT_EQ(c.baudRate, 9600u);

    // Unknown method and a baud rate that is no rate keep what the record held.
    readConnection(storeWith({{"connection", "method", "usb"},
                              {"connection", "parity", "odd"},
                              {"connection", "xControl", "YES"},
                              {"connection", "baudrate", "fast"}}),
                   c);
    EXPECT_EQ(c.method, 2u);
    EXPECT_EQ(c.parity, 1u);
    EXPECT_EQ(c.xControl, 0u);
    EXPECT_EQ(c.baudRate, 9600u);
    for (const char* rate : {"0", "-9600", "99999999999", ""}) {
        readConnection(storeWith({{"connection", "baudrate", rate}}), c);
        EXPECT_EQ(c.baudRate, 9600u) << rate;
    }
    readConnection(storeWith({{"connection", "method", "USB"}, {"connection", "parity", "even"}}), c);
    EXPECT_EQ(c.method, 9u);
    EXPECT_EQ(c.parity, 2u);
}

TEST(ConfigStore, OverLongTextsAreCutToTheirFields) {
    const std::string host(5000, 'h');
    const std::string service(40, '7');
    const std::string serial(20, 'S');
    const std::string port(30, 'P');
    ConnectionSettings c = startupConnectionSettings();
    std::memset(c.zero1357, 0xAA, sizeof c.zero1357);
    c.zero1380 = 0xDEADBEEF;
    readConnection(storeWith({{"connection", "host", host},
                              {"connection", "dService", service},
                              {"connection", "cService", service},
                              {"connection", "serialNumber", serial},
                              {"connection", "com", port}}),
                   c);
    EXPECT_EQ(std::string(c.host), host.substr(0, 1024));
    EXPECT_EQ(std::string(c.dataService), service.substr(0, 31));
    EXPECT_EQ(std::string(c.controlService), service.substr(0, 31));
    EXPECT_EQ(std::string(c.usbSerialNumber), serial.substr(0, 15));
    EXPECT_EQ(std::string(c.serialPort), port.substr(0, 15));
    // Nothing spilled into the fields after them, and the fixed fields are what the library expects.
    EXPECT_EQ(c.recordSize, 1396u);
    EXPECT_EQ(c.minusOne, -1);
    EXPECT_EQ(c.zero1357[0] | c.zero1357[1] | c.zero1357[2], 0);
    EXPECT_EQ(c.zero1380, 0u);
    EXPECT_EQ(c.baudRate, 115200u);

    // Lengths right at the limits are kept whole.
    readConnection(storeWith({{"connection", "host", host.substr(0, 1024)},
                              {"connection", "dService", service.substr(0, 31)},
                              {"connection", "serialNumber", serial.substr(0, 15)}}),
                   c);
    EXPECT_EQ(std::strlen(c.host), 1024u);
    EXPECT_EQ(std::strlen(c.dataService), 31u);
    EXPECT_EQ(std::strlen(c.usbSerialNumber), 15u);
}

TEST(ConfigStore, WritersNeverReadPastAFieldWithoutItsNul) {
    ConnectionSettings c = startupConnectionSettings();
    std::memset(c.dataService, 'd', sizeof c.dataService);
    std::memset(c.controlService, 'c', sizeof c.controlService);
    std::memset(c.usbSerialNumber, 'u', sizeof c.usbSerialNumber);
    MapProfileStore store;
    EXPECT_TRUE(saveConnection(store, c));
    EXPECT_EQ(store.getString("connection", "dService", "?"), std::string(32, 'd'));
    EXPECT_EQ(store.getString("connection", "cService", "?"), std::string(32, 'c'));
    EXPECT_EQ(store.getString("connection", "serialNumber", "?"), std::string(16, 'u'));
    // Read back, each is cut to fit with its NUL.
    ConnectionSettings again = startupConnectionSettings();
    readConnection(store, again);
    EXPECT_EQ(std::string(again.dataService), std::string(31, 'd'));
    EXPECT_EQ(std::string(again.usbSerialNumber), std::string(15, 'u'));
}

TEST(ConfigStore, OverLongFoldersFallBackToTheDefault) {
    const AppFolders folders = windowsFolders();
    const std::string longFolder = "C:\\" + std::string(257, 'x');  // 260 characters
    const std::string fitting = "C:\\" + std::string(256, 'x');     // 259
    BufferConfig buffer;
    readBuffer(storeWith({{"buffer", "path", longFolder}}), folders, buffer);
    EXPECT_EQ(buffer.folder, "D:\\work\\ZVLK5MQ\\Remote\\Buffer");
    readBuffer(storeWith({{"buffer", "path", fitting}}), folders, buffer);
    EXPECT_EQ(buffer.folder, fitting);
    EXPECT_EQ(readScreenshotFolder(storeWith({{"keyEmulation", "path", longFolder}}), folders),
              "D:\\work\\ZVLK5MQ\\Remote\\Screen");
}

TEST(ConfigStore, EverythingTheDialogWritesReadsBackThroughAnIniFile) {
    test::TempDir dir;
    const AppFolders folders = windowsFolders();
    IniProfileStore store(dir.file("profile.ini"));
    AppSettings written;
    loadConfiguration(store, folders, written, nullptr);

    written.connection.method = 2;
    copyField(written.connection.host, "xb40.example.net");
    copyField(written.connection.dataService, "10001");
    copyField(written.connection.controlService, "10002");
    copyField(written.connection.serialPort, "COM7");
    copyField(written.connection.usbSerialNumber, "30808001");
    written.connection.baudRate = 57600;
    written.connection.parity = 2;
    written.connection.xControl = 1;
    written.model = {65571, 8};
    written.buffer = {kBufferFullStop, 3, 1999, "E:\\capture files"};
    written.screenshotFolder = "E:\\shots";
    written.sync = {false, true};
    EXPECT_TRUE(saveConfiguration(store, written));

    AppSettings read;
    loadConfiguration(store, folders, read, nullptr);
    EXPECT_EQ(std::memcmp(&read.connection, &written.connection, sizeof(ConnectionSettings)), 0);
    EXPECT_EQ(read.model, written.model);
    EXPECT_EQ(read.buffer, written.buffer);
    EXPECT_EQ(read.screenshotFolder, written.screenshotFolder);
    EXPECT_EQ(read.sync, written.sync);
    EXPECT_EQ(store.getString("connection", "method", "?"), "XB-40");
    EXPECT_EQ(store.getString("connection", "parity", "?"), "even");
    EXPECT_EQ(store.getString("remote", "exboard", "?"), "EX-NB2AP");
    EXPECT_EQ(store.getString("buffer", "block", "?"), "8M,1999");
    // bitmapFormat is created, never rewritten.
    EXPECT_EQ(store.getString("keyEmulation", "bitmapFormat", "?"), "");
}

TEST(ConfigStore, ValuesAreReadThroughA1025CharacterBuffer) {
    const AppFolders folders = windowsFolders();
    // The count's last digit is character 1025 and falls off: what is left reads as 0.
    const std::string block = "4M," + std::string(1021, '0') + "5";
    ASSERT_EQ(block.size(), 1025u);
    BufferConfig buffer;
    readBuffer(storeWith({{"buffer", "block", block}}), folders, buffer);
    EXPECT_EQ(buffer.blockSizeIndex, 2u);
    EXPECT_EQ(buffer.blockCount, 2u);
    readBuffer(storeWith({{"buffer", "block", block.substr(1)}}), folders, buffer);  // "M,..."
    EXPECT_EQ(buffer.blockCount, 5u);
}

}  // namespace
}  // namespace zv
