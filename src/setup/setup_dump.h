// Text form of setup records: one "record.field = value" line per field, in record order.
// Numbers are decimal, byte strings hexadecimal; stable, so two dumps diff cleanly.
#pragma once

#include <string>

#include "base/board_type.h"
#include "setup/record_schema.h"
#include "setup/setup_areas.h"

namespace zv {

void appendRecordDump(const setup::RecordDef& def, const uint8_t* record, const std::string& path,
                      std::string& out);

// The areas the board's files carry: SetupImage (or SetupImageCanOnly for EX-NB2A boards),
// CanTransmitTables and, for dual-protocol boards, LinTransmitTables.
std::string dumpSetup(const SetupWorkspace& setup, BoardType boardType);

}  // namespace zv
