// The writer of one export format, driven record by record by exportCapture (export.cpp).
#pragma once

#include <cstdint>
#include <memory>

#include "formats/byte_out.h"
#include "formats/export.h"
#include "formats/log_frame.h"

namespace zv {

class FormatWriter {
public:
    FormatWriter(ByteOut& out, ExportCounts& counts) : out_(out), counts_(counts) {}
    virtual ~FormatWriter() = default;
    FormatWriter(const FormatWriter&) = delete;
    FormatWriter& operator=(const FormatWriter&) = delete;

    virtual void begin(const ExportSettings& settings) = 0;
    // One record of the selected channels; ticks is its monotonic time (0.2 ms steps).
    virtual void record(const LogEvent& event, uint64_t ticks) = 0;
    // After the last record; spanTicks is the time of the last record.
    virtual void end(uint64_t spanTicks) = 0;
    // False when the writer itself failed (not the output).
    virtual bool ok() const { return true; }

protected:
    ByteOut& out_;
    ExportCounts& counts_;
};

std::unique_ptr<FormatWriter> makeAscWriter(ByteOut& out, ExportCounts& counts);
std::unique_ptr<FormatWriter> makeBlfWriter(ByteOut& out, ExportCounts& counts);
std::unique_ptr<FormatWriter> makeCandumpWriter(ByteOut& out, ExportCounts& counts);
std::unique_ptr<FormatWriter> makePcapngWriter(ByteOut& out, ExportCounts& counts);

// The words of a LIN event's error marks and status letter, e.g. "error marks: identifier,
// checksum; status P" (empty for a clean frame). For comments in every format.
std::string linErrorText(const LogEvent& event);
// What an incomplete LIN transfer held, e.g. "SB and SF only, no identifier".
const char* linIncompleteText(const LogEvent& event);

}  // namespace zv
