// The analyzer link as the program uses it: the remote library's exports and objects with the
// session CZVRemote5m on top. A 12 MiB capture uploaded over loopback TCP through the upload
// chain into DATAFILE.TMP, and a monitor measurement at one million records a second for ten
// seconds into buffer files and the watch list. Figures are printed as counters; nothing is
// asserted about time.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture/buffer_files.h"
#include "capture/watch_list.h"
#include "emulator/analyzer.h"
#include "emulator/server/adapter_server.h"
#include "remote/czvremote5m.h"
#include "remote/session_messages.h"
#include "remote/session_sink.h"
#include "remote/zvremote.h"
#include "setup/setup_areas.h"
#include "zvlkrmt/api/library.h"

namespace {

using namespace zv;
using namespace std::chrono_literals;

class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("zvbench-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string string() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// The main window's side of the session: remembers what was posted and gives back the
// references messages carry.
class BenchSink final : public SessionSink {
public:
    struct Posted {
        uint32_t message;
        uintptr_t wParam;
        uint32_t kind;
        int32_t result;
        uintptr_t param2;
    };
    bool postMain(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        Posted p{message, wParam, 0, 0, 0};
        if (message == UM_REQUEST_DONE) {
            const auto* r = reinterpret_cast<IZVRemoteRequest*>(lParam);
            p.kind = r->kind;
            p.result = r->result;
            p.param2 = r->param2;
            CZVRemote5m::releaseRequestMessage(lParam);
        } else if (message == UM_REMOTE_CLOSE) {
            CZVRemote5m::closeRemoteMessage(lParam);
        }
        std::lock_guard lock(mutex_);
        posted_.push_back(p);
        cond_.notify_all();
        return true;
    }
    bool postSetup(uint32_t, uintptr_t, uintptr_t) override { return true; }
    bool postKeyEmulation(uint32_t) override { return true; }
    void setBoardText(std::string_view) override {}
    void writeModelKeys(std::string_view, std::string_view) override {}
    void showWarning(uint32_t, uint32_t, std::optional<uint32_t>) override {}
    bool progressDialogOpen() override { return false; }
    void cancelProgressDialog() override {}
    void closeProgressDialog() override {}
    bool monitoring() override { return monitoring_.load(); }
    intptr_t uploadDialogResult() override { return 0; }
    std::string dataFolder() override { return folder; }

    // The first message of this number posted from `from` on.
    std::optional<Posted> waitFor(uint32_t message, size_t from, std::chrono::milliseconds limit = 30s) {
        std::unique_lock lock(mutex_);
        std::optional<Posted> found;
        cond_.wait_for(lock, limit, [&] {
            for (size_t i = from; i < posted_.size(); ++i)
                if (posted_[i].message == message) {
                    found = posted_[i];
                    return true;
                }
            return false;
        });
        return found;
    }
    size_t count() {
        std::lock_guard lock(mutex_);
        return posted_.size();
    }

    std::string folder;
    std::atomic<bool> monitoring_{false};

private:
    std::mutex mutex_;
    std::condition_variable cond_;
    std::vector<Posted> posted_;
};

// One session with its world: the model, the working setup, buffer files and watch list.
struct SessionRig {
    explicit SessionRig(const ConnectionSettings& settings)
        : connection(settings), files(realFileSystem(), &watch),
          session(sink, SessionContext{model, setup, files, connection}) {
        setup.initDefaults(kDefaultBoardType);
        // Sixteen watched identifiers, so that matching does its full work.
        std::array<WatchEntry, kWatchEntryCount> entries{};
        for (int i = 0; i < kWatchEntryCount; ++i) {
            entries[static_cast<size_t>(i)].enabled = true;
            entries[static_cast<size_t>(i)].channel = static_cast<uint8_t>(1 + i % 2);
            entries[static_cast<size_t>(i)].identifier = 0x100u + static_cast<uint32_t>(i);
        }
        watch.setEntries(entries);
        ok = succeeded(session.createRemote());
        const size_t from = sink.count();
        ok = ok && succeeded(session.connect());
        const auto done = sink.waitFor(UM_REQUEST_DONE, from);
        ok = ok && done && succeeded(done->result);
    }
    ~SessionRig() {
        const size_t from = sink.count();
        if (succeeded(session.disconnect())) sink.waitFor(UM_REMOTE_CLOSE, from, 5s);
        IZVRemote* remote = nullptr;
        if (succeeded(session.getRemote(&remote)) && remote) {
            remote->Close();
            remote->Release();
        }
    }

    ConnectionSettings connection;
    BenchSink sink;
    CurrentModel model;
    SetupWorkspace setup;
    WatchList watch;
    BufferFiles files;
    CZVRemote5m session;
    bool ok = false;
};

ConnectionSettings lanSettings(const emu::AdapterServer& server) {
    ConnectionSettings c = remote_api::defaultConnectionSettings();
    c.method = remote_api::kMethodLan;
    std::snprintf(c.host, sizeof c.host, "127.0.0.1");
    std::snprintf(c.dataService, sizeof c.dataService, "%u", server.dataPort());
    std::snprintf(c.controlService, sizeof c.controlService, "%u", server.controlPort());
    return c;
}

// The library initialised for the benchmark, its USB analyzers from a configuration text.
class Library {
public:
    explicit Library(const std::string& config = {}) {
        if (!config.empty()) {
            std::ofstream(folder_.string() + "/zvlkrmt.ini") << config;
            remote_api::setConfigPath(folder_.string() + "/zvlkrmt.ini");
        }
        ZVInitializeRemote();
    }
    ~Library() {
        ZVUninitializeRemote();
        remote_api::setConfigPath("");
    }

private:
    ScratchFolder folder_;
};

// (a) A full 12 MiB capture memory over loopback TCP into DATAFILE.TMP, unthrottled.
void BM_SessionUploadTwelveMebibytesTcp(benchmark::State& state) {
    Library library;
    emu::AnalyzerConfig config;
    config.traffic.fixedRate = 4000000;
    config.stopWhenFull = true;
    emu::Analyzer analyzer(config);
    emu::AdapterServer server(analyzer);
    if (failed(server.start("127.0.0.1", "0", "0"))) return state.SkipWithError("cannot listen");
    analyzer.startMeasurement();
    while (analyzer.measuring()) std::this_thread::sleep_for(10ms);
    ScratchFolder folder;
    SessionRig rig(lanSettings(server));
    if (!rig.ok) return state.SkipWithError("cannot connect");
    rig.sink.folder = folder.string();
    uintmax_t fileBytes = 0;
    for (auto _ : state) {
        const size_t from = rig.sink.count();
        if (failed(rig.session.startUpload())) return state.SkipWithError("upload refused");
        const auto done = rig.sink.waitFor(UM_UPLOAD_DONE, from);
        if (!done || failed(static_cast<Result>(static_cast<uint32_t>(done->wParam))))
            return state.SkipWithError("upload failed");
        fileBytes = std::filesystem::file_size(folder.string() + "/" + kUploadFileName);
    }
    state.counters["capture_bytes"] = static_cast<double>(analyzer.captureBytes());
    state.counters["file_bytes"] = static_cast<double>(fileBytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fileBytes));
}
BENCHMARK(BM_SessionUploadTwelveMebibytesTcp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// (b) Monitor data at one million records a second for ten seconds: analyzer -> library ->
// session -> buffer files (8 MiB files) and the watch list. Arg 0: the built-in USB analyzer
// in process; 1: an analyzer behind the LAN adapter server on loopback.
void BM_SessionMonitorOneMillionPerSecond(benchmark::State& state) {
    const bool lan = state.range(0) == 1;
    constexpr double kSeconds = 10;
    for (auto _ : state) {
        Library library("[analyzer]\nserial = 30808010\nfixed-rate = 1000000\n");
        emu::AnalyzerConfig config;
        config.traffic.fixedRate = 1000000;
        emu::Analyzer analyzer(config);
        emu::AdapterServer server(analyzer);
        ConnectionSettings settings = remote_api::defaultConnectionSettings();
        if (lan) {
            if (failed(server.start("127.0.0.1", "0", "0"))) return state.SkipWithError("cannot listen");
            settings = lanSettings(server);
        } else {
            std::snprintf(settings.usbSerialNumber, sizeof settings.usbSerialNumber, "30808010");
        }
        ScratchFolder folder;
        SessionRig rig(settings);
        if (!rig.ok) return state.SkipWithError("cannot connect");
        BufferSettings buffer;
        buffer.flags = kBufferFlagFullStop;
        buffer.blockSizeIndex = 3;
        buffer.blockCount = 2000;
        buffer.folder = folder.string();
        if (failed(rig.files.startBufferFiles(buffer, rig.model.boardType.load())))
            return state.SkipWithError("cannot start the buffer files");
        rig.sink.monitoring_ = true;
        const size_t from = rig.sink.count();
        const auto begin = std::chrono::steady_clock::now();
        rig.session.startMeasurement();
        std::this_thread::sleep_for(std::chrono::duration<double>(kSeconds));
        rig.session.stopMeasurement();
        rig.sink.waitFor(UM_MEASUREMENT_ENDED, from, 10s);
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        rig.sink.monitoring_ = false;
        rig.files.endMonitoring();
        const BufferCounters c = rig.files.counters();
        state.counters["records_per_s"] = static_cast<double>(c.recordsReceived) / elapsed;
        state.counters["records"] = static_cast<double>(c.recordsReceived);
        state.counters["lost_data_markers"] = static_cast<double>(c.lostDataMarkers);
        state.counters["files"] = static_cast<double>(scanBufferFolder(realFileSystem(), folder.string()).count);
    }
}
BENCHMARK(BM_SessionMonitorOneMillionPerSecond)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
