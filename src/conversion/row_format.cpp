#include "conversion/row_format.h"

#include <cstring>

#include "capture/text_digits.h"

namespace zv {
namespace {

using namespace text;

// "%02d%02d%02d%d " (text) and "%02d:%02d.%02d%d," (CSV).
char* putTextTime(char* p, const TimeDigits& t) {
    p = put02d(p, t.minutes);
    p = put02d(p, t.seconds);
    p = put02d(p, t.hundredths);
    p = putDec(p, t.millis);
    *p++ = ' ';
    return p;
}

char* putCsvTime(char* p, const TimeDigits& t) {
    p = put02d(p, t.minutes);
    *p++ = ':';
    p = put02d(p, t.seconds);
    *p++ = '.';
    p = put02d(p, t.hundredths);
    p = putDec(p, t.millis);
    *p++ = ',';
    return p;
}

// "##" for an error-marked LIN byte unless the hex option shows real values.
char* putLinByte(char* p, uint8_t v, bool masked) {
    if (masked) return putLiteral(p, "##");
    return putHex2(p, v);
}

// Positions 10-44 of a CAN row: identifier, type, DLC and data bytes.
char* putCanText(char* p, const CaptureRecord& r) {
    if (r.isExtended()) {
        p = putHex8(p, r.identifier());
    } else {
        p = putBlanks(p, 5);
        p = putHexMin(p, r.identifier() >> 18, 3);
    }
    *p++ = ' ';
    if (r.isRemote()) {
        p = putLiteral(p, "REMOTE ");
        p = put2d(p, r.dlc());
        return putBlanks(p, 17);
    }
    p = putLiteral(p, "DATA   ");
    p = put2d(p, r.dlc());
    *p++ = ' ';
    // All eight bytes, then blanks over the ones not received: no branch per byte. The row
    // buffer has room for the blanks that run past the field; later fields overwrite them.
    for (size_t i = 0; i < 8; ++i) putHex2(p + 2 * i, r.data(i));
    std::memcpy(p + 2 * r.canDataCount(), "                ", 16);
    return p + 16;
}

// "%02X," for each CAN data byte and "," for each missing one up to eight, without branches.
char* putCsvCanData(char* p, const CaptureRecord& r) {
    for (size_t i = 0; i < 8; ++i) {
        putHex2(p + 3 * i, r.data(i));
        p[3 * i + 2] = ',';
    }
    const size_t n = static_cast<size_t>(r.canDataCount());
    p += 3 * n;
    std::memcpy(p, ",,,,,,,,", 8);
    return p + (8 - n);
}

// Positions 10-18 of a LIN row: SB, SF and ID (or PID) as far as the record has them.
char* putLinHead(char* p, const CaptureRecord& r, bool hex) {
    const int8_t n = r.byteCount();
    if (r.frameInfo() == kLinBytesOnly) return putBlanks(p, 9);
    p = putHex2(p, r.sb());
    if (n == kLinOnlySb) return putBlanks(p, 7);
    if (n == kLinNoPid) {
        if (r.sfMarked() && !hex)
            p = putLiteral(p, "##-");
        else {
            p = putHex2(p, r.sf());
            *p++ = '-';
        }
        return putBlanks(p, 4);
    }
    p = putHex2(p, r.sf());
    *p++ = '-';
    if (r.idMarked() && !hex)
        p = putLiteral(p, "##");
    else
        p = putHex2(p, hex ? r.pid() : r.linId());
    return putBlanks(p, 2);
}

// Positions 19-51 of a LIN row.
char* putLinText(char* p, const RowContext& c, const CaptureRecord& r) {
    const int8_t n = r.byteCount();
    const int length = c.linLength[static_cast<size_t>(r.linChannelIndex())][r.linId()];
    if (n < 0) {
        char* const start = p;
        if (n == kLinNoDataAfterPid) {
            p = putLiteral(p, "FRAME");
            if (length >= 0) {
                p = putBlanks(p, 2);
                p = put2d(p, length);
            }
        } else {
            p = putLiteral(p, "ILLEGAL");
        }
        p = putBlanks(p, static_cast<size_t>(30 - (p - start)));
    } else {
        if (r.frameInfo() != kLinWithChecksum) {
            p = putBlanks(p, 10);
        } else if (length >= 0) {
            p = putLiteral(p, "FRAME  ");
            p = put2d(p, length);
            *p++ = ' ';
        } else {
            p = putLiteral(p, "FRAME     ");
        }
        const int count = r.linDataCount();
        for (int i = 0; i < count; ++i)
            p = putLinByte(p, r.data(static_cast<size_t>(i)), !c.hex && r.byteMarked(i));
        p = putBlanks(p, static_cast<size_t>(2 * (kShownDataBytes - count)) + 2);
        if (r.hasChecksum())
            p = putLinByte(p, r.checksum(), !c.hex && r.checksumMarked());
        else
            p = putBlanks(p, 2);
    }
    const char letter = r.statusLetter();
    p = putBlanks(p, 2);
    *p++ = letter != 0 ? letter : ' ';
    return p;
}

// EXT, and with analog inputs AI1..AI4 and DI1234, of a text row (from position 52).
char* putTextLines(char* p, const RowContext& c, const CaptureRecord& r) {
    p = putBlanks(p, 2);
    *p++ = r.extDigit();
    if (c.analog) {
        for (int i = 0; i < 4; ++i) {
            analogText(r.analog(i), p);
            p += 6;
        }
        p = putBlanks(p, 3);
        r.diDigits(p);
        p += 4;
    }
    return p;
}

char* formatTextRow(char* p, const RowContext& c, const CaptureRecord& r, uint32_t previousStamp, bool hasPrevious) {
    if (!c.deltaT)
        p = putTextTime(p, r.time());
    else if (hasPrevious)
        p = putTextTime(p, timeDifference(r.timeStamp(), previousStamp));
    else
        p = putLiteral(p, "------- ");
    const RecordKind kind = r.kind();
    if (kind == RecordKind::Overrun) return putLiteral(p, "  --OVERRUN--");
    if (kind == RecordKind::LostData) return putLiteral(p, "  --LOSTDATA--");
    *p++ = r.channelDigit();
    *p++ = ' ';
    if (c.tag == kTagMonc) {  // a CAN-only option: every frame is a CAN frame
        p = putCanText(p, r);
        return putLiteral(p, " G");
    }
    if (kind == RecordKind::Can) {
        p = putCanText(p, r);
        p = putLiteral(p, "      G");
    } else {
        p = putLinHead(p, r, c.hex);
        p = putLinText(p, c, r);
    }
    return putTextLines(p, c, r);
}

// CSV fields of "MDCL" rows are each followed by ","; the row drops the last one.
char* csvCanFields(char* p, const CaptureRecord& r) {
    p = putLiteral(p, ",,");  // SB, SF
    p = r.isExtended() ? putHex8(p, r.identifier()) : putHexMin(p, r.identifier() >> 18, 3);
    *p++ = ',';
    p = r.isRemote() ? putLiteral(p, "REMOTE,") : putLiteral(p, "DATA,");
    p = putDec(p, r.dlc());
    *p++ = ',';
    p = putCsvCanData(p, r);
    return putLiteral(p, ",G,");  // C, ST
}

char* csvLinFields(char* p, const RowContext& c, const CaptureRecord& r) {
    const int8_t n = r.byteCount();
    const bool bytesOnly = r.frameInfo() == kLinBytesOnly;
    if (!bytesOnly) p = putHex2(p, r.sb());
    *p++ = ',';
    if (!bytesOnly && n != kLinOnlySb) p = putLinByte(p, r.sf(), n == kLinNoPid && r.sfMarked() && !c.hex);
    *p++ = ',';
    if (!bytesOnly && n >= kLinNoDataAfterPid) p = putLinByte(p, c.hex ? r.pid() : r.linId(), r.idMarked() && !c.hex);
    *p++ = ',';
    const LinType type = r.linType();
    if (type == LinType::Frame)
        p = putLiteral(p, "FRAME,");
    else if (type == LinType::Illegal)
        p = putLiteral(p, "ILLEGAL,");
    else
        *p++ = ',';
    const int length = c.linLength[static_cast<size_t>(r.linChannelIndex())][r.linId()];
    if (type == LinType::Frame && length >= 0) p = putDec(p, length);
    *p++ = ',';
    const int count = r.linDataCount();
    for (int i = 0; i < count; ++i) {
        p = putLinByte(p, r.data(static_cast<size_t>(i)), !c.hex && r.byteMarked(i));
        *p++ = ',';
    }
    for (int i = count; i < kShownDataBytes; ++i) *p++ = ',';
    if (r.hasChecksum()) p = putLinByte(p, r.checksum(), !c.hex && r.checksumMarked());
    *p++ = ',';
    const char letter = r.statusLetter();
    if (letter != 0) *p++ = letter;
    *p++ = ',';
    return p;
}

char* formatCsvRow(char* p, const RowContext& c, const CaptureRecord& r, uint32_t previousStamp, bool hasPrevious) {
    p = putCsvTime(p, r.time());
    p = hasPrevious ? putCsvTime(p, timeDifference(r.timeStamp(), previousStamp)) : putLiteral(p, "-------,");
    const RecordKind kind = r.kind();
    if (kind == RecordKind::Overrun) return putLiteral(p, "--OVERRUN--");
    if (kind == RecordKind::LostData) return putLiteral(p, "--LOSTDATA--");
    *p++ = r.channelDigit();
    *p++ = ',';
    if (c.tag == kTagMonc) {
        p = r.isExtended() ? putHex8(p, r.identifier()) : putHexMin(p, r.identifier() >> 18, 3);
        *p++ = ',';
        if (r.isRemote()) {
            p = putLiteral(p, "REMOTE,");
            p = put2d(p, r.dlc());
            return putLiteral(p, ",,,,,,,,,G");
        }
        p = putLiteral(p, "DATA,");
        p = putDec(p, r.dlc());
        *p++ = ',';
        p = putCsvCanData(p, r);
        *p++ = 'G';
        return p;
    }
    p = kind == RecordKind::Can ? csvCanFields(p, r) : csvLinFields(p, c, r);
    *p++ = r.extDigit();
    *p++ = ',';
    if (r.trigger(c.tag)) *p++ = 'T';
    if (c.analog) {
        for (int i = 0; i < 4; ++i) {
            *p++ = ',';
            analogText(r.analog(i), p);
            p += 6;
        }
        *p++ = ',';
        r.diDigits(p);
        p += 4;
    }
    return p;
}

}  // namespace

RowContext RowContext::make(const CCapture& capture, const ConversionOptions& options) {
    return make(capture.recordTag(), capture.analogInputs(), capture.dataInfo(), options);
}

RowContext RowContext::make(uint32_t tag, uint8_t analogInputs, const DataInfoBlock& info,
                            const ConversionOptions& options) {
    RowContext c;
    c.tag = tag;
    c.analog = analogInputs == 1;
    c.hex = options.hex;
    c.csv = options.csv;
    c.deltaT = options.deltaT && !options.csv;
    for (int channel = 0; channel < 2; ++channel)
        for (uint8_t id = 0; id < 64; ++id)
            c.linLength[static_cast<size_t>(channel)][id] = static_cast<int8_t>(linTableLength(info, channel, id));
    return c;
}

char* formatRow(char* p, const RowContext& context, const CaptureRecord& r, uint32_t previousStamp, bool hasPrevious) {
    return context.csv ? formatCsvRow(p, context, r, previousStamp, hasPrevious)
                       : formatTextRow(p, context, r, previousStamp, hasPrevious);
}

const char* columnHeader(uint32_t tag, bool analog, bool csv) {
    if (tag == kTagMonc)
        return csv ? "TM,dT,CH,ID,TYPE,DLC,D0,D1,D2,D3,D4,D5,D6,D7,ST"
                   : "--TM---CH------ID--TYPE--DLC------DATA-------ST";
    if (csv)
        return analog ? "TM,dT,CH,SB,SF,ID,TYPE,DLC,D0,D1,D2,D3,D4,D5,D6,D7,C,ST,EXT,TRG,AI1,AI2,AI3,AI4,DI1234"
                      : "TM,dT,CH,SB,SF,ID,TYPE,DLC,D0,D1,D2,D3,D4,D5,D6,D7,C,ST,EXT,TRG";
    return analog ? "--TM---CH------ID--TYPE--DLC------DATA---------C--ST-EXT--AI1---AI2---AI3---AI4-DI1234"
                  : "--TM---CH------ID--TYPE--DLC------DATA---------C--ST-EXT";
}

}  // namespace zv
