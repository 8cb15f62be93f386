#include "search/search_match.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "base/bytes.h"
#include "capture/capture_test_files.h"

namespace zv {
namespace {

struct Rec {
    uint8_t source = kSourceCan1;
    uint8_t lines = 0;
    uint16_t status = 0;
    uint32_t stamp = 0;
    int8_t byteCount = 8;
    uint8_t frameInfo = 0x88;  // extended, DLC 8
    uint32_t identifier = 0;
    std::initializer_list<uint8_t> data = {};
};

CaptureRecordBytes bytesOf(const Rec& r) {
    CaptureRecordBytes b{};
    b[0] = r.source;
    b[1] = r.lines;
    putU16(b.data(), 2, r.status);
    putU32(b.data(), 4, r.stamp);
    b[10] = static_cast<uint8_t>(r.byteCount);
    b[11] = r.frameInfo;
    putU32(b.data(), 12, r.identifier);
    size_t i = 16;
    for (uint8_t d : r.data) b[i++] = d;
    return b;
}

bool hit(const SearchCondition& c, const Rec& r, uint32_t tag = kTagMdcl) {
    return SearchMatcher(c, tag).matches(bytesOf(r).data());
}

SearchCondition ofKind(SearchKind kind) {
    SearchCondition c;
    c.kind = static_cast<uint8_t>(kind);
    return c;
}

SearchCondition frameCondition(IdPattern id, std::initializer_list<DataPatternCell> data) {
    SearchCondition c = ofKind(SearchKind::Frame);
    c.frameIdPattern = idPatternCells(id);
    size_t i = 0;
    for (const DataPatternCell& cell : data) c.dataPattern[i++] = cell;
    return c;
}
constexpr DataPatternCell kAny{0, DataPatternCell::kDataAny};
constexpr IdPattern kAnyId{};
uint32_t standard(uint32_t id) { return id << 18; }
uint32_t linId(uint8_t pid) { return 0x55660000u | uint32_t{pid} << 8; }  // SB 55, SF 66

TEST(SearchMatch, TriggerMarkFollowsTheRecordArea) {
    const SearchCondition c = ofKind(SearchKind::TriggerMark);
    EXPECT_TRUE(hit(c, {.status = 0x0080}, kTagMonc));
    EXPECT_FALSE(hit(c, {.lines = 0x80}, kTagMonc));
    EXPECT_TRUE(hit(c, {.lines = 0x80}, kTagMdcl));
    EXPECT_FALSE(hit(c, {.status = 0x0080}, kTagMdcl));
    EXPECT_TRUE(hit(c, {}, 0));  // neither MONC nor MDCL: every record
    // Markers carry only source and time: whatever else they hold, they have no trigger mark.
    EXPECT_FALSE(hit(c, {.source = kSourceOverrun, .lines = 0x80}, kTagMdcl));
    EXPECT_FALSE(hit(c, {.source = kSourceLostData, .status = 0x80}, kTagMonc));
}

TEST(SearchMatch, LinErrorBoxes) {
    SearchCondition c = ofKind(SearchKind::LinError);
    const Rec marked{.source = kSourceLin1, .status = 0x0004, .byteCount = 3, .frameInfo = 0};
    EXPECT_FALSE(hit(c, marked));  // no box: nothing
    c.linErrorFlags = 0x10;        // any error mark
    EXPECT_TRUE(hit(c, marked));
    EXPECT_TRUE(hit(c, {.source = kSourceLin2, .status = 0x0001}));
    EXPECT_FALSE(hit(c, {.source = kSourceLin1, .status = 0x0800}));  // code only, no mark
    EXPECT_FALSE(hit(c, {.source = kSourceCan1, .status = 0x07FF}));
    c.linErrorFlags = 0x02;  // code 2
    EXPECT_TRUE(hit(c, {.source = kSourceLin1, .status = 0x1000}));
    EXPECT_FALSE(hit(c, {.source = kSourceLin1, .status = 0x0800}));
    EXPECT_TRUE(hit(c, {.source = kSourceLin1, .status = 0xF800}));  // code 31 sets every code bit
    c.linErrorFlags = 0x0F;
    EXPECT_FALSE(hit(c, {.source = kSourceLin1, .status = 0x8000}));  // code 16 has no box
    // The channel box narrows to one LIN channel.
    c.linErrorChannel = 2;
    EXPECT_FALSE(hit(c, {.source = kSourceLin1, .status = 0x0800}));
    EXPECT_TRUE(hit(c, {.source = kSourceLin2, .status = 0x0800}));
    c.linErrorChannel = 1;
    EXPECT_TRUE(hit(c, {.source = kSourceLin1, .status = 0x0800}));
    EXPECT_FALSE(hit(c, {.source = kSourceLin2, .status = 0x0800}));
}

TEST(SearchMatch, FrameDataPattern) {
    const Rec can{.byteCount = 2, .frameInfo = 0x82, .identifier = 0x1234, .data = {0x11, 0x3C}};
    EXPECT_FALSE(hit(frameCondition(kAnyId, {}), can));  // the initial pattern ends at once
    EXPECT_TRUE(hit(frameCondition(kAnyId, {kAny}), can));
    EXPECT_FALSE(hit(frameCondition(kAnyId, {kAny}), {.byteCount = 0, .frameInfo = 0x80}));
    EXPECT_TRUE(hit(frameCondition(kAnyId, {{0xFF, 0x11}, {0xF0, 0x30}}), can));
    EXPECT_FALSE(hit(frameCondition(kAnyId, {{0xFF, 0x11}, {0xF0, 0x40}}), can));
    EXPECT_FALSE(hit(frameCondition(kAnyId, {kAny, kAny, kAny}), can));  // three bytes wanted, two stored
    // After an ending cell nothing counts, even cells that are filled in.
    EXPECT_TRUE(hit(frameCondition(kAnyId, {kAny, kAny, {0, 4}, {0xFF, 0x99}}), can));
    // Extra patterns by reference; one left at any byte is any byte.
    SearchCondition c = frameCondition(kAnyId, {{0, 1}, {0, 3}});
    c.extraPatterns[0] = {0x0F, 0x01};
    c.extraPatterns[2] = {0, 0x77};
    EXPECT_TRUE(hit(c, can));
    c.extraPatterns[0] = {0x0F, 0x02};
    EXPECT_FALSE(hit(c, can));
    // Remote frames and frames with both further kind bits are not data frames.
    EXPECT_FALSE(hit(frameCondition(kAnyId, {kAny}), {.byteCount = 2, .frameInfo = 0xC2}));
    EXPECT_FALSE(hit(frameCondition(kAnyId, {kAny}), {.byteCount = 2, .frameInfo = 0xB2}));
    EXPECT_TRUE(hit(frameCondition(kAnyId, {kAny}), {.byteCount = 2, .frameInfo = 0x92}));
}

TEST(SearchMatch, FrameChannelKeepsCanAndLinOfThatChannel) {
    SearchCondition c = frameCondition(kAnyId, {kAny});
    const Rec lin2{.source = kSourceLin2, .byteCount = 2, .frameInfo = 0, .identifier = linId(0x3C)};
    EXPECT_TRUE(hit(c, {.source = kSourceCan1}));
    EXPECT_FALSE(hit(c, {.source = kSourceCan2}));
    EXPECT_FALSE(hit(c, lin2));
    EXPECT_FALSE(hit(c, {.source = kSourceOverrun}));
    c.frameChannel = 1;
    EXPECT_TRUE(hit(c, {.source = kSourceCan2}));
    EXPECT_TRUE(hit(c, lin2));
}

TEST(SearchMatch, IdentifierRulesForStandardExtendedAndLin) {
    // Mask only in bits 18-28: standard frames by their 11-bit identifier, and extended frames
    // whose bits 18-28 are equal.
    const SearchCondition std123 = frameCondition({0x7FFu << 18, standard(0x123)}, {kAny});
    EXPECT_TRUE(hit(std123, {.frameInfo = 0x08, .identifier = standard(0x123)}));
    EXPECT_FALSE(hit(std123, {.frameInfo = 0x08, .identifier = standard(0x124)}));
    EXPECT_TRUE(hit(std123, {.frameInfo = 0x88, .identifier = standard(0x123) | 0x2ABCD}));
    // A mask bit in 0-17 can only be met by extended frames.
    const SearchCondition ext = frameCondition({kIdPatternBits, 0x18FEF100}, {kAny});
    EXPECT_TRUE(hit(ext, {.frameInfo = 0x88, .identifier = 0x18FEF100}));
    EXPECT_FALSE(hit(ext, {.frameInfo = 0x88, .identifier = 0x18FEF101}));
    const SearchCondition lowBit = frameCondition({1, 0}, {kAny});
    EXPECT_FALSE(hit(lowBit, {.frameInfo = 0x08, .identifier = 0}));
    EXPECT_TRUE(hit(lowBit, {.frameInfo = 0x88, .identifier = 0}));
    // Bits above 28 of the pattern are cut off.
    SearchCondition cut = frameCondition(kAnyId, {kAny});
    cut.frameIdPattern[0] = {0xE0, 0xE0};
    EXPECT_TRUE(hit(cut, {.frameInfo = 0x88, .identifier = 0}));

    // LIN: the protected identifier against pattern bits 21-28.
    const SearchCondition pid = frameCondition({0xFFu << 21, 0x3Cu << 21}, {kAny});
    EXPECT_TRUE(hit(pid, {.source = kSourceLin1, .byteCount = 2, .frameInfo = 0, .identifier = linId(0x3C)}));
    EXPECT_FALSE(hit(pid, {.source = kSourceLin1, .byteCount = 2, .frameInfo = 0, .identifier = linId(0x7C)}));
    // A standard pattern (bits 18-20 significant) never meets a LIN record.
    EXPECT_FALSE(hit(frameCondition({0x7FFu << 18, 0x3Cu << 21}, {kAny}),
                     {.source = kSourceLin1, .byteCount = 2, .frameInfo = 0, .identifier = linId(0x3C)}));
    // No data byte after the PID: only the empty pattern could match, and that matches nothing.
    EXPECT_FALSE(hit(pid, {.source = kSourceLin1, .byteCount = -1, .frameInfo = 0, .identifier = linId(0x3C)}));
    EXPECT_FALSE(hit(pid, {.source = kSourceLin1, .byteCount = -2, .frameInfo = 0, .identifier = linId(0x3C)}));
    EXPECT_FALSE(hit(pid, {.source = kSourceLin1, .byteCount = 3, .frameInfo = 2, .identifier = linId(0x3C)}));
    EXPECT_FALSE(hit(pid, {.source = kSourceLin1, .byteCount = 3, .frameInfo = 1, .identifier = linId(0x3C)}));
    // byteCount 3 with a checksum is two data bytes: a three-byte pattern does not match.
    const Rec twoData{.source = kSourceLin1, .byteCount = 3, .frameInfo = 0, .identifier = linId(0x3C), .data = {1, 2, 3}};
    EXPECT_TRUE(hit(frameCondition(kAnyId, {kAny, kAny}), twoData));
    EXPECT_FALSE(hit(frameCondition(kAnyId, {kAny, kAny, kAny}), twoData));
}

TEST(SearchMatch, RemoteFrames) {
    SearchCondition c = ofKind(SearchKind::RemoteFrame);
    c.remoteIdPattern = idPatternCells({0x7FFu << 18, standard(0x7FF)});
    EXPECT_TRUE(hit(c, {.byteCount = 0, .frameInfo = 0x40, .identifier = standard(0x7FF)}));
    EXPECT_FALSE(hit(c, {.byteCount = 0, .frameInfo = 0x00, .identifier = standard(0x7FF)}));
    EXPECT_FALSE(hit(c, {.byteCount = 0, .frameInfo = 0x70, .identifier = standard(0x7FF)}));
    EXPECT_FALSE(hit(c, {.source = kSourceCan2, .frameInfo = 0x40, .identifier = standard(0x7FF)}));
    EXPECT_FALSE(hit(c, {.source = kSourceLin1, .frameInfo = 0x40, .identifier = standard(0x7FF)}));
    c.remoteChannel = 1;
    EXPECT_TRUE(hit(c, {.source = kSourceCan2, .frameInfo = 0x40, .identifier = standard(0x7FF)}));
    // The identifier pattern is all the test: no data pattern is needed.
    c.remoteIdPattern = {};
    EXPECT_TRUE(hit(c, {.source = kSourceCan2, .frameInfo = 0xC0, .identifier = 0x1234567}));
}

uint32_t stamp(uint32_t minutes, uint32_t seconds, uint32_t hundredths, uint32_t fraction = 0) {
    return minutes << 24 | seconds << 16 | hundredths << 8 | fraction;
}

TEST(SearchMatch, TimeWindowFromTheDigits) {
    SearchCondition c = ofKind(SearchKind::TimeWindow);
    c.timeDigits = {0x12, 0x3F, 0xFF};  // "12", "3*", "**"
    EXPECT_TRUE(hit(c, {.stamp = stamp(12, 30, 0)}));
    EXPECT_TRUE(hit(c, {.stamp = stamp(12, 39, 99, 49)}));
    EXPECT_FALSE(hit(c, {.stamp = stamp(12, 29, 99, 49)}));
    EXPECT_FALSE(hit(c, {.stamp = stamp(12, 40, 0)}));
    EXPECT_TRUE(hit(c, {.source = kSourceLostData, .stamp = stamp(12, 35, 0)}));  // markers have a time
    c.timeDigits = {0xF1, 0x00, 0x00};  // "*1": the first any-digit opens everything after it
    EXPECT_TRUE(hit(c, {.stamp = stamp(59, 59, 99)}));
    EXPECT_TRUE(hit(c, {.stamp = 0xFFFFFFFF}));
    c.timeDigits = {0x05, 0x07, 0x42};  // one hundredth, any 0.2 ms part
    EXPECT_TRUE(hit(c, {.stamp = stamp(5, 7, 42, 49)}));
    EXPECT_FALSE(hit(c, {.stamp = stamp(5, 7, 43)}));
    const SearchMatcher minutes(SearchCondition{.kind = 4, .timeDigits = {0x1F, 0x00, 0x00}}, kTagMdcl);
    EXPECT_EQ(minutes.timeLow(), 10u << 16);
    EXPECT_EQ(minutes.timeHigh(), (10u << 16) + 0x9FFFF);
    const SearchMatcher hundredths(SearchCondition{.kind = 4, .timeDigits = {0x00, 0x01, 0x2F}}, kTagMdcl);
    EXPECT_EQ(hundredths.timeLow(), 0x100u + 20);
    EXPECT_EQ(hundredths.timeHigh(), 0x100u + 29);
}

TEST(SearchMatch, ExternalInputLevelOnlyInMdcl) {
    SearchCondition c = ofKind(SearchKind::ExternalInput);
    EXPECT_TRUE(hit(c, {.lines = 0x80}));
    EXPECT_FALSE(hit(c, {.lines = 0x10}));
    EXPECT_FALSE(hit(c, {}, kTagMonc));
    // A lost-data marker made on the PC is all zeros: it has no input level to match.
    EXPECT_FALSE(hit(c, {.source = kSourceLostData}));
    c.extLevel = 1;
    EXPECT_TRUE(hit(c, {.lines = 0x10}));
    EXPECT_FALSE(hit(c, {.lines = 0x10}, kTagMonc));
}

TEST(SearchTimeDigits, EditTextToDigitsAndBack) {
    EXPECT_EQ(timeDigitsFromText(""), 0xFF);
    EXPECT_EQ(timeDigitsFromText("12"), 0x12);
    EXPECT_EQ(timeDigitsFromText("3*"), 0x3F);
    EXPECT_EQ(timeDigitsFromText("**"), 0xFF);
    EXPECT_EQ(timeDigitsFromText("*5"), 0xF5);
    EXPECT_EQ(timeDigitsFromText("5"), 0x05);   // one digit is the units digit
    EXPECT_EQ(timeDigitsFromText("5 "), 0x05);
    EXPECT_EQ(timeDigitsFromText("*"), 0xFF);
    EXPECT_EQ(timeDigitsFromText(" 7"), 0x07);  // a blank counts as 0
    EXPECT_EQ(timeDigitsFromText(" "), 0x00);
    EXPECT_EQ(timeDigitsFromText(" a"), 0xFF);
    EXPECT_EQ(timeDigitsFromText("4a"), 0x4F);
    EXPECT_EQ(timeDigitsFromText("a4"), 0xF4);
    EXPECT_EQ(timeDigitsFromText("123"), 0x12);
    EXPECT_EQ(timeDigitsText(0x3F), "3*");
    EXPECT_EQ(timeDigitsText(0xFF), "**");
    EXPECT_EQ(timeDigitsText(0x07), "07");
}

TEST(SearchCondition, RecordImageAndInitialValues) {
    const SearchConditionBytes initial = encodeSearchCondition(SearchCondition{});
    EXPECT_EQ(getU32(initial.data(), 0), 136u);
    for (size_t i = 4; i < initial.size(); ++i) {
        const bool selector = i >= 40 && i < 72 && i % 4 == 1;
        EXPECT_EQ(initial[i], selector ? 0xFF : 0) << i;
    }
    SearchCondition c;
    c.kind = 2;
    c.linErrorFlags = 0x15;
    c.frameChannel = 1;
    c.frameIdPattern[3] = {0xF0, 0x30};
    c.dataPattern[7] = {0, 2};
    c.extraPatterns[2] = {0x81, 0x80};
    c.remoteChannel = 1;
    c.remoteIdPattern[0] = {0x1F, 0x01};
    c.timeDigits = {0x12, 0x3F, 0xFF};
    c.extLevel = 1;
    c.countMode = 1;
    c.direction = 1;
    c.linErrorChannel = 2;
    const SearchConditionBytes b = encodeSearchCondition(c);
    EXPECT_EQ(b[4], 2);
    EXPECT_EQ(b[7], 0x15);
    EXPECT_EQ(b[8], 1);
    EXPECT_EQ(b[24], 0xF0);
    EXPECT_EQ(b[25], 0x30);
    EXPECT_EQ(b[68], 0);
    EXPECT_EQ(b[69], 2);
    EXPECT_EQ(b[80], 0x81);
    EXPECT_EQ(b[84], 1);
    EXPECT_EQ(b[88], 0x1F);
    EXPECT_EQ(b[116], 0x12);
    EXPECT_EQ(b[118], 0xFF);
    EXPECT_EQ(b[119], 1);
    EXPECT_EQ(b[120], 1);
    EXPECT_EQ(b[121], 1);
    EXPECT_EQ(b[134], 2);
    EXPECT_EQ(decodeSearchCondition(b.data(), b.size()), c);
    SearchConditionBytes wrongSize = b;
    wrongSize[0] = 132;
    EXPECT_FALSE(decodeSearchCondition(wrongSize.data(), wrongSize.size()));
}

TEST(SearchCondition, DialogKeepsTheConditionUntilTheCloseBox) {
    SearchConditionStore store;
    store.beginDialog().kind = 4;
    EXPECT_TRUE(store.endDialog(SearchConditionStore::DialogEnd::Forward));
    EXPECT_EQ(store.condition().direction, 1);
    EXPECT_EQ(store.beginDialog().kind, 4);
    EXPECT_FALSE(store.endDialog(SearchConditionStore::DialogEnd::Cancel));
    EXPECT_EQ(store.beginDialog().kind, 4);
    EXPECT_TRUE(store.endDialog(SearchConditionStore::DialogEnd::Backward));
    EXPECT_EQ(store.condition().direction, 0);
    store.beginDialog().kind = 5;
    EXPECT_FALSE(store.endDialog(SearchConditionStore::DialogEnd::CloseBox));
    EXPECT_EQ(store.condition().kind, 5);  // the find commands still use it
    EXPECT_EQ(store.beginDialog(), SearchCondition{});
}

TEST(SearchScan, FindNextPreviousAndCount) {
    // Trigger marks in rows 1, 3 and 4 of six.
    std::vector<uint8_t> records;
    for (const uint8_t lines : std::initializer_list<uint8_t>{0x00, 0x80, 0x00, 0x80, 0x80, 0x00}) {
        const CaptureRecordBytes b = bytesOf({.lines = lines});
        records.insert(records.end(), b.begin(), b.end());
    }
    const testfiles::Bytes image = testfiles::dataFile(testfiles::dualDinf(0), "MDCL", records);
    CCapture capture;
    ASSERT_TRUE(capture.load(image.data(), image.size()));
    SearchCondition c;
    EXPECT_EQ(searchCapture(capture, c, -1, true).row, 1);
    EXPECT_EQ(searchCapture(capture, c, 1, true).row, 3);
    EXPECT_EQ(searchCapture(capture, c, 4, true).row, -1);
    EXPECT_EQ(searchCapture(capture, c, 5, true).row, -1);  // last row selected: nothing scanned
    EXPECT_EQ(searchCapture(capture, c, 3, false).row, 1);
    EXPECT_EQ(searchCapture(capture, c, 5, false).row, 4);
    EXPECT_EQ(searchCapture(capture, c, 1, false).row, -1);
    EXPECT_EQ(searchCapture(capture, c, -1, false).row, -1);  // no selection: nothing scanned
    c.countMode = 1;
    EXPECT_EQ(searchCapture(capture, c, -1, true).matches, 3u);
    EXPECT_EQ(searchCapture(capture, c, 3, true).matches, 1u);
    EXPECT_EQ(searchCapture(capture, c, 4, false).matches, 2u);
    EXPECT_EQ(searchCapture(capture, c, 4, false).row, -1);
    const SearchMatcher m(c, capture.recordTag());
    EXPECT_EQ(matchRow(capture, m, 3), 3);
    EXPECT_EQ(matchRow(capture, m, 2), -1);
    EXPECT_EQ(matchRow(capture, m, 6), -1);
}

}  // namespace
}  // namespace zv
