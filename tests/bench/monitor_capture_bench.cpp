// Monitor reception: appendMonitorBlock (buffer files in a temporary folder, 1 MiB files,
// the default setting) with matchWatch over 16 entries, as the remote library's thread runs
// it. Every run checks that nothing was lost: no lost-data marker, no failed block, and the
// record bytes in the finished files add up to what was handed over.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "capture/buffer_files.h"
#include "capture/watch_list.h"

namespace {

constexpr size_t kBlockBytes = 8192;  // the largest block the analyzer sends
constexpr size_t kRecordsPerBlock = kBlockBytes / 32;

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
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A mix of CAN standard, CAN extended and LIN frames on both channels, some of them watched.
std::vector<uint8_t> trafficBlock(uint32_t seed) {
    std::vector<uint8_t> block(kBlockBytes);
    for (size_t i = 0; i < kRecordsPerBlock; ++i) {
        uint8_t* r = block.data() + i * 32;
        const uint32_t k = seed * 977u + static_cast<uint32_t>(i);
        const uint32_t kind = k % 5;
        zv::putU32(r, 4, k);
        if (kind < 2) {  // CAN standard
            r[0] = static_cast<uint8_t>(1 + (k & 1));
            r[10] = 8;
            r[11] = 8;
            zv::putU32(r, 12, (0x100u + (k % 24)) << 18);
        } else if (kind < 4) {  // CAN extended
            r[0] = static_cast<uint8_t>(1 + (k & 1));
            r[10] = 8;
            r[11] = 0x88;
            zv::putU32(r, 12, 0x18DA0000u + (k % 24));
        } else {  // LIN
            r[0] = static_cast<uint8_t>(3 + (k & 1));
            r[10] = 3;
            r[11] = 0;
            r[13] = static_cast<uint8_t>(k % 64);
        }
        for (size_t j = 16; j < 24; ++j) r[j] = static_cast<uint8_t>(k + j);
    }
    return block;
}

void watchSixteen(zv::WatchList& watch) {
    std::array<zv::WatchEntry, zv::kWatchEntryCount> entries{};
    for (int i = 0; i < zv::kWatchEntryCount; ++i) {
        zv::WatchEntry& e = entries[static_cast<size_t>(i)];
        e.enabled = true;
        e.channel = static_cast<uint8_t>(1 + (i & 1));
        e.frameType = static_cast<uint8_t>(i < 8 ? 0 : 1);
        e.identifier = i < 8 ? 0x100u + static_cast<uint32_t>(i) : 0x18DA0000u + static_cast<uint32_t>(i);
    }
    watch.setEntries(entries);
}

uint64_t recordBytesInFiles(const std::filesystem::path& folder) {
    uint64_t total = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(e.path(), std::ios::binary);
        uint8_t header[844];
        in.read(reinterpret_cast<char*>(header), sizeof header);
        if (in.gcount() == sizeof header) total += zv::getU32(header, 840);
    }
    return total;
}

void appendAndMatch(benchmark::State& state, bool withWatch) {
    std::vector<std::vector<uint8_t>> blocks;
    for (uint32_t s = 0; s < 16; ++s) blocks.push_back(trafficBlock(s));
    ScratchFolder folder;
    zv::WatchList watch;
    watchSixteen(watch);
    zv::BufferFiles files(zv::realFileSystem(), withWatch ? &watch : nullptr);
    zv::BufferSettings settings;
    settings.blockSizeIndex = static_cast<int>(state.range(0));
    settings.blockCount = 2000;
    settings.folder = folder.string();
    if (zv::failed(files.startBufferFiles(settings, 73763))) {
        state.SkipWithError("start failed");
        return;
    }
    uint32_t position = 0;
    size_t n = 0;
    uint64_t failures = 0;
    for (auto _ : state) {
        const zv::Result r = files.appendMonitorBlock(position, blocks[n & 15].data(), kBlockBytes);
        failures += zv::failed(r) ? 1u : 0u;
        position += kBlockBytes;
        ++n;
    }
    // Past the loop: the clock has stopped.
    files.endMonitoring();
    const zv::BufferCounters c = files.counters();
    const uint64_t written = recordBytesInFiles(folder.path());
    const double records = static_cast<double>(n * kRecordsPerBlock);
    state.SetItemsProcessed(static_cast<int64_t>(n * kRecordsPerBlock));
    state.SetBytesProcessed(static_cast<int64_t>(n * kBlockBytes));
    state.counters["records/s"] = benchmark::Counter(records, benchmark::Counter::kIsRate);
    state.counters["lost"] = static_cast<double>(c.lostDataMarkers + failures + (written != c.bytesReceived));
    state.counters["files"] = c.bufferFiles;
    if (c.lostDataMarkers || failures || written != c.bytesReceived) state.SkipWithError("data lost");
}

void BM_AppendMonitorBlockWithWatch(benchmark::State& state) { appendAndMatch(state, true); }
void BM_AppendMonitorBlockOnly(benchmark::State& state) { appendAndMatch(state, false); }

void BM_MatchWatch(benchmark::State& state) {
    const std::vector<uint8_t> block = trafficBlock(1);
    zv::WatchList watch;
    watchSixteen(watch);
    for (auto _ : state) {
        watch.matchWatch(block.data(), block.size());
        benchmark::ClobberMemory();
    }
    const auto records = state.iterations() * static_cast<int64_t>(kRecordsPerBlock);
    state.SetItemsProcessed(records);
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}

}  // namespace

// Argument: block size index (0 = 1 MiB files, 3 = 8 MiB files). A fixed 100,000 blocks
// (25.6 M records, 800 MiB in 782 or 98 files) stays clear of the 2000-file limit.
BENCHMARK(BM_AppendMonitorBlockWithWatch)->Arg(0)->Arg(3)->Iterations(100000)->UseRealTime();
BENCHMARK(BM_AppendMonitorBlockOnly)->Arg(0)->Iterations(100000)->UseRealTime();
BENCHMARK(BM_MatchWatch);

BENCHMARK_MAIN();
