#include "shell/config_store.h"

#include <cstdio>
#include <iterator>
#include <limits>

#include "capture/watch_list.h"

namespace zv {
namespace {

constexpr std::string_view kModelNames[] = {"AN-1100", "AN-2100", "AN-6100", "AN-1400", "AN-2400"};
constexpr std::string_view kExBoardNames[] = {"EX-NB2A", "EX-NB2AP", "EX-NB3BP"};
constexpr std::string_view kBlockSizeNames[kBlockSizeCount] = {"1M", "2M", "4M", "8M"};

// BoardType and ExBoardCode by model index, without and with a CAN/LIN option board named.
struct ModelRow {
    ModelSettings plain;
    ModelSettings withBoard;
};
constexpr ModelRow kModelTable[] = {
    {{65554, 7}, {65570, 8}},
    {{65555, 7}, {65571, 8}},
    {{65556, 7}, {65572, 8}},
    {{73762, 20}, {73762, 20}},
    {{73763, 20}, {73763, 20}},
};

// The keys this store owns and what a missing one gets. The two folder keys are created
// with the default folders; read while missing they are empty, which makes the default
// folder from the current directory.
enum class FolderDefault : uint8_t { None, Buffer, Screenshot };

struct KeyDefault {
    std::string_view section;
    std::string_view key;
    std::string_view value;
    FolderDefault folder = FolderDefault::None;
};

constexpr KeyDefault kKeyDefaults[] = {
    {profile::kRemote, "model", "AN-2400"},
    {profile::kRemote, "exboard", "2"},
    {profile::kConnection, "method", "serial"},
    {profile::kConnection, "com", "COM1"},
    {profile::kConnection, "host", ""},
    {profile::kConnection, "dService", ""},
    {profile::kConnection, "cService", ""},
    {profile::kConnection, "serialNumber", ""},
    {profile::kConnection, "baudrate", "115200"},
    {profile::kConnection, "parity", "none"},
    {profile::kConnection, "xControl", "no"},
    {profile::kBuffer, "fullstop", "yes"},
    {profile::kBuffer, "append", "no"},
    {profile::kBuffer, "warning", "yes"},
    {profile::kBuffer, "block", "1M,10"},
    {profile::kBuffer, "path", "", FolderDefault::Buffer},
    {profile::kKeyEmulation, "bitmapFormat", ""},
    {profile::kKeyEmulation, "path", "", FolderDefault::Screenshot},
    {profile::kMiscellaneous, "syncSetup", "yes"},
    {profile::kMiscellaneous, "syncSetupSendOnly", "no"},
};

std::string_view defaultOf(std::string_view section, std::string_view key) {
    for (const KeyDefault& d : kKeyDefaults)
        if (d.section == section && d.key == key) return d.value;
    return {};
}

template <size_t N>
size_t indexIn(const std::string_view (&names)[N], std::string_view text) {
    for (size_t i = 0; i < N; ++i)
        if (names[i] == text) return i;
    return N;
}

// A value as the program reads it: through a 1025-character buffer, with the key's default
// when it is missing (a profile.ini that could not be written reads as the defaults).
std::string readText(const ProfileStore& store, std::string_view section, std::string_view key) {
    std::string text = store.getString(section, key, defaultOf(section, key));
    if (text.size() > kProfileValueChars) text.resize(kProfileValueChars);
    return text;
}

bool isYes(const ProfileStore& store, std::string_view section, std::string_view key) {
    return readText(store, section, key) == "yes";
}

std::string_view yesNo(bool on) { return on ? "yes" : "no"; }

// A folder key: empty, missing or too long for a path gives the default folder formed from
// the current directory.
template <typename MakeDefault>
std::string readFolder(const ProfileStore& store, std::string_view section, const AppFolders& folders,
                       MakeDefault makeDefault) {
    std::string folder = readText(store, section, "path");
    if (folder.empty() || folder.size() > kMaxPathChars) folder = makeDefault(folders.currentDirectory, folders.separator);
    return folder;
}

// Decimal text as the C library's atoi reads it, but saturating where atoi overflows.
int64_t parseDecimal(std::string_view text, bool& anyDigit) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    constexpr int64_t kLimit = int64_t{1} << 40;  // far past every range the callers clamp to
    int64_t value = 0;
    anyDigit = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        anyDigit = true;
        if (value < kLimit) value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

}  // namespace

ConnectionSettings startupConnectionSettings() {
    // The library's defaults, but the serial port until profile.ini names a method.
    ConnectionSettings c = remote_api::defaultConnectionSettings();
    c.method = remote_api::kMethodSerial;
    return c;
}

ModelSettings modelFromNames(std::string_view model, std::string_view exBoard) {
    size_t m = indexIn(kModelNames, model);
    size_t e = indexIn(kExBoardNames, exBoard);
    if (m == std::size(kModelNames)) m = 0;
    if (e == std::size(kExBoardNames)) e = 0;
    return e == 0 ? kModelTable[m].plain : kModelTable[m].withBoard;
}

std::string_view modelNameOf(BoardType boardType) {
    const BoardInfo* board = findBoard(boardType);
    return board ? board->model : std::string_view();
}

std::string_view exBoardNameOf(uint32_t exBoardCode) {
    switch (exBoardCode) {
        case 7: return kExBoardNames[0];
        case 8: return kExBoardNames[1];
        case 20: return kExBoardNames[2];
        default: return {};
    }
}

uint32_t blockSizeIndexOf(std::string_view name) { return static_cast<uint32_t>(indexIn(kBlockSizeNames, name)); }

std::string_view blockSizeName(uint32_t index) { return kBlockSizeNames[index < kBlockSizeCount ? index : 0]; }

uint64_t blockSizeBytes(uint32_t index) { return uint64_t{1} << (20 + (index < kBlockSizeCount ? index : 0)); }

uint32_t clampBlockCount(int64_t count) {
    if (count < kMinBlockCount) return kMinBlockCount;
    if (count > kMaxBlockCount) return kMaxBlockCount;
    return static_cast<uint32_t>(count);
}

uint32_t parseBlockCount(std::string_view text) {
    bool anyDigit = false;
    return clampBlockCount(parseDecimal(text, anyDigit));
}

std::pair<uint32_t, uint32_t> parseBufferBlock(std::string_view text, uint32_t sizeIndex, uint32_t count) {
    const size_t comma = text.find(',');
    const uint32_t found = blockSizeIndexOf(text.substr(0, comma));
    if (found < kBlockSizeCount) sizeIndex = found;
    if (comma != text.npos) count = parseBlockCount(text.substr(comma + 1));
    return {sizeIndex, count};
}

std::string bufferBlockText(uint32_t sizeIndex, uint32_t count) {
    return std::string(blockSizeName(sizeIndex)) + "," + std::to_string(clampBlockCount(count));
}

std::string_view methodName(uint32_t method) {
    if (method == remote_api::kMethodLan) return "XB-40";
    if (method == remote_api::kMethodUsb) return "USB";
    return "serial";
}

std::string_view parityName(uint32_t parity) {
    if (parity == 1) return "odd";
    if (parity == 2) return "even";
    return "none";
}

bool createMissingKeys(ProfileStore& store, const AppFolders& folders) {
    bool ok = true;
    for (const KeyDefault& d : kKeyDefaults) {
        if (store.contains(d.section, d.key)) continue;
        const std::string_view value = d.folder == FolderDefault::Buffer       ? folders.defaultBuffer
                                       : d.folder == FolderDefault::Screenshot ? folders.defaultScreenshot
                                                                               : d.value;
        ok &= store.setString(d.section, d.key, value);
    }
    for (int n = 0; n < kWatchEntryCount; ++n) {
        static constexpr const char* kSuffix[] = {"ch", "frametype", "id"};
        static constexpr std::string_view kDefault[] = {"Ch-1", "Standard", ""};
        for (size_t k = 0; k < 3; ++k) {
            char key[24];
            std::snprintf(key, sizeof key, "No%d%s", n, kSuffix[k]);
            if (!store.contains(kWatchSection, key)) ok &= store.setString(kWatchSection, key, kDefault[k]);
        }
    }
    return ok;
}

void readConnection(const ProfileStore& store, ConnectionSettings& c) {
    const std::string method = readText(store, profile::kConnection, "method");
    if (method == "USB")
        c.method = remote_api::kMethodUsb;
    else if (method == "XB-40")
        c.method = remote_api::kMethodLan;
    else if (method == "serial")
        c.method = remote_api::kMethodSerial;
    copyField(c.host, readText(store, profile::kConnection, "host"), kHostChars);
    copyField(c.dataService, readText(store, profile::kConnection, "dService"), kServiceChars);
    copyField(c.controlService, readText(store, profile::kConnection, "cService"), kServiceChars);
    copyField(c.serialPort, readText(store, profile::kConnection, "com"), kSerialPortChars);
    copyField(c.usbSerialNumber, readText(store, profile::kConnection, "serialNumber"), kUsbSerialChars);

    const std::string baud = readText(store, profile::kConnection, "baudrate");
    bool anyDigit = false;
    const int64_t rate = parseDecimal(baud, anyDigit);
    if (anyDigit && rate > 0 && rate <= std::numeric_limits<uint32_t>::max()) c.baudRate = static_cast<uint32_t>(rate);

    const std::string parity = readText(store, profile::kConnection, "parity");
    c.parity = parity == "odd" ? 1u : parity == "even" ? 2u : 0u;
    c.xControl = isYes(store, profile::kConnection, "xControl") ? 1u : 0u;
    // The fixed fields, whatever the record held before.
    c.recordSize = remote_api::kConnectionSettingsSize;
    c.minusOne = -1;
    c.zero1357[0] = c.zero1357[1] = c.zero1357[2] = 0;
    c.zero1380 = 0;
}

ModelSettings readModel(const ProfileStore& store) {
    return modelFromNames(readText(store, profile::kRemote, "model"), readText(store, profile::kRemote, "exboard"));
}

void readBuffer(const ProfileStore& store, const AppFolders& folders, BufferConfig& buffer) {
    // Full stop is always on and append always off, whatever the file says; the preferences
    // dialog hides both boxes.
    uint32_t flags = kBufferFullStop;
    if (isYes(store, profile::kBuffer, "warning")) flags |= kBufferWarning;
    buffer.flags = flags;
    const auto [sizeIndex, count] = parseBufferBlock(readText(store, profile::kBuffer, "block"),
                                                     buffer.blockSizeIndex < kBlockSizeCount ? buffer.blockSizeIndex : 0,
                                                     clampBlockCount(buffer.blockCount));
    buffer.blockSizeIndex = sizeIndex;
    buffer.blockCount = count;
    buffer.folder = readFolder(store, profile::kBuffer, folders,
                               [](std::string_view base, char separator) { return bufferFolderUnder(base, separator); });
}

std::string readScreenshotFolder(const ProfileStore& store, const AppFolders& folders) {
    return readFolder(store, profile::kKeyEmulation, folders,
                      [](std::string_view base, char separator) { return screenshotFolderUnder(base, separator); });
}

SyncSettings readSync(const ProfileStore& store) {
    SyncSettings s;
    s.syncSetup = isYes(store, profile::kMiscellaneous, "syncSetup");
    s.syncSetupSendOnly = isYes(store, profile::kMiscellaneous, "syncSetupSendOnly");
    return s;
}

void readConfiguration(const ProfileStore& store, const AppFolders& folders, AppSettings& settings) {
    readConnection(store, settings.connection);
    settings.model = readModel(store);
    readBuffer(store, folders, settings.buffer);
    settings.screenshotFolder = readScreenshotFolder(store, folders);
    settings.sync = readSync(store);
}

bool loadConfiguration(ProfileStore& store, const AppFolders& folders, AppSettings& settings, WatchList* watchList) {
    const bool created = createMissingKeys(store, folders);
    readConfiguration(store, folders, settings);
    if (watchList) watchList->loadWatchTable(store);
    return created;
}

bool saveConnection(ProfileStore& store, const ConnectionSettings& c) {
    bool ok = store.setString(profile::kConnection, "method", methodName(c.method));
    ok &= store.setString(profile::kConnection, "host", fieldText(c.host));
    ok &= store.setString(profile::kConnection, "dService", fieldText(c.dataService));
    ok &= store.setString(profile::kConnection, "cService", fieldText(c.controlService));
    ok &= store.setString(profile::kConnection, "com", fieldText(c.serialPort));
    ok &= store.setString(profile::kConnection, "baudrate", std::to_string(c.baudRate));
    ok &= store.setString(profile::kConnection, "parity", parityName(c.parity));
    ok &= store.setString(profile::kConnection, "xControl", yesNo(c.xControl != 0));
    ok &= store.setString(profile::kConnection, "serialNumber", fieldText(c.usbSerialNumber));
    return ok;
}

bool saveModel(ProfileStore& store, const ModelSettings& model) {
    bool ok = store.setString(profile::kRemote, "model", modelNameOf(model.boardType));
    ok &= store.setString(profile::kRemote, "exboard", exBoardNameOf(model.exBoardCode));
    return ok;
}

bool saveBuffer(ProfileStore& store, const BufferConfig& buffer) {
    bool ok = store.setString(profile::kBuffer, "path", buffer.folder);
    ok &= store.setString(profile::kBuffer, "block", bufferBlockText(buffer.blockSizeIndex, buffer.blockCount));
    ok &= store.setString(profile::kBuffer, "fullstop", "yes");
    ok &= store.setString(profile::kBuffer, "append", "no");
    ok &= store.setString(profile::kBuffer, "warning", yesNo((buffer.flags & kBufferWarning) != 0));
    return ok;
}

bool saveScreenshotFolder(ProfileStore& store, std::string_view folder) {
    return store.setString(profile::kKeyEmulation, "path", folder);
}

bool saveSync(ProfileStore& store, const SyncSettings& sync) {
    bool ok = store.setString(profile::kMiscellaneous, "syncSetup", yesNo(sync.syncSetup));
    ok &= store.setString(profile::kMiscellaneous, "syncSetupSendOnly", yesNo(sync.syncSetupSendOnly));
    return ok;
}

bool saveConfiguration(ProfileStore& store, const AppSettings& settings) {
    bool ok = saveConnection(store, settings.connection);
    ok &= saveModel(store, settings.model);
    ok &= saveBuffer(store, settings.buffer);
    ok &= saveScreenshotFolder(store, settings.screenshotFolder);
    ok &= saveSync(store, settings.sync);
    return ok;
}

}  // namespace zv
