#include "setup/page_models.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/bytes.h"
#include "setup/field_text.h"
#include "setup/setup_places.h"
#include "setup/setup_rules.h"

namespace zv {
namespace {

// ---- drop-downs ------------------------------------------------------------------------

// A stored value the list has no item for shows no selection.
int itemOf(uint32_t stored, int count) { return stored < static_cast<uint32_t>(count) ? static_cast<int>(stored) : -1; }
// Lists of 3 or 4 items show a value above their range as the last item.
int itemOrLast(uint32_t stored, int count) { return stored < static_cast<uint32_t>(count) ? static_cast<int>(stored) : count - 1; }

// The pieces of a store: each control is written only when the view differs from what show
// gave for the current setup, and only with a value the control can hold.
void storeItem(uint8_t& byte, int viewItem, int shownItem, int count) {
    if (viewItem != shownItem && viewItem >= 0 && viewItem < count) byte = static_cast<uint8_t>(viewItem);
}
void storeCheck(uint8_t& byte, bool view, bool shown) {
    if (view != shown) byte = view ? 1 : 0;
}
void storePattern(uint8_t* cell, const BitPattern& view, const BitPattern& shown) {
    if (view == shown) return;
    cell[0] = static_cast<uint8_t>(view.mask);
    cell[1] = static_cast<uint8_t>(view.value);
}
BitPattern patternAt(const uint8_t* cell) { return {cell[0], cell[1]}; }

std::string decimalText(uint32_t value) { return std::to_string(value); }

template <typename T>
T clampText(std::string_view text, long minimum, long maximum) {
    return static_cast<T>(std::clamp(decimalOrZero(text), minimum, maximum));
}

bool isCanOnlyFamily(BoardType b) { return b >= 65554 && b <= 65556; }
bool isThirdSeries(BoardType b) { return b == 73762 || b == 73763; }
bool hasFiveBitSignals(BoardType b) { return isCanOnlyFamily(b) || (b >= 65570 && b <= 65572); }

constexpr int kActionLabel = 10311;
constexpr int kUnitLabel = 10361;
constexpr int kAction6Items = 30;

}  // namespace

// ---- shared rules ----------------------------------------------------------------------

std::string formatSlotTable(uint8_t stored) {
    if (stored > 15) return "";
    return std::string(1, "0123456789ABCDEF"[stored]);
}

uint8_t readSlotTable(std::string_view text) {
    if (text.empty()) return 16;
    return static_cast<uint8_t>(std::clamp(hexadecimalOrZero(text), 0L, 15L));
}

std::string formatSlotValue(uint8_t hasValue, uint8_t value) {
    if (!hasValue) return "";
    char text[8];
    std::snprintf(text, sizeof text, "%2X", static_cast<unsigned>(value));
    return text;
}

void readSlotValue(std::string_view text, uint8_t& hasValue, uint8_t& value) {
    if (text.empty()) {
        hasValue = 0;
        return;
    }
    hasValue = 1;
    value = static_cast<uint8_t>(std::clamp(hexadecimalOrZero(text), 0L, 0x99L));
}

std::string formatSigned(uint32_t stored) { return std::to_string(static_cast<int32_t>(stored)); }

uint8_t clampScheduleByte(std::string_view text) { return clampText<uint8_t>(text, 0, 99); }
uint32_t clampScheduleTime(std::string_view text) { return clampText<uint32_t>(text, 3, 99999); }
uint32_t clampScheduleCount(std::string_view text) { return clampText<uint32_t>(text, 0, 99999); }
uint16_t clampActionCount(std::string_view text) { return clampText<uint16_t>(text, 0, 9999); }
uint32_t clampActionValue(std::string_view text) { return clampText<uint32_t>(text, 0, 99999); }
uint32_t clampConditionParameter(std::string_view text) { return clampText<uint32_t>(text, 1, 999999); }
uint16_t clampSettingsValue(std::string_view text) { return clampText<uint16_t>(text, 1, 1024); }
uint8_t clampBoardValue(std::string_view text) { return clampText<uint8_t>(text, 0, 60); }

// ---- LIN schedule ----------------------------------------------------------------------

bool linSchedulePageShown(const SetupImage& image) {
    const uint8_t* protocols = image.data() + places::kProtocolSelection;
    const int channel = protocols[places::kTransmitChannel] != 0 ? 1 : 0;
    return image.data()[places::kSetupIdent + places::kOperationMode] == 4 &&
           protocols[places::kChannelProtocol[channel]] == 2;
}

LinSchedulePane linSchedulePaneFor(int modeItem) {
    return modeItem == 1 ? LinSchedulePane::Simple : LinSchedulePane::Schedule;
}

LinScheduleView showLinSchedule(const SetupImage& image, const PageContext&) {
    const uint8_t* r = image.data() + places::kLinSchedule;
    LinScheduleView v;
    v.mode = itemOf(r[4], 2);
    v.value6 = decimalText(r[6]);
    v.value7 = decimalText(r[7]);
    v.value8 = decimalText(r[8]);
    v.value12 = formatSigned(getU32(r, 12));
    v.value16 = formatSigned(getU32(r, 16));
    v.choice20 = itemOf(r[20], 2);
    for (size_t s = 0; s < v.slots.size(); ++s) {
        const uint8_t* slot = r + places::kLinScheduleSlots + places::kLinScheduleSlotSize * s;
        LinScheduleSlotView& row = v.slots[s];
        row.table = formatSlotTable(slot[1]);
        row.enabled = slot[2] != 0;
        row.value = formatSlotValue(slot[3], slot[4]);
        row.byte.clear();
        if (slot[5]) row.byte.push_back(slot[6]);
    }
    v.simpleValue7 = v.value7;
    return v;
}

void storeLinSchedule(SetupImage& image, const LinScheduleView& view, LinSchedulePane onView,
                      const PageContext& context) {
    const LinScheduleView shown = showLinSchedule(image, context);
    uint8_t* r = image.data() + places::kLinSchedule;
    storeItem(r[4], view.mode, shown.mode, 2);
    if (onView == LinSchedulePane::Simple) {
        if (view.simpleValue7 != shown.simpleValue7) r[7] = clampScheduleByte(view.simpleValue7);
    } else if (view.value7 != shown.value7) {
        r[7] = clampScheduleByte(view.value7);
    }
    if (view.value6 != shown.value6) r[6] = clampScheduleByte(view.value6);
    if (view.value8 != shown.value8) r[8] = clampScheduleByte(view.value8);
    if (view.value12 != shown.value12) putU32(r, 12, clampScheduleTime(view.value12));
    if (view.value16 != shown.value16) putU32(r, 16, clampScheduleCount(view.value16));
    storeItem(r[20], view.choice20, shown.choice20, 2);
    for (size_t s = 0; s < view.slots.size(); ++s) {
        const LinScheduleSlotView& row = view.slots[s];
        const LinScheduleSlotView& was = shown.slots[s];
        if (row == was) continue;  // an untouched row keeps all its bytes, slot number included
        uint8_t* slot = r + places::kLinScheduleSlots + places::kLinScheduleSlotSize * s;
        slot[0] = static_cast<uint8_t>(s);
        if (row.table != was.table) slot[1] = readSlotTable(row.table);
        storeCheck(slot[2], row.enabled, was.enabled);
        if (row.value != was.value) readSlotValue(row.value, slot[3], slot[4]);
        if (row.byte != was.byte) {
            slot[5] = row.byte.empty() ? 0 : 1;
            if (!row.byte.empty()) slot[6] = row.byte.front();
        }
    }
}

// ---- condition entries -----------------------------------------------------------------

int conditionEntryForTreeItem(int itemId) {
    switch (itemId) {
        case 10010: return 1;
        case 10011: return 2;
        case 10012: return 3;
        default: return 0;
    }
}

std::vector<ConditionKindItem> conditionKinds(BoardType boardType) {
    std::vector<ConditionKindItem> kinds;
    if (conditionHasLinErrors(boardType)) kinds.push_back({10301, 0x475});
    kinds.insert(kinds.end(), {{10307, 0x476}, {10308, 0x5e5}, {10304, 0x478}, {10309, 0x47a}});
    if (conditionHasInputPattern(boardType)) kinds.push_back({10310, 0x477});
    return kinds;
}

bool conditionHasLinErrors(BoardType boardType) { return !isCanOnlyFamily(boardType); }
bool conditionHasInputPattern(BoardType boardType) { return isThirdSeries(boardType); }

int conditionKindItem(uint8_t storedKind, BoardType boardType) {
    const int count = static_cast<int>(conditionKinds(boardType).size());
    return count <= 4 ? itemOrLast(storedKind, count) : itemOf(storedKind, count);
}

int conditionPatternPage(int kindItem, BoardType boardType) {
    const std::vector<ConditionKindItem> kinds = conditionKinds(boardType);
    return kindItem >= 0 && kindItem < static_cast<int>(kinds.size()) ? kinds[static_cast<size_t>(kindItem)].pageId : 0;
}

int conditionActionItem(uint8_t storedAction) { return itemOf(storedAction, kConditionActionCount); }

int conditionActionPage(int actionItem) {
    return actionItem >= 1 && actionItem < kConditionActionCount ? 0x48a + actionItem - 1 : 0;
}

ConditionOverviewView showConditionOverview(const SetupImage& image, const PageContext& context) {
    ConditionOverviewView v;
    const std::vector<ConditionKindItem> kinds = conditionKinds(context.boardType);
    for (size_t e = 0; e < 4; ++e) {
        const uint8_t* entry = image.data() + places::kConditionEntry[e];
        v.enabled[e] = entry[places::kEntryFlag] != 0;
        const int kind = conditionKindItem(entry[places::kConditionPattern + 4], context.boardType);
        v.kindLabel[e] = kind >= 0 ? kinds[static_cast<size_t>(kind)].labelId : 0;
        const int action = conditionActionItem(entry[places::kConditionTail + 4]);
        v.actionLabel[e] = action >= 0 ? kActionLabel + action : 0;
    }
    for (size_t i = 0; i < 2; ++i) {
        const uint8_t* p12 = image.data() + places::kConditionParam12[i];
        v.param12Value[i] = formatSigned(getU32(p12, 4));
        v.param12UnitLabel[i] = kUnitLabel + itemOrLast(p12[8], 3);
        v.param8Value[i] = formatSigned(getU32(image.data() + places::kConditionParam8[i], 4));
    }
    return v;
}

void storeConditionOverview(SetupImage& image, const ConditionOverviewView& view, const PageContext& context) {
    const ConditionOverviewView shown = showConditionOverview(image, context);
    for (size_t e = 0; e < 4; ++e)
        storeCheck(image.data()[places::kConditionEntry[e] + places::kEntryFlag], view.enabled[e], shown.enabled[e]);
}

ConditionEntryView showConditionEntry(const SetupImage& image, const PageContext& context) {
    const uint8_t* entry = image.data() + places::kConditionEntry[context.entry & 3];
    const uint8_t* p = entry + places::kConditionPattern;
    const uint8_t* t = entry + places::kConditionTail;
    ConditionEntryView v;
    v.kind = conditionKindItem(p[4], context.boardType);
    v.action = conditionActionItem(t[4]);
    for (size_t i = 0; i < 5; ++i) v.linErrors[i] = (p[7] >> i & 1) != 0;
    v.frameChannel = itemOf(p[8], 2);
    for (size_t i = 0; i < 4; ++i) v.frameId[i] = patternAt(p + 12 + 4 * i);
    std::copy(p + 40, p + 72, v.data.begin());
    for (size_t i = 0; i < 3; ++i) v.extra[i] = patternAt(p + 72 + 4 * i);
    v.remoteChannel = itemOf(p[84], 2);
    for (size_t i = 0; i < 4; ++i) v.remoteId[i] = patternAt(p + 88 + 4 * i);
    v.fourWay = itemOrLast(p[116], 4);
    v.twoWay = itemOf(p[117], 2);
    v.input = patternAt(p + 120);
    v.action1Choice = itemOrLast(t[7], 4);
    v.action2First = decimalText(getU16(t, 8));
    v.action2Second = decimalText(getU16(t, 10));
    v.action3First = itemOf(t[12], 2);
    v.action3Second = itemOrLast(t[13], 3);
    v.action4First = itemOf(t[14], 2);
    v.action4Second = itemOf(t[15], 2);
    v.action5First = itemOrLast(t[16], 4);
    v.action5Second = itemOrLast(t[17], 3);
    // The 30-item list shows anything it has no item for as its first item.
    v.action6Selection = t[18] < kAction6Items ? t[18] : 0;
    v.action6Choice = itemOf(t[19], 2);
    v.action6Value = formatSigned(getU32(t, 20));
    return v;
}

void storeConditionEntry(SetupImage& image, const ConditionEntryView& view, const PageContext& context) {
    const ConditionEntryView shown = showConditionEntry(image, context);
    uint8_t* entry = image.data() + places::kConditionEntry[context.entry & 3];
    uint8_t* p = entry + places::kConditionPattern;
    uint8_t* t = entry + places::kConditionTail;
    const BoardType board = context.boardType;

    storeItem(p[4], view.kind, shown.kind, static_cast<int>(conditionKinds(board).size()));
    storeItem(t[4], view.action, shown.action, kConditionActionCount);
    if (conditionHasLinErrors(board))
        for (size_t i = 0; i < 5; ++i)
            if (view.linErrors[i] != shown.linErrors[i])
                p[7] = static_cast<uint8_t>(view.linErrors[i] ? p[7] | 1u << i : p[7] & ~(1u << i));
    storeItem(p[8], view.frameChannel, shown.frameChannel, 2);
    for (size_t i = 0; i < 4; ++i) storePattern(p + 12 + 4 * i, view.frameId[i], shown.frameId[i]);
    if (view.data != shown.data) std::copy(view.data.begin(), view.data.end(), p + 40);
    for (size_t i = 0; i < 3; ++i) storePattern(p + 72 + 4 * i, view.extra[i], shown.extra[i]);
    storeItem(p[84], view.remoteChannel, shown.remoteChannel, 2);
    for (size_t i = 0; i < 4; ++i) storePattern(p + 88 + 4 * i, view.remoteId[i], shown.remoteId[i]);
    storeItem(p[116], view.fourWay, shown.fourWay, 4);
    storeItem(p[117], view.twoWay, shown.twoWay, 2);
    if (conditionHasInputPattern(board)) storePattern(p + 120, view.input, shown.input);

    storeItem(t[7], view.action1Choice, shown.action1Choice, 4);
    if (view.action2First != shown.action2First) putU16(t, 8, clampActionCount(view.action2First));
    if (view.action2Second != shown.action2Second) putU16(t, 10, clampActionCount(view.action2Second));
    storeItem(t[12], view.action3First, shown.action3First, 2);
    storeItem(t[13], view.action3Second, shown.action3Second, 3);
    storeItem(t[14], view.action4First, shown.action4First, 2);
    storeItem(t[15], view.action4Second, shown.action4Second, 2);
    storeItem(t[16], view.action5First, shown.action5First, 4);
    storeItem(t[17], view.action5Second, shown.action5Second, 3);
    storeItem(t[18], view.action6Selection, shown.action6Selection, kAction6Items);
    storeItem(t[19], view.action6Choice, shown.action6Choice, 2);
    if (view.action6Value != shown.action6Value) putU32(t, 20, clampActionValue(view.action6Value));
}

ConditionParametersView showConditionParameters(const SetupImage& image, const PageContext&) {
    ConditionParametersView v;
    for (size_t i = 0; i < 2; ++i) {
        const uint8_t* p12 = image.data() + places::kConditionParam12[i];
        v.param12Value[i] = formatSigned(getU32(p12, 4));
        v.param12Unit[i] = itemOrLast(p12[8], 3);
        v.param8Value[i] = formatSigned(getU32(image.data() + places::kConditionParam8[i], 4));
    }
    return v;
}

void storeConditionParameters(SetupImage& image, const ConditionParametersView& view, const PageContext& context) {
    const ConditionParametersView shown = showConditionParameters(image, context);
    for (size_t i = 0; i < 2; ++i) {
        uint8_t* p12 = image.data() + places::kConditionParam12[i];
        if (view.param12Value[i] != shown.param12Value[i])
            putU32(p12, 4, clampConditionParameter(view.param12Value[i]));
        // An item above the list stores its last unit.
        if (view.param12Unit[i] != shown.param12Unit[i] && view.param12Unit[i] >= 0)
            p12[8] = static_cast<uint8_t>(std::min(view.param12Unit[i], 2));
        if (view.param8Value[i] != shown.param8Value[i])
            putU32(image.data() + places::kConditionParam8[i], 4, clampConditionParameter(view.param8Value[i]));
    }
}

// ---- signal pattern --------------------------------------------------------------------

int signalPatternFieldId(BoardType b) { return isThirdSeries(b) ? 2269 : hasFiveBitSignals(b) ? 2272 : 0; }
int signalPatternBits(BoardType b) { return isThirdSeries(b) ? 9 : hasFiveBitSignals(b) ? 5 : 0; }

std::vector<std::string_view> signalNames(BoardType b) {
    if (isThirdSeries(b)) return {"C1D", "C2D", "C1V", "C2V", "IN1", "IN2", "IN3", "IN4", "TRG"};
    if (hasFiveBitSignals(b)) return {"C1D", "C2D", "C1V", "C2V", "EXT"};
    return {};
}

BitPattern signalPatternFromStored(uint16_t mask, uint16_t value, int bits) {
    BitPattern p;
    for (int i = 0; i < bits; ++i) {
        const int stored = bits - 1 - i;
        p.mask |= static_cast<uint32_t>(mask >> stored & 1) << i;
        p.value |= static_cast<uint32_t>(value >> stored & 1) << i;
    }
    return p;
}

void signalPatternToStored(const BitPattern& pattern, int bits, uint16_t& mask, uint16_t& value) {
    mask = value = 0;
    for (int i = 0; i < bits; ++i) {
        const int stored = bits - 1 - i;
        mask = static_cast<uint16_t>(mask | (pattern.mask >> i & 1) << stored);
        value = static_cast<uint16_t>(value | (pattern.value >> i & 1) << stored);
    }
}

SignalPatternView showSignalPattern(const SetupImage& image, const PageContext& context) {
    const uint8_t* r = image.data() + places::kAuxRecord32;
    SignalPatternView v;
    v.on = r[4] == 1;
    v.choice5 = itemOf(r[5], 14);
    v.choice6 = itemOf(r[6], 3);
    v.choice12 = itemOf(r[12], 2);
    const uint8_t signal = r[13] >= 8 && r[13] <= 11 ? 8 : r[13];
    v.signal = itemOf(signal, static_cast<int>(signalNames(context.boardType).size()));
    const int bits = signalPatternBits(context.boardType);
    if (bits) v.pattern = signalPatternFromStored(getU16(r, 8), getU16(r, 10), bits);
    return v;
}

void storeSignalPattern(SetupImage& image, const SignalPatternView& view, const PageContext& context) {
    const SignalPatternView shown = showSignalPattern(image, context);
    uint8_t* r = image.data() + places::kAuxRecord32;
    storeCheck(r[4], view.on, shown.on);
    storeItem(r[5], view.choice5, shown.choice5, 14);
    storeItem(r[6], view.choice6, shown.choice6, 3);
    storeItem(r[13], view.signal, shown.signal, static_cast<int>(signalNames(context.boardType).size()));
    storeItem(r[12], view.choice12, shown.choice12, 2);
    const int bits = signalPatternBits(context.boardType);
    if (bits && view.pattern != shown.pattern) {
        uint16_t mask, value;
        signalPatternToStored(view.pattern, bits, mask, value);
        putU16(r, 8, mask);
        putU16(r, 10, value);
    }
}

// ---- settings --------------------------------------------------------------------------

SettingsView showSettings(const SetupImage& image, const PageContext&) {
    const uint8_t* r = image.data() + places::kAuxRecord16A;
    SettingsView v;
    v.choice4 = r[4] <= 2 ? r[4] : 0;  // other values show as the first item
    v.check5 = r[5] != 0;
    v.check6 = r[6] != 0;
    v.check7 = r[7] != 0;
    v.check8 = r[8] != 0;
    v.subPageOn = r[12] != 0;
    v.check11 = r[11] != 0;
    v.choice13 = itemOf(r[13], 5);
    v.value14 = decimalText(getU16(r, 14));
    return v;
}

void storeSettings(SetupImage& image, const SettingsView& view, const PageContext& context) {
    const SettingsView shown = showSettings(image, context);
    uint8_t* r = image.data() + places::kAuxRecord16A;
    storeItem(r[4], view.choice4, shown.choice4, 3);
    storeCheck(r[5], view.check5, shown.check5);
    storeCheck(r[6], view.check6, shown.check6);
    storeCheck(r[7], view.check7, shown.check7);
    storeCheck(r[8], view.check8, shown.check8);
    storeCheck(r[12], view.subPageOn, shown.subPageOn);
    storeCheck(r[11], view.check11, shown.check11);
    storeItem(r[13], view.choice13, shown.choice13, 5);
    if (view.value14 != shown.value14) putU16(r, 14, clampSettingsValue(view.value14));
}

// ---- recording -------------------------------------------------------------------------

int recordingFirstSwitchLabel(std::string_view remoteModel) { return isFirstSeriesModel(remoteModel) ? 12011 : 12013; }

namespace {
constexpr uint16_t kRecordingSizes[3] = {40, 80, 136};
}

RecordingView showRecording(const SetupImage& image, const PageContext&) {
    const uint8_t* r = image.data() + places::kMiscSettings;
    RecordingView v;
    v.choice4 = itemOf(r[4], 5);
    const uint16_t size = getU16(r, 6);
    v.size6 = size < 80 ? 0 : size < 136 ? 1 : 2;
    v.value8 = static_cast<int16_t>(getU16(r, 8)) > 0 ? 1 : 0;
    v.switch10 = itemOf(r[10], 2);
    v.check11 = r[11] != 0;
    return v;
}

void storeRecording(SetupImage& image, const RecordingView& view, const PageContext& context) {
    const RecordingView shown = showRecording(image, context);
    uint8_t* r = image.data() + places::kMiscSettings;
    if (view.choice4 != shown.choice4) r[4] = view.choice4 >= 0 && view.choice4 < 5 ? static_cast<uint8_t>(view.choice4) : 2;
    if (view.size6 != shown.size6 && view.size6 >= 0 && view.size6 < 3)
        putU16(r, 6, kRecordingSizes[view.size6]);
    if (view.value8 != shown.value8) putU16(r, 8, view.value8 == 1 ? 66 : 0xFFFF);
    storeItem(r[10], view.switch10, shown.switch10, 2);
    storeCheck(r[11], view.check11, shown.check11);
}

// ---- board-specific page ---------------------------------------------------------------

int boardPageTemplate(BoardType b) {
    if (b == 65554 || b == 65555 || b == 65570 || b == 65571) return 0x4ee;
    if (b == 65556 || b == 65572) return 0x4ed;
    return 0x5df;
}
bool boardPageHas2249(int templateId) { return templateId == 0x4ed || templateId == 0x5df; }
bool boardPageHas2251(int templateId) { return templateId == 0x5df; }

BoardPageView showBoardPage(const SetupImage& image, const PageContext&) {
    const uint8_t* r = image.data() + places::kMiscSettings;
    BoardPageView v;
    v.check28 = r[28] != 0;
    v.value30 = decimalText(r[30]);
    v.check31 = r[31] != 0;
    v.check37 = r[37] != 0;
    return v;
}

void storeBoardPage(SetupImage& image, const BoardPageView& view, const PageContext& context) {
    const BoardPageView shown = showBoardPage(image, context);
    uint8_t* r = image.data() + places::kMiscSettings;
    const int page = boardPageTemplate(context.boardType);
    if (view.check28 != shown.check28) r[28] = r[29] = view.check28 ? 1 : 0;
    if (boardPageHas2249(page) && view.value30 != shown.value30) r[30] = clampBoardValue(view.value30);
    storeCheck(r[31], view.check31, shown.check31);
    if (boardPageHas2251(page)) storeCheck(r[37], view.check37, shown.check37);
}

// ---- analyzer clock --------------------------------------------------------------------

std::array<uint8_t, 16> clockRecord(const ClockTime& t) {
    std::array<uint8_t, 16> record{};
    const uint16_t fields[8] = {t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, t.milliseconds};
    for (size_t i = 0; i < 8; ++i) putU16(record.data(), 2 * i, fields[i]);
    return record;
}

std::array<std::string, 6> clockDisplayTexts(const ClockTime& t) {
    const auto twoDigits = [](unsigned value) {
        char text[12];
        std::snprintf(text, sizeof text, "%02u", value);
        return std::string(text);
    };
    return {std::to_string(t.year), twoDigits(t.month), twoDigits(t.day),
            twoDigits(t.hour),      twoDigits(t.minute), twoDigits(t.second)};
}

namespace {
// A clock edit's number: digits only, nothing else (the empty text is no number).
std::optional<unsigned> clockNumber(std::string_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}
}  // namespace

ClockCheck checkClockEntry(const ClockEntry& entry) {
    ClockCheck check;
    const auto year = clockNumber(entry.year);
    if (!year || *year < 1980 || *year > 2099) return {ClockField::Year, {}};
    const auto month = clockNumber(entry.month);
    if (!month || *month < 1 || *month > 12) return {ClockField::Month, {}};
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const unsigned monthDays = *month == 2 && *year % 4 == 0 ? 29 : kDays[*month - 1];
    const auto day = clockNumber(entry.day);
    if (!day || *day < 1 || *day > monthDays) return {ClockField::Day, {}};
    const auto hour = clockNumber(entry.hour);
    if (!hour || *hour > 23) return {ClockField::Hour, {}};
    const auto minute = clockNumber(entry.minute);
    if (!minute || *minute > 59) return {ClockField::Minute, {}};
    const auto second = clockNumber(entry.second);
    if (!second || *second > 59) return {ClockField::Second, {}};
    ClockTime t;
    t.year = static_cast<uint16_t>(*year);
    t.month = static_cast<uint16_t>(*month);
    t.day = static_cast<uint16_t>(*day);
    t.hour = static_cast<uint16_t>(*hour);
    t.minute = static_cast<uint16_t>(*minute);
    t.second = static_cast<uint16_t>(*second);
    check.record = clockRecord(t);
    return check;
}

}  // namespace zv
