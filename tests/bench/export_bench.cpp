// Export of 1,000,000 records of emulator traffic (CAN frames on both channels, 500 and 125
// kbit/s, with trigger marks and overrun markers) into each log format, in memory: records
// per second and output megabytes per second.
// With ZV_BENCH_EXPORT_DIR set, the data file and its candump log are also written there
// (frames.DT, frames.log), for scripts/bench to time can-utils' log2asc on the same frames.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "capture/capture.h"
#include "capture/data_file_writer.h"
#include "emulator/device_setup.h"
#include "emulator/traffic.h"
#include "formats/export.h"

namespace {

constexpr uint32_t kRecords = 1000000;
constexpr zv::BoardType kBoard = 73763;

const std::vector<uint8_t>& fileImage() {
    static const std::vector<uint8_t> image = [] {
        zv::emu::DeviceSetup device(kBoard);
        zv::emu::SetupPlan plan = device.plan();
        plan.channels[0].protocol = zv::emu::ChannelProtocol::Can;
        plan.channels[0].bitRate = 500000;
        plan.channels[1].protocol = zv::emu::ChannelProtocol::Can;
        plan.channels[1].bitRate = 125000;
        zv::emu::TrafficConfig config;
        config.seed = 16;
        config.fixedRate = 20000;
        zv::emu::TrafficGenerator generator(plan, config, 0);
        std::vector<uint8_t> records;
        records.reserve(static_cast<size_t>(kRecords + 64) * zv::kCaptureRecordSize);
        for (uint64_t tick = 5000; records.size() < kRecords * zv::kCaptureRecordSize; tick += 5000)
            generator.generateUntil(tick, records);
        records.resize(static_cast<size_t>(kRecords) * zv::kCaptureRecordSize);
        const size_t header = zv::dataFileHeaderSize(kBoard);
        std::vector<uint8_t> bytes(header + records.size());
        zv::composeDataFileHeader(bytes.data(), kBoard, device.dataInfo(), static_cast<uint32_t>(records.size()));
        std::copy(records.begin(), records.end(), bytes.begin() + static_cast<std::ptrdiff_t>(header));
        return bytes;
    }();
    return image;
}

zv::ExportSettings settings() {
    zv::ExportSettings s;
    s.start = zv::logStartFromEpoch(int64_t{1709280000} * 1000000);
    s.sourceName = "frames.DT";
    return s;
}

void exportFormat(benchmark::State& state, zv::ExportFormat format) {
    zv::CCapture capture;
    if (!capture.load(fileImage().data(), fileImage().size())) {
        state.SkipWithError("the file did not load");
        return;
    }
    zv::MemorySink sink;
    sink.reserve(200u * 1024 * 1024);
    zv::ExportCounts counts;
    for (auto _ : state) {
        sink.clear();
        if (zv::exportCapture(capture, format, settings(), sink, counts) != zv::ExportResult::Completed)
            state.SkipWithError("the export failed");
        benchmark::DoNotOptimize(sink.text().data());
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(capture.count()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(sink.text().size()) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
    state.counters["frames"] = static_cast<double>(counts.frames);
}

// The inputs of the log2asc comparison in scripts/bench.
void writeComparisonFiles() {
    const char* dir = std::getenv("ZV_BENCH_EXPORT_DIR");
    if (dir == nullptr || *dir == 0) return;
    const std::string base = std::string(dir) + "/frames";
    zv::writeWholeFile(base + ".DT", fileImage().data(), fileImage().size());
    zv::CCapture capture;
    capture.load(fileImage().data(), fileImage().size());
    zv::MemorySink sink;
    zv::ExportCounts counts;
    zv::exportCapture(capture, zv::ExportFormat::Candump, settings(), sink, counts);
    zv::writeWholeFile(base + ".log", reinterpret_cast<const uint8_t*>(sink.text().data()), sink.text().size());
}

}  // namespace

BENCHMARK_CAPTURE(exportFormat, asc, zv::ExportFormat::Asc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(exportFormat, blf, zv::ExportFormat::Blf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(exportFormat, candump, zv::ExportFormat::Candump)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(exportFormat, pcapng, zv::ExportFormat::Pcapng)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    writeComparisonFiles();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
