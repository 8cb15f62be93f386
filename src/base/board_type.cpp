#include "base/board_type.h"

#include <charconv>

namespace zv {
namespace {

constexpr BoardInfo kBoards[] = {
    {65554, "AN-1100 + EX-NB2A", "AN-1100", 7, SetupLayout::CanOnly, false, 0},
    {65555, "AN-2100 + EX-NB2A", "AN-2100", 7, SetupLayout::CanOnly, false, 0},
    {65556, "AN-6100 + EX-NB2A", "AN-6100", 7, SetupLayout::CanOnly, false, 0},
    {65570, "AN-1100 + EX-NB2AP", "AN-1100", 8, SetupLayout::DualProtocol, true, 0},
    {65571, "AN-2100 + EX-NB2AP", "AN-2100", 8, SetupLayout::DualProtocol, true, 0},
    {65572, "AN-6100 + EX-NB2AP", "AN-6100", 8, SetupLayout::DualProtocol, true, 0},
    {73762, "AN-1400 + EX-NB3BP", "AN-1400", 20, SetupLayout::DualProtocol, true, 1},
    {73763, "AN-2400 + EX-NB3BP", "AN-2400", 20, SetupLayout::DualProtocol, true, 1},
};

}  // namespace

const BoardInfo* findBoard(BoardType code) {
    for (const BoardInfo& b : kBoards)
        if (b.code == code) return &b;
    return nullptr;
}

const BoardInfo* boardsBegin() { return kBoards; }
const BoardInfo* boardsEnd() { return kBoards + sizeof kBoards / sizeof kBoards[0]; }

std::optional<BoardType> parseBoardCode(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return std::nullopt;
    BoardType value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace zv
