#include "printf_rows.h"

#include <cstdarg>
#include <cstdio>

namespace zv::reference {
namespace {

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void add(std::string& out, const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0) out.append(buffer, static_cast<size_t>(n < 256 ? n : 255));
}

// The analog text by its printf formats.
void addAnalog(std::string& out, int16_t v, const char* separator) {
    const long t = (v + 10005L) / 10 - 1000;
    out += separator;
    if (t == 0) {
        add(out, "   0.0");
    } else if (t > 0) {
        const unsigned long m = static_cast<unsigned long>(t > 999 ? 999 : t);
        if (m < 100)
            add(out, "  +%lu.%01lu", m / 10, m % 10);
        else
            add(out, " +%lu.%01lu", m / 10, m % 10);
    } else {
        const unsigned long m = static_cast<unsigned long>(-t > 999 ? 999 : -t);
        if (m < 100)
            add(out, "  -%lu.%01lu", m / 10, m % 10);
        else
            add(out, " -%lu.%01lu", m / 10, m % 10);
    }
}

int tableLength(const RowContext& c, const CaptureRecord& r) {
    return c.linLength[static_cast<size_t>(r.linChannelIndex())][r.pid() & 0x3F];
}

void textRow(std::string& out, const RowContext& c, const CaptureRecord& r, uint32_t previous, bool hasPrevious) {
    const TimeDigits t = r.time();
    if (!c.deltaT) {
        add(out, "%02d%02d%02d%d ", t.minutes, t.seconds, t.hundredths, t.millis);
    } else if (!hasPrevious) {
        add(out, "------- ");
    } else {
        const TimeDigits d = timeDifference(r.timeStamp(), previous);
        add(out, "%02d%02d%02d%d ", d.minutes, d.seconds, d.hundredths, d.millis);
    }
    if (r.source() == kSourceOverrun) return add(out, "  --OVERRUN--");
    if (r.source() == kSourceLostData) return add(out, "  --LOSTDATA--");
    add(out, "%c ", r.channelDigit());
    const bool lin = r.source() == kSourceLin1 || r.source() == kSourceLin2;
    if (c.tag == kTagMonc || !lin) {
        if (r.frameInfo() & 0x80)
            add(out, "%08X ", r.identifier());
        else
            add(out, "     %03X ", r.identifier() >> 18);
        if (r.frameInfo() & 0x40) {
            add(out, "REMOTE %2d%17s", r.frameInfo() & 0x0F, "");
        } else {
            add(out, "DATA   %2d ", r.frameInfo() & 0x0F);
            const int n = r.byteCount() < 0 ? 0 : r.byteCount() > 8 ? 8 : r.byteCount();
            for (int i = 0; i < 8; ++i) {
                if (i < n)
                    add(out, "%02X", r.data(static_cast<size_t>(i)));
                else
                    add(out, "  ");
            }
        }
        if (c.tag == kTagMonc) return add(out, " G");
        add(out, "      G");
    } else {
        const int bc = r.byteCount();
        const bool maskSf = !c.hex && (r.status() & 1) != 0;
        const bool maskId = !c.hex && (r.status() & 2) != 0;
        if (r.frameInfo() == 2)
            add(out, "%9s", "");
        else if (bc == -3)
            add(out, "%02X%7s", r.sb(), "");
        else if (bc == -2 && maskSf)
            add(out, "%02X##-%4s", r.sb(), "");
        else if (bc == -2)
            add(out, "%04X-%4s", static_cast<unsigned>((r.sb() << 8) | r.sf()), "");
        else if (maskId)
            add(out, "%04X-##%2s", static_cast<unsigned>((r.sb() << 8) | r.sf()), "");
        else
            add(out, "%04X-%02X%2s", static_cast<unsigned>((r.sb() << 8) | r.sf()), c.hex ? r.pid() : (r.pid() & 0x3F), "");
        const int length = tableLength(c, r);
        if (bc < 0) {
            char body[40];
            if (bc == -1 && length >= 0)
                std::snprintf(body, sizeof body, "FRAME  %2d", length);
            else if (bc == -1)
                std::snprintf(body, sizeof body, "FRAME");
            else
                std::snprintf(body, sizeof body, "ILLEGAL");
            add(out, "%-30s", body);
        } else {
            if (r.frameInfo() != 0)
                add(out, "%10s", "");
            else if (length >= 0)
                add(out, "FRAME  %2d ", length);
            else
                add(out, "FRAME%5s", "");
            const int n = r.linDataCount();
            for (int i = 0; i < 8; ++i) {
                if (i >= n)
                    add(out, "  ");
                else if (!c.hex && r.byteMarked(i))
                    add(out, "##");
                else
                    add(out, "%02X", r.data(static_cast<size_t>(i)));
            }
            add(out, "  ");
            if (!r.hasChecksum())
                add(out, "  ");
            else if (!c.hex && r.checksumMarked())
                add(out, "##");
            else
                add(out, "%02X", r.checksum());
        }
        if (r.statusLetter() != 0)
            add(out, "  %c", r.statusLetter());
        else
            add(out, "   ");
    }
    add(out, "  %c", (r.lines() & 0x10) ? '1' : '0');
    if (c.analog) {
        for (int i = 0; i < 4; ++i) addAnalog(out, r.analog(i), "");
        const uint8_t l = r.lines();
        add(out, "   %d%d%d%d", (l >> 4) & 1, (l >> 3) & 1, (l >> 2) & 1, (l >> 1) & 1);
    }
}

void csvRow(std::string& out, const RowContext& c, const CaptureRecord& r, uint32_t previous, bool hasPrevious) {
    const TimeDigits t = r.time();
    add(out, "%02d:%02d.%02d%d,", t.minutes, t.seconds, t.hundredths, t.millis);
    if (!hasPrevious) {
        add(out, "-------,");
    } else {
        const TimeDigits d = timeDifference(r.timeStamp(), previous);
        add(out, "%02d:%02d.%02d%d,", d.minutes, d.seconds, d.hundredths, d.millis);
    }
    if (r.source() == kSourceOverrun) return add(out, "--OVERRUN--");
    if (r.source() == kSourceLostData) return add(out, "--LOSTDATA--");
    add(out, "%c,", r.channelDigit());
    const bool lin = r.source() == kSourceLin1 || r.source() == kSourceLin2;
    const bool extended = (r.frameInfo() & 0x80) != 0;
    const bool remote = (r.frameInfo() & 0x40) != 0;
    const int canBytes = remote || r.byteCount() < 0 ? 0 : r.byteCount() > 8 ? 8 : r.byteCount();
    if (c.tag == kTagMonc) {
        if (extended)
            add(out, "%08X,", r.identifier());
        else
            add(out, "%03X,", r.identifier() >> 18);
        if (remote) return add(out, "REMOTE,%2d,,,,,,,,,G", r.frameInfo() & 0x0F);
        add(out, "DATA,%d,", r.frameInfo() & 0x0F);
        for (int i = 0; i < 8; ++i) {
            if (i < canBytes)
                add(out, "%02X,", r.data(static_cast<size_t>(i)));
            else
                add(out, ",");
        }
        return add(out, "G");
    }
    if (!lin) {
        add(out, ",,");
        if (extended)
            add(out, "%08X,", r.identifier());
        else
            add(out, "%03X,", r.identifier() >> 18);
        add(out, "%s,%d", remote ? "REMOTE" : "DATA", r.frameInfo() & 0x0F);
        for (int i = 0; i < 8; ++i) {
            if (i < canBytes)
                add(out, ",%02X", r.data(static_cast<size_t>(i)));
            else
                add(out, ",");
        }
        add(out, ",,G");
    } else {
        const int bc = r.byteCount();
        const bool bytesOnly = r.frameInfo() == 2;
        if (!bytesOnly) add(out, "%02X", r.sb());
        add(out, ",");
        if (!bytesOnly && bc != -3) {
            if (bc == -2 && !c.hex && (r.status() & 1))
                add(out, "##");
            else
                add(out, "%02X", r.sf());
        }
        add(out, ",");
        if (!bytesOnly && bc >= -1) {
            if (!c.hex && (r.status() & 2))
                add(out, "##");
            else
                add(out, "%02X", c.hex ? r.pid() : (r.pid() & 0x3F));
        }
        const bool frame = bc == -1 || (bc >= 0 && r.frameInfo() == 0);
        add(out, ",%s,", frame ? "FRAME" : bc < 0 ? "ILLEGAL" : "");
        if (frame && tableLength(c, r) >= 0) add(out, "%d", tableLength(c, r));
        const int n = r.linDataCount();
        for (int i = 0; i < 8; ++i) {
            add(out, ",");
            if (i >= n) continue;
            if (!c.hex && r.byteMarked(i))
                add(out, "##");
            else
                add(out, "%02X", r.data(static_cast<size_t>(i)));
        }
        add(out, ",");
        if (r.hasChecksum()) {
            if (!c.hex && r.checksumMarked())
                add(out, "##");
            else
                add(out, "%02X", r.checksum());
        }
        add(out, ",");
        if (r.statusLetter() != 0) add(out, "%c", r.statusLetter());
    }
    add(out, ",%c,", (r.lines() & 0x10) ? '1' : '0');
    if (r.trigger(c.tag)) add(out, "T");
    if (c.analog) {
        for (int i = 0; i < 4; ++i) addAnalog(out, r.analog(i), ",");
        const uint8_t l = r.lines();
        add(out, ",%d%d%d%d", (l >> 4) & 1, (l >> 3) & 1, (l >> 2) & 1, (l >> 1) & 1);
    }
}

}  // namespace

void appendRow(std::string& out, const RowContext& context, const CaptureRecord& r, uint32_t previousStamp,
               bool hasPrevious) {
    if (context.csv)
        csvRow(out, context, r, previousStamp, hasPrevious);
    else
        textRow(out, context, r, previousStamp, hasPrevious);
}

}  // namespace zv::reference
