// The analyzer's monitor FIFO between its record stream and the link to the PC, and the account
// of what left it: which blocks went, which were left out, and the CRC-32 of the records sent.
// Portable and without locks: the link's session holds its monitor lock around every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace zv::emu {

// What one measurement's monitor stream over one link came to, told when the stream can
// change no more: the next measurement starts, the link stalls or ends, or the analyzer goes
// away. Counts are records of 32 bytes. Blocks that never went (skipped, or pushed out of a
// full FIFO) before the last block that did are "left out": the PC sees each stretch of them
// as one jump of the stream position, a gap. What came after the last sent block (still
// queued, or made later) is "unsent": the PC cannot know of it.
struct StreamReport {
    uint64_t link = 0;         // links the analyzer took, counted from 1
    uint64_t measurement = 0;  // measurements it started, counted from 1
    uint64_t generated = 0;    // records offered to this link's stream
    uint64_t sent = 0;         // records in MonitorData messages handed to the link
    uint64_t leftOut = 0;
    uint64_t gaps = 0;
    uint64_t unsent = 0;
    uint32_t crc = 0;          // CRC-32 of the sent records in stream order
    std::string end;           // "link-ended", "stalled", "next-measurement", "analyzer-stopped"
};

class MonitorQueue {
public:
    static constexpr size_t kDefaultCapacity = 8u << 20;

    struct Block {
        std::vector<uint8_t> message;  // the MonitorData payload: position, then the records
        uint64_t start = 0;            // offset of its records in the stream
    };

    explicit MonitorQueue(size_t capacityBytes = kDefaultCapacity) : capacity_(capacityBytes) {}

    // A measurement's stream begins here: offsets and the account start afresh. The account of
    // a stream still open is lost; close it first.
    void beginStream(uint64_t link, uint64_t measurement);
    // The stream's next records (at most one monitor block), encoded at POSITION: queued when
    // QUEUE is set, dropping the oldest blocks while the queue is over its capacity; left out
    // otherwise. Either way the stream moves on by SIZE.
    void offer(const uint8_t* records, size_t size, uint16_t position, bool queue);
    // The block to send next, or null. A block that would follow a stretch left out of a whole
    // multiple of 64 KiB is left out as well: its position, counted modulo 65,536, would be
    // the one the PC expects, and the loss would pass unseen.
    const Block* front();
    // Removes the front block; WENT: it was handed to the link (and counts as sent).
    void pop(bool went);
    // Everything queued is left out.
    void clear();
    bool empty() const { return blocks_.empty(); }
    size_t bytes() const { return bytes_; }

    // The account of the open stream, which is closed then; nullopt when none is open.
    std::optional<StreamReport> closeStream(const std::string& end);

private:
    size_t capacity_;
    std::deque<Block> blocks_;
    size_t bytes_ = 0;
    bool open_ = false;
    StreamReport report_;
    uint64_t offered_ = 0;  // bytes of the stream so far
    uint64_t sentEnd_ = 0;  // stream offset just past the last block sent
};

}  // namespace zv::emu
