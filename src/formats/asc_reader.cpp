// ASC reader. The header lines ("date ...", "base hex|dec  timestamps absolute|relative",
// "Begin Triggerblock ...") set the start date (that of the first trigger block when it has
// one, else the date line's), the number base and the time mode; after them
// each line is an event with its time first:
//    0.001200 1  123             Rx   d 2 11 22        CAN data frame (x after the ID: 29 bits)
//    0.002400 2  1ABCDEF0x       Rx   r 3              CAN remote frame
//    0.003000 1  ErrorFrame                            error frame
//    0.003600 L1 3C              Rx   2 A1 A2 checksum = 5D    LIN frame
//    0.004000 CANFD   1 Rx  123 ...                    CAN FD frame
// Other events (statistics, status, LIN bus errors, start of measurement), "//" comments and
// trailing fields after the data are passed over. A line that starts like an event but does
// not read as one, or that is no header line, is malformed.
#include <array>

#include "formats/log_reader.h"

namespace zv {
namespace {

using namespace log_text;

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};

bool lowerEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (c != b[i]) return false;
    }
    return true;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool twoDigits(std::string_view s, int& v) {
    if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9') return false;
    v = (s[0] - '0') * 10 + (s[1] - '0');
    return true;
}

// "Tue Nov 14 22:13:20.000 2023", also with am/pm after the time ("03:06:13.191 pm").
std::optional<CivilTime> parseAscDate(std::string_view s) {
    CivilTime t;
    word(s);  // weekday
    const std::string_view month = word(s), day = word(s), clock = word(s);
    std::string_view next = word(s);
    int pm = -1;
    if (lowerEquals(next, "am") || lowerEquals(next, "pm")) {
        pm = lowerEquals(next, "pm") ? 1 : 0;
        next = word(s);
    }
    t.month = 0;
    for (size_t i = 0; i < kMonths.size(); ++i)
        if (lowerEquals(month, kMonths[i])) t.month = static_cast<int>(i) + 1;
    uint32_t v = 0;
    if (t.month == 0 || !decimalNumber(day, v) || v < 1 || v > 31) return std::nullopt;
    t.day = static_cast<int>(v);
    if (!decimalNumber(next, v) || v < 1970 || v > 9999) return std::nullopt;
    t.year = static_cast<int>(v);
    if (clock.size() < 8 || clock[2] != ':' || clock[5] != ':') return std::nullopt;
    if (!twoDigits(clock.substr(0, 2), t.hour) || !twoDigits(clock.substr(3, 2), t.minute) ||
        !twoDigits(clock.substr(6, 2), t.second) || t.minute > 59 || t.second > 59)
        return std::nullopt;
    if (clock.size() > 8) {
        const std::string_view ms = clock.substr(9);
        if (clock[8] != '.' || ms.empty() || ms.size() > 6 || !decimalNumber(ms, v)) return std::nullopt;
        for (size_t i = ms.size(); i < 3; ++i) v *= 10;
        for (size_t i = 3; i < ms.size(); ++i) v /= 10;
        t.millisecond = static_cast<int>(v);
    }
    if (pm >= 0) {
        if (t.hour < 1 || t.hour > 12) return std::nullopt;
        t.hour = t.hour % 12 + (pm == 1 ? 12 : 0);
    }
    if (t.hour > 23) return std::nullopt;
    return t;
}

class AscReader final : public LineLogReader {
public:
    using LineLogReader::LineLogReader;

    std::optional<CivilTime> startDate() const override { return date_; }

private:
    bool readLine(std::string_view line, LogItem& item) override {
        std::string_view rest = line;
        const std::string_view first = word(rest);
        if (first.empty() || startsWith(first, "//")) return false;
        if (first[0] < '0' || first[0] > '9') {
            header(first, rest);
            return false;
        }
        uint64_t t = 0;
        if (!secondsNs(first, t)) {
            malformed("the time '" + std::string(first.substr(0, 40)) + "' is not a number of seconds");
            return false;
        }
        if (relative_) t += last_;
        last_ = t;
        recognized_ = true;
        item = LogItem{};
        item.timeNs = t;
        return event(rest, item);
    }

    void header(std::string_view first, std::string_view rest) {
        if (first == "date") {
            const std::optional<CivilTime> date = parseAscDate(rest);
            if (!triggerDated_) date_ = date;
            recognized_ = true;
            if (!date) malformed("the date is not a date");
        } else if (first == "base") {
            const std::string_view base = word(rest);
            if (base == "hex" || base == "dec") {
                decimal_ = base == "dec";
            } else {
                malformed("base is neither hex nor dec");
            }
            if (word(rest) == "timestamps") relative_ = word(rest) == "relative";
            recognized_ = true;
        } else if (lowerEquals(first, "begin")) {
            // "Begin Triggerblock DATE": the start of the times that follow. python-can writes
            // the time of writing on the date line and the first frame's time here.
            if (lowerEquals(word(rest), "triggerblock") && !triggerDated_) {
                if (const std::optional<CivilTime> date = parseAscDate(rest)) {
                    date_ = date;
                    triggerDated_ = true;
                }
            }
            recognized_ = true;
        } else if (lowerEquals(first, "end") || first == "internal" || first == "no") {
            // "End TriggerBlock", "(no) internal events logged"
        } else {
            malformed("neither a header line nor an event");
        }
    }

    bool identifier(std::string_view w, LogEvent& e) {
        e.extended = !w.empty() && (w.back() == 'x' || w.back() == 'X');
        if (e.extended) w.remove_suffix(1);
        const bool ok = decimal_ ? decimalNumber(w, e.id) : hexNumber(w, e.id);
        return ok && e.id <= (e.extended ? 0x1FFFFFFFu : 0x7FFu);
    }

    // The bytes after a count; false when fewer than n follow.
    bool bytes(std::string_view& rest, size_t n, LogEvent& e) {
        for (size_t i = 0; i < n; ++i) {
            const std::string_view b = word(rest);
            uint32_t v = 0;
            const bool ok = decimal_ ? decimalNumber(b, v) : b.size() <= 2 && hexNumber(b, v);
            if (!ok || v > 0xFF) return false;
            e.data[i] = static_cast<uint8_t>(v);
        }
        e.dataCount = static_cast<uint8_t>(n);
        return true;
    }

    bool event(std::string_view rest, LogItem& item) {
        const std::string_view what = word(rest);
        if (what == "Start" || what.empty()) {
            ++counts_.skipped;
            return false;
        }
        uint32_t channel = 0;
        if (what == "CANFD") {
            if (!decimalNumber(word(rest), channel) || channel == 0) {
                malformed("a CAN FD line without a channel");
                return false;
            }
            item.kind = LogItemKind::CanFd;
            item.channel = channel;
            return true;
        }
        if (what[0] == 'L' && decimalNumber(what.substr(1), channel) && channel != 0) return lin(rest, channel, item);
        if (!decimalNumber(what, channel) || channel == 0) {
            // System variables, other buses, environment data: not ours to read.
            ++counts_.skipped;
            return false;
        }
        item.channel = channel;
        const std::string_view id = word(rest);
        if (id == "ErrorFrame") {
            item.kind = LogItemKind::ErrorFrame;
            return true;
        }
        LogEvent& e = item.event;
        if (!identifier(id, e)) {
            // "Statistic:", "Status:", "SWTrigger" and other events of a CAN channel.
            if (!id.empty() && hexDigit(id[0]) < 0) {
                ++counts_.skipped;
                return false;
            }
            malformed("the identifier '" + std::string(id.substr(0, 40)) + "' is out of range");
            return false;
        }
        const std::string_view direction = word(rest);
        if (direction == "TxRq") {
            ++counts_.skipped;  // a transmit request, not a frame on the bus
            return false;
        }
        if (direction != "Rx" && direction != "Tx") {
            malformed("the direction is neither Rx nor Tx");
            return false;
        }
        const std::string_view type = word(rest);
        uint32_t dlc = 0;
        if ((type != "d" && type != "r") || !hexNumber(word(rest), dlc) || dlc > 15) {
            malformed("a CAN frame without d or r and a DLC");
            return false;
        }
        e.kind = LogEventKind::CanFrame;
        e.remote = type == "r";
        e.dlc = static_cast<uint8_t>(dlc);
        if (!e.remote && !bytes(rest, dlc > 8 ? 8 : dlc, e)) {
            malformed("fewer data bytes than the DLC says");
            return false;
        }
        return true;
    }

    // "Ln ID [Rx|Tx] N b1 .. bN [checksum = CS] ...": a LIN frame. LIN bus events of the
    // channel ("L1 TransmErr: ...", "L1 RcvError: ...") are passed over.
    bool lin(std::string_view rest, uint32_t channel, LogItem& item) {
        LogEvent& e = item.event;
        const std::string_view id = word(rest);
        uint32_t v = 0;
        if (id.size() > 2 || !hexNumber(id, v)) {
            ++counts_.skipped;
            return false;
        }
        if (v > 0x3F) {
            malformed("the LIN identifier " + std::string(id) + " is out of range");
            return false;
        }
        std::string_view w = word(rest);
        if (w == "Rx" || w == "Tx") w = word(rest);
        uint32_t n = 0;
        if (!decimalNumber(w, n) || n > 8) {
            malformed("a LIN frame without a data length of 0 to 8");
            return false;
        }
        e.kind = LogEventKind::LinFrame;
        e.id = v;
        e.pid = linProtectedId(static_cast<uint8_t>(v));
        if (!bytes(rest, n, e)) {
            malformed("fewer data bytes than the data length says");
            return false;
        }
        if (word(rest) == "checksum" && word(rest) == "=") {
            uint32_t cs = 0;
            const std::string_view c = word(rest);
            if (c.size() > 2 || !hexNumber(c, cs)) {
                malformed("the checksum is not a byte");
                return false;
            }
            e.hasChecksum = true;
            e.checksum = static_cast<uint8_t>(cs);
        }
        item.channel = channel;
        return true;
    }

    std::optional<CivilTime> date_;
    bool triggerDated_ = false;
    bool decimal_ = false;
    bool relative_ = false;
    uint64_t last_ = 0;
};

}  // namespace

std::unique_ptr<LogReader> makeAscReader(LogInput& input, LogProblemSink problems) {
    return std::make_unique<AscReader>(input, std::move(problems));
}

}  // namespace zv
