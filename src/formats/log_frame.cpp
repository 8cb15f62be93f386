#include "formats/log_frame.h"

namespace zv {

LogEvent logEventOf(const CaptureRecord& r, uint32_t recordTag) {
    LogEvent e;
    const uint8_t source = r.source();
    switch (source) {
        case kSourceOverrun:
            e.kind = LogEventKind::Overrun;
            return e;
        case kSourceLostData:
            e.kind = LogEventKind::LostData;
            return e;
        case kSourceCan1:
        case kSourceCan2:
        case kSourceLin1:
        case kSourceLin2:
            break;
        default:
            e.kind = LogEventKind::Unknown;
            return e;
    }
    e.channel = static_cast<uint8_t>(r.channelDigit() - '0');
    e.trigger = r.trigger(recordTag);
    if (r.kind() == RecordKind::Can) {
        e.kind = LogEventKind::CanFrame;
        e.extended = r.isExtended();
        e.remote = r.isRemote();
        e.dlc = static_cast<uint8_t>(r.dlc());
        // Only the identifier's own bits: 29 of an extended word, bits 18-28 of a standard one.
        e.id = e.extended ? r.identifier() & 0x1FFFFFFFu : (r.identifier() >> 18) & 0x7FFu;
        e.dataCount = static_cast<uint8_t>(r.canDataCount());
        for (int i = 0; i < e.dataCount; ++i) e.data[static_cast<size_t>(i)] = r.data(static_cast<size_t>(i));
        return e;
    }

    const int8_t n = r.byteCount();
    e.byteCount = n;
    e.statusLetter = r.statusLetter();
    const uint16_t status = r.status();
    if (r.frameInfo() == kLinBytesOnly || n < kLinNoDataAfterPid) {
        // No valid PID: SB and SF only, SB only, an illegal frame, or received bytes alone.
        e.kind = LogEventKind::LinIncomplete;
        e.linErrors = static_cast<uint8_t>((status & 0x0001) ? lin_error::kSyncField : 0);
        if (r.frameInfo() == kLinBytesOnly && n > 0) {
            e.dataCount = static_cast<uint8_t>(r.linDataCount());
            for (int i = 0; i < e.dataCount; ++i) e.data[static_cast<size_t>(i)] = r.data(static_cast<size_t>(i));
        }
        if ((status >> 11) != 0) e.linErrors |= lin_error::kErrorCode;
        return e;
    }
    e.kind = LogEventKind::LinFrame;
    e.pid = r.pid();
    e.id = r.linId();
    e.dataCount = static_cast<uint8_t>(r.linDataCount());
    for (int i = 0; i < e.dataCount; ++i) e.data[static_cast<size_t>(i)] = r.data(static_cast<size_t>(i));
    e.hasChecksum = r.hasChecksum();
    if (e.hasChecksum) e.checksum = r.checksum();
    uint8_t errors = 0;
    if (r.sfMarked()) errors |= lin_error::kSyncField;
    if (r.idMarked()) errors |= lin_error::kIdentifier;
    for (int i = 0; i < e.dataCount; ++i)
        if (r.byteMarked(i)) errors |= lin_error::kDataByte;
    if (e.hasChecksum && r.checksumMarked()) errors |= lin_error::kChecksum;
    if (n == kLinNoDataAfterPid) errors |= lin_error::kNoResponse;
    if ((status >> 11) != 0) errors |= lin_error::kErrorCode;
    e.linErrors = errors;
    return e;
}

bool recordOf(const LogEvent& e, uint32_t timeStamp, CaptureRecordBytes& out) {
    out.fill(0);
    uint8_t* p = out.data();
    putU32(p, record_field::kTimeStamp, timeStamp);
    const size_t count = e.dataCount > 8 ? 8 : e.dataCount;
    if (e.kind == LogEventKind::CanFrame && (e.channel == 1 || e.channel == 2)) {
        p[record_field::kSource] = e.channel;
        p[record_field::kByteCount] = static_cast<uint8_t>(e.remote ? 0 : count);
        p[record_field::kFrameInfo] =
            static_cast<uint8_t>((e.extended ? 0x80 : 0) | (e.remote ? 0x40 : 0) | (e.dlc & 0x0F));
        putU32(p, record_field::kIdentifier, e.extended ? e.id & 0x1FFFFFFFu : (e.id & 0x7FFu) << 18);
        for (size_t i = 0; i < count && !e.remote; ++i) p[record_field::kData + i] = e.data[i];
        return true;
    }
    if (e.kind == LogEventKind::LinFrame && (e.channel == 1 || e.channel == 2)) {
        p[record_field::kSource] = static_cast<uint8_t>(e.channel + 2);
        p[record_field::kIdentifier + 1] = e.pid;
        p[record_field::kIdentifier + 2] = 0x55;  // the sync field's value
        for (size_t i = 0; i < count; ++i) p[record_field::kData + i] = e.data[i];
        if (count == 0 && !e.hasChecksum) {
            p[record_field::kByteCount] = static_cast<uint8_t>(kLinNoDataAfterPid);
        } else {
            p[record_field::kByteCount] = static_cast<uint8_t>(count + (e.hasChecksum ? 1 : 0));
            p[record_field::kFrameInfo] = e.hasChecksum ? kLinWithChecksum : 1;
            if (e.hasChecksum) p[record_field::kData + count] = e.checksum;
        }
        return true;
    }
    return false;
}

uint8_t linClassicChecksum(const uint8_t* data, int count) {
    unsigned sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += data[i];
        if (sum > 0xFF) sum -= 0xFF;  // carry added back in
    }
    return static_cast<uint8_t>(~sum);
}

uint8_t linEnhancedChecksum(uint8_t pid, const uint8_t* data, int count) {
    unsigned sum = pid;
    for (int i = 0; i < count; ++i) {
        sum += data[i];
        if (sum > 0xFF) sum -= 0xFF;
    }
    return static_cast<uint8_t>(~sum);
}

}  // namespace zv
