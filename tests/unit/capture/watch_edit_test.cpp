#include "capture/watch_edit.h"

#include <gtest/gtest.h>

#include <string>

namespace zv {
namespace {

TEST(WatchIdentifierKey, OnlyHexDigitsUpperCaseAndEditingKeysPass) {
    std::string passed;
    for (int c = 0x20; c < 0x7F; ++c) {
        if (const char k = watchIdentifierKey(static_cast<char>(c))) passed += k;
    }
    EXPECT_EQ(passed, "0123456789ABCDEFABCDEF");  // upper case, then lower case turned upper
    EXPECT_EQ(watchIdentifierKey('\b'), '\b');
    EXPECT_EQ(watchIdentifierKey(0x03), 0x03);  // Ctrl+C copies
    EXPECT_EQ(watchIdentifierKey(0x18), 0x18);  // Ctrl+X cuts
    EXPECT_EQ(watchIdentifierKey(0x16), 0);     // Ctrl+V would paste anything
    EXPECT_EQ(watchIdentifierKey(static_cast<char>(0xC4)), 0);  // no letters of the code page
    EXPECT_EQ(watchIdentifierKey(static_cast<char>(0xE6)), 0);
}

std::array<WatchEntry, kWatchEntryCount> standardEntries() {
    std::array<WatchEntry, kWatchEntryCount> entries{};
    return entries;
}

TEST(WatchDialogEntries, LeavingABoxClampsToTheFrameType) {
    WatchDialogEntries d(standardEntries());
    EXPECT_EQ(d.identifierLimit(0), 3);
    EXPECT_EQ(d.leaveIdentifier(0, "800"), "7FF");
    EXPECT_TRUE(d.entry(0).enabled);
    EXPECT_EQ(d.entry(0).identifier, 0x7FFu);
    EXPECT_EQ(d.leaveIdentifier(0, "007"), "7");
    EXPECT_EQ(d.leaveIdentifier(0, "0"), "0");  // identifier 0 is an identifier, not "none"
    EXPECT_TRUE(d.entry(0).enabled);

    EXPECT_EQ(d.leaveIdentifier(1, ""), "");
    EXPECT_FALSE(d.entry(1).enabled);
    EXPECT_EQ(d.entry(1).identifier, 0u);

    // Switching to extended keeps the clamped value and takes 8 digits from then on.
    EXPECT_EQ(d.changeFrameType(0, 1, "7FF"), "7FF");
    EXPECT_EQ(d.identifierLimit(0), 8);
    EXPECT_EQ(d.leaveIdentifier(0, "FFFFFFFF"), "1FFFFFFF");
    // And back: the long value shrinks to what a standard identifier can hold.
    EXPECT_EQ(d.changeFrameType(0, 0, "1FFFFFFF"), "7FF");
    EXPECT_EQ(d.identifierLimit(0), 3);
    EXPECT_EQ(d.entry(0).frameType, 0);
    // Changing the type of an empty entry keeps it empty.
    EXPECT_EQ(d.changeFrameType(1, 1, ""), "");
    EXPECT_FALSE(d.entry(1).enabled);
}

TEST(WatchDialogEntries, OpensWithTheLiveEntriesAndLeavesThemAlone) {
    std::array<WatchEntry, kWatchEntryCount> live{};
    live[2].enabled = true;
    live[2].frameType = 1;
    live[2].channel = 2;
    live[2].identifier = 0x1ABCDEF;
    live[3].identifier = 0x55;  // not enabled: its box stays empty
    WatchDialogEntries d(live);
    EXPECT_EQ(d.identifierText(2), "1ABCDEF");
    EXPECT_EQ(d.identifierLimit(2), 8);
    EXPECT_EQ(d.identifierText(3), "");
    d.leaveIdentifier(2, "1");
    EXPECT_EQ(live[2].identifier, 0x1ABCDEFu);  // a working copy
    EXPECT_EQ(d.entry(2).channel, 2);
    // Out-of-range entry numbers never reach past the table.
    EXPECT_EQ(d.identifierText(-1), d.identifierText(0));
    EXPECT_EQ(d.identifierText(16), d.identifierText(15));
}

}  // namespace
}  // namespace zv
