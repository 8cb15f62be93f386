// The watch list of monitoring: 16 entries (channel, frame type, identifier), each with a
// slot holding the latest record that matched it. Matching runs on the remote library's
// thread for every monitor block; the UI thread takes snapshots for the monitor list and
// replaces the entries from the watch dialog. One lock guards entries and slots together,
// so a snapshot never holds a half-replaced slot.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "capture/profile_store.h"

namespace zv {

constexpr int kWatchEntryCount = 16;
constexpr size_t kWatchRecordSize = 32;
constexpr std::string_view kWatchSection = "WatchDataFactor";

struct WatchEntry {
    bool enabled = false;     // an identifier was entered
    bool hasData = false;     // a record was stored while enabled
    uint8_t channel = 1;      // 1 or 2
    uint8_t frameType = 0;    // 0 standard (11-bit), 1 extended (29-bit)
    uint32_t identifier = 0;
    bool operator==(const WatchEntry&) const = default;
};

using WatchSlot = std::array<uint8_t, kWatchRecordSize>;

struct WatchTable {
    std::array<WatchEntry, kWatchEntryCount> entries{};
    std::array<WatchSlot, kWatchEntryCount> slots{};
};

// An entry as the watch dialog and profile.ini hold it: the identifier stays text.
struct WatchEntryText {
    uint8_t channel = 1;
    uint8_t frameType = 0;
    std::string identifier;
};

// Hexadecimal text as typed or stored: leading blanks and a "0x" are skipped, the digits end
// at the first other character, and values past 32 bits stay at 0xFFFFFFFF.
uint32_t parseWatchIdentifier(std::string_view text);
// The dialog's clamping: 0..0x1FFFFFFF for extended, 0..0x7FF for standard entries.
uint32_t clampWatchIdentifier(uint32_t value, uint8_t frameType);
// Characters the identifier box takes: 8 for extended, 3 for standard entries.
int watchIdentifierLimit(uint8_t frameType);
// "%X" of the identifier of an enabled entry, else empty.
std::string watchIdentifierText(const WatchEntry& entry);

// The profile's texts to an entry (hasData cleared): "Ch-2" is channel 2, anything else 1;
// "Extended" is frame type 1, anything else 0; any identifier text enables the entry.
WatchEntry watchEntryFromText(std::string_view channel, std::string_view frameType, std::string_view identifier);

// The 48 keys "No%dch", "No%dframetype", "No%did" of [WatchDataFactor].
std::array<WatchEntryText, kWatchEntryCount> readWatchProfile(const ProfileStore& store);
bool writeWatchProfile(ProfileStore& store, const std::array<WatchEntryText, kWatchEntryCount>& entries);

class WatchList {
public:
    // Every record of a block (whole 32-byte records only) against all 16 entries in order;
    // every entry that matches takes the record into its slot.
    void matchWatch(const uint8_t* records, size_t bytes);

    // Reads the profile into the entries; hasData flags and slots stay.
    void loadWatchTable(const ProfileStore& store);
    // The watch dialog's OK: the entries from the dialog (identifiers unclamped, as typed),
    // written to the profile and then taken as the live entries. Slots and hasData flags stay
    // as matching left them. False, with the live entries unchanged, when a key could not be
    // written: entries the next start would not read back must not look saved.
    bool applyDialog(const std::array<WatchEntryText, kWatchEntryCount>& entries, ProfileStore& store);
    void setEntries(const std::array<WatchEntry, kWatchEntryCount>& entries);
    // Monitoring starts: nothing shown until new records match.
    void clearHasData();

    WatchTable snapshot() const;
    std::array<WatchEntry, kWatchEntryCount> entries() const;

private:
    mutable std::mutex mutex_;
    WatchTable table_;
};

}  // namespace zv
