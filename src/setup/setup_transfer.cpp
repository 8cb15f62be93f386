#include "setup/setup_transfer.h"

#include <algorithm>

#include "remote/session_messages.h"

namespace zv {
namespace {

constexpr uint32_t kDualAreas[] = {kAreaSetupImage, kAreaCanTransmitTables, kAreaLinTransmitTables};
constexpr uint32_t kCanOnlyAreas[] = {kAreaSetupImage, kAreaCanTransmitTables};

}  // namespace

std::span<const uint32_t> setupAreas(BoardType board) {
    const BoardInfo* info = findBoard(board);
    if (!info) return {};
    if (info->layout == SetupLayout::CanOnly) return kCanOnlyAreas;
    return kDualAreas;
}

uint32_t nextSetupArea(BoardType board, uint32_t area) {
    const std::span<const uint32_t> areas = setupAreas(board);
    const auto at = std::find(areas.begin(), areas.end(), area);
    if (at == areas.end() || at + 1 == areas.end()) return 0;
    return *(at + 1);
}

std::optional<SetupCompletion> setupCompletionOf(uint32_t message) {
    switch (message) {
        case UM_SETUP_RECEIVED_2000: return SetupCompletion{kAreaSetupImage, true};
        case UM_SETUP_RECEIVED_6000: return SetupCompletion{kAreaCanTransmitTables, true};
        case UM_SETUP_RECEIVED_6100: return SetupCompletion{kAreaLinTransmitTables, true};
        case UM_SETUP_SENT_2000: return SetupCompletion{kAreaSetupImage, false};
        case UM_SETUP_SENT_6000: return SetupCompletion{kAreaCanTransmitTables, false};
        case UM_SETUP_SENT_6100: return SetupCompletion{kAreaLinTransmitTables, false};
        default: return std::nullopt;
    }
}

std::vector<uint8_t> setupAreaWrapper(SetupWorkspace& working, BoardType board, uint32_t area) {
    const std::span<const uint32_t> areas = setupAreas(board);
    if (std::find(areas.begin(), areas.end(), area) == areas.end()) return {};
    std::vector<uint8_t> bytes;
    switch (area) {
        case kAreaSetupImage:
            if (isCanOnlyBoard(board)) {
                exportToCanOnly(working.image, working.canOnlyImage);
                bytes.resize(SetupImageCanOnly::kSize + kWrapperHeaderSize);
                composeWrapper(kTagSetup, working.canOnlyImage, bytes.data());
            } else {
                bytes.resize(SetupImage::kSize + kWrapperHeaderSize);
                composeWrapper(kTagSetup, working.image, bytes.data());
            }
            break;
        case kAreaCanTransmitTables:
            bytes.resize(CanTransmitTables::kSize + kWrapperHeaderSize);
            composeWrapper(kTagCanTables, working.canTables, bytes.data());
            break;
        case kAreaLinTransmitTables:
            bytes.resize(LinTransmitTables::kSize + kWrapperHeaderSize);
            composeWrapper(kTagLinTables, working.linTables, bytes.data());
            break;
        default: break;
    }
    return bytes;
}

void takeOverReceivedSetup(const SetupWorkspace& received, SetupWorkspace& working, BoardType board) {
    if (!isSupportedBoard(board)) return;
    working.canTables = received.canTables;
    if (isCanOnlyBoard(board)) {
        working.canOnlyImage = received.canOnlyImage;
        working.image = received.image;  // defaults where the CAN-only layout has no record
        importFromCanOnly(working.canOnlyImage, working.image);
        return;
    }
    working.image = received.image;
    working.linTables = received.linTables;
}

}  // namespace zv
