// The emulator's text inputs: configuration lines and sections and fault options (zvsim
// --config, --fault, zvlkrmt.ini) and candump logs (--replay; the readers of every log format
// have fuzz targets of their own). Files are not opened here: a "replay" line would name one,
// so that key is left out.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/config.h"
#include "emulator/traffic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::vector<zv::emu::ReplayFrame> frames;
    std::string error;
    if (zv::emu::parseCandump(text, frames, error)) {
        uint64_t previous = 0;
        for (const auto& f : frames) {
            if (f.dlc > 15 || f.channel > 1 || f.tick < previous) std::abort();  // DLC 9-15: eight bytes
            if (f.id > (f.extended ? 0x1FFFFFFFu : 0x7FFu)) std::abort();
            previous = f.tick;
        }
    }

    if (text.find("replay") == std::string::npos) {
        zv::emu::AnalyzerConfig config;
        zv::emu::loadConfigText(config, text, error);
        if (config.traffic.busLoadPercent < 1 || config.traffic.busLoadPercent > 100) std::abort();
        if (config.serial.empty() || config.serial.size() >= 16) std::abort();

        // The same settings in sections, as the remote library's zvlkrmt.ini holds them.
        std::vector<zv::emu::ConfigSection> sections;
        if (zv::emu::parseSections(text, sections, error)) {
            for (const auto& section : sections) {
                zv::emu::AnalyzerConfig c;
                if (zv::emu::applySection(c, section, {}, error) && (c.serial.empty() || c.serial.size() >= 16))
                    std::abort();
            }
        }
    }
    zv::emu::FaultConfig faults;
    zv::emu::parseFault(faults, text, error);
    return 0;
}
