// A date and time as the analyzer's set-clock request carries it: the fields of a system
// time, u16 each, in this order (16 bytes).
#pragma once

#include <cstdint>

namespace zv {

struct ClockTime {
    uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
    bool operator==(const ClockTime&) const = default;
};

}  // namespace zv
