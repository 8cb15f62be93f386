#include "capture/cell_text.h"

#include <algorithm>
#include <cstring>

#include "capture/text_digits.h"

namespace zv {
namespace {

using namespace text;

struct ColumnSpec {
    const char* title;
    int width;
};

constexpr ColumnSpec kCaptureColumns[kCaptureListColumns] = {
    {"Time", 60}, {"CH", 50},     {"SB", 30},     {"SF", 30},  {"ID", 60},  {"TYPE", 60}, {"DL", 30},  {"D0", 30},
    {"D1", 30},   {"D2", 30},     {"D3", 30},     {"D4", 30},  {"D5", 30},  {"D6", 30},   {"D7", 30},  {"C", 30},
    {"ST", 30},   {"EXT IN", 50}, {"TRG", 50},    {"AI1", 40}, {"AI2", 40}, {"AI3", 40},  {"AI4", 40}, {"DI", 40},
};

constexpr ColumnSpec kMonitorColumns[kMonitorListColumns] = {
    {"No", 30}, {"Time", 60}, {"CH", 50}, {"ID", 60}, {"TYPE", 60}, {"DL", 30}, {"D0", 30}, {"D1", 30},
    {"D2", 30}, {"D3", 30},   {"D4", 30}, {"D5", 30}, {"D6", 30},   {"D7", 30}, {"C", 30},
};

// Every cell fits in this many characters (a damaged time stamp prints 3-digit fields).
constexpr size_t kScratch = 48;

// "%02d:%02d:%02d%d".
char* putListTime(char* p, const TimeDigits& t) {
    p = put02d(p, t.minutes);
    *p++ = ':';
    p = put02d(p, t.seconds);
    *p++ = ':';
    p = put02d(p, t.hundredths);
    return putDec(p, t.millis);
}

// "%02X", or "(%02X)" when the field carries an error mark.
char* putMarkedHex(char* p, uint8_t v, bool marked) {
    if (!marked) return putHex2(p, v);
    *p++ = '(';
    p = putHex2(p, v);
    *p++ = ')';
    return p;
}

// "%02X [ %02X ]" of ID and PID, in parentheses when the identifier is marked.
char* putLinIdentifier(char* p, const CaptureRecord& r) {
    p = putMarkedHex(p, r.linId(), r.idMarked());
    p = putLiteral(p, " [ ");
    p = putHex2(p, r.pid());
    return putLiteral(p, " ]");
}

char* putCanIdentifier(char* p, const CaptureRecord& r) {
    return r.isExtended() ? putHex8(p, r.identifier()) : putHexMin(p, r.identifier() >> 18, 3);
}

char* putString(char* p, const char* s) {
    const size_t n = std::strlen(s);
    std::memcpy(p, s, n);
    return p + n;
}

const char* linTypeText(LinType t) {
    switch (t) {
        case LinType::Frame:
            return "FRAME";
        case LinType::Illegal:
            return "ILLEGAL";
        case LinType::None:
            break;
    }
    return "";
}

char* captureFrameCell(char* p, const CCapture& capture, const CaptureRecord& r, int column) {
    const bool lin = r.kind() == RecordKind::Lin;
    switch (column) {
        case 1:
            *p++ = r.channelDigit();
            return p;
        case 2:  // SB
            if (lin && r.frameInfo() != kLinBytesOnly) p = putHex2(p, r.sb());
            return p;
        case 3:  // SF
            if (lin && r.frameInfo() != kLinBytesOnly && r.byteCount() != kLinOnlySb)
                p = putMarkedHex(p, r.sf(), r.sfMarked());
            return p;
        case 4:  // ID
            if (!lin) return putCanIdentifier(p, r);
            if (r.frameInfo() != kLinBytesOnly && r.byteCount() >= kLinNoDataAfterPid) p = putLinIdentifier(p, r);
            return p;
        case 5:  // TYPE
            if (!lin) return putString(p, r.isRemote() ? "REMOTE" : "DATA");
            return putString(p, linTypeText(r.linType()));
        case 6: {  // DL
            if (!lin) return put2d(p, r.dlc());
            if (r.frameInfo() == kLinWithChecksum && r.byteCount() >= kLinNoDataAfterPid) {
                const int length = linTableLength(capture.dataInfo(), r.linChannelIndex(), r.linId());
                if (length >= 0) p = put2d(p, length);
            }
            return p;
        }
        case 15:  // C
            if (lin && r.hasChecksum()) p = putMarkedHex(p, r.checksum(), r.checksumMarked());
            return p;
        case 16: {  // ST
            const char letter = r.statusLetter();
            if (letter != 0) *p++ = letter;
            return p;
        }
        case 17:  // EXT IN
            if (capture.recordTag() == kTagMdcl) *p++ = r.extDigit();
            return p;
        case 18:  // TRG
            if (r.trigger(capture.recordTag())) *p++ = 'T';
            return p;
        case 19:
        case 20:
        case 21:
        case 22:  // AI1..AI4
            if (capture.analogInputs() == 1) {
                analogText(r.analog(column - 19), p);
                p += 6;
            }
            return p;
        case 23:  // DI
            if (capture.analogInputs() == 1) {
                r.diDigits(p);
                p += 4;
            }
            return p;
        default:
            break;
    }
    if (column >= 7 && column <= 14) {  // D0..D7
        const int i = column - 7;
        if (!lin) {
            if (i < r.canDataCount()) p = putHex2(p, r.data(static_cast<size_t>(i)));
        } else if (i < r.linDataCount()) {
            p = putMarkedHex(p, r.data(static_cast<size_t>(i)), r.byteMarked(i));
        }
    }
    return p;
}

size_t finish(const char* scratch, const char* end, char* out, size_t capacity) {
    if (capacity == 0) return 0;
    const size_t n = std::min(static_cast<size_t>(end - scratch), capacity - 1);
    std::memcpy(out, scratch, n);
    out[n] = '\0';
    return n;
}

}  // namespace

const char* captureColumnTitle(int column, TimeColumnMode mode) {
    if (column == 0) return mode == TimeColumnMode::Difference ? "deltaT" : "Time";
    return column > 0 && column < kCaptureListColumns ? kCaptureColumns[column].title : "";
}

int captureColumnWidth(int column) {
    return column >= 0 && column < kCaptureListColumns ? kCaptureColumns[column].width : 0;
}

const char* monitorColumnTitle(int column) {
    return column >= 0 && column < kMonitorListColumns ? kMonitorColumns[column].title : "";
}

int monitorColumnWidth(int column) {
    return column >= 0 && column < kMonitorListColumns ? kMonitorColumns[column].width : 0;
}

size_t captureCellText(const CCapture& capture, uint32_t row, int column, TimeColumnMode mode, char* out,
                       size_t capacity) {
    char scratch[kScratch];
    char* p = scratch;
    if (row < capture.count() && column >= 0 && column < kCaptureListColumns) {
        const CaptureRecord r = capture.record(row);
        if (column == 0) {
            if (mode == TimeColumnMode::Absolute)
                p = putListTime(p, r.time());
            else if (row == 0)
                p = putLiteral(p, " --:--:---");
            else
                p = putListTime(p, timeDifference(r.timeStamp(), capture.record(row - 1).timeStamp()));
        } else if (r.isMarker()) {
            if (column == 1) p = putString(p, r.kind() == RecordKind::Overrun ? "OVERRUN" : "LOSTDATA");
        } else {
            p = captureFrameCell(p, capture, r, column);
        }
    }
    return finish(scratch, p, out, capacity);
}

std::string captureCellText(const CCapture& capture, uint32_t row, int column, TimeColumnMode mode) {
    char buffer[kCellTextCapacity];
    const size_t n = captureCellText(capture, row, column, mode, buffer, sizeof buffer);
    return std::string(buffer, n);
}

size_t monitorCellText(int row, const CaptureRecord& r, int column, const DataInfoBlock& monitorInfo, char* out,
                       size_t capacity) {
    char scratch[kScratch];
    char* p = scratch;
    const bool lin = r.kind() == RecordKind::Lin;
    const bool linFrame = lin && r.frameInfo() == kLinWithChecksum;
    switch (column) {
        case 0:
            p = putHexMin(p, static_cast<uint32_t>(row), 1);
            break;
        case 1:
            p = putListTime(p, r.time());
            break;
        case 2:
            *p++ = r.channelDigit();
            break;
        case 3:
            if (!lin)
                p = putCanIdentifier(p, r);
            else if (r.frameInfo() != kLinBytesOnly && r.byteCount() >= kLinNoDataAfterPid)
                p = putLinIdentifier(p, r);
            break;
        case 4:
            p = putString(p, lin ? linTypeText(r.linType()) : (r.isRemote() ? "REMOTE" : "DATA"));
            break;
        case 5:
            if (!lin) {
                p = put2d(p, r.dlc());
            } else {
                const int length = linTableLength(monitorInfo, r.linChannelIndex(), r.linId());
                if (length >= 0) p = put2d(p, length);
            }
            break;
        case 14:
            if (linFrame && r.byteCount() >= 2) p = putMarkedHex(p, r.checksum(), r.checksumMarked());
            break;
        default:
            if (column >= 6 && column <= 13) {
                const int i = column - 6;
                if (!lin) {
                    if (i < r.canDataCount()) p = putHex2(p, r.data(static_cast<size_t>(i)));
                } else if (linFrame && i + 1 < r.byteCount() && i < kShownDataBytes) {
                    p = putMarkedHex(p, r.data(static_cast<size_t>(i)), r.byteMarked(i));
                }
            }
            break;
    }
    return finish(scratch, p, out, capacity);
}

std::string monitorCellText(int row, const CaptureRecord& record, int column, const DataInfoBlock& monitorInfo) {
    char buffer[kCellTextCapacity];
    const size_t n = monitorCellText(row, record, column, monitorInfo, buffer, sizeof buffer);
    return std::string(buffer, n);
}

const char* analyzerOptionText(uint32_t recordTag, uint8_t analogInputs) {
    if (recordTag == kTagMonc) return "EX-NB2A";
    if (recordTag == kTagMdcl) return analogInputs == 1 ? "EX-NB3BP" : "EX-NB2AP";
    return "EX-????";
}

std::string_view fileNameOnly(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {

std::string rowsText(uint64_t row, uint64_t last, std::string_view path, bool withName) {
    std::string s = std::to_string(row) + " / " + std::to_string(last);
    if (withName) {
        s += " [";
        s += fileNameOnly(path);
        s += "]";
    }
    return s;
}

}  // namespace

std::string loadedFileStatusText(const CCapture& capture, std::string_view path) {
    const uint32_t last = capture.count() > 0 ? capture.count() - 1 : 0;
    if (path.empty()) return capture.count() > 0 ? rowsText(last, last, path, false) : std::string();
    return rowsText(last, last, path, true);
}

std::string selectionStatusText(uint32_t selectedRow, uint32_t count, std::string_view path) {
    const uint32_t last = count > 0 ? count - 1 : 0;
    return rowsText(selectedRow, last, path, !path.empty());
}

std::string monitorStatusText(uint64_t bytesReceived, std::string_view lostDataFormat, uint64_t lostDataMarkers,
                              std::string_view fileCountFormat, uint64_t bufferFiles, std::string_view notWrittenFormat,
                              uint64_t recordsNotWritten) {
    std::string text = std::to_string(bytesReceived / kCaptureRecordSize) + " [ " +
                       formatWithNumber(lostDataFormat, lostDataMarkers) + " ] [ " +
                       formatWithNumber(fileCountFormat, bufferFiles) + " ]";
    if (recordsNotWritten > 0) text += " [ " + formatWithNumber(notWrittenFormat, recordsNotWritten) + " ]";
    return text;
}

std::string formatWithNumber(std::string_view format, uint64_t number) {
    std::string s;
    bool used = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            s += c;
            continue;
        }
        if (format[i + 1] == '%') {
            s += '%';
            ++i;
            continue;
        }
        // %[0][width][l]d|i|u
        size_t j = i + 1;
        const bool zeroPad = j < format.size() && format[j] == '0';
        int width = 0;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9' && width < 100)
            width = width * 10 + (format[j++] - '0');
        if (j < format.size() && format[j] == 'l') ++j;
        if (!used && j < format.size() && (format[j] == 'd' || format[j] == 'i' || format[j] == 'u')) {
            std::string digits = std::to_string(number);
            if (static_cast<size_t>(width) > digits.size()) s.append(static_cast<size_t>(width) - digits.size(), zeroPad ? '0' : ' ');
            s += digits;
            used = true;
            i = j;
            continue;
        }
        s += c;  // anything else stays as it is
    }
    return s;
}

}  // namespace zv
