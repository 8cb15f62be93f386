#include "capture/monitor_rows.h"

#include <gtest/gtest.h>

#include "capture/writer_test_support.h"

namespace zv {
namespace {

using test::canRecord;
using test::linRecord;
using test::Record;

WatchEntry watching(uint8_t channel, uint8_t frameType, uint32_t identifier, bool enabled = true) {
    return test::watchEntry(channel, frameType, identifier, enabled);
}

TEST(MonitorRows, OnlyEntriesWithDataAreWrittenFromTheirLatestRecord) {
    std::array<WatchEntry, kWatchEntryCount> entries{};
    for (auto& e : entries) e = watching(2, 1, 0x1FFFFFFF, false);
    entries[0] = watching(1, 0, 0x123);
    entries[3] = watching(1, 0, 0x123, false);  // identifier left empty
    entries[0xB] = watching(2, 1, 0x1ABCDEF0);
    entries[0xF] = watching(1, 0, 0x3C);
    WatchList list;
    list.setEntries(entries);

    Record older = canRecord(1, 0x123, false, 0x11);
    Record newer = canRecord(1, 0x123, false, 0x22);
    newer[10] = 2;  // DLC 2
    newer[11] = 0x02;
    const Record extended = canRecord(2, 0x1ABCDEF0, true, 0x33);
    const Record lin = linRecord(3, 0xBC, 3, 0);
    std::vector<uint8_t> block;
    for (const Record& r : {older, extended, newer, lin}) block.insert(block.end(), r.begin(), r.end());
    list.matchWatch(block.data(), block.size());

    const auto updates = monitorRowUpdates(list.snapshot(), dataFileSummaryDefaults());
    ASSERT_EQ(updates.size(), 3u);
    EXPECT_EQ(updates[0].row, 0);
    EXPECT_EQ(updates[1].row, 0xB);
    EXPECT_EQ(updates[2].row, 0xF);

    const auto& can = updates[0].cells;
    EXPECT_EQ(can[0], "");  // the row number is never rewritten
    EXPECT_EQ(can[3], "123");
    EXPECT_EQ(can[5], " 2");
    EXPECT_EQ(can[6], "22");  // the newer of the two records
    EXPECT_EQ(can[7], "22");
    EXPECT_EQ(can[8], "");
    EXPECT_EQ(updates[1].cells[3], "1ABCDEF0");
    EXPECT_EQ(updates[1].cells[2], "2");
    EXPECT_EQ(updates[2].cells[3], "3C [ BC ]");
    EXPECT_EQ(updates[2].cells[4], "FRAME");

    // Monitoring starts again: nothing to write until records match anew.
    list.clearHasData();
    EXPECT_TRUE(monitorRowUpdates(list.snapshot(), dataFileSummaryDefaults()).empty());
}

}  // namespace
}  // namespace zv
