// The text writers: CPrintOutData -> CPrintOutCaptureData -> CPrintOutCaptureDataCanFrame. The
// last one converts the records of a loaded data file into a text file (banner, channel block,
// column header, one row per record) or a CSV file, and also answers the capture list's cells.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "capture/capture.h"
#include "capture/cell_text.h"
#include "conversion/output_sink.h"
#include "conversion/row_format.h"

namespace zv {

// The date and time written into the banner of a text file.
struct BannerTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

BannerTime bannerTimeLocalNow();
// The instant `secondsSinceEpoch` in UTC (the SOURCE_DATE_EPOCH convention of reproducible
// builds), valid from 1970 to 9999.
BannerTime bannerTimeUtc(int64_t secondsSinceEpoch);
// A SOURCE_DATE_EPOCH value: decimal digits only, at most 253402300799 (the end of 9999).
std::optional<int64_t> parseSourceDateEpoch(std::string_view text);

// The banner line (39 characters) of a "MONC" or "MDCL" file with its date and time.
std::string bannerLine(uint32_t recordTag, const BannerTime& time);

// Progress of a conversion: records done of total. Called at the start, every few thousand
// records and at the end, on the converting thread.
using ConversionProgress = std::function<void(uint64_t done, uint64_t total)>;

enum class ConvertResult : uint8_t {
    Completed,
    Cancelled,      // cancel(): ended after the record being written
    PageLimit,      // the page count reached the limit
    OutputNotOpen,  // nothing written
    WriteFailed,    // the sink refused bytes: the output is incomplete
};

constexpr uint32_t kLinesPerPage = 66;
constexpr uint32_t kPageLimit = 999999999;

class CPrintOutData {
public:
    CPrintOutData() = default;
    virtual ~CPrintOutData();
    CPrintOutData(const CPrintOutData&) = delete;
    CPrintOutData& operator=(const CPrintOutData&) = delete;
};

class CPrintOutCaptureData : public CPrintOutData {
public:
    CPrintOutCaptureData();
    ~CPrintOutCaptureData() override;

    // Ends the current line (CR LF) and counts it; true when the conversion must stop: no open
    // output, a failed write, or the page count has reached the page limit.
    virtual bool endLine();
    virtual ConvertResult convert(const ConversionProgress& progress, uint32_t pageLimit) = 0;

    // Where the lines go; the sink must outlive the conversion.
    void setOutput(OutputSink* sink) { sink_ = sink; }
    uint32_t pageCount() const { return pages_; }
    uint32_t linesOnPage() const { return lines_; }

protected:
    // Room for at least kMaxRowLength characters at the returned position.
    char* cursor() {
        if (static_cast<size_t>(end_ - position_) < kMaxRowLength) nextBlock();
        return position_;
    }
    void advanceTo(char* end) { position_ = end; }
    void writeText(std::string_view s);
    void writeLine(std::string_view s);
    // Starts a conversion into the sink (counters reset), false without an open sink.
    bool beginOutput(uint32_t pageLimit);
    // Hands over what is left and resets the page counters; false when a write failed.
    bool endOutput();
    bool writeFailed() const { return writeFailed_; }

private:
    // Commits the formatted bytes of the current block and takes the next one from the sink.
    void nextBlock();
    bool commit();

    OutputSink* sink_ = nullptr;
    // The block being formatted into: lent by the sink, or the scratch area once writing failed.
    char* blockStart_ = nullptr;
    char* position_ = nullptr;
    char* end_ = nullptr;
    std::array<char, 2 * kMaxRowLength> scratch_{};
    uint32_t lines_ = 0;
    uint32_t pages_ = 0;
    uint32_t pageLimit_ = kPageLimit;
    bool writeFailed_ = false;
};

class CPrintOutCaptureDataCanFrame final : public CPrintOutCaptureData {
public:
    CPrintOutCaptureDataCanFrame();
    ~CPrintOutCaptureDataCanFrame() override;

    // The records to convert; the object must stay loaded during convert().
    void setSource(const CCapture* capture) { source_ = capture; }
    void setOptions(const ConversionOptions& options) { options_ = options; }
    const ConversionOptions& options() const { return options_; }
    // The banner's date and time; without one, the local time when convert() starts.
    void setBannerTime(std::optional<BannerTime> time) { bannerTime_ = time; }

    ConvertResult convert(const ConversionProgress& progress, uint32_t pageLimit) override;
    // The capture-list cell (row, column) of the display object, zero-terminated into text.
    virtual size_t cellText(const CCapture& display, uint32_t row, int column, TimeColumnMode mode, char* text,
                            size_t capacity) const;
    // Asks a running convert() to stop after its current record; safe from any thread. The
    // request stays until a conversion has honoured it or resetCancel() drops it.
    virtual void cancel() { cancelRequested_.store(true, std::memory_order_release); }
    void resetCancel() { cancelRequested_.store(false, std::memory_order_release); }

private:
    void writeBanner(const CCapture& capture);

    const CCapture* source_ = nullptr;
    ConversionOptions options_;
    std::optional<BannerTime> bannerTime_;
    std::atomic<bool> cancelRequested_{false};
};

// Converts the loaded data file into path (created or replaced once complete). OutputNotOpen
// when the file cannot be created, WriteFailed when it could not be written whole; then a file
// of that name is left as it was, and error (when given) receives the system's reason.
ConvertResult convertToFile(CPrintOutCaptureDataCanFrame& writer, const std::string& path,
                            const ConversionProgress& progress, uint32_t pageLimit = kPageLimit,
                            Result* error = nullptr);

// The program's conversion job: one writer object, the conversion CCapture (use 2).
struct ConversionJob {
    std::string inputPath;
    std::string outputPath;
    ConversionOptions options;
};
CPrintOutCaptureDataCanFrame& conversionWriter();
// Loads the job's input into the conversion object and takes its options; false when the
// input is not a data file.
bool prepareConversion(const ConversionJob& job);
// Converts the prepared input into the job's output file with the page limit 999,999,999;
// error as by convertToFile.
ConvertResult runConversion(const ConversionProgress& progress, Result* error = nullptr);

}  // namespace zv
