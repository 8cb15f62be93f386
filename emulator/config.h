// Emulator settings from text: the lines of a configuration file ("key = value", '#' starts a
// comment) and the fault options of zvsim's --fault option.
#pragma once

#include <string>
#include <string_view>

#include "emulator/analyzer.h"

namespace zv::emu {

// "refuse=0xA0000004", "stall=connect", "stall=requests", "drop=upload:65536",
// "drop=monitor:100000", "drop=setup", "skip-monitor=10", "type=65538".
bool parseFault(FaultConfig& faults, std::string_view text, std::string& error);

// One setting: board, serial, firmware, device-value, seed, bus-load, identifiers,
// extended-percent, remote-percent, lin-error-permille, overrun-every, trigger-every,
// fixed-rate, monitor-ready, stop-end-reason, stop-when-full, throttle, fault, replay (a
// candump log file).
bool applySetting(AnalyzerConfig& config, std::string_view key, std::string_view value, std::string& error);

// A whole configuration text; the error names the line.
bool loadConfigText(AnalyzerConfig& config, std::string_view text, std::string& error);

// "AN-2400" with "EX-NB3BP" -> 73763; 0 when no supported board matches.
BoardType boardFromNames(std::string_view model, std::string_view exBoard);

}  // namespace zv::emu
