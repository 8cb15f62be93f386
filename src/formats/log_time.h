// The time line of an export. The analyzer stamps records with minutes, seconds, hundredths
// and 0.2 ms steps; the stamps repeat every hour and carry no date. The exported logs need a
// time that only grows, and an absolute start.
//
// Monotonic time: the first record is at 0; each later record is its stamp's distance from
// the first record's stamp, plus one hour for every wrap seen so far (a stamp smaller than
// the one before). Example: stamps 59:59.9998, then 00:00.0000, then 00:01.0000 give 0,
// 0.2 ms and 1.0002 s. Markers do not take part (a marker made on the PC carries no time); they
// stand at the time of the record before them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv {

constexpr uint64_t kLogTicksPerSecond = 5000;  // 0.2 ms steps
constexpr uint64_t kLogTicksPerHour = 3600 * kLogTicksPerSecond;

// Steps of 0.2 ms since the start of the hour. A damaged stamp (digits beyond their range) is
// taken at face value.
inline uint64_t stampTicks(uint32_t timeStamp) {
    const uint64_t minutes = timeStamp >> 24, seconds = (timeStamp >> 16) & 0xFF;
    const uint64_t hundredths = (timeStamp >> 8) & 0xFF, fraction = timeStamp & 0xFF;
    return ((minutes * 60 + seconds) * 100 + hundredths) * 50 + fraction;
}

// The stamp of a time within the hour (ticks modulo one hour).
inline uint32_t ticksStamp(uint64_t ticks) {
    ticks %= kLogTicksPerHour;
    const auto fraction = static_cast<uint32_t>(ticks % 50), hundredths = static_cast<uint32_t>(ticks / 50 % 100);
    const auto seconds = static_cast<uint32_t>(ticks / 5000 % 60), minutes = static_cast<uint32_t>(ticks / 300000);
    return minutes << 24 | seconds << 16 | hundredths << 8 | fraction;
}

class MonotonicClock {
public:
    // The time of the next record, in 0.2 ms steps after the first one.
    uint64_t next(uint32_t timeStamp) {
        const uint64_t stamp = stampTicks(timeStamp);
        if (!started_) {
            started_ = true;
            first_ = stamp;
            last_ = stamp;
            return 0;
        }
        if (stamp < last_) hours_ += kLogTicksPerHour;
        last_ = stamp;
        // A damaged stamp may point past the next wrap; the time still never goes back.
        const uint64_t t = hours_ + stamp >= first_ ? hours_ + stamp - first_ : 0;
        if (t > now_) now_ = t;
        return now_;
    }
    // The time of the last record (0 before the first).
    uint64_t now() const { return now_; }

private:
    bool started_ = false;
    uint64_t first_ = 0;
    uint64_t last_ = 0;
    uint64_t hours_ = 0;
    uint64_t now_ = 0;
};

// A wall-clock date and time (local time), to the millisecond.
struct CivilTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
    int weekday = 4;  // 0 = Sunday
    bool operator==(const CivilTime&) const = default;
};

// The start of an export: the absolute time of the first record.
struct LogStart {
    int64_t epochMicros = 0;  // since 1970-01-01 00:00 UTC
    CivilTime local;          // the same instant on the local clock
};

// "YYYY-MM-DD HH:MM:SS" (also with a 'T' between date and time), or nullopt.
std::optional<CivilTime> parseCivilTime(std::string_view text);
// The local wall-clock time taken as the start, or nullopt when it does not exist there.
std::optional<LogStart> logStartFromLocal(const CivilTime& local);
// An instant (whole milliseconds are kept) with its local wall-clock time.
LogStart logStartFromEpoch(int64_t epochMicros);

}  // namespace zv
