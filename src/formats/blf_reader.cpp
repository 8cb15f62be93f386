// BLF reader. The file header ("LOGG", its size, the start date at byte 40), then objects,
// each "LOBJ", header size u16, header version u16, object size u32, type u32, followed by n % 4
// bytes of padding. Log containers (type 10) hold further objects, zlib-compressed (method 2)
// or not (method 0); their contents form one stream, in which an object may begin in one
// container and end in the next. Objects read:
//   1 CAN message, 86 CAN message 2: channel u16, flags u8 (0x80 remote), DLC u8, ID u32 (bit
//     31: 29 bits), eight data bytes
//   100 CAN FD message, 101 CAN FD message 64: a classic frame when the FD bit is clear, else
//     counted as a CAN FD frame
//   2 CAN error, 73 CAN error ext: error frames
//   11 LIN message: channel u16, ID u8, DLC u8, eight data bytes, ..., checksum at 16
// Every other type is passed over by its size. A damaged object is reported and the reader
// looks for the next "LOBJ" signature.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/bytes.h"
#include "formats/log_reader.h"

namespace zv {
namespace {

constexpr uint32_t kSignatureFile = fourCC("LOGG");
constexpr uint32_t kSignatureObject = fourCC("LOBJ");
constexpr size_t kBaseHeader = 16;
constexpr size_t kContainerHead = 32;        // base header and the container's own fields
constexpr size_t kMaxContainer = 16u << 20;  // the most one container may hold, packed or not
constexpr size_t kParsePrefix = 128;         // the bytes of an object that any parse looks at

constexpr uint32_t kCanMessage = 1;
constexpr uint32_t kCanError = 2;
constexpr uint32_t kLogContainer = 10;
constexpr uint32_t kLinMessage = 11;
constexpr uint32_t kCanErrorExt = 73;
constexpr uint32_t kCanMessage2 = 86;
constexpr uint32_t kCanFdMessage = 100;
constexpr uint32_t kCanFdMessage64 = 101;

class BlfReader final : public LogReader {
public:
    BlfReader(LogInput& input, LogProblemSink problems) : input_(input), problems_(std::move(problems)) {}

    bool next(LogItem& item) override {
        if (!started_ && !start()) return false;
        for (;;) {
            if (streamObject(item)) {
                ++counts_.items;
                return true;
            }
            if (!fileObject(item)) {
                if (stream_.size() - streamAt_ > 3 || streamSkip_ > 3) {
                    malformed(containerAt_, streamPlace(streamAt_) + "the last object is cut short");
                    stream_.clear();
                    streamAt_ = 0;
                    streamSkip_ = 0;
                }
                return false;
            }
            if (produced_) {
                produced_ = false;
                ++counts_.items;
                return true;
            }
        }
    }

    std::optional<CivilTime> startDate() const override { return date_; }
    bool recognized() const override { return recognized_; }

private:
    void malformed(uint64_t offset, const std::string& what) {
        ++counts_.malformed;
        if (problems_) problems_({0, offset, what});
    }

    // File bytes, through a read buffer.
    bool readBytes(uint8_t* out, size_t n) {
        while (n > 0) {
            if (bufAt_ == bufEnd_) {
                buf_.resize(65536);
                bufAt_ = 0;
                bufEnd_ = input_.read(buf_.data(), buf_.size());
                if (bufEnd_ == 0) return false;
            }
            const size_t k = std::min(n, bufEnd_ - bufAt_);
            if (out != nullptr) {
                std::memcpy(out, buf_.data() + bufAt_, k);
                out += k;
            }
            bufAt_ += k;
            offset_ += k;
            n -= k;
        }
        return true;
    }
    bool skipBytes(uint64_t n) {
        while (n > 0) {
            const size_t k = static_cast<size_t>(std::min<uint64_t>(n, 1u << 30));
            if (!readBytes(nullptr, k)) return false;
            n -= k;
        }
        return true;
    }

    bool start() {
        started_ = true;
        uint8_t head[144] = {};
        if (!readBytes(head, 8) || getU32(head, 0) != kSignatureFile) {
            malformed(0, "not a BLF file (no LOGG signature)");
            return false;
        }
        recognized_ = true;
        const uint32_t size = getU32(head, 4);
        const size_t rest = std::min<size_t>(size, sizeof head);
        if (size < 8 || !readBytes(head + 8, rest > 8 ? rest - 8 : 0) || (size > sizeof head && !skipBytes(size - sizeof head))) {
            malformed(0, "the file header is cut short");
            return false;
        }
        if (size >= 56) {
            CivilTime t;
            t.year = getU16(head, 40);
            t.month = getU16(head, 42);
            t.day = getU16(head, 46);
            t.hour = getU16(head, 48);
            t.minute = getU16(head, 50);
            t.second = getU16(head, 52);
            t.millisecond = getU16(head, 54);
            if (t.year >= 1970 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour < 24 &&
                t.minute < 60 && t.second < 60 && t.millisecond < 1000)
                date_ = t;
        }
        return true;
    }

    // The next object of the file itself: a container is unpacked into the stream, any other
    // object is read at once. False at the end of the file.
    bool fileObject(LogItem& item) {
        uint8_t head[kBaseHeader];
        if (!readBytes(head, 4)) return false;
        uint64_t at = offset_ - 4;
        if (getU32(head, 0) != kSignatureObject) {
            // Padding that a writer left out or added, or damage: look for the next object.
            uint64_t skipped = 0;
            while (getU32(head, 0) != kSignatureObject) {
                std::memmove(head, head + 1, 3);
                if (!readBytes(head + 3, 1)) return false;
                ++skipped;
            }
            if (skipped > 3) malformed(at, "no object here; " + std::to_string(skipped) + " bytes passed over");
            at = offset_ - 4;
        }
        if (!readBytes(head + 4, kBaseHeader - 4)) {
            malformed(at, "the file ends inside an object header");
            return false;
        }
        const uint32_t size = getU32(head, 8), type = getU32(head, 12);
        if (size < kBaseHeader) {
            malformed(at, "object size " + std::to_string(size) + " is smaller than its header");
            return true;
        }
        const uint64_t body = size - kBaseHeader;
        if (type == kLogContainer) return container(at, body);
        // An object outside a container.
        std::vector<uint8_t> prefix(kBaseHeader + static_cast<size_t>(std::min<uint64_t>(body, kParsePrefix)));
        std::memcpy(prefix.data(), head, kBaseHeader);
        if (!readBytes(prefix.data() + kBaseHeader, prefix.size() - kBaseHeader) ||
            !skipBytes(body - (prefix.size() - kBaseHeader))) {
            malformed(at, "the file ends inside an object");
            return false;
        }
        skipBytes(size % 4);  // the last object's padding may be missing
        produced_ = parseObject(prefix.data(), prefix.size(), at, "", item);
        return true;
    }

    // False when the file ends inside the container.
    bool container(uint64_t at, uint64_t body) {
        if (body < kContainerHead - kBaseHeader || body > kMaxContainer) {
            malformed(at, "a log container of " + std::to_string(body + kBaseHeader) + " bytes");
            if (!skipBytes(body + (body + kBaseHeader) % 4)) malformed(at, "the file ends inside a container");
            return true;
        }
        packed_.resize(static_cast<size_t>(body));
        if (!readBytes(packed_.data(), packed_.size())) {
            malformed(at, "the file ends inside a container");
            return false;
        }
        skipBytes((body + kBaseHeader) % 4);
        const uint16_t method = getU16(packed_.data(), 0);
        const uint32_t unpacked = getU32(packed_.data(), 8);
        const uint8_t* data = packed_.data() + (kContainerHead - kBaseHeader);
        const size_t n = packed_.size() - (kContainerHead - kBaseHeader);
        containerAt_ = at;
        if (method == 0) {
            append(data, n);
        } else if (method == 2) {
            if (unpacked > kMaxContainer) {
                malformed(at, "a container that unpacks to " + std::to_string(unpacked) + " bytes");
                return true;
            }
            // Unpacked a piece at a time: what is held follows what the data really unpacks
            // to, not the size the container states.
            z_stream z{};
            if (inflateInit(&z) != Z_OK) {
                malformed(at, "zlib cannot start");
                return true;
            }
            z.next_in = const_cast<Bytef*>(data);
            z.avail_in = static_cast<uInt>(n);
            uint8_t piece[16384];
            size_t got = 0;
            int rc = Z_OK;
            while (rc == Z_OK && got < unpacked) {
                z.next_out = piece;
                z.avail_out = static_cast<uInt>(std::min<size_t>(sizeof piece, unpacked - got));
                rc = inflate(&z, Z_NO_FLUSH);
                const size_t k = static_cast<size_t>(z.next_out - piece);
                append(piece, k);
                got += k;
            }
            if (rc == Z_OK) {
                // All the stated bytes are out: the data must end here.
                z.next_out = piece;
                z.avail_out = 1;
                rc = inflate(&z, Z_FINISH);
                if (z.avail_out == 0) rc = Z_DATA_ERROR;
            }
            inflateEnd(&z);
            if (rc != Z_STREAM_END || got != unpacked) {
                malformed(at, "the container's zlib data is damaged or not of its stated size");
                // What did unpack is kept: the objects in it may still be whole.
            }
        } else {
            malformed(at, "a container packed with the unknown method " + std::to_string(method));
        }
        return true;
    }

    void append(const uint8_t* data, size_t n) {
        if (streamAt_ > 0) {
            stream_.erase(stream_.begin(), stream_.begin() + static_cast<std::ptrdiff_t>(streamAt_));
            streamBase_ += streamAt_;
            streamAt_ = 0;
        }
        // The rest of an object passed over goes first.
        const size_t skip = static_cast<size_t>(std::min<uint64_t>(streamSkip_, n));
        streamSkip_ -= skip;
        streamBase_ += skip;
        stream_.insert(stream_.end(), data + skip, data + n);
    }

    std::string streamPlace(size_t at) const {
        return "object at byte " + std::to_string(streamBase_ + at) + " of the containers' contents: ";
    }

    // The next object of the container stream that carries an item; false when the stream
    // holds no whole object any more.
    bool streamObject(LogItem& item) {
        for (;;) {
            const size_t avail = stream_.size() - streamAt_;
            if (avail < kBaseHeader) return false;
            const uint8_t* p = stream_.data() + streamAt_;
            if (getU32(p, 0) != kSignatureObject) {
                size_t k = 1;
                while (k + 4 <= avail && getU32(p, k) != kSignatureObject) ++k;
                if (k > 3) malformed(containerAt_, streamPlace(streamAt_) + "no object here; " + std::to_string(k) + " bytes passed over");
                streamAt_ += k;
                continue;
            }
            const uint32_t size = getU32(p, 8);
            if (size < kBaseHeader) {
                malformed(containerAt_, streamPlace(streamAt_) + "object size " + std::to_string(size) + " is smaller than its header");
                streamAt_ += 4;
                continue;
            }
            const size_t need = static_cast<size_t>(std::min<uint64_t>(size, kBaseHeader + kParsePrefix));
            if (avail < need) return false;
            const size_t at = streamAt_;
            const bool got = parseObject(p, need, containerAt_, streamPlace(at), item);
            uint64_t end = uint64_t{size} + size % 4;
            if (size % 4 != 0 && avail >= uint64_t{size} + 4 && getU32(p, size) == kSignatureObject) end = size;  // no padding
            if (end <= avail) {
                streamAt_ += static_cast<size_t>(end);
            } else {
                streamSkip_ = end - avail;
                streamAt_ = stream_.size();
            }
            if (got) return true;
        }
    }

    // Reads an object from its first n bytes (n is the whole object or kParsePrefix of its body).
    bool parseObject(const uint8_t* p, size_t n, uint64_t offset, const std::string& place, LogItem& item) {
        const uint16_t headerSize = getU16(p, 4), version = getU16(p, 6);
        const uint32_t size = getU32(p, 8), type = getU32(p, 12);
        if (type == kLogContainer) {
            malformed(offset, place + "a log container inside a container");
            return false;
        }
        const bool known = type == kCanMessage || type == kCanMessage2 || type == kCanError || type == kCanErrorExt ||
                           type == kCanFdMessage || type == kCanFdMessage64 || type == kLinMessage;
        if (!known) {
            ++counts_.skipped;
            return false;
        }
        if ((version != 1 && version != 2) || headerSize < 32 || headerSize > size || headerSize > n) {
            malformed(offset, place + "object header version " + std::to_string(version) + " of " +
                                  std::to_string(headerSize) + " bytes");
            return false;
        }
        const uint32_t flags = getU32(p, 16);
        const uint64_t stamp = getU64(p, 24);
        item = LogItem{};
        item.timeNs = flags == 1 ? stamp * 10000 : stamp;
        const uint8_t* b = p + headerSize;
        const size_t bodySize = n - headerSize;
        auto tooShort = [&](size_t want) {
            if (bodySize >= want && size - headerSize >= want) return false;
            malformed(offset, place + "object type " + std::to_string(type) + " is too short");
            return true;
        };
        LogEvent& e = item.event;
        switch (type) {
            case kCanMessage:
            case kCanMessage2: {
                if (tooShort(16)) return false;
                item.channel = getU16(b, 0);
                return canFrame(b[2] & 0x80, b[3], getU32(b, 4), b + 8, offset, place, item);
            }
            case kCanError:
            case kCanErrorExt:
                if (tooShort(2)) return false;
                item.kind = LogItemKind::ErrorFrame;
                item.channel = getU16(b, 0);
                return channelOk(offset, place, item);
            case kCanFdMessage: {
                if (tooShort(28)) return false;
                item.channel = getU16(b, 0);
                if ((b[13] & 0x01) != 0) {
                    item.kind = LogItemKind::CanFd;
                    return channelOk(offset, place, item);
                }
                return canFrame(b[2] & 0x80, b[3], getU32(b, 4), b + 20, offset, place, item);
            }
            case kCanFdMessage64: {
                if (tooShort(48)) return false;
                item.channel = b[0];
                const uint32_t fdFlags = getU32(b, 12);
                if ((fdFlags & 0x1000) != 0) {
                    item.kind = LogItemKind::CanFd;
                    return channelOk(offset, place, item);
                }
                return canFrame(fdFlags & 0x0010, b[1], getU32(b, 4), b + 40, offset, place, item);
            }
            case kLinMessage: {
                if (tooShort(20)) return false;
                item.channel = getU16(b, 0);
                if (b[2] > 0x3F || b[3] > 8) {
                    malformed(offset, place + "a LIN message with ID " + std::to_string(b[2]) + " and " +
                                          std::to_string(b[3]) + " bytes");
                    return false;
                }
                e.kind = LogEventKind::LinFrame;
                e.id = b[2];
                e.pid = linProtectedId(b[2]);
                e.dataCount = b[3];
                std::memcpy(e.data.data(), b + 4, 8);
                for (size_t i = e.dataCount; i < 8; ++i) e.data[i] = 0;
                e.hasChecksum = e.dataCount > 0;
                e.checksum = e.hasChecksum ? b[16] : 0;
                return channelOk(offset, place, item);
            }
            default:
                return false;
        }
    }

    bool channelOk(uint64_t offset, const std::string& place, const LogItem& item) {
        if (item.channel != 0) return true;
        malformed(offset, place + "a frame on channel 0");
        return false;
    }

    bool canFrame(uint32_t remote, uint8_t dlc, uint32_t id, const uint8_t* data, uint64_t offset,
                  const std::string& place, LogItem& item) {
        LogEvent& e = item.event;
        e.kind = LogEventKind::CanFrame;
        e.extended = (id & 0x80000000u) != 0;
        e.id = id & 0x7FFFFFFFu;
        e.remote = remote != 0;
        if (dlc > 15 || e.id > (e.extended ? 0x1FFFFFFFu : 0x7FFu)) {
            malformed(offset, place + "a CAN message with DLC " + std::to_string(dlc) + " and ID " + std::to_string(e.id));
            return false;
        }
        e.dlc = dlc;
        if (!e.remote) {
            e.dataCount = dlc > 8 ? 8 : dlc;
            std::memcpy(e.data.data(), data, e.dataCount);
        }
        return channelOk(offset, place, item);
    }

    static uint64_t getU64(const uint8_t* p, size_t off) {
        return uint64_t{getU32(p, off)} | uint64_t{getU32(p, off + 4)} << 32;
    }

    LogInput& input_;
    LogProblemSink problems_;
    std::optional<CivilTime> date_;
    bool started_ = false;
    bool recognized_ = false;
    bool produced_ = false;

    std::vector<uint8_t> buf_;
    size_t bufAt_ = 0;
    size_t bufEnd_ = 0;
    uint64_t offset_ = 0;  // file bytes consumed

    std::vector<uint8_t> packed_;
    std::vector<uint8_t> stream_;  // unpacked container contents not yet read
    size_t streamAt_ = 0;
    uint64_t streamBase_ = 0;      // position of stream_[0] in the whole unpacked stream
    uint64_t streamSkip_ = 0;      // bytes of an object passed over that are still to come
    uint64_t containerAt_ = 0;     // file offset of the last container
};

}  // namespace

std::unique_ptr<LogReader> makeBlfReader(LogInput& input, LogProblemSink problems) {
    return std::make_unique<BlfReader>(input, std::move(problems));
}

}  // namespace zv
