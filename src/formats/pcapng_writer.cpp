// pcapng: a section header, one interface per channel and protocol (described when its first
// frame comes), and one enhanced packet per frame, stamped in microseconds since 1970.
// CAN frames use the SocketCAN link type (227): a 16-byte frame, identifier and flags in
// network byte order. LIN frames use the LIN link type (212): an 8-byte header (format
// revision 1, length and checksum type, PID, checksum, error bits) and the response bytes.
// Trigger marks, error notes and a marker before a frame go into the packet's comment.
#include <array>
#include <string>
#include <vector>

#include "formats/format_writer.h"

namespace zv {
namespace {

constexpr uint32_t kSectionHeader = 0x0A0D0D0A;
constexpr uint32_t kInterfaceDescription = 1;
constexpr uint32_t kEnhancedPacket = 6;
constexpr uint16_t kLinkCan = 227;
constexpr uint16_t kLinkLin = 212;
constexpr uint16_t kOptEnd = 0, kOptComment = 1, kOptName = 2, kOptUserApplication = 4;

// LIN header: error bits.
constexpr uint8_t kLinNoSlaveResponse = 0x01, kLinFramingError = 0x02, kLinParityError = 0x04,
                  kLinChecksumError = 0x08;

// Little-endian block assembly in a reused buffer.
class Block {
public:
    void start(uint32_t type) {
        bytes_.clear();
        u32(type);
        u32(0);  // total length, set by finish()
    }
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void bytes(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }
    void pad() {
        while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    }
    void option(uint16_t code, const std::string& value) {
        u16(code);
        u16(static_cast<uint16_t>(value.size()));
        bytes(value.data(), value.size());
        pad();
    }
    void endOptions() {
        u16(kOptEnd);
        u16(0);
    }
    void finish(ByteOut& out) {
        const auto total = static_cast<uint32_t>(bytes_.size() + 4);
        u32(total);
        putU32(bytes_.data(), 4, total);
        out.put(bytes_.data(), bytes_.size());
    }

private:
    std::vector<uint8_t> bytes_;
};

class PcapngWriter final : public FormatWriter {
public:
    using FormatWriter::FormatWriter;

    void begin(const ExportSettings& settings) override {
        startMicros_ = settings.start.epochMicros;
        block_.start(kSectionHeader);
        block_.u32(0x1A2B3C4D);  // byte-order magic
        block_.u16(1);
        block_.u16(0);
        block_.u32(0xFFFFFFFF);  // section length not given
        block_.u32(0xFFFFFFFF);
        std::string comment = settings.application + " export";
        if (!settings.sourceName.empty()) comment += " of " + settings.sourceName;
        block_.option(kOptComment, comment);
        block_.option(kOptUserApplication, settings.application);
        block_.endOptions();
        block_.finish(out_);
    }

    void record(const LogEvent& e, uint64_t ticks) override {
        switch (e.kind) {
            case LogEventKind::CanFrame:
                canPacket(e, ticks);
                return;
            case LogEventKind::LinFrame:
                linPacket(e, ticks);
                return;
            case LogEventKind::LinIncomplete:
                ++counts_.linLeftOut;
                if (e.trigger) ++counts_.triggersLost;
                return;
            case LogEventKind::Overrun:
                note(pendingNote_, "overrun marker before this frame");
                ++pendingMarkers_;
                return;
            case LogEventKind::LostData:
                note(pendingNote_, "records were lost before this frame");
                ++pendingMarkers_;
                return;
            case LogEventKind::Unknown:
                ++counts_.unknownLeftOut;
                return;
        }
    }

    void end(uint64_t) override {
        // Markers with no frame after them have nowhere to go.
        counts_.markersLeftOut += pendingMarkers_;
    }

private:
    static void note(std::string& notes, const std::string& text) {
        if (!notes.empty()) notes += "; ";
        notes += text;
    }

    // The interface of a channel and protocol, described on first use.
    uint32_t interfaceOf(uint8_t channel, bool lin) {
        const size_t key = static_cast<size_t>((channel - 1) & 1) + (lin ? 2 : 0);
        if (interfaces_[key] < 0) {
            interfaces_[key] = nextInterface_++;
            block_.start(kInterfaceDescription);
            block_.u16(lin ? kLinkLin : kLinkCan);
            block_.u16(0);
            block_.u32(0);  // no snapshot limit
            block_.option(kOptName, std::string("CH") + static_cast<char>('0' + channel) + (lin ? " LIN" : " CAN"));
            block_.endOptions();
            block_.finish(out_);
        }
        return static_cast<uint32_t>(interfaces_[key]);
    }

    void packet(uint32_t interface, uint64_t ticks, const uint8_t* data, size_t n, const std::string& comment) {
        const int64_t at = startMicros_ + static_cast<int64_t>(ticks * 200);
        const uint64_t micros = at < 0 ? 0 : static_cast<uint64_t>(at);
        if (comment.empty()) {
            // The common case, straight into the output: the packet block without options.
            const size_t padded = (n + 3) / 4 * 4;
            const auto total = static_cast<uint32_t>(32 + padded);
            auto* p = reinterpret_cast<uint8_t*>(out_.room(total));
            putU32(p, 0, kEnhancedPacket);
            putU32(p, 4, total);
            putU32(p, 8, interface);
            putU32(p, 12, static_cast<uint32_t>(micros >> 32));
            putU32(p, 16, static_cast<uint32_t>(micros));
            putU32(p, 20, static_cast<uint32_t>(n));
            putU32(p, 24, static_cast<uint32_t>(n));
            std::memcpy(p + 28, data, n);
            std::memset(p + 28 + n, 0, padded - n);
            putU32(p, 28 + padded, total);
            out_.advance(reinterpret_cast<char*>(p + total));
            ++counts_.frames;
            return;
        }
        block_.start(kEnhancedPacket);
        block_.u32(interface);
        block_.u32(static_cast<uint32_t>(micros >> 32));
        block_.u32(static_cast<uint32_t>(micros));
        block_.u32(static_cast<uint32_t>(n));
        block_.u32(static_cast<uint32_t>(n));
        block_.bytes(data, n);
        block_.pad();
        block_.option(kOptComment, comment);
        block_.endOptions();
        block_.finish(out_);
        ++counts_.frames;
    }

    std::string takeComment(const LogEvent& e, const std::string& errors) {
        std::string comment;
        if (pendingNote_.empty() && !e.trigger && errors.empty()) return comment;
        comment.swap(pendingNote_);
        counts_.comments += pendingMarkers_;
        pendingMarkers_ = 0;
        if (e.trigger) note(comment, "trigger mark");
        if (!errors.empty()) note(comment, errors);
        return comment;
    }

    void canPacket(const LogEvent& e, uint64_t ticks) {
        std::array<uint8_t, 16> frame{};
        const uint32_t id = e.id | (e.extended ? 0x80000000u : 0) | (e.remote ? 0x40000000u : 0);
        frame[0] = static_cast<uint8_t>(id >> 24);  // network byte order
        frame[1] = static_cast<uint8_t>(id >> 16);
        frame[2] = static_cast<uint8_t>(id >> 8);
        frame[3] = static_cast<uint8_t>(id);
        // Remote frames carry the requested length; DLC 9-15 of a classic frame is kept
        // beside its eight bytes.
        frame[4] = e.remote ? static_cast<uint8_t>(e.dlc > 8 ? 8 : e.dlc) : e.dataCount;
        if (!e.remote && e.dataCount == 8 && e.dlc > 8) frame[7] = e.dlc;
        for (int i = 0; i < e.dataCount; ++i) frame[8 + static_cast<size_t>(i)] = e.data[static_cast<size_t>(i)];
        packet(interfaceOf(e.channel, false), ticks, frame.data(), frame.size(), takeComment(e, {}));
    }

    void linPacket(const LogEvent& e, uint64_t ticks) {
        std::array<uint8_t, 16> frame{};
        uint8_t checksumType = 0;  // unknown
        if (e.hasChecksum) {
            const bool classicOnly = e.id >= 0x3C;  // diagnostic and reserved frames
            if (!classicOnly && e.checksum == linEnhancedChecksum(e.pid, e.data.data(), e.dataCount))
                checksumType = 2;
            else if (e.checksum == linClassicChecksum(e.data.data(), e.dataCount))
                checksumType = 1;
        }
        uint8_t errors = 0;
        if (e.linErrors & lin_error::kNoResponse) errors |= kLinNoSlaveResponse;
        if (e.linErrors & (lin_error::kSyncField | lin_error::kDataByte)) errors |= kLinFramingError;
        if (e.linErrors & lin_error::kIdentifier) errors |= kLinParityError;
        if (e.linErrors & lin_error::kChecksum) errors |= kLinChecksumError;
        frame[0] = 1;  // message format revision
        frame[4] = static_cast<uint8_t>(e.dataCount << 4 | checksumType);
        frame[5] = e.pid;
        frame[6] = e.checksum;
        frame[7] = errors;
        for (int i = 0; i < e.dataCount; ++i) frame[8 + static_cast<size_t>(i)] = e.data[static_cast<size_t>(i)];
        packet(interfaceOf(e.channel, true), ticks, frame.data(), 8u + e.dataCount, takeComment(e, linErrorText(e)));
    }

    Block block_;
    int64_t startMicros_ = 0;
    std::array<int, 4> interfaces_{-1, -1, -1, -1};
    int nextInterface_ = 0;
    std::string pendingNote_;
    uint64_t pendingMarkers_ = 0;
};

}  // namespace

std::unique_ptr<FormatWriter> makePcapngWriter(ByteOut& out, ExportCounts& counts) {
    return std::make_unique<PcapngWriter>(out, counts);
}

}  // namespace zv
