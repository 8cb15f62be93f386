// The reliable stream of serial links over an unthrottled in-process pipe: what the framing,
// checks and acknowledgements cost, far above any serial line speed (115200 baud carries about
// 11.5 KB/s).
#include <benchmark/benchmark.h>

#include <memory>
#include <thread>
#include <vector>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/transport/reliable_stream.h"
#include "zvlkrmt/transport/serial_port.h"

namespace {

using namespace zv;

// Sends `total` bytes from a to b in 64 KiB writes (the frame link's largest) while b reads.
bool transfer(remote::Transport& a, remote::Transport& b, size_t total) {
    std::vector<uint8_t> chunk(65536, 0x5A);
    std::thread writer([&] {
        for (size_t sent = 0; sent < total; sent += chunk.size()) {
            if (failed(a.write(chunk.data(), std::min(chunk.size(), total - sent)))) return;
        }
    });
    std::vector<uint8_t> buffer(65536);
    size_t got = 0;
    bool ok = true;
    while (got < total) {
        size_t n = 0;
        const Result r = b.read(buffer.data(), buffer.size(), n, 5000);
        if (r != kOk) {
            ok = false;
            break;
        }
        got += n;
    }
    writer.join();
    return ok;
}

void run(benchmark::State& state, const remote::ReliableStreamOptions& options, bool reliable) {
    auto [ra, rb] = remote::makePipePair();
    std::unique_ptr<remote::Transport> a = std::move(ra), b = std::move(rb);
    if (reliable) {
        a = remote::makeReliableStream(std::move(a), options);
        b = remote::makeReliableStream(std::move(b), options);
    }
    constexpr size_t kTotal = 8u << 20;
    for (auto _ : state) {
        if (!transfer(*a, *b, kTotal)) state.SkipWithError("transfer failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTotal));
}

// The plain pipe, for comparison.
void BM_PipeEightMebibytes(benchmark::State& state) { run(state, {}, false); }
// The stream's own defaults: 1 KiB packets, 16 in flight.
void BM_ReliableStreamEightMebibytes(benchmark::State& state) { run(state, {}, true); }
// As a 115200-baud port sets it up (1 KiB packets, 8 in flight, XON/XOFF stuffed).
void BM_ReliableStreamSerialSettings(benchmark::State& state) {
    run(state, remote::serialStreamOptions({"COM1", 115200, 0, true}), true);
}
BENCHMARK(BM_PipeEightMebibytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReliableStreamEightMebibytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReliableStreamSerialSettings)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
