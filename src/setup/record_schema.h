// Declarative description of the measurement-setup records: size, fields with their defaults,
// nested records at fixed offsets, and which parse rule applies. One table drives
// initialisation, tolerant parsing and the field dump, so the three can never disagree on
// where a field lies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/board_type.h"

namespace zv::setup {

struct InitContext {
    BoardType boardType = 0;
};

// A field inside a record. width 1, 2 or 4 is a little-endian number; any other width is a
// byte string (dumped as hexadecimal). count > 1 repeats the field every `stride` bytes; its
// name then holds "[]", replaced by the index when printed.
struct FieldDef {
    std::string_view name;
    uint16_t offset;
    uint16_t width;
    uint32_t defaultValue = 0;
    uint16_t count = 1;
    uint16_t stride = 0;
    bool isSigned = false;
};

enum class ParseKind : uint8_t {
    Leaf,              // copy what both sides know, skip the rest
    Group,             // 4-byte header with childCount, then the known children in order
    Image,             // the whole setup image: its records back to back
    ConditionEntry,    // flag byte, then pattern and tail
    ConditionBlock,    // three child counts; surplus children of newer analyzers are skipped
    CanTransmitEntry,  // fixed head, then the variation record
    LinTransmitEntry,
    TransmitTables,    // 8-byte header, then up to 16 entries
};

struct RecordDef;

// A nested record at a fixed offset of its parent (count > 1: back to back).
struct ChildDef {
    std::string_view name;
    uint16_t offset;
    const RecordDef* def;
    uint16_t count = 1;
};

struct RecordDef {
    std::string_view name;
    uint32_t size;        // bytes the record occupies
    ParseKind kind;
    std::span<const FieldDef> fields;
    std::span<const ChildDef> children;
    // Defaults that a field table cannot express (index-dependent values, board type).
    void (*initHook)(uint8_t* record, const InitContext& context) = nullptr;
    // The value written into recordSize when it differs from size (transmit table sets
    // declare only their 8-byte header).
    uint32_t sizeField = 0;
};

// Records of the dual-protocol layout.
extern const RecordDef kSetupIdent, kEmptyRecord;
extern const RecordDef kCanChannel, kCanChannelGroup, kLinIdTable, kLinChannel, kLinChannelGroup;
extern const RecordDef kChannelSettings, kModeBlocks;
extern const RecordDef kConditionPattern, kConditionTail, kConditionEntry, kConditionParam12,
    kConditionParam8, kConditionBlock;
extern const RecordDef kProtocolSelection, kProtocolBlock;
extern const RecordDef kAuxRecord16A, kBoardFeatures, kAuxRecord16B, kAuxRecord136, kIdentText,
    kMiscSettings, kAuxRecord32, kLinSchedule;
extern const RecordDef kSetupImage;

// Records of the CAN-only layout.
extern const RecordDef kCanChannelBlock, kConditionPatternCanOnly, kConditionEntryCanOnly,
    kConditionBlockCanOnly, kAuxRecord124, kSetupImageCanOnly;

// Transmit tables.
extern const RecordDef kVariationRecord, kCanTransmitEntry, kCanTransmitTables, kLinTransmitEntry,
    kLinTransmitTables;

// Writes the defaults of `def` (and all its nested records) into `record` (def.size bytes).
void initRecord(const RecordDef& def, uint8_t* record, const InitContext& context);

// Parses input bytes into `record` by the rules of def.kind. Returns the input bytes consumed,
// 0 on failure. Image records are not initialised first (the caller has done that), every
// other record is.
size_t parseRecord(const RecordDef& def, uint8_t* record, const uint8_t* input, size_t available,
                   const InitContext& context);

}  // namespace zv::setup
