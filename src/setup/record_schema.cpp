#include "setup/record_schema.h"

#include <cstring>

#include "base/bytes.h"

namespace zv::setup {
namespace {

// Group header shared by every group record: u16 reserved, u8 reserved, u8 childCount.
#define ZV_GROUP_HEADER(children)                  \
    {"reserved4", 4, 2}, {"reserved6", 6, 1}, {"childCount", 7, 1, children}

// ---- dual-protocol records -------------------------------------------------------------

constexpr FieldDef kSetupIdentFields[] = {
    {"operationMode", 4, 1, 255},
    {"layoutCode", 5, 1, 255},
    {"reserved6", 6, 2},
};

constexpr FieldDef kCanChannelFields[] = {
    {"bitRateCode", 4, 1, 5},
    {"canOption1", 5, 1, 0},
    {"canOption2", 6, 1, 0},
    {"reserved7", 7, 1},
    {"baseFrequency", 8, 4, 15000000},
    {"pts", 12, 1, 5},
    {"pbs1", 13, 1, 3},
    {"pbs2", 14, 1, 3},
    {"sjw", 15, 1, 1},
    {"canValuePairs[].first", 16, 1, 0, 4, 4},
    {"canValuePairs[].second", 17, 1, 0, 4, 4},
    {"canValuePairs[].reserved", 18, 2, 0, 4, 4},
};

constexpr FieldDef kGroup2Fields[] = {ZV_GROUP_HEADER(2)};
constexpr FieldDef kGroup1Fields[] = {ZV_GROUP_HEADER(1)};

constexpr FieldDef kLinIdTableFields[] = {
    {"LinIdEntry[].dataLength", 4, 1, 0, 64, 4},
    {"LinIdEntry[].checksumType", 5, 1, 0, 64, 4},
    {"LinIdEntry[].reserved", 6, 2, 0, 64, 4},
    {"reserved260", 260, 4},
};

void initLinIdTable(uint8_t* r, const InitContext&) {
    // Default data lengths follow the LIN identifier classes.
    for (unsigned id = 0; id < 64; ++id)
        r[4 + 4 * id] = static_cast<uint8_t>(id < 0x20 ? 2 : id < 0x30 ? 4 : 8);
}

constexpr FieldDef kLinChannelFields[] = {
    {"linBitRate", 4, 4, 96000},
    {"useIdTable", 8, 1, 0},
    {"reserved9", 9, 3},
    {"frameTimeoutMs", 12, 4, 6},
    {"checksumType", 16, 1, 0},
    {"reserved17", 17, 1},
    {"linValuePair.first", 18, 1},
    {"linValuePair.second", 19, 1},
    {"reserved20", 20, 4},
};

constexpr FieldDef kConditionPatternFields[] = {{"bytes", 4, 120}};
constexpr FieldDef kConditionPatternCanOnlyFields[] = {{"bytes", 4, 116}};

void initConditionPattern(uint8_t* r, const InitContext&) {
    // Eight 4-byte groups from offset 40 whose second byte is 0xFF.
    for (unsigned i = 0; i < 8; ++i) r[41 + 4 * i] = 0xFF;
}

// Named after the action whose sub-page edits them.
constexpr FieldDef kConditionTailFields[] = {
    {"action", 4, 1},
    {"reserved5", 5, 2},
    {"action1Choice", 7, 1},
    {"action2First", 8, 2},
    {"action2Second", 10, 2},
    {"action3First", 12, 1},
    {"action3Second", 13, 1},
    {"action4First", 14, 1},
    {"action4Second", 15, 1},
    {"action5First", 16, 1},
    {"action5Second", 17, 1, 1},
    {"action6Selection", 18, 1},
    {"action6Choice", 19, 1, 1},
    {"action6Value", 20, 4},
};

constexpr FieldDef kConditionEntryFields[] = {
    {"entryFlag", 4, 1},
    {"reserved5", 5, 2},
    {"reserved7", 7, 1},
};

constexpr FieldDef kConditionParam12Fields[] = {
    {"value", 4, 4, 1},
    {"flag", 8, 1, 1},
    {"reserved9", 9, 3},
};

constexpr FieldDef kConditionParam8Fields[] = {{"value", 4, 4, 1}};

constexpr FieldDef kConditionBlockFields[] = {
    {"reserved4", 4, 1},
    {"entryCount", 5, 1, 4},
    {"param12Count", 6, 1, 2},
    {"param8Count", 7, 1, 2},
};

constexpr FieldDef kProtocolSelectionFields[] = {
    {"channelProtocol1", 4, 1, 1},
    {"channelProtocol2", 5, 1, 1},
    {"reserved6", 6, 2},
    {"reserved8", 8, 4},
    {"transmitChannel", 12, 1, 0},
    {"reserved13", 13, 3},
};

// Named after the controls of the page that edits them (0x411, 0x412).
constexpr FieldDef kAuxRecord16AFields[] = {
    {"selection2212", 4, 1},
    {"check2213", 5, 1},
    {"check2214", 6, 1},
    {"check2215", 7, 1},
    {"check2216", 8, 1},
    {"reserved9", 9, 2},
    {"check2220", 11, 1},
    {"check2217", 12, 1},
    {"selection2219", 13, 1},
    {"value14", 14, 2, 3},
};

constexpr FieldDef kBoardFeaturesFields[] = {
    {"reserved4", 4, 2},
    {"analogInputs", 6, 1},
    {"reserved7", 7, 1},
};

void initBoardFeatures(uint8_t* r, const InitContext& context) {
    const BoardInfo* board = findBoard(context.boardType);
    r[6] = board ? board->analogInputs : 0;
}

constexpr FieldDef kAuxRecord16BFields[] = {{"bytes", 4, 12}};
constexpr FieldDef kAuxRecord136Fields[] = {{"bytes", 4, 132}};
constexpr FieldDef kAuxRecord124Fields[] = {{"bytes", 4, 120}};

constexpr FieldDef kIdentTextFields[] = {
    {"text", 4, 8},
    {"reserved12", 12, 4},
    {"value16", 16, 4, 1},
};

void initIdentText(uint8_t* r, const InitContext&) { std::memset(r + 4, ' ', 8); }

constexpr FieldDef kMiscSettingsFields[] = {
    {"selection2238", 4, 1, 2},
    {"byte5", 5, 1},
    {"size2236", 6, 2, 80},
    {"value2237", 8, 2, 0xFFFF},
    {"switch2239", 10, 1},
    {"check2240", 11, 1, 1},
    {"byte12", 12, 1, 4},
    {"byte13", 13, 1, 1},
    {"bytes14", 14, 6},
    {"timerStartEnabled", 20, 1},
    {"timerStartMinute", 21, 1},
    {"timerStartHour", 22, 1},
    {"timerStartDay", 23, 1, 1},
    {"timerStopEnabled", 24, 1},
    {"timerStopMinute", 25, 1},
    {"timerStopHour", 26, 1},
    {"timerStopDay", 27, 1, 1},
    {"boardByte28", 28, 1, 1},
    {"boardByte29", 29, 1, 1},
    {"boardByte30", 30, 1},
    {"boardByte31", 31, 1},
    {"value32", 32, 4, 1},
    {"timerPeriod", 36, 1},
    {"boardByte37", 37, 1},
    {"byte38", 38, 1},
    {"timerOption", 39, 1},
};

constexpr FieldDef kAuxRecord32Fields[] = {
    {"byte4", 4, 1},   {"byte5", 5, 1, 9},    {"byte6", 6, 1, 1}, {"byte7", 7, 1},
    {"value8", 8, 2, 1}, {"value10", 10, 2}, {"byte12", 12, 1, 1}, {"byte13", 13, 1},
    {"bytes14", 14, 18},
};

constexpr FieldDef kLinScheduleFields[] = {
    {"byte4", 4, 1},
    {"byte5", 5, 1},
    {"byte6", 6, 1},
    {"byte7", 7, 1},
    {"byte8", 8, 1},
    {"reserved9", 9, 3},
    {"value12", 12, 4, 20},
    {"value16", 16, 4, 1},
    {"byte20", 20, 1, 1},
    {"LinScheduleSlot[].slotNumber", 21, 1, 0, 16, 8},
    {"LinScheduleSlot[].transmitTable", 22, 1, 0xFF, 16, 8},
    {"LinScheduleSlot[].enabled", 23, 1, 0, 16, 8},
    {"LinScheduleSlot[].hasValue", 24, 1, 0, 16, 8},
    {"LinScheduleSlot[].value", 25, 1, 0, 16, 8},
    {"LinScheduleSlot[].hasByte", 26, 1, 0, 16, 8},
    {"LinScheduleSlot[].byte", 27, 1, 0, 16, 8},
    {"LinScheduleSlot[].reserved", 28, 1, 0, 16, 8},
    {"reserved149", 149, 3},
};

void initLinSchedule(uint8_t* r, const InitContext&) {
    for (unsigned slot = 0; slot < 16; ++slot) r[21 + 8 * slot] = static_cast<uint8_t>(slot);
}

constexpr ChildDef kCanChannelGroupChildren[] = {
    {"CanChannel1", 8, &kCanChannel},
    {"CanChannel2", 40, &kCanChannel},
};
constexpr ChildDef kLinChannelChildren[] = {{"LinIdTable", 24, &kLinIdTable}};
constexpr ChildDef kLinChannelGroupChildren[] = {
    {"LinChannel1", 8, &kLinChannel},
    {"LinChannel2", 296, &kLinChannel},
};
constexpr ChildDef kChannelSettingsChildren[] = {
    {"CanChannelGroup", 8, &kCanChannelGroup},
    {"LinChannelGroup", 80, &kLinChannelGroup},
};
constexpr ChildDef kModeBlocksChildren[] = {
    {"mode0", 8, &kEmptyRecord},
    {"mode4", 12, &kEmptyRecord},
};
constexpr ChildDef kConditionEntryChildren[] = {
    {"ConditionPattern", 8, &kConditionPattern},
    {"ConditionTail", 132, &kConditionTail},
};
// The ConditionBlock parse rule relies on this order: entries, 12-byte, 8-byte records.
constexpr ChildDef kConditionBlockChildren[] = {
    {"ConditionEntry", 8, &kConditionEntry, 4},
    {"ConditionParam12", 632, &kConditionParam12, 2},
    {"ConditionParam8", 656, &kConditionParam8, 2},
};
constexpr ChildDef kProtocolBlockChildren[] = {{"ProtocolSelection", 8, &kProtocolSelection}};

void initSetupImage(uint8_t* r, const InitContext&) {
    r[8] = 0;  // operationMode
    r[9] = 9;  // layoutCode: dual-protocol
}

constexpr ChildDef kSetupImageChildren[] = {
    {"SetupIdent", 4, &kSetupIdent},
    {"ChannelSettings", 12, &kChannelSettings},
    {"ModeBlocks", 676, &kModeBlocks},
    {"ConditionBlock", 692, &kConditionBlock},
    {"EmptyRecord1", 1364, &kEmptyRecord},
    {"ProtocolBlock", 1368, &kProtocolBlock},
    {"AuxRecord16A", 1392, &kAuxRecord16A},
    {"BoardFeatures", 1408, &kBoardFeatures},
    {"AuxRecord16B", 1416, &kAuxRecord16B},
    {"AuxRecord136", 1432, &kAuxRecord136},
    {"EmptyRecord2", 1568, &kEmptyRecord},
    {"IdentText", 1572, &kIdentText},
    {"MiscSettings", 1592, &kMiscSettings},
    {"AuxRecord32", 1632, &kAuxRecord32},
    {"LinSchedule", 1664, &kLinSchedule},
};

// ---- CAN-only records ------------------------------------------------------------------

constexpr ChildDef kCanChannelBlockChildren[] = {{"CanChannelGroup", 8, &kCanChannelGroup}};
constexpr ChildDef kConditionEntryCanOnlyChildren[] = {
    {"ConditionPattern", 8, &kConditionPatternCanOnly},
    {"ConditionTail", 128, &kConditionTail},
};
constexpr ChildDef kConditionBlockCanOnlyChildren[] = {
    {"ConditionEntry", 8, &kConditionEntryCanOnly, 4},
    {"ConditionParam12", 616, &kConditionParam12, 2},
    {"ConditionParam8", 640, &kConditionParam8, 2},
};

void initSetupImageCanOnly(uint8_t* r, const InitContext&) {
    r[8] = 0;  // operationMode
    r[9] = 7;  // layoutCode: CAN-only
}

constexpr ChildDef kSetupImageCanOnlyChildren[] = {
    {"SetupIdent", 4, &kSetupIdent},
    {"CanChannelBlock", 12, &kCanChannelBlock},
    {"ModeBlocks", 92, &kModeBlocks},
    {"ConditionBlock", 108, &kConditionBlockCanOnly},
    {"EmptyRecord1", 764, &kEmptyRecord},
    {"ProtocolBlock", 768, &kProtocolBlock},
    {"AuxRecord16A", 792, &kAuxRecord16A},
    {"EmptyRecord2", 808, &kEmptyRecord},
    {"AuxRecord16B", 812, &kAuxRecord16B},
    {"AuxRecord136", 828, &kAuxRecord124},
    {"EmptyRecord3", 952, &kEmptyRecord},
    {"IdentText", 956, &kIdentText},
    {"MiscSettings", 976, &kMiscSettings},
    {"AuxRecord32", 1016, &kAuxRecord32},
};

// ---- transmit tables -------------------------------------------------------------------

constexpr FieldDef kVariationRecordFields[] = {
    {"variationOn", 4, 1},
    {"width", 5, 1},
    {"mode", 6, 1},
    {"dataBytePosition", 7, 1},
    {"byte8", 8, 1, 4},
    {"reserved9", 9, 3},
    {"item[].first", 12, 4, 0, 33, 12},
    {"item[].second", 16, 4, 0, 33, 12, true},
    {"item[].third", 20, 4, 0, 33, 12},
};

constexpr FieldDef kCanTransmitEntryFields[] = {
    {"value4", 4, 4, 1},
    {"value8", 8, 4, 100},
    {"identifier29", 12, 4},
    {"identifier11", 16, 2},
    {"frameType", 18, 1},
    {"reserved19", 19, 1},
    {"dataLength", 20, 1},
    {"dataCount", 21, 1},
    {"data", 22, 8},
    {"reserved30", 30, 2},
};
constexpr ChildDef kCanTransmitEntryChildren[] = {{"VariationRecord", 32, &kVariationRecord}};

constexpr FieldDef kLinTransmitEntryFields[] = {
    {"reserved4", 4, 4},
    {"identifier", 8, 1},
    {"hasChecksum", 9, 1},
    {"checksum", 10, 1},
    {"entryKind", 11, 1},
    {"reserved12", 12, 3},
    {"dataCount", 15, 1},
    {"data", 16, 8},
};
constexpr ChildDef kLinTransmitEntryChildren[] = {{"VariationRecord", 24, &kVariationRecord}};

constexpr FieldDef kTableSetFields[] = {ZV_GROUP_HEADER(16)};
constexpr ChildDef kCanTransmitTablesChildren[] = {{"CanTransmitEntry", 8, &kCanTransmitEntry, 16}};
constexpr ChildDef kLinTransmitTablesChildren[] = {{"LinTransmitEntry", 8, &kLinTransmitEntry, 16}};

#undef ZV_GROUP_HEADER

}  // namespace

const RecordDef kEmptyRecord{"EmptyRecord", 4, ParseKind::Leaf, {}, {}};
const RecordDef kSetupIdent{"SetupIdent", 8, ParseKind::Leaf, kSetupIdentFields, {}};
const RecordDef kCanChannel{"CanChannel", 32, ParseKind::Leaf, kCanChannelFields, {}};
const RecordDef kCanChannelGroup{"CanChannelGroup", 72, ParseKind::Group, kGroup2Fields,
                                 kCanChannelGroupChildren};
const RecordDef kLinIdTable{"LinIdTable", 264, ParseKind::Leaf, kLinIdTableFields, {}, initLinIdTable};
// A LinChannel is parsed as one leaf: its LinIdTable travels inside it.
const RecordDef kLinChannel{"LinChannel", 288, ParseKind::Leaf, kLinChannelFields, kLinChannelChildren};
const RecordDef kLinChannelGroup{"LinChannelGroup", 584, ParseKind::Group, kGroup2Fields,
                                 kLinChannelGroupChildren};
const RecordDef kChannelSettings{"ChannelSettings", 664, ParseKind::Group, kGroup2Fields,
                                 kChannelSettingsChildren};
const RecordDef kModeBlocks{"ModeBlocks", 16, ParseKind::Group, kGroup2Fields, kModeBlocksChildren};
const RecordDef kConditionPattern{"ConditionPattern", 124, ParseKind::Leaf, kConditionPatternFields, {},
                                  initConditionPattern};
const RecordDef kConditionTail{"ConditionTail", 24, ParseKind::Leaf, kConditionTailFields, {}};
const RecordDef kConditionEntry{"ConditionEntry", 156, ParseKind::ConditionEntry, kConditionEntryFields,
                                kConditionEntryChildren};
const RecordDef kConditionParam12{"ConditionParam12", 12, ParseKind::Leaf, kConditionParam12Fields, {}};
const RecordDef kConditionParam8{"ConditionParam8", 8, ParseKind::Leaf, kConditionParam8Fields, {}};
const RecordDef kConditionBlock{"ConditionBlock", 672, ParseKind::ConditionBlock, kConditionBlockFields,
                                kConditionBlockChildren};
const RecordDef kProtocolSelection{"ProtocolSelection", 16, ParseKind::Leaf, kProtocolSelectionFields, {}};
const RecordDef kProtocolBlock{"ProtocolBlock", 24, ParseKind::Group, kGroup1Fields, kProtocolBlockChildren};
const RecordDef kAuxRecord16A{"AuxRecord16A", 16, ParseKind::Leaf, kAuxRecord16AFields, {}};
const RecordDef kBoardFeatures{"BoardFeatures", 8, ParseKind::Leaf, kBoardFeaturesFields, {},
                               initBoardFeatures};
const RecordDef kAuxRecord16B{"AuxRecord16B", 16, ParseKind::Leaf, kAuxRecord16BFields, {}};
const RecordDef kAuxRecord136{"AuxRecord136", 136, ParseKind::Leaf, kAuxRecord136Fields, {}};
const RecordDef kIdentText{"IdentText", 20, ParseKind::Leaf, kIdentTextFields, {}, initIdentText};
const RecordDef kMiscSettings{"MiscSettings", 40, ParseKind::Leaf, kMiscSettingsFields, {}};
const RecordDef kAuxRecord32{"AuxRecord32", 32, ParseKind::Leaf, kAuxRecord32Fields, {}};
const RecordDef kLinSchedule{"LinSchedule", 152, ParseKind::Leaf, kLinScheduleFields, {}, initLinSchedule};
const RecordDef kSetupImage{"SetupImage", 1816, ParseKind::Image, {}, kSetupImageChildren, initSetupImage};

const RecordDef kCanChannelBlock{"CanChannelBlock", 80, ParseKind::Group, kGroup1Fields,
                                 kCanChannelBlockChildren};
const RecordDef kConditionPatternCanOnly{"ConditionPattern", 120, ParseKind::Leaf,
                                         kConditionPatternCanOnlyFields, {}, initConditionPattern};
const RecordDef kConditionEntryCanOnly{"ConditionEntry", 152, ParseKind::ConditionEntry,
                                       kConditionEntryFields, kConditionEntryCanOnlyChildren};
const RecordDef kConditionBlockCanOnly{"ConditionBlock", 656, ParseKind::ConditionBlock,
                                       kConditionBlockFields, kConditionBlockCanOnlyChildren};
const RecordDef kAuxRecord124{"AuxRecord136", 124, ParseKind::Leaf, kAuxRecord124Fields, {}};
const RecordDef kSetupImageCanOnly{"SetupImageCanOnly", 1048, ParseKind::Image, {},
                                   kSetupImageCanOnlyChildren, initSetupImageCanOnly};

const RecordDef kVariationRecord{"VariationRecord", 408, ParseKind::Leaf, kVariationRecordFields, {}};
const RecordDef kCanTransmitEntry{"CanTransmitEntry", 440, ParseKind::CanTransmitEntry,
                                  kCanTransmitEntryFields, kCanTransmitEntryChildren};
const RecordDef kCanTransmitTables{"CanTransmitTables", 7048, ParseKind::TransmitTables, kTableSetFields,
                                   kCanTransmitTablesChildren, nullptr, 8};
const RecordDef kLinTransmitEntry{"LinTransmitEntry", 432, ParseKind::LinTransmitEntry,
                                  kLinTransmitEntryFields, kLinTransmitEntryChildren};
const RecordDef kLinTransmitTables{"LinTransmitTables", 6920, ParseKind::TransmitTables, kTableSetFields,
                                   kLinTransmitTablesChildren, nullptr, 8};

void initRecord(const RecordDef& def, uint8_t* record, const InitContext& context) {
    std::memset(record, 0, def.size);
    putU32(record, 0, def.sizeField ? def.sizeField : def.size);
    for (const FieldDef& f : def.fields) {
        if (f.defaultValue == 0) continue;
        for (unsigned i = 0; i < f.count; ++i) {
            const size_t at = f.offset + size_t{i} * f.stride;
            switch (f.width) {
                case 1: putU8(record, at, static_cast<uint8_t>(f.defaultValue)); break;
                case 2: putU16(record, at, static_cast<uint16_t>(f.defaultValue)); break;
                case 4: putU32(record, at, f.defaultValue); break;
                default: break;  // byte strings default to zero
            }
        }
    }
    for (const ChildDef& c : def.children)
        for (unsigned i = 0; i < c.count; ++i)
            initRecord(*c.def, record + c.offset + size_t{i} * c.def->size, context);
    if (def.initHook) def.initHook(record, context);
}

}  // namespace zv::setup
