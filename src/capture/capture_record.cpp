#include "capture/capture_record.h"

#include <algorithm>

namespace zv {

TimeDigits absoluteTime(uint32_t timeStamp) {
    TimeDigits t;
    t.minutes = static_cast<int>(timeStamp >> 24);
    t.seconds = static_cast<int>((timeStamp >> 16) & 0xFF);
    t.hundredths = static_cast<int>((timeStamp >> 8) & 0xFF);
    t.millis = static_cast<int>(timeStamp & 0xFF) / 5;  // steps of 0.2 ms
    return t;
}

TimeDigits timeDifference(uint32_t current, uint32_t previous) {
    const TimeDigits c = absoluteTime(current);
    const TimeDigits p = absoluteTime(previous);
    TimeDigits d;
    int borrow = 0;
    d.millis = c.millis - p.millis;
    if (d.millis < 0) {
        d.millis += 10;
        borrow = 1;
    }
    d.hundredths = c.hundredths - p.hundredths - borrow;
    borrow = 0;
    if (d.hundredths < 0) {
        d.hundredths += 100;
        borrow = 1;
    }
    d.seconds = c.seconds - p.seconds - borrow;
    borrow = 0;
    if (d.seconds < 0) {
        d.seconds += 60;
        borrow = 1;
    }
    d.minutes = c.minutes - p.minutes - borrow;
    if (d.minutes < 0) d.minutes += 60;  // the hour is not kept
    return d;
}

int16_t CaptureRecord::analog(int index) const {
    static constexpr size_t kOffsets[4] = {record_field::kAnalog1, record_field::kAnalog2, record_field::kAnalog3,
                                           record_field::kAnalog4};
    return static_cast<int16_t>(getU16(p_, kOffsets[index & 3]));
}

RecordKind CaptureRecord::kind() const {
    switch (source()) {
        case kSourceLin1:
        case kSourceLin2:
            return RecordKind::Lin;
        case kSourceOverrun:
            return RecordKind::Overrun;
        case kSourceLostData:
            return RecordKind::LostData;
        default:
            return RecordKind::Can;
    }
}

char CaptureRecord::channelDigit() const {
    switch (source()) {
        case kSourceCan1:
        case kSourceLin1:
            return '1';
        case kSourceCan2:
        case kSourceLin2:
            return '2';
        default:
            return '?';
    }
}

int CaptureRecord::canDataCount() const {
    if (isRemote()) return 0;
    return std::clamp(static_cast<int>(byteCount()), 0, kShownDataBytes);
}

LinType CaptureRecord::linType() const {
    const int8_t n = byteCount();
    if (n == kLinNoDataAfterPid) return LinType::Frame;
    if (n < 0) return LinType::Illegal;
    return frameInfo() == kLinWithChecksum ? LinType::Frame : LinType::None;
}

int CaptureRecord::linDataCount() const {
    const int n = byteCount();
    if (n < 0) return 0;
    const int received = std::min(n, static_cast<int>(kRecordDataBytes));
    const int dataBytes = frameInfo() == kLinWithChecksum ? received - 1 : received;
    return std::clamp(dataBytes, 0, kShownDataBytes);
}

size_t CaptureRecord::checksumIndex() const {
    const int n = std::clamp(static_cast<int>(byteCount()), 1, static_cast<int>(kRecordDataBytes));
    return static_cast<size_t>(n - 1);
}

char CaptureRecord::statusLetter() const {
    switch (kind()) {
        case RecordKind::Overrun:
        case RecordKind::LostData:
            return 0;
        case RecordKind::Can:
            return 'G';
        case RecordKind::Lin:
            break;
    }
    const uint16_t s = status();
    const uint8_t fi = frameInfo();
    const int8_t n = byteCount();
    if ((fi != 0 && s == 0) || fi == kLinBytesOnly) return 0;
    if (n < 0 && (s == 0 || (s >> 11) == 16)) return n == kLinNoDataAfterPid ? 'R' : 0;
    if (s == 0) return 'G';
    if (s < 2048) return 'E';  // marks without an error code
    switch (s >> 11) {
        case 1:
            return 'B';
        case 2:
            return 'S';
        case 4:
            return 'P';
        case 8:
            return 'C';
        case 16:
            return 'L';
        case 31:
            return 'O';
        default:
            return 'E';
    }
}

bool CaptureRecord::trigger(uint32_t recordTag) const {
    if (recordTag == kTagMonc) return (status() & 0x80) != 0;
    return (lines() & 0x80) != 0;
}

void CaptureRecord::diDigits(char out[4]) const {
    const uint8_t l = lines();
    out[0] = (l & 0x10) ? '1' : '0';
    out[1] = (l & 0x08) ? '1' : '0';
    out[2] = (l & 0x04) ? '1' : '0';
    out[3] = (l & 0x02) ? '1' : '0';
}

void analogText(int16_t value, char out[6]) {
    // Tenths of a volt, rounded half up: integer division as the analyzer's own display does.
    const int t = (value + 10005) / 10 - 1000;
    if (t == 0) {
        out[0] = out[1] = out[2] = ' ';
        out[3] = '0';
        out[4] = '.';
        out[5] = '0';
        return;
    }
    const char sign = t > 0 ? '+' : '-';
    int m = t > 0 ? t : -t;
    if (m > 999) m = 999;
    char* p = out;
    *p++ = ' ';
    if (m < 100) *p++ = ' ';
    *p++ = sign;
    if (m >= 100) *p++ = static_cast<char>('0' + m / 100);
    *p++ = static_cast<char>('0' + (m / 10) % 10);
    *p++ = '.';
    *p = static_cast<char>('0' + m % 10);
}

int linTableLength(const DataInfoBlock& info, int linChannel, uint8_t id) {
    if (info.size() != kDataInfoSizeDual) return -1;  // the CAN-only form has no LIN channels
    const uint8_t* channel = info.linChannel(linChannel);
    if (getU8(channel, lin_channel_field::kUseIdTable) != 1) return -1;
    return getU8(channel, lin_channel_field::kFirstEntry + 4u * (id & 0x3Fu)) & 0x0F;
}

}  // namespace zv
