// Setup files (".ST", ".SU"): a 16-byte magic, then the wrappers of the connected board's
// layout: "STUP" + "STBC" + "STBL" (15824 bytes) for dual-protocol boards, "STUP" with the
// CAN-only image + "STBC" (8128 bytes) for EX-NB2A boards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/board_type.h"
#include "base/file_io.h"
#include "base/result.h"
#include "setup/setup_areas.h"

namespace zv {

constexpr char kSetupFileMagic[16] = "ZEVRONA SETUP  ";  // 15 characters and the NUL
constexpr size_t kSetupFileMagicSize = 16;
constexpr size_t kSetupFileSizeDual = 15824;
constexpr size_t kSetupFileSizeCanOnly = 8128;

struct SetupFileLoadResult {
    bool ok = false;
    bool changed = false;   // false on failure and when no known board is connected
    size_t consumed = 0;    // magic + wrappers
    std::string reason;     // why a load failed, for tools and logs
};

// Loads a setup file image into the working setup by the rules of boardType. Everything is
// parsed into scratch copies first and committed only when the whole file parsed, so a bad
// file changes nothing. Unknown board types succeed without changing anything.
SetupFileLoadResult loadSetupFile(const uint8_t* file, size_t length, BoardType boardType,
                                  SetupWorkspace& working);

// The file image of the working setup for boardType; empty for unknown board types. For
// EX-NB2A boards the working CAN-only image is refreshed by the export mapping first.
std::vector<uint8_t> composeSetupFile(SetupWorkspace& working, BoardType boardType);

// File-system front ends. readSetupFile fails with the load reason; writeSetupFile reports a
// failed create or write (and removes the partial file) and returns kFalse when nothing was
// written because no known board is connected.
SetupFileLoadResult readSetupFile(const std::string& path, BoardType boardType, SetupWorkspace& working);
Result writeSetupFile(const std::string& path, BoardType boardType, SetupWorkspace& working);

}  // namespace zv
