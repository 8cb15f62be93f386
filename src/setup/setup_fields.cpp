#include "setup/setup_fields.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

#include "base/bytes.h"
#include "setup/field_text.h"
#include "setup/page_models.h"
#include "setup/setup_dump.h"
#include "setup/setup_rules.h"

namespace zv {
namespace {

using setup::FieldDef;
using setup::RecordDef;

// How a page reads and shows a field. The reading itself lives in field_text.cpp; this only
// says which of its rules belongs to which field.
enum class Rule : uint8_t {
    Number,           // no page: a decimal or 0x number within the field's width
    Choice,           // a combo box: the entry number, 0 .. entries - 1
    Protocol,         // the channel protocol combo: LIN only where the board has it
    TimerPeriod,
    BaseFrequency,
    LinBitRate,
    BitTiming,        // pts, pbs1, pbs2, sjw: any change clamps all four
    FrameTimeout,
    CanIdentifier,    // the 11- or 29-bit field, whichever the entry's frame type uses
    LinIdentifier,
    TransmitData,     // the eight-byte field control: bytes and their count
    OptionalByte,     // a one-byte field control: the byte and, in SIBLING, whether it is given
    SlotByte,         // as OptionalByte, but emptying the field keeps the byte
    DataLength,
    TransmitField4,
    TransmitField8,
    VariationFirst,   // items 1..3
    VariationSecond,  // items 0..3
    TimerDay,
    TimerHour,
    TimerMinute,
    ScheduleByte,       // LIN schedule edits 1241..1243
    ScheduleTime,       // edit 2087
    ScheduleCount,      // edit 2085
    SlotTable,          // slot byte 1: empty is 16
    SlotValue,          // slot bytes 3 and 4 (SIBLING: the flag)
    ActionCount,        // condition action 2 counts
    ActionValue,        // condition action 6 value
    ConditionParameter,
    SettingsValue,      // edit 2218
    BoardValue,         // edit 2249, where the board's page has it
    BoardPair,          // check box 2248: bytes 28 and 29 together
    BoardCheck37,       // check box 2251, where the board's page has it
};

struct PageRule {
    const RecordDef* record;
    std::string_view field;  // the FieldDef's name
    Rule rule;
    int entries = 0;         // Choice: how many entries the combo box lists
    std::string_view sibling = {};  // the field a rule writes along with this one
};

const PageRule kPageRules[] = {
    {&setup::kCanChannel, "bitRateCode", Rule::Choice, 9},
    {&setup::kCanChannel, "canOption1", Rule::Choice, 2},
    {&setup::kCanChannel, "canOption2", Rule::Choice, 2},
    {&setup::kCanChannel, "baseFrequency", Rule::BaseFrequency},
    {&setup::kCanChannel, "pts", Rule::BitTiming},
    {&setup::kCanChannel, "pbs1", Rule::BitTiming},
    {&setup::kCanChannel, "pbs2", Rule::BitTiming},
    {&setup::kCanChannel, "sjw", Rule::BitTiming},
    {&setup::kLinChannel, "linBitRate", Rule::LinBitRate},
    {&setup::kLinChannel, "useIdTable", Rule::Choice, 2},
    {&setup::kLinChannel, "frameTimeoutMs", Rule::FrameTimeout},
    {&setup::kLinChannel, "checksumType", Rule::Choice, 2},
    {&setup::kLinIdTable, "LinIdEntry[].dataLength", Rule::Choice, 9},
    {&setup::kLinIdTable, "LinIdEntry[].checksumType", Rule::Choice, 2},
    {&setup::kProtocolSelection, "channelProtocol1", Rule::Protocol},
    {&setup::kProtocolSelection, "channelProtocol2", Rule::Protocol},
    {&setup::kProtocolSelection, "transmitChannel", Rule::Choice, 2},
    {&setup::kMiscSettings, "timerPeriod", Rule::TimerPeriod},
    {&setup::kMiscSettings, "timerStartEnabled", Rule::Choice, 2},
    {&setup::kMiscSettings, "timerStopEnabled", Rule::Choice, 2},
    {&setup::kMiscSettings, "timerOption", Rule::Choice, 2},
    {&setup::kMiscSettings, "timerStartDay", Rule::TimerDay},
    {&setup::kMiscSettings, "timerStopDay", Rule::TimerDay},
    {&setup::kMiscSettings, "timerStartHour", Rule::TimerHour},
    {&setup::kMiscSettings, "timerStopHour", Rule::TimerHour},
    {&setup::kMiscSettings, "timerStartMinute", Rule::TimerMinute},
    {&setup::kMiscSettings, "timerStopMinute", Rule::TimerMinute},
    {&setup::kCanTransmitEntry, "value4", Rule::TransmitField4},
    {&setup::kCanTransmitEntry, "value8", Rule::TransmitField8},
    {&setup::kCanTransmitEntry, "identifier29", Rule::CanIdentifier},
    {&setup::kCanTransmitEntry, "identifier11", Rule::CanIdentifier},
    {&setup::kCanTransmitEntry, "frameType", Rule::Choice, 4},
    {&setup::kCanTransmitEntry, "dataLength", Rule::DataLength},
    {&setup::kCanTransmitEntry, "data", Rule::TransmitData},
    {&setup::kLinTransmitEntry, "identifier", Rule::LinIdentifier},
    {&setup::kLinTransmitEntry, "checksum", Rule::OptionalByte, 0, "hasChecksum"},
    {&setup::kLinTransmitEntry, "entryKind", Rule::Choice, 2},
    {&setup::kLinTransmitEntry, "data", Rule::TransmitData},
    {&setup::kVariationRecord, "variationOn", Rule::Choice, 2},
    {&setup::kVariationRecord, "width", Rule::Choice, 2},
    {&setup::kVariationRecord, "mode", Rule::Choice, 2},
    {&setup::kVariationRecord, "dataBytePosition", Rule::Choice, 8},
    {&setup::kVariationRecord, "item[].first", Rule::VariationFirst},
    {&setup::kVariationRecord, "item[].second", Rule::VariationSecond},
    {&setup::kLinSchedule, "byte4", Rule::Choice, 2},
    {&setup::kLinSchedule, "byte6", Rule::ScheduleByte},
    {&setup::kLinSchedule, "byte7", Rule::ScheduleByte},
    {&setup::kLinSchedule, "byte8", Rule::ScheduleByte},
    {&setup::kLinSchedule, "value12", Rule::ScheduleTime},
    {&setup::kLinSchedule, "value16", Rule::ScheduleCount},
    {&setup::kLinSchedule, "byte20", Rule::Choice, 2},
    {&setup::kLinSchedule, "LinScheduleSlot[].transmitTable", Rule::SlotTable},
    {&setup::kLinSchedule, "LinScheduleSlot[].enabled", Rule::Choice, 2},
    {&setup::kLinSchedule, "LinScheduleSlot[].value", Rule::SlotValue, 0, "LinScheduleSlot[].hasValue"},
    {&setup::kLinSchedule, "LinScheduleSlot[].byte", Rule::SlotByte, 0, "LinScheduleSlot[].hasByte"},
    {&setup::kConditionEntry, "entryFlag", Rule::Choice, 2},
    {&setup::kConditionEntryCanOnly, "entryFlag", Rule::Choice, 2},
    {&setup::kConditionTail, "action", Rule::Choice, 7},
    {&setup::kConditionTail, "action1Choice", Rule::Choice, 4},
    {&setup::kConditionTail, "action2First", Rule::ActionCount},
    {&setup::kConditionTail, "action2Second", Rule::ActionCount},
    {&setup::kConditionTail, "action3First", Rule::Choice, 2},
    {&setup::kConditionTail, "action3Second", Rule::Choice, 3},
    {&setup::kConditionTail, "action4First", Rule::Choice, 2},
    {&setup::kConditionTail, "action4Second", Rule::Choice, 2},
    {&setup::kConditionTail, "action5First", Rule::Choice, 4},
    {&setup::kConditionTail, "action5Second", Rule::Choice, 3},
    {&setup::kConditionTail, "action6Selection", Rule::Choice, 30},
    {&setup::kConditionTail, "action6Choice", Rule::Choice, 2},
    {&setup::kConditionTail, "action6Value", Rule::ActionValue},
    {&setup::kConditionParam12, "value", Rule::ConditionParameter},
    {&setup::kConditionParam12, "flag", Rule::Choice, 3},
    {&setup::kConditionParam8, "value", Rule::ConditionParameter},
    {&setup::kAuxRecord16A, "selection2212", Rule::Choice, 3},
    {&setup::kAuxRecord16A, "check2213", Rule::Choice, 2},
    {&setup::kAuxRecord16A, "check2214", Rule::Choice, 2},
    {&setup::kAuxRecord16A, "check2215", Rule::Choice, 2},
    {&setup::kAuxRecord16A, "check2216", Rule::Choice, 2},
    {&setup::kAuxRecord16A, "check2217", Rule::Choice, 2},
    {&setup::kAuxRecord16A, "check2220", Rule::Choice, 2},
    {&setup::kAuxRecord16A, "selection2219", Rule::Choice, 5},
    {&setup::kAuxRecord16A, "value14", Rule::SettingsValue},
    {&setup::kMiscSettings, "selection2238", Rule::Choice, 5},
    {&setup::kMiscSettings, "switch2239", Rule::Choice, 2},
    {&setup::kMiscSettings, "check2240", Rule::Choice, 2},
    {&setup::kMiscSettings, "boardByte28", Rule::BoardPair, 0, "boardByte29"},
    {&setup::kMiscSettings, "boardByte29", Rule::BoardPair, 0, "boardByte28"},
    {&setup::kMiscSettings, "boardByte30", Rule::BoardValue},
    {&setup::kMiscSettings, "boardByte31", Rule::Choice, 2},
    {&setup::kMiscSettings, "boardByte37", Rule::BoardCheck37},
    {&setup::kAuxRecord32, "byte4", Rule::Choice, 2},
    {&setup::kAuxRecord32, "byte5", Rule::Choice, 14},
    {&setup::kAuxRecord32, "byte6", Rule::Choice, 3},
    {&setup::kAuxRecord32, "byte12", Rule::Choice, 2},
};

// The page rule of a field, or nothing for a field no page edits. The variation page edits
// only item 0's second value and both values of items 1..3.
const PageRule* pageRuleOf(const FieldSite& site) {
    for (const PageRule& r : kPageRules) {
        if (r.record != site.record || r.field != site.field->name) continue;
        if (r.rule == Rule::VariationFirst && (site.index < 1 || site.index > 3)) return nullptr;
        if (r.rule == Rule::VariationSecond && (site.index < 0 || site.index > 3)) return nullptr;
        return &r;
    }
    return nullptr;
}

// A sibling field of the same record by name ("frameType" beside the identifier); of a
// repeated field, the sibling of the same index ("LinScheduleSlot[].hasValue").
size_t siblingOffset(const FieldSite& site, std::string_view name) {
    for (const FieldDef& f : site.record->fields)
        if (f.name == name)
            return site.recordOffset + f.offset + (f.count > 1 && site.index > 0 ? size_t(site.index) * f.stride : 0);
    return site.recordOffset;  // every caller names a field its record has
}

uint32_t readNumber(const FieldDef& f, const uint8_t* bytes, size_t at) {
    switch (f.width) {
        case 1: return getU8(bytes, at);
        case 2: return getU16(bytes, at);
        default: return getU32(bytes, at);
    }
}

void writeNumber(const FieldDef& f, uint8_t* bytes, size_t at, uint32_t value) {
    switch (f.width) {
        case 1: putU8(bytes, at, static_cast<uint8_t>(value)); break;
        case 2: putU16(bytes, at, static_cast<uint16_t>(value)); break;
        default: putU32(bytes, at, value); break;
    }
}

bool isNumberField(const FieldDef& f) { return f.width == 1 || f.width == 2 || f.width == 4; }

// A whole text that is one number: decimal or 0x hexadecimal, with an optional minus sign.
std::optional<int64_t> wholeNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || magnitude > (uint64_t{1} << 40))
        return std::nullopt;
    const auto value = static_cast<int64_t>(magnitude);
    return negative ? -value : value;
}

// The working setup's bytes in the board's file layout: the dual-protocol areas themselves,
// or for EX-NB2A boards the CAN-only image the next save would write.
struct LayoutView {
    SetupImageCanOnly canOnly;  // filled for EX-NB2A boards only
};

// The bytes of the area ROOT names: from the view for the CAN-only image, else the setup's.
template <typename Workspace, typename View>
auto areaBytes(Workspace& setup, View& view, std::string_view root) -> decltype(setup.image.data()) {
    if (root == "SetupImageCanOnly") {
        if constexpr (std::is_const_v<Workspace>) return std::as_const(view).canOnly.data();
        else return view.canOnly.data();
    }
    if (root == "CanTransmitTables") return setup.canTables.data();
    if (root == "LinTransmitTables") return setup.linTables.data();
    return setup.image.data();
}

struct Area {
    const RecordDef* def;
    std::string_view root;
};

std::vector<Area> areasOf(const BoardInfo& board) {
    if (board.layout == SetupLayout::CanOnly)
        return {{&setup::kSetupImageCanOnly, "SetupImageCanOnly"}, {&setup::kCanTransmitTables, "CanTransmitTables"}};
    return {{&setup::kSetupImage, "SetupImage"},
            {&setup::kCanTransmitTables, "CanTransmitTables"},
            {&setup::kLinTransmitTables, "LinTransmitTables"}};
}

LayoutView layoutOf(const SetupWorkspace& setup, const BoardInfo* board) {
    LayoutView view;
    if (board && board->layout == SetupLayout::CanOnly) {
        view.canOnly = setup.canOnlyImage;
        exportToCanOnly(setup.image, view.canOnly);
    }
    return view;
}

struct FoundField {
    FieldSite site;
    std::string_view root;
};

std::optional<FoundField> findField(const BoardInfo& board, std::string_view path) {
    const std::string_view root = path.substr(0, path.find('.'));
    for (const Area& area : areasOf(board)) {
        if (area.root != root) continue;
        std::optional<FoundField> found;
        forEachField(*area.def, std::string(area.root), 0, [&](const FieldSite& site) {
            if (!found && site.path == path) found = FoundField{site, area.root};
        });
        return found;
    }
    return std::nullopt;
}

const BoardInfo* supportedBoard(BoardType boardType, std::string& error) {
    const BoardInfo* board = findBoard(boardType);
    if (!board) error = "unsupported board type " + std::to_string(boardType);
    return board;
}

// ---- showing -----------------------------------------------------------------------------

std::string shownText(const FieldSite& site, const uint8_t* bytes, const BoardInfo& board) {
    const FieldDef& f = *site.field;
    const PageRule* rule = pageRuleOf(site);
    if (!rule) return fieldDumpText(f, bytes, site.offset);
    const uint32_t value = isNumberField(f) ? readNumber(f, bytes, site.offset) : 0;
    switch (rule->rule) {
        case Rule::BaseFrequency: return formatBaseFrequency(baseFrequencyOnOpen(value));
        case Rule::LinBitRate: {
            const uint32_t minimum = linBitRateMinimum(board.model);
            return formatLinBitRate(linBitRateOnRefresh(value, minimum), minimum);
        }
        case Rule::FrameTimeout: return std::to_string(frameTimeoutOnRefresh(value));
        // Each identifier field shown as the page shows it for the frame types that use it
        // (frame type 1 stands for the 29-bit ones, 0 for the 11-bit ones).
        case Rule::CanIdentifier: return formatCanIdentifier(value, f.width == 4 ? 1 : 0);
        case Rule::LinIdentifier: return formatLinIdentifier(static_cast<uint8_t>(value));
        case Rule::TransmitData: {
            const size_t count = std::min<size_t>(bytes[siblingOffset(site, "dataCount")], 8);
            return formatHexBytes(bytes + site.offset, count);
        }
        case Rule::OptionalByte:
        case Rule::SlotByte:
            return bytes[siblingOffset(site, rule->sibling)] ? formatHexBytes(bytes + site.offset, 1) : "";
        case Rule::SlotTable: return formatSlotTable(static_cast<uint8_t>(value));
        case Rule::SlotValue:
            return formatSlotValue(bytes[siblingOffset(site, rule->sibling)], static_cast<uint8_t>(value));
        default: return fieldDumpText(f, bytes, site.offset);
    }
}

// ---- reading -----------------------------------------------------------------------------

std::string rangeError(int64_t minimum, int64_t maximum) {
    return "takes a number from " + std::to_string(minimum) + " to " + std::to_string(maximum);
}

// A field without a page: a number within its width, or the dump's bytes.
std::string storeRaw(const FieldSite& site, uint8_t* bytes, std::string_view text) {
    const FieldDef& f = *site.field;
    if (!isNumberField(f)) {
        const auto read = readHexBytes(text, f.width);
        if (!read || read->size() != f.width)
            return "takes " + std::to_string(f.width) + " hexadecimal bytes like \"" +
                   fieldDumpText(f, bytes, site.offset) + "\"";
        std::copy(read->begin(), read->end(), bytes + site.offset);
        return {};
    }
    const int bits = 8 * f.width;
    const int64_t minimum = f.isSigned ? -(int64_t{1} << (bits - 1)) : 0;
    const int64_t maximum = f.isSigned ? (int64_t{1} << (bits - 1)) - 1 : (int64_t{1} << bits) - 1;
    const auto value = wholeNumber(text);
    if (!value || *value < minimum || *value > maximum) return rangeError(minimum, maximum);
    writeNumber(f, bytes, site.offset, static_cast<uint32_t>(*value));
    return {};
}

std::string storeBitTiming(const FieldSite& site, uint8_t* bytes, int64_t value) {
    static constexpr std::string_view kNames[4] = {"pts", "pbs1", "pbs2", "sjw"};
    int fields[4];
    for (int i = 0; i < 4; ++i) {
        fields[i] = bytes[siblingOffset(site, kNames[i])];
        if (kNames[i] == site.field->name) fields[i] = static_cast<int>(std::clamp<int64_t>(value, -1000, 1000));
    }
    const BitTiming t = clampBitTiming({fields[0], fields[1], fields[2], fields[3]});
    const int clamped[4] = {t.pts, t.pbs1, t.pbs2, t.sjw};
    for (int i = 0; i < 4; ++i) bytes[siblingOffset(site, kNames[i])] = static_cast<uint8_t>(clamped[i]);
    return {};
}

// Stores TEXT into the field as its page would; returns why it cannot, or nothing.
std::string storeText(const FieldSite& site, uint8_t* bytes, std::string_view text, const BoardInfo& board) {
    const FieldDef& f = *site.field;
    if (site.isRecordSize()) return "the size of a record is fixed";
    const PageRule* rule = pageRuleOf(site);
    if (!rule) return storeRaw(site, bytes, text);
    const size_t at = site.offset;
    const auto put = [&](int64_t value) { writeNumber(f, bytes, at, static_cast<uint32_t>(value)); };
    const auto entry = wholeNumber(text);  // combo boxes and the timing lists take an entry
    switch (rule->rule) {
        case Rule::Choice:
            if (!entry || *entry < 0 || *entry >= rule->entries) return rangeError(0, rule->entries - 1);
            put(*entry);
            return {};
        case Rule::Protocol:
            // Boards without LIN list only the first two entries.
            if (!entry || *entry < 0 || *entry > 2 || protocolEntry(static_cast<uint8_t>(*entry), board.linAvailable) != *entry)
                return board.linAvailable ? rangeError(0, 2) : rangeError(0, 1) + " (the board has no LIN)";
            put(*entry);
            return {};
        case Rule::TimerPeriod:
            if (!entry || *entry < 0 || *entry > 2) return rangeError(0, 2);
            put(timerPeriodFromEntry(static_cast<int>(*entry)));
            return {};
        case Rule::BitTiming:
            if (!entry) return "takes a number";
            return storeBitTiming(site, bytes, *entry);
        case Rule::BaseFrequency: put(parseBaseFrequency(text)); return {};
        case Rule::LinBitRate: put(parseLinBitRate(text, linBitRateMinimum(board.model))); return {};
        case Rule::FrameTimeout: put(clampFrameTimeout(decimalOrZero(text))); return {};
        case Rule::CanIdentifier: {
            if (!hexEditAccepts(text)) return "takes hexadecimal digits only";
            const int frameType = bytes[siblingOffset(site, "frameType")];
            if (usesExtendedIdentifier(frameType) != (f.width == 4))
                return "frame type " + std::to_string(frameType) + " keeps its identifier in " +
                       (usesExtendedIdentifier(frameType) ? "identifier29" : "identifier11");
            put(clampCanIdentifier(hexadecimalOrZero(text), frameType));
            return {};
        }
        case Rule::LinIdentifier:
            if (!hexEditAccepts(text)) return "takes hexadecimal digits only";
            put(clampLinIdentifier(hexadecimalOrZero(text)));
            return {};
        case Rule::TransmitData: {
            const auto read = readHexBytes(text, 8);
            if (!read) return "takes up to 8 hexadecimal bytes like \"01 02 FF\"";
            std::memset(bytes + at, 0, 8);  // the field control clears all eight first
            std::copy(read->begin(), read->end(), bytes + at);
            bytes[siblingOffset(site, "dataCount")] = static_cast<uint8_t>(read->size());
            return {};
        }
        case Rule::OptionalByte:
        case Rule::SlotByte: {
            const auto read = readHexBytes(text, 1);
            if (!read) return "takes one hexadecimal byte, or nothing";
            if (!read->empty()) bytes[at] = read->front();
            else if (rule->rule == Rule::OptionalByte) bytes[at] = 0;
            bytes[siblingOffset(site, rule->sibling)] = static_cast<uint8_t>(read->size());
            return {};
        }
        case Rule::SlotTable: put(readSlotTable(text)); return {};
        case Rule::SlotValue: readSlotValue(text, bytes[siblingOffset(site, rule->sibling)], bytes[at]); return {};
        case Rule::ScheduleByte: put(clampScheduleByte(text)); return {};
        case Rule::ScheduleTime: put(clampScheduleTime(text)); return {};
        case Rule::ScheduleCount: put(clampScheduleCount(text)); return {};
        case Rule::ActionCount: put(clampActionCount(text)); return {};
        case Rule::ActionValue: put(clampActionValue(text)); return {};
        case Rule::ConditionParameter: put(clampConditionParameter(text)); return {};
        case Rule::SettingsValue: put(clampSettingsValue(text)); return {};
        case Rule::BoardValue:
            if (!boardPageHas2249(boardPageTemplate(board.code))) break;
            put(clampBoardValue(text));
            return {};
        case Rule::BoardPair:
            if (!entry || *entry < 0 || *entry > 1) return rangeError(0, 1) + " (check box 2248 sets bytes 28 and 29)";
            put(*entry);
            bytes[siblingOffset(site, rule->sibling)] = static_cast<uint8_t>(*entry);
            return {};
        case Rule::BoardCheck37:
            if (!boardPageHas2251(boardPageTemplate(board.code))) break;
            if (!entry || *entry < 0 || *entry > 1) return rangeError(0, 1);
            put(*entry);
            return {};
        case Rule::DataLength: put(clampDataLength(decimalOrZero(text))); return {};
        case Rule::TransmitField4: put(clampTransmitField4(decimalOrZero(text))); return {};
        case Rule::TransmitField8: put(clampTransmitField8(decimalOrZero(text))); return {};
        case Rule::VariationFirst: put(clampVariationFirst(decimalOrZero(text))); return {};
        case Rule::VariationSecond: put(clampVariationSecond(decimalOrZero(text))); return {};
        case Rule::TimerDay: put(clampTimerDay(decimalOrZero(text))); return {};
        case Rule::TimerHour: put(clampTimerHour(decimalOrZero(text))); return {};
        case Rule::TimerMinute: put(clampTimerMinute(decimalOrZero(text))); return {};
        case Rule::Number: break;
    }
    return storeRaw(site, bytes, text);
}

}  // namespace

std::optional<std::string> getSetupField(const SetupWorkspace& setup, BoardType boardType, std::string_view path,
                                         std::string& error) {
    const BoardInfo* board = supportedBoard(boardType, error);
    if (!board) return std::nullopt;
    const std::optional<FoundField> found = findField(*board, path);
    if (!found) {
        error = "no field " + std::string(path) + " for board " + std::string(board->text);
        return std::nullopt;
    }
    LayoutView view = layoutOf(setup, board);
    return shownText(found->site, areaBytes(setup, view, found->root), *board);
}

bool setSetupField(SetupWorkspace& setup, BoardType boardType, std::string_view path, std::string_view text,
                   std::string& error) {
    const BoardInfo* board = supportedBoard(boardType, error);
    if (!board) return false;
    const std::optional<FoundField> found = findField(*board, path);
    if (!found) {
        error = "no field " + std::string(path) + " for board " + std::string(board->text);
        return false;
    }
    auto scratch = std::make_unique<SetupWorkspace>(setup);
    auto view = std::make_unique<LayoutView>(layoutOf(setup, board));
    const std::string why = storeText(found->site, areaBytes(*scratch, *view, found->root), text, *board);
    if (!why.empty()) {
        error = std::string(path) + ": " + why;
        return false;
    }
    if (found->root == "SetupImageCanOnly") {
        // Back into the working image, and only if the next save writes the field as set:
        // the mapping leaves out what the CAN-only layout fixes.
        importFromCanOnly(view->canOnly, scratch->image);
        SetupImageCanOnly saved = scratch->canOnlyImage;
        exportToCanOnly(scratch->image, saved);
        if (!(saved == view->canOnly)) {
            error = std::string(path) + ": fixed by the CAN-only layout of " + std::string(board->text);
            return false;
        }
        scratch->canOnlyImage = saved;
    }
    setup = *scratch;
    return true;
}

std::vector<std::string> diffSetupFields(const SetupWorkspace& a, const SetupWorkspace& b, BoardType boardType) {
    std::vector<std::string> lines;
    const BoardInfo* board = findBoard(boardType);
    if (!board) return lines;
    auto viewA = std::make_unique<LayoutView>(layoutOf(a, board));
    auto viewB = std::make_unique<LayoutView>(layoutOf(b, board));
    for (const Area& area : areasOf(*board)) {
        const uint8_t* bytesA = areaBytes(a, *viewA, area.root);
        const uint8_t* bytesB = areaBytes(b, *viewB, area.root);
        forEachField(*area.def, std::string(area.root), 0, [&](const FieldSite& site) {
            const std::string textA = shownText(site, bytesA, *board);
            const std::string textB = shownText(site, bytesB, *board);
            const bool bytesDiffer = std::memcmp(bytesA + site.offset, bytesB + site.offset, site.field->width) != 0;
            if (!bytesDiffer && textA == textB) return;
            std::string line = site.path + ": " + textA + " -> " + textB;
            if (textA == textB)
                line += " (stored " + fieldDumpText(*site.field, bytesA, site.offset) + " -> " +
                        fieldDumpText(*site.field, bytesB, site.offset) + ")";
            lines.push_back(std::move(line));
        });
    }
    return lines;
}

}  // namespace zv
