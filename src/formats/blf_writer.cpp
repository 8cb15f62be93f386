// BLF: the binary log of the widespread commercial CAN tool chain. A 144-byte file header
// ("LOGG", sizes, object count, start and stop time), then log containers ("LOBJ" type 10)
// holding zlib-compressed objects. Each object has a 32-byte header (signature, sizes, type,
// time-stamp unit, time stamp) and its body; an object of n bytes is followed by n % 4 bytes
// of padding, as the format has it.
//   CAN message (type 1): channel u16, flags u8 (0x80 remote), DLC u8, identifier u32
//     (bit 31 set for extended identifiers), eight data bytes.
//   LIN message (type 11): channel u16, ID u8, DLC u8, eight data bytes, FSM id and state,
//     header and full time (unknown here: 0), checksum u16, direction u8 (0 receive), reserved.
//   Text (type 65): source u32 (0, a comment), reserved, text length u32, reserved, text.
// Time stamps are nanoseconds after the start. The containers are kept in memory until the
// end, because the file header that comes first holds their total size. They are compressed
// with fast_deflate (objects of one kind matched against the one before them), on as many
// threads as there are cores, up to four.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "formats/fast_deflate.h"
#include "formats/format_writer.h"

namespace zv {
namespace {

constexpr size_t kFileHeaderSize = 144;
constexpr size_t kObjectHeaderSize = 32;  // base header and header version 1
constexpr size_t kContainerHeadSize = 32;  // base header and the container's own fields
constexpr size_t kContainerLimit = 128 * 1024;  // uncompressed bytes per container

constexpr uint32_t kCanMessage = 1;
constexpr uint32_t kLogContainer = 10;
constexpr uint32_t kLinMessage = 11;
constexpr uint32_t kAppText = 65;
constexpr uint32_t kTimeNanoseconds = 2;
constexpr uint16_t kZlibDeflate = 2;

void putU64(uint8_t* p, size_t off, uint64_t v) {
    putU32(p, off, static_cast<uint32_t>(v));
    putU32(p, off + 4, static_cast<uint32_t>(v >> 32));
}

void putSystemTime(uint8_t* p, size_t off, const CivilTime& t) {
    const int fields[8] = {t.year, t.month, t.weekday, t.day, t.hour, t.minute, t.second, t.millisecond};
    for (size_t i = 0; i < 8; ++i) putU16(p, off + 2 * i, static_cast<uint16_t>(fields[i]));
}

// A container as a log container object: its header, the zlib stream, the padding.
std::vector<uint8_t> logContainer(const std::vector<uint8_t>& container, const std::vector<DeflateRegion>& regions) {
    std::vector<uint8_t> c(kContainerHeadSize);
    appendFastDeflate(container.data(), container.size(), regions, c);
    const size_t size = c.size();
    std::memcpy(c.data(), "LOBJ", 4);
    putU16(c.data(), 4, 16);
    putU16(c.data(), 6, 1);
    putU32(c.data(), 8, static_cast<uint32_t>(size));
    putU32(c.data(), 12, kLogContainer);
    putU16(c.data(), 16, kZlibDeflate);
    putU32(c.data(), 24, static_cast<uint32_t>(container.size()));
    c.resize(size + size % 4, 0);
    return c;
}

// Compresses full containers on threads of their own while the writer fills the next ones.
// Each container becomes one log container object; they are handed back in order.
class ContainerCompressor {
public:
    ContainerCompressor() {
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned workers = cores < 2 ? 1 : cores > 4 ? 4 : cores;
        for (unsigned i = 0; i < workers; ++i) workers_.emplace_back(&ContainerCompressor::run, this);
    }
    ~ContainerCompressor() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : workers_) t.join();
    }
    ContainerCompressor(const ContainerCompressor&) = delete;
    ContainerCompressor& operator=(const ContainerCompressor&) = delete;

    // Takes the container and its regions, leaving both empty. Waits while enough containers
    // are queued already, so that memory stays bounded.
    void submit(std::vector<uint8_t>& container, std::vector<DeflateRegion>& regions) {
        Job job;
        job.container.swap(container);
        job.regions.swap(regions);
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return queue_.size() < 2 * workers_.size(); });
        // A buffer that a worker is done with, so that no fresh memory is touched each time.
        if (!spare_.empty()) {
            container.swap(spare_.back());
            spare_.pop_back();
        }
        job.index = results_.size();
        results_.emplace_back();
        queue_.push_back(std::move(job));
        ++pending_;
        lock.unlock();
        changed_.notify_all();
    }

    // Waits for every container; the log container objects in order.
    const std::vector<std::vector<uint8_t>>& finish() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return pending_ == 0; });
        return results_;
    }

private:
    struct Job {
        size_t index = 0;
        std::vector<uint8_t> container;
        std::vector<DeflateRegion> regions;
    };

    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return !queue_.empty() || stop_; });
            if (queue_.empty()) return;
            Job job = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            changed_.notify_all();  // room in the queue
            std::vector<uint8_t> object = logContainer(job.container, job.regions);
            job.container.clear();
            lock.lock();
            results_[job.index].swap(object);
            spare_.push_back(std::move(job.container));
            --pending_;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::vector<std::vector<uint8_t>> spare_;
    std::vector<std::vector<uint8_t>> results_;  // a slot is written by one worker, read after finish()
    size_t pending_ = 0;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

class BlfWriter final : public FormatWriter {
public:
    BlfWriter(ByteOut& out, ExportCounts& counts) : FormatWriter(out, counts) {
        container_.reserve(kContainerLimit + 1024);
    }

    void begin(const ExportSettings& settings) override { start_ = settings.start; }

    void record(const LogEvent& e, uint64_t ticks) override {
        const uint64_t ns = ticks * 200000;
        if (e.trigger) text(ns, "trigger mark");
        switch (e.kind) {
            case LogEventKind::CanFrame: {
                uint8_t* b = object(kCanMessage, 16, ns);
                putU16(b, 0, e.channel);
                b[2] = e.remote ? 0x80 : 0;
                b[3] = e.dlc;
                putU32(b, 4, e.id | (e.extended ? 0x80000000u : 0));
                for (int i = 0; i < e.dataCount; ++i) b[8 + i] = e.data[static_cast<size_t>(i)];
                ++counts_.frames;
                return;
            }
            case LogEventKind::LinFrame:
                if (e.linErrors == 0) {
                    uint8_t* b = object(kLinMessage, 20, ns);
                    putU16(b, 0, e.channel);
                    b[2] = static_cast<uint8_t>(e.id);
                    b[3] = e.dataCount;
                    for (int i = 0; i < e.dataCount; ++i) b[4 + i] = e.data[static_cast<size_t>(i)];
                    putU16(b, 16, e.checksum);
                    ++counts_.frames;
                } else {
                    std::string s = "LIN " + std::to_string(e.channel) + " ID ";
                    s += "0123456789ABCDEF"[e.id >> 4];
                    s += "0123456789ABCDEF"[e.id & 15];
                    text(ns, s + ": " + linErrorText(e));
                }
                return;
            case LogEventKind::LinIncomplete: {
                std::string s = "LIN " + std::to_string(e.channel) + " incomplete frame: " + linIncompleteText(e);
                const std::string errors = linErrorText(e);
                text(ns, errors.empty() ? s : s + "; " + errors);
                return;
            }
            case LogEventKind::Overrun:
                text(ns, "overrun marker");
                return;
            case LogEventKind::LostData:
                text(ns, "lost-data marker: records are missing here");
                return;
            case LogEventKind::Unknown:
                ++counts_.unknownLeftOut;
                return;
        }
    }

    void end(uint64_t spanTicks) override {
        flushContainer(true);
        const std::vector<std::vector<uint8_t>>& containers = compressor_ ? compressor_->finish() : single_;
        size_t compressedSize = 0;
        for (const std::vector<uint8_t>& c : containers) compressedSize += c.size();
        std::array<uint8_t, kFileHeaderSize> head{};
        uint8_t* h = head.data();
        std::memcpy(h, "LOGG", 4);
        putU32(h, 4, kFileHeaderSize);
        h[8] = 0;  // application: none of the registered ones
        h[9] = 0;
        h[10] = 1;
        h[12] = 4;  // version of the log layout written
        h[13] = 1;
        putU64(h, 16, kFileHeaderSize + compressedSize);
        putU64(h, 24, uncompressedSize_);
        putU32(h, 32, objects_);
        putSystemTime(h, 40, start_.local);
        putSystemTime(h, 56, logStartFromEpoch(start_.epochMicros + static_cast<int64_t>(spanTicks * 200)).local);
        out_.put(h, head.size());
        for (const std::vector<uint8_t>& c : containers) out_.put(c.data(), c.size());
    }

private:
    // Room for an object with a body of n bytes, its headers written; returns the body.
    uint8_t* object(uint32_t type, size_t bodySize, uint64_t ns) {
        const size_t size = kObjectHeaderSize + bodySize;
        const size_t padded = size + size % 4;
        if (container_.size() + padded > kContainerLimit) flushContainer(false);
        const size_t at = container_.size();
        // Compressed against the last object of the same type and size, when there is one
        // (texts, of many sizes, against none).
        uint32_t distance = 0;
        for (Previous& p : previous_) {
            if (type == kAppText) break;
            if (p.type == type && p.size == size) {
                distance = static_cast<uint32_t>(at - p.start);
                p.start = at;
                break;
            }
            if (p.size == 0) {
                p = {type, size, at};
                break;
            }
        }
        regions_.push_back({static_cast<uint32_t>(at), distance});
        container_.resize(at + padded, 0);
        uint8_t* p = container_.data() + at;
        std::memcpy(p, "LOBJ", 4);
        putU16(p, 4, kObjectHeaderSize);
        putU16(p, 6, 1);
        putU32(p, 8, static_cast<uint32_t>(size));
        putU32(p, 12, type);
        putU32(p, 16, kTimeNanoseconds);
        putU64(p, 24, ns);
        ++objects_;
        return p + kObjectHeaderSize;
    }

    void text(uint64_t ns, const std::string& s) {
        uint8_t* b = object(kAppText, 16 + s.size(), ns);
        putU32(b, 8, static_cast<uint32_t>(s.size()));
        std::memcpy(b + 16, s.data(), s.size());
        ++counts_.comments;
    }

    // Hands the container over for compression. A log that fits in one container is compressed
    // here; threads start with the second container.
    void flushContainer(bool last) {
        if (container_.empty()) return;
        uncompressedSize_ += kContainerHeadSize + container_.size();
        if (last && !compressor_) {
            single_.push_back(logContainer(container_, regions_));
            container_.clear();
            regions_.clear();
        } else {
            if (!compressor_) compressor_ = std::make_unique<ContainerCompressor>();
            compressor_->submit(container_, regions_);
        }
        previous_ = {};
    }

    // The last object of each type and size in the container.
    struct Previous {
        uint32_t type = 0;
        size_t size = 0;
        size_t start = 0;
    };

    LogStart start_;
    std::vector<uint8_t> container_;
    std::vector<DeflateRegion> regions_;
    std::array<Previous, 4> previous_{};
    std::unique_ptr<ContainerCompressor> compressor_;
    std::vector<std::vector<uint8_t>> single_;
    uint64_t uncompressedSize_ = kFileHeaderSize;
    uint32_t objects_ = 0;
};

}  // namespace

std::unique_ptr<FormatWriter> makeBlfWriter(ByteOut& out, ExportCounts& counts) {
    return std::make_unique<BlfWriter>(out, counts);
}

}  // namespace zv
