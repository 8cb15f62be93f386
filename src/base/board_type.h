// The analyzer and option-board codes the program supports, and what each one implies.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zv {

using BoardType = uint32_t;

enum class SetupLayout : uint8_t {
    CanOnly,       // SetupImageCanOnly, no LIN transmit tables (EX-NB2A)
    DualProtocol,  // SetupImage + LIN transmit tables (EX-NB2AP, EX-NB3BP)
};

struct BoardInfo {
    BoardType code;
    std::string_view text;   // "AN-2400 + EX-NB3BP": setup window and status bar
    std::string_view model;  // [remote] model name
    uint32_t exBoardCode;    // 7 EX-NB2A, 8 EX-NB2AP, 20 EX-NB3BP
    SetupLayout layout;
    bool linAvailable;
    uint8_t analogInputs;
};

// The supported board, or nothing for any other code (0 included).
const BoardInfo* findBoard(BoardType code);
inline bool isSupportedBoard(BoardType code) { return findBoard(code) != nullptr; }
inline bool isCanOnlyBoard(BoardType code) {
    const BoardInfo* b = findBoard(code);
    return b && b->layout == SetupLayout::CanOnly;
}
inline bool isDualProtocolBoard(BoardType code) {
    const BoardInfo* b = findBoard(code);
    return b && b->layout == SetupLayout::DualProtocol;
}

// All supported boards in table order.
const BoardInfo* boardsBegin();
const BoardInfo* boardsEnd();

// Parses "73763", "0x12023" or "0X12023"; nothing for anything else.
std::optional<BoardType> parseBoardCode(std::string_view text);

constexpr BoardType kDefaultBoardType = 73763;  // AN-2400 + EX-NB3BP
constexpr uint32_t kDefaultExBoardCode = 20;

}  // namespace zv
