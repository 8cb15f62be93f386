// The analyzer's monitor FIFO: what the PC can see of blocks left out, and the account of the
// stream that zvsim --stats writes.
#include <gtest/gtest.h>

#include <vector>

#include "base/bytes.h"
#include "emulator/monitor_queue.h"
#include "zvlkrmt/protocol/wire.h"

namespace zv::emu {
namespace {

constexpr size_t kHead = 4;  // of a MonitorData message: position, zero

class Stream {
public:
    explicit Stream(size_t capacity) : queue(capacity) { queue.beginStream(2, 5); }

    // SIZE bytes of records, each byte the block's number, queued or left out.
    void offer(size_t size, bool queued = true) {
        const std::vector<uint8_t> records(size, static_cast<uint8_t>(++number_));
        queue.offer(records.data(), size, position_, queued);
        position_ = static_cast<uint16_t>(position_ + size);
    }

    // Sends what the queue hands out, as the link would, and follows the positions as the PC
    // does: every jump is one lost-data marker there.
    void sendAll() {
        while (const MonitorQueue::Block* b = queue.front()) {
            const uint16_t position = getU16(b->message.data(), 0);
            if (position != expected_) ++jumpsSeen;
            const size_t size = b->message.size() - kHead;
            expected_ = static_cast<uint16_t>(position + size);
            received.insert(received.end(), b->message.begin() + kHead, b->message.end());
            queue.pop(true);
        }
    }

    MonitorQueue queue;
    std::vector<uint8_t> received;
    int jumpsSeen = 0;

private:
    uint16_t position_ = 0;
    uint16_t expected_ = 0;
    int number_ = 0;
};

TEST(MonitorQueue, EveryStretchLeftOutIsSeenByThePcAndAccountedFor) {
    Stream s(4 * (4096 + kHead));
    s.offer(8192);
    s.sendAll();
    // Exactly 64 KiB left out: the next block would stand where the PC expects one, so it goes
    // the same way and the stretch becomes visible.
    for (int i = 0; i < 8; ++i) s.offer(8192, false);
    s.offer(8192);
    s.offer(4096);
    s.sendAll();
    EXPECT_EQ(s.jumpsSeen, 1);
    // Six blocks into a queue of four: the two oldest are pushed out, a stretch of 8 KiB.
    for (int i = 0; i < 6; ++i) s.offer(4096);
    s.sendAll();
    EXPECT_EQ(s.jumpsSeen, 2);
    s.offer(4096);  // still queued when the link goes
    s.offer(4096, false);

    const std::optional<StreamReport> r = s.queue.closeStream("link-ended");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->link, 2u);
    EXPECT_EQ(r->measurement, 5u);
    EXPECT_EQ(r->sent, s.received.size() / 32);
    EXPECT_EQ(r->sent, (8192u + 4096 + 4 * 4096) / 32);
    EXPECT_EQ(r->crc, remote::crc32(s.received.data(), s.received.size()));
    EXPECT_EQ(r->gaps, 2u);
    EXPECT_EQ(r->leftOut, (9 * 8192u + 2 * 4096) / 32);
    EXPECT_EQ(r->unsent, 2 * 4096u / 32);
    EXPECT_EQ(r->generated, r->sent + r->leftOut + r->unsent);
    EXPECT_EQ(r->end, "link-ended");
    EXPECT_FALSE(s.queue.closeStream("link-ended"));
}

}  // namespace
}  // namespace zv::emu
