// The rows of the text and CSV conversion: one line per capture record, in the fixed layouts
// of "MONC" and "MDCL" files. Formatting is hand-written (no printf in the loop); the result
// equals what the printf formats of the layout give, for damaged records too.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "capture/capture.h"
#include "capture/capture_record.h"

namespace zv {

// One set per conversion job.
struct ConversionOptions {
    int channelSelection = 0;  // 0 "CH1&CH2", 1 "CH1" (sources 2 and 4 left out), 2 "CH2"
    bool hex = false;          // real values of error-marked LIN fields, PID instead of ID
    bool csv = false;
    bool deltaT = false;       // text only: TM is the difference to the previous record
};

// Whether a record is written under the channel selection; markers always are.
inline bool channelSelected(uint8_t source, int channelSelection) {
    if (channelSelection == 1) return source != kSourceCan2 && source != kSourceLin2;
    if (channelSelection == 2) return source != kSourceCan1 && source != kSourceLin1;
    return true;
}

// What a row depends on besides the record: the file and the options, decoded once.
struct RowContext {
    uint32_t tag = kTagMdcl;
    bool analog = false;  // the file's analog-input flag is 1
    bool hex = false;
    bool csv = false;
    bool deltaT = false;
    // The LIN data length per channel and ID, -1 when the channel's useIdTable is not 1.
    std::array<std::array<int8_t, 64>, 2> linLength{};

    static RowContext make(const CCapture& capture, const ConversionOptions& options);
    static RowContext make(uint32_t tag, uint8_t analogInputs, const DataInfoBlock& info, const ConversionOptions& options);
};

// The longest row any record can give (damaged time stamps print wider fields).
constexpr size_t kMaxRowLength = 256;

// Writes the row of record r (without the line end) at p and returns its end. previousStamp is
// the time stamp of the record before it in the file, when hasPrevious.
char* formatRow(char* p, const RowContext& context, const CaptureRecord& r, uint32_t previousStamp, bool hasPrevious);

// The column header line of a file with records (without the line end).
const char* columnHeader(uint32_t tag, bool analog, bool csv);

}  // namespace zv
