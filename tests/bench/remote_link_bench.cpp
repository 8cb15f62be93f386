// The analyzer link end to end: an upload of a full 12 MiB capture memory, over loopback TCP
// through the LAN adapter server and in process, and the monitor stream at 1 M records/s.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "emulator/analyzer.h"
#include "emulator/in_process.h"
#include "emulator/server/adapter_server.h"
#include "zvlkrmt/client/remote_client.h"
#include "zvlkrmt/transport/tcp_transport.h"

namespace {

using namespace zv;

class Waiter : public remote::RemoteCallback {
public:
    void onRequestDone(const remote::RequestPtr& r) override {
        std::lock_guard lock(mutex_);
        last_ = r->result;
        ++done_;
        cond_.notify_all();
    }
    void onMonitorData(uint32_t position, const uint8_t*, uint32_t bytes) override {
        if (position != expected_) ++gaps;
        expected_ = (position + bytes) & 0xFFFF;
        monitorBytes += bytes;
    }
    Result waitDone(int n) {
        std::unique_lock lock(mutex_);
        cond_.wait_for(lock, std::chrono::seconds(20), [&] { return done_ >= n; });
        return done_ >= n ? last_ : remote::kTimeout;
    }
    int count() {
        std::lock_guard lock(mutex_);
        return done_;
    }
    std::atomic<uint64_t> monitorBytes{0};
    std::atomic<uint64_t> gaps{0};

private:
    std::mutex mutex_;
    std::condition_variable cond_;
    int done_ = 0;
    Result last_ = kOk;
    uint32_t expected_ = 0;
};

struct Rig {
    Rig(bool tcp, uint32_t rate, bool stopWhenFull) {
        emu::AnalyzerConfig c;
        c.traffic.fixedRate = rate;
        c.stopWhenFull = stopWhenFull;
        analyzer = std::make_unique<emu::Analyzer>(c);
        client = std::make_unique<remote::RemoteClient>(waiter);
        if (tcp) {
            server = std::make_unique<emu::AdapterServer>(*analyzer);
            server->start("127.0.0.1", "0", "0");
            const remote::TcpEndpoint ep{"127.0.0.1", std::to_string(server->dataPort()),
                                         std::to_string(server->controlPort())};
            client->setConnector([ep](std::unique_ptr<remote::Transport>& out) {
                return remote::openTcpTransport(ep, 2000, out);
            });
        } else {
            client->setConnector(emu::inProcessConnector(*analyzer));
        }
        submit(remote::kKindConnect, 0, 0);
    }
    ~Rig() {
        client.reset();
        server.reset();
        analyzer.reset();
    }
    Result submit(uint32_t kind, uint32_t p1, uint32_t p3, uint8_t* memory = nullptr) {
        auto r = std::make_shared<remote::ClientRequest>();
        r->kind = kind;
        r->param1 = p1;
        r->param2 = memory ? 1 : 0;
        r->param3 = p3;
        r->memory = memory;
        const int n = waiter.count() + 1;
        client->submit(r);
        return waiter.waitDone(n);
    }

    Waiter waiter;
    std::unique_ptr<emu::Analyzer> analyzer;
    std::unique_ptr<emu::AdapterServer> server;
    std::unique_ptr<remote::RemoteClient> client;
};

void uploadFullMemory(benchmark::State& state, bool tcp) {
    Rig rig(tcp, 4000000, true);
    rig.submit(remote::kKindMeasurement, 1, 0);
    while (rig.analyzer->measuring()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<uint8_t> buffer(12u << 20);
    for (auto _ : state) {
        if (rig.submit(remote::kKindReceive, remote::kBlockRecords, 0xC00000, buffer.data()) != kOk)
            state.SkipWithError("upload failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(buffer.size()));
}

void BM_UploadTwelveMebibytesTcp(benchmark::State& state) { uploadFullMemory(state, true); }
void BM_UploadTwelveMebibytesInProcess(benchmark::State& state) { uploadFullMemory(state, false); }
BENCHMARK(BM_UploadTwelveMebibytesTcp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UploadTwelveMebibytesInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// Streams for two seconds at one million records a second; reports what arrived and the gaps
// in the stream positions (lost blocks).
void BM_MonitorStreamOneMillionPerSecond(benchmark::State& state) {
    for (auto _ : state) {
        Rig rig(state.range(0) == 1, 1000000, false);
        rig.submit(remote::kKindMeasurement, 1, 0);
        std::this_thread::sleep_for(std::chrono::seconds(2));
        rig.analyzer->stopMeasurement(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        state.counters["records_per_s"] = static_cast<double>(rig.waiter.monitorBytes / 32) / 2.0;
        state.counters["gaps"] = static_cast<double>(rig.waiter.gaps);
    }
}
BENCHMARK(BM_MonitorStreamOneMillionPerSecond)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
