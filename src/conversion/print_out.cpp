#include "conversion/print_out.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "conversion/rate_text.h"

namespace zv {
namespace {

constexpr size_t kOutputBlock = 64 * 1024;  // asked of the sink at least; it may lend more
constexpr uint32_t kProgressEvery = 65536;  // records between progress reports

std::string twoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

// "%d-%02d-%02d %d:%02d:%02d".
std::string dateTimeText(const BannerTime& t) {
    return std::to_string(t.year) + "-" + twoDigits(t.month) + "-" + twoDigits(t.day) + " " + std::to_string(t.hour) +
           ":" + twoDigits(t.minute) + ":" + twoDigits(t.second);
}

// "%-6s".
std::string padded6(std::string s) {
    if (s.size() < 6) s.append(6 - s.size(), ' ');
    return s;
}

}  // namespace

BannerTime bannerTimeLocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return BannerTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

BannerTime bannerTimeUtc(int64_t secondsSinceEpoch) {
    // Days to civil date in the proleptic Gregorian calendar (eras of 400 years).
    const int64_t days = secondsSinceEpoch / 86400;
    const int64_t secondOfDay = secondsSinceEpoch % 86400;
    const int64_t z = days + 719468;
    const int64_t era = z / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    BannerTime t;
    t.year = static_cast<int>(year);
    t.month = static_cast<int>(month);
    t.day = static_cast<int>(day);
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    return t;
}

std::optional<int64_t> parseSourceDateEpoch(std::string_view text) {
    constexpr int64_t kLast = 253402300799;  // 9999-12-31 23:59:59
    if (text.empty() || text.size() > 12) return std::nullopt;
    int64_t v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > kLast) return std::nullopt;
    return v;
}

std::string bannerLine(uint32_t recordTag, const BannerTime& time) {
    std::string line = recordTag == kTagMdcl ? "*=[ZVDCONVL]" : "*=[ZVDCONV]";
    const size_t labelEnd = line.size();
    line.append(36 - labelEnd, '=');
    line += "]=*";
    // The date ends just before the "]" at 36, with a "[" in front of it.
    const std::string date = dateTimeText(time);
    if (date.size() + 1 <= 36 - labelEnd) {
        const size_t start = 36 - date.size();
        line.replace(start, date.size(), date);
        line[start - 1] = '[';
    }
    return line;
}

CPrintOutData::~CPrintOutData() = default;

CPrintOutCaptureData::CPrintOutCaptureData() = default;

CPrintOutCaptureData::~CPrintOutCaptureData() = default;

bool CPrintOutCaptureData::commit() {
    const size_t used = static_cast<size_t>(position_ - blockStart_);
    if (blockStart_ != scratch_.data() && blockStart_ != nullptr && used > 0 && !sink_->commitBlock(used))
        writeFailed_ = true;
    blockStart_ = position_ = end_ = nullptr;
    return !writeFailed_;
}

void CPrintOutCaptureData::nextBlock() {
    commit();
    size_t available = 0;
    char* block = nullptr;
    if (!writeFailed_ && sink_ != nullptr && sink_->isOpen()) block = sink_->beginBlock(kOutputBlock, available);
    if (block == nullptr) {
        // Nothing more can be written: format into scratch so that the caller can stop cleanly.
        writeFailed_ = true;
        block = scratch_.data();
        available = scratch_.size();
    }
    blockStart_ = position_ = block;
    end_ = block + available;
}

bool CPrintOutCaptureData::endLine() {
    if (sink_ == nullptr || !sink_->isOpen()) return true;
    char* p = cursor();
    p[0] = '\r';
    p[1] = '\n';
    position_ = p + 2;
    if (++lines_ >= kLinesPerPage) {  // a page is full: count it, nothing is written for it
        lines_ = 0;
        ++pages_;
    }
    return writeFailed_ || pages_ >= pageLimit_;
}

void CPrintOutCaptureData::writeText(std::string_view s) {
    while (!s.empty()) {
        char* p = cursor();
        const size_t n = std::min(s.size(), static_cast<size_t>(end_ - p));
        std::memcpy(p, s.data(), n);
        position_ = p + n;
        s.remove_prefix(n);
    }
}

void CPrintOutCaptureData::writeLine(std::string_view s) {
    writeText(s);
    endLine();
}

bool CPrintOutCaptureData::beginOutput(uint32_t pageLimit) {
    blockStart_ = position_ = end_ = nullptr;
    lines_ = 0;
    pages_ = 0;
    pageLimit_ = pageLimit;
    writeFailed_ = false;
    return sink_ != nullptr && sink_->isOpen();
}

bool CPrintOutCaptureData::endOutput() {
    commit();
    lines_ = 0;
    pages_ = 0;
    return !writeFailed_;
}

CPrintOutCaptureDataCanFrame::CPrintOutCaptureDataCanFrame() = default;

CPrintOutCaptureDataCanFrame::~CPrintOutCaptureDataCanFrame() = default;

void CPrintOutCaptureDataCanFrame::writeBanner(const CCapture& capture) {
    const uint32_t tag = capture.recordTag();
    writeLine(bannerLine(tag, bannerTime_ ? *bannerTime_ : bannerTimeLocalNow()));
    const DataInfoBlock& info = capture.dataInfo();
    for (int channel = 0; channel < 2; ++channel) {
        const std::string number = std::to_string(channel + 1);
        if (tag == kTagMdcl && info.channelProtocol(channel) == 2) {
            writeLine("*  CH" + number + " PROTOCOL: LIN                  *");
            const uint32_t rate = getU32(info.linChannel(channel), lin_channel_field::kBitRate);
            writeLine("*      BAUDRATE:" + padded6(frequencyText(rate)) + "                *");
            continue;
        }
        writeLine("*  CH" + number + " PROTOCOL: CAN                  *");
        const uint8_t* can = info.canChannel(channel);
        writeLine("*      BAUDRATE:" + padded6(canChannelBitRateText(can)) + "                *");
        const uint8_t code = getU8(can, can_channel_field::kBitRateCode);
        if (code >= 1 && code <= 8) continue;
        writeLine("*        BASEFREQ:" + padded6(frequencyText(getU32(can, can_channel_field::kBaseFrequency))) +
                  "              *");
        writeLine("*        PTS     :" + std::to_string(getU8(can, can_channel_field::kPts)) + "                   *");
        writeLine("*        PBS1    :" + std::to_string(getU8(can, can_channel_field::kPbs1)) + "                   *");
        writeLine("*        PBS2    :" + std::to_string(getU8(can, can_channel_field::kPbs2)) + "                   *");
        writeLine("*        SJW     :" + std::to_string(getU8(can, can_channel_field::kSjw)) + "                   *");
    }
    writeLine("*=====================================*");
    endLine();
}

ConvertResult CPrintOutCaptureDataCanFrame::convert(const ConversionProgress& progress, uint32_t pageLimit) {
    static const CCapture kNothing;
    const CCapture& capture = source_ != nullptr ? *source_ : kNothing;
    if (!beginOutput(pageLimit)) return ConvertResult::OutputNotOpen;

    const RowContext context = RowContext::make(capture, options_);
    if (!options_.csv) writeBanner(capture);

    ConvertResult result = ConvertResult::Completed;
    const uint32_t count = capture.count();
    if (count > 0) {
        writeLine(columnHeader(capture.recordTag(), context.analog, options_.csv));
        if (progress) progress(0, count);
        const int selection = options_.channelSelection;
        uint32_t previous = 0;
        bool hasPrevious = false;
        uint32_t done = 0;
        for (uint32_t i = 0; i < count; ++i) {
            if (cancelRequested_.load(std::memory_order_acquire)) {
                result = ConvertResult::Cancelled;
                break;
            }
            const CaptureRecord r = capture.record(i);
            const uint32_t stamp = r.timeStamp();
            done = i + 1;
            if (channelSelected(r.source(), selection)) {
                advanceTo(formatRow(cursor(), context, r, previous, hasPrevious));
                if (endLine()) {
                    result = writeFailed() ? ConvertResult::WriteFailed : ConvertResult::PageLimit;
                    break;
                }
            }
            // Left out or not, this record is the predecessor of the next.
            previous = stamp;
            hasPrevious = true;
            if (progress && done % kProgressEvery == 0) progress(done, count);
        }
        if (progress) progress(done, count);
    }
    if (!endOutput()) result = ConvertResult::WriteFailed;
    resetCancel();
    return result;
}

size_t CPrintOutCaptureDataCanFrame::cellText(const CCapture& display, uint32_t row, int column, TimeColumnMode mode,
                                              char* text, size_t capacity) const {
    return captureCellText(display, row, column, mode, text, capacity);
}

ConvertResult convertToFile(CPrintOutCaptureDataCanFrame& writer, const std::string& path,
                            const ConversionProgress& progress, uint32_t pageLimit, Result* error) {
    FileSink file;
    if (!file.open(path)) {
        if (error) *error = file.error();
        return ConvertResult::OutputNotOpen;
    }
    writer.setOutput(&file);
    ConvertResult result = writer.convert(progress, pageLimit);
    writer.setOutput(nullptr);
    if (!file.close() && result != ConvertResult::OutputNotOpen) result = ConvertResult::WriteFailed;
    if (error) *error = file.error();
    return result;
}

namespace {

ConversionJob& currentJob() {
    static ConversionJob job;
    return job;
}

}  // namespace

CPrintOutCaptureDataCanFrame& conversionWriter() {
    static CPrintOutCaptureDataCanFrame writer;
    return writer;
}

bool prepareConversion(const ConversionJob& job) {
    currentJob() = job;
    conversionWriter().resetCancel();
    conversionWriter().setOptions(job.options);
    conversionWriter().setSource(&captureForUse(kCaptureUseConversion));
    return loadFile(job.inputPath, kCaptureUseConversion);
}

ConvertResult runConversion(const ConversionProgress& progress, Result* error) {
    CPrintOutCaptureDataCanFrame& writer = conversionWriter();
    writer.setSource(&captureForUse(kCaptureUseConversion));
    writer.setBannerTime(std::nullopt);
    return convertToFile(writer, currentJob().outputPath, progress, kPageLimit, error);
}

}  // namespace zv
