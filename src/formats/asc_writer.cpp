// ASC: the text log most CAN analysis tools read. A header with the start date, then one line
// per frame inside a trigger block:
//    0.001200 1  123             Rx   d 2 11 22
//    0.002400 2  1ABCDEF0x       Rx   r 3
//    0.003600 L1 3C              Rx   2 A1 A2 checksum = 5D
// Error-marked LIN records, markers and trigger marks become "//" comment lines, which the
// readers skip.
#include <cstdio>
#include <string>

#include "formats/format_writer.h"

namespace zv {
namespace {

using namespace text_out;

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// "Tue Nov 14 22:13:20.000 2023"
std::string ascDate(const CivilTime& t) {
    char s[64];
    std::snprintf(s, sizeof s, "%s %s %02d %02d:%02d:%02d.%03d %d", kWeekdays[t.weekday % 7],
                  kMonths[(t.month + 11) % 12], t.day, t.hour, t.minute, t.second, t.millisecond, t.year);
    return s;
}

class AscWriter final : public FormatWriter {
public:
    using FormatWriter::FormatWriter;

    void begin(const ExportSettings& settings) override {
        const std::string date = ascDate(settings.start.local);
        std::string head = "date " + date + "\nbase hex  timestamps absolute\nno internal events logged\n";
        head += "// " + settings.application + " export";
        if (!settings.sourceName.empty()) head += " of " + settings.sourceName;
        head += "; time 0 is the first record\n";
        head += "Begin Triggerblock " + date + "\n   0.000000 Start of measurement\n";
        out_.put(head.data(), head.size());
    }

    void record(const LogEvent& e, uint64_t ticks) override {
        if (e.trigger) comment(ticks, "trigger mark");
        switch (e.kind) {
            case LogEventKind::CanFrame:
                canLine(e, ticks);
                ++counts_.frames;
                return;
            case LogEventKind::LinFrame:
                if (e.linErrors == 0) {
                    linLine(e, ticks, nullptr);
                    ++counts_.frames;
                } else {
                    linLine(e, ticks, linErrorText(e).c_str());
                    ++counts_.comments;
                }
                return;
            case LogEventKind::LinIncomplete: {
                const std::string s = "L" + std::to_string(e.channel) + " incomplete LIN frame: " + linIncompleteText(e);
                const std::string errors = linErrorText(e);
                comment(ticks, errors.empty() ? s.c_str() : (s + "; " + errors).c_str());
                ++counts_.comments;
                return;
            }
            case LogEventKind::Overrun:
                comment(ticks, "overrun marker");
                ++counts_.comments;
                return;
            case LogEventKind::LostData:
                comment(ticks, "lost-data marker: records are missing here");
                ++counts_.comments;
                return;
            case LogEventKind::Unknown:
                ++counts_.unknownLeftOut;
                return;
        }
    }

    void end(uint64_t) override { out_.put("End TriggerBlock\n"); }

private:
    // The time right-aligned in 11 characters, then a blank.
    static char* timeField(char* p, uint64_t ticks) {
        char digits[32];
        const char* end = seconds6(digits, ticks);
        const size_t n = static_cast<size_t>(end - digits);
        for (size_t i = n; i < 11; ++i) *p++ = ' ';
        p = text(p, digits, n);
        *p++ = ' ';
        return p;
    }

    // The identifier padded to 15 characters, then " Rx   ".
    static char* idField(char* p, const char* id, size_t n) {
        p = text(p, id, n);
        for (size_t i = n; i < 15; ++i) *p++ = ' ';
        return text(p, " Rx   ", 6);
    }

    void canLine(const LogEvent& e, uint64_t ticks) {
        char* p = timeField(out_.room(128), ticks);
        *p++ = static_cast<char>('0' + e.channel);
        *p++ = ' ';
        *p++ = ' ';
        char id[9];
        char* idEnd = e.extended ? hexDigits(id, e.id, 8) : hexDigits(id, e.id, 3);
        if (e.extended) *idEnd++ = 'x';
        p = idField(p, id, static_cast<size_t>(idEnd - id));
        *p++ = e.remote ? 'r' : 'd';
        *p++ = ' ';
        *p++ = "0123456789ABCDEF"[e.dlc & 0xF];
        for (int i = 0; i < e.dataCount; ++i) {
            *p++ = ' ';
            p = hex2(p, e.data[static_cast<size_t>(i)]);
        }
        *p++ = '\n';
        out_.advance(p);
    }

    // A LIN frame, as a comment line when it carries errors (the note is appended).
    void linLine(const LogEvent& e, uint64_t ticks, const char* note) {
        char* p = out_.room(512);
        if (note != nullptr) p = text(p, "// ", 3);
        p = timeField(p, ticks);
        *p++ = 'L';
        *p++ = static_cast<char>('0' + e.channel);
        *p++ = ' ';
        char id[2];
        hex2(id, static_cast<uint8_t>(e.id));
        p = idField(p, id, 2);
        *p++ = static_cast<char>('0' + e.dataCount);
        for (int i = 0; i < e.dataCount; ++i) {
            *p++ = ' ';
            p = hex2(p, e.data[static_cast<size_t>(i)]);
        }
        if (e.hasChecksum) {
            p = text(p, " checksum = ", 12);
            p = hex2(p, e.checksum);
        }
        if (note != nullptr) {
            p = text(p, " (", 2);
            const size_t n = std::char_traits<char>::length(note);
            p = text(p, note, n < 300 ? n : 300);
            *p++ = ')';
        }
        *p++ = '\n';
        out_.advance(p);
    }

    void comment(uint64_t ticks, const char* what) {
        char* p = text(out_.room(512), "// ", 3);
        p = timeField(p, ticks);
        const size_t n = std::char_traits<char>::length(what);
        p = text(p, what, n < 400 ? n : 400);
        *p++ = '\n';
        out_.advance(p);
    }
};

}  // namespace

std::unique_ptr<FormatWriter> makeAscWriter(ByteOut& out, ExportCounts& counts) {
    return std::make_unique<AscWriter>(out, counts);
}

}  // namespace zv
