// Text form of setup records: one "record.field = value" line per field, in record order.
// Numbers are decimal, byte strings hexadecimal; stable, so two dumps diff cleanly.
#pragma once

#include <functional>
#include <string>

#include "base/board_type.h"
#include "setup/record_schema.h"
#include "setup/setup_areas.h"

namespace zv {

// One field of a record tree as the dump names it. Offsets count from the start of the area
// the walk began at; `field` is a FieldDef of `record` (or the record's own size field).
struct FieldSite {
    std::string path;                   // "SetupImage.ChannelSettings....baseFrequency"
    const setup::RecordDef* record;     // the record the field belongs to
    size_t recordOffset;                // where that record starts
    const setup::FieldDef* field;
    size_t offset;                      // where the field starts
    int index;                          // the repetition of a repeated field, else -1
    bool isRecordSize() const { return field->offset == 0 && field->name == "recordSize"; }
};

// Visits every field of DEF (placed at BASE) and of its nested records, in dump order.
void forEachField(const setup::RecordDef& def, const std::string& path, size_t base,
                  const std::function<void(const FieldSite&)>& visit);

// The dump's text of one field's value: decimal, or hexadecimal bytes for byte strings.
std::string fieldDumpText(const setup::FieldDef& field, const uint8_t* bytes, size_t offset);

void appendRecordDump(const setup::RecordDef& def, const uint8_t* record, const std::string& path,
                      std::string& out);

// The areas the board's files carry: SetupImage (or SetupImageCanOnly for EX-NB2A boards),
// CanTransmitTables and, for dual-protocol boards, LinTransmitTables.
std::string dumpSetup(const SetupWorkspace& setup, BoardType boardType);

}  // namespace zv
