// The remote library as the program sees it: the four exports and the objects they hand out,
// against the built-in USB analyzers and against an analyzer behind the LAN adapter server.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/bytes.h"
#include "emulator/analyzer.h"
#include "emulator/config.h"
#include "emulator/server/adapter_server.h"
#include "remote/zvremote.h"
#include "support/temp_dir.h"
#include "zvlkrmt/api/library.h"
#include "zvlkrmt/api/remote_object.h"
#include "zvlkrmt/api/request_object.h"
#include "zvlkrmt/transport/net.h"

namespace zv::remote_api {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t hex(int32_t r) { return static_cast<uint32_t>(r); }

// Polls a condition that no callback announces (object counts); false after the deadline.
bool eventually(const std::function<bool()>& pred, int ms = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The program's side: records every notification under a lock.
class Callback final : public IZVRemoteCallback {
public:
    struct Done {
        uint32_t kind;
        int32_t result;
        uintptr_t param2;
        uint32_t param3, param4;
        IZVRemoteRequest* request;
        uint32_t refsDuringCallback;
    };

    int32_t ZV_CALL OnDeviceType(uint32_t boardType, uint32_t value) override {
        std::lock_guard lock(mutex_);
        deviceTypes.push_back(boardType);
        deviceValue = value;
        stateAtDeviceType = remote ? remote->GetState() : -1;
        cond_.notify_all();
        return acceptType ? acceptType(boardType) : 1;
    }
    void ZV_CALL OnDeviceChanged() override {}
    void ZV_CALL OnStateChanged() override {
        std::lock_guard lock(mutex_);
        states.push_back(remote ? remote->GetState() : -1);
        cond_.notify_all();
    }
    void ZV_CALL OnRequestDone(IZVRemoteRequest* r) override {
        // The library still holds its reference: taking one more must see at least two.
        const uint32_t refs = r->AddRef();
        r->Release();
        std::function<void(IZVRemoteRequest*)> then;
        {
            std::lock_guard lock(mutex_);
            done.push_back({r->kind, r->result, r->param2, r->param3, r->param4, r, refs});
            then = afterDone;
            cond_.notify_all();
        }
        if (then) then(r);
    }
    void ZV_CALL OnProgress(IZVRemoteRequest* r, uint32_t d, uint32_t total) override {
        std::function<void(IZVRemoteRequest*)> then;
        {
            std::lock_guard lock(mutex_);
            progress.push_back({r, d, total});
            then = onProgress;
            cond_.notify_all();
        }
        if (then) then(r);
    }
    void ZV_CALL OnDisconnected() override {
        std::function<void()> then;
        {
            std::lock_guard lock(mutex_);
            ++disconnects;
            linkEndAtDisconnect = linkEnd;
            then = afterDisconnect;
            cond_.notify_all();
        }
        if (then) then();
    }
    void ZV_CALL OnStatusChanged(uint32_t flags) override {
        std::lock_guard lock(mutex_);
        statuses.push_back(flags);
        cond_.notify_all();
    }
    void ZV_CALL Notify7() override {}
    void ZV_CALL OnScreenChanged() override {
        std::lock_guard lock(mutex_);
        ++screenChanges;
        cond_.notify_all();
    }
    void ZV_CALL Notify9(uint32_t, uint32_t, uint32_t) override {}
    void ZV_CALL OnMonitorData(uint32_t, const uint8_t*, uint32_t bytes) override {
        std::lock_guard lock(mutex_);
        monitorBytes += bytes;
        cond_.notify_all();
    }
    void ZV_CALL Notify11(uint32_t result) override {
        std::lock_guard lock(mutex_);
        linkEnd = result;
    }
    int32_t ZV_CALL OnReceiveBlock(IZVRemoteRequest* r, uint32_t, const uint8_t* data, uint32_t* bytes) override {
        std::lock_guard lock(mutex_);
        handles.push_back(r->data);
        if (failWrites) {
            *bytes = 0;
            return static_cast<int32_t>(0x80070070u);  // disk full
        }
        file.insert(file.end(), data, data + *bytes);
        return 0;
    }
    int32_t ZV_CALL Query13(uint32_t, uint32_t, uint32_t) override { return 0; }
    int32_t ZV_CALL Query14(uint32_t, uint32_t) override { return 0; }

    bool waitFor(const std::function<bool()>& pred, int ms = 5000) {
        std::unique_lock lock(mutex_);
        return cond_.wait_for(lock, std::chrono::milliseconds(ms), pred);
    }
    // Where the next completion will be recorded.
    size_t mark() {
        std::lock_guard lock(mutex_);
        return done.size();
    }
    // The completion of this request recorded at or after `from` (a freed request's address
    // may come back for a later one), once it came.
    Done waitDone(const IZVRemoteRequest* r, size_t from, int ms = 5000) {
        Done found{0, static_cast<int32_t>(0xDEADBEEFu), 0, 0, 0, nullptr, 0};
        waitFor(
            [&] {
                for (size_t i = from; i < done.size(); ++i)
                    if (done[i].request == r) return found = done[i], true;
                return false;
            },
            ms);
        return found;
    }
    template <typename F>
    auto locked(F&& f) {
        std::lock_guard lock(mutex_);
        return f();
    }

    IZVRemote* remote = nullptr;
    std::function<int32_t(uint32_t)> acceptType;
    std::vector<uint32_t> deviceTypes;
    uint32_t deviceValue = 0;
    int stateAtDeviceType = -2;
    std::vector<int> states;
    std::vector<Done> done;
    struct Progress {
        IZVRemoteRequest* request;
        uint32_t done, total;
    };
    std::vector<Progress> progress;
    int disconnects = 0;
    uint32_t linkEnd = 0;              // the last Notify11
    uint32_t linkEndAtDisconnect = 0;  // ... as OnDisconnected came
    std::vector<uint32_t> statuses;
    int screenChanges = 0;
    size_t monitorBytes = 0;
    std::vector<uintptr_t> handles;
    Bytes file;
    bool failWrites = false;
    std::function<void(IZVRemoteRequest*)> afterDone;
    std::function<void(IZVRemoteRequest*)> onProgress;
    std::function<void()> afterDisconnect;

private:
    std::mutex mutex_;
    std::condition_variable cond_;
};

// The library initialised with a configuration file of the given text (none for empty).
class Library {
public:
    explicit Library(const std::string& ini = {}) {
        if (!ini.empty()) {
            std::ofstream(dir_.file("zvlkrmt.ini"), std::ios::binary) << ini;
            setConfigPath(dir_.file("zvlkrmt.ini"));
        } else {
            setConfigPath({});
        }
        EXPECT_EQ(ZVInitializeRemote(), 0);
    }
    ~Library() {
        ZVUninitializeRemote();
        setConfigPath({});
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

private:
    test::TempDir dir_;
};

// Time limits short enough for the time-out tests.
const std::string kQuickLimits = "[library]\nanswer-timeout = 400\nkeep-alive = 100\n";
// ... and for the others, generous: sanitizer builds and Wine on a busy machine can leave the
// link silent for longer than the time-out tests wait.
const std::string kPatientLimits = "[library]\nanswer-timeout = 10000\nkeep-alive = 200\n";

ConnectionSettings usb(const char* serial = "30808001") {
    ConnectionSettings s = defaultConnectionSettings();
    std::memset(s.usbSerialNumber, 0, sizeof s.usbSerialNumber);
    std::strncpy(s.usbSerialNumber, serial, sizeof s.usbSerialNumber - 1);
    return s;
}

ConnectionSettings lan(const std::string& host, const std::string& data, const std::string& control) {
    ConnectionSettings s = defaultConnectionSettings();
    s.method = kMethodLan;
    std::strncpy(s.host, host.c_str(), sizeof s.host - 1);
    std::strncpy(s.dataService, data.c_str(), sizeof s.dataService - 1);
    std::strncpy(s.controlService, control.c_str(), sizeof s.controlService - 1);
    return s;
}

// One remote object with its callback; released (and its thread joined) at the end.
class Session {
public:
    explicit Session(const ConnectionSettings& settings) {
        EXPECT_EQ(ZVCreateRemote(&remote), 0);
        callback.remote = remote;
        EXPECT_EQ(remote->SetConnection(&settings), 0);
        EXPECT_EQ(remote->Advise(&callback), 0);
    }
    ~Session() {
        if (remote) remote->Release();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    IZVRemoteRequest* make(uint32_t kind, uint32_t p1 = 0, uintptr_t p2 = 0, uint32_t p3 = 0, uint32_t p4 = 0) {
        IZVRemoteRequest* r = nullptr;
        EXPECT_EQ(remote->CreateRequest(&r), 0);
        r->kind = kind;
        r->param1 = p1;
        r->param2 = p2;
        r->param3 = p3;
        r->param4 = p4;
        return r;
    }
    // Submits, waits for the completion (its fields as the callback saw them) and releases
    // the creating reference.
    Callback::Done run(IZVRemoteRequest* r) {
        const size_t from = callback.mark();
        const int32_t submitted = remote->Submit(r);
        EXPECT_EQ(hex(submitted), 0u);
        const Callback::Done d = submitted < 0 ? Callback::Done{r->kind, submitted, 0, 0, 0, r, 0}
                                               : callback.waitDone(r, from);
        r->Release();
        return d;
    }
    Callback::Done run(uint32_t kind, uint32_t p1 = 0, uintptr_t p2 = 0, uint32_t p3 = 0, uint32_t p4 = 0) {
        return run(make(kind, p1, p2, p3, p4));
    }
    int32_t connect() {
        const int32_t opened = remote->Open();
        if (opened < 0) return opened;
        return run(kRequestConnect).result;
    }
    Bytes receive(uint32_t code, uint32_t capacity = 0x10000, int32_t expect = 0) {
        Bytes buffer(capacity, 0xCC);
        const auto d = run(kRequestReceive, code, reinterpret_cast<uintptr_t>(buffer.data()), capacity);
        EXPECT_EQ(hex(d.result), hex(expect)) << std::hex << code;
        buffer.resize(d.param4);
        return buffer;
    }

    IZVRemote* remote = nullptr;
    Callback callback;
};

// --- the built-in USB analyzer and the LAN adapter, request by request -----------------------

enum class Link { Usb, Lan };

class RemoteApi : public ::testing::TestWithParam<Link> {
protected:
    // Starts the library (and for LAN an analyzer behind the adapter server) with these
    // analyzer settings, as configuration lines.
    void start(const std::string& analyzerLines = {}, const std::string& libraryLines = kPatientLimits) {
        if (GetParam() == Link::Usb) {
            library = std::make_unique<Library>(libraryLines + "[analyzer]\nserial = 30808001\nfixed-rate = 20000\n" +
                                                analyzerLines);
            session = std::make_unique<Session>(usb());
            analyzer = usbDevices()->open("30808001");
        } else {
            library = std::make_unique<Library>(libraryLines);
            std::vector<emu::ConfigSection> sections;
            std::string error;
            ASSERT_TRUE(emu::parseSections("[analyzer]\nfixed-rate = 20000\n" + analyzerLines, sections, error)) << error;
            emu::AnalyzerConfig config;
            ASSERT_TRUE(emu::applySection(config, sections[0], {}, error)) << error;
            analyzer = std::make_shared<emu::Analyzer>(config);
            server = std::make_unique<emu::AdapterServer>(*analyzer);
            ASSERT_EQ(server->start("127.0.0.1", "0", "0"), kOk);
            session = std::make_unique<Session>(
                lan("127.0.0.1", std::to_string(server->dataPort()), std::to_string(server->controlPort())));
        }
    }
    // A measurement of at least `bytes` of records, made before the PC connects: nothing has to
    // stream to it, so the capture memory is filled however slow the machine is.
    void fillCapture(size_t bytes) {
        ASSERT_FALSE(analyzer->attached());
        ASSERT_EQ(analyzer->startMeasurement(), kOk);
        eventually([&] { return analyzer->captureBytes() >= bytes; }, 60000);
        ASSERT_EQ(analyzer->stopMeasurement(0), kOk);
        ASSERT_GE(analyzer->captureBytes(), bytes);
    }

    void TearDown() override {
        session.reset();
        server.reset();
        analyzer.reset();
        library.reset();
    }

    std::unique_ptr<Library> library;
    std::shared_ptr<emu::Analyzer> analyzer;
    std::unique_ptr<emu::AdapterServer> server;
    std::unique_ptr<Session> session;
};

INSTANTIATE_TEST_SUITE_P(Links, RemoteApi, ::testing::Values(Link::Usb, Link::Lan),
                         [](const auto& p) { return p.param == Link::Usb ? "Usb" : "Lan"; });

TEST_P(RemoteApi, ConnectKeyClockScreenAndDisconnect) {
    start("model = AN-1400\ndevice-value = 7\n");
    Callback& cb = session->callback;
    EXPECT_EQ(session->remote->GetState(), 0);
    ASSERT_EQ(session->connect(), 0);
    EXPECT_EQ(session->remote->GetState(), 1);
    cb.locked([&] {
        EXPECT_EQ(cb.deviceTypes, std::vector<uint32_t>{73762});
        EXPECT_EQ(cb.deviceValue, 7u);
        EXPECT_EQ(cb.states, std::vector<int>{1});
        return 0;
    });
    EXPECT_TRUE(cb.waitFor([&] { return cb.screenChanges > 0; }));

    // The screen image is the analyzer's (its title row at least; the clock moves on).
    uint8_t screen[kScreenImageBytes];
    EXPECT_EQ(session->remote->ReadScreen(screen, sizeof screen), 0);
    EXPECT_EQ(std::memcmp(screen, analyzer->screen().data(), 240), 0);
    EXPECT_EQ(hex(session->remote->ReadScreen(nullptr, 1920)), 0x80004003u);

    EXPECT_EQ(session->run(kRequestKey, 0x8014).result, 0);  // Enter opens the menu
    EXPECT_EQ(analyzer->page(), emu::Page::Menu);

    // Kind 8: year, month, day of week, day, hour, minute, second, ms in param1 ... param4.
    const uint16_t when[8] = {2031, 5, 3, 14, 9, 26, 53, 0};
    uint32_t p[4];
    for (int i = 0; i < 4; ++i) p[i] = when[2 * i] | static_cast<uint32_t>(when[2 * i + 1]) << 16;
    EXPECT_EQ(session->run(kRequestSetClock, p[0], p[1], p[2], p[3]).result, 0);
    uint16_t now[8];
    analyzer->clock(now);
    EXPECT_EQ(now[0], 2031);
    EXPECT_EQ(now[1], 5);
    EXPECT_EQ(now[3], 14);
    EXPECT_EQ(now[4], 9);
    EXPECT_EQ(now[5], 26);

    EXPECT_EQ(session->run(kRequestDisconnect).result, 0);
    EXPECT_TRUE(cb.waitFor([&] { return !cb.states.empty() && cb.states.back() == 0; }));
    EXPECT_EQ(session->remote->GetState(), 0);
    EXPECT_EQ(cb.locked([&] { return cb.disconnects; }), 0);  // asked for, not lost
    EXPECT_EQ(session->remote->Close(), 0);
    // The same object connects again.
    EXPECT_EQ(session->connect(), 0);
}

TEST_P(RemoteApi, MeasurementWaitForEventAndMonitorData) {
    start("stop-end-reason = 0xF005\n");
    Callback& cb = session->callback;
    ASSERT_EQ(session->connect(), 0);
    const auto started = session->run(kRequestMeasurement, 1);
    EXPECT_EQ(started.result, 0);
    EXPECT_NE(started.param2, 0u);  // monitor data ready
    EXPECT_TRUE(cb.waitFor([&] { return !cb.statuses.empty() && cb.statuses.back() == kStatusMeasuring; }));
    EXPECT_EQ(session->remote->GetStatus(), kStatusMeasuring);

    IZVRemoteRequest* wait = session->make(kRequestWaitEvent, kEventMeasurementEnded);
    const size_t from = cb.mark();
    ASSERT_EQ(session->remote->Submit(wait), 0);
    EXPECT_TRUE(cb.waitFor([&] { return cb.monitorBytes >= 4096; }));
    EXPECT_EQ(session->run(kRequestMeasurement, 0).result, 0);
    const auto ended = cb.waitDone(wait, from);
    wait->Release();
    EXPECT_EQ(ended.result, 0);
    EXPECT_NE(ended.param2, 0u);  // occurred
    EXPECT_EQ(ended.param3, 0xF005u);  // end reason
    EXPECT_TRUE(cb.waitFor([&] { return cb.statuses.back() == 0; }));
}

TEST_P(RemoteApi, SetupAreasIntoMemoryAndBack) {
    start();
    ASSERT_EQ(session->connect(), 0);
    Bytes image = session->receive(0x2000);
    ASSERT_EQ(image.size(), 1824u);
    EXPECT_EQ(getU32(image.data(), 0), fourCC("STUP"));
    EXPECT_EQ(getU32(image.data(), 4), 1816u);
    // A buffer too small for the area: what fits, and the failure.
    EXPECT_EQ(session->receive(0x6000, 100, static_cast<int32_t>(0x8007007Au)).size(), 100u);

    // Send from param2 ...
    image[8 + 1381] = 2;  // channel 2 runs LIN
    IZVRemoteRequest* send = session->make(kRequestSend, 0x2000, reinterpret_cast<uintptr_t>(image.data()),
                                           static_cast<uint32_t>(image.size()));
    send->data = reinterpret_cast<uintptr_t>(image.data());
    EXPECT_EQ(session->run(send).result, 0);
    EXPECT_EQ(session->receive(0x2000), image);
    // ... or, without it, from data; the bytes are copied at Submit.
    Bytes again = image;
    again[8 + 1381] = 1;
    send = session->make(kRequestSend, 0x2000, 0, static_cast<uint32_t>(again.size()));
    send->data = reinterpret_cast<uintptr_t>(again.data());
    const size_t from = session->callback.mark();
    ASSERT_EQ(session->remote->Submit(send), 0);
    std::fill(again.begin(), again.end(), 0);
    EXPECT_EQ(session->callback.waitDone(send, from).result, 0);
    send->Release();
    EXPECT_EQ(session->receive(0x2000)[8 + 1381], 1);
    // A wrong tag is the analyzer's refusal, reported as the completion.
    Bytes wrong = image;
    std::memcpy(wrong.data(), "STBL", 4);
    EXPECT_EQ(hex(session->run(kRequestSend, 0x2000, reinterpret_cast<uintptr_t>(wrong.data()),
                               static_cast<uint32_t>(wrong.size()))
                      .result),
              0x80070057u);
    // Data to send but no buffer: refused at Submit.
    IZVRemoteRequest* empty = session->make(kRequestSend, 0x2000, 0, 16);
    EXPECT_EQ(hex(session->remote->Submit(empty)), 0x80004003u);
    empty->Release();
}

TEST_P(RemoteApi, UploadThroughOnReceiveBlockWithProgress) {
    start();
    Callback& cb = session->callback;
    ASSERT_EQ(session->connect(), 0);
    ASSERT_EQ(session->run(kRequestMeasurement, 1).result, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_EQ(session->run(kRequestMeasurement, 0).result, 0);

    const uintptr_t handle = 0x1234;  // the program's file handle: passed through untouched
    size_t total = 0;
    for (uint32_t code : {0x8100u, 0x8102u, 0x8101u, 0x8103u}) {
        const size_t before = cb.locked([&] { return cb.file.size(); });
        IZVRemoteRequest* r = session->make(kRequestReceive, code, 0, code == 0x8101 ? 0xC00000u : 0x10000u);
        r->data = handle;
        const auto d = session->run(r);
        EXPECT_EQ(d.result, 0) << std::hex << code;
        const size_t got = cb.locked([&] { return cb.file.size(); }) - before;
        EXPECT_EQ(d.param4, got) << std::hex << code;
        EXPECT_GT(got, 0u);
        total += got;
    }
    cb.locked([&] {
        for (uintptr_t h : cb.handles) EXPECT_EQ(h, handle);
        EXPECT_EQ(cb.file.size(), total);
        // The blocks in upload order make the body of a data file.
        EXPECT_EQ(getU32(cb.file.data(), 0), fourCC("DINF"));
        EXPECT_GT(analyzer->captureBytes(), 32u * 100);
        // Progress counts up to the total of the transfer it belongs to.
        EXPECT_FALSE(cb.progress.empty());
        if (!cb.progress.empty()) {
            EXPECT_EQ(cb.progress.back().done, cb.progress.back().total);
        }
        return 0;
    });
    // A destination that refuses ends the transfer with its result.
    cb.locked([&] { return cb.failWrites = true; });
    const auto refused = session->run(kRequestReceive, 0x8100, 0, 0x10000);
    EXPECT_EQ(hex(refused.result), 0x80070070u);
    EXPECT_EQ(refused.param4, 0u);
    cb.locked([&] { return cb.failWrites = false; });
    EXPECT_EQ(session->run(kRequestKey, 0x8014).result, 0);  // the link goes on
}

TEST_P(RemoteApi, CancelEndsTheTransferInProgress) {
    start("fixed-rate = 1000000\n");
    Callback& cb = session->callback;
    fillCapture(4u << 20);  // four times the link's window
    ASSERT_EQ(session->connect(), 0);

    EXPECT_EQ(session->remote->Cancel(), 1);  // nothing to cancel yet
    // The program cancels from its own thread while the library reports progress. The report
    // waits for it, so the transfer is in progress at the cancel however slow the machine is.
    std::atomic<bool> fired{false};
    cb.locked([&] {
        return cb.onProgress = [&](IZVRemoteRequest*) {
            if (fired.exchange(true)) return;
            std::thread([remote = session->remote] { EXPECT_EQ(remote->Cancel(), 0); }).join();
        };
    });
    const auto d = session->run(kRequestReceive, 0x8101, 0, 0xC00000);
    EXPECT_TRUE(fired.load());
    EXPECT_EQ(hex(d.result), 0x800704C7u);
    EXPECT_LT(d.param4, analyzer->captureBytes());
    EXPECT_EQ(session->run(kRequestKey, 0x8014).result, 0);
    // What was still on the way reached the program no more.
    EXPECT_LT(cb.locked([&] { return cb.file.size(); }), analyzer->captureBytes());
}

TEST_P(RemoteApi, StalledAnalyzerTimesOut) {
    start("fault = stall=connect\n", kQuickLimits);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(hex(session->connect()), 0x80070102u);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(3));
    EXPECT_EQ(session->remote->GetState(), 0);
}

TEST_P(RemoteApi, LostLinkIsReported) {
    start("fault = drop=upload:1000\n");
    Callback& cb = session->callback;
    ASSERT_EQ(session->connect(), 0);
    ASSERT_EQ(session->run(kRequestMeasurement, 1).result, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(session->run(kRequestMeasurement, 0).result, 0);
    const auto d = session->run(kRequestReceive, 0x8101, 0, 0xC00000);
    EXPECT_LT(d.result, 0);
    EXPECT_EQ(d.param4, cb.locked([&] { return cb.file.size(); }));
    EXPECT_TRUE(cb.waitFor([&] { return cb.disconnects == 1; }));
    EXPECT_EQ(cb.locked([&] { return cb.linkEndAtDisconnect; }), 0x80072746u);
    EXPECT_EQ(session->remote->GetState(), 0);
}

// Before it reports the loss, the library says through slot 11 what ended the link.
TEST_P(RemoteApi, AProtocolProblemIsNamedBeforeTheLossIsReported) {
    start("hostile = unsolicited\nhostile-at = idle\nhostile-after = 50\n", kPatientLimits);
    Callback& cb = session->callback;
    ASSERT_EQ(session->connect(), 0);
    EXPECT_TRUE(cb.waitFor([&] { return cb.disconnects == 1; }));
    EXPECT_EQ(cb.locked([&] { return cb.linkEndAtDisconnect; }), 0xA0000011u);
    EXPECT_EQ(session->remote->GetState(), 0);
}

TEST_P(RemoteApi, RefusedConnectsReportTheirCodes) {
    for (uint32_t code : {0xA0000001u, 0xA0000004u, 0xA0000009u}) {
        char line[64];
        std::snprintf(line, sizeof line, "fault = refuse=0x%08X\n", code);
        start(line);
        EXPECT_EQ(hex(session->connect()), code);
        EXPECT_EQ(session->remote->GetState(), 0);
        EXPECT_TRUE(session->callback.locked([&] { return session->callback.states.empty(); }));
        TearDown();
    }
}

TEST_P(RemoteApi, DeviceTypeTheProgramRefusesFailsTheConnect) {
    start("fault = type=65538\n");
    Callback& cb = session->callback;
    cb.acceptType = [](uint32_t type) { return type == 65538 ? 0 : 1; };
    EXPECT_EQ(hex(session->connect()), 0xA0000009u);
    EXPECT_EQ(session->remote->GetState(), 0);
    cb.locked([&] {
        EXPECT_EQ(cb.deviceTypes, std::vector<uint32_t>{65538});
        EXPECT_EQ(cb.stateAtDeviceType, 0);  // asked before the link counts as connected
        EXPECT_TRUE(cb.states.empty());
        return 0;
    });
    // Accepted, the same analyzer connects (once it has seen the refused link end).
    ASSERT_TRUE(eventually([&] { return !analyzer->attached(); }));
    cb.acceptType = nullptr;
    EXPECT_EQ(session->connect(), 0);
}

// --- faults before any analyzer answers -------------------------------------------------------

TEST(RemoteApiConnect, UnknownUsbSerialAndUnknownHost) {
    Library library(kQuickLimits);
    // No analyzer has the number: a code of its own, not the 0xA0000001 of an analyzer that
    // is still starting up (which the user would wait for in vain). Nobody answered, so
    // nothing was reported before the failure.
    for (const char* serial : {"99999999", ""}) {
        Session s(usb(serial));
        EXPECT_EQ(hex(s.connect()), 0x8007048Fu) << serial;
        EXPECT_EQ(s.remote->GetState(), 0);
        s.callback.locked([&] {
            EXPECT_TRUE(s.callback.deviceTypes.empty());
            EXPECT_TRUE(s.callback.states.empty());
            return 0;
        });
    }
    {
        Session s(lan("no-such-host.invalid", "4001", "4002"));
        EXPECT_EQ(hex(s.connect()), 0x80072AF9u);
    }
}

TEST(RemoteApiConnect, AdapterThatNeverAnswersTimesOut) {
    Library library(kQuickLimits);
    remote::net::startup();
    remote::net::Socket listener = remote::net::kNoSocket;
    uint16_t port = 0;
    ASSERT_EQ(remote::net::listenTcp("127.0.0.1", "0", listener, port), kOk);
    {
        Session s(lan("127.0.0.1", std::to_string(port), std::to_string(port)));
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(hex(s.connect()), 0x80070102u);
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(3));
    }
    remote::net::closeSocket(listener);
}

TEST(RemoteApiConnect, AdapterGoingAwayIsALostLink) {
    Library library(kQuickLimits);
    emu::AnalyzerConfig config;
    auto analyzer = std::make_unique<emu::Analyzer>(config);
    auto server = std::make_unique<emu::AdapterServer>(*analyzer);
    ASSERT_EQ(server->start("127.0.0.1", "0", "0"), kOk);
    Session s(lan("127.0.0.1", std::to_string(server->dataPort()), std::to_string(server->controlPort())));
    ASSERT_EQ(s.connect(), 0);
    server.reset();
    analyzer.reset();
    EXPECT_TRUE(s.callback.waitFor([&] { return s.callback.disconnects == 1; }));
    EXPECT_EQ(s.remote->GetState(), 0);
}

// --- objects, arguments and reference counts --------------------------------------------------

TEST(RemoteApiObjects, ArgumentsAreChecked) {
    Library library;
    EXPECT_EQ(hex(ZVCreateRemote(nullptr)), 0x80004003u);
    IZVRemote* remote = nullptr;
    ASSERT_EQ(ZVCreateRemote(&remote), 0);
    EXPECT_EQ(hex(remote->CreateRequest(nullptr)), 0x80004003u);
    EXPECT_EQ(hex(remote->SetConnection(nullptr)), 0x80004003u);
    ConnectionSettings s = defaultConnectionSettings();
    s.recordSize = 1392;
    EXPECT_EQ(hex(remote->SetConnection(&s)), 0x80070057u);
    s = defaultConnectionSettings();
    s.method = 5;
    EXPECT_EQ(remote->SetConnection(&s), 0);
    EXPECT_EQ(hex(remote->Open()), 0x80070057u);  // no such connection method
    EXPECT_EQ(hex(remote->Reserved4()), 0x80004001u);
    EXPECT_EQ(hex(remote->Reserved11()), 0x80004001u);
    EXPECT_EQ(hex(remote->Submit(nullptr)), 0x80004003u);
    // Texts that fill their fields without a terminating zero are read within the record.
    s = defaultConnectionSettings();
    std::memset(s.usbSerialNumber, '3', sizeof s.usbSerialNumber);
    s.zero1380 = 0x31313131;
    EXPECT_EQ(remote->SetConnection(&s), 0);
    EXPECT_EQ(remote->Open(), 0);
    EXPECT_EQ(remote->Release(), 0u);
}

TEST(RemoteApiObjects, SettingsAreCopiedAtSetConnection) {
    Library library;
    ConnectionSettings s = usb();
    Session session(s);
    std::strcpy(s.usbSerialNumber, "99999999");  // changed afterwards: not seen
    EXPECT_EQ(session.connect(), 0);
}

TEST(RemoteApiObjects, RequestsLiveUntilTheirCompletionReturned) {
    Library library;
    const long requestsBefore = RequestObject::liveCount();
    const long remotesBefore = RemoteObject::liveCount();
    {
        Session s(usb());
        ASSERT_EQ(s.connect(), 0);
        // The caller lets go right after Submit; the completion still sees a live request.
        ASSERT_EQ(s.run(kRequestMeasurement, 1).result, 0);  // the wait below stays pending
        IZVRemoteRequest* wait = s.make(kRequestWaitEvent, kEventMeasurementEnded);
        ASSERT_EQ(s.remote->Submit(wait), 0);
        EXPECT_EQ(wait->Release(), 1u) << "the library holds one reference until the completion";
        for (int i = 0; i < 20; ++i) {
            IZVRemoteRequest* r = s.make(kRequestKey, 0x8014);
            ASSERT_EQ(s.remote->Submit(r), 0);
            r->Release();
        }
        EXPECT_TRUE(s.callback.waitFor([&] { return s.callback.done.size() == 22; }));
        ASSERT_EQ(s.run(kRequestMeasurement, 0).result, 0);
        EXPECT_TRUE(s.callback.waitFor([&] {
            for (const auto& d : s.callback.done)
                if (d.kind == kRequestWaitEvent) return true;
            return false;
        }));
        s.callback.locked([&] {
            for (const auto& d : s.callback.done) EXPECT_GE(d.refsDuringCallback, 2u) << d.kind;
            return 0;
        });
        EXPECT_TRUE(eventually([&] { return RequestObject::liveCount() == requestsBefore; }));

        // A request still pending when the link is closed is let go, not leaked.
        ASSERT_EQ(s.run(kRequestMeasurement, 1).result, 0);
        wait = s.make(kRequestWaitEvent, kEventMeasurementEnded);
        ASSERT_EQ(s.remote->Submit(wait), 0);
        wait->Release();
        EXPECT_TRUE(eventually([&] { return RequestObject::liveCount() == requestsBefore + 1; }));
        s.remote->Close();
        EXPECT_TRUE(eventually([&] { return RequestObject::liveCount() == requestsBefore; }));
    }
    EXPECT_EQ(RemoteObject::liveCount(), remotesBefore);
}

TEST(RemoteApiObjects, LastReleaseInsideACallbackDoesNotHang) {
    Library library;
    const long remotesBefore = RemoteObject::liveCount();
    auto s = std::make_unique<Session>(usb());
    ASSERT_EQ(s->connect(), 0);
    // The program lets the remote object go from its disconnect completion.
    IZVRemote* remote = s->remote;
    s->remote = nullptr;
    s->callback.afterDone = [remote](IZVRemoteRequest* r) {
        if (r->kind == kRequestDisconnect) remote->Release();
    };
    IZVRemoteRequest* r = nullptr;
    ASSERT_EQ(remote->CreateRequest(&r), 0);
    r->kind = kRequestDisconnect;
    ASSERT_EQ(remote->Submit(r), 0);
    r->Release();
    // Ended on a thread of its own; once counted out, it calls back no more.
    EXPECT_TRUE(eventually([&] { return RemoteObject::liveCount() == remotesBefore; }));
}

TEST(RemoteApiObjects, AdviseWaitsForTheNotificationUnderWayAndEndsTheCalls) {
    // A session that goes away unadvises first; the library may still be referenced by a
    // message in flight, so nothing may reach the old callback once Advise has returned.
    Library library;
    auto s = std::make_unique<Session>(usb());
    ASSERT_EQ(s->connect(), 0);
    std::mutex m;
    std::condition_variable cv;
    bool inside = false, release = false;
    s->callback.afterDone = [&](IZVRemoteRequest* r) {
        if (r->kind != kRequestKey) return;
        std::unique_lock lock(m);
        inside = true;
        cv.notify_all();
        cv.wait(lock, [&] { return release; });
    };
    IZVRemoteRequest* key = s->make(kRequestKey, 0x8001);
    ASSERT_EQ(s->remote->Submit(key), 0);
    key->Release();
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return inside; }));
    }
    std::atomic<bool> unadvised{false};
    std::thread unadvise([&] {
        s->remote->Advise(nullptr);
        unadvised = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_FALSE(unadvised.load());
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    unadvise.join();
    EXPECT_TRUE(unadvised.load());

    const size_t before = s->callback.mark();
    IZVRemoteRequest* again = s->make(kRequestKey, 0x8001);
    ASSERT_EQ(s->remote->Submit(again), 0);
    again->Release();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(s->callback.mark(), before);
}

// --- the device list --------------------------------------------------------------------------

struct Listed {
    int32_t kind;
    std::string serial;
    uint32_t recordSize;
};

struct EnumContext {
    std::vector<Listed> out;
    int stopAfter;
};

int32_t ZV_CALL collect(const ZVUsbDeviceRecord* d, void* c) {
    auto* x = static_cast<EnumContext*>(c);
    x->out.push_back({d->kind, d->serialNumber, d->recordSize});
    return x->stopAfter && static_cast<int>(x->out.size()) >= x->stopAfter ? 0 : 1;
}

std::vector<Listed> enumerate(int32_t kind, int stopAfter = 0) {
    EnumContext ctx{{}, stopAfter};
    const uint32_t n = ZVEnumUSBDevicesEx(kind, collect, &ctx);
    EXPECT_EQ(n, ctx.out.size());
    return ctx.out;
}

TEST(RemoteApiDevices, DefaultAnalyzerWithoutAFile) {
    Library library;
    const auto all = enumerate(-1);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].kind, 73731);
    EXPECT_EQ(all[0].serial, "30808001");
    EXPECT_EQ(all[0].recordSize, sizeof(ZVUsbDeviceRecord));
    EXPECT_TRUE(enumerate(73730).empty());
    EXPECT_EQ(ZVEnumUSBDevicesEx(-1, nullptr, nullptr), 0u);
}

TEST(RemoteApiDevices, SectionsAddAnalyzersOfEveryKind) {
    Library library(
        "# three more analyzers\n"
        "[library]\n"
        "answer-timeout = 3000\n"
        "\n"
        "[analyzer]\n"
        "serial = 30808002\n"
        "model = AN-1400\n"
        "bus-load = 50\n"
        "\n"
        "[analyzer]\n"
        "serial = 30808003\n"
        "board = 0x10013   # AN-2100 + EX-NB2A\n"
        "[analyzer]\n"
        "serial = 30808004\n"
        "model = AN-2400\n"
        "fault = refuse=0xA0000004\n");
    EXPECT_EQ(configError(), "");
    const auto all = enumerate(-1);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].serial, "30808001");
    EXPECT_EQ(all[1].kind, 73730);
    EXPECT_EQ(all[2].kind, 65539);
    EXPECT_EQ(all[3].kind, 73731);
    const auto an2400 = enumerate(73731);
    ASSERT_EQ(an2400.size(), 2u);
    EXPECT_EQ(an2400[1].serial, "30808004");
    EXPECT_EQ(enumerate(-1, 2).size(), 2u);  // the callback's 0 ends the list

    // Each serial number reaches its own analyzer.
    Session a(usb("30808003"));
    EXPECT_EQ(a.connect(), 0);
    EXPECT_EQ(a.callback.locked([&] { return a.callback.deviceTypes; }), std::vector<uint32_t>{65555});
    Session b(usb("30808004"));
    EXPECT_EQ(hex(b.connect()), 0xA0000004u);
}

TEST(RemoteApiDevices, BrokenFileLeavesTheDefaultAnalyzer) {
    const std::pair<const char*, const char*> broken[] = {
        {"[analyzer]\nserial = 30808002\nbus-load = 500\n", "line 3"},
        {"serial = 30808002\n", "line 1"},
        {"[analyzer]\nserial = 30808002\n[analyzer]\nserial = 30808002\n", "line 3"},
        {"[analyzer]\nmodel = AN-2100\n", "line 2"},  // two option boards possible
        {"[analyzer]\nmodel = AN-9999\n", "line 2"},
        {"[analyzers]\n", "line 1"},
        {"[library]\nanswer-timeout = 400\nkeep-alive = 300\n", "line 1"},
        {"[analyzer\n", "line 1"},
    };
    for (const auto& [text, where] : broken) {
        Library library(text);
        EXPECT_NE(configError().find(where), std::string::npos) << text << " -> " << configError();
        const auto all = enumerate(-1);
        ASSERT_EQ(all.size(), 1u) << text;
        EXPECT_EQ(all[0].serial, "30808001");
    }
}

TEST(RemoteApiDevices, InitialisationIsCounted) {
    Library outer("[analyzer]\nserial = 30808002\n");
    {
        Library inner;  // a second initialisation keeps what the first one read
        EXPECT_EQ(enumerate(-1).size(), 2u);
    }
    EXPECT_EQ(enumerate(-1).size(), 2u);
}

}  // namespace
}  // namespace zv::remote_api
