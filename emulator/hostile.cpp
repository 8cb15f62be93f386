#include "emulator/hostile.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "base/bytes.h"
#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/protocol/wire.h"

namespace zv::emu {
namespace {

using remote::MsgType;
using Clock = std::chrono::steady_clock;
using Frame = std::vector<uint8_t>;

constexpr struct {
    HostileConfig::Kind kind;
    const char* name;
} kKinds[] = {
    {HostileConfig::Kind::Malformed, "malformed"},     {HostileConfig::Kind::WrongLength, "wrong-length"},
    {HostileConfig::Kind::Unsolicited, "unsolicited"}, {HostileConfig::Kind::Twice, "twice"},
    {HostileConfig::Kind::Flood, "flood"},             {HostileConfig::Kind::Silence, "silence"},
    {HostileConfig::Kind::Random, "random"},
};

constexpr struct {
    LinkMoment moment;
    const char* name;
} kMoments[] = {
    {LinkMoment::Connect, "connect"}, {LinkMoment::Idle, "idle"},   {LinkMoment::Monitor, "monitor"},
    {LinkMoment::Upload, "upload"},   {LinkMoment::Setup, "setup"},
};

// A held-back second completion goes out at the latest this long after the first.
constexpr auto kHoldLimit = std::chrono::milliseconds(1500);
// The flood sends this one block over and over: its check is the same each time, so the flood
// costs the analyzer a copy per block while the PC checks every byte.
constexpr size_t kFloodRecords = remote::kMaxMonitorBlock / remote::kMonitorRecordSize;

// The head check over bytes 0..11 of a frame whose head was changed.
void resealHead(Frame& f) { putU16(f.data(), 12, remote::crc16(f.data(), 12)); }

// The length field and both checks after the payload was changed: a frame that is whole again.
void resealAll(Frame& f) {
    const size_t payload = f.size() - remote::kFrameHeadSize - remote::kFrameTailSize;
    putU32(f.data(), 8, static_cast<uint32_t>(payload));
    resealHead(f);
    putU32(f.data(), remote::kFrameHeadSize + payload, remote::crc32(f.data() + remote::kFrameHeadSize, payload));
}

// The fixed size of a message type the analyzer sends, or 0 for one without.
size_t fixedSize(MsgType type) {
    switch (type) {
        case MsgType::HelloAck: return 48;
        case MsgType::RequestDone: return 28;
        case MsgType::Status: return 8;
        case MsgType::Screen: return remote::kScreenBytes;
        case MsgType::Pong: return 4;
        default: return 0;
    }
}

}  // namespace

bool parseHostileKind(std::string_view text, HostileConfig::Kind& out) {
    for (const auto& k : kKinds) {
        if (text == k.name) return out = k.kind, true;
    }
    if (text == "none") return out = HostileConfig::Kind::None, true;
    return false;
}

bool parseHostileMoment(std::string_view text, LinkMoment& out) {
    for (const auto& m : kMoments) {
        if (text == m.name) return out = m.moment, true;
    }
    return false;
}

const char* hostileKindName(HostileConfig::Kind kind) {
    for (const auto& k : kKinds) {
        if (k.kind == kind) return k.name;
    }
    return "none";
}

const char* linkMomentName(LinkMoment moment) {
    for (const auto& m : kMoments) {
        if (m.moment == moment) return m.name;
    }
    return "?";
}

uint64_t hostileAfter(const HostileConfig& config) {
    if (config.after) return *config.after;
    switch (config.at) {
        case LinkMoment::Idle: return 500;
        case LinkMoment::Monitor: return 4;
        default: return 0;
    }
}

HostileLink::HostileLink(const HostileConfig& config, remote::FrameLink& link, Log log)
    : config_(config), link_(link), log_(std::move(log)), rng_(config.seed) {}

HostileLink::~HostileLink() { stop(); }

void HostileLink::stop() {
    stopFlood_ = true;
    std::thread flood;
    {
        std::lock_guard lock(mutex_);
        flood.swap(flood_);
    }
    if (flood.joinable() && flood.get_id() != std::this_thread::get_id()) flood.join();
    else if (flood.joinable()) flood.detach();
}

uint64_t HostileLink::random(uint64_t below) { return below ? rng_() % below : 0; }

void HostileLink::log(const std::string& what) {
    if (log_) {
        log_(std::string("hostile ") + hostileKindName(config_.kind) + " at " + linkMomentName(config_.at) + ": " + what);
    }
}

bool HostileLink::momentReachedLocked(LinkMoment moment) const {
    if (fired_ || moment != config_.at) return false;
    const uint64_t after = hostileAfter(config_);
    switch (moment) {
        case LinkMoment::Connect: return true;
        case LinkMoment::Idle:
            return connected_ && Clock::now() - connectedAt_ >= std::chrono::milliseconds(after);
        case LinkMoment::Monitor: return monitorBlocks_ >= after;
        case LinkMoment::Upload: return uploadBytes_ >= after;
        case LinkMoment::Setup: return setupBytes_ >= after;
    }
    return false;
}

void HostileLink::countLocked(MsgType type, const std::vector<uint8_t>& payload, LinkMoment moment, bool ahead) {
    if (ahead) {
        // What a send took came in ahead of its completion: it counts before the completion's act.
        if (moment == LinkMoment::Setup && type == MsgType::RequestDone && payload.size() == 28 &&
            getU32(payload.data(), 4) == remote::kKindSend)
            setupBytes_ += getU32(payload.data(), 24);
        return;
    }
    // What a receive's chunk carries goes out with it: it counts after the chunk's act.
    const uint64_t data =
        type == MsgType::BlockData && payload.size() > remote::kDataHead ? payload.size() - remote::kDataHead : 0;
    switch (moment) {
        case LinkMoment::Connect:
            connected_ = true;
            connectedAt_ = Clock::now();
            break;
        case LinkMoment::Monitor: ++monitorBlocks_; break;
        case LinkMoment::Upload: uploadBytes_ += data; break;
        case LinkMoment::Setup: setupBytes_ += data; break;
        case LinkMoment::Idle: break;
    }
}

Result HostileLink::send(MsgType type, const std::vector<uint8_t>& payload, std::optional<LinkMoment> moment) {
    if (config_.kind == HostileConfig::Kind::None) return link_.send(type, payload);
    std::vector<Write> writes;
    bool flood = false;
    {
        std::lock_guard lock(mutex_);
        if (silent_) return kOk;
        if (type == MsgType::RequestDone) lastCompletion_ = payload;
        if (type == MsgType::MonitorData) lastMonitor_ = payload;
        if (moment) countLocked(type, payload, *moment, true);
        if (moment && momentReachedLocked(*moment)) {
            fired_ = true;
            writes = actLocked(type, payload, *moment);
        } else if (randomLeft_ > 0) {
            --randomLeft_;
            writes = randomizeLocked(type, payload);
        } else if (duplicateNext_ && (type == MsgType::RequestDone || type == MsgType::HelloAck)) {
            duplicateNext_ = false;
            writes = duplicateLocked(type, payload);
        } else {
            writes.push_back({type, payload, nullptr});
        }
        if (moment) countLocked(type, payload, *moment, false);
        flood = std::exchange(floodPending_, false);
    }
    write(writes);
    if (flood) {
        std::lock_guard lock(mutex_);
        startFloodLocked();
    }
    return kOk;
}

void HostileLink::write(const std::vector<Write>& writes) {
    for (const Write& w : writes) {
        if (w.mutate) link_.sendMutated(w.type, w.payload, w.mutate);
        else link_.send(w.type, w.payload);
    }
}

void HostileLink::requestArrived(uint32_t id) {
    std::optional<Write> held;
    {
        std::lock_guard lock(mutex_);
        highestId_ = std::max(highestId_, id);
        held.swap(held_);
    }
    if (held) {
        log("the second completion, ahead of request " + std::to_string(id));
        write({*held});
    }
}

void HostileLink::tick(bool idle) {
    std::optional<Write> held;
    bool idleAct = false;
    {
        std::lock_guard lock(mutex_);
        if (held_ && Clock::now() - heldSince_ >= kHoldLimit) held.swap(held_);
        idleAct = idle && momentReachedLocked(LinkMoment::Idle);
    }
    if (held) write({*held});
    // An idle link carries nothing of its own at that moment: the act comes with a Pong,
    // which the PC takes without a question when it is whole.
    if (idleAct) send(MsgType::Pong, remote::encodeU32(0), LinkMoment::Idle);
}

std::vector<HostileLink::Write> HostileLink::actLocked(MsgType type, const std::vector<uint8_t>& payload,
                                                      LinkMoment moment) {
    using Kind = HostileConfig::Kind;
    std::vector<Write> writes;
    switch (config_.kind) {
        case Kind::None: break;
        case Kind::Malformed: {
            static const char* const kVariants[] = {"bad magic", "bad version", "bad head check", "bad payload check",
                                                    "sequence number skipped", "reserved head bytes not zero"};
            const uint64_t variant = random(6);
            const auto bit = static_cast<uint8_t>(1u << random(8));
            const auto skip = static_cast<uint32_t>(1 + random(5));
            log(std::string(kVariants[variant]) + " in a frame of type " + std::to_string(static_cast<int>(type)));
            writes.push_back({type, payload, [variant, bit, skip](Frame& f) {
                                  switch (variant) {
                                      case 0: f[bit & 1u] ^= 0x20; break;
                                      case 1: f[2] = static_cast<uint8_t>(2 + bit); break;
                                      case 2: f[12] ^= bit; break;
                                      case 3: f[f.size() - 1 - (bit & 3u)] ^= bit; break;
                                      case 4:
                                          putU32(f.data(), 4, getU32(f.data(), 4) + skip);
                                          resealHead(f);
                                          break;
                                      default:
                                          f[14] = bit;
                                          resealHead(f);
                                          break;
                                  }
                              }});
            break;
        }
        case Kind::WrongLength: {
            const uint64_t variant = random(5);
            const size_t size = payload.size();
            if (variant <= 2) {
                // The head announces another length than the payload has; its check holds.
                uint32_t length;
                if (variant == 0 && size > 0) length = static_cast<uint32_t>(size - 1 - random(std::min<size_t>(size, 16)));
                else if (variant == 2) length = random(2) ? 0xFFFFFFFFu : remote::kMaxPayload + 1 + static_cast<uint32_t>(random(1u << 20));
                else length = static_cast<uint32_t>(size + 1 + random(64));
                log("a frame head announcing " + std::to_string(length) + " bytes for " + std::to_string(size));
                writes.push_back({type, payload, [length](Frame& f) {
                                      putU32(f.data(), 8, length);
                                      resealHead(f);
                                  }});
                break;
            }
            // A whole frame whose message has a size its type does not have.
            std::vector<uint8_t> changed = payload;
            if (type == MsgType::BlockData && size > remote::kDataHead) {
                // The chunk runs past the end its own head gives the block.
                const uint32_t offset = getU32(changed.data(), 4);
                putU32(changed.data(), 8, offset + static_cast<uint32_t>(size - remote::kDataHead) - 1);
            } else if (type == MsgType::MonitorData) {
                // A piece of a record more or less.
                const auto change = static_cast<size_t>(1 + random(remote::kMonitorRecordSize - 1));
                if (variant == 3 && size >= remote::kMonitorHead + remote::kMonitorRecordSize) changed.resize(size - change);
                else changed.resize(size + change, 0x5A);
            } else if (variant == 3 && size > 0) {
                changed.resize(size - 1 - static_cast<size_t>(random(std::min<size_t>(size, 3))));
            } else {
                changed.resize(size + 1 + static_cast<size_t>(random(8)), 0);
            }
            if (type == MsgType::BlockData && size > remote::kDataHead)
                log("a data chunk of " + std::to_string(size - remote::kDataHead) + " bytes past the total its head gives");
            else
                log("a message of type " + std::to_string(static_cast<int>(type)) + " with " +
                    std::to_string(changed.size()) + " bytes where it has " + std::to_string(size));
            writes.push_back({type, std::move(changed), nullptr});
            break;
        }
        case Kind::Unsolicited:
            writes.push_back({MsgType::RequestDone, unsolicitedCompletionLocked(), nullptr});
            writes.push_back({type, payload, nullptr});
            break;
        case Kind::Twice:
            if (type == MsgType::RequestDone || type == MsgType::HelloAck) {
                writes = duplicateLocked(type, payload);
            } else if ((moment == LinkMoment::Idle || moment == LinkMoment::Monitor) && !lastCompletion_.empty()) {
                // Nothing completes here for a while: the last completion comes again.
                log("the last completion once more, id " + std::to_string(getU32(lastCompletion_.data(), 0)));
                writes.push_back({type, payload, nullptr});
                writes.push_back({MsgType::RequestDone, lastCompletion_, nullptr});
            } else {
                duplicateNext_ = true;
                writes.push_back({type, payload, nullptr});
            }
            break;
        case Kind::Flood:
            // The flood follows this frame, once it has gone out.
            writes.push_back({type, payload, nullptr});
            floodPending_ = true;
            break;
        case Kind::Silence:
            log("from here on nothing is sent");
            silent_ = true;
            break;
        case Kind::Random:
            randomLeft_ = static_cast<int>(random(8));
            log("this frame and the next " + std::to_string(randomLeft_) + " at random");
            writes = randomizeLocked(type, payload);
            break;
    }
    return writes;
}

std::vector<HostileLink::Write> HostileLink::duplicateLocked(MsgType type, const std::vector<uint8_t>& payload) {
    std::vector<Write> writes{{type, payload, nullptr}};
    const bool hold = random(2) == 1;
    const std::string what = type == MsgType::HelloAck ? std::string("the answer to the Hello")
                                                       : "the completion of request " + std::to_string(getU32(payload.data(), 0));
    if (hold) {
        // The second one arrives while the PC waits for the answer to its next request.
        log(what + " twice, the second ahead of the next request");
        held_ = Write{type, payload, nullptr};
        heldSince_ = Clock::now();
    } else {
        log(what + " twice in a row");
        writes.push_back({type, payload, nullptr});
    }
    return writes;
}

std::vector<uint8_t> HostileLink::unsolicitedCompletionLocked() {
    static constexpr uint32_t kRequestKinds[] = {2, 3, 4, 5, 6, 8, 9};
    uint32_t id;
    switch (random(4)) {
        case 0: id = 0; break;
        case 1: id = 0x40000000u | static_cast<uint32_t>(random(0x40000000u)); break;
        case 2: id = highestId_ + 1; break;  // the next one the PC will use, not yet asked
        default: id = highestId_ + 2 + static_cast<uint32_t>(random(100)); break;
    }
    remote::RequestDoneMsg m;
    m.id = id;
    m.kind = kRequestKinds[random(std::size(kRequestKinds))];
    m.result = random(2) ? kOk : kFail;
    m.param1 = static_cast<uint32_t>(rng_());
    m.param2 = static_cast<uint32_t>(random(2));
    m.param3 = static_cast<uint32_t>(rng_());
    m.param4 = static_cast<uint32_t>(random(65536));
    log("a completion of kind " + std::to_string(m.kind) + " for request " + std::to_string(id) + ", never asked");
    return m.encode();
}

std::vector<HostileLink::Write> HostileLink::randomizeLocked(MsgType type, const std::vector<uint8_t>& payload) {
    std::vector<Write> writes;
    const uint64_t variant = random(6);
    const uint64_t seed = rng_();
    switch (variant) {
        case 0:
            log("random bytes instead of a frame");
            writes.push_back({type, payload, [seed](Frame& f) {
                                  std::mt19937_64 g(seed);
                                  f.resize(static_cast<size_t>(1 + g() % 48));
                                  for (auto& b : f) b = static_cast<uint8_t>(g());
                              }});
            break;
        case 1:
            log("bits flipped in a frame");
            writes.push_back({type, payload, [seed](Frame& f) {
                                  std::mt19937_64 g(seed);
                                  for (uint64_t n = 1 + g() % 3; n > 0; --n) f[static_cast<size_t>(g() % f.size())] ^= static_cast<uint8_t>(1u << (g() % 8));
                              }});
            break;
        case 2:
            if (!payload.empty()) {
                log("bytes changed in a message, the frame whole");
                writes.push_back({type, payload, [seed](Frame& f) {
                                      std::mt19937_64 g(seed);
                                      const size_t n = f.size() - remote::kFrameHeadSize - remote::kFrameTailSize;
                                      for (uint64_t k = 1 + g() % 3; k > 0; --k)
                                          f[remote::kFrameHeadSize + static_cast<size_t>(g() % n)] = static_cast<uint8_t>(g());
                                      resealAll(f);
                                  }});
                break;
            }
            [[fallthrough]];
        case 3: {
            // A whole frame of some type with made-up contents before the real one.
            static constexpr uint8_t kTypes[] = {0x02, 0x11, 0x12, 0x15, 0x20, 0x21, 0x22, 0x30, 0x31, 0x3F, 0x7E};
            const auto invented = static_cast<MsgType>(kTypes[random(std::size(kTypes))]);
            const size_t fixed = fixedSize(invented);
            std::vector<uint8_t> bytes(static_cast<size_t>(fixed && random(2) ? fixed : random(65)));
            for (auto& b : bytes) b = static_cast<uint8_t>(rng_());
            log("an invented frame of type " + std::to_string(static_cast<int>(invented)) + " with " +
                std::to_string(bytes.size()) + " bytes");
            writes.push_back({invented, std::move(bytes), nullptr});
            writes.push_back({type, payload, nullptr});
            break;
        }
        case 4:
            log("a frame cut short");
            writes.push_back({type, payload, [seed](Frame& f) { f.resize(static_cast<size_t>(1 + seed % (f.size() - 1))); }});
            break;
        default: writes.push_back({type, payload, nullptr}); break;
    }
    return writes;
}

void HostileLink::startFloodLocked() {
    if (flood_.joinable()) return;
    std::vector<uint8_t> block = lastMonitor_;
    if (block.empty()) block.assign(remote::kMonitorHead + kFloodRecords * remote::kMonitorRecordSize, 0);
    log("monitor blocks of " + std::to_string(block.size() - remote::kMonitorHead) +
        " bytes as fast as the link takes them");
    flood_ = std::thread([this, block = std::move(block)]() mutable { floodLoop(std::move(block)); });
}

void HostileLink::floodLoop(std::vector<uint8_t> block) {
    // Without credit: the link's own send, never the flow-controlled path.
    while (!stopFlood_ && succeeded(link_.send(MsgType::MonitorData, block))) {
    }
}

}  // namespace zv::emu
