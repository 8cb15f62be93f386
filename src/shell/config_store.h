// The program's settings in profile.ini: the in-memory records the other parts use, the
// defaults written for missing keys at start-up, the reading rules, and the writers the
// preferences dialog and the session call. Works on any ProfileStore: the private-profile
// functions on Windows, an INI file or a map elsewhere.
//
// Text lengths. Every value is read as at most 1024 characters (the system's 1025-character
// buffer), and each text then has a length of its own; a longer text is cut to it, never
// written past the end of its field:
//   host of the XB-40 adapter   1024 (the record's 1025-character field)
//   dService, cService            31 (32-character fields)
//   serialNumber                  15 (16-character field)
//   com                           15 (what the port box of the preferences dialog edits)
// Folders (buffer and screenshot paths) hold at most 259 characters. A longer folder is not
// cut, since a cut path names some other folder that would then receive the files; it is
// taken as unusable and replaced by the default folder, as an empty one is.
//
// The block value "size,count": the size part is looked up among "1M", "2M", "4M", "8M"
// (no match keeps the previous size, however long the part); the count part is read as a
// decimal number of any length (leading blanks and a sign allowed, digits up to the first
// other character, none giving 0) that saturates instead of overflowing, then is clamped to
// 2 .. 2000. A value without a comma is all size part and keeps the previous count.
//
// Baud rate: a positive decimal number that fits 32 bits; anything else keeps the previous
// rate (115200 at start-up) instead of handing 0 to the serial port.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "base/board_type.h"
#include "capture/profile_store.h"
#include "remote/zvremote.h"
#include "shell/app_folders.h"

namespace zv {

class WatchList;

namespace profile {
constexpr std::string_view kRemote = "remote";
constexpr std::string_view kConnection = "connection";
constexpr std::string_view kBuffer = "buffer";
constexpr std::string_view kKeyEmulation = "keyEmulation";
constexpr std::string_view kMiscellaneous = "miscellaneous";
}  // namespace profile

constexpr size_t kProfileValueChars = 1024;
constexpr size_t kHostChars = 1024;
constexpr size_t kServiceChars = 31;
constexpr size_t kUsbSerialChars = 15;
constexpr size_t kSerialPortChars = 15;

constexpr uint32_t kBufferFullStop = 1u << 0;
constexpr uint32_t kBufferAppend = 1u << 1;
constexpr uint32_t kBufferWarning = 1u << 2;

constexpr uint32_t kBlockSizeCount = 4;  // "1M", "2M", "4M", "8M"
constexpr uint32_t kMinBlockCount = 2;
constexpr uint32_t kMaxBlockCount = 2000;
constexpr uint32_t kDefaultBlockCount = 10;
constexpr uint32_t kDefaultBaudRate = 115200;

// The program's current analyzer: BoardType and ExBoardCode of the DeviceInfo record.
struct ModelSettings {
    BoardType boardType = kDefaultBoardType;
    uint32_t exBoardCode = kDefaultExBoardCode;
    bool operator==(const ModelSettings&) const = default;
};

// The [buffer] section as stored; monitoring hands its values to the buffer-file writer's own
// BufferSettings (capture/buffer_files.h). One name each: two types of one name would break the
// one-definition rule once both headers meet in a program.
struct BufferConfig {
    uint32_t flags = kBufferFullStop | kBufferWarning;
    uint32_t blockSizeIndex = 0;  // 0 .. 3: 1, 2, 4, 8 MiB per numbered buffer file
    uint32_t blockCount = kDefaultBlockCount;
    std::string folder;           // at most kMaxPathChars
    bool operator==(const BufferConfig&) const = default;
};

struct SyncSettings {
    bool syncSetup = true;
    bool syncSetupSendOnly = false;
    bool operator==(const SyncSettings&) const = default;
};

// The connection record before profile.ini was read: the remote library's defaults with the
// serial port as the method (what an unknown method text keeps at start-up).
ConnectionSettings startupConnectionSettings();

struct AppSettings {
    ConnectionSettings connection = startupConnectionSettings();
    ModelSettings model;
    BufferConfig buffer;
    std::string screenshotFolder;
    SyncSettings sync;
};

// --- Rules, usable on their own (the dialog and the session share them) ---

// [remote] names to the model: the model among "AN-1100", "AN-2100", "AN-6100", "AN-1400",
// "AN-2400" and the board among "EX-NB2A", "EX-NB2AP", "EX-NB3BP", each the first when
// none matches.
ModelSettings modelFromNames(std::string_view model, std::string_view exBoard);
// The names written for a model; empty for a code that is not supported.
std::string_view modelNameOf(BoardType boardType);
std::string_view exBoardNameOf(uint32_t exBoardCode);

// "1M" .. "8M" and the index, or kBlockSizeCount when the text is none of them.
uint32_t blockSizeIndexOf(std::string_view name);
std::string_view blockSizeName(uint32_t index);  // "1M" for an index past the four
uint64_t blockSizeBytes(uint32_t index);          // 1, 2, 4 or 8 MiB; 1 MiB past the four
// Decimal text to a block count in 2 .. 2000, see above.
uint32_t parseBlockCount(std::string_view text);
uint32_t clampBlockCount(int64_t count);
// The whole block value over the previous size index and count.
std::pair<uint32_t, uint32_t> parseBufferBlock(std::string_view text, uint32_t sizeIndex, uint32_t count);
std::string bufferBlockText(uint32_t sizeIndex, uint32_t count);

std::string_view methodName(uint32_t method);  // "serial", "XB-40", "USB"; "serial" otherwise
std::string_view parityName(uint32_t parity);  // "none", "odd", "even"; "none" otherwise

// Copies at most the field's size less one characters and ends them with NUL; the rest of
// the field is cleared.
template <size_t N>
void copyField(char (&field)[N], std::string_view text, size_t maxChars = N - 1) {
    const size_t n = std::min({text.size(), maxChars, N - 1});
    for (size_t i = 0; i < N; ++i) field[i] = i < n ? text[i] : '\0';
}
// The text of a field up to its first NUL, never past its end.
template <size_t N>
std::string_view fieldText(const char (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n] != '\0') ++n;
    return std::string_view(field, n);
}

// --- Start-up ---

// Writes the default of every key of [remote], [connection], [buffer], [keyEmulation],
// [miscellaneous] and [WatchDataFactor] that the store does not hold. Keys that exist, empty
// or not, stay as they are. False when a write failed (the program goes on regardless).
bool createMissingKeys(ProfileStore& store, const AppFolders& folders);

// Reads every record; what a rule keeps on a bad value is taken from the records as given.
void readConfiguration(const ProfileStore& store, const AppFolders& folders, AppSettings& settings);

// Start-up: createMissingKeys, readConfiguration, and the watch entries into the watch list
// (when given). Returns what createMissingKeys returned.
bool loadConfiguration(ProfileStore& store, const AppFolders& folders, AppSettings& settings,
                       WatchList* watchList);

// --- Each group on its own ---

void readConnection(const ProfileStore& store, ConnectionSettings& connection);
ModelSettings readModel(const ProfileStore& store);
void readBuffer(const ProfileStore& store, const AppFolders& folders, BufferConfig& buffer);
std::string readScreenshotFolder(const ProfileStore& store, const AppFolders& folders);
SyncSettings readSync(const ProfileStore& store);

// The writers; each returns false when any of its keys could not be written.
bool saveConnection(ProfileStore& store, const ConnectionSettings& connection);
bool saveModel(ProfileStore& store, const ModelSettings& model);
bool saveBuffer(ProfileStore& store, const BufferConfig& buffer);
bool saveScreenshotFolder(ProfileStore& store, std::string_view folder);
bool saveSync(ProfileStore& store, const SyncSettings& sync);
// The preferences dialog's OK: connection, model, buffer, screenshot folder, synchronisation.
bool saveConfiguration(ProfileStore& store, const AppSettings& settings);

}  // namespace zv
