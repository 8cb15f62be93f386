// The 32-byte capture record as the analyzer delivers it and data files store it, and every
// value the views and the conversion derive from it. All consumers (capture list, monitor
// list, text and CSV conversion) decode through this one class, so a rule lives in one place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/bytes.h"
#include "setup/data_info.h"

namespace zv {

constexpr size_t kCaptureRecordSize = 32;

// Record chunks of a data file.
constexpr uint32_t kTagMonc = fourCC("MONC");  // CAN-only option
constexpr uint32_t kTagMdcl = fourCC("MDCL");  // CAN/LIN option

constexpr uint8_t kSourceCan1 = 1;
constexpr uint8_t kSourceCan2 = 2;
constexpr uint8_t kSourceLin1 = 3;
constexpr uint8_t kSourceLin2 = 4;
constexpr uint8_t kSourceOverrun = 0x40;
constexpr uint8_t kSourceLostData = 0x41;

// Field offsets inside a record.
namespace record_field {
constexpr size_t kSource = 0;
constexpr size_t kLines = 1;
constexpr size_t kStatus = 2;
constexpr size_t kTimeStamp = 4;
constexpr size_t kAnalog1 = 8;
constexpr size_t kByteCount = 10;
constexpr size_t kFrameInfo = 11;
constexpr size_t kIdentifier = 12;
constexpr size_t kData = 16;  // 10 bytes
constexpr size_t kAnalog2 = 26;
constexpr size_t kAnalog3 = 28;
constexpr size_t kAnalog4 = 30;
}  // namespace record_field

constexpr size_t kRecordDataBytes = 10;  // the data area of a record
constexpr int kShownDataBytes = 8;       // D0..D7

// Storage for one record (watch slots, lost-data markers made on the PC).
using CaptureRecordBytes = std::array<uint8_t, kCaptureRecordSize>;

// How a record is shown. Source bytes other than 1-4, 0x40 and 0x41 are not produced by the
// analyzer; they are shown as CAN records on channel "?".
enum class RecordKind : uint8_t { Can, Lin, Overrun, LostData };

// Minutes, seconds, hundredths and the millisecond digit of a time stamp or of a difference.
// Valid stamps give 0-59, 0-59, 0-99 and 0-9; damaged ones are passed on as they are.
struct TimeDigits {
    int minutes = 0;
    int seconds = 0;
    int hundredths = 0;
    int millis = 0;
    bool operator==(const TimeDigits&) const = default;
};

inline TimeDigits absoluteTime(uint32_t timeStamp);
// Difference of two stamps, digit by digit with borrow from the millisecond digit upwards; the
// borrow out of the minutes is dropped, so the result wraps at the hour.
inline TimeDigits timeDifference(uint32_t current, uint32_t previous);

enum class LinType : uint8_t { None, Frame, Illegal };

// Where a record's cells stop: the analyzer's LIN codes for a frame that ended early.
constexpr int8_t kLinNoDataAfterPid = -1;  // SB, SF and PID valid
constexpr int8_t kLinNoPid = -2;           // SB and SF valid
constexpr int8_t kLinOnlySb = -3;          // SB valid

// frameInfo of LIN records.
constexpr uint8_t kLinWithChecksum = 0;
constexpr uint8_t kLinBytesOnly = 2;  // no valid SB, SF and PID

// A read-only view of 32 record bytes; the bytes must outlive the view.
class CaptureRecord {
public:
    explicit CaptureRecord(const uint8_t* bytes) : p_(bytes) {}
    explicit CaptureRecord(const CaptureRecordBytes& bytes) : p_(bytes.data()) {}

    const uint8_t* bytes() const { return p_; }

    // Raw fields.
    uint8_t source() const { return getU8(p_, record_field::kSource); }
    uint8_t lines() const { return getU8(p_, record_field::kLines); }
    uint16_t status() const { return getU16(p_, record_field::kStatus); }
    uint32_t timeStamp() const { return getU32(p_, record_field::kTimeStamp); }
    int8_t byteCount() const { return static_cast<int8_t>(getU8(p_, record_field::kByteCount)); }
    uint8_t frameInfo() const { return getU8(p_, record_field::kFrameInfo); }
    uint32_t identifier() const { return getU32(p_, record_field::kIdentifier); }
    // Byte i (0-9) of the data area.
    uint8_t data(size_t i) const { return getU8(p_, record_field::kData + i); }
    // AI1..AI4 for index 0..3, in 10 mV.
    int16_t analog(int index) const;

    RecordKind kind() const;
    bool isMarker() const { return kind() == RecordKind::Overrun || kind() == RecordKind::LostData; }
    // '1' or '2' for CAN (source) and LIN (source - 2) records, '?' for any other source.
    char channelDigit() const;
    // 0 or 1 for LIN records: which LinChannel of the data-information block applies.
    int linChannelIndex() const { return source() == kSourceLin2 ? 1 : 0; }
    TimeDigits time() const { return absoluteTime(timeStamp()); }

    // CAN.
    bool isExtended() const { return (frameInfo() & 0x80) != 0; }
    bool isRemote() const { return (frameInfo() & 0x40) != 0; }
    int dlc() const { return frameInfo() & 0x0F; }
    // The identifier as shown: the whole word (extended) or word >> 18 (standard).
    uint32_t canIdentifier() const { return isExtended() ? identifier() : identifier() >> 18; }
    // Data bytes shown, 0..8: byteCount clamped, none for remote frames.
    int canDataCount() const;

    // LIN.
    uint8_t sb() const { return getU8(p_, 15); }
    uint8_t sf() const { return getU8(p_, 14); }
    uint8_t pid() const { return getU8(p_, 13); }
    uint8_t linId() const { return static_cast<uint8_t>(pid() & 0x3F); }
    LinType linType() const;
    // Data bytes shown, 0..8 (n of the decoding rules, limited to the eight data columns).
    int linDataCount() const;
    bool hasChecksum() const { return frameInfo() == kLinWithChecksum && byteCount() > 0; }
    // The checksum byte: data[byteCount - 1]. Counts beyond the record's ten data bytes are
    // clamped to the last one so that a damaged record never reads past itself.
    uint8_t checksum() const { return data(checksumIndex()); }
    bool sfMarked() const { return (status() & 0x0001) != 0; }
    bool idMarked() const { return (status() & 0x0002) != 0; }
    // Error mark of received byte i (data or checksum, status bits 2-10).
    bool byteMarked(int i) const { return i >= 0 && i <= 8 && ((status() >> (2 + i)) & 1) != 0; }
    bool checksumMarked() const { return byteMarked(static_cast<int>(checksumIndex())); }
    // The status letter ('G', 'R', 'B', 'S', 'P', 'C', 'L', 'O', 'E'), or 0 for none. CAN
    // records always give 'G'.
    char statusLetter() const;

    // External lines (MDCL records).
    char extDigit() const { return (lines() & 0x10) != 0 ? '1' : '0'; }
    // The trigger mark: lines bit 7 in MDCL files, status bit 7 in MONC files.
    bool trigger(uint32_t recordTag) const;
    // DI1234: lines bits 4, 3, 2, 1 as four '0'/'1' characters.
    void diDigits(char out[4]) const;

private:
    size_t checksumIndex() const;
    const uint8_t* p_;
};

// The 6-character analog text of a value in 10 mV ("   0.0", "  +1.6", " -12.3", " +99.9").
inline void analogText(int16_t value, char out[6]);

// The LIN data length shown next to "FRAME": the low four bits of the identifier's dataLength
// when the channel's useIdTable is 1, else -1 (nothing shown). `info` is an 812-byte block.
int linTableLength(const DataInfoBlock& info, int linChannel, uint8_t id);

// Offsets inside the LinChannel record.
namespace lin_channel_field {
constexpr size_t kBitRate = 4;
constexpr size_t kUseIdTable = 8;
constexpr size_t kIdTable = 24;                // LinIdTable: size word, then 64 entries
constexpr size_t kFirstEntry = kIdTable + 4;   // LinIdEntry of ID 0; 4 bytes each
}  // namespace lin_channel_field

// Offsets inside the CanChannel record.
namespace can_channel_field {
constexpr size_t kBitRateCode = 4;
constexpr size_t kBaseFrequency = 8;
constexpr size_t kPts = 12;
constexpr size_t kPbs1 = 13;
constexpr size_t kPbs2 = 14;
constexpr size_t kSjw = 15;
}  // namespace can_channel_field

// Definitions of the decoders used for every record of a conversion, kept inline for speed.

inline TimeDigits absoluteTime(uint32_t timeStamp) {
    TimeDigits t;
    t.minutes = static_cast<int>(timeStamp >> 24);
    t.seconds = static_cast<int>((timeStamp >> 16) & 0xFF);
    t.hundredths = static_cast<int>((timeStamp >> 8) & 0xFF);
    t.millis = static_cast<int>(timeStamp & 0xFF) / 5;  // steps of 0.2 ms
    return t;
}

inline TimeDigits timeDifference(uint32_t current, uint32_t previous) {
    const TimeDigits c = absoluteTime(current);
    const TimeDigits p = absoluteTime(previous);
    // Digit by digit with borrow, written without branches (the borrow is 0 or 1).
    TimeDigits d;
    d.millis = c.millis - p.millis;
    int borrow = d.millis < 0;
    d.millis += 10 * borrow;
    d.hundredths = c.hundredths - p.hundredths - borrow;
    borrow = d.hundredths < 0;
    d.hundredths += 100 * borrow;
    d.seconds = c.seconds - p.seconds - borrow;
    borrow = d.seconds < 0;
    d.seconds += 60 * borrow;
    d.minutes = c.minutes - p.minutes - borrow;
    d.minutes += 60 * (d.minutes < 0);  // the borrow out of the minutes is dropped
    return d;
}

inline int16_t CaptureRecord::analog(int index) const {
    // AI1 at 8, AI2..AI4 at 26, 28, 30.
    const size_t offset = index == 0 ? record_field::kAnalog1 : record_field::kAnalog2 + 2u * static_cast<size_t>((index - 1) & 3);
    return static_cast<int16_t>(getU16(p_, offset));
}

inline RecordKind CaptureRecord::kind() const {
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

inline char CaptureRecord::channelDigit() const {
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

inline int CaptureRecord::canDataCount() const {
    if (isRemote()) return 0;
    const int n = byteCount();
    return n < 0 ? 0 : n > kShownDataBytes ? kShownDataBytes : n;
}

inline LinType CaptureRecord::linType() const {
    const int8_t n = byteCount();
    if (n == kLinNoDataAfterPid) return LinType::Frame;
    if (n < 0) return LinType::Illegal;
    return frameInfo() == kLinWithChecksum ? LinType::Frame : LinType::None;
}

inline int CaptureRecord::linDataCount() const {
    const int n = byteCount();
    if (n < 0) return 0;
    const int received = n < static_cast<int>(kRecordDataBytes) ? n : static_cast<int>(kRecordDataBytes);
    const int dataBytes = frameInfo() == kLinWithChecksum ? received - 1 : received;
    return dataBytes < 0 ? 0 : dataBytes > kShownDataBytes ? kShownDataBytes : dataBytes;
}

inline size_t CaptureRecord::checksumIndex() const {
    const int n = byteCount();
    return n < 1 ? 0 : n > static_cast<int>(kRecordDataBytes) ? kRecordDataBytes - 1 : static_cast<size_t>(n - 1);
}

inline char CaptureRecord::statusLetter() const {
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

inline bool CaptureRecord::trigger(uint32_t recordTag) const {
    if (recordTag == kTagMonc) return (status() & 0x80) != 0;
    return (lines() & 0x80) != 0;
}

inline void CaptureRecord::diDigits(char out[4]) const {
    const unsigned l = lines();
    out[0] = static_cast<char>('0' + ((l >> 4) & 1));
    out[1] = static_cast<char>('0' + ((l >> 3) & 1));
    out[2] = static_cast<char>('0' + ((l >> 2) & 1));
    out[3] = static_cast<char>('0' + ((l >> 1) & 1));
}

// The texts of every tenth of a volt from -99.9 to +99.9 (index t + 999, six characters each).
extern const std::array<char, 1999 * 6> kAnalogTexts;

inline void analogText(int16_t value, char out[6]) {
    // Tenths of a volt rounded half up by integer division; beyond 99.9 V the text stays at 99.9.
    int t = (value + 10005) / 10 - 1000;
    t = t < -999 ? -999 : t > 999 ? 999 : t;
    std::memcpy(out, &kAnalogTexts[static_cast<size_t>(t + 999) * 6], 6);
}

}  // namespace zv
