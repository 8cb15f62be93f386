// The analyzer's capture memory (the records of the last measurement, at most 12 MiB; when it
// is full the oldest records give way) and the four blocks an upload delivers.
#pragma once

#include <cstdint>
#include <vector>

#include "setup/data_info.h"

namespace zv::emu {

constexpr size_t kCaptureCapacity = 12u << 20;

class CaptureMemory {
public:
    void clear();
    void append(const uint8_t* records, size_t bytes);  // whole records
    size_t bytes() const { return size_; }
    uint64_t recordsSeen() const { return seen_; }
    std::vector<uint8_t> snapshot() const;  // oldest record first

private:
    std::vector<uint8_t> ring_;
    size_t head_ = 0;  // where the next byte goes
    size_t size_ = 0;
    uint64_t seen_ = 0;
};

struct MeasurementInfo {
    uint32_t boardType = 0;
    uint32_t exBoardCode = 0;
    char serial[16] = {};
    char firmware[16] = {};
    uint16_t start[8] = {};  // date and time as the set-clock request carries it
    uint16_t end[8] = {};
    uint32_t endReason = 0;
    uint32_t overruns = 0;
};

// The upload blocks. Following 16 placeholder bytes in the order 0x8100, 0x8102, 0x8101,
// 0x8103 they make a data file: "DINF" chunk; an "INFO" chunk (analyzer and measurement)
// followed by the head of the record chunk ("MDCL" or "MONC" and its length); the records; an
// "MEND" chunk (record count and CRC-32 of the records).
struct UploadBlocks {
    std::vector<uint8_t> dataInfo;    // 0x8100
    std::vector<uint8_t> recordHead;  // 0x8102
    std::vector<uint8_t> records;     // 0x8101
    std::vector<uint8_t> trailer;     // 0x8103
};

UploadBlocks composeUpload(const DataInfoBlock& info, bool canOnly, const MeasurementInfo& m,
                           std::vector<uint8_t> records);
// The "DINF" chunk alone (block 0x8100, also the monitor information).
std::vector<uint8_t> dataInfoChunk(const DataInfoBlock& info);

}  // namespace zv::emu
