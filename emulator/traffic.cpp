#include "emulator/traffic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "base/bytes.h"
#include "formats/log_import.h"
#include "formats/log_reader.h"

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

namespace {

bool readReplay(LogFormat format, LogInput& input, std::vector<ReplayFrame>& frames, std::string& error) {
    const std::unique_ptr<LogReader> reader = makeLogReader(format, input, nullptr);
    LogTicks ticks;
    LogItem item;
    while (reader->next(item)) {
        const uint64_t tick = ticks.next(item.timeNs);
        if (item.kind != LogItemKind::Frame || item.channel == 0) continue;
        const LogEvent& e = item.event;
        ReplayFrame f;
        f.tick = tick;
        f.channel = static_cast<uint8_t>((item.channel - 1) % 2);
        f.lin = e.kind == LogEventKind::LinFrame;
        f.extended = e.extended;
        f.remote = e.remote;
        f.dlc = f.lin ? e.dataCount : e.dlc;
        f.id = e.id;
        std::copy(e.data.begin(), e.data.end(), f.data);
        f.hasChecksum = e.hasChecksum;
        f.checksum = e.checksum;
        frames.push_back(f);
    }
    if (input.failed()) {
        error = "the log could not be read to its end";
        return false;
    }
    if (frames.empty()) error = std::string("no CAN or LIN frames in the ") + logFormatName(format) + " log";
    return !frames.empty();
}

}  // namespace

bool loadReplayLog(const std::string& path, std::vector<ReplayFrame>& frames, std::string& error) {
    FileLogInput input;
    if (!input.open(path)) {
        error = "cannot read " + path;
        return false;
    }
    const LogFormat format = logFormatOfPath(path).value_or(LogFormat::Candump);
    if (!readReplay(format, input, frames, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool parseCandump(std::string_view text, std::vector<ReplayFrame>& frames, std::string& error) {
    MemoryLogInput input(text);
    return readReplay(LogFormat::Candump, input, frames, error);
}

void TrafficGenerator::generateReplay(uint64_t tick, std::vector<uint8_t>& out) {
    const std::vector<ReplayFrame>& log = *config_.replay;
    // One pass lasts as long as the log plus 10 ms, so that a pass never starts inside the last one.
    const uint64_t pass = log.back().tick + 50;
    for (;;) {
        const ReplayFrame& f = log[replayAt_];
        const uint64_t at = replayBase_ + f.tick;
        if (at >= tick) return;
        if (++replayAt_ == log.size()) {
            replayAt_ = 0;
            replayBase_ += pass;
        }
        if (f.lin && plan_.canOnly) continue;  // the CAN-only boards record no LIN frames
        const size_t pos = out.size();
        out.resize(pos + kRecordSize, 0);
        uint8_t* r = out.data() + pos;
        LogEvent e;
        e.kind = f.lin ? LogEventKind::LinFrame : LogEventKind::CanFrame;
        e.channel = static_cast<uint8_t>(f.channel + 1);
        e.extended = f.extended;
        e.remote = f.remote;
        e.dlc = f.dlc;
        e.id = f.id;
        e.pid = linProtectedId(static_cast<uint8_t>(f.id));
        e.dataCount = f.remote ? 0 : std::min<uint8_t>(f.dlc, 8);
        std::copy(f.data, f.data + 8, e.data.begin());
        e.hasChecksum = f.hasChecksum;
        e.checksum = f.checksum;
        CaptureRecordBytes record;
        // The analyzer stamps the frame at the log's own time after the start of the pass.
        recordOf(e, timeStamp(start_ + at), record);
        std::copy(record.begin(), record.end(), r);
        stampCommon(at, r);
        ++records_;
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
