#include "formats/log_import.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "capture/data_file_writer.h"
#include "setup/record_schema.h"

namespace zv {
namespace {

using log_text::decimalNumber;

constexpr uint32_t kPresetRates[8] = {333333, 500000, 833333, 1000000, 1250000, 2500000, 5000000, 10000000};
constexpr uint32_t kMinBaseFrequency = 2500000;    // 250 kHz in 0.1 Hz
constexpr uint32_t kMaxBaseFrequency = 120000000;  // 12 MHz
constexpr uint32_t kMaxCanRate = 10000000;         // 1 Mbit/s in 0.1 bit/s
constexpr uint32_t kMinLinRate = 4000, kMaxLinRate = 260000;
constexpr size_t kBatchBytes = 65536;
// The most records a data file counts: its record chunk length is a 32-bit byte count.
constexpr uint64_t kMaxRecords = 0xFFFFFFFFu / kCaptureRecordSize;

// Dual-protocol block offsets (DataInfoBlock's 812-byte form).
constexpr size_t kIdent = 12, kAnalogInputs = 26, kChannelRecord = 28, kCanGroup = 32, kLinGroup = 104, kModeValue = 692,
                 kProtocolRecord = 700, kSelection = 704;

// "500k", "83.3k", "1M", "19200", "19.2k" in 0.1 bit/s.
std::optional<uint32_t> rateTenths(std::string_view s) {
    uint64_t scale = 10;
    if (!s.empty() && (s.back() == 'k' || s.back() == 'K')) scale = 10000, s.remove_suffix(1);
    else if (!s.empty() && s.back() == 'M') scale = 10000000, s.remove_suffix(1);
    const size_t dot = s.find('.');
    uint32_t whole = 0, fraction = 0;
    std::string_view f = dot == std::string_view::npos ? std::string_view{} : s.substr(dot + 1);
    if (!decimalNumber(s.substr(0, dot), whole) || (dot != std::string_view::npos && (f.size() > 6 || !decimalNumber(f, fraction))))
        return std::nullopt;
    uint64_t divisor = 1;
    for (size_t i = 0; i < f.size(); ++i) divisor *= 10;
    const uint64_t v = (uint64_t{whole} * divisor + fraction) * scale / divisor;
    if (v == 0 || v > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<uint32_t>(v);
}

}  // namespace

std::optional<std::map<uint32_t, int>> parseChannelMap(std::string_view text) {
    std::map<uint32_t, int> map;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view pair = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        const size_t eq = pair.find('=');
        uint32_t from = 0, to = 0;
        if (eq == std::string_view::npos || !decimalNumber(pair.substr(0, eq), from) || !decimalNumber(pair.substr(eq + 1), to) ||
            from == 0 || (to != 1 && to != 2) || map.count(from) != 0)
            return std::nullopt;
        map[from] = static_cast<int>(to);
        if (comma != std::string_view::npos && text.empty()) return std::nullopt;
    }
    if (map.empty()) return std::nullopt;
    return map;
}

std::optional<std::array<uint32_t, 2>> parseBitRates(std::string_view text) {
    std::array<uint32_t, 2> rates{};
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view pair = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        const size_t eq = pair.find('=');
        uint32_t channel = 0;
        if (eq == std::string_view::npos || !decimalNumber(pair.substr(0, eq), channel) || (channel != 1 && channel != 2))
            return std::nullopt;
        const std::optional<uint32_t> rate = rateTenths(pair.substr(eq + 1));
        if (!rate || rates[channel - 1] != 0) return std::nullopt;
        rates[channel - 1] = *rate;
        if (comma != std::string_view::npos && text.empty()) return std::nullopt;
    }
    if (rates[0] == 0 && rates[1] == 0) return std::nullopt;
    return rates;
}

uint64_t LogTicks::next(uint64_t timeNs) {
    if (!started_) {
        started_ = true;
        first_ = timeNs;
        return 0;
    }
    const uint64_t t = timeNs >= first_ ? (timeNs - first_ + 100000) / 200000 : 0;
    if (t < last_) {
        ++backwards_;
        return last_;
    }
    last_ = t;
    return t;
}

uint64_t importStartTicks(const LogReader& reader, uint64_t firstItemNs) {
    if (reader.epochTimes()) {
        const uint64_t seconds = firstItemNs / 1000000000u;
        const CivilTime local = logStartFromEpoch(static_cast<int64_t>(seconds) * 1000000).local;
        return static_cast<uint64_t>(local.minute * 60 + local.second) * kLogTicksPerSecond +
               (firstItemNs % 1000000000u + 100000) / 200000;
    }
    uint64_t start = 0;
    if (const std::optional<CivilTime> date = reader.startDate())
        start = static_cast<uint64_t>((date->minute * 60 + date->second) * 1000 + date->millisecond) * 5;
    return start + (firstItemNs + 100000) / 200000;
}

bool setCanBitRate(uint8_t* c, uint32_t rate) {
    for (size_t i = 0; i < 8; ++i) {
        // Within 0.1 % of a preset: "33.3k" and "83.3k" name the presets 33,333 and 83,333.
        const uint64_t p = kPresetRates[i];
        if (uint64_t{rate} * 1000 >= p * 999 && uint64_t{rate} * 1000 <= p * 1001) {
            c[can_channel_field::kBitRateCode] = static_cast<uint8_t>(i + 1);
            return true;
        }
    }
    if (rate > kMaxCanRate) return false;
    // A custom timing: the most time quanta per bit the base frequency allows, the sample
    // point near 80 %.
    for (uint32_t quanta = 25; quanta >= 8; --quanta) {
        const uint64_t base = uint64_t{rate} * quanta;
        if (base > kMaxBaseFrequency) continue;
        if (base < kMinBaseFrequency) return false;
        int best = -1, bestPts = 0, bestPbs1 = 0, bestPbs2 = 0;
        for (int pts = 1; pts <= 8; ++pts) {
            for (int pbs1 = pts <= 2 ? 3 : 2; pbs1 <= 8; ++pbs1) {
                const int pbs2 = static_cast<int>(quanta) - 1 - pts - pbs1;
                const int minPbs2 = 5 - pts - pbs1 < 0 ? 2 : 7 - pts - pbs1;
                if (pbs2 < minPbs2 || pbs2 > pbs1) continue;
                const int distance = std::abs(pbs2 * 5 - static_cast<int>(quanta));
                if (best < 0 || distance < best) best = distance, bestPts = pts, bestPbs1 = pbs1, bestPbs2 = pbs2;
            }
        }
        if (best < 0) continue;
        c[can_channel_field::kBitRateCode] = 0;
        putU32(c, can_channel_field::kBaseFrequency, static_cast<uint32_t>(base));
        c[can_channel_field::kPts] = static_cast<uint8_t>(bestPts);
        c[can_channel_field::kPbs1] = static_cast<uint8_t>(bestPbs1);
        c[can_channel_field::kPbs2] = static_cast<uint8_t>(bestPbs2);
        c[can_channel_field::kSjw] = static_cast<uint8_t>(bestPbs2 < 4 ? bestPbs2 : 4);
        return true;
    }
    return false;
}

DataInfoBlock importDataInfo(const ImportSettings& settings, const ImportCounts& counts) {
    DataInfoBlock block = composeDataInfoBlock(kDefaultBoardType);
    uint8_t* d = block.data();
    const setup::InitContext context{kDefaultBoardType};
    // A block as an analyzer writes it (version 32): the setup's identity with its mode and
    // layout, both channel groups and the protocol selection, so that readers take them.
    d[10] = 32;
    setup::initRecord(setup::kSetupIdent, d + kIdent, context);
    d[kIdent + 4] = 0;  // operation mode
    d[kIdent + 5] = 9;  // dual-protocol layout
    d[kAnalogInputs] = 0;  // the records carry no inputs
    putU32(d, kChannelRecord, 660);
    setup::initRecord(setup::kCanChannelGroup, d + kCanGroup, context);
    setup::initRecord(setup::kLinChannelGroup, d + kLinGroup, context);
    putU32(d, kModeValue, 4);
    putU32(d, kProtocolRecord, 20);
    setup::initRecord(setup::kProtocolSelection, d + kSelection, context);
    for (int ch = 0; ch < 2; ++ch) {
        const bool lin = counts.linRecords[ch] > 0 && counts.canRecords[ch] == 0;
        d[kSelection + 4 + static_cast<size_t>(ch)] = lin ? 2 : 1;
        const uint32_t rate = settings.bitRates[static_cast<size_t>(ch)];
        if (rate == 0) continue;
        if (lin) {
            if (rate >= kMinLinRate && rate <= kMaxLinRate)
                putU32(d + 112 + static_cast<size_t>(ch) * 288, lin_channel_field::kBitRate, rate);
        } else {
            setCanBitRate(d + 40 + static_cast<size_t>(ch) * 32, rate);
        }
    }
    return block;
}

ImportOutcome importLog(LogReader& reader, LogInput& input, const ImportSettings& settings, const std::string& output,
                        ImportCounts& counts) {
    counts = ImportCounts{};
    ImportOutcome outcome;
    const std::string temp = output + "~import";
    std::error_code error;
    std::filesystem::remove(temp, error);  // left by an import that was killed
    DataFileWriter writer;
    auto fail = [&](ImportResult result) {
        writer.close();
        std::error_code e;
        if (std::filesystem::exists(temp, e) && !std::filesystem::remove(temp, e)) outcome.leftBehind = temp;
        outcome.result = result;
        return outcome;
    };
    if (failed(writer.create(temp, kDefaultBoardType, importDataInfo(settings, counts)))) return fail(ImportResult::WriteFailed);

    std::vector<uint8_t> batch;
    batch.reserve(kBatchBytes);
    LogTicks ticks;
    uint64_t start = 0;
    LogItem item;
    bool first = true;
    while (reader.next(item)) {
        // Every item moves the time line, also those left out.
        if (first) start = importStartTicks(reader, item.timeNs);
        first = false;
        const uint64_t t = ticks.next(item.timeNs);
        const auto mapped = settings.channels.find(item.channel);
        if (mapped == settings.channels.end()) {
            ++counts.unmapped[item.channel];
            continue;
        }
        if (item.kind == LogItemKind::CanFd) {
            ++counts.canFd;
            continue;
        }
        if (item.kind == LogItemKind::ErrorFrame) {
            ++counts.errorFrames;
            continue;
        }
        if (counts.records >= kMaxRecords) {
            ++counts.full;
            continue;
        }
        LogEvent e = item.event;
        e.channel = static_cast<uint8_t>(mapped->second);
        CaptureRecordBytes r;
        if (!recordOf(e, ticksStamp(start + t), r)) continue;
        const size_t ch = static_cast<size_t>(mapped->second - 1);
        ++(e.kind == LogEventKind::LinFrame ? counts.linRecords : counts.canRecords)[ch];
        ++counts.records;
        batch.insert(batch.end(), r.begin(), r.end());
        if (batch.size() >= kBatchBytes) {
            if (failed(writer.append(batch.data(), batch.size()))) return fail(ImportResult::WriteFailed);
            batch.clear();
        }
    }
    counts.backwards = ticks.backwards();
    if (input.failed()) return fail(ImportResult::ReadFailed);
    if (!reader.recognized()) return fail(ImportResult::NotALog);
    if (!batch.empty() && failed(writer.append(batch.data(), batch.size()))) return fail(ImportResult::WriteFailed);
    if (failed(writer.finish(importDataInfo(settings, counts)))) return fail(ImportResult::WriteFailed);
    std::filesystem::rename(temp, output, error);
    if (error) {
        // Where renaming does not replace an existing file, the old output goes first.
        error.clear();
        std::filesystem::remove(output, error);
        if (!error) std::filesystem::rename(temp, output, error);
        if (error) return fail(ImportResult::WriteFailed);
    }
    return outcome;
}

std::string importLeftOutText(const ImportCounts& c) {
    std::string s;
    auto add = [&s](uint64_t n, const std::string& what) {
        if (n == 0) return;
        s += "  " + std::to_string(n) + " " + what + "\n";
    };
    for (const auto& [channel, n] : c.unmapped)
        add(n, std::string(n == 1 ? "frame" : "frames") + " of log channel " + std::to_string(channel) +
                   " left out (not mapped to channel 1 or 2; see --channels)");
    add(c.canFd, std::string(c.canFd == 1 ? "CAN FD frame" : "CAN FD frames") + " left out (a data file holds classic frames of up to 8 bytes)");
    add(c.errorFrames, std::string(c.errorFrames == 1 ? "error frame" : "error frames") + " left out (a data file has no record for them)");
    add(c.full, std::string(c.full == 1 ? "frame" : "frames") + " left out (a data file counts at most " +
                    std::to_string(kMaxRecords) + " records)");
    add(c.backwards, std::string(c.backwards == 1 ? "frame" : "frames") +
                         " earlier than the frame before it, stamped at that frame's time");
    return s;
}

}  // namespace zv
