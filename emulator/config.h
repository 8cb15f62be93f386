// Emulator settings from text: the lines of a configuration file ("key = value", '#' starts a
// comment) and the fault options of zvsim's --fault option.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/analyzer.h"

namespace zv::emu {

// "refuse=0xA0000004", "refuse-monitor=0xA0000001", "stall=connect", "stall=requests",
// "stall=monitor:100000",
// "drop=upload:65536", "drop=monitor:100000", "drop=setup", "skip-monitor=10", "type=65538".
bool parseFault(FaultConfig& faults, std::string_view text, std::string& error);

// One setting: board, serial, firmware, device-value, seed, bus-load, identifiers,
// extended-percent, remote-percent, lin-error-permille, overrun-every, trigger-every,
// fixed-rate, monitor-ready, stop-end-reason, stop-when-full, throttle, fault, replay (an
// ASC, BLF or candump log, see loadReplayLog), key-log (also keyLog: the file the key values from the PC are appended to),
// hostile (malformed, wrong-length, unsolicited, twice, flood, silence, random or none),
// hostile-at (connect, idle, monitor, upload, setup), hostile-after, hostile-seed.
bool applySetting(AnalyzerConfig& config, std::string_view key, std::string_view value, std::string& error);

// A whole configuration text; the error names the line.
bool loadConfigText(AnalyzerConfig& config, std::string_view text, std::string& error);

// A stream report as one line of zvsim --stats: "stream link=1 measurement=1 generated=N
// sent=N left-out=N gaps=N unsent=N crc32=XXXXXXXX end=link-ended", and back; nullopt when
// the line is not one.
std::string streamReportText(const StreamReport& report);
std::optional<StreamReport> parseStreamReport(std::string_view line);

// "AN-2400" with "EX-NB3BP" -> 73763; 0 when no supported board matches.
BoardType boardFromNames(std::string_view model, std::string_view exBoard);

// A configuration file of several parts: "[name]" headers, each followed by its "key = value"
// lines ('#' starts a comment). Line numbers are kept for the error texts.
struct ConfigEntry {
    std::string key;
    std::string value;
    int line = 0;
};
struct ConfigSection {
    std::string name;
    int line = 0;  // of the header
    std::vector<ConfigEntry> entries;
};

// Splits the text into its sections. A setting before the first header, a header without its
// closing bracket or a line without '=' is an error that names the line.
bool parseSections(std::string_view text, std::vector<ConfigSection>& sections, std::string& error);

// The settings of one analyzer's section: every key of applySetting, plus "model" and
// "exboard" as names ("AN-1400"; the option board may be left out when the model comes with
// one only). A relative replay or key-log file is taken from baseDir. The error names the line; on
// failure config is unchanged.
bool applySection(AnalyzerConfig& config, const ConfigSection& section, const std::string& baseDir,
                  std::string& error);

}  // namespace zv::emu
