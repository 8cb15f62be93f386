// A malformed or hostile peer ends the link cleanly on both sides: the client reports the lost
// link and completes what was pending, the emulated analyzer drops the PC and takes the next.
#include <gtest/gtest.h>

#include <thread>

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
    EXPECT_EQ(d.result, kProtocolError);
    EXPECT_EQ(d.param4, 0u);
    EXPECT_TRUE(h.recorder.waitFor([&] { return h.recorder.disconnects == 1; }));
    EXPECT_EQ(buffer, std::vector<uint8_t>(16, 0xAA));  // nothing written past or into it
}

TEST(HostilePeer, StrayCompletionsAreIgnoredButMalformedMessagesAreNot) {
    Harness h;
    ASSERT_EQ(h.client->submit(request(kKindConnect)), kOk);
    h.fake->acceptHello();
    ASSERT_EQ(h.recorder.waitDone(1).result, kOk);
    // A completion for a request nobody made, and data for one: dropped.
    h.fake->link().send(MsgType::RequestDone, RequestDoneMsg{99, 5, kOk, 0, 0, 0, 0}.encode());
    const std::vector<uint8_t> bytes(8, 1);
    h.fake->link().send(MsgType::BlockData, encodeData({98, 0, 8}, bytes.data(), bytes.size()));
    ASSERT_EQ(h.client->submit(request(kKindKey, 0x8014)), kOk);
    const auto req = RequestMsg::decode(h.fake->expect(MsgType::Request).data(), 24);
    ASSERT_TRUE(req);
    h.fake->link().send(MsgType::RequestDone, RequestDoneMsg{req->id, req->kind, kOk, 0, 0, 0, 0}.encode());
    EXPECT_EQ(h.recorder.waitDone(2).result, kOk);
    EXPECT_EQ(h.client->state(), 1);
    // A screen of the wrong size ends the link.
    h.fake->link().send(MsgType::Screen, std::vector<uint8_t>(1919, 0));
    EXPECT_TRUE(h.recorder.waitFor([&] { return h.recorder.disconnects == 1; }));
    EXPECT_EQ(h.client->state(), 0);
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
