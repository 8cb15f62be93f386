#include "formats/log_time.h"

#include <cstdio>
#include <ctime>

namespace zv {

namespace {

bool digits(std::string_view s, size_t at, size_t n, int& value) {
    if (at + n > s.size()) return false;
    value = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

bool localTime(std::time_t t, std::tm& out) {
#ifdef _WIN32
    return localtime_s(&out, &t) == 0;
#else
    return localtime_r(&t, &out) != nullptr;
#endif
}

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

}  // namespace

std::optional<CivilTime> parseCivilTime(std::string_view s) {
    CivilTime t;
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || (s[10] != ' ' && s[10] != 'T') || s[13] != ':' ||
        s[16] != ':')
        return std::nullopt;
    if (!digits(s, 0, 4, t.year) || !digits(s, 5, 2, t.month) || !digits(s, 8, 2, t.day) ||
        !digits(s, 11, 2, t.hour) || !digits(s, 14, 2, t.minute) || !digits(s, 17, 2, t.second))
        return std::nullopt;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    if (t.year < 1970 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > kDays[t.month - 1] ||
        (t.month == 2 && t.day == 29 && !leap) || t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

std::optional<LogStart> logStartFromLocal(const CivilTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    LogStart start = logStartFromEpoch(static_cast<int64_t>(t) * 1000000 + local.millisecond * 1000);
    // A time that the clock skips (the hour lost to daylight saving) comes back shifted.
    if (start.local.hour != local.hour || start.local.minute != local.minute || start.local.day != local.day)
        return std::nullopt;
    return start;
}

LogStart logStartFromEpoch(int64_t epochMicros) {
    LogStart start;
    const int64_t millis = floorDiv(epochMicros, 1000);
    start.epochMicros = millis * 1000;
    const int64_t seconds = floorDiv(millis, 1000);
    std::tm tm{};
    if (!localTime(static_cast<std::time_t>(seconds), tm)) return start;
    start.local.year = tm.tm_year + 1900;
    start.local.month = tm.tm_mon + 1;
    start.local.day = tm.tm_mday;
    start.local.hour = tm.tm_hour;
    start.local.minute = tm.tm_min;
    start.local.second = tm.tm_sec;
    start.local.millisecond = static_cast<int>(millis - seconds * 1000);
    start.local.weekday = tm.tm_wday;
    return start;
}

}  // namespace zv
