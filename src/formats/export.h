// Export of a data file's records into the log formats of other CAN/LIN tools: ASC text logs,
// BLF binary logs, candump logs and pcapng captures. docs/formats.md shows each mapping.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "capture/capture.h"
#include "conversion/output_sink.h"
#include "conversion/print_out.h"
#include "formats/log_time.h"

namespace zv {

enum class ExportFormat : uint8_t { Asc, Blf, Candump, Pcapng };

// "asc", "blf", "candump", "pcapng".
std::optional<ExportFormat> exportFormatNamed(std::string_view name);
// ".asc", ".blf", ".log", ".pcapng".
const char* exportExtension(ExportFormat format);

struct ExportSettings {
    LogStart start;            // the absolute time of the first record
    int channelSelection = 0;  // as in the text conversion: 0 both, 1 or 2 one channel
    std::string sourceName;    // the input's name, for the header comments
    std::string application = "zvdconv";  // the program named as the writer in the headers
    // When set and raised, the export stops after the record in work and ends the log there:
    // a shorter log that its readers still take whole.
    const std::atomic<bool>* cancel = nullptr;
};

// What an export did with the records it was given (those of the selected channels).
struct ExportCounts {
    uint64_t frames = 0;          // written as frames (packets, objects, lines)
    uint64_t comments = 0;        // written as comments (error-marked records, markers)
    uint64_t linLeftOut = 0;      // LIN records the format cannot hold
    uint64_t markersLeftOut = 0;  // overrun and lost-data markers the format cannot hold
    uint64_t triggersLost = 0;    // trigger marks on records written without them
    uint64_t unknownLeftOut = 0;  // records of a source the analyzer does not produce
    uint64_t spanTicks = 0;       // monotonic time of the last record, 0.2 ms steps
};

enum class ExportResult : uint8_t { Completed, Cancelled, WriteFailed };

ExportResult exportCapture(const CCapture& capture, ExportFormat format, const ExportSettings& settings,
                           OutputSink& sink, ExportCounts& counts, const ConversionProgress& progress = {});

// Exports into the file at path (created or replaced once complete), as exportCapture.
// OutputNotOpen when the file cannot be created, WriteFailed when it could not be written
// whole; then a file of that name is left as it was, and error (when given) receives the
// system's reason. Cancelled leaves the shorter log.
ConvertResult exportToFile(const CCapture& capture, ExportFormat format, const ExportSettings& settings,
                           const std::string& path, ExportCounts& counts, const ConversionProgress& progress = {},
                           Result* error = nullptr);

// The monotonic time of the last record after the first (0.2 ms steps): the time span.
uint64_t captureSpanTicks(const CCapture& capture);

// The start of an export when none is given: a data file is last written when its last record
// comes, so the first came one time span before the file's modification time (microseconds
// since 1970).
LogStart defaultLogStart(const CCapture& capture, int64_t modificationMicros);

// One line for standard error on what a format left out, or "" when nothing was.
std::string exportLeftOutText(ExportFormat format, const ExportCounts& counts);

}  // namespace zv
