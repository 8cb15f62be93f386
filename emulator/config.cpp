#include "emulator/config.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "zvlkrmt/protocol/messages.h"

namespace zv::emu {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

template <typename T>
bool number(std::string_view s, T& out) {
    s = trim(s);
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    if (s.empty()) return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return ec == std::errc() && end == s.data() + s.size();
}

bool flag(std::string_view s, bool& out) {
    s = trim(s);
    if (s == "1" || s == "yes" || s == "on" || s == "true") return out = true, true;
    if (s == "0" || s == "no" || s == "off" || s == "false") return out = false, true;
    return false;
}

}  // namespace

bool parseFaultInto(FaultConfig& f, std::string_view text, std::string& error);

BoardType boardFromNames(std::string_view model, std::string_view exBoard) {
    for (const BoardInfo* b = boardsBegin(); b != boardsEnd(); ++b) {
        const std::string text = std::string(model) + " + " + std::string(exBoard);
        if (b->text == text) return b->code;
    }
    return 0;
}

bool parseFault(FaultConfig& faults, std::string_view text, std::string& error) {
    FaultConfig f = faults;
    if (!parseFaultInto(f, text, error)) return false;
    faults = f;
    return true;
}

bool parseFaultInto(FaultConfig& f, std::string_view text, std::string& error) {
    text = trim(text);
    const size_t eq = text.find('=');
    const std::string_view key = trim(text.substr(0, eq));
    const std::string_view value = eq == std::string_view::npos ? std::string_view{} : trim(text.substr(eq + 1));
    if (key == "refuse") {
        uint32_t code = 0;
        if (number(value, code) && (code == 0xA0000001u || code == 0xA0000004u || code == 0xA0000009u)) {
            f.refuseConnect = static_cast<Result>(code);
            return true;
        }
        error = "refuse takes 0xA0000001, 0xA0000004 or 0xA0000009";
        return false;
    }
    if (key == "refuse-monitor") {
        uint32_t code = 0;
        if (number(value, code) && (code & 0x80000000u) != 0) {
            f.refuseMonitor = static_cast<Result>(code);
            return true;
        }
        error = "refuse-monitor takes a failure code (0x80000000 or above)";
        return false;
    }
    if (key == "stall") {
        if (value == "connect") return f.stall = FaultConfig::Stall::Connect, true;
        if (value == "requests") return f.stall = FaultConfig::Stall::Requests, true;
        if (value.substr(0, 8) == "monitor:" && number(value.substr(8), f.stallAfterBytes))
            return f.stall = FaultConfig::Stall::Monitor, true;
        error = "stall takes connect, requests or monitor:BYTES";
        return false;
    }
    if (key == "drop") {
        const size_t colon = value.find(':');
        const std::string_view point = value.substr(0, colon);
        uint64_t after = 0;
        if (colon != std::string_view::npos && !number(value.substr(colon + 1), after)) {
            error = "drop takes POINT[:BYTES]";
            return false;
        }
        f.dropAfterBytes = after;
        if (point == "upload") return f.drop = FaultConfig::Drop::Upload, true;
        if (point == "monitor") return f.drop = FaultConfig::Drop::Monitor, true;
        if (point == "setup") return f.drop = FaultConfig::Drop::Setup, true;
        error = "drop point is upload, monitor or setup";
        return false;
    }
    if (key == "skip-monitor") {
        if (number(value, f.skipMonitorEvery) && f.skipMonitorEvery > 0) return true;
        error = "skip-monitor takes a block count";
        return false;
    }
    if (key == "type") {
        uint32_t type = 0;
        if (number(value, type)) return f.reportType = type, true;
        error = "type takes a device type code";
        return false;
    }
    error = "unknown fault '" + std::string(key) + "'";
    return false;
}

bool applySetting(AnalyzerConfig& config, std::string_view key, std::string_view value, std::string& error) {
    key = trim(key);
    value = trim(value);
    // Work on a copy: a value that is refused leaves the configuration as it was.
    AnalyzerConfig c = config;
    bool ok = true;
    auto ranged = [&](uint32_t& field, uint32_t lo, uint32_t hi) {
        uint32_t v = 0;
        if (!number(value, v) || v < lo || v > hi) return false;
        field = v;
        return true;
    };
    if (key == "board") {
        const auto code = parseBoardCode(value);
        ok = code.has_value();
        if (ok) c.boardType = *code;
    } else if (key == "serial") {
        ok = !value.empty() && value.size() < 16;
        if (ok) c.serial = std::string(value);
    } else if (key == "firmware") {
        ok = value.size() < 16;
        if (ok) c.firmware = std::string(value);
    } else if (key == "device-value") ok = number(value, c.deviceValue);
    else if (key == "seed") ok = number(value, c.traffic.seed);
    else if (key == "bus-load") ok = ranged(c.traffic.busLoadPercent, 1, 100);
    else if (key == "identifiers") ok = ranged(c.traffic.identifiers, 1, 64);
    else if (key == "extended-percent") ok = ranged(c.traffic.extendedPercent, 0, 100);
    else if (key == "remote-percent") ok = ranged(c.traffic.remotePercent, 0, 100);
    else if (key == "lin-error-permille") ok = ranged(c.traffic.linErrorPermille, 0, 1000);
    else if (key == "overrun-every") ok = number(value, c.traffic.overrunEvery);
    else if (key == "trigger-every") ok = number(value, c.traffic.triggerEvery);
    else if (key == "fixed-rate") ok = ranged(c.traffic.fixedRate, 0, 10000000);
    else if (key == "monitor-ready") ok = flag(value, c.monitorReady);
    else if (key == "stop-end-reason") ok = number(value, c.stopEndReason);
    else if (key == "stop-when-full") ok = flag(value, c.stopWhenFull);
    else if (key == "key-log" || key == "keyLog") {
        ok = !value.empty();
        if (ok) c.keyLog = std::string(value);
    }
    else if (key == "throttle") {
        // Bytes per second, or the speed of a kind of link.
        uint32_t baud = 0;
        if (value == "usb-full") c.linkBytesPerSecond = 1000000;      // 12 Mbit/s after protocol overhead
        else if (value == "lan") c.linkBytesPerSecond = 1250000;      // the adapter's 10 Mbit/s
        else if (value.starts_with("serial:") && number(value.substr(7), baud) && baud >= 300)
            c.linkBytesPerSecond = baud / 10;                         // 8 data bits, start and stop bit
        else ok = number(value, c.linkBytesPerSecond);
    } else if (key == "fault") {
        ok = parseFault(c.faults, value, error);
        if (!ok) return false;
    } else if (key == "hostile") {
        ok = parseHostileKind(value, c.faults.hostile.kind);
    } else if (key == "hostile-at") {
        ok = parseHostileMoment(value, c.faults.hostile.at);
    } else if (key == "hostile-after") {
        uint64_t after = 0;
        ok = number(value, after);
        if (ok) c.faults.hostile.after = after;
    } else if (key == "hostile-seed") {
        ok = number(value, c.faults.hostile.seed);
    } else if (key == "replay") {
        auto frames = std::make_shared<std::vector<ReplayFrame>>();
        if (!loadReplayLog(std::string(value), *frames, error)) return false;
        c.traffic.replay = std::move(frames);
    } else {
        error = "unknown setting '" + std::string(key) + "'";
        return false;
    }
    if (!ok) {
        error = "bad value for " + std::string(key) + ": '" + std::string(value) + "'";
        return false;
    }
    config = std::move(c);
    return true;
}

bool loadConfigText(AnalyzerConfig& config, std::string_view text, std::string& error) {
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        line = trim(line);
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        std::string e;
        if (eq == std::string_view::npos) {
            e = "expected key = value";
        } else if (applySetting(config, line.substr(0, eq), line.substr(eq + 1), e)) {
            continue;
        }
        error = "line " + std::to_string(lineNo) + ": " + e;
        return false;
    }
    return true;
}

bool parseSections(std::string_view text, std::vector<ConfigSection>& sections, std::string& error) {
    std::vector<ConfigSection> out;
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        line = trim(line);
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                error = "line " + std::to_string(lineNo) + ": expected [name]";
                return false;
            }
            out.push_back({std::string(trim(line.substr(1, line.size() - 2))), lineNo, {}});
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            error = "line " + std::to_string(lineNo) + ": expected key = value";
            return false;
        }
        if (out.empty()) {
            error = "line " + std::to_string(lineNo) + ": setting outside a [section]";
            return false;
        }
        out.back().entries.push_back(
            {std::string(trim(line.substr(0, eq))), std::string(trim(line.substr(eq + 1))), lineNo});
    }
    sections = std::move(out);
    return true;
}

bool applySection(AnalyzerConfig& config, const ConfigSection& section, const std::string& baseDir,
                  std::string& error) {
    AnalyzerConfig c = config;
    std::string model, exBoard;
    int modelLine = 0;
    for (const ConfigEntry& e : section.entries) {
        auto fail = [&](const std::string& text) {
            error = "line " + std::to_string(e.line) + ": " + text;
            return false;
        };
        if (e.key == "model" || e.key == "exboard") {
            if (e.value.empty()) return fail("bad value for " + e.key + ": ''");
            (e.key == "model" ? model : exBoard) = e.value;
            modelLine = modelLine ? modelLine : e.line;
            continue;
        }
        std::string value = e.value;
        if ((e.key == "replay" || e.key == "key-log" || e.key == "keyLog") && !baseDir.empty() &&
            std::filesystem::path(value).is_relative())
            value = (std::filesystem::path(baseDir) / value).string();
        std::string e2;
        if (!applySetting(c, e.key, value, e2)) return fail(e2);
    }
    if (!model.empty() || !exBoard.empty()) {
        BoardType code = 0;
        int matches = 0;
        for (const BoardInfo* b = boardsBegin(); b != boardsEnd(); ++b) {
            const std::string_view text = b->text;
            const size_t plus = text.find(" + ");
            const std::string_view m = text.substr(0, plus), x = text.substr(plus + 3);
            if ((model.empty() || m == model) && (exBoard.empty() || x == exBoard)) {
                code = b->code;
                ++matches;
            }
        }
        if (matches != 1) {
            error = "line " + std::to_string(modelLine) + ": " +
                    (matches == 0 ? "no supported analyzer " + model + (exBoard.empty() ? "" : " + " + exBoard)
                                  : std::string(model.empty() ? exBoard : model) + " needs its " +
                                        (model.empty() ? "model" : "exboard"));
            return false;
        }
        c.boardType = code;
    }
    config = std::move(c);
    return true;
}

std::string streamReportText(const StreamReport& r) {
    char line[320];
    std::snprintf(line, sizeof line,
                  "stream link=%llu measurement=%llu generated=%llu sent=%llu left-out=%llu gaps=%llu unsent=%llu "
                  "crc32=%08X end=%s",
                  static_cast<unsigned long long>(r.link), static_cast<unsigned long long>(r.measurement),
                  static_cast<unsigned long long>(r.generated), static_cast<unsigned long long>(r.sent),
                  static_cast<unsigned long long>(r.leftOut), static_cast<unsigned long long>(r.gaps),
                  static_cast<unsigned long long>(r.unsent), static_cast<unsigned>(r.crc), r.end.c_str());
    return line;
}

std::optional<StreamReport> parseStreamReport(std::string_view line) {
    line = trim(line);
    if (line.substr(0, 7) != "stream ") return std::nullopt;
    line.remove_prefix(7);
    StreamReport r;
    std::string_view crc;
    uint64_t* const counts[] = {&r.link, &r.measurement, &r.generated, &r.sent, &r.leftOut, &r.gaps, &r.unsent};
    const char* const names[] = {"link", "measurement", "generated", "sent", "left-out", "gaps", "unsent", "crc32", "end"};
    // Every field once, in this order.
    for (size_t i = 0; i < std::size(names); ++i) {
        const size_t space = line.find(' ');
        const std::string_view field = line.substr(0, space);
        line = space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
        const size_t eq = field.find('=');
        if (eq == std::string_view::npos || field.substr(0, eq) != names[i]) return std::nullopt;
        const std::string_view value = field.substr(eq + 1);
        if (i < std::size(counts)) {
            if (!number(value, *counts[i])) return std::nullopt;
        } else if (i == 7) {
            crc = value;
        } else {
            r.end = std::string(value);
        }
    }
    if (!line.empty() || r.end.empty() || crc.size() != 8) return std::nullopt;
    const auto [end, ec] = std::from_chars(crc.data(), crc.data() + crc.size(), r.crc, 16);
    if (ec != std::errc() || end != crc.data() + crc.size()) return std::nullopt;
    return r;
}

}  // namespace zv::emu
