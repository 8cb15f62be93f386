// candump log reader: one frame a line,
//   (1700000000.123456) can0 123#11223344        data frame (3 digits: 11 bits, 8 digits: 29)
//   (1700000000.123456) can1 1ABCDEF0#R          remote frame, "#R3" with its DLC
//   (1700000000.123456) can0 123#1122334455667788_C   eight bytes with a DLC above 8
//   (1700000000.123456) can0 123##1112233         CAN FD frame (flags digit, then data)
//   (1700000000.123456) can0 20000080#0000000000000000   error frame (error flag in the ID)
// Data bytes may be separated by dots; words after the frame (the direction some candump
// options add) are passed over. The channel is the interface's number plus one (can0 is 1,
// vcan3 is 4; an interface without a number is 1).
#include "formats/log_reader.h"

namespace zv {
namespace {

using namespace log_text;

constexpr uint32_t kErrorFlag = 0x20000000;

class CandumpReader final : public LineLogReader {
public:
    using LineLogReader::LineLogReader;

    std::optional<CivilTime> startDate() const override { return std::nullopt; }
    bool epochTimes() const override { return true; }

private:
    bool readLine(std::string_view line, LogItem& item) override {
        std::string_view rest = line;
        const std::string_view stamp = word(rest);
        if (stamp.empty()) return false;
        uint64_t t = 0;
        if (stamp.size() < 3 || stamp.front() != '(' || stamp.back() != ')' ||
            !secondsNs(stamp.substr(1, stamp.size() - 2), t)) {
            malformed("no time stamp '(seconds.microseconds)' at the start");
            return false;
        }
        const std::string_view iface = word(rest);
        const std::string_view frame = word(rest);
        if (iface.empty() || frame.empty()) {
            malformed("an interface and a frame must follow the time stamp");
            return false;
        }
        item = LogItem{};
        item.timeNs = t;
        item.channel = channelOf(iface);
        const size_t hash = frame.find('#');
        uint32_t id = 0;
        if (hash == std::string_view::npos || (hash != 3 && hash != 8) || !hexNumber(frame.substr(0, hash), id)) {
            malformed("the frame does not start with an identifier of 3 or 8 digits and '#'");
            return false;
        }
        recognized_ = true;
        std::string_view payload = frame.substr(hash + 1);
        if (!payload.empty() && payload.front() == '#') {
            item.kind = LogItemKind::CanFd;
            return true;
        }
        LogEvent& e = item.event;
        e.kind = LogEventKind::CanFrame;
        e.extended = hash == 8;
        if (e.extended && (id & kErrorFlag) != 0) {
            item.kind = LogItemKind::ErrorFrame;
            return true;
        }
        if (id > (e.extended ? 0x1FFFFFFFu : 0x7FFu)) {
            malformed("the identifier is out of range");
            return false;
        }
        e.id = id;
        if (!payload.empty() && (payload.front() == 'R' || payload.front() == 'r')) {
            e.remote = true;
            payload.remove_prefix(1);
            if (payload.size() > 1 || (payload.size() == 1 && hexDigit(payload[0]) < 0)) {
                malformed("a remote frame's DLC is one digit");
                return false;
            }
            if (payload.size() == 1) e.dlc = static_cast<uint8_t>(hexDigit(payload[0]));
            return true;
        }
        return data(payload, e);
    }

    bool data(std::string_view payload, LogEvent& e) {
        size_t n = 0;
        while (!payload.empty() && payload.front() != '_') {
            if (payload.front() == '.') {
                payload.remove_prefix(1);
                continue;
            }
            if (payload.size() < 2 || hexDigit(payload[0]) < 0 || hexDigit(payload[1]) < 0 || n == 8) {
                malformed(n == 8 ? std::string("more than eight data bytes") : std::string("the data are not hexadecimal byte pairs"));
                return false;
            }
            e.data[n++] = static_cast<uint8_t>(hexDigit(payload[0]) << 4 | hexDigit(payload[1]));
            payload.remove_prefix(2);
        }
        e.dataCount = static_cast<uint8_t>(n);
        e.dlc = static_cast<uint8_t>(n);
        if (!payload.empty()) {
            // "_C": the DLC of eight bytes sent with a DLC of 9 to 15.
            const int dlc = payload.size() == 2 ? hexDigit(payload[1]) : -1;
            if (n != 8 || dlc < 9) {
                malformed("'_' and a DLC of 9 to F follow eight data bytes only");
                return false;
            }
            e.dlc = static_cast<uint8_t>(dlc);
        }
        return true;
    }

    static uint32_t channelOf(std::string_view iface) {
        size_t i = iface.size();
        while (i > 0 && iface[i - 1] >= '0' && iface[i - 1] <= '9') --i;
        uint32_t n = 0;
        if (i == iface.size() || !decimalNumber(iface.substr(i), n) || n >= 0xFFFF) return 1;
        return n + 1;
    }

};

}  // namespace

std::unique_ptr<LogReader> makeCandumpReader(LogInput& input, LogProblemSink problems) {
    return std::make_unique<CandumpReader>(input, std::move(problems));
}

}  // namespace zv
