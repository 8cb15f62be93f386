#include "emulator/capture_memory.h"

#include <algorithm>
#include <cstring>

#include "base/bytes.h"
#include "emulator/traffic.h"
#include "zvlkrmt/protocol/wire.h"

namespace zv::emu {

void CaptureMemory::clear() {
    head_ = 0;
    size_ = 0;
    seen_ = 0;
}

void CaptureMemory::append(const uint8_t* records, size_t bytes) {
    if (bytes == 0) return;
    if (ring_.empty()) ring_.resize(kCaptureCapacity);
    seen_ += bytes / kRecordSize;
    if (bytes >= kCaptureCapacity) {
        records += bytes - kCaptureCapacity;
        bytes = kCaptureCapacity;
    }
    const size_t first = std::min(bytes, kCaptureCapacity - head_);
    std::memcpy(ring_.data() + head_, records, first);
    std::memcpy(ring_.data(), records + first, bytes - first);
    head_ = (head_ + bytes) % kCaptureCapacity;
    size_ = std::min(kCaptureCapacity, size_ + bytes);
}

std::vector<uint8_t> CaptureMemory::snapshot() const {
    std::vector<uint8_t> out(size_);
    if (size_ == 0) return out;
    const size_t start = (head_ + kCaptureCapacity - size_) % kCaptureCapacity;
    const size_t first = std::min(size_, kCaptureCapacity - start);
    std::memcpy(out.data(), ring_.data() + start, first);
    std::memcpy(out.data() + first, ring_.data(), size_ - first);
    return out;
}

std::vector<uint8_t> dataInfoChunk(const DataInfoBlock& info) {
    const uint32_t size = info.size();
    std::vector<uint8_t> b(8 + size);
    putU32(b.data(), 0, kTagDataInfo);
    putU32(b.data(), 4, size);
    std::memcpy(b.data() + 8, info.data(), size);
    return b;
}

UploadBlocks composeUpload(const DataInfoBlock& info, bool canOnly, const MeasurementInfo& m,
                           std::vector<uint8_t> records) {
    UploadBlocks u;
    u.dataInfo = dataInfoChunk(info);
    records.resize(records.size() / kRecordSize * kRecordSize);
    const auto count = static_cast<uint32_t>(records.size() / kRecordSize);

    u.recordHead.resize(8 + 84 + 8);
    uint8_t* h = u.recordHead.data();
    putU32(h, 0, fourCC("INFO"));
    putU32(h, 4, 84);
    putU32(h, 8, m.boardType);
    putU32(h, 12, m.exBoardCode);
    std::memcpy(h + 16, m.serial, 16);
    std::memcpy(h + 32, m.firmware, 16);
    for (size_t i = 0; i < 8; ++i) putU16(h, 48 + 2 * i, m.start[i]);
    for (size_t i = 0; i < 8; ++i) putU16(h, 64 + 2 * i, m.end[i]);
    putU32(h, 80, count);
    putU32(h, 84, m.endReason);
    putU32(h, 88, m.overruns);
    putU32(h, 92, canOnly ? fourCC("MONC") : fourCC("MDCL"));
    putU32(h, 96, static_cast<uint32_t>(records.size()));

    u.trailer.resize(16);
    putU32(u.trailer.data(), 0, fourCC("MEND"));
    putU32(u.trailer.data(), 4, 8);
    putU32(u.trailer.data(), 8, count);
    putU32(u.trailer.data(), 12, remote::crc32(records.data(), records.size()));
    u.records = std::move(records);
    return u;
}

}  // namespace zv::emu
