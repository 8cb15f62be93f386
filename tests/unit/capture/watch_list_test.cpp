#include "capture/watch_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "capture/writer_test_support.h"

namespace zv {
namespace {

using test::canRecord;
using test::linRecord;
using test::Record;

WatchEntry entry(uint8_t channel, uint8_t frameType, uint32_t identifier, bool enabled = true) {
    return test::watchEntry(channel, frameType, identifier, enabled);
}

// Entry 0 as given, the others disabled and pointing nowhere a test record goes.
std::array<WatchEntry, kWatchEntryCount> onlyEntry(const WatchEntry& e) {
    std::array<WatchEntry, kWatchEntryCount> entries;
    entries.fill(entry(2, 1, 0x1FFFFFFF, false));
    entries[0] = e;
    return entries;
}

struct MatchCase {
    const char* what;
    Record record;
    WatchEntry entry;
    bool matches;
};

class MatchWatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchWatchTest, Rule) {
    const MatchCase& c = GetParam();
    WatchList list;
    list.setEntries(onlyEntry(c.entry));
    list.matchWatch(c.record.data(), c.record.size());
    const WatchTable t = list.snapshot();
    EXPECT_EQ(t.slots[0] == c.record, c.matches);
    EXPECT_EQ(t.entries[0].hasData, c.matches);
}

Record withRemote(Record r) {
    r[11] |= 0x40;
    return r;
}

Record marker(uint8_t source) {
    Record r{};  // identifier word 0: would look like identifier 0 everywhere
    r[0] = source;
    r[4] = 0x31;
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchWatchTest,
    ::testing::Values(
        MatchCase{"CAN standard", canRecord(1, 0x7FF, false), entry(1, 0, 0x7FF), true},
        MatchCase{"CAN standard, channel 2", canRecord(2, 0x100, false), entry(2, 0, 0x100), true},
        MatchCase{"CAN other channel", canRecord(1, 0x7FF, false), entry(2, 0, 0x7FF), false},
        MatchCase{"CAN standard vs extended entry", canRecord(1, 0x7FF, false), entry(1, 1, 0x7FF), false},
        MatchCase{"CAN standard vs raw word", canRecord(1, 0x7FF, false), entry(1, 0, 0x7FFu << 18), false},
        MatchCase{"CAN extended", canRecord(2, 0x1ABCDEF0, true), entry(2, 1, 0x1ABCDEF0), true},
        MatchCase{"CAN extended remote", withRemote(canRecord(1, 0x42, true)), entry(1, 1, 0x42), true},
        MatchCase{"CAN extended vs standard entry", canRecord(2, 0x1ABCDEF0, true), entry(2, 0, 0x1ABCDEF0 >> 18),
                  false},
        MatchCase{"LIN ID of the PID", linRecord(3, 0xBC, 3, 0), entry(1, 0, 0x3C), true},
        MatchCase{"LIN not the PID", linRecord(3, 0xBC, 3, 0), entry(1, 0, 0xBC), false},
        MatchCase{"LIN channel 2", linRecord(4, 0xBC, 3, 0), entry(2, 0, 0x3C), true},
        MatchCase{"LIN other channel", linRecord(3, 0xBC, 3, 0), entry(2, 0, 0x3C), false},
        MatchCase{"LIN vs extended entry", linRecord(3, 0xBC, 3, 0), entry(1, 1, 0x3C), false},
        MatchCase{"LIN PID without data", linRecord(3, 0x3C, -1, 0), entry(1, 0, 0x3C), true},
        MatchCase{"LIN no PID", linRecord(3, 0x3C, -2, 0), entry(1, 0, 0x3C), false},
        MatchCase{"LIN only SB", linRecord(3, 0x3C, -3, 0), entry(1, 0, 0x3C), false},
        MatchCase{"LIN bytes only", linRecord(3, 0x3C, 4, 2), entry(1, 0, 0x3C), false},
        MatchCase{"LIN data without checksum", linRecord(3, 0x3C, 4, 1), entry(1, 0, 0x3C), true},
        MatchCase{"LIN parity mark, own channel", linRecord(4, 0x3C, 2, 0, 0x0002), entry(2, 0, 0x3C), true},
        MatchCase{"LIN parity mark, other channel", linRecord(4, 0x3C, 2, 0, 0x0002), entry(1, 0, 0x3C), false},
        MatchCase{"overrun marker", marker(0x40), entry(1, 0, 0), false},
        MatchCase{"lost-data marker", marker(0x41), entry(1, 1, 0), false},
        MatchCase{"unknown source", marker(5), entry(1, 0, 0), false}));

TEST(MatchWatch, EveryMatchingEntryTakesTheLatestRecordButOnlyEnabledOnesShowIt) {
    std::array<WatchEntry, kWatchEntryCount> entries = onlyEntry(entry(1, 0, 0x123));
    entries[1] = entry(1, 0, 0x123, false);  // no identifier typed: its text was empty
    entries[2] = entry(1, 0, 0x124);
    entries[3] = entry(1, 0, 0x123);
    WatchList list;
    list.setEntries(entries);
    const Record first = canRecord(1, 0x123, false, 1), last = canRecord(1, 0x123, false, 2),
                 partial = canRecord(1, 0x123, false, 3);
    std::vector<uint8_t> block;
    for (const Record& r : {first, last, partial}) block.insert(block.end(), r.begin(), r.end());
    list.matchWatch(block.data(), block.size() - 1);  // the third record is one byte short

    WatchTable t = list.snapshot();
    EXPECT_EQ(t.slots[0], last);
    EXPECT_EQ(t.slots[1], last);
    EXPECT_FALSE(t.entries[1].hasData);
    EXPECT_NE(t.slots[2], last);
    EXPECT_EQ(t.slots[3], last);
    EXPECT_TRUE(t.entries[3].hasData);

    list.clearHasData();  // monitoring starts again: slots stay, nothing is shown
    t = list.snapshot();
    EXPECT_FALSE(t.entries[0].hasData);
    EXPECT_EQ(t.slots[0], last);
}

TEST(WatchList, NewEntriesKeepShowingOnlyWhatTheyStillWatch) {
    std::array<WatchEntry, kWatchEntryCount> entries = onlyEntry(entry(1, 0, 0x123));
    entries[1] = entry(1, 0, 0x123);
    entries[2] = entry(1, 0, 0x123);
    WatchList list;
    list.setEntries(entries);
    const Record r = canRecord(1, 0x123, false, 1);
    list.matchWatch(r.data(), r.size());

    entries[1] = entry(1, 0, 0x124);              // now watches another frame
    entries[2] = entry(1, 0, 0x123, false);       // its identifier was cleared
    list.setEntries(entries);
    const WatchTable t = list.snapshot();
    EXPECT_TRUE(t.entries[0].hasData);            // unchanged: goes on showing its record
    EXPECT_FALSE(t.entries[1].hasData);
    EXPECT_FALSE(t.entries[2].hasData);
    EXPECT_EQ(t.slots[1], r);                     // slots themselves are never cleared
}

TEST(WatchProfile, KeysMapToEntries) {
    MapProfileStore store;
    store.setString("WatchDataFactor", "No0ch", "Ch-2");
    store.setString("WatchDataFactor", "No0frametype", "Extended");
    store.setString("WatchDataFactor", "No0id", "1ABCDEF0");
    store.setString("WatchDataFactor", "No3ch", "ch-2");            // anything but "Ch-2" is channel 1
    store.setString("WatchDataFactor", "No3frametype", "extended");  // anything but "Extended" is standard
    store.setString("WatchDataFactor", "No3id", "7ff");
    store.setString("WatchDataFactor", "No15ch", "Ch-2");
    store.setString("WatchDataFactor", "No15id", "zz");              // entered, but no digits
    store.setString("Other", "No1id", "123");
    WatchList list;
    list.loadWatchTable(store);
    const auto e = list.entries();
    EXPECT_EQ(e[0], entry(2, 1, 0x1ABCDEF0));
    EXPECT_EQ(e[1], entry(1, 0, 0, false));  // missing keys: the defaults
    EXPECT_EQ(e[3], entry(1, 0, 0x7FF));
    EXPECT_EQ(e[15], entry(2, 0, 0));
}

TEST(WatchProfile, DialogResultIsStoredAsTypedAndReadsBackTheSame) {
    std::array<WatchEntryText, kWatchEntryCount> texts;
    texts[0] = {2, 1, "800"};
    texts[10] = {1, 0, "800"};  // the OK step does not clamp
    MapProfileStore store;
    WatchList list;
    ASSERT_TRUE(list.applyDialog(texts, store));
    EXPECT_EQ(store.size(), 48u);
    EXPECT_EQ(store.getString("WatchDataFactor", "No0ch", ""), "Ch-2");
    EXPECT_EQ(store.getString("WatchDataFactor", "No0frametype", ""), "Extended");
    EXPECT_EQ(store.getString("WatchDataFactor", "No10ch", ""), "Ch-1");
    EXPECT_EQ(store.getString("WatchDataFactor", "No10frametype", ""), "Standard");
    EXPECT_EQ(store.getString("WatchDataFactor", "No10id", "?"), "800");
    EXPECT_EQ(store.getString("WatchDataFactor", "No15id", "?"), "");
    EXPECT_EQ(list.entries()[10], entry(1, 0, 0x800));

    WatchList reread;
    reread.loadWatchTable(store);
    EXPECT_EQ(reread.entries(), list.entries());
}

TEST(WatchProfile, ADialogResultThatCannotBeStoredIsNotTaken) {
    // profile.ini that cannot be written: the entries must not go live as if saved.
    struct Unwritable final : ProfileStore {
        std::string getString(std::string_view, std::string_view, std::string_view d) const override {
            return std::string(d);
        }
        bool setString(std::string_view, std::string_view, std::string_view) override { return false; }
        bool contains(std::string_view, std::string_view) const override { return false; }
    } store;
    WatchList list;
    list.setEntries(onlyEntry(entry(1, 0, 0x123)));
    std::array<WatchEntryText, kWatchEntryCount> texts;
    texts[0] = {2, 1, "18DAF110"};
    EXPECT_FALSE(list.applyDialog(texts, store));
    EXPECT_EQ(list.entries()[0], entry(1, 0, 0x123));
}

TEST(WatchIdentifier, TextsAndClamping) {
    EXPECT_EQ(parseWatchIdentifier(""), 0u);
    EXPECT_EQ(parseWatchIdentifier("1abcdef0"), 0x1ABCDEF0u);
    EXPECT_EQ(parseWatchIdentifier("  0x1F"), 0x1Fu);
    EXPECT_EQ(parseWatchIdentifier("12G4"), 0x12u);
    EXPECT_EQ(parseWatchIdentifier("100000000"), 0xFFFFFFFFu);  // past 32 bits it stays at the top
    EXPECT_EQ(parseWatchIdentifier("00000000000000000001"), 1u);
    // 800 in a standard entry becomes 7FF; switched to extended, 7FF stays and 8 digits fit.
    const uint32_t standard = clampWatchIdentifier(parseWatchIdentifier("800"), 0);
    EXPECT_EQ(standard, 0x7FFu);
    EXPECT_EQ(clampWatchIdentifier(standard, 1), 0x7FFu);
    EXPECT_EQ(watchIdentifierLimit(1), 8);
    EXPECT_EQ(clampWatchIdentifier(0xFFFFFFFF, 1), 0x1FFFFFFFu);
    EXPECT_EQ(watchIdentifierText(entry(1, 1, 0x1ABCDEF0)), "1ABCDEF0");
    EXPECT_EQ(watchIdentifierText(entry(1, 0, 0x7FF, false)), "");
}

// Matching on the remote library's thread; monitor refresh, dialog and monitoring start on
// the UI thread.
TEST(WatchListThreads, SnapshotsNeverHoldTornSlots) {
    WatchList list;
    std::array<WatchEntry, kWatchEntryCount> entries = onlyEntry(entry(1, 0, 0x10));
    entries[1] = entries[0];
    list.setEntries(entries);
    MapProfileStore store;  // the same two entries, as the dialog stores them
    store.setString("WatchDataFactor", "No0id", "10");
    store.setString("WatchDataFactor", "No1id", "10");
    std::atomic<bool> done{false};
    std::thread remote([&] {
        std::vector<uint8_t> block(256 * 32);
        for (uint32_t round = 0; round < 400; ++round) {
            for (size_t i = 0; i < 256; ++i) {
                Record r = canRecord(1, 0x10, false, static_cast<uint8_t>(round + i));
                putU32(r.data(), 4, round);
                std::copy(r.begin(), r.end(), block.begin() + static_cast<std::ptrdiff_t>(i * 32));
            }
            list.matchWatch(block.data(), block.size());
        }
        done = true;
    });
    for (size_t reads = 0; !done || reads == 0; ++reads) {
        const WatchTable t = list.snapshot();
        for (size_t j = 17; j < 24; ++j) ASSERT_EQ(t.slots[0][j], t.slots[0][16]);
        EXPECT_EQ(t.slots[0], t.slots[1]);  // both take each record under one lock
        if (reads % 16 == 0) {
            list.clearHasData();
            list.loadWatchTable(store);
            list.setEntries(entries);
        }
    }
    remote.join();
    EXPECT_EQ(getU32(list.snapshot().slots[0].data(), 4), 399u);
}

}  // namespace
}  // namespace zv
