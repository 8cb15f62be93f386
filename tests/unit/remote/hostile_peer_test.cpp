// A malformed or hostile peer ends the link cleanly on both sides: the client reports the lost
// link with the problem that ended it and completes what was pending with it, the emulated
// analyzer drops the PC and takes the next.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "base/bytes.h"
#include "emulator/analyzer.h"
#include "recorder.h"
#include "zvlkrmt/protocol/link.h"

namespace zv::remote {
namespace {

using test::Recorder;
using test::request;

// The analyzer side of a pipe, scripted by the test.
class FakeAnalyzer {
public:
    explicit FakeAnalyzer(std::unique_ptr<Transport> t) : transport_(std::move(t)), link_(*transport_) {}

    // Reads until a frame of the type arrives; returns its payload.
    std::vector<uint8_t> expect(MsgType type) {
        std::vector<uint8_t> payload;
        bool got = false;
        for (int i = 0; i < 200 && !got; ++i) {
            link_.pump(10, [&](const FrameView& f) {
                if (f.type == static_cast<uint8_t>(type) && !got) {
                    payload.assign(f.payload, f.payload + f.size);
                    got = true;
                }
                return true;
            });
        }
        EXPECT_TRUE(got) << "no frame of type " << int(type);
        return payload;
    }
    void acceptHello() {
        expect(MsgType::Hello);
        HelloAckMsg ack;
        ack.version = 1;
        ack.boardType = 73763;
        ack.state = 1;
        ack.receiveWindow = kDefaultWindow;
        link_.send(MsgType::HelloAck, ack.encode());
    }
    FrameLink& link() { return link_; }
    Transport& transport() { return *transport_; }

private:
    std::unique_ptr<Transport> transport_;
    FrameLink link_;
};

struct Harness {
    Recorder recorder;
    std::unique_ptr<RemoteClient> client;
    std::unique_ptr<FakeAnalyzer> fake;

    Harness() {
        auto [pc, device] = makePipePair();
        fake = std::make_unique<FakeAnalyzer>(std::move(device));
        auto shared = std::make_shared<std::unique_ptr<Transport>>(std::move(pc));
        ClientOptions o;
        o.answerTimeoutMs = 2000;
        client = std::make_unique<RemoteClient>(recorder, o);
        client->setConnector([shared](std::unique_ptr<Transport>& out) {
            out = std::move(*shared);
            return kOk;
        });
    }
};

TEST(HostilePeer, GarbageInsteadOfAHelloAnswer) {
    Harness h;
    ASSERT_EQ(h.client->submit(request(kKindConnect)), kOk);
    h.fake->expect(MsgType::Hello);
    const uint8_t junk[] = {'H', 'T', 'T', 'P', '/', '1', '.', '1', ' ', '4', '0', '0'};
    h.fake->transport().write(junk, sizeof junk);
    EXPECT_EQ(h.recorder.waitDone(1).result, kProtocolError);
    EXPECT_EQ(h.client->state(), 0);
}

TEST(HostilePeer, DataBeyondTheReceiveBufferEndsTheLink) {
    Harness h;
    ASSERT_EQ(h.client->submit(request(kKindConnect)), kOk);
    h.fake->acceptHello();
    ASSERT_EQ(h.recorder.waitDone(1).result, kOk);
    std::vector<uint8_t> buffer(16, 0xAA);
    auto r = request(kKindReceive, 0x2000, 1, 16);
    r->memory = buffer.data();
    ASSERT_EQ(h.client->submit(r), kOk);
    const auto req = RequestMsg::decode(h.fake->expect(MsgType::Request).data(), 24);
    ASSERT_TRUE(req);
    const std::vector<uint8_t> bytes(64, 0x55);
    h.fake->link().send(MsgType::BlockData, encodeData({req->id, 0, 64}, bytes.data(), bytes.size()));
    const auto d = h.recorder.waitDone(2);
    EXPECT_EQ(static_cast<uint32_t>(d.result), static_cast<uint32_t>(kWrongLength));
    EXPECT_EQ(d.param4, 0u);
    EXPECT_TRUE(h.recorder.waitFor([&] { return h.recorder.disconnects == 1; }));
    EXPECT_EQ(buffer, std::vector<uint8_t>(16, 0xAA));  // nothing written past or into it
}

// Connected, with the fake analyzer answering the Hello.
void connect(Harness& h) {
    ASSERT_EQ(h.client->submit(request(kKindConnect)), kOk);
    h.fake->acceptHello();
    ASSERT_EQ(h.recorder.waitDone(1).result, kOk);
}

// The request the fake analyzer received next.
RequestMsg nextRequest(Harness& h) {
    const auto req = RequestMsg::decode(h.fake->expect(MsgType::Request).data(), 24);
    EXPECT_TRUE(req);
    return req.value_or(RequestMsg{});
}

// The link ended by itself with this reason, and the client says disconnected.
void expectEndedWith(Harness& h, Result reason) {
    EXPECT_TRUE(h.recorder.waitFor([&] { return h.recorder.disconnects == 1; }));
    EXPECT_EQ(static_cast<uint32_t>(h.recorder.locked([&] { return h.recorder.disconnectReason; })),
              static_cast<uint32_t>(reason));
    EXPECT_EQ(h.client->state(), 0);
}

TEST(HostilePeer, TheLateAnswerOfACancelledRequestIsTakenButASecondOneEndsTheLink) {
    Harness h;
    connect(h);
    ASSERT_EQ(h.client->submit(request(kKindReceive, 0x8100, 0, 0x10000)), kOk);
    const RequestMsg receive = nextRequest(h);
    ASSERT_EQ(h.client->cancel(), kOk);
    EXPECT_EQ(h.recorder.waitDone(2).result, kCancelled);
    // What was on its way when the Cancel crossed it: the transfer's tail and its completion.
    const std::vector<uint8_t> bytes(8, 1);
    h.fake->link().send(MsgType::BlockData, encodeData({receive.id, 0, 8}, bytes.data(), bytes.size()));
    h.fake->link().send(MsgType::RequestDone, RequestDoneMsg{receive.id, 5, kCancelled, 0x8100, 0, 0, 0}.encode());
    ASSERT_EQ(h.client->submit(request(kKindKey, 0x8014)), kOk);
    const RequestMsg key = nextRequest(h);
    h.fake->link().send(MsgType::RequestDone, RequestDoneMsg{key.id, key.kind, kOk, 0, 0, 0, 0}.encode());
    EXPECT_EQ(h.recorder.waitDone(3).result, kOk);
    EXPECT_EQ(h.client->state(), 1);
    h.fake->link().send(MsgType::RequestDone, RequestDoneMsg{receive.id, 5, kCancelled, 0x8100, 0, 0, 0}.encode());
    expectEndedWith(h, kUnexpectedCompletion);
}

// Completions the analyzer was not asked for end the link; the request waiting meanwhile is
// never completed by one of them, it completes with the problem.
TEST(HostilePeer, CompletionsNeverAskedForEndTheLinkAndCompleteNoOtherRequest) {
    enum class Stray { NeverMade, Twice, OtherKind, SuccessBeforeTheData };
    for (const Stray stray : {Stray::NeverMade, Stray::Twice, Stray::OtherKind, Stray::SuccessBeforeTheData}) {
        SCOPED_TRACE(static_cast<int>(stray));
        Harness h;
        connect(h);
        ASSERT_EQ(h.client->submit(request(kKindKey, 0x8014)), kOk);
        const RequestMsg first = nextRequest(h);
        const RequestDoneMsg firstDone{first.id, first.kind, kOk, 0, 0, 0, 0};
        h.fake->link().send(MsgType::RequestDone, firstDone.encode());
        ASSERT_EQ(h.recorder.waitDone(2).result, kOk);
        std::vector<uint8_t> buffer(64, 0);
        auto waiting = request(kKindReceive, 0x2000, 1, 64);
        waiting->memory = buffer.data();
        ASSERT_EQ(h.client->submit(waiting), kOk);
        const RequestMsg second = nextRequest(h);
        switch (stray) {
            case Stray::NeverMade:
                h.fake->link().send(MsgType::RequestDone, RequestDoneMsg{second.id + 1, 5, kOk, 0, 0, 0, 0}.encode());
                break;
            case Stray::Twice: h.fake->link().send(MsgType::RequestDone, firstDone.encode()); break;
            case Stray::OtherKind:
                h.fake->link().send(MsgType::RequestDone, RequestDoneMsg{second.id, 3, kOk, 0, 0, 0, 0}.encode());
                break;
            case Stray::SuccessBeforeTheData: {
                const std::vector<uint8_t> part(16, 7);
                h.fake->link().send(MsgType::BlockData, encodeData({second.id, 0, 48}, part.data(), part.size()));
                h.fake->link().send(MsgType::RequestDone,
                                    RequestDoneMsg{second.id, 5, kOk, 0x2000, 0, 0, 48}.encode());
                break;
            }
        }
        expectEndedWith(h, kUnexpectedCompletion);
        const auto done = h.recorder.waitDone(3);
        EXPECT_EQ(done.request, waiting);
        EXPECT_EQ(static_cast<uint32_t>(done.result), static_cast<uint32_t>(kUnexpectedCompletion));
    }
}

TEST(HostilePeer, EachProtocolProblemEndsTheLinkWithItsOwnResult) {
    struct Case {
        const char* what;
        std::function<void(FakeAnalyzer&)> send;
        Result reason;
    };
    const std::vector<uint8_t> records(64, 0x11);
    const Case cases[] = {
        {"a screen of the wrong size", [](FakeAnalyzer& f) { f.link().send(MsgType::Screen, std::vector<uint8_t>(1919, 0)); },
         kWrongLength},
        {"a completion one byte short",
         [](FakeAnalyzer& f) { f.link().send(MsgType::RequestDone, std::vector<uint8_t>(27, 0)); }, kWrongLength},
        {"a frame head announcing 4 GiB",
         [](FakeAnalyzer& f) {
             std::vector<uint8_t> frame;
             appendFrame(frame, static_cast<uint8_t>(MsgType::Pong), 2, nullptr, 0);
             putU32(frame.data(), 8, 0xFFFFFFFFu);
             putU16(frame.data(), 12, crc16(frame.data(), 12));
             f.transport().write(frame.data(), 16);
         },
         kWrongLength},
        {"a broken payload check",
         [&](FakeAnalyzer& f) {
             std::vector<uint8_t> frame;
             appendFrame(frame, static_cast<uint8_t>(MsgType::Pong), 2, records.data(), 4);
             frame.back() ^= 1;
             f.transport().write(frame.data(), frame.size());
         },
         kProtocolError},
        {"a message type nobody knows",
         [](FakeAnalyzer& f) { f.link().send(static_cast<MsgType>(0x7E), std::vector<uint8_t>(4, 0)); }, kProtocolError},
        {"monitor data while no measurement runs",
         [&](FakeAnalyzer& f) { f.link().send(MsgType::MonitorData, encodeMonitor(0, records.data(), 64)); },
         kUnrequestedData},
        {"a monitor block with a piece of a record",
         [&](FakeAnalyzer& f) {
             f.link().send(MsgType::Status, StatusMsg{1, kStatusMeasuring}.encode());
             f.link().send(MsgType::MonitorData, encodeMonitor(0, records.data(), 40));
         },
         kWrongLength},
        {"the answer to the Hello once more",
         [](FakeAnalyzer& f) { f.link().send(MsgType::HelloAck, HelloAckMsg{}.encode()); }, kUnexpectedCompletion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        connect(h);
        c.send(*h.fake);
        expectEndedWith(h, c.reason);
    }
}

// A frame that breaks the link right behind the answer to the Hello ends it at once, with its
// own reason, not after the time-out of an analyzer that sends nothing more.
TEST(HostilePeer, AProblemThatCameWithTheHelloAnswerEndsTheLinkAtOnce) {
    Harness h;
    ASSERT_EQ(h.client->submit(request(kKindConnect)), kOk);
    h.fake->expect(MsgType::Hello);
    HelloAckMsg ack;
    ack.version = 1;
    ack.boardType = 73763;
    ack.state = 1;
    std::vector<uint8_t> both;
    const auto a = ack.encode();
    appendFrame(both, static_cast<uint8_t>(MsgType::HelloAck), 1, a.data(), a.size());
    const std::vector<uint8_t> shortStatus(7, 0);
    appendFrame(both, static_cast<uint8_t>(MsgType::Status), 2, shortStatus.data(), shortStatus.size());
    h.fake->transport().write(both.data(), both.size());
    EXPECT_EQ(h.recorder.waitDone(1).result, kOk);
    const auto begin = std::chrono::steady_clock::now();
    expectEndedWith(h, kWrongLength);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1500));  // the time-out is 2 s
}

// A frame whose head announced more than was sent: what trickles in after it (keep-alive
// answers) never makes it whole, and must not keep the link alive for ever.
TEST(HostilePeer, AFrameThatNeverArrivesWholeEndsTheLinkAfterTheTimeOut) {
    Harness h;
    connect(h);
    std::vector<uint8_t> frame;
    const std::vector<uint8_t> token(4, 0);
    appendFrame(frame, static_cast<uint8_t>(MsgType::Pong), 2, token.data(), token.size());
    putU32(frame.data(), 8, 40000);
    putU16(frame.data(), 12, crc16(frame.data(), 12));
    h.fake->transport().write(frame.data(), frame.size());
    const auto begin = std::chrono::steady_clock::now();
    const uint8_t trickle = 0;
    while (h.recorder.locked([&] { return h.recorder.disconnects; }) == 0 &&
           std::chrono::steady_clock::now() - begin < std::chrono::seconds(20)) {
        h.fake->transport().write(&trickle, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    expectEndedWith(h, kTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));  // the time-out is 2 s
}

TEST(HostilePeer, AnErrorMessageEndsTheLinkWithItsResult) {
    Harness h;
    ASSERT_EQ(h.client->submit(request(kKindConnect)), kOk);
    h.fake->acceptHello();
    ASSERT_EQ(h.recorder.waitDone(1).result, kOk);
    ASSERT_EQ(h.client->submit(request(kKindWaitEvent, 0x202)), kOk);
    h.fake->expect(MsgType::Request);
    h.fake->link().send(MsgType::Error, ErrorMsg{static_cast<Result>(0x80004005u), "firmware fault"}.encode());
    EXPECT_EQ(static_cast<uint32_t>(h.recorder.waitDone(2).result), 0x80004005u);
    EXPECT_TRUE(h.recorder.waitFor([&] { return h.recorder.disconnects == 1; }));
}

TEST(HostilePeer, AnalyzerDropsAPcThatSendsGarbageAndTakesTheNext) {
    emu::Analyzer analyzer(emu::AnalyzerConfig{});
    {
        auto [pc, device] = makePipePair();
        analyzer.attach(std::move(device));
        FrameLink link(*pc);
        link.send(MsgType::Hello, HelloMsg{}.encode());
        const uint8_t junk[] = {0x5A, 0x57, 0x01, 0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0};
        pc->write(junk, sizeof junk);
        // The analyzer answers the Hello, then an Error, then closes.
        bool error = false, closed = false;
        for (int i = 0; i < 300 && !closed; ++i) {
            const Result r = link.pump(10, [&](const FrameView& f) {
                error = error || f.type == static_cast<uint8_t>(MsgType::Error);
                return true;
            });
            closed = r == kLinkLost;
        }
        EXPECT_TRUE(error);
        EXPECT_TRUE(closed);
    }
    for (int i = 0; i < 200 && analyzer.attached(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Recorder rec;
    RemoteClient client(rec);
    client.setConnector([&](std::unique_ptr<Transport>& out) {
        auto [pc, device] = makePipePair();
        analyzer.attach(std::move(device));
        out = std::move(pc);
        return kOk;
    });
    ASSERT_EQ(client.submit(request(kKindConnect)), kOk);
    EXPECT_EQ(rec.waitDone(1).result, kOk);
}

}  // namespace
}  // namespace zv::remote
