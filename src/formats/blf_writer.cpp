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
// end, because the file header that comes first holds their total size.
#include <vector>

#include <zlib.h>

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

class BlfWriter final : public FormatWriter {
public:
    BlfWriter(ByteOut& out, ExportCounts& counts) : FormatWriter(out, counts) {
        container_.reserve(kContainerLimit + 1024);
        ok_ = deflateInit(&zlib_, Z_BEST_SPEED) == Z_OK;
    }
    ~BlfWriter() override { deflateEnd(&zlib_); }

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
        flushContainer();
        std::array<uint8_t, kFileHeaderSize> head{};
        uint8_t* h = head.data();
        std::memcpy(h, "LOGG", 4);
        putU32(h, 4, kFileHeaderSize);
        h[8] = 0;  // application: none of the registered ones
        h[9] = 0;
        h[10] = 1;
        h[12] = 4;  // version of the log layout written
        h[13] = 1;
        putU64(h, 16, kFileHeaderSize + compressed_.size());
        putU64(h, 24, uncompressedSize_);
        putU32(h, 32, objects_);
        putSystemTime(h, 40, start_.local);
        putSystemTime(h, 56, logStartFromEpoch(start_.epochMicros + static_cast<int64_t>(spanTicks * 200)).local);
        out_.put(h, head.size());
        out_.put(compressed_.data(), compressed_.size());
    }

    // False when zlib could not start or compress: the output is unusable.
    bool ok() const override { return ok_; }

private:
    // Room for an object with a body of n bytes, its headers written; returns the body.
    uint8_t* object(uint32_t type, size_t bodySize, uint64_t ns) {
        const size_t size = kObjectHeaderSize + bodySize;
        const size_t padded = size + size % 4;
        if (container_.size() + padded > kContainerLimit) flushContainer();
        const size_t at = container_.size();
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

    void flushContainer() {
        if (container_.empty()) return;
        const size_t head = compressed_.size();
        const uLong bound = deflateBound(&zlib_, static_cast<uLong>(container_.size()));
        compressed_.resize(head + kContainerHeadSize + bound + 4);
        zlib_.next_in = container_.data();
        zlib_.avail_in = static_cast<uInt>(container_.size());
        zlib_.next_out = compressed_.data() + head + kContainerHeadSize;
        zlib_.avail_out = static_cast<uInt>(bound);
        if (!ok_ || deflate(&zlib_, Z_FINISH) != Z_STREAM_END) ok_ = false;
        const size_t packed = bound - zlib_.avail_out;
        deflateReset(&zlib_);
        const size_t size = kContainerHeadSize + packed;
        uint8_t* c = compressed_.data() + head;
        std::memcpy(c, "LOBJ", 4);
        putU16(c, 4, 16);
        putU16(c, 6, 1);
        putU32(c, 8, static_cast<uint32_t>(size));
        putU32(c, 12, kLogContainer);
        putU16(c, 16, kZlibDeflate);
        std::memset(c + 18, 0, 6);
        putU32(c, 24, static_cast<uint32_t>(container_.size()));
        putU32(c, 28, 0);
        compressed_.resize(head + size + size % 4);
        std::memset(compressed_.data() + head + size, 0, size % 4);
        uncompressedSize_ += kContainerHeadSize + container_.size();
        container_.clear();
    }

    LogStart start_;
    z_stream zlib_{};
    bool ok_ = false;
    std::vector<uint8_t> container_;
    std::vector<uint8_t> compressed_;
    uint64_t uncompressedSize_ = kFileHeaderSize;
    uint32_t objects_ = 0;
};

}  // namespace

std::unique_ptr<FormatWriter> makeBlfWriter(ByteOut& out, ExportCounts& counts) {
    return std::make_unique<BlfWriter>(out, counts);
}

}  // namespace zv
