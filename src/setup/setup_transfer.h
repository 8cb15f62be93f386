// The exchange of the working setup with the analyzer, area by area: which areas a board's
// setup travels in and in what order, what each area's wrapper holds on the way out, and how
// the received wrappers become the working copies. The chains themselves run in the setup
// window, driven by the session's completion messages.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/board_type.h"
#include "setup/setup_areas.h"

namespace zv {

// The areas of BOARD's setup in transfer order: 0x2000, 0x6000 and, for dual-protocol
// boards, 0x6100. Empty for a board without a known layout.
std::span<const uint32_t> setupAreas(BoardType board);
// The area after AREA in the chain; 0 after the last one (or for an area not in the chain).
uint32_t nextSetupArea(BoardType board, uint32_t area);

// What a completion message of the session is about.
struct SetupCompletion {
    uint32_t area;
    bool received;  // a read completed (else a write)
};
std::optional<SetupCompletion> setupCompletionOf(uint32_t message);

// The bytes sent for AREA: its wrapper built from the working copies. For EX-NB2A boards the
// working CAN-only image is refreshed by the export mapping first. Empty for an area the
// board does not send.
std::vector<uint8_t> setupAreaWrapper(SetupWorkspace& working, BoardType board, uint32_t area);

// Takes a complete receive over into the working copies: the image of the board's layout
// (through the import mapping for EX-NB2A boards), the CAN tables and, for dual-protocol
// boards, the LIN tables.
void takeOverReceivedSetup(const SetupWorkspace& received, SetupWorkspace& working, BoardType board);

}  // namespace zv
