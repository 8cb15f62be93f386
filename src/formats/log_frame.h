// What a capture record is in the logs of other CAN/LIN tools: a CAN frame, a LIN frame, an
// incomplete LIN transfer, a marker, or nothing. Every export format and the import of such
// logs go through this one mapping, so that a rule lives in one place.
#pragma once

#include <array>
#include <cstdint>

#include "capture/capture_record.h"
#include "setup/setup_rules.h"  // linProtectedId

namespace zv {

enum class LogEventKind : uint8_t {
    CanFrame,       // CAN data or remote frame
    LinFrame,       // LIN header with the protected identifier, and what followed it
    LinIncomplete,  // LIN transfer without a valid identifier (no PID, only SB, bytes only)
    Overrun,        // the analyzer's overrun marker
    LostData,       // records were lost before this one
    Unknown,        // a source byte the analyzer does not produce
};

// Why a LIN record counts as error-marked (several may apply).
namespace lin_error {
constexpr uint8_t kSyncField = 0x01;   // SF carries an error mark
constexpr uint8_t kIdentifier = 0x02;  // PID carries an error mark (parity)
constexpr uint8_t kDataByte = 0x04;    // a data byte carries an error mark
constexpr uint8_t kChecksum = 0x08;    // the checksum byte carries an error mark
constexpr uint8_t kNoResponse = 0x10;  // nothing followed the PID (byteCount -1)
constexpr uint8_t kErrorCode = 0x20;   // the status word carries an error code
}  // namespace lin_error

struct LogEvent {
    LogEventKind kind = LogEventKind::Unknown;
    uint8_t channel = 0;    // 1 or 2 (CAN and LIN records), 0 otherwise
    bool trigger = false;   // the record carries the trigger mark

    // CAN.
    bool extended = false;
    bool remote = false;
    uint8_t dlc = 0;        // 0-15 as received
    uint32_t id = 0;        // 11 or 29 bits

    // LIN.
    uint8_t pid = 0;        // protected identifier; id = pid & 0x3F
    bool hasChecksum = false;
    uint8_t checksum = 0;
    uint8_t linErrors = 0;  // lin_error bits; 0 for a clean frame
    char statusLetter = 0;  // the analyzer's status letter ('G', 'R', 'B', ...), 0 for none
    int8_t byteCount = 0;   // the record's byteCount (negative codes of incomplete transfers)

    // CAN data bytes, or LIN response bytes without the checksum.
    uint8_t dataCount = 0;  // 0-8
    std::array<uint8_t, 8> data{};
};

// The event of one record of a "MONC" or "MDCL" record area.
LogEvent logEventOf(const CaptureRecord& r, uint32_t recordTag);

// The record an event stands for, with the time stamp given (the inverse of logEventOf for
// CAN and LIN frames; for an importer of other tools' logs). Returns false for kinds a
// record cannot hold.
bool recordOf(const LogEvent& event, uint32_t timeStamp, CaptureRecordBytes& out);

// The LIN checksums of a response: classic (data only) and enhanced (PID and data).
uint8_t linClassicChecksum(const uint8_t* data, int count);
uint8_t linEnhancedChecksum(uint8_t pid, const uint8_t* data, int count);

}  // namespace zv
