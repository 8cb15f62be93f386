// The editing keys both controls understand, independent of the window system's key codes.
#pragma once

namespace zv::ctrl {

enum class EditKey { Left, Right, Home, End, Delete, Back, Enter };

// What a key or character did: whether the control used it, whether the value changed, and
// whether the focus should move on to the chained field (Enter, or typing past the last cell).
struct KeyOutcome {
    bool handled = false;
    bool changed = false;
    bool leave = false;
};

// The look of one character cell when it is drawn.
enum class CellLook { Digit, DontCare, Empty, Reference, Partial };

}  // namespace zv::ctrl
