// The capture list while scrolling: a screen of cells (40 rows x 24 columns) answered from a
// 375,000-record file image, at scroll positions spread over the whole file, in both time
// modes. Each screen is timed on its own, so that the figures show the median and the worst
// screen besides the cells per second; nothing here asserts a time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "capture/capture.h"
#include "capture/cell_text.h"
#include "capture/data_file_writer.h"
#include "emulator/device_setup.h"
#include "emulator/traffic.h"

namespace {

constexpr uint32_t kRecords = 375000;
constexpr uint32_t kScreenRows = 40;
constexpr uint32_t kScrollPositions = 512;
constexpr zv::BoardType kBoard = 73763;  // dual-protocol board with analog inputs

// The emulator's traffic on a CAN channel and a LIN channel with an identifier table, as a
// data file image the way the display loads it.
const std::vector<uint8_t>& fileImage() {
    static const std::vector<uint8_t> image = [] {
        zv::emu::DeviceSetup device(kBoard);
        zv::emu::SetupPlan plan = device.plan();
        plan.analogInputs = true;
        plan.channels[0].protocol = zv::emu::ChannelProtocol::Can;
        plan.channels[0].bitRate = 500000;
        zv::emu::ChannelPlan& lin = plan.channels[1];
        lin.protocol = zv::emu::ChannelProtocol::Lin;
        lin.bitRate = 19200;
        lin.useIdTable = true;
        for (size_t id = 0; id < 64; ++id) {
            lin.linLength[id] = static_cast<uint8_t>(1 + id % 8);
            lin.linChecksum[id] = static_cast<uint8_t>(id % 2);
        }
        zv::emu::TrafficConfig config;
        config.seed = 7;
        config.fixedRate = 20000;
        zv::emu::TrafficGenerator generator(plan, config, 0);
        std::vector<uint8_t> records;
        records.reserve(static_cast<size_t>(kRecords + 64) * zv::kCaptureRecordSize);
        for (uint64_t tick = 5000; records.size() < kRecords * zv::kCaptureRecordSize; tick += 5000) {
            generator.generateUntil(tick, records);
        }
        records.resize(static_cast<size_t>(kRecords) * zv::kCaptureRecordSize);

        const size_t header = zv::dataFileHeaderSize(kBoard);
        std::vector<uint8_t> bytes(header + records.size());
        zv::composeDataFileHeader(bytes.data(), kBoard, device.dataInfo(), static_cast<uint32_t>(records.size()));
        std::copy(records.begin(), records.end(), bytes.begin() + static_cast<std::ptrdiff_t>(header));
        return bytes;
    }();
    return image;
}

// First rows of the screens: a fixed, scattered order over the whole file (the scroll bar
// dragged back and forth), including the first and the last screen.
std::vector<uint32_t> scrollPositions(uint32_t count) {
    std::vector<uint32_t> tops;
    const uint32_t lastTop = count > kScreenRows ? count - kScreenRows : 0;
    uint64_t state = 0x9E3779B97F4A7C15ull;
    tops.push_back(0);
    tops.push_back(lastTop);
    while (tops.size() < kScrollPositions) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        tops.push_back(static_cast<uint32_t>((state >> 33) % (lastTop + 1)));
    }
    return tops;
}

void screensOfCells(benchmark::State& state, zv::TimeColumnMode mode) {
    const std::vector<uint8_t>& image = fileImage();
    zv::CCapture capture;
    if (!capture.load(image.data(), image.size()) || capture.count() != kRecords) {
        state.SkipWithError("the file image does not load");
        return;
    }
    const std::vector<uint32_t> tops = scrollPositions(capture.count());
    // The list view's own text buffer: every cell is written into it, as in the program.
    char text[260];
    std::vector<double> screenNs;
    uint64_t cells = 0;
    size_t characters = 0;
    for (auto _ : state) {
        for (uint32_t top : tops) {
            const auto start = std::chrono::steady_clock::now();
            for (uint32_t row = top; row < top + kScreenRows; ++row) {
                for (int column = 0; column < zv::kCaptureListColumns; ++column) {
                    characters += zv::captureCellText(capture, row, column, mode, text, sizeof text);
                }
            }
            const auto end = std::chrono::steady_clock::now();
            screenNs.push_back(std::chrono::duration<double, std::nano>(end - start).count());
        }
        cells += static_cast<uint64_t>(tops.size()) * kScreenRows * zv::kCaptureListColumns;
        benchmark::DoNotOptimize(characters);
    }
    std::sort(screenNs.begin(), screenNs.end());
    state.SetItemsProcessed(static_cast<int64_t>(cells));
    state.counters["cells/s"] = benchmark::Counter(static_cast<double>(cells), benchmark::Counter::kIsRate);
    state.counters["screen_median_us"] = screenNs[screenNs.size() / 2] / 1000.0;
    state.counters["screen_worst_us"] = screenNs.back() / 1000.0;
    state.counters["screens"] = static_cast<double>(tops.size());
}

void BM_CaptureListScreenTime(benchmark::State& state) { screensOfCells(state, zv::TimeColumnMode::Absolute); }
void BM_CaptureListScreenDeltaT(benchmark::State& state) { screensOfCells(state, zv::TimeColumnMode::Difference); }

// Loading the display's file image: the chunk walk and the data-information block. The
// records are not touched, so the time does not grow with the file.
void BM_CaptureLoadImage(benchmark::State& state) {
    const std::vector<uint8_t>& image = fileImage();
    zv::CCapture capture;
    for (auto _ : state) {
        benchmark::DoNotOptimize(capture.load(image.data(), image.size()));
    }
}

}  // namespace

BENCHMARK(BM_CaptureListScreenTime)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureListScreenDeltaT)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureLoadImage)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
