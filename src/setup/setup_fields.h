// One field of the working setup by its path, the path exactly as `zvsetup dump` prints it
// ("SetupImage.ChannelSettings.CanChannelGroup.CanChannel1.baseFrequency",
// "CanTransmitTables.CanTransmitEntry[0].identifier11"). Fields that a setup page edits are
// shown and read as that page does (field_text.h); the others as the dump shows them.
//
// For EX-NB2A boards the paths are those of the CAN-only image ("SetupImageCanOnly...");
// they are read from and written to the working SetupImage through the CAN-only mapping, so a
// save writes what was set.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/board_type.h"
#include "setup/setup_areas.h"

namespace zv {

// The field's text as its page shows it: "1.25M", "9600", "7FF", "01 02 03"; fields without
// a page, decimal (or the dump's hexadecimal bytes). Nothing, with the reason in ERROR, when
// PATH names no field of the board's layout (or the board is not supported).
std::optional<std::string> getSetupField(const SetupWorkspace& setup, BoardType boardType,
                                         std::string_view path, std::string& error);

// Reads TEXT as the field's page reads it and stores the result with everything the page
// stores along with it (the bit timing clamps all four of its fields, the data bytes set their
// count). Fields without a page take a decimal or 0x number within their width (signed
// fields their signed range), byte strings their bytes as the dump prints them. False, with the
// reason in ERROR and SETUP unchanged, for an unknown path, a recordSize field, a text the
// field cannot take or a field the board's file layout does not keep.
bool setSetupField(SetupWorkspace& setup, BoardType boardType, std::string_view path,
                   std::string_view text, std::string& error);

// The fields whose bytes or shown texts differ, in dump order, as "PATH: A -> B" with the
// shown texts; when those are equal, the stored values follow: "PATH: A -> A (stored X -> Y)".
std::vector<std::string> diffSetupFields(const SetupWorkspace& a, const SetupWorkspace& b,
                                         BoardType boardType);

}  // namespace zv
