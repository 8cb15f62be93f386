#include "zvdconv_cli.h"

#include <algorithm>
#include <array>
#include <memory>
#include <variant>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "capture/capture.h"
#include "capture/file_system.h"
#include "conversion/print_out.h"
#include "conversion/rate_text.h"
#include "formats/export.h"
#include "formats/log_import.h"
#include "search/condition_text.h"
#include "search/search_match.h"

namespace zv::tools {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;
constexpr int kMaxJobs = 16;  // each job holds its input file and two 256 KiB output blocks

constexpr const char* kUsage =
    "usage: zvdconv [--csv] [--hex] [--channel both|1|2] [--delta] [-j N] FILE.DT...\n"
    "       zvdconv --format asc|blf|candump|pcapng [--start-time T] [--channel C] [-j N] FILE.DT...\n"
    "       zvdconv [options] -o OUT FILE.DT\n"
    "       zvdconv --info FILE.DT...\n"
    "       zvdconv --import [--channels MAP] [--bitrate RATES] [-o OUT.DT] LOG.asc|.blf|.log...\n"
    "       zvdconv --find CONDITION [--count] [--csv] [--hex] [--delta] [--channel C] [-o OUT|-] FILE.DT...\n"
    "\n"
    "Converts data files into fixed-layout text (.txt) or CSV (.csv) files beside them, or\n"
    "exports them as logs of other CAN/LIN tools (.asc, .blf, .log, .pcapng): the extension is\n"
    "replaced (appended when there is none) and an existing output is replaced.\n"
    "\n"
    "  --format F         txt (default), csv, asc (ASC text log), blf (binary log), candump\n"
    "                     (candump log; LIN records are left out and counted on standard\n"
    "                     error) or pcapng (one interface per channel, SocketCAN and LIN\n"
    "                     link types); docs/formats.md shows each mapping\n"
    "  --start-time T     asc, blf, candump, pcapng: the local date and time of the first\n"
    "                     record, \"YYYY-MM-DD HH:MM:SS\". Default: the input's modification\n"
    "                     time minus its time span. The analyzer's stamps repeat every hour:\n"
    "                     the time runs on from the first record, one hour added at each\n"
    "                     wrap. Example: --start-time \"2024-03-01 08:00:00\" and stamps\n"
    "                     59:58.000, 00:01.500 give 08:00:00.000 and 08:00:03.500\n"
    "  --csv              write CSV instead of text (--format csv)\n"
    "  --hex              show the real values of error-marked LIN fields and the PID\n"
    "  --channel C        both (default), 1 or 2: the records of one channel only\n"
    "  --delta            text: the TM column shows the difference to the previous record\n"
    "  -j N               convert N files at a time (1..16, default 1)\n"
    "  -o OUT             convert one file into OUT; '-' is standard output\n"
    "  --info             print record tag, record count, analog flag, channel protocols and\n"
    "                     bit rates and the time span of each file\n"
    "  --find CONDITION   print the rows of the records that meet the search condition, as\n"
    "                     the conversion writes them (to standard output unless -o OUT); with\n"
    "                     several inputs each file's rows follow a line with its name\n"
    "  --count            with --find: print \"FILE: N\", the number of matching records\n"
    "  --import           read ASC (.asc), BLF (.blf) or candump (.log) logs of other tools\n"
    "                     into data files (.DT beside them, or -o OUT.DT): CAN and LIN frames\n"
    "                     of two log channels, stamped as the analyzer stamps them (minutes,\n"
    "                     seconds, 0.2 ms; the log's start gives the first stamp). CAN FD and\n"
    "                     error frames and other channels are left out and counted on standard\n"
    "                     error, malformed lines or objects named with their line or offset.\n"
    "                     A file of another extension is recognised by its contents. The\n"
    "                     output is complete or not there (written under OUT~import first)\n"
    "  --channels MAP     with --import: log channels to channels 1 and 2, e.g. 3=1,4=2\n"
    "                     (default 1=1,2=2; candump: can0 is log channel 1, can1 is 2)\n"
    "  --bitrate RATES    with --import: the bit rates the data file states for its channels,\n"
    "                     e.g. 1=500k,2=19.2k (CAN 10k..1M: a preset or a bit timing that\n"
    "                     gives the rate; LIN 400..26k on a channel of LIN frames only).\n"
    "                     Default: 125k for CAN, 9600 for LIN, as the block's defaults\n"
    "\n"
    "A condition is a kind and the fields of its page (docs/search-conditions.md):\n"
    "  trigger                          records with a trigger mark\n"
    "  lin-error=B,S,P,C,mark [ch=1]    LIN records with these error codes or any error mark\n"
    "  frame [ch=2] id=0x123 data=11 ?? 3x p1 [p1=0101xxxx]\n"
    "                                   frames by identifier (0x + 3 digits standard, 8\n"
    "                                   extended, x any digit; or 11 or 29 bits of 0, 1, x)\n"
    "                                   and data (??: any byte, p1-p3: an extra pattern)\n"
    "  remote [ch=2] id=0x18FEF1xx      CAN remote frames by identifier\n"
    "  time=12:3*.**                    records stamped in this window (*: any digit)\n"
    "  ext=1                            records with the EXT input at this level\n"
    "\n"
    "SOURCE_DATE_EPOCH, when set, is the date and time of the text banner (in UTC).\n"
    "Exit status: 0 all converted (searched, imported), 1 an input was not a data file (a log of\n"
    "its format) or an output failed, 2 usage or a malformed condition.\n";

struct Options {
    ConversionOptions conversion;
    std::optional<ExportFormat> exportFormat;  // asc, blf, candump, pcapng
    std::optional<std::string> formatName;
    std::optional<std::string> startTimeText;
    std::optional<CivilTime> startTime;
    int jobs = 1;
    std::optional<std::string> output;
    bool info = false;
    bool help = false;
    bool jobsGiven = false;
    std::optional<std::string> find;
    bool count = false;
    bool import = false;
    std::optional<std::map<uint32_t, int>> channelMap;
    std::optional<std::array<uint32_t, 2>> bitRates;
    std::vector<std::string> files;
};

// Parses the command line; returns an error text, empty on success.
std::string parseOptions(const std::vector<std::string>& args, Options& o) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            if (a == "-") return "reading a data file from standard input is not supported";
            o.files.push_back(a);
            continue;
        }
        auto value = [&](std::string_view name, std::string& out) -> std::string {
            if (i + 1 >= args.size()) return std::string(name) + " needs a value";
            out = args[++i];
            return {};
        };
        std::string v;
        if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--csv") {
            o.conversion.csv = true;
        } else if (a == "--hex") {
            o.conversion.hex = true;
        } else if (a == "--delta") {
            o.conversion.deltaT = true;
        } else if (a == "--info") {
            o.info = true;
        } else if (a == "--channel" || a.rfind("--channel=", 0) == 0) {
            if (a == "--channel") {
                if (std::string e = value("--channel", v); !e.empty()) return e;
            } else {
                v = a.substr(10);
            }
            if (v == "both")
                o.conversion.channelSelection = 0;
            else if (v == "1")
                o.conversion.channelSelection = 1;
            else if (v == "2")
                o.conversion.channelSelection = 2;
            else
                return "--channel takes both, 1 or 2, not '" + v + "'";
        } else if (a == "-j" || (a.size() > 2 && a.rfind("-j", 0) == 0)) {
            if (a == "-j") {
                if (std::string e = value("-j", v); !e.empty()) return e;
            } else {
                v = a.substr(2);
            }
            int n = 0;
            const bool digits = !v.empty() && v.size() <= 3 && std::all_of(v.begin(), v.end(), [](char c) {
                return c >= '0' && c <= '9';
            });
            if (digits) n = std::stoi(v);
            if (!digits || n < 1 || n > kMaxJobs) return "-j takes a number from 1 to 16, not '" + v + "'";
            o.jobs = n;
            o.jobsGiven = true;
        } else if (a == "--find" || a.rfind("--find=", 0) == 0) {
            if (a == "--find") {
                if (std::string e = value("--find", v); !e.empty()) return e;
            } else {
                v = a.substr(7);
            }
            o.find = v;
        } else if (a == "--format" || a.rfind("--format=", 0) == 0) {
            if (a == "--format") {
                if (std::string e = value("--format", v); !e.empty()) return e;
            } else {
                v = a.substr(9);
            }
            if (v == "csv") {
                o.conversion.csv = true;
            } else if (v != "txt") {
                o.exportFormat = exportFormatNamed(v);
                if (!o.exportFormat) return "--format takes txt, csv, asc, blf, candump or pcapng, not '" + v + "'";
            }
            if (o.formatName && *o.formatName != v) return "--format given twice";
            o.formatName = v;
        } else if (a == "--start-time" || a.rfind("--start-time=", 0) == 0) {
            if (a == "--start-time") {
                if (std::string e = value("--start-time", v); !e.empty()) return e;
            } else {
                v = a.substr(13);
            }
            o.startTime = parseCivilTime(v);
            if (!o.startTime) return "--start-time takes \"YYYY-MM-DD HH:MM:SS\", not '" + v + "'";
            o.startTimeText = v;
        } else if (a == "--count") {
            o.count = true;
        } else if (a == "--import") {
            o.import = true;
        } else if (a == "--channels" || a.rfind("--channels=", 0) == 0) {
            if (a == "--channels") {
                if (std::string e = value("--channels", v); !e.empty()) return e;
            } else {
                v = a.substr(11);
            }
            o.channelMap = parseChannelMap(v);
            if (!o.channelMap) return "--channels takes log channels and 1 or 2, e.g. 3=1,4=2, not '" + v + "'";
        } else if (a == "--bitrate" || a.rfind("--bitrate=", 0) == 0) {
            if (a == "--bitrate") {
                if (std::string e = value("--bitrate", v); !e.empty()) return e;
            } else {
                v = a.substr(10);
            }
            o.bitRates = parseBitRates(v);
            if (!o.bitRates) return "--bitrate takes channels 1 or 2 and rates, e.g. 1=500k,2=19.2k, not '" + v + "'";
        } else if (a == "-o") {
            if (std::string e = value("-o", v); !e.empty()) return e;
            if (v.empty()) return "-o needs a file name";
            o.output = v;
        } else {
            return "unknown option '" + a + "'";
        }
    }
    if (o.help) return {};
    if (o.files.empty()) return "no input file";
    if ((o.channelMap || o.bitRates) && !o.import) return "--channels and --bitrate apply to --import only";
    if (o.import) {
        if (o.formatName || o.startTime || o.info || o.find || o.count || o.jobsGiven || o.conversion.csv ||
            o.conversion.hex || o.conversion.deltaT || o.conversion.channelSelection != 0)
            return "--import takes only --channels, --bitrate and -o";
        if (o.output && o.files.size() != 1) return "-o takes exactly one input file";
        if (o.output && *o.output == "-") return "--import writes a data file, not standard output";
        if (o.bitRates) {
            for (const uint32_t rate : *o.bitRates) {
                uint8_t channel[32] = {};
                const bool lin = rate >= 4000 && rate <= 260000;
                if (rate != 0 && !setCanBitRate(channel, rate) && !lin)
                    return "--bitrate: " + bitRateText(rate) + " is no CAN (10k..1M) or LIN (400..26k) bit rate";
            }
        }
        return {};
    }
    if (o.formatName && *o.formatName == "txt" && o.conversion.csv) return "--csv contradicts --format txt";
    if (o.exportFormat && (o.conversion.csv || o.conversion.hex || o.conversion.deltaT))
        return "--csv, --hex and --delta apply to the txt and csv formats only";
    if (o.exportFormat && (o.info || o.find)) return "--format " + *o.formatName + " takes neither --info nor --find";
    if (o.startTime && !o.exportFormat) return "--start-time applies to the asc, blf, candump and pcapng formats only";
    if (o.info && (o.output || o.conversion.csv || o.conversion.hex || o.conversion.deltaT ||
                   o.conversion.channelSelection != 0))
        return "--info takes no conversion options";
    if (o.count && !o.find) return "--count needs --find";
    if (o.find && (o.info || o.jobsGiven)) return "--find takes neither --info nor -j";
    if (o.output && o.files.size() != 1 && !o.find) return "-o takes exactly one input file";
    return {};
}

// Everything one input produced for standard error, printed in input order at the end.
struct FileOutcome {
    bool ok = true;
    std::string message;
};

std::string timeText(const TimeDigits& t) {
    char s[48];
    std::snprintf(s, sizeof s, "%02d:%02d:%02d%d", t.minutes, t.seconds, t.hundredths, t.millis);
    return s;
}

std::string infoText(const std::string& path, const CCapture& c) {
    const uint32_t tag = c.recordTag();
    std::string s = path + "\n";
    s += "  record tag:     " + std::string(tag == kTagMonc ? "MONC" : "MDCL") + "\n";
    s += "  records:        " + std::to_string(c.count()) + "\n";
    s += "  analog inputs:  " + std::to_string(c.analogInputs()) + "\n";
    const DataInfoBlock& info = c.dataInfo();
    for (int channel = 0; channel < 2; ++channel) {
        s += "  CH" + std::to_string(channel + 1) + ":            ";
        if (tag == kTagMdcl && info.channelProtocol(channel) == 2)
            s += "LIN " + frequencyText(getU32(info.linChannel(channel), lin_channel_field::kBitRate)) + "\n";
        else
            s += "CAN " + canChannelBitRateText(info.canChannel(channel)) + "\n";
    }
    if (c.count() > 0) {
        // The stamps repeat every hour: the span is the monotonic time of the last record
        // (markers, which may carry no time, left out).
        const uint64_t spanMs = captureSpanTicks(c) / 5;
        char span[64];
        std::snprintf(span, sizeof span, "%llu:%02u:%02u.%03u", static_cast<unsigned long long>(spanMs / 3600000),
                      static_cast<unsigned>(spanMs / 60000 % 60), static_cast<unsigned>(spanMs / 1000 % 60),
                      static_cast<unsigned>(spanMs % 1000));
        s += "  first record:   " + timeText(c.record(0).time()) + "\n";
        s += "  last record:    " + timeText(c.record(c.count() - 1).time()) + "\n";
        s += "  time span:      " + std::string(span) + "\n";
    }
    return s;
}

// The progress bar: drawn on standard error while it is a terminal, only once a run has
// lasted half a second, at most ten times a second.
class ProgressBar {
public:
    ProgressBar(const ZvdconvIo& io, size_t files)
        : io_(io), files_(files), fractions_(files, 0.0), start_(std::chrono::steady_clock::now()) {}

    void update(size_t file, uint64_t done, uint64_t total) {
        if (!io_.stderrIsTerminal) return;
        std::lock_guard<std::mutex> lock(mutex_);
        fractions_[file] = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
        const auto now = std::chrono::steady_clock::now();
        if (now - start_ < std::chrono::milliseconds(500) || now - lastDraw_ < std::chrono::milliseconds(100)) return;
        lastDraw_ = now;
        double sum = 0;
        size_t finished = 0;
        for (const double f : fractions_) {
            sum += f;
            if (f >= 1.0) ++finished;
        }
        const double fraction = sum / static_cast<double>(files_);
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(fraction * kWidth);
        std::string bar = "\rzvdconv [" + std::string(static_cast<size_t>(filled), '#') +
                          std::string(static_cast<size_t>(kWidth - filled), '.') + "] ";
        bar += std::to_string(static_cast<int>(fraction * 100)) + "%  " + std::to_string(finished) + "/" +
               std::to_string(files_) + " files";
        io_.standardError(bar);
        drawn_ = true;
    }

    void finish(size_t file) { update(file, 1, 1); }

    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (drawn_) io_.standardError("\r" + std::string(60, ' ') + "\r");
        drawn_ = false;
    }

private:
    const ZvdconvIo& io_;
    size_t files_;
    std::vector<double> fractions_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_{};
    std::mutex mutex_;
    bool drawn_ = false;
};

std::string loadFailureText(const std::string& input, DataFileStatus status) {
    if (status == DataFileStatus::Unreadable) return "zvdconv: " + input + ": cannot be opened or read\n";
    return "zvdconv: " + input + ": not a data file: " + dataFileStatusText(status) + "\n";
}

// Why an output file failed; a file of that name from before is left as it was.
std::string convertFailureText(ConvertResult r, Result error) {
    switch (r) {
        case ConvertResult::OutputNotOpen:
            return "cannot be created: " + fileErrorText(error);
        case ConvertResult::WriteFailed:
            return "could not be written completely: " + fileErrorText(error) + "; nothing written under that name";
        default:
            return "was not completed";
    }
}

FileOutcome exportOne(const std::string& input, const std::string& output, const CCapture& capture,
                      const Options& o, const ZvdconvIo& io, ProgressBar& bar, size_t index) {
    FileOutcome outcome;
    ExportSettings settings;
    settings.channelSelection = o.conversion.channelSelection;
    settings.sourceName = std::filesystem::path(input).filename().string();
    if (o.startTime) {
        const std::optional<LogStart> start = logStartFromLocal(*o.startTime);
        if (!start) {
            outcome.ok = false;
            outcome.message = "zvdconv: --start-time " + *o.startTimeText + " does not exist on the local clock\n";
            return outcome;
        }
        settings.start = *start;
    } else {
        settings.start = defaultLogStart(capture, fileModificationMicros(input).value_or(0));
    }
    const ConversionProgress progress = [&bar, index](uint64_t done, uint64_t total) { bar.update(index, done, total); };
    ExportCounts counts;
    ExportResult result;
    if (output == "-") {
        result = io.standardOutput ? exportCapture(capture, *o.exportFormat, settings, *io.standardOutput, counts, progress)
                                   : ExportResult::WriteFailed;
    } else {
        Result error = kOk;
        const ConvertResult written = exportToFile(capture, *o.exportFormat, settings, output, counts, progress, &error);
        if (written != ConvertResult::Completed) {
            bar.finish(index);
            outcome.ok = false;
            outcome.message = "zvdconv: " + input + ": output " + output + " " + convertFailureText(written, error) + "\n";
            return outcome;
        }
        result = ExportResult::Completed;
    }
    bar.finish(index);
    if (result != ExportResult::Completed) {
        outcome.ok = false;
        const std::string name = output == "-" ? std::string("standard output") : output;
        outcome.message = "zvdconv: " + input + ": output " + name + " could not be written completely\n";
        return outcome;
    }
    if (const std::string leftOut = exportLeftOutText(*o.exportFormat, counts); !leftOut.empty())
        outcome.message = "zvdconv: " + input + ": " + leftOut + "\n";
    return outcome;
}

FileOutcome convertOne(const std::string& input, const std::string& output, const Options& o,
                       const std::optional<BannerTime>& bannerTime, const ZvdconvIo& io, ProgressBar& bar,
                       size_t index) {
    FileOutcome outcome;
    LoadedDataFile file;
    if (!file.loadFile(input)) {
        outcome.ok = false;
        outcome.message = loadFailureText(input, file.status());
        bar.finish(index);
        return outcome;
    }
    if (o.exportFormat) return exportOne(input, output, file.capture(), o, io, bar, index);
    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&file.capture());
    writer.setOptions(o.conversion);
    writer.setBannerTime(bannerTime ? bannerTime : std::optional<BannerTime>(bannerTimeLocalNow()));
    const ConversionProgress progress = [&bar, index](uint64_t done, uint64_t total) { bar.update(index, done, total); };
    ConvertResult result;
    Result error = kOk;
    if (output == "-") {
        writer.setOutput(io.standardOutput);
        result = writer.convert(progress, kPageLimit);
        writer.setOutput(nullptr);
    } else {
        result = convertToFile(writer, output, progress, kPageLimit, &error);
    }
    bar.finish(index);
    if (result != ConvertResult::Completed) {
        outcome.ok = false;
        const std::string name = output == "-" ? std::string("standard output") : output;
        outcome.message = "zvdconv: " + input + ": output " + name + " " + convertFailureText(result, error) + "\n";
    }
    return outcome;
}

// --find: the rows (or the number) of the records that meet the condition, file by file.
// Lines are collected in a block and handed to the sink when it is nearly full.
class FindWriter {
public:
    explicit FindWriter(OutputSink& sink) : sink_(sink) {}
    char* room() {
        if (kBlock - used_ < kMaxRowLength + 2) flush();
        return block_.data() + used_;
    }
    void advance(char* end) { used_ = static_cast<size_t>(end - block_.data()); }
    void text(std::string_view t) {
        while (!t.empty()) {
            const size_t n = std::min(t.size(), kMaxRowLength);
            std::copy_n(t.data(), n, room());
            used_ += n;
            t.remove_prefix(n);
        }
    }
    bool flush() {
        if (used_ > 0 && !sink_.write(block_.data(), used_)) failed_ = true;
        used_ = 0;
        return !failed_;
    }
    bool failed() const { return failed_; }

private:
    static constexpr size_t kBlock = 64 * 1024;
    OutputSink& sink_;
    std::array<char, kBlock> block_{};
    size_t used_ = 0;
    bool failed_ = false;
};

int runFind(const Options& o, const ZvdconvIo& io) {
    const std::variant<SearchCondition, ConditionTextError> parsed = parseSearchCondition(*o.find);
    if (const auto* error = std::get_if<ConditionTextError>(&parsed)) {
        io.standardError("zvdconv: --find: malformed condition\n" + describeConditionTextError(*o.find, *error));
        return kExitUsage;
    }
    const SearchCondition& condition = std::get<SearchCondition>(parsed);
    const bool counting = o.count || condition.countMode != 0;

    FileSink file;
    OutputSink* sink = io.standardOutput;
    const bool toFile = o.output && *o.output != "-";
    const std::string outputName = toFile ? *o.output : std::string("standard output");
    if (toFile) {
        if (!file.open(*o.output)) {
            io.standardError("zvdconv: " + *o.output + ": cannot be created: " + fileErrorText(file.error()) +
                             "; nothing searched\n");
            return kExitBadInput;
        }
        sink = &file;
    }
    if (sink == nullptr) return kExitBadInput;
    auto writer = std::make_unique<FindWriter>(*sink);
    int rc = kExitOk;
    for (const std::string& input : o.files) {
        LoadedDataFile data;
        if (!data.loadFile(input)) {
            io.standardError(loadFailureText(input, data.status()));
            rc = kExitBadInput;
            continue;
        }
        const CCapture& capture = data.capture();
        const SearchMatcher matcher(condition, capture.recordTag());
        const uint8_t* records = capture.recordAreaBegin();
        const uint32_t n = capture.count();
        const int channels = o.conversion.channelSelection;
        if (counting) {
            uint64_t matches = 0;
            if (channels == 0) {
                matches = matcher.count(records, 0, n);
            } else {
                for (int64_t i = matcher.findForward(records, n, 0); i >= 0; i = matcher.findForward(records, n, static_cast<uint32_t>(i) + 1))
                    matches += channelSelected(records[static_cast<size_t>(i) * kCaptureRecordSize], channels) ? 1u : 0u;
            }
            writer->text(input + ": " + std::to_string(matches) + "\n");
            continue;
        }
        const RowContext context = RowContext::make(capture, o.conversion);
        bool named = o.files.size() == 1;
        for (int64_t i = matcher.findForward(records, n, 0); i >= 0; i = matcher.findForward(records, n, static_cast<uint32_t>(i) + 1)) {
            const auto row = static_cast<uint32_t>(i);
            const CaptureRecord r = capture.record(row);
            if (!channelSelected(r.source(), channels)) continue;
            if (!named) {
                writer->text(input + "\r\n");
                named = true;
            }
            const uint32_t previous = row > 0 ? capture.record(row - 1).timeStamp() : 0;
            char* end = formatRow(writer->room(), context, r, previous, row > 0);
            *end++ = '\r';
            *end++ = '\n';
            writer->advance(end);
        }
    }
    const bool flushed = writer->flush();
    if (toFile && !flushed) file.abandon(resultFromSystemError(kErrorWriteFault));
    const bool written = flushed && (!toFile || file.close());
    if (!written) {
        io.standardError("zvdconv: output " + outputName + " could not be written completely" +
                         (toFile ? ": " + fileErrorText(file.error()) + "; nothing written under that name" : "") + "\n");
        return kExitBadInput;
    }
    return rc;
}

// The format of a log: by its extension, else by its first bytes ("LOGG" is BLF, a first line
// in parentheses candump, anything else ASC).
std::optional<LogFormat> importFormatOf(const std::string& path) {
    if (const std::optional<LogFormat> f = logFormatOfPath(path)) return f;
    FileLogInput input;
    if (!input.open(path)) return std::nullopt;
    std::array<uint8_t, 4096> head{};
    const size_t n = input.read(head.data(), head.size());
    return sniffLogFormat(head.data(), n);
}

constexpr int kShownProblems = 20;  // malformed lines or objects named per input

int runImport(const Options& o, const ZvdconvIo& io) {
    ImportSettings settings;
    if (o.channelMap) settings.channels = *o.channelMap;
    if (o.bitRates) settings.bitRates = *o.bitRates;
    int rc = kExitOk;
    std::vector<std::string> outputs;
    for (const std::string& path : o.files) {
        const std::string output = o.output ? *o.output : outputPathFor(path, ".DT");
        const std::string name = "zvdconv: " + path + ": ";
        if (output == path || std::find(outputs.begin(), outputs.end(), output) != outputs.end()) {
            io.standardError(name + "output " + output +
                             (output == path ? " is the input itself" : " is also the output of another input") +
                             "; not imported\n");
            rc = kExitBadInput;
            continue;
        }
        outputs.push_back(output);
        const std::optional<LogFormat> format = importFormatOf(path);
        FileLogInput input;
        if (!format || !input.open(path)) {
            io.standardError(name + "cannot be opened or read\n");
            rc = kExitBadInput;
            continue;
        }
        uint64_t problems = 0;
        const LogProblemSink sink = [&](const LogProblem& p) {
            if (++problems <= kShownProblems) io.standardError(name + logProblemText(p) + "\n");
        };
        const std::unique_ptr<LogReader> reader = makeLogReader(*format, input, sink);
        ImportCounts counts;
        const ImportOutcome outcome = importLog(*reader, input, settings, output, counts);
        if (problems > kShownProblems)
            io.standardError(name + std::to_string(problems - kShownProblems) + " more malformed " +
                             (*format == LogFormat::Blf ? "objects" : "lines") + " passed over\n");
        std::string failure;
        switch (outcome.result) {
            case ImportResult::Completed:
                break;
            case ImportResult::NotALog:
                failure = std::string("not a ") + logFormatName(*format) + " log; nothing written";
                break;
            case ImportResult::ReadFailed:
                failure = "could not be read to its end; nothing written";
                break;
            case ImportResult::WriteFailed:
                failure = "output " + output + " could not be written; nothing written";
                break;
        }
        if (!outcome.leftBehind.empty()) failure += " (the incomplete " + outcome.leftBehind + " could not be removed)";
        if (!failure.empty()) {
            io.standardError(name + failure + "\n");
            rc = kExitBadInput;
            continue;
        }
        if (const std::string leftOut = importLeftOutText(counts); !leftOut.empty())
            io.standardError(name + std::to_string(counts.records) + " records imported into " + output + "\n" + leftOut);
    }
    return rc;
}

}  // namespace

std::string outputPathFor(const std::string& input, std::string_view extension) {
    const size_t nameStart = input.find_last_of("/\\");
    const size_t dot = input.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
    return (hasExtension ? input.substr(0, dot) : input) + std::string(extension);
}

int runZvdconv(const std::vector<std::string>& args, const ZvdconvIo& io) {
    Options o;
    if (const std::string error = parseOptions(args, o); !error.empty()) {
        io.standardError("zvdconv: " + error + "\n" + kUsage);
        return kExitUsage;
    }
    if (o.help) {
        if (io.standardOutput) io.standardOutput->write(kUsage, std::char_traits<char>::length(kUsage));
        return kExitOk;
    }
    if (o.find) return runFind(o, io);
    if (o.import) return runImport(o, io);
    std::optional<BannerTime> bannerTime;
    if (io.sourceDateEpoch && !io.sourceDateEpoch->empty()) {
        const std::optional<int64_t> epoch = parseSourceDateEpoch(*io.sourceDateEpoch);
        if (!epoch) {
            io.standardError("zvdconv: SOURCE_DATE_EPOCH must be a number of seconds, not '" + *io.sourceDateEpoch +
                             "'\n");
            return kExitUsage;
        }
        bannerTime = bannerTimeUtc(*epoch);
    }

    if (o.info) {
        int rc = kExitOk;
        for (const std::string& input : o.files) {
            LoadedDataFile file;
            if (!file.loadFile(input)) {
                io.standardError(loadFailureText(input, file.status()));
                rc = kExitBadInput;
                continue;
            }
            const std::string text = infoText(input, file.capture());
            if (io.standardOutput) io.standardOutput->write(text.data(), text.size());
        }
        return rc;
    }

    // Output paths, refusing to overwrite an input or to write one output twice.
    const std::string_view extension = o.exportFormat ? exportExtension(*o.exportFormat) : o.conversion.csv ? ".csv" : ".txt";
    std::vector<std::string> outputs;
    std::vector<FileOutcome> outcomes(o.files.size());
    for (size_t i = 0; i < o.files.size(); ++i) {
        const std::string out = o.output ? *o.output : outputPathFor(o.files[i], extension);
        const bool clash = out == o.files[i] || std::find(outputs.begin(), outputs.end(), out) != outputs.end();
        if (clash && out != "-") {
            outcomes[i].ok = false;
            outcomes[i].message = "zvdconv: " + o.files[i] + ": output " + out +
                                  (out == o.files[i] ? " is the input itself" : " is also the output of another input") +
                                  "; not converted\n";
        }
        outputs.push_back(out);
    }

    ProgressBar bar(io, o.files.size());
    std::atomic<size_t> nextFile{0};
    auto worker = [&]() {
        for (size_t i = nextFile.fetch_add(1); i < o.files.size(); i = nextFile.fetch_add(1)) {
            if (!outcomes[i].ok) continue;
            outcomes[i] = convertOne(o.files[i], outputs[i], o, bannerTime, io, bar, i);
        }
    };
    const size_t threads = std::min(static_cast<size_t>(o.jobs), o.files.size());
    if (threads <= 1) {
        worker();
    } else {
        std::vector<std::thread> pool;
        for (size_t t = 0; t < threads; ++t) pool.emplace_back(worker);
        for (std::thread& t : pool) t.join();
    }
    bar.clear();

    int rc = kExitOk;
    for (const FileOutcome& outcome : outcomes) {
        // A successful export may still name what its format left out.
        if (!outcome.message.empty()) io.standardError(outcome.message);
        if (!outcome.ok) rc = kExitBadInput;
    }
    return rc;
}

}  // namespace zv::tools
