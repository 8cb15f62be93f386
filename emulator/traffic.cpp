#include "emulator/traffic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "base/bytes.h"

namespace zv::emu {
namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

uint32_t timeStamp(uint64_t t) {
    t %= uint64_t{3600} * kTicksPerSecond;
    const auto minutes = static_cast<uint32_t>(t / (60 * kTicksPerSecond));
    const auto seconds = static_cast<uint32_t>((t / kTicksPerSecond) % 60);
    const auto hundredths = static_cast<uint32_t>((t / 50) % 100);
    const auto fraction = static_cast<uint32_t>(t % 50);
    return minutes << 24 | seconds << 16 | hundredths << 8 | fraction;
}

uint8_t linProtectedId(uint8_t id) {
    id &= 0x3F;
    auto bit = [&](int i) { return (id >> i) & 1; };
    const int p0 = bit(0) ^ bit(1) ^ bit(2) ^ bit(4);
    const int p1 = 1 - (bit(1) ^ bit(3) ^ bit(4) ^ bit(5));
    return static_cast<uint8_t>(id | p0 << 6 | p1 << 7);
}

uint8_t linChecksum(uint8_t pid, const uint8_t* data, size_t n, bool enhanced) {
    unsigned sum = enhanced ? pid : 0;
    for (size_t i = 0; i < n; ++i) {
        sum += data[i];
        if (sum > 0xFF) sum -= 0xFF;  // end-around carry
    }
    return static_cast<uint8_t>(~sum & 0xFF);
}

TrafficGenerator::TrafficGenerator(const SetupPlan& plan, const TrafficConfig& config, uint64_t startStepsIntoHour)
    : plan_(plan), config_(config), start_(startStepsIntoHour), state_(config.seed * 0x9E3779B97F4A7C15ull + 1) {
    config_.busLoadPercent = std::clamp<uint32_t>(config_.busLoadPercent, 1, 100);
    if (config_.fixedRate) fixedStep_ = double(kTicksPerSecond) / config_.fixedRate;
    for (int ch = 0; ch < 2; ++ch) {
        Channel& c = channels_[ch];
        c.plan = plan.channels[static_cast<size_t>(ch)];
        if (c.plan.protocol == ChannelProtocol::Can) {
            const uint32_t n = std::clamp<uint32_t>(config_.identifiers, 1, 64);
            for (uint32_t i = 0; i < n; ++i) {
                const bool extended = random() % 100 < config_.extendedPercent;
                const uint32_t id = extended ? static_cast<uint32_t>(random() & 0x1FFFFFFF) | 0x80000000u
                                             : (0x100 + static_cast<uint32_t>(random() % 0x700)) << 18;
                c.ids.push_back(id);  // bit 31 marks extended here; cleared when stored
                c.dlc.push_back(random() % 2 ? 8 : static_cast<uint8_t>(random() % 9));
                c.counters.push_back(0);
            }
        } else {
            // A master schedule over a few identifiers, always with a diagnostic frame.
            for (uint32_t i = 0; i < 5; ++i) c.ids.push_back(static_cast<uint32_t>(random() % 60));
            c.ids.push_back(0x3C);
            c.counters.assign(c.ids.size(), 0);
        }
        c.next = double(random() % 20);
    }
}

uint64_t TrafficGenerator::random() {
    // splitmix64: small, fast and the same everywhere.
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double TrafficGenerator::frameTicks(const Channel& c, size_t bits) const {
    return double(bits) * kTicksPerSecond / double(c.plan.bitRate);
}

void TrafficGenerator::stampCommon(uint64_t tick, uint8_t* r) {
    putU32(r, 4, timeStamp(start_ + tick));
    const bool trigger = config_.triggerEvery && records_ % config_.triggerEvery == config_.triggerEvery - 1;
    if (plan_.canOnly) {
        if (trigger) putU16(r, 2, static_cast<uint16_t>(getU16(r, 2) | 0x80));
        return;
    }
    uint8_t lines = trigger ? 0x80 : 0;
    if (plan_.analogInputs) {
        // Digital inputs toggle at 1, 2, 4 and 8 Hz (DI1 is also the EXT input); four slow
        // sine waves of +-5 V on the analog inputs.
        for (int i = 0; i < 4; ++i)
            if ((tick * (2u << i) / kTicksPerSecond) & 1) lines |= static_cast<uint8_t>(0x10 >> i);
        const double seconds = double(tick) / kTicksPerSecond;
        const double periods[4] = {2.0, 3.0, 5.0, 7.0};
        const size_t at[4] = {8, 26, 28, 30};
        for (int i = 0; i < 4; ++i)
            putU16(r, at[i], static_cast<uint16_t>(static_cast<int16_t>(std::lround(500.0 * std::sin(2 * kPi * seconds / periods[i])))));
    }
    r[1] = lines;
}

void TrafficGenerator::makeCan(Channel& c, int channel, uint64_t tick, uint8_t* r) {
    const size_t k = static_cast<size_t>(random() % c.ids.size());
    const bool extended = (c.ids[k] & 0x80000000u) != 0;
    const bool remote = random() % 100 < config_.remotePercent;
    const uint8_t dlc = c.dlc[k];
    r[0] = static_cast<uint8_t>(channel + 1);
    r[10] = remote ? 0 : dlc;
    r[11] = static_cast<uint8_t>((extended ? 0x80 : 0) | (remote ? 0x40 : 0) | dlc);
    putU32(r, 12, c.ids[k] & 0x7FFFFFFFu);
    const uint32_t count = c.counters[k]++;
    if (!remote)
        for (uint8_t i = 0; i < dlc; ++i)
            r[16 + i] = static_cast<uint8_t>(i == 0 ? count : (count * (k % 7 + 1) + i * 31u + (count >> 8)));
    stampCommon(tick, r);
    const size_t bits = (extended ? 67u : 47u) + (remote ? 0u : 8u * dlc);
    c.next += frameTicks(c, bits + bits / 8 + 3) * 100.0 / config_.busLoadPercent * (0.5 + double(random() % 1000) / 1000.0);
}

void TrafficGenerator::makeLin(Channel& c, int channel, uint64_t tick, uint8_t* r) {
    const uint8_t id = static_cast<uint8_t>(c.ids[c.slot]);
    const uint32_t count = c.counters[c.slot]++;
    c.slot = (c.slot + 1) % c.ids.size();
    const uint8_t n = c.plan.linLength[id];
    uint8_t pid = linProtectedId(id);
    uint8_t sf = 0x55;
    uint8_t data[9] = {};
    for (uint8_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(i == 0 ? count : count * (id % 5 + 1) + i * 17u);
    uint8_t checksum = linChecksum(pid, data, n, c.plan.linChecksum[id] == 1);
    int byteCount = n == 0 ? -1 : n + 1;  // a frame without response length: nobody answered
    uint16_t status = 0;
    if (n > 0 && random() % 1000 < config_.linErrorPermille) {
        switch (random() % 10) {
            case 0: {  // bit error in a data byte ("B")
                const uint8_t i = static_cast<uint8_t>(random() % n);
                data[i] ^= 0x10;
                status = static_cast<uint16_t>(1 << 11 | 1 << (2 + i));
                break;
            }
            case 1:  // sync field ("S")
                sf = 0x54;
                status = static_cast<uint16_t>(2 << 11 | 1);
                break;
            case 2:  // identifier parity ("P")
                pid ^= 0x40;
                status = static_cast<uint16_t>(4 << 11 | 2);
                break;
            case 3:  // checksum ("C")
                checksum ^= 0xA5;
                status = static_cast<uint16_t>(8 << 11 | 1 << (2 + n));
                break;
            case 4:  // response too short ("L")
                byteCount = 1 + static_cast<int>(random() % n);
                status = 16 << 11;
                break;
            case 5: status = 31 << 11; break;  // overrun ("O")
            case 6: status = 3 << 11; break;   // a code of no known letter ("E")
            case 7: byteCount = -1; break;     // no response ("R")
            case 8: byteCount = -2; break;     // no identifier received
            default: byteCount = -3; break;    // break only
        }
    }
    r[0] = static_cast<uint8_t>(channel + 3);
    putU16(r, 2, status);
    r[10] = static_cast<uint8_t>(static_cast<int8_t>(byteCount));
    r[11] = 0;
    r[12] = 0;
    r[13] = byteCount >= -1 ? pid : 0;
    r[14] = byteCount >= -2 ? sf : 0;
    r[15] = 0x00;  // sync break
    if (byteCount > 0) {
        const int dataBytes = std::min<int>(byteCount, n);
        for (int i = 0; i < dataBytes; ++i) r[16 + i] = data[i];
        if (byteCount == n + 1) r[16 + n] = checksum;
    }
    stampCommon(tick, r);
    // Header of 34 bit times, then the response; 40 % slack as the LIN timing allows.
    const size_t bits = static_cast<size_t>((34 + 10 * (n + 1)) * 14 / 10);
    c.next += frameTicks(c, bits) * 100.0 / config_.busLoadPercent;
}

bool parseCandump(std::string_view text, std::vector<ReplayFrame>& frames, std::string& error) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    double first = -1;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        // "(1436509052.249713) can0 123#DEADBEEF"
        const size_t open = line.find('('), close = line.find(')');
        if (open != 0 || close == std::string_view::npos) continue;
        const std::string stamp(line.substr(1, close - 1));
        char* end = nullptr;
        const double seconds = std::strtod(stamp.c_str(), &end);
        if (end == stamp.c_str()) continue;
        std::string_view rest = line.substr(close + 1);
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        const size_t space = rest.find(' ');
        if (space == std::string_view::npos) continue;
        const std::string_view iface = rest.substr(0, space);
        std::string_view frame = rest.substr(space + 1);
        while (!frame.empty() && (frame.back() == '\r' || frame.back() == ' ')) frame.remove_suffix(1);
        const size_t hash = frame.find('#');
        if (hash == std::string_view::npos || hash == 0 || hash > 8) continue;
        if (frame.substr(hash).starts_with("##")) continue;  // CAN FD: not on these boards
        ReplayFrame f;
        bool ok = true;
        for (char c : frame.substr(0, hash)) {
            const int v = hex(c);
            if (v < 0) ok = false;
            f.id = (f.id << 4) | static_cast<uint32_t>(v < 0 ? 0 : v);
        }
        f.extended = hash == 8;
        if (!ok || f.id > (f.extended ? 0x1FFFFFFFu : 0x7FFu)) continue;
        std::string_view payload = frame.substr(hash + 1);
        if (!payload.empty() && (payload.front() == 'R' || payload.front() == 'r')) {
            f.remote = true;
            if (payload.size() == 2 && hex(payload[1]) >= 0 && hex(payload[1]) <= 8) f.dlc = static_cast<uint8_t>(hex(payload[1]));
        } else {
            if (payload.size() % 2 || payload.size() > 16) continue;
            for (size_t i = 0; i < payload.size(); i += 2) {
                const int hi = hex(payload[i]), lo = hex(payload[i + 1]);
                if (hi < 0 || lo < 0) ok = false;
                f.data[i / 2] = static_cast<uint8_t>(hi << 4 | lo);
            }
            if (!ok) continue;
            f.dlc = static_cast<uint8_t>(payload.size() / 2);
        }
        const int digit = iface.empty() ? 0 : hex(iface.back());
        f.channel = static_cast<uint8_t>(digit > 0 ? digit % 2 : 0);
        if (first < 0) first = seconds;
        const double ticks = (seconds - first) * kTicksPerSecond;
        f.tick = ticks > 0 ? static_cast<uint64_t>(std::llround(ticks)) : 0;
        if (!frames.empty() && f.tick < frames.back().tick) f.tick = frames.back().tick;  // keep time order
        frames.push_back(f);
    }
    if (frames.empty()) error = "no CAN frames in the log";
    return !frames.empty();
}

void TrafficGenerator::generateReplay(uint64_t tick, std::vector<uint8_t>& out) {
    const std::vector<ReplayFrame>& log = *config_.replay;
    // One pass lasts as long as the log plus 10 ms, so that a pass never starts inside the last one.
    const uint64_t pass = log.back().tick + 50;
    for (;;) {
        const ReplayFrame& f = log[replayAt_];
        const uint64_t at = replayBase_ + f.tick;
        if (at >= tick) return;
        const size_t pos = out.size();
        out.resize(pos + kRecordSize, 0);
        uint8_t* r = out.data() + pos;
        r[0] = static_cast<uint8_t>(f.channel + 1);
        r[10] = f.remote ? 0 : f.dlc;
        r[11] = static_cast<uint8_t>((f.extended ? 0x80 : 0) | (f.remote ? 0x40 : 0) | f.dlc);
        putU32(r, 12, f.extended ? f.id : f.id << 18);
        if (!f.remote) std::copy(f.data, f.data + f.dlc, r + 16);
        stampCommon(at, r);
        ++records_;
        if (++replayAt_ == log.size()) {
            replayAt_ = 0;
            replayBase_ += pass;
        }
    }
}

void TrafficGenerator::generateUntil(uint64_t tick, std::vector<uint8_t>& out) {
    if (config_.replay && !config_.replay->empty()) return generateReplay(tick, out);
    for (;;) {
        int ch = channels_[0].next <= channels_[1].next ? 0 : 1;
        Channel& c = channels_[ch];
        if (c.next >= double(tick)) return;
        const auto at = static_cast<uint64_t>(c.next);
        const size_t pos = out.size();
        out.resize(pos + kRecordSize, 0);
        uint8_t* r = out.data() + pos;
        const double before = c.next;
        if (c.plan.protocol == ChannelProtocol::Can)
            makeCan(c, ch, at, r);
        else
            makeLin(c, ch, at, r);
        if (fixedStep_ > 0) {
            // Fixed rate: the channels take turns at the set pace.
            c.next = before + 2 * fixedStep_;
        }
        ++records_;
        if (config_.overrunEvery && ++sinceOverrun_ >= config_.overrunEvery) {
            sinceOverrun_ = 0;
            const size_t m = out.size();
            out.resize(m + kRecordSize, 0);
            out[m] = 0x40;
            putU32(out.data(), m + 4, timeStamp(start_ + at));
        }
    }
}

}  // namespace zv::emu
