// The soak: a monitor measurement into buffer files against zvsim at a high record rate on both
// channels for as long as asked, with a fault after every stretch of monitoring, by turns a
// lost link, a stalled link (ended by the library's time-out) and an analyzer switched off
// whose reconnect is then refused; after each the driver answers the program's box,
// reconnects and monitors again. After each cycle every buffer file of it must be a complete
// data file, and the files must hold exactly the records zvsim sent (count and CRC-32 of the
// records in order) with one lost-data marker for each stretch zvsim left out. The program's
// memory, handles, GDI objects and windows are sampled all along and must stay flat.
//
// Each cycle has a zvsim of its own on the same ports, started with its fault and --stats: the
// fault strikes once the link has carried the cycle's bytes of monitor records, so zvsim knows
// exactly what went out before it. The program deletes the numbered files of a folder when a
// measurement starts, so the driver takes each cycle's files out of the folder once it has
// checked them (into cycles/NNNN of the sandbox with ZV_SOAK_KEEP_FILES=1, else deleted).
//
// Environment (read by this test, not by the program):
//   ZV_SOAK_MINUTES         length of the run (default 2); at least one cycle of each fault
//   ZV_SOAK_FAULT_EVERY     seconds of monitoring before each fault (default 40)
//   ZV_SOAK_RATE            records a second zvsim makes over both channels (default 200000)
//   ZV_SOAK_SAMPLE_SECONDS  seconds between resource samples (default 10)
//   ZV_SOAK_KEEP_FILES      1: keep every cycle's buffer files
// The defaults are the short version ./test runs; scripts/soak runs the long one.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "capture/capture.h"
#include "capture/capture_record.h"
#include "emulator/config.h"
#include "emulator/device_setup.h"
#include "emulator/traffic.h"
#include "lan_analyzer_win.h"
#include "measurement_fixture_win.h"
#include "process_resources_win.h"
#include "zvlkrmt/protocol/wire.h"

namespace zvui {
namespace {

constexpr size_t kHeaderSize = 844;  // of a CAN/LIN board's data file
constexpr size_t kRecordBytesOffset = 840;
constexpr int kExitCommand = 2124;
constexpr unsigned kAnswerTimeoutMs = 5000;  // the library's default time-out of a silent link

double environmentValue(const char* name, double fallback) {
    char text[32] = "";
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return fallback;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end && *end == '\0' && value > 0 ? value : fallback;
}

enum class Fault { LostLink, StalledLink, SwitchedOff };

const char* faultName(Fault fault) {
    switch (fault) {
        case Fault::LostLink: return "lost link";
        case Fault::StalledLink: return "stalled link";
        case Fault::SwitchedOff: return "analyzer switched off, reconnect refused";
    }
    return "";
}

// What the buffer files of one cycle hold.
struct FilesRead {
    size_t files = 0;
    uint64_t records = 0;  // without the program's lost-data markers
    uint64_t markers = 0;
    uint32_t crc = 0;      // of those records in file order
    int lastFileRows = -1; // records of the last file, markers included
};

struct Totals {
    size_t cycles = 0;
    uint64_t sent = 0;      // records zvsim streamed up to its last sent block, left-out ones included
    uint64_t written = 0;   // records in the buffer files
    uint64_t lost = 0;      // records left out, each stretch shown by a lost-data marker
    uint64_t markers = 0;
    uint64_t unsent = 0;    // records zvsim still had when the link was cut
    size_t files = 0;
    int faultsInjected = 0;
    int faultsSurvived = 0;
};

struct Sample {
    double minutes = 0;
    ProcessResources resources;
};

// Samples the program's resources every PERIOD on a thread of its own, so that the figures
// come at steady times whatever the cycles are doing.
class ResourceSampler {
public:
    ResourceSampler(HANDLE process, DWORD processId, DWORD periodMs)
        : process_(process), processId_(processId), periodMs_(periodMs), start_(GetTickCount64()) {
        thread_ = std::thread([this] { run(); });
    }
    ~ResourceSampler() { stop(); }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    void sampleNow() {
        const Sample s{static_cast<double>(GetTickCount64() - start_) / 60000.0, readProcessResources(process_, processId_)};
        std::lock_guard lock(mutex_);
        samples_.push_back(s);
    }
    std::vector<Sample> samples() {
        std::lock_guard lock(mutex_);
        return samples_;
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            lock.unlock();
            sampleNow();
            lock.lock();
            wake_.wait_for(lock, std::chrono::milliseconds(periodMs_), [&] { return stopping_; });
        }
    }

    HANDLE process_;
    DWORD processId_;
    DWORD periodMs_;
    ULONGLONG start_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::vector<Sample> samples_;
    std::thread thread_;
};

double mebibytes(uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// 1234567 -> "1,234,567".
std::string grouped(uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

// One figure of a sample: memory in MiB, the others as counts; -1 when unknown. From the
// first third of the run to the last it may grow by 5 % or by SLACK, whichever is more: over
// two hours of three-minute cycles a handle, GDI object or window more per cycle, or 320 KiB
// more memory, exceeds that.
struct Measure {
    const char* name;
    double (*value)(const ProcessResources&);
    double slack;
};

const Measure kMeasures[] = {
    {"working set MiB", [](const ProcessResources& r) { return mebibytes(r.workingSet); }, 8},
    {"private MiB", [](const ProcessResources& r) { return mebibytes(r.privateBytes); }, 8},
    {"handles", [](const ProcessResources& r) { return static_cast<double>(r.handles); }, 10},
    {"GDI objects", [](const ProcessResources& r) { return static_cast<double>(r.gdiObjects); }, 15},
    {"windows", [](const ProcessResources& r) { return static_cast<double>(r.windows); }, 3},
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

class Soak : public MeasurementFixture {
protected:
    void SetUp() override {
        MeasurementFixture::SetUp();
        minutes_ = environmentValue("ZV_SOAK_MINUTES", 2);
        cycleSeconds_ = environmentValue("ZV_SOAK_FAULT_EVERY", 40);
        rate_ = static_cast<unsigned>(environmentValue("ZV_SOAK_RATE", 200000));
        sampleMs_ = static_cast<DWORD>(environmentValue("ZV_SOAK_SAMPLE_SECONDS", 10) * 1000);
        keepFiles_ = environmentValue("ZV_SOAK_KEEP_FILES", 0) >= 1;
        zvsim_ = builtFile("zvsim");
        ASSERT_FALSE(zvsim_.empty()) << "the build has no zvsim";
    }

    void TearDown() override {
        if (sampler_) sampler_->stop();
        analyzer_.kill();
        MeasurementFixture::TearDown();
    }

    // The identifiers zvsim sends first (its traffic follows from its seed and setup, which the
    // emulator gives us here): the watch list follows eight of them.
    std::string watchSection() const {
        zv::emu::TrafficConfig traffic;
        traffic.fixedRate = rate_;
        zv::emu::TrafficGenerator generator(zv::emu::DeviceSetup(73763).plan(), traffic, 0);
        std::vector<uint8_t> records;
        generator.generateUntil(zv::emu::kTicksPerSecond, records);
        std::set<std::string> seen;
        std::string section = "[WatchDataFactor]\r\n";
        int n = 0;
        for (size_t at = 0; at + 32 <= records.size() && n < 8; at += 32) {
            const zv::CaptureRecord r(records.data() + at);
            if (r.kind() != zv::RecordKind::Can) continue;
            const char* type = r.isExtended() ? "Extended" : "Standard";
            char entry[160];
            std::snprintf(entry, sizeof entry, "Ch-%c %s %X", r.channelDigit(), type, static_cast<unsigned>(r.canIdentifier()));
            if (!seen.insert(entry).second) continue;
            std::snprintf(entry, sizeof entry, "No%dch=Ch-%c\r\nNo%dframetype=%s\r\nNo%did=%X\r\n", n, r.channelDigit(), n,
                          type, n, static_cast<unsigned>(r.canIdentifier()));
            section += entry;
            ++n;
        }
        return section;
    }

    // [buffer] block: files large enough that a cycle's records fit well within 2000 of them
    // (the program stops monitoring at its file limit, and the fault would never come).
    std::string blockSetting() const {
        const double cycleBytes = cycleSeconds_ * rate_ * 32 * 1.25;
        for (const char* size : {"1M", "2M", "4M", "8M"}) {
            const double fileBytes = static_cast<double>(1u << 20) * (size[0] - '0');
            if (cycleBytes <= fileBytes * 2000) return std::string(size) + ",2000";
        }
        return {};
    }

    std::string statsFile(size_t cycle) const {
        char name[32];
        std::snprintf(name, sizeof name, "\\stats-%04u.txt", static_cast<unsigned>(cycle));
        return sandbox_->root() + name;
    }

    // zvsim for one cycle, on the ports of the first one.
    void startAnalyzer(const std::vector<std::string>& options) {
        std::vector<std::string> all{"--model", "AN-2400", "--exboard", "EX-NB3BP", "--rate", std::to_string(rate_)};
        all.insert(all.end(), options.begin(), options.end());
        const unsigned data = analyzer_.dataPort, control = analyzer_.controlPort;
        ASSERT_TRUE(analyzer_.start(zvsim_, all, data, control)) << "zvsim did not start: " << analyzer_.takeOutput();
    }

    // The stream report zvsim wrote for the cycle, once there.
    std::optional<zv::emu::StreamReport> waitForReport(size_t cycle, DWORD timeoutMs) {
        std::optional<zv::emu::StreamReport> report;
        waitFor(
            [&] {
                analyzer_.takeOutput();
                const std::string text = readTextFile(statsFile(cycle));
                size_t at = 0;
                while (at < text.size()) {
                    const size_t end = text.find('\n', at);
                    if (auto r = zv::emu::parseStreamReport(text.substr(at, end - at))) report = r;
                    at = end == std::string::npos ? text.size() : end + 1;
                }
                return report.has_value();
            },
            timeoutMs);
        return report;
    }

    // A message box with text and an OK button (the transfer dialog has none).
    MessageBoxInfo waitForBox(DWORD timeoutMs) {
        MessageBoxInfo found;
        waitFor(
            [&] {
                analyzer_.takeOutput();
                for (const MessageBoxInfo& box : messageBoxesOf(program_.processId())) {
                    if (!box.text.empty() && GetDlgItem(box.window, IDOK)) found = box;
                }
                return found.window != nullptr;
            },
            timeoutMs);
        return found;
    }

    void answerBox(const MessageBoxInfo& box, const std::string& caption, const std::string& text) {
        ASSERT_TRUE(box.window) << "no box came";
        EXPECT_EQ(box.caption, caption);
        EXPECT_EQ(box.text, text);
        ASSERT_TRUE(answerMessageBox(box, IDOK));
        ASSERT_TRUE(waitFor([&] { return !IsWindow(box.window); }, 5000)) << "the box stayed";
    }

    void connectAndMonitor() {
        postCommand(mainWindow_, 2104);
        ASSERT_TRUE(waitForPane(2, englishString(287), 20000)) << "not connected: " << statusPaneText(control(kStatusBarId), 2);
        ASSERT_TRUE(waitForUsable({2105, 1003, 1007, 2114}, 15000));
        postCommand(mainWindow_, 2114);
        // The checked files left the folder: no question about existing ones may come.
        ASSERT_TRUE(waitFor([&] {
            return !messageBoxesOf(program_.processId()).empty() ||
                   toolbarButtonState(control(kToolbarId), 2102) == kButtonEnabled;
        }, 10000));
        const std::vector<MessageBoxInfo> boxes = messageBoxesOf(program_.processId());
        ASSERT_TRUE(boxes.empty()) << "the monitor command asked: " << boxes.front().text;
        ASSERT_TRUE(waitForUsable({2105, 2102}));
    }

    // The monitor list shows a watched identifier within a few seconds of monitoring.
    int watchedRowsShowing() {
        HWND list = control(kMonitorListId);
        int showing = 0;
        waitFor(
            [&] {
                analyzer_.takeOutput();
                showing = 0;
                for (int row = 0; row < 8; ++row) showing += listViewCellText(list, row, 3).empty() ? 0 : 1;
                return showing > 0;
            },
            5000);
        return showing;
    }

    // Every numbered file of the buffer folder as the program and the reader see it.
    FilesRead readBufferFiles() {
        FilesRead read;
        const std::vector<std::string> names = bufferFileNames();
        for (size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(names[i]);
            char expected[16];
            std::snprintf(expected, sizeof expected, "%08u.DT", static_cast<unsigned>(i));
            EXPECT_EQ(names[i], expected);
            const std::string path = bufferFolder() + "\\" + names[i];
            const std::string bytes = readBinaryFile(path);
            if (bytes.size() < kHeaderSize) {
                ADD_FAILURE() << "shorter than its header: " << bytes.size() << " bytes";
                continue;
            }
            EXPECT_EQ(bytes.substr(0, 16), std::string("ZEVRONA DATA   \0", 16));
            const uint32_t counted = littleEndian32(bytes, kRecordBytesOffset);
            EXPECT_EQ(bytes.size(), kHeaderSize + counted) << "the header counts " << counted << " record bytes";
            zv::LoadedDataFile file;
            EXPECT_TRUE(file.loadFile(path)) << zv::dataFileStatusText(file.status());
            EXPECT_EQ(file.capture().count(), counted / 32);
            for (uint32_t r = 0; r < file.capture().count(); ++r) {
                const uint8_t* record = file.capture().recordBytes(r);
                if (zv::CaptureRecord(record).kind() == zv::RecordKind::LostData) {
                    ++read.markers;
                } else {
                    read.crc = zv::remote::crc32(record, 32, read.crc);
                    ++read.records;
                }
            }
            ++read.files;
            read.lastFileRows = static_cast<int>(file.capture().count());
        }
        return read;
    }

    // Takes the checked files out of the buffer folder: kept under cycles\NNNN or deleted.
    void clearBufferFolder(size_t cycle) {
        char name[32];
        std::snprintf(name, sizeof name, "\\cycles\\%04u", static_cast<unsigned>(cycle));
        const std::string keep = sandbox_->root() + name;
        if (keepFiles_) {
            ASSERT_TRUE(makeFolders(keep));
        }
        for (const std::string& file : bufferFileNames()) {
            const std::string path = bufferFolder() + "\\" + file;
            ASSERT_TRUE(keepFiles_ ? MoveFileA(path.c_str(), (keep + "\\" + file).c_str()) : DeleteFileA(path.c_str()))
                << path << ": error " << GetLastError();
        }
    }

    void runCycle(size_t cycle, Fault fault) {
        const double startedAt = static_cast<double>(GetTickCount64() - start_) / 60000.0;
        const uint64_t bytes = static_cast<uint64_t>(cycleSeconds_ * rate_) * 32;
        const std::string at = (fault == Fault::LostLink ? "drop=monitor:" : "stall=monitor:") + std::to_string(bytes);
        ASSERT_NO_FATAL_FAILURE(startAnalyzer({"--stats", statsFile(cycle), "--fault", at}));
        ASSERT_NO_FATAL_FAILURE(connectAndMonitor());
        EXPECT_GT(watchedRowsShowing(), 0) << "the monitor list shows none of the watched identifiers";

        // The fault strikes once the link carried the cycle's bytes; a PC that falls behind
        // makes zvsim leave blocks out, which only makes it later.
        const DWORD faultLimit = static_cast<DWORD>(cycleSeconds_ * 4000) + 60000;
        std::optional<zv::emu::StreamReport> report;
        if (fault == Fault::SwitchedOff) {
            // The stream stands still at the point, so zvsim's account is final: then the power goes.
            report = waitForReport(cycle, faultLimit);
            ASSERT_TRUE(report) << "zvsim did not stall";
            Sleep(1000);
            analyzer_.kill();
        }
        ++totals_.faultsInjected;
        const MessageBoxInfo lost = waitForBox(fault == Fault::SwitchedOff ? kAnswerTimeoutMs + 15000 : faultLimit);
        // The window is disconnected while the warning is still up.
        EXPECT_TRUE(waitForUsable({2104, 2019, 1007}));
        // A link cut is "lost"; a silent one ends at the answer time-out, which the program names.
        // Switched off after the stall, it is whichever the program notices first.
        const std::string lostText = englishString(9013), silentText = englishString(20066);
        std::string expectedText = fault == Fault::LostLink ? lostText : silentText;
        if (fault == Fault::SwitchedOff && lost.text == lostText) expectedText = lostText;
        ASSERT_NO_FATAL_FAILURE(answerBox(lost, englishString(20057), expectedText));
        if (!report) report = waitForReport(cycle, 15000);
        ASSERT_TRUE(report) << "zvsim wrote no account of the stream";
        EXPECT_EQ(report->end, fault == Fault::LostLink ? "link-ended" : "stalled");
        analyzer_.kill();

        if (fault == Fault::SwitchedOff) {
            // Switched on again, but another PC took it meanwhile: the connect is refused.
            ASSERT_NO_FATAL_FAILURE(startAnalyzer({"--fault", "refuse=0xA0000004"}));
            ++totals_.faultsInjected;
            postCommand(mainWindow_, 2104);
            ASSERT_NO_FATAL_FAILURE(answerBox(waitForBox(20000), "ZV-LK5MQ", englishString(9064)));
            EXPECT_TRUE(waitForPane(2, englishString(20051)));
            EXPECT_TRUE(waitForUsable({2104, 2019, 1007}));
            analyzer_.kill();
            ++totals_.faultsSurvived;
        }

        // Everything the link carried is in the files, and the stretches zvsim left out are
        // marked where they were.
        const FilesRead files = readBufferFiles();
        EXPECT_EQ(files.records, report->sent) << "records written against records zvsim sent";
        EXPECT_EQ(files.crc, report->crc) << "the records written are not those sent";
        EXPECT_EQ(files.markers, report->gaps) << "lost-data markers against the stretches zvsim left out";
        // The measurement's end shows its last file.
        EXPECT_EQ(listViewItemCount(control(kCaptureListId)), files.lastFileRows);
        EXPECT_NE(sendTo(mainWindow_, WM_NULL, 0, 0), -1) << "the program stopped answering";
        if (HasFailure()) return;
        ++totals_.faultsSurvived;
        ++totals_.cycles;
        totals_.sent += report->sent + report->leftOut;
        totals_.written += files.records;
        totals_.lost += report->leftOut;
        totals_.markers += files.markers;
        totals_.unsent += report->unsent;
        totals_.files += files.files;
        std::printf("[ SOAK     ] cycle %u, %s, from minute %.1f: %s records sent, %s written, %s lost (%u markers), "
                    "%s unsent at the cut, %u files\n",
                    static_cast<unsigned>(cycle), faultName(fault), startedAt, grouped(report->sent + report->leftOut).c_str(),
                    grouped(files.records).c_str(), grouped(report->leftOut).c_str(), static_cast<unsigned>(files.markers),
                    grouped(report->unsent).c_str(), static_cast<unsigned>(files.files));
        std::fflush(stdout);
    }

    // The samples as a table, and the figures of the first third against those of the last.
    // The samples before the end of the first cycle are left out of that: the first
    // measurement and the first box of a lost link make what the program keeps from then on.
    void reportResources() {
        const std::vector<Sample> all = sampler_->samples();
        std::printf("[ SAMPLES  ] minute  working set MiB  private MiB  handles  GDI objects  windows\n");
        for (const Sample& s : all) {
            std::printf("[ SAMPLES  ] %6.1f  %15.1f  %11.1f  %7lld  %11lld  %7lld\n", s.minutes,
                        mebibytes(s.resources.workingSet), mebibytes(s.resources.privateBytes),
                        static_cast<long long>(s.resources.handles), static_cast<long long>(s.resources.gdiObjects),
                        static_cast<long long>(s.resources.windows));
        }
        ASSERT_GE(all.size(), 2u);
        const ProcessResources& first = all.front().resources;
        const ProcessResources& last = all.back().resources;
        std::printf("[ FIGURE   ] soak resources first -> last: working set %.1f -> %.1f MiB, private %.1f -> %.1f MiB, "
                    "handles %lld -> %lld, GDI objects %lld -> %lld, windows %lld -> %lld\n",
                    mebibytes(first.workingSet), mebibytes(last.workingSet), mebibytes(first.privateBytes),
                    mebibytes(last.privateBytes), static_cast<long long>(first.handles),
                    static_cast<long long>(last.handles), static_cast<long long>(first.gdiObjects),
                    static_cast<long long>(last.gdiObjects), static_cast<long long>(first.windows),
                    static_cast<long long>(last.windows));
        const std::vector<Sample> samples(all.begin() + static_cast<std::ptrdiff_t>(std::min(warmUpSamples_, all.size())),
                                          all.end());
        const size_t third = samples.size() / 3;
        if (third < 2) {
            std::printf("[ FIGURE   ] soak resources: %u samples after the first cycle, too few to judge growth\n",
                        static_cast<unsigned>(samples.size()));
            return;
        }
        std::printf("[ FIGURE   ] soak resources judged on the %u samples from minute %.1f on\n",
                    static_cast<unsigned>(samples.size()), samples.front().minutes);
        for (const Measure& m : kMeasures) {
            std::vector<double> early, late;
            for (size_t i = 0; i < third; ++i) early.push_back(m.value(samples[i].resources));
            for (size_t i = samples.size() - third; i < samples.size(); ++i) late.push_back(m.value(samples[i].resources));
            const double before = median(early), after = median(late);
            if (before < 0 || after < 0) {
                std::printf("[ FIGURE   ] soak %s: not reported by this system\n", m.name);
                continue;
            }
            const double allowed = before + std::max(before * 0.05, m.slack);
            std::printf("[ FIGURE   ] soak %s, median of the first and the last third: %.1f -> %.1f (allowed %.1f)\n",
                        m.name, before, after, allowed);
            EXPECT_LE(after, allowed) << m.name << " grew";
        }
    }

    double minutes_ = 0;
    double cycleSeconds_ = 0;
    unsigned rate_ = 0;
    DWORD sampleMs_ = 0;
    bool keepFiles_ = false;
    std::string zvsim_;
    LanAnalyzer analyzer_;
    std::unique_ptr<ResourceSampler> sampler_;
    ULONGLONG start_ = 0;
    size_t warmUpSamples_ = 0;
    Totals totals_;
};

TEST_F(Soak, MonitorsIntoBufferFilesThroughLostStalledAndRefusedLinks) {
    start_ = GetTickCount64();
    const std::string block = blockSetting();
    ASSERT_FALSE(block.empty()) << "a cycle's records do not fit into 2000 buffer files of 8 MiB";
    // A first zvsim finds free ports; the profile names them, and every cycle's zvsim takes them.
    ASSERT_NO_FATAL_FAILURE(startAnalyzer({}));
    analyzer_.kill();
    writeProfile("[remote]\r\nmodel=AN-2400\r\nexboard=EX-NB3BP\r\n" + analyzer_.profileSection() +
                 "[buffer]\r\nblock=" + block + "\r\nwarning=yes\r\n" + watchSection());
    ASSERT_TRUE(startMain());
    sampler_ = std::make_unique<ResourceSampler>(program_.process(), program_.processId(), sampleMs_);
    std::printf("[ SOAK     ] %.1f minutes, a fault after every %.0f s of monitoring, %u records a second\n", minutes_,
                cycleSeconds_, rate_);
    std::fflush(stdout);

    const Fault order[] = {Fault::LostLink, Fault::StalledLink, Fault::SwitchedOff};
    size_t failedCycle = 0;
    for (size_t cycle = 1;; ++cycle) {
        runCycle(cycle, order[(cycle - 1) % 3]);
        if (cycle == 1) warmUpSamples_ = sampler_->samples().size();
        if (!HasFailure()) clearBufferFolder(cycle);
        if (HasFailure()) {
            // The figures so far still tell how long it held.
            failedCycle = cycle;
            break;
        }
        const double elapsed = static_cast<double>(GetTickCount64() - start_) / 60000.0;
        if (cycle >= 3 && elapsed >= minutes_) break;
    }
    sampler_->sampleNow();
    sampler_->stop();

    const double hours = static_cast<double>(GetTickCount64() - start_) / 3600000.0;
    std::printf("[ FIGURE   ] soak %.2f h, %u cycles: records sent %s / written %s / reported lost %s (%s lost-data "
                "markers), %s unsent when links were cut, %s buffer files; faults injected %d, survived %d\n",
                hours, static_cast<unsigned>(totals_.cycles), grouped(totals_.sent).c_str(),
                grouped(totals_.written).c_str(), grouped(totals_.lost).c_str(), grouped(totals_.markers).c_str(),
                grouped(totals_.unsent).c_str(), grouped(totals_.files).c_str(), totals_.faultsInjected,
                totals_.faultsSurvived);
    EXPECT_EQ(totals_.written + totals_.lost, totals_.sent);
    reportResources();
    ASSERT_EQ(failedCycle, 0u) << "cycle " << failedCycle << " failed (" << faultName(order[(failedCycle + 2) % 3])
                               << ")";

    postCommand(mainWindow_, kExitCommand);
    DWORD exitCode = 1;
    ASSERT_TRUE(program_.waitForExit(15000, &exitCode)) << "the program did not end";
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace zvui
