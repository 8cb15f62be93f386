// CZVRemote5m against a remote object the test drives: which requests it builds, what each
// completion and notification turns into, and that every reference it takes is given back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/bytes.h"
#include "capture/buffer_files.h"
#include "capture/capture.h"
#include "capture/data_file_writer.h"
#include "remote/czvremote5m.h"
#include "remote/number_format.h"
#include "remote/session_messages.h"
#include "session_fakes.h"
#include "setup/data_info.h"
#include "setup/setup_areas.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

using namespace zv::remote_api;
using test::FakeRemote;
using test::Target;

constexpr uint32_t hex(int32_t r) { return static_cast<uint32_t>(r); }

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        sink.folder = dir.path().string();
        setup->initDefaults(model.boardType.load());
        session = std::make_unique<CZVRemote5m>(sink, SessionContext{model, *setup, files, settings});
        ASSERT_EQ(session->createRemote([this](IZVRemote** r) {
            remote.AddRef();  // one reference for the session, as ZVCreateRemote gives
            *r = &remote;
            return 0;
        }), 0);
    }
    void TearDown() override {
        session.reset();
        sink.drain();
        // Requests the fake still holds as pending are the library's own references.
        for (IZVRemoteRequest* r : remote.pending) r->Release();
        remote.pending.clear();
        EXPECT_EQ(remote.ledger.live.load(), 0) << "request references left over";
        EXPECT_EQ(remote.refs.load(), 1u) << "remote references left over";
    }

    std::string uploadPath() const { return dir.file("DATAFILE.TMP"); }
    // Where the running upload writes until it is complete.
    std::string partialPath() const { return dir.file("DATAFILE.TMP.new"); }
    bool partialLeft() const { return std::filesystem::exists(partialPath()); }
    // Completes an upload block, delivering bytes through OnReceiveBlock first.
    void deliver(const std::vector<uint8_t>& bytes, int32_t result = 0) {
        IZVRemoteRequest* r = remote.oldest();
        ASSERT_NE(r, nullptr);
        uint32_t n = static_cast<uint32_t>(bytes.size());
        if (n) {
            EXPECT_EQ(session->OnReceiveBlock(r, 0, bytes.data(), &n), 0);
        }
        remote.complete(result, [&](IZVRemoteRequest& q) { q.param4 = static_cast<uint32_t>(bytes.size()); });
    }

    FakeRemote remote;
    test::TempDir dir;
    test::RecordingSink sink;
    CurrentModel model;
    std::unique_ptr<SetupWorkspace> setup = std::make_unique<SetupWorkspace>();
    BufferFiles files;
    ConnectionSettings settings = defaultConnectionSettings();
    std::unique_ptr<CZVRemote5m> session;
};

TEST(SessionRules, ProgressIsScaledToSixteenBitsWithOneShiftForBoth) {
    EXPECT_EQ(transferProgressParam(0x1234, 0x7FFE), 0x7FFE1234u);  // below 0x7FFF: as is
    EXPECT_EQ(transferProgressParam(0x7FFF, 0x7FFF), 0x007F007Fu);  // from 0x7FFF: by 8 bits
    EXPECT_EQ(transferProgressParam(0x12345, 0x7FFFFE), 0x7FFF0123u);
    EXPECT_EQ(transferProgressParam(0x7FFFFF, 0x7FFFFF), 0x007F007Fu);  // from 0x7FFFFF: by 16
    EXPECT_EQ(transferProgressParam(0x600000, 0xC00000), 0x00C00060u);
    EXPECT_EQ(transferProgressParam(0xFFFFFFFF, 0xFFFFFFFF), 0xFFFFFFFFu);  // compared unsigned
}

TEST(SessionRules, EndReasonCodesPickTheirTextAndNumber) {
    using R = EndReasonText;
    EXPECT_EQ(endReasonText(3), std::nullopt);
    EXPECT_EQ(endReasonText(4), (R{9024, std::nullopt}));
    EXPECT_EQ(endReasonText(9), (R{9029, std::nullopt}));
    EXPECT_EQ(endReasonText(10), std::nullopt);
    EXPECT_EQ(endReasonText(0xEFFF), std::nullopt);
    EXPECT_EQ(endReasonText(0xF000), (R{9030, 0u}));
    EXPECT_EQ(endReasonText(0xF7FF), (R{9030, 0x7FFu}));
    EXPECT_EQ(endReasonText(0xF800), (R{9031, 0u}));
    EXPECT_EQ(endReasonText(0xFFFF), (R{9031, 0x7FFu}));
    EXPECT_EQ(endReasonText(0x10000), (R{9032, 0u}));
    EXPECT_EQ(endReasonText(0x1003F), (R{9032, 0x3Fu}));
    EXPECT_EQ(endReasonText(0x10040), std::nullopt);
    EXPECT_EQ(endReasonText(0xFFFFFFFF), std::nullopt);
}

TEST(SessionRules, TextsTakeTheirNumberOnlyThroughAnIntegerConversion) {
    EXPECT_EQ(formatWithNumber("Error %d.", 12), "Error 12.");
    EXPECT_EQ(formatWithNumber("code 0x%08X (%u)", 0x80070102u), "code 0x80070102 (%u)");  // one number
    EXPECT_EQ(formatWithNumber("%d", 0x80004005u), "-2147467259");
    EXPECT_EQ(formatWithNumber("%#x|%5d|%-4u|%+d|%.3d", 0x1F), "0x1f|%5d|%-4u|%+d|%.3d");
    EXPECT_EQ(formatWithNumber("[%5d][%-4u][%05d]", 42).substr(0, 7), "[   42]");
    EXPECT_EQ(formatWithNumber("100%% of %s at %n", 1), "100% of %s at %n");  // never a pointer
    EXPECT_EQ(formatWithNumber("%", 1), "%");
    EXPECT_EQ(formatWithNumber(std::string(300, 'a') + "%d", 1).size(), kMessageTextLimit);
}

TEST_F(Session, CreatingAppliesTheSettingsAndAdvisesItself) {
    EXPECT_EQ(remote.callback, session.get());
    EXPECT_EQ(remote.lastSettings.recordSize, 1396u);
    EXPECT_STREQ(remote.lastSettings.usbSerialNumber, "30808001");
    // A refused connection leaves the callback as it was.
    remote.callback = nullptr;
    remote.setConnectionResult = static_cast<int32_t>(0x80070057u);
    EXPECT_EQ(hex(session->applySettings()), 0x80070057u);
    EXPECT_EQ(remote.callback, nullptr);
    remote.callback = session.get();
}

TEST_F(Session, WithoutARemoteObjectEveryOperationSaysSo) {
    test::RecordingSink other;
    CZVRemote5m bare(other, SessionContext{model, *setup, files, settings});
    EXPECT_EQ(hex(bare.connect()), 0x80004003u);
    EXPECT_EQ(hex(bare.disconnect()), 0x80004003u);
    EXPECT_EQ(hex(bare.startMeasurement()), 0x80004003u);
    EXPECT_EQ(hex(bare.startUpload()), 0x80004003u);
    EXPECT_EQ(hex(bare.cancelCurrent()), 0x80004003u);
    EXPECT_EQ(hex(bare.receiveBlock(0x2000)), 0x80004003u);
    EXPECT_EQ(bare.sendKey(0x8021), 0);
    IZVRemote* out = &remote;
    EXPECT_EQ(hex(bare.getRemote(&out)), 0x80004003u);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(hex(bare.createRemote([](IZVRemote** r) {
        *r = nullptr;
        return static_cast<int32_t>(0x80004005u);
    })), 0x80004005u);
    EXPECT_FALSE(std::filesystem::exists(uploadPath()));
}

TEST_F(Session, ConnectOpensSubmitsAndClosesAgainWhenRefused) {
    remote.openResult = static_cast<int32_t>(0xA0000004u);
    EXPECT_EQ(hex(session->connect()), 0xA0000004u);
    EXPECT_EQ(remote.creates.load(), 0);  // no request when the link did not open

    remote.openResult = 0;
    remote.submitResults = {static_cast<int32_t>(0x80070102u)};
    EXPECT_EQ(hex(session->connect()), 0x80070102u);
    EXPECT_EQ(remote.closes.load(), 1);

    remote.createResult = static_cast<int32_t>(0x8007000Eu);
    EXPECT_EQ(hex(session->connect()), 0x8007000Eu);
    EXPECT_EQ(remote.closes.load(), 2);
    remote.createResult = 0;

    ASSERT_EQ(session->connect(), 0);
    ASSERT_EQ(remote.submitted.back().kind, kRequestConnect);
    EXPECT_EQ(remote.closes.load(), 2);
}

TEST_F(Session, FailedConnectAndEveryDisconnectCloseTheLinkOnTheUiThread) {
    ASSERT_EQ(session->connect(), 0);
    remote.complete(0);
    EXPECT_EQ(sink.numbers(), (std::vector<uint32_t>{UM_REQUEST_DONE}));
    sink.drain();

    ASSERT_EQ(session->connect(), 0);
    remote.complete(static_cast<int32_t>(0xA0000001u));
    const auto posted = sink.messages();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, UM_REQUEST_DONE);
    EXPECT_EQ(hex(reinterpret_cast<IZVRemoteRequest*>(posted[0].lParam)->result), 0xA0000001u);
    EXPECT_EQ(posted[1].message, UM_REMOTE_CLOSE);
    EXPECT_EQ(posted[1].lParam, reinterpret_cast<uintptr_t>(&remote));
    EXPECT_EQ(remote.refs.load(), 3u);  // test, session, and one the message carries
    EXPECT_EQ(remote.closes.load(), 0);
    sink.drain();
    EXPECT_EQ(remote.closes.load(), 1);  // closed by the handler

    ASSERT_EQ(session->disconnect(), 0);
    EXPECT_EQ(remote.submitted.back().kind, kRequestDisconnect);
    remote.complete(0);
    EXPECT_EQ(sink.numbers(), (std::vector<uint32_t>{UM_REQUEST_DONE, UM_REMOTE_CLOSE}));
}

TEST_F(Session, ACloseThatArrivesAfterTheNextConnectLeavesTheNewLinkOpen) {
    ASSERT_EQ(session->connect(), 0);
    remote.complete(0);
    ASSERT_EQ(session->disconnect(), 0);
    remote.complete(0);
    const std::vector<test::Posted> first = sink.messages();
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(first[2].message, UM_REMOTE_CLOSE);
    // A user quick enough connects again before the window got round to the close.
    ASSERT_EQ(session->connect(), 0);
    remote.complete(0);
    session->closeRemoteMessage(first[2].wParam, first[2].lParam);
    EXPECT_EQ(remote.closes.load(), 0) << "the old link's close ended the new link";
    EXPECT_EQ(remote.refs.load(), 2u);  // the message's reference is given back all the same

    // The close of the link it belongs to still closes, and leaves the session disconnected
    // even when it overtook the library's end of the link (no state change reported).
    remote.state = 1;
    session->OnStateChanged();
    ASSERT_EQ(session->disconnect(), 0);
    remote.complete(0);
    const std::vector<test::Posted> second = sink.messages();
    ASSERT_EQ(second.back().message, UM_REMOTE_CLOSE);
    session->closeRemoteMessage(second.back().wParam, second.back().lParam);
    EXPECT_EQ(remote.closes.load(), 1);
    EXPECT_EQ(session->connectionState(), 0);
    for (const test::Posted& p : sink.messages()) {
        if (p.message == UM_REQUEST_DONE) CZVRemote5m::releaseRequestMessage(p.lParam);
    }
    sink.forget();
}

TEST_F(Session, AMessageThatCannotBePostedGivesItsReferenceBack) {
    ASSERT_EQ(session->disconnect(), 0);
    sink.acceptMain = false;
    remote.complete(0);
    EXPECT_TRUE(sink.messages().empty());
    EXPECT_EQ(remote.closes.load(), 1);  // closed here, since no window will
    EXPECT_EQ(remote.refs.load(), 2u);  // the test's and the session's
}

TEST_F(Session, RequestsCarryTheirFields) {
    ASSERT_EQ(session->startMeasurement(), 0);
    ASSERT_EQ(session->stopMeasurement(), 0);
    ASSERT_EQ(session->sendKey(0x8022), 0);
    ClockTime t{2026, 12, 2, 8, 9, 30, 15, 250};
    ASSERT_EQ(session->setClock(t), 0);
    ASSERT_EQ(remote.submitted.size(), 4u);
    EXPECT_EQ(remote.submitted[0].kind, kRequestMeasurement);
    EXPECT_EQ(remote.submitted[0].param1, 1u);
    EXPECT_EQ(remote.submitted[1].param1, 0u);
    EXPECT_EQ(remote.submitted[2].kind, kRequestKey);
    EXPECT_EQ(remote.submitted[2].param1, 0x8022u);
    EXPECT_EQ(remote.submitted[3].kind, kRequestSetClock);
    EXPECT_EQ(remote.submitted[3].param1, 2026u | 12u << 16);
    EXPECT_EQ(remote.submitted[3].param2, 2u | 8u << 16);
    EXPECT_EQ(remote.submitted[3].param3, 9u | 30u << 16);
    EXPECT_FALSE(session->hasCurrentRequest());  // none of these becomes current

    remote.submitResults = {static_cast<int32_t>(0x80004005u), static_cast<int32_t>(0x80004005u)};
    EXPECT_EQ(session->sendKey(0x8021), 0);  // a key's submission is not reported
    EXPECT_EQ(hex(session->stopMeasurement()), 0x80004005u);
}

TEST_F(Session, ProgressOnlyForTheCurrentRequest) {
    ASSERT_EQ(session->startMeasurement(), 0);
    IZVRemoteRequest* other = remote.oldest();
    session->OnProgress(other, 10, 100);
    session->OnProgress(nullptr, 10, 100);
    EXPECT_TRUE(sink.messages().empty());

    ASSERT_EQ(session->receiveBlock(kAreaCanTransmitTables), 0);
    IZVRemoteRequest* current = remote.pending.back();
    session->OnProgress(current, 0x400, 0x1B90);
    ASSERT_EQ(sink.messages().size(), 1u);
    EXPECT_EQ(sink.messages()[0].message, UM_TRANSFER_PROGRESS);
    EXPECT_EQ(sink.messages()[0].wParam, 0x1B900400u);
    EXPECT_EQ(sink.messages()[0].lParam, reinterpret_cast<uintptr_t>(current));
}

TEST_F(Session, CancelOnlyWhileARequestIsCurrent) {
    EXPECT_EQ(session->cancelCurrent(), 1);
    EXPECT_EQ(remote.cancels.load(), 0);
    ASSERT_EQ(session->receiveBlock(kAreaSetupImage), 0);
    EXPECT_EQ(session->cancelCurrent(), 0);
    EXPECT_EQ(remote.cancels.load(), 1);
    remote.complete(kResultCancelled);
    EXPECT_FALSE(session->hasCurrentRequest());
    EXPECT_EQ(session->cancelCurrent(), 1);
}

TEST_F(Session, SetupReceiveDecodesEvenAFailedTransferAndCountsItsBytes) {
    // A "STBC" wrapper whose first table entry differs from the defaults.
    CanTransmitTables tables;
    tables.initDefaults(model.boardType.load());
    tables.bytes[8 + 22 + 3] ^= 0x5A;  // a data byte of the first entry
    std::vector<uint8_t> wire(CanTransmitTables::kSize + kWrapperHeaderSize);
    composeWrapper(kTagCanTables, tables, wire.data());

    ASSERT_EQ(session->receiveBlock(kAreaCanTransmitTables), 0);
    EXPECT_TRUE(session->hasCurrentRequest());
    ASSERT_EQ(remote.submitted.back().kind, kRequestReceive);
    ASSERT_EQ(remote.submitted.back().param3, 0x10000u);
    ASSERT_NE(remote.submitted.back().param2, 0u);  // into memory
    auto* memory = reinterpret_cast<uint8_t*>(remote.submitted.back().data);
    std::copy(wire.begin(), wire.end(), memory);
    session->resetSetupBytesReceived();
    remote.complete(static_cast<int32_t>(0x80070102u),
                    [&](IZVRemoteRequest& q) { q.param4 = static_cast<uint32_t>(wire.size()); });

    EXPECT_EQ(setup->canTables, tables);
    EXPECT_EQ(session->setupBytesReceived(), wire.size());
    EXPECT_EQ(sink.numbers(Target::Setup), (std::vector<uint32_t>{UM_SETUP_RECEIVED_6000}));
    EXPECT_FALSE(session->hasCurrentRequest());
    EXPECT_EQ(sink.progressCloses.load(), 0);  // dual-protocol boards go on to 0x6100

    // A count beyond the buffer is cut to it; LIN tables close the dialog.
    sink.progressOpen = true;
    ASSERT_EQ(session->receiveBlock(kAreaLinTransmitTables, 64), 0);
    remote.complete(0, [](IZVRemoteRequest& q) { q.param4 = 0xFFFFFFFF; });
    EXPECT_EQ(session->setupBytesReceived(), wire.size() + 64);
    EXPECT_EQ(sink.numbers(Target::Setup).back(), UM_SETUP_RECEIVED_6100);
    EXPECT_EQ(sink.progressCloses.load(), 1);
}

TEST_F(Session, CanOnlyBoardsTakeTheirOwnImageAndCloseTheDialogAfterTheTables) {
    model.boardType = 65555;
    setup->initDefaults(65555);
    SetupImageCanOnly image;
    image.initDefaults(65555);
    std::vector<uint8_t> wire(SetupImageCanOnly::kSize + kWrapperHeaderSize);
    composeWrapper(kTagSetup, image, wire.data());
    const SetupImage dualBefore = setup->image;

    ASSERT_EQ(session->receiveBlock(kAreaSetupImage), 0);
    auto* memory = reinterpret_cast<uint8_t*>(remote.submitted.back().data);
    std::copy(wire.begin(), wire.end(), memory);
    remote.complete(0, [&](IZVRemoteRequest& q) { q.param4 = static_cast<uint32_t>(wire.size()); });
    EXPECT_EQ(setup->canOnlyImage, image);
    EXPECT_EQ(setup->image, dualBefore);

    sink.progressOpen = true;
    ASSERT_EQ(session->receiveBlock(kAreaCanTransmitTables), 0);
    remote.complete(0);
    EXPECT_EQ(sink.progressCloses.load(), 1);
}

TEST_F(Session, SetupSendCopiesTheBytesAndReportsEachArea) {
    std::vector<uint8_t> data(1824, 0x11);
    ASSERT_EQ(session->sendBlock(kAreaSetupImage, data.data(), static_cast<uint32_t>(data.size())), 0);
    const auto& s = remote.submitted.back();
    EXPECT_EQ(s.kind, kRequestSend);
    EXPECT_EQ(s.param3, 1824u);
    EXPECT_NE(s.data, reinterpret_cast<uintptr_t>(data.data()));  // the session's own copy
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(s.data)[1823], 0x11);
    data.assign(data.size(), 0);  // the caller's buffer may go at once
    EXPECT_TRUE(session->hasCurrentRequest());
    remote.complete(0);
    EXPECT_FALSE(session->hasCurrentRequest());
    EXPECT_EQ(sink.numbers(Target::Setup), (std::vector<uint32_t>{UM_SETUP_SENT_2000}));

    // Refused at once: nothing stays behind.
    remote.submitResults = {static_cast<int32_t>(0x80004005u)};
    EXPECT_EQ(hex(session->sendBlock(kAreaLinTransmitTables, data.data(), 16)), 0x80004005u);
    EXPECT_FALSE(session->hasCurrentRequest());
}

TEST_F(Session, ScreenIntervalGoesOutOnlyWhenItChanges) {
    session->setScreenInterval(-1);  // none running: nothing to stop
    session->setScreenInterval(300);
    session->setScreenInterval(300);
    session->setScreenInterval(500);
    session->setScreenInterval(-1);
    session->setScreenInterval(-5);
    EXPECT_EQ(remote.intervals, (std::vector<int32_t>{300, 500, -1}));
}

TEST_F(Session, DeviceTypeNamesTheAnalyzerOnlyWhenSupported) {
    EXPECT_EQ(session->OnDeviceType(65538, 7), 0);
    EXPECT_TRUE(sink.boardTexts.empty());
    EXPECT_TRUE(sink.modelKeys.empty());
    EXPECT_EQ(model.boardType.load(), kDefaultBoardType);
    EXPECT_EQ(session->getBoardType(), 65538u);

    // An EX-NB2A analyzer while the program's option board was EX-NB3BP: the configuration
    // must read back as the analyzer that was connected.
    EXPECT_EQ(session->OnDeviceType(65554, 3), 1);
    EXPECT_EQ(sink.boardTexts, (std::vector<std::string>{"AN-1100 + EX-NB2A"}));
    EXPECT_EQ(sink.modelKeys, (std::vector<std::string>{"AN-1100|EX-NB2A"}));
    EXPECT_EQ(model.boardType.load(), 65554u);
    EXPECT_EQ(model.exBoardCode.load(), 7u);
    uint32_t ex = 0;
    EXPECT_EQ(session->getBoardType(&ex), 65554u);
    EXPECT_EQ(ex, 7u);
    EXPECT_EQ(session->deviceInfo().value, 3u);
    EXPECT_EQ(session->deviceInfo().recordSize, 868u);
}

TEST_F(Session, NotificationsBecomeMessages) {
    sink.drain();  // what creating the remote posted
    remote.state = 1;
    session->OnStateChanged();
    EXPECT_EQ(session->connectionState(), 1);
    session->OnScreenChanged();
    session->OnDeviceChanged();
    session->OnStatusChanged(0x100);  // still measuring
    session->OnStatusChanged(0x001);
    const auto main = sink.messages();
    ASSERT_EQ(main.size(), 2u);
    EXPECT_EQ(main[0].message, UM_CONNECTION_STATE);
    EXPECT_EQ(main[0].lParam, 1u);
    EXPECT_EQ(main[1].message, UM_MEASUREMENT_ENDED);
    std::vector<uintptr_t> panel;
    for (const auto& p : sink.messages(Target::KeyEmulation)) panel.push_back(p.wParam);
    EXPECT_EQ(panel, (std::vector<uintptr_t>{1, 4, 0}));
    EXPECT_EQ(session->Query13(1, 2, 3), 0);
    EXPECT_EQ(session->Query14(1, 2), 0);
}

TEST_F(Session, LostLinkClosesAndCancelsARunningTransferDialog) {
    remote.state = 1;
    session->OnStateChanged();
    sink.drain();
    sink.progressOpen = true;
    session->OnDisconnected();
    EXPECT_EQ(session->connectionState(), 0);
    EXPECT_EQ(remote.closes.load(), 1);
    EXPECT_EQ(sink.numbers(), (std::vector<uint32_t>{UM_CONNECTION_LOST}));
    EXPECT_EQ(sink.progressCancels.load(), 1);
    // A dialog that already has its result is left alone.
    sink.dialogResult = 1;
    session->OnDisconnected();
    EXPECT_EQ(sink.progressCancels.load(), 1);
}

TEST_F(Session, TheResultALinkEndedWithTravelsWithTheLossOnce) {
    sink.drain();
    session->Notify11(0xA0000011u);
    session->OnDisconnected();
    session->OnDisconnected();  // a later loss that the library did not name
    const auto lost = sink.messages();
    ASSERT_EQ(lost.size(), 2u);
    EXPECT_EQ(lost[0].wParam, 0xA0000011u);
    EXPECT_EQ(lost[1].wParam, 0u);
    // Nor does a reason named for an earlier link reach the next one's loss.
    session->Notify11(0x80070102u);
    ASSERT_EQ(session->connect(), 0);
    sink.drain();
    session->OnDisconnected();
    EXPECT_EQ(sink.messages().at(0).wParam, 0u);
}

TEST(SessionRules, EachProtocolProblemHasItsOwnTextAndTheRestIsALostLink) {
    std::set<uint32_t> texts;
    for (uint32_t result : {0x80070102u, 0x8007000Du, 0xA0000010u, 0xA0000011u, 0xA0000012u})
        texts.insert(linkEndText(static_cast<int32_t>(result)));
    EXPECT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts.count(kStringLinkLost), 0u);
    for (uint32_t result : {0u, 0x80072746u, 0x80004005u, 0xA0000004u})
        EXPECT_EQ(linkEndText(static_cast<int32_t>(result)), kStringLinkLost) << std::hex << result;
}

TEST_F(Session, MeasurementCompletionsWhileMonitoringFetchInformationOrWaitForTheEnd) {
    ASSERT_EQ(session->startMeasurement(), 0);
    remote.complete(0);  // not monitoring: nothing follows
    EXPECT_EQ(remote.submitted.size(), 1u);

    sink.monitoringFlag = true;
    ASSERT_EQ(session->startMeasurement(), 0);
    remote.complete(0);
    ASSERT_EQ(remote.submitted.size(), 3u);
    EXPECT_EQ(remote.submitted[2].kind, kRequestWaitEvent);
    EXPECT_EQ(remote.submitted[2].param1, 0x202u);

    ASSERT_EQ(session->stopMeasurement(), 0);
    remote.complete(0);  // a stop without data ready: nothing
    ASSERT_EQ(remote.submitted.size(), 4u);
    ASSERT_EQ(session->stopMeasurement(), 0);
    remote.complete(0, [](IZVRemoteRequest& q) { q.param2 = 1; });
    ASSERT_EQ(remote.submitted.size(), 6u);
    EXPECT_EQ(remote.submitted[5].kind, kRequestReceive);
    EXPECT_EQ(remote.submitted[5].param1, 0x8100u);
    EXPECT_NE(remote.submitted[5].param2, 0u);
    EXPECT_TRUE(session->hasCurrentRequest());
}

TEST_F(Session, AStartTheAnalyzerRefusedNeitherFetchesInformationNorWaits) {
    sink.monitoringFlag = true;
    for (const uint32_t ready : {0u, 1u}) {
        ASSERT_EQ(session->startMeasurement(), 0);
        remote.complete(static_cast<int32_t>(0xA0000001u), [ready](IZVRemoteRequest& q) { q.param2 = ready; });
    }
    EXPECT_EQ(remote.submitted.size(), 2u);
    const auto numbers = sink.numbers();
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), UM_REQUEST_DONE), 2);  // the window undoes it
}

TEST_F(Session, TheEndOfAMeasurementShowsItsReasonThenEnds) {
    sink.monitoringFlag = true;
    ASSERT_EQ(session->startMeasurement(), 0);
    remote.complete(0);
    remote.complete(0, [](IZVRemoteRequest&) {});  // the wait: event did not occur
    ASSERT_EQ(session->startMeasurement(), 0);
    remote.complete(0);
    remote.complete(0, [](IZVRemoteRequest& q) {
        q.param2 = 1;
        q.param3 = 0xF805;
    });
    ASSERT_EQ(sink.warnings.size(), 1u);
    EXPECT_EQ(sink.warnings[0].caption, 9033u);
    EXPECT_EQ(sink.warnings[0].text, 9031u);
    EXPECT_EQ(sink.warnings[0].argument, 5u);
    const auto numbers = sink.numbers();
    EXPECT_EQ(numbers.back(), UM_MEASUREMENT_ENDED);
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), UM_MEASUREMENT_ENDED), 1);
}

// --- monitor information -----------------------------------------------------------------------

class SessionMonitoring : public Session {
protected:
    void SetUp() override {
        Session::SetUp();
        buffer.folder = dir.file("buffer");
        std::filesystem::create_directories(buffer.folder);
        buffer.blockCount = 10;
        ASSERT_EQ(files.startBufferFiles(buffer, model.boardType.load()), 0);
        sink.monitoringFlag = true;
        session->OnMonitorData(0, records.data(), static_cast<uint32_t>(records.size()));
    }
    // A start completion that announces monitor data: the session asks for the information.
    uint8_t* requestInformation() {
        EXPECT_EQ(session->startMeasurement(), 0);
        remote.complete(0, [](IZVRemoteRequest& q) { q.param2 = 1; });
        EXPECT_EQ(remote.submitted.back().param1, kMonitorInformationBlock);
        return reinterpret_cast<uint8_t*>(remote.submitted.back().data);
    }
    // The analyzer's block: "DINF", its length, and a block that is not the PC's default.
    std::vector<uint8_t> analyzerBlock() const {
        DataInfoBlock info = composeDataInfoBlock(model.boardType.load());
        info.bytes[10] = 33;
        std::vector<uint8_t> out(8 + kDataInfoSizeDual);
        putU32(out.data(), 0, kTagDataInfo);
        putU32(out.data(), 4, kDataInfoSizeDual);
        std::copy(info.bytes.begin(), info.bytes.end(), out.begin() + 8);
        return out;
    }
    DataInfoBlock parsed(const std::vector<uint8_t>& block) const {
        DataInfoBlock info = composeDataInfoBlock(model.boardType.load());
        parseDataInfoBlock(info, block.data(), block.size(), model.boardType.load());
        return info;
    }
    void answer(uint8_t* memory, const std::vector<uint8_t>& block, int32_t result = 0) {
        std::copy(block.begin(), block.end(), memory);
        remote.complete(result, [&](IZVRemoteRequest& q) { q.param4 = static_cast<uint32_t>(block.size()); });
    }
    std::vector<uint8_t> headerBlock(const std::string& path) const {
        const auto bytes = readAll(path);
        return {bytes.begin() + 24, bytes.begin() + 24 + kDataInfoSizeDual};
    }

    BufferSettings buffer;
    const std::vector<uint8_t> records = std::vector<uint8_t>(64 * 32, 0x01);
};

TEST_F(SessionMonitoring, InformationDuringTheMeasurementHeadsTheFilesToCome) {
    const auto block = analyzerBlock();
    ASSERT_NE(parsed(block), composeDataInfoBlock(model.boardType.load()));
    answer(requestInformation(), block);
    EXPECT_EQ(files.dataInfo(), parsed(block));
    EXPECT_TRUE(sink.wParams(UM_MONITOR_FILE_CLOSED).empty());
    EXPECT_FALSE(files.openFilePath().empty());  // the file goes on
    EXPECT_FALSE(session->hasCurrentRequest());
    ASSERT_EQ(files.endMonitoring(), 0);
    const auto header = headerBlock(dir.file("buffer/00000000.DT"));
    EXPECT_TRUE(std::equal(header.begin(), header.end(), parsed(block).bytes.begin()));
}

TEST_F(SessionMonitoring, FailedInformationDuringTheMeasurementClosesTheFile) {
    answer(requestInformation(), {}, static_cast<int32_t>(0x80070102u));
    EXPECT_EQ(sink.wParams(UM_MONITOR_FILE_CLOSED).size(), 1u);
    EXPECT_TRUE(files.openFilePath().empty());
    EXPECT_EQ(files.dataInfo(), composeStandInDataInfoBlock(model.boardType.load()));
    LoadedDataFile closed;
    ASSERT_TRUE(closed.loadFile(dir.file("buffer/00000000.DT")));
    EXPECT_EQ(closed.capture().count(), 64u);
    // Monitoring goes on in the next file.
    session->OnMonitorData(64 * 8, records.data(), static_cast<uint32_t>(records.size()));
    EXPECT_TRUE(std::filesystem::exists(dir.file("buffer/00000001.DT")));
}

TEST_F(SessionMonitoring, InformationAfterTheEndRewritesTheLastFilesHeader) {
    uint8_t* memory = requestInformation();
    ASSERT_EQ(files.endMonitoring(), 0);  // the main window got there first
    sink.monitoringFlag = false;
    const auto block = analyzerBlock();
    answer(memory, block);
    EXPECT_EQ(sink.wParams(UM_MONITOR_FILE_CLOSED).size(), 1u);
    const std::string path = dir.file("buffer/00000000.DT");
    const auto header = headerBlock(path);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), parsed(block).bytes.begin()));
    LoadedDataFile file;
    ASSERT_TRUE(file.loadFile(path));
    EXPECT_EQ(file.capture().count(), 64u);  // the count stays
}

TEST_F(SessionMonitoring, MonitorDataOnlyWhileMonitoring) {
    sink.monitoringFlag = false;
    session->OnMonitorData(64 * 8, records.data(), static_cast<uint32_t>(records.size()));
    session->OnMonitorData(64 * 8, nullptr, 32);
    EXPECT_EQ(files.counters().bytesReceived, records.size());
}

TEST(SessionHeaderRewrite, OnlyAFinishedFileOfTheSameFamilyIsRewritten) {
    test::TempDir dir;
    const std::string path = dir.file("00000000.DT");
    {
        DataFileWriter writer;
        ASSERT_EQ(writer.create(path, 73763, composeDataInfoBlock(73763)), 0);
        const std::vector<uint8_t> records(96, 0x01);
        ASSERT_EQ(writer.append(records.data(), records.size()), 0);
        ASSERT_EQ(writer.finish(composeDataInfoBlock(73763)), 0);
    }
    const auto before = readAll(path);
    DataInfoBlock other = composeDataInfoBlock(73763);
    other.bytes[500] = 0x77;
    // Another family's header would have another size: refused, nothing written.
    EXPECT_EQ(hex(rewriteDataFileHeader(path, 65555, composeDataInfoBlock(65555))), hex(kInvalidData));
    EXPECT_EQ(readAll(path), before);
    ASSERT_EQ(rewriteDataFileHeader(path, 73763, other), 0);
    const auto after = readAll(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[24 + 500], 0x77);
    EXPECT_EQ(getU32(after.data(), 840), 96u);  // the record count stays
    EXPECT_TRUE(std::equal(after.begin() + 844, after.end(), before.begin() + 844));
    // Not a data file, and no file.
    std::ofstream(dir.file("text.DT"), std::ios::binary) << std::string(900, 'x');
    EXPECT_EQ(hex(rewriteDataFileHeader(dir.file("text.DT"), 73763, other)), hex(kInvalidData));
    EXPECT_EQ(readAll(dir.file("text.DT")), std::vector<uint8_t>(900, 'x'));
    EXPECT_LT(rewriteDataFileHeader(dir.file("none.DT"), 73763, other), 0);
}

// --- upload ----------------------------------------------------------------------------------

const std::vector<uint8_t> kBlockA(100, 0xA1), kBlockB(40, 0xB2), kBlockC(3200, 0xC3), kBlockD(8, 0xD4);

TEST_F(Session, UploadChainsFourBlocksAndSignsTheFileLast) {
    std::ofstream(uploadPath(), std::ios::binary) << std::string(50000, 'x');  // an old one
    ASSERT_EQ(session->startUpload(), 0);
    EXPECT_TRUE(session->uploadRunning());
    const std::vector<uint32_t> blocks = {0x8100, 0x8102, 0x8101, 0x8103};
    const std::vector<uint32_t> capacities = {0x10000, 0x10000, 0xC00000, 0x10000};
    const std::vector<std::vector<uint8_t>> parts = {kBlockA, kBlockB, kBlockC, kBlockD};
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_EQ(remote.submitted.size(), i + 1);
        EXPECT_EQ(remote.submitted[i].kind, kRequestReceive);
        EXPECT_EQ(remote.submitted[i].param1, blocks[i]);
        EXPECT_EQ(remote.submitted[i].param2, 0u);  // into the file
        EXPECT_EQ(remote.submitted[i].param3, capacities[i]);
        EXPECT_TRUE(session->hasCurrentRequest());
        if (i < 3) {
            EXPECT_EQ(readAll(partialPath()).size() >= 16, true);
            EXPECT_EQ(readAll(partialPath())[0], 0);  // no signature before the end
            EXPECT_EQ(readAll(uploadPath()).size(), 50000u);  // the old one until the end
        }
        deliver(parts[i]);
    }
    EXPECT_FALSE(session->uploadRunning());
    EXPECT_FALSE(session->hasCurrentRequest());
    EXPECT_EQ(sink.wParams(UM_UPLOAD_STEP), (std::vector<uintptr_t>{1, 3, 2, 4}));
    EXPECT_EQ(sink.wParams(UM_UPLOAD_DONE), (std::vector<uintptr_t>{0}));
    EXPECT_EQ(sink.numbers().back(), UM_UPLOAD_DONE);

    const auto file = readAll(uploadPath());
    ASSERT_EQ(file.size(), 16 + 100 + 40 + 3200 + 8u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 16), std::string("ZEVRONA DATA   \0", 16));
    EXPECT_EQ(file[16], 0xA1);
    EXPECT_EQ(file[16 + 100], 0xB2);
    EXPECT_EQ(file[16 + 140], 0xC3);
    EXPECT_EQ(file.back(), 0xD4);
    EXPECT_FALSE(partialLeft());
}

TEST_F(Session, UploadStepThatFailsKeepsTheEarlierUploadAndReportsItsResult) {
    const std::vector<std::vector<uint8_t>> parts = {kBlockA, kBlockB, kBlockC, kBlockD};
    std::ofstream(uploadPath(), std::ios::binary) << std::string(500, 'x');  // the last upload
    for (int failing = 0; failing < 4; ++failing) {
        SCOPED_TRACE(failing);
        sink.drain();
        remote.submitted.clear();
        ASSERT_EQ(session->startUpload(), 0);
        size_t written = 16;
        for (int i = 0; i < failing; ++i) {
            deliver(parts[static_cast<size_t>(i)]);
            written += parts[static_cast<size_t>(i)].size();
        }
        deliver(kBlockD, static_cast<int32_t>(0x800704C7u));  // some bytes, then cancelled
        written += kBlockD.size();
        EXPECT_FALSE(session->uploadRunning());
        EXPECT_EQ(sink.wParams(UM_UPLOAD_DONE), (std::vector<uintptr_t>{0x800704C7u}));
        EXPECT_EQ(remote.submitted.size(), static_cast<size_t>(failing) + 1);  // nothing after
        EXPECT_GT(written, 16u);
        EXPECT_EQ(readAll(uploadPath()), std::vector<uint8_t>(500, 'x'));
        EXPECT_FALSE(partialLeft());
    }
}

TEST_F(Session, UploadWhoseNextSubmissionIsRefusedEndsWithThatResult) {
    ASSERT_EQ(session->startUpload(), 0);
    deliver(kBlockA);
    remote.submitResults = {static_cast<int32_t>(0x80070015u)};
    deliver(kBlockB);  // 0x8102 done; 0x8101 refused
    EXPECT_EQ(sink.wParams(UM_UPLOAD_STEP), (std::vector<uintptr_t>{1, 3}));
    EXPECT_EQ(sink.wParams(UM_UPLOAD_DONE), (std::vector<uintptr_t>{0x80070015u}));
    EXPECT_FALSE(session->hasCurrentRequest());
    EXPECT_FALSE(session->uploadRunning());
    EXPECT_FALSE(std::filesystem::exists(uploadPath()));
    EXPECT_FALSE(partialLeft());
}

TEST_F(Session, UploadRefusedAtOnceIsReportedToTheCallerOnly) {
    remote.submitResults = {static_cast<int32_t>(0xA0000009u)};
    EXPECT_EQ(hex(session->startUpload()), 0xA0000009u);
    EXPECT_FALSE(session->uploadRunning());
    EXPECT_FALSE(session->hasCurrentRequest());
    EXPECT_TRUE(sink.messages().empty());  // neither a step nor a done message
    EXPECT_FALSE(std::filesystem::exists(uploadPath()));
    EXPECT_FALSE(partialLeft());

    remote.createResult = static_cast<int32_t>(0x8007000Eu);
    EXPECT_EQ(hex(session->startUpload()), 0x8007000Eu);
    remote.createResult = 0;

    // A data folder that does not exist: the system error, nothing submitted.
    sink.folder = dir.file("missing");
    const size_t before = remote.submitted.size();
    EXPECT_EQ(hex(session->startUpload()) & 0xFFFF0000u, 0x80070000u);
    EXPECT_EQ(remote.submitted.size(), before);
}

TEST_F(Session, OnlyOneUploadAtATime) {
    ASSERT_EQ(session->startUpload(), 0);
    EXPECT_EQ(hex(session->startUpload()), hex(kResultBusy));
    EXPECT_EQ(remote.submitted.size(), 1u);
    deliver(kBlockA);
    EXPECT_EQ(readAll(partialPath()).size(), 116u);  // the running upload's file untouched
}

// A file whose finishing steps fail as told.
class FailingFile final : public UploadFile {
public:
    FailingFile(std::unique_ptr<UploadFile> inner, int failAt) : inner_(std::move(inner)), failAt_(failAt) {}
    Result write(const uint8_t* b, size_t n) override {
        return calls_++ == failAt_ ? static_cast<Result>(0x80070070u) : inner_->write(b, n);
    }
    Result setEndHere() override { return inner_->setEndHere(); }
    Result seekToStart() override { return inner_->seekToStart(); }
    Result close() override { return inner_->close(); }

private:
    std::unique_ptr<UploadFile> inner_;
    int failAt_;
    int calls_ = 0;
};

TEST_F(Session, DiskFullWhileWritingEndsTheTransferAndTheUpload) {
    // write 0 is the 16 zero bytes, write 1 the first block's data.
    session->setUploadFileOpener([](const std::string& path, std::unique_ptr<UploadFile>& file) {
        std::unique_ptr<UploadFile> inner;
        const Result r = createUploadFile(path, inner);
        if (succeeded(r)) file = std::make_unique<FailingFile>(std::move(inner), 1);
        return r;
    });
    ASSERT_EQ(session->startUpload(), 0);
    IZVRemoteRequest* r = remote.oldest();
    uint32_t n = static_cast<uint32_t>(kBlockA.size());
    EXPECT_EQ(hex(session->OnReceiveBlock(r, 0, kBlockA.data(), &n)), 0x80070070u);
    EXPECT_EQ(n, 0u);
    remote.complete(static_cast<int32_t>(0x80070070u));  // the library ends with the result
    EXPECT_EQ(sink.wParams(UM_UPLOAD_DONE), (std::vector<uintptr_t>{0x80070070u}));
    EXPECT_FALSE(partialLeft());
}

TEST_F(Session, FailedSignatureWriteIsTheUploadsResult) {
    // Writes: zeros, four blocks, then the signature.
    session->setUploadFileOpener([](const std::string& path, std::unique_ptr<UploadFile>& file) {
        std::unique_ptr<UploadFile> inner;
        const Result r = createUploadFile(path, inner);
        if (succeeded(r)) file = std::make_unique<FailingFile>(std::move(inner), 5);
        return r;
    });
    ASSERT_EQ(session->startUpload(), 0);
    for (const auto* part : {&kBlockA, &kBlockB, &kBlockC, &kBlockD}) deliver(*part);
    EXPECT_EQ(sink.wParams(UM_UPLOAD_DONE), (std::vector<uintptr_t>{0x80070070u}));
    // A file without its signature is no data file: none is left under either name.
    EXPECT_FALSE(std::filesystem::exists(uploadPath()));
    EXPECT_FALSE(partialLeft());
}

TEST_F(Session, ReceiveBlockWritesOnlyForTheUploadInTransfer) {
    const std::vector<uint8_t> bytes(32, 0xEE);
    uint32_t n = 32;
    // No upload: a request with a made-up handle is not written through.
    ASSERT_EQ(session->receiveBlock(kAreaSetupImage), 0);
    IZVRemoteRequest* setupRequest = remote.oldest();
    setupRequest->param1 = 0x8101;
    EXPECT_EQ(session->OnReceiveBlock(setupRequest, 0, bytes.data(), &n), 0);
    EXPECT_EQ(n, 32u);
    setupRequest->param1 = kAreaSetupImage;
    remote.complete(0);

    ASSERT_EQ(session->startUpload(), 0);
    IZVRemoteRequest* upload = remote.oldest();
    const uintptr_t handle = upload->data;
    // Another request pointing at the upload's file is still not the block in transfer.
    ASSERT_EQ(session->startMeasurement(), 0);
    IZVRemoteRequest* stranger = remote.pending.back();
    stranger->param1 = 0x8100;
    stranger->data = handle;
    EXPECT_EQ(session->OnReceiveBlock(stranger, 0, bytes.data(), &n), 0);
    stranger->param1 = 1;
    stranger->data = 0;
    EXPECT_EQ(readAll(partialPath()).size(), 16u);
    // The real one; a null count pointer and an empty delivery are harmless.
    EXPECT_EQ(session->OnReceiveBlock(upload, 0, bytes.data(), nullptr), 0);
    uint32_t zero = 0;
    EXPECT_EQ(session->OnReceiveBlock(upload, 0, nullptr, &zero), 0);
    EXPECT_EQ(session->OnReceiveBlock(upload, 0, bytes.data(), &n), 0);
    EXPECT_EQ(readAll(partialPath()).size(), 48u);
}

TEST_F(Session, UploadStepsArriveInOrderEvenWhenTheCompletionOvertakesTheSubmitter) {
    // The library completes the first block on its own thread before Submit has returned.
    struct Racing {
        FakeRemote* remote;
        std::thread thread;
    } racing{&remote, {}};
    remote.submitResults.clear();
    std::atomic<bool> started{false};
    // Complete from another thread as soon as the first block is pending.
    racing.thread = std::thread([&] {
        while (!remote.oldest()) std::this_thread::yield();
        started = true;
        remote.complete(0, [](IZVRemoteRequest& q) { q.param4 = 0; });
    });
    ASSERT_EQ(session->startUpload(), 0);
    racing.thread.join();
    ASSERT_TRUE(started.load());
    deliver(kBlockB);
    deliver(kBlockC);
    deliver(kBlockD);
    EXPECT_EQ(sink.wParams(UM_UPLOAD_STEP), (std::vector<uintptr_t>{1, 3, 2, 4}));
    EXPECT_EQ(sink.wParams(UM_UPLOAD_DONE), (std::vector<uintptr_t>{0}));
}

TEST_F(Session, DestroyingTheSessionMidTransferLeavesNoReferenceBehind) {
    ASSERT_EQ(session->startUpload(), 0);
    deliver(kBlockA);
    ASSERT_EQ(session->receiveBlock(kAreaSetupImage), 0);
    session->addReference();
    EXPECT_EQ(session->referenceCount(), 2u);
    IZVRemote* held = nullptr;
    ASSERT_EQ(session->getRemote(&held), 0);
    EXPECT_EQ(held, &remote);
    held->Release();
    // TearDown checks the ledger after the session is gone.
}

}  // namespace
}  // namespace zv
