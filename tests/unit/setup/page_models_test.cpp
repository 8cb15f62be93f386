// What the LIN schedule, condition, signal pattern and further setup pages show and store.
#include <gtest/gtest.h>

#include <memory>

#include "base/bytes.h"
#include "setup/page_models.h"
#include "setup/setup_places.h"

namespace zv {
namespace {

constexpr BoardType kNb3 = 73762;     // 9 signal bits, input pattern
constexpr BoardType kNb2ap = 65570;   // LIN errors, 5 signal bits, page 0x4ee
constexpr BoardType kNb2a = 65554;    // no LIN errors
constexpr BoardType kNb2apSix = 65572;  // page 0x4ed

class PageModels : public ::testing::Test {
protected:
    void reset(BoardType board) {
        context.boardType = board;
        image = std::make_unique<SetupImage>();
        image->initDefaults(board);
    }
    void SetUp() override { reset(kNb3); }
    uint8_t* schedule() { return places::linSchedule(*image); }
    uint8_t* slot(int s) { return schedule() + places::kLinScheduleSlots + places::kLinScheduleSlotSize * size_t(s); }
    uint8_t* tail(int e) { return places::conditionEntry(*image, e) + places::kConditionTail; }
    uint8_t* misc() { return places::miscSettings(*image); }

    std::unique_ptr<SetupImage> image;
    PageContext context;
};

TEST_F(PageModels, ScheduleSlotFieldsReadAndShowAsThePageDoes) {
    LinScheduleView v = showLinSchedule(*image, context);
    EXPECT_EQ(v.slots[0].table, "");  // the default 0xFF shows empty
    v.slots[0].table = "A";
    v.slots[1].table = "G";
    v.slots[2].table = "5";
    v.slots[3].value = "9A";
    v.slots[4].value = "5";
    storeLinSchedule(*image, v, LinSchedulePane::Schedule, context);
    EXPECT_EQ(slot(0)[1], 10);
    EXPECT_EQ(slot(1)[1], 0);
    EXPECT_EQ(slot(3)[3], 1);
    EXPECT_EQ(slot(3)[4], 0x99);
    v = showLinSchedule(*image, context);
    EXPECT_EQ(v.slots[3].value, "99");
    EXPECT_EQ(v.slots[4].value, " 5");

    // Emptying: byte 1 becomes 16 (shown empty), the value field clears byte 3 only.
    v.slots[2].table = "";
    v.slots[3].value = "";
    storeLinSchedule(*image, v, LinSchedulePane::Schedule, context);
    EXPECT_EQ(slot(2)[1], 16);
    EXPECT_EQ(showLinSchedule(*image, context).slots[2].table, "");
    EXPECT_EQ(slot(3)[3], 0);
    EXPECT_EQ(slot(3)[4], 0x99);
}

TEST_F(PageModels, ScheduleRowsKeepTheirBytesUntilEdited) {
    slot(5)[0] = 9;     // a foreign slot number
    slot(5)[2] = 2;     // shown checked
    slot(5)[4] = 0xEE;  // above the value's range
    slot(5)[3] = 1;
    LinScheduleView v = showLinSchedule(*image, context);
    storeLinSchedule(*image, v, LinSchedulePane::Schedule, context);
    EXPECT_EQ(slot(5)[0], 9);
    EXPECT_EQ(slot(5)[2], 2);
    EXPECT_EQ(slot(5)[4], 0xEE);
    v.slots[5].byte = {0x42};  // an edit anywhere in the row renumbers the slot
    storeLinSchedule(*image, v, LinSchedulePane::Schedule, context);
    EXPECT_EQ(slot(5)[0], 5);
    EXPECT_EQ(slot(5)[5], 1);
    EXPECT_EQ(slot(5)[6], 0x42);
    EXPECT_EQ(slot(5)[2], 2);
}

TEST_F(PageModels, ScheduleNumbersClampAndOnlyTheVisible1241Counts) {
    LinScheduleView v = showLinSchedule(*image, context);
    v.value12 = "0";
    v.value6 = "-5";
    v.value8 = "99";
    v.value7 = "42";         // on the hidden schedule sub-page: stale
    v.simpleValue7 = "-5";
    storeLinSchedule(*image, v, LinSchedulePane::Simple, context);
    EXPECT_EQ(getU32(schedule(), 12), 3u);
    EXPECT_EQ(schedule()[6], 0);
    EXPECT_EQ(schedule()[8], 99);
    EXPECT_EQ(schedule()[7], 0);
    v = showLinSchedule(*image, context);
    v.value7 = "12";
    v.simpleValue7 = "77";
    storeLinSchedule(*image, v, LinSchedulePane::Schedule, context);
    EXPECT_EQ(schedule()[7], 12);
}

TEST_F(PageModels, SchedulePageOnlyInMode4WithLinOnTheTransmitChannel) {
    EXPECT_FALSE(linSchedulePageShown(*image));
    places::setupIdent(*image)[places::kOperationMode] = 4;
    EXPECT_FALSE(linSchedulePageShown(*image));  // both channels CAN by default
    places::protocolSelection(*image)[places::kChannelProtocol[1]] = 2;
    EXPECT_FALSE(linSchedulePageShown(*image));
    places::protocolSelection(*image)[places::kTransmitChannel] = 1;
    EXPECT_TRUE(linSchedulePageShown(*image));
}

TEST_F(PageModels, KindCodeMeansDifferentPatternsByBoard) {
    reset(kNb2a);
    ConditionEntryView v = showConditionEntry(*image, context);
    EXPECT_EQ(v.kind, 0);
    EXPECT_EQ(conditionPatternPage(v.kind, kNb2a), 0x476);
    reset(kNb2ap);
    EXPECT_EQ(conditionPatternPage(showConditionEntry(*image, context).kind, kNb2ap), 0x475);

    // Out of range: the 4-item list shows its last item, the longer ones nothing; an untouched
    // page keeps the stored code.
    EXPECT_EQ(conditionKindItem(7, kNb2a), 3);
    EXPECT_EQ(conditionKindItem(7, kNb2ap), -1);
    reset(kNb2a);
    context.entry = 2;
    uint8_t* kind = places::conditionEntry(*image, 2) + places::kConditionPattern + 4;
    *kind = 5;
    storeConditionEntry(*image, showConditionEntry(*image, context), context);
    EXPECT_EQ(*kind, 5);
}

TEST_F(PageModels, EntryActionFieldsClampAndBoardsWithoutASubPageKeepItsBytes) {
    context.entry = 1;
    ConditionEntryView v = showConditionEntry(*image, context);
    v.action2First = "-3";
    v.action6Value = "123456";
    v.input = {0x1, 0x1};
    storeConditionEntry(*image, v, context);
    EXPECT_EQ(getU16(tail(1), 8), 0);
    EXPECT_EQ(getU32(tail(1), 20), 99999u);
    EXPECT_EQ(places::conditionEntry(*image, 1)[places::kConditionPattern + 120], 1);
    EXPECT_EQ(getU16(tail(0), 8), 0);  // other entries untouched

    reset(kNb2a);
    uint8_t* flags = places::conditionEntry(*image, 0) + places::kConditionPattern + 7;
    v = showConditionEntry(*image, context);
    v.linErrors[0] = true;
    storeConditionEntry(*image, v, context);
    EXPECT_EQ(*flags, 0);
}

TEST_F(PageModels, ParametersClampAndStayApart) {
    ConditionParametersView v = showConditionParameters(*image, context);
    v.param12Unit[0] = 0;
    v.param12Value[1] = "0";
    storeConditionParameters(*image, v, context);
    const uint8_t* first = image->data() + places::kConditionParam12[0];
    const uint8_t* second = image->data() + places::kConditionParam12[1];
    EXPECT_EQ(getU32(first, 4), 1u);
    EXPECT_EQ(first[8], 0);
    EXPECT_EQ(getU32(second, 4), 1u);
    EXPECT_EQ(second[8], 1);
    v = showConditionParameters(*image, context);
    v.param12Value[1] = "250";
    storeConditionParameters(*image, v, context);
    EXPECT_EQ(getU32(first, 4), 1u);
    EXPECT_EQ(getU32(second, 4), 250u);
    EXPECT_EQ(showConditionOverview(*image, context).param12Value[1], "250");
}

TEST_F(PageModels, SignalPatternBitOrderPerBoard) {
    SignalPatternView v = showSignalPattern(*image, context);
    EXPECT_EQ(v.choice5, 9);
    EXPECT_EQ(v.choice6, 1);
    EXPECT_EQ(v.choice12, 1);
    EXPECT_EQ(v.signal, 0);
    EXPECT_EQ(v.pattern, (BitPattern{0x100, 0}));  // only the last of nine bits
    v.pattern = {0x1, 0x1};                          // the leftmost bit, set
    storeSignalPattern(*image, v, context);
    EXPECT_EQ(getU16(places::auxRecord32(*image), 8), 0x100);
    EXPECT_EQ(getU16(places::auxRecord32(*image), 10), 0x100);

    reset(kNb2ap);
    v = showSignalPattern(*image, context);
    EXPECT_EQ(v.pattern, (BitPattern{0x10, 0}));
    v.pattern = {0x1, 0x1};
    storeSignalPattern(*image, v, context);
    EXPECT_EQ(getU16(places::auxRecord32(*image), 8), 0x10);
    EXPECT_EQ(getU16(places::auxRecord32(*image), 10), 0x10);
    places::auxRecord32(*image)[13] = 10;  // 8..11 select item 8, which five signals lack
    EXPECT_EQ(showSignalPattern(*image, context).signal, -1);
}

TEST_F(PageModels, FurtherPagesClampTheirEdits) {
    SettingsView s = showSettings(*image, context);
    s.value14 = "0";
    storeSettings(*image, s, context);
    EXPECT_EQ(getU16(places::auxRecord16A(*image), 14), 1);
    s = showSettings(*image, context);
    s.value14 = "2000";
    storeSettings(*image, s, context);
    EXPECT_EQ(getU16(places::auxRecord16A(*image), 14), 1024);

    reset(kNb2apSix);
    BoardPageView b = showBoardPage(*image, context);
    b.value30 = "75";
    storeBoardPage(*image, b, context);
    EXPECT_EQ(misc()[30], 60);
    reset(kNb2ap);  // page 0x4ee has no edit 2249
    misc()[30] = 7;
    b = showBoardPage(*image, context);
    b.value30 = "75";
    storeBoardPage(*image, b, context);
    EXPECT_EQ(misc()[30], 7);
}

TEST_F(PageModels, OneCheckBoxForBytes28And29) {
    misc()[29] = 0;
    BoardPageView b = showBoardPage(*image, context);
    EXPECT_TRUE(b.check28);
    storeBoardPage(*image, b, context);
    EXPECT_EQ(misc()[29], 0);  // untouched: the two bytes stay different
    b.check28 = false;
    storeBoardPage(*image, b, context);
    b = showBoardPage(*image, context);
    b.check28 = true;
    storeBoardPage(*image, b, context);
    EXPECT_EQ(misc()[28], 1);
    EXPECT_EQ(misc()[29], 1);
}

TEST_F(PageModels, RecordingItemsAndTheModelLabel) {
    RecordingView r = showRecording(*image, context);
    EXPECT_EQ(r.size6, 1);   // 80
    EXPECT_EQ(r.value8, 0);  // 0xFFFF is not positive
    r.size6 = 2;
    r.value8 = 1;
    misc()[4] = 0;
    r.choice4 = -1;  // no selection stores 2
    storeRecording(*image, r, context);
    EXPECT_EQ(getU16(misc(), 6), 136);
    EXPECT_EQ(getU16(misc(), 8), 66);
    EXPECT_EQ(misc()[4], 2);
    EXPECT_EQ(recordingFirstSwitchLabel("AN-2100"), 12011);
    EXPECT_EQ(recordingFirstSwitchLabel("AN-2400"), 12013);
}

TEST(ClockEntryCheck, LeapDaysYearsAndMissingFields) {
    EXPECT_EQ(checkClockEntry({"2024", "2", "29", "12", "00", "00"}).failed, ClockField::None);
    EXPECT_EQ(checkClockEntry({"2023", "2", "29", "12", "00", "00"}).failed, ClockField::Day);
    EXPECT_EQ(checkClockEntry({"1979", "1", "1", "0", "0", "0"}).failed, ClockField::Year);
    EXPECT_EQ(checkClockEntry({"2100", "1", "1", "0", "0", "0"}).failed, ClockField::Year);
    EXPECT_EQ(checkClockEntry({"2024", "4", "31", "0", "0", "0"}).failed, ClockField::Day);
    EXPECT_EQ(checkClockEntry({"2024", "1", "1", "0", "", "0"}).failed, ClockField::Minute);
    EXPECT_EQ(checkClockEntry({"2024", "1", "1", "-1", "0", "0"}).failed, ClockField::Hour);
    const ClockCheck ok = checkClockEntry({"2024", "02", "29", "12", "34", "56"});
    EXPECT_EQ(ok.record, clockRecord({2024, 2, 0, 29, 12, 34, 56, 0}));
    EXPECT_EQ(clockDisplayTexts({2024, 2, 4, 9, 7, 5, 3, 0})[1], "02");
}

}  // namespace
}  // namespace zv
