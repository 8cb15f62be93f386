// Texts of the capture list (one cell per record field), of the monitor list (the latest
// record of each watch entry) and of the main window's status bar. Portable: the list views
// ask these functions for their texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "capture/capture.h"
#include "capture/capture_record.h"
#include "setup/data_info.h"

namespace zv {

enum class TimeColumnMode : uint8_t {
    Absolute,    // "Time": the record's own time stamp
    Difference,  // "deltaT": the difference to the record one row above
};

constexpr int kCaptureListColumns = 24;
constexpr int kMonitorListColumns = 15;
constexpr int kMonitorListRows = 16;

// Column titles and widths in pixels.
const char* captureColumnTitle(int column, TimeColumnMode mode);
int captureColumnWidth(int column);
const char* monitorColumnTitle(int column);
int monitorColumnWidth(int column);

// Largest cell text including its terminating zero.
constexpr size_t kCellTextCapacity = 32;

// The text of capture-list cell (row, column) for the records of `capture`, written
// zero-terminated into out (cut to capacity). Returns the length written.
size_t captureCellText(const CCapture& capture, uint32_t row, int column, TimeColumnMode mode, char* out,
                       size_t capacity);
std::string captureCellText(const CCapture& capture, uint32_t row, int column, TimeColumnMode mode);

// The text of monitor-list cell (row, column) for the record kept in that row's watch slot.
// Column 0 is the row number. `monitorInfo` is the data-information block of the monitoring
// (812- or 204-byte form) that supplies the LIN data lengths.
size_t monitorCellText(int row, const CaptureRecord& record, int column, const DataInfoBlock& monitorInfo, char* out,
                       size_t capacity);
std::string monitorCellText(int row, const CaptureRecord& record, int column, const DataInfoBlock& monitorInfo);

// Status-bar part 0 after a file was loaded for display: the option board the file came from.
const char* analyzerOptionText(uint32_t recordTag, uint8_t analogInputs);
// The file name without its folder ("/" or "\" separated).
std::string_view fileNameOnly(std::string_view path);
// Part 1 after a file was loaded: "%u / %u [%s]" with the last row index twice and the name.
// An empty path is the received working file: "%u / %u", or nothing without records.
std::string loadedFileStatusText(const CCapture& capture, std::string_view path);
// Part 1 when the selected row changes ("%u / %u [%s]", or "%u / %u" for the working file).
std::string selectionStatusText(uint32_t selectedRow, uint32_t count, std::string_view path);
// Part 1 while monitoring: "%u [ %s ] [ %s ]" with the records received (bytes / 32) and the
// two language strings, each formatted with its number; once records could not be written,
// " [ %s ]" with the third string and their count follows.
std::string monitorStatusText(uint64_t bytesReceived, std::string_view lostDataFormat, uint64_t lostDataMarkers,
                              std::string_view fileCountFormat, uint64_t bufferFiles,
                              std::string_view notWrittenFormat = {}, uint64_t recordsNotWritten = 0);
// A language string used as a printf format with one number: the first %d, %i, %u, %ld, %lu
// (optionally with a width) takes the number, "%%" becomes "%"; nothing else is interpreted,
// so a damaged string can never read a missing argument.
std::string formatWithNumber(std::string_view format, uint64_t number);

}  // namespace zv
