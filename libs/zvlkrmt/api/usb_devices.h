// The library's USB analyzers. There is no driver for an emulated analyzer, so the library
// brings its own: emulated analyzers in the same process, listed by ZVEnumUSBDevicesEx and
// reached by their serial numbers. By default one AN-2400 + EX-NB3BP, serial number
// "30808001"; the configuration file beside the library adds more and sets the library's time
// limits:
//
//   [library]
//   answer-timeout = 5000      # ms of silence from an analyzer before a request times out
//   keep-alive = 1000          # ms between keep-alive pings
//
//   [analyzer]
//   serial = 30808002
//   model = AN-1400            # or exboard = ..., or board = CODE
//   fault = refuse=0xA0000004  # and every other emulator setting
//
// An analyzer is created when it is first connected and then keeps its state (setup, capture
// memory, clock) for as long as the device list lives.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/board_type.h"
#include "base/result.h"
#include "emulator/analyzer.h"

namespace zv::remote_api {

struct LibrarySettings {
    int answerTimeoutMs = 5000;
    int keepAliveMs = 1000;
};

// The device kind an analyzer is listed with: its board code without the option-board digit
// (73763 AN-2400 + EX-NB3BP -> 73731, 73762 -> 73730, 65555 -> 65539).
constexpr int32_t usbKindOf(BoardType board) { return static_cast<int32_t>(board & ~0xF0u); }

class UsbDevices {
public:
    UsbDevices();  // the default analyzer only
    ~UsbDevices();
    UsbDevices(const UsbDevices&) = delete;
    UsbDevices& operator=(const UsbDevices&) = delete;

    // Takes a configuration text: [analyzer] sections add analyzers (one with the serial
    // number of the default analyzer replaces it), [library] sets the time limits. A relative
    // replay file is taken from baseDir. On an error, which names the line, nothing of the
    // text is taken.
    bool load(std::string_view text, const std::string& baseDir, std::string& error);
    // The same from a file; a file that does not exist is no error (the defaults stay).
    bool loadFile(const std::string& path, std::string& error);

    struct Listed {
        int32_t kind;
        std::string serial;
    };
    std::vector<Listed> list() const;
    // The analyzer with this serial number, created on first use; null for an unknown one.
    std::shared_ptr<emu::Analyzer> open(std::string_view serial);
    // The bytes per second the analyzer's link is throttled to (0: unthrottled or unknown).
    uint64_t lineSpeed(std::string_view serial) const;
    LibrarySettings settings() const;

private:
    struct Device {
        emu::AnalyzerConfig config;
        std::shared_ptr<emu::Analyzer> analyzer;
    };

    mutable std::mutex mutex_;
    std::vector<Device> devices_;
    LibrarySettings settings_;
};

}  // namespace zv::remote_api
