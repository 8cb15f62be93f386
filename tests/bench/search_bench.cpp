// The capture list's counting search over a 12 MiB data file (393,216 records of emulator
// traffic on a CAN and a LIN channel, with trigger marks, LIN error marks and EXT input
// changes), one condition of each kind, in records per second; and a find next that crosses
// the whole file without a match, the longest a find command can take on that file.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "capture/capture.h"
#include "capture/data_file_writer.h"
#include "emulator/device_setup.h"
#include "emulator/traffic.h"
#include "search/condition_text.h"
#include "search/search_match.h"

namespace {

constexpr uint32_t kRecords = 12u * 1024 * 1024 / 32;
constexpr zv::BoardType kBoard = 73763;  // dual-protocol board with analog inputs

const std::vector<uint8_t>& fileImage() {
    static const std::vector<uint8_t> image = [] {
        zv::emu::DeviceSetup device(kBoard);
        zv::emu::SetupPlan plan = device.plan();
        plan.channels[0].protocol = zv::emu::ChannelProtocol::Can;
        plan.channels[0].bitRate = 500000;
        plan.channels[1].protocol = zv::emu::ChannelProtocol::Lin;
        plan.channels[1].bitRate = 19200;
        zv::emu::TrafficConfig config;
        config.seed = 14;
        config.fixedRate = 20000;
        zv::emu::TrafficGenerator generator(plan, config, 0);
        std::vector<uint8_t> records;
        records.reserve(static_cast<size_t>(kRecords + 64) * zv::kCaptureRecordSize);
        for (uint64_t tick = 5000; records.size() < kRecords * zv::kCaptureRecordSize; tick += 5000) {
            generator.generateUntil(tick, records);
        }
        records.resize(static_cast<size_t>(kRecords) * zv::kCaptureRecordSize);
        // Trigger marks and EXT input changes now and then, as a real measurement has them.
        for (size_t i = 0; i < kRecords; i += 997) records[i * zv::kCaptureRecordSize + 1] |= 0x80;
        for (size_t i = 0; i < kRecords; ++i) {
            uint8_t* r = &records[i * zv::kCaptureRecordSize];
            if ((i / 5000) % 2 == 1) r[1] |= 0x10;
            if (i % 1013 == 0 && (r[0] == zv::kSourceLin1 || r[0] == zv::kSourceLin2)) r[2] |= 0x04;  // data byte 0 marked
        }

        const size_t header = zv::dataFileHeaderSize(kBoard);
        std::vector<uint8_t> bytes(header + records.size());
        zv::composeDataFileHeader(bytes.data(), kBoard, device.dataInfo(), static_cast<uint32_t>(records.size()));
        std::copy(records.begin(), records.end(), bytes.begin() + static_cast<std::ptrdiff_t>(header));
        return bytes;
    }();
    return image;
}

zv::SearchCondition condition(const std::string& text) {
    return std::get<zv::SearchCondition>(zv::parseSearchCondition(text));
}

void countSearch(benchmark::State& state, const std::string& text) {
    zv::CCapture capture;
    if (!capture.load(fileImage().data(), fileImage().size())) {
        state.SkipWithError("the file did not load");
        return;
    }
    const zv::SearchMatcher matcher(condition(text), capture.recordTag());
    uint64_t matches = 0;
    for (auto _ : state) {
        matches = zv::searchCapture(capture, matcher, -1, true, true).matches;
        benchmark::DoNotOptimize(matches);
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(capture.count()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["matches"] = static_cast<double>(matches);
    state.SetLabel(text);
}

// Find next from row 0 with nothing to find: every row is looked at.
void findNextWholeFile(benchmark::State& state) {
    zv::CCapture capture;
    if (!capture.load(fileImage().data(), fileImage().size())) {
        state.SkipWithError("the file did not load");
        return;
    }
    const zv::SearchMatcher matcher(condition("frame id=0x7FF data=5A A5 5A A5 5A A5 5A A5"), capture.recordTag());
    for (auto _ : state) benchmark::DoNotOptimize(zv::searchCapture(capture, matcher, 0, true, false).row);
    state.counters["rows"] = static_cast<double>(capture.count());
}

}  // namespace

BENCHMARK_CAPTURE(countSearch, trigger, std::string("trigger"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(countSearch, lin_error, std::string("lin-error=B,S,P,C,mark"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(countSearch, frame, std::string("frame id=xxxxxxxxxx0 data=?? 0x"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(countSearch, remote, std::string("remote id=any"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(countSearch, time, std::string("time=00:1*.**"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(countSearch, ext, std::string("ext=1"))->Unit(benchmark::kMillisecond);
BENCHMARK(findNextWholeFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
