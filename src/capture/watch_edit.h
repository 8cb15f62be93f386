// The watch dialog's rules, apart from its windows: which typed characters an identifier box
// takes, and the working copy of the 16 entries with its clamping and length limits. The
// dialog edits the working copy; OK hands the boxes' texts to WatchList::applyDialog.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "capture/watch_list.h"

namespace zv {

// A character typed into an identifier box: hexadecimal digits pass (letters upper case), so
// do the editing keys (backspace, Ctrl+C, Ctrl+X, Ctrl+Z and the other control characters),
// but not Ctrl+V (0x16). Refused characters come back as 0.
char watchIdentifierKey(char typed);

class WatchDialogEntries {
public:
    explicit WatchDialogEntries(const std::array<WatchEntry, kWatchEntryCount>& live) : entries_(live) {}

    const WatchEntry& entry(int n) const { return entries_[index(n)]; }
    // What the box shows when the dialog opens: "%X" of an enabled entry, else empty.
    std::string identifierText(int n) const { return watchIdentifierText(entry(n)); }
    // How many characters the box takes: 8 for extended, 3 for standard entries.
    int identifierLimit(int n) const { return watchIdentifierLimit(entry(n).frameType); }

    // The box left with TEXT: an empty text disables the entry, any other is read as
    // hexadecimal and clamped to the entry's frame type. Returns the text to show again.
    std::string leaveIdentifier(int n, std::string_view text);
    // The frame type changed to FRAME_TYPE (0 or 1); the box holds TEXT. The entry takes both,
    // clamped as when leaving the box. Returns the text to show again.
    std::string changeFrameType(int n, uint8_t frameType, std::string_view text);

    const std::array<WatchEntry, kWatchEntryCount>& entries() const { return entries_; }

private:
    static size_t index(int n) { return static_cast<size_t>(n < 0 ? 0 : n >= kWatchEntryCount ? kWatchEntryCount - 1 : n); }

    std::array<WatchEntry, kWatchEntryCount> entries_;
};

}  // namespace zv
