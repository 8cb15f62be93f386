// CZVRemote5m over the real remote library and its built-in USB analyzer: what the program
// gets on disk and in its working setup when the session runs whole transfers and a monitor
// measurement, with the library's threads calling back as they do in the program.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/bytes.h"
#include "capture/buffer_files.h"
#include "capture/capture.h"
#include "capture/watch_list.h"
#include "emulator/analyzer.h"
#include "remote/czvremote5m.h"
#include "remote/session_messages.h"
#include "session_fakes.h"
#include "setup/data_info.h"
#include "setup/setup_areas.h"
#include "support/temp_dir.h"
#include "zvlkrmt/api/library.h"

namespace zv {
namespace {

using namespace zv::remote_api;
using test::Posted;
using test::Target;

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Frames at one instant of a replayed log: 400 of them every 10 ms, 40,000 records a second.
std::string replayLog() {
    std::string log;
    for (int i = 0; i < 200; ++i) {
        log += "(0.000000) can0 123#11223344\n";
        log += "(0.000000) can1 18DAF110#AABBCCDDEEFF0011\n";
    }
    return log;
}

class SessionOverLibrary : public ::testing::Test {
protected:
    void start(const std::string& analyzerLines = {}) {
        std::ofstream(dir.file("frames.log"), std::ios::binary) << replayLog();
        std::ofstream(dir.file("zvlkrmt.ini"), std::ios::binary)
            << "[library]\nanswer-timeout = 2000\nkeep-alive = 200\n"
            << "[analyzer]\nserial = 30808001\nreplay = " << dir.file("frames.log") << "\n"
            << analyzerLines;
        setConfigPath(dir.file("zvlkrmt.ini"));
        ASSERT_EQ(ZVInitializeRemote(), 0);
        initialized = true;
        ASSERT_TRUE(configError().empty()) << configError();
        analyzer = usbDevices()->open("30808001");
        ASSERT_NE(analyzer, nullptr);

        sink.folder = dir.path().string();
        setup->initDefaults(model.boardType.load());
        session = std::make_unique<CZVRemote5m>(sink, SessionContext{model, *setup, files, settings});
        ASSERT_EQ(session->createRemote(), 0);  // ZVCreateRemote
        ASSERT_EQ(session->connect(), 0);
        ASSERT_TRUE(sink.waitFor([&] { return session->connectionState() == 1; }));
        ASSERT_TRUE(waitDone(kRequestConnect, 1));
    }
    void TearDown() override {
        if (session && session->connectionState() == 1) {
            const size_t before = doneCount(kRequestDisconnect);
            if (succeeded(session->disconnect())) waitDone(kRequestDisconnect, before + 1);
        }
        sink.drain();  // closes the link as the main window would
        session.reset();
        sink.drain();
        analyzer.reset();
        if (initialized) ZVUninitializeRemote();
        setConfigPath({});
    }

    // UM_REQUEST_DONE messages so far for requests of this kind (still held by the messages).
    std::vector<IZVRemoteRequest*> done(uint32_t kind) const {
        std::vector<IZVRemoteRequest*> out;
        for (const Posted& p : sink.messages())
            if (p.message == UM_REQUEST_DONE) {
                auto* r = reinterpret_cast<IZVRemoteRequest*>(p.lParam);
                if (r->kind == kind) out.push_back(r);
            }
        return out;
    }
    size_t doneCount(uint32_t kind) const { return done(kind).size(); }
    bool waitDone(uint32_t kind, size_t count) {
        return sink.waitFor([&] { return doneCount(kind) >= count; });
    }
    size_t count(uint32_t message) const { return sink.wParams(message).size(); }

    // A short measurement outside monitoring, so that the capture memory holds records.
    void measure(std::chrono::milliseconds length) {
        const size_t before = doneCount(kRequestMeasurement);
        ASSERT_EQ(session->startMeasurement(), 0);
        std::this_thread::sleep_for(length);
        ASSERT_EQ(session->stopMeasurement(), 0);
        ASSERT_TRUE(waitDone(kRequestMeasurement, before + 2));
        for (IZVRemoteRequest* r : done(kRequestMeasurement)) ASSERT_EQ(r->result, 0);
    }

    test::TempDir dir;
    bool initialized = false;
    std::shared_ptr<emu::Analyzer> analyzer;
    test::RecordingSink sink;
    CurrentModel model;
    std::unique_ptr<SetupWorkspace> setup = std::make_unique<SetupWorkspace>();
    WatchList watch;
    BufferFiles files{realFileSystem(), &watch};
    ConnectionSettings settings = defaultConnectionSettings();
    std::unique_ptr<CZVRemote5m> session;
};

TEST_F(SessionOverLibrary, ConnectNamesTheAnalyzer) {
    start("model = AN-1400\n");
    EXPECT_EQ(session->getBoardType(), 73762u);
    EXPECT_EQ(model.boardType.load(), 73762u);
    EXPECT_EQ(sink.boardTexts, (std::vector<std::string>{"AN-1400 + EX-NB3BP"}));
    EXPECT_EQ(sink.modelKeys, (std::vector<std::string>{"AN-1400|EX-NB3BP"}));
}

TEST_F(SessionOverLibrary, UploadGivesADataFileWithTheAnalyzersRecords) {
    start();
    measure(std::chrono::milliseconds(200));
    const size_t records = analyzer->captureBytes() / kCaptureRecordSize;
    ASSERT_GT(records, 1000u);

    ASSERT_EQ(session->startUpload(), 0);
    ASSERT_TRUE(sink.waitForMessage(UM_UPLOAD_DONE));
    EXPECT_EQ(sink.wParams(UM_UPLOAD_DONE), (std::vector<uintptr_t>{0}));
    EXPECT_EQ(sink.wParams(UM_UPLOAD_STEP), (std::vector<uintptr_t>{1, 3, 2, 4}));
    EXPECT_FALSE(session->hasCurrentRequest());
    EXPECT_GE(count(UM_TRANSFER_PROGRESS), 1u);

    LoadedDataFile file;
    ASSERT_TRUE(file.loadFile(dir.file("DATAFILE.TMP")));
    EXPECT_EQ(file.capture().count(), records);
    EXPECT_EQ(file.capture().record(0).identifier(), 0x123u << 18);
}

TEST_F(SessionOverLibrary, LinkLostInTheMiddleOfAnUploadKeepsTheEarlierUpload) {
    start("fault = drop=upload:65536\n");
    // What the last upload left: it must survive a failed one untouched.
    const std::vector<uint8_t> earlier(300, 0x5A);
    {
        std::FILE* f = std::fopen(dir.file("DATAFILE.TMP").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(earlier.data(), 1, earlier.size(), f);
        std::fclose(f);
    }
    measure(std::chrono::milliseconds(200));
    ASSERT_GT(analyzer->captureBytes(), 65536u * 2);

    ASSERT_EQ(session->startUpload(), 0);
    ASSERT_TRUE(sink.waitForMessage(UM_UPLOAD_DONE));
    const auto results = sink.wParams(UM_UPLOAD_DONE);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_LT(static_cast<int32_t>(static_cast<uint32_t>(results[0])), 0);
    ASSERT_TRUE(sink.waitForMessage(UM_CONNECTION_LOST));
    EXPECT_EQ(session->connectionState(), 0);
    EXPECT_FALSE(session->uploadRunning());

    EXPECT_EQ(readAll(dir.file("DATAFILE.TMP")), earlier);
    // Nothing of the partial transfer is left beside it.
    EXPECT_FALSE(std::filesystem::exists(dir.file("DATAFILE.TMP.new")));
}

TEST_F(SessionOverLibrary, SetupAreasGoOutAndComeBackIntoTheWorkingSetup) {
    start();
    // Receive everything first: the analyzer starts from its defaults.
    session->resetSetupBytesReceived();
    ASSERT_EQ(session->receiveBlock(kAreaSetupImage), 0);
    ASSERT_TRUE(sink.waitFor([&] { return !sink.messages(Target::Setup).empty(); }));
    EXPECT_EQ(sink.numbers(Target::Setup), (std::vector<uint32_t>{UM_SETUP_RECEIVED_2000}));
    EXPECT_EQ(session->setupBytesReceived(), 1824u);

    // Change a transmit table and send it.
    CanTransmitTables changed = setup->canTables;
    changed.bytes[8 + 22] = 0x5A;
    std::vector<uint8_t> wire(CanTransmitTables::kSize + kWrapperHeaderSize);
    composeWrapper(kTagCanTables, changed, wire.data());
    ASSERT_EQ(session->sendBlock(kAreaCanTransmitTables, wire.data(), static_cast<uint32_t>(wire.size())), 0);
    ASSERT_TRUE(sink.waitFor([&] { return sink.messages(Target::Setup).size() == 2; }));
    EXPECT_EQ(sink.numbers(Target::Setup).back(), UM_SETUP_SENT_6000);
    ASSERT_EQ(doneCount(kRequestSend), 1u);
    EXPECT_EQ(done(kRequestSend)[0]->result, 0);

    // Forget it locally and read it back.
    setup->canTables.initDefaults(model.boardType.load());
    ASSERT_NE(setup->canTables, changed);
    ASSERT_EQ(session->receiveBlock(kAreaCanTransmitTables), 0);
    ASSERT_TRUE(sink.waitFor([&] { return sink.messages(Target::Setup).size() == 3; }));
    EXPECT_EQ(sink.numbers(Target::Setup).back(), UM_SETUP_RECEIVED_6000);
    EXPECT_EQ(setup->canTables, changed);
    EXPECT_EQ(session->setupBytesReceived(), 1824u + 7056u);
    EXPECT_FALSE(session->hasCurrentRequest());
}

TEST_F(SessionOverLibrary, MonitorMeasurementFillsNumberedFilesAndTheWatchList) {
    start();
    std::array<WatchEntry, kWatchEntryCount> entries{};
    entries[0] = {true, false, 1, 0, 0x123};
    entries[1] = {true, false, 2, 1, 0x18DAF110};
    entries[2] = {true, false, 1, 0, 0x124};  // never sent
    watch.setEntries(entries);

    BufferSettings buffer;
    buffer.folder = dir.file("buffer");
    std::filesystem::create_directories(buffer.folder);
    buffer.blockSizeIndex = 0;  // 1 MiB of records per file
    buffer.blockCount = 10;
    ASSERT_EQ(files.startBufferFiles(buffer, model.boardType.load()), 0);
    sink.monitoringFlag = true;
    const size_t endedBefore = count(UM_MEASUREMENT_ENDED);
    ASSERT_EQ(session->startMeasurement(), 0);
    ASSERT_TRUE(sink.waitFor([&] { return files.counters().bytesReceived > (1u << 20) + 100000; },
                             std::chrono::seconds(30)));
    ASSERT_EQ(session->stopMeasurement(), 0);
    ASSERT_TRUE(waitDone(kRequestMeasurement, 2));
    ASSERT_TRUE(sink.waitFor([&] { return count(UM_MEASUREMENT_ENDED) > endedBefore; }));
    // What the main window does at the end of a measurement.
    files.endMonitoring();
    sink.monitoringFlag = false;
    // The start's completion fetched the analyzer's data information (the stop's may have too).
    ASSERT_TRUE(waitDone(kRequestReceive, 1));
    for (int settled = 0; settled < 2;) {
        ASSERT_TRUE(sink.waitFor([&] { return !session->hasCurrentRequest(); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        settled = session->hasCurrentRequest() ? 0 : settled + 1;
    }
    for (IZVRemoteRequest* r : done(kRequestReceive)) EXPECT_EQ(r->result, 0);
    std::vector<uint8_t> block;
    ASSERT_EQ(analyzer->blockBytes(kMonitorInformationBlock, block), 0);
    DataInfoBlock expected = composeDataInfoBlock(model.boardType.load());
    ASSERT_GT(parseDataInfoBlock(expected, block.data(), block.size(), model.boardType.load()), 0u);
    EXPECT_EQ(files.dataInfo(), expected);

    const BufferCounters counters = files.counters();
    EXPECT_EQ(counters.lostDataMarkers, 0u);
    LoadedDataFile first, second;
    ASSERT_TRUE(first.loadFile(dir.file("buffer/00000000.DT")));
    ASSERT_TRUE(second.loadFile(dir.file("buffer/00000001.DT")));
    EXPECT_EQ(first.capture().count(), (1u << 20) / kCaptureRecordSize);
    EXPECT_EQ(uint64_t{first.capture().count()} + second.capture().count(), counters.recordsReceived);
    EXPECT_FALSE(std::filesystem::exists(dir.file("buffer/00000002.DT")));

    const WatchTable table = watch.snapshot();
    EXPECT_TRUE(table.entries[0].hasData);
    EXPECT_TRUE(table.entries[1].hasData);
    EXPECT_FALSE(table.entries[2].hasData);
    EXPECT_EQ(getU32(table.slots[0].data(), 12), 0x123u << 18);
    EXPECT_EQ(getU32(table.slots[1].data(), 12), 0x18DAF110u);
}

}  // namespace
}  // namespace zv
