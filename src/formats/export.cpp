#include "formats/export.h"

#include "base/file_io.h"
#include "conversion/row_format.h"
#include "formats/format_writer.h"

namespace zv {

namespace text_out {

const std::array<char, 512> kHexPairs = [] {
    std::array<char, 512> t{};
    for (size_t i = 0; i < 256; ++i) {
        t[i * 2] = "0123456789ABCDEF"[i >> 4];
        t[i * 2 + 1] = "0123456789ABCDEF"[i & 15];
    }
    return t;
}();

char* decimal(char* p, uint64_t v) {
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0) *p++ = digits[--n];
    return p;
}

char* seconds6(char* p, uint64_t ticks) {
    p = decimal(p, ticks / kLogTicksPerSecond);
    *p++ = '.';
    auto micros = static_cast<uint32_t>(ticks % kLogTicksPerSecond * 200);
    for (int i = 5; i >= 0; --i) p[i] = static_cast<char>('0' + micros % 10), micros /= 10;
    return p + 6;
}

}  // namespace text_out

void ByteOut::nextBlock(size_t n) {
    if (!failed_ && start_ != nullptr && !sink_.commitBlock(static_cast<size_t>(pos_ - start_))) failed_ = true;
    size_t available = 0;
    char* block = failed_ ? nullptr : sink_.beginBlock(n < 1024 ? 1024 : n, available);
    if (block == nullptr) {
        // Nothing more can be written: keep formatting into the scratch block.
        failed_ = true;
        block = scratch_.data();
        available = scratch_.size();
    }
    start_ = pos_ = block;
    end_ = block + available;
}

void ByteOut::put(const void* bytes, size_t n) {
    const auto* p = static_cast<const char*>(bytes);
    while (n > 0) {
        const size_t k = n < kMaxRoom ? n : kMaxRoom;
        char* at = room(k);
        std::memcpy(at, p, k);
        advance(at + k);
        p += k;
        n -= k;
    }
}

bool ByteOut::finish() {
    if (!failed_ && start_ != nullptr && !sink_.commitBlock(static_cast<size_t>(pos_ - start_))) failed_ = true;
    start_ = pos_ = end_ = nullptr;
    return !failed_;
}

std::optional<ExportFormat> exportFormatNamed(std::string_view name) {
    if (name == "asc") return ExportFormat::Asc;
    if (name == "blf") return ExportFormat::Blf;
    if (name == "candump") return ExportFormat::Candump;
    if (name == "pcapng") return ExportFormat::Pcapng;
    return std::nullopt;
}

const char* exportExtension(ExportFormat format) {
    switch (format) {
        case ExportFormat::Asc:
            return ".asc";
        case ExportFormat::Blf:
            return ".blf";
        case ExportFormat::Candump:
            return ".log";
        case ExportFormat::Pcapng:
            return ".pcapng";
    }
    return "";
}

std::string linErrorText(const LogEvent& e) {
    std::string s;
    const uint8_t marks = e.linErrors & (lin_error::kSyncField | lin_error::kIdentifier | lin_error::kDataByte |
                                         lin_error::kChecksum);
    if (marks != 0) {
        s = "error marks:";
        const char* sep = " ";
        auto add = [&](uint8_t bit, const char* word) {
            if ((marks & bit) == 0) return;
            s += sep;
            s += word;
            sep = ", ";
        };
        add(lin_error::kSyncField, "sync field");
        add(lin_error::kIdentifier, "identifier");
        add(lin_error::kDataByte, "data");
        add(lin_error::kChecksum, "checksum");
    }
    if ((e.linErrors & lin_error::kNoResponse) != 0) s += s.empty() ? "no response" : "; no response";
    if (e.linErrors != 0 && e.statusLetter != 0) {
        s += s.empty() ? "status " : "; status ";
        s += e.statusLetter;
    }
    return s;
}

const char* linIncompleteText(const LogEvent& e) {
    if (e.byteCount == kLinNoPid) return "SB and SF only, no identifier";
    if (e.byteCount == kLinOnlySb) return "SB only";
    if (e.byteCount < 0) return "illegal frame";
    return "received bytes without a header";
}

ExportResult exportCapture(const CCapture& capture, ExportFormat format, const ExportSettings& settings,
                           OutputSink& sink, ExportCounts& counts, const ConversionProgress& progress) {
    counts = ExportCounts{};
    ByteOut out(sink);
    std::unique_ptr<FormatWriter> writer;
    switch (format) {
        case ExportFormat::Asc:
            writer = makeAscWriter(out, counts);
            break;
        case ExportFormat::Blf:
            writer = makeBlfWriter(out, counts);
            break;
        case ExportFormat::Candump:
            writer = makeCandumpWriter(out, counts);
            break;
        case ExportFormat::Pcapng:
            writer = makePcapngWriter(out, counts);
            break;
    }
    writer->begin(settings);
    const uint32_t total = capture.count();
    const uint32_t tag = capture.recordTag();
    if (progress) progress(0, total);
    MonotonicClock clock;
    uint32_t done = total;
    for (uint32_t i = 0; i < total; ++i) {
        // Looked at every 256 records: the end comes a few microseconds later.
        if ((i & 0xFF) == 0 && settings.cancel != nullptr && settings.cancel->load(std::memory_order_acquire)) {
            done = i;
            break;
        }
        const CaptureRecord r = capture.record(i);
        // Every record moves the clock, also those of a channel left out (as in the text
        // conversion, whose differences are measured from them).
        const uint64_t ticks = r.isMarker() ? clock.now() : clock.next(r.timeStamp());
        if (channelSelected(r.source(), settings.channelSelection)) writer->record(logEventOf(r, tag), ticks);
        if (progress && (i & 0xFFFF) == 0xFFFF) progress(i + 1u, total);
    }
    counts.spanTicks = clock.now();
    writer->end(clock.now());
    if (progress) progress(done, total);
    const bool written = out.finish();
    if (!written || !writer->ok()) return ExportResult::WriteFailed;
    return done < total ? ExportResult::Cancelled : ExportResult::Completed;
}

ConvertResult exportToFile(const CCapture& capture, ExportFormat format, const ExportSettings& settings,
                           const std::string& path, ExportCounts& counts, const ConversionProgress& progress,
                           Result* error) {
    FileSink file;
    if (!file.open(path)) {
        if (error) *error = file.error();
        return ConvertResult::OutputNotOpen;
    }
    const ExportResult result = exportCapture(capture, format, settings, file, counts, progress);
    if (result == ExportResult::WriteFailed) file.abandon(resultFromSystemError(kErrorWriteFault));
    const bool closed = file.close();
    if (error) *error = file.error();
    if (!closed || result == ExportResult::WriteFailed) return ConvertResult::WriteFailed;
    return result == ExportResult::Cancelled ? ConvertResult::Cancelled : ConvertResult::Completed;
}

uint64_t captureSpanTicks(const CCapture& capture) {
    MonotonicClock clock;
    for (uint32_t i = 0; i < capture.count(); ++i) {
        const CaptureRecord r = capture.record(i);
        if (!r.isMarker()) clock.next(r.timeStamp());
    }
    return clock.now();
}

LogStart defaultLogStart(const CCapture& capture, int64_t modificationMicros) {
    const auto span = static_cast<int64_t>(captureSpanTicks(capture) * (1000000 / kLogTicksPerSecond));
    return logStartFromEpoch(modificationMicros - span);
}

std::string exportLeftOutText(ExportFormat format, const ExportCounts& c) {
    std::string s;
    auto add = [&s](uint64_t n, const char* what) {
        if (n == 0) return;
        s += s.empty() ? "" : ", ";
        s += std::to_string(n) + " " + what;
    };
    add(c.linLeftOut, c.linLeftOut == 1 ? "LIN record" : "LIN records");
    add(c.markersLeftOut, c.markersLeftOut == 1 ? "marker record" : "marker records");
    add(c.unknownLeftOut, c.unknownLeftOut == 1 ? "record of an unknown source" : "records of an unknown source");
    std::string text;
    if (!s.empty()) text = s + " left out";
    if (c.triggersLost != 0) {
        text += text.empty() ? "" : "; ";
        text += std::to_string(c.triggersLost) + (c.triggersLost == 1 ? " trigger mark" : " trigger marks") +
                " not kept";
    }
    if (text.empty()) return text;
    const char* name = format == ExportFormat::Candump ? "candump" : format == ExportFormat::Pcapng ? "pcapng"
                     : format == ExportFormat::Blf     ? "BLF"
                                                       : "ASC";
    return text + " (" + name + " cannot hold them)";
}

}  // namespace zv
