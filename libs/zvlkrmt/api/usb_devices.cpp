#include "zvlkrmt/api/usb_devices.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "emulator/config.h"

namespace zv::remote_api {
namespace {

bool milliseconds(const std::string& text, int lo, int hi, int& out) {
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool librarySection(LibrarySettings& settings, const emu::ConfigSection& section, std::string& error) {
    LibrarySettings s = settings;
    for (const emu::ConfigEntry& e : section.entries) {
        bool ok = false;
        if (e.key == "answer-timeout") ok = milliseconds(e.value, 100, 600000, s.answerTimeoutMs);
        else if (e.key == "keep-alive") ok = milliseconds(e.value, 10, 60000, s.keepAliveMs);
        else {
            error = "line " + std::to_string(e.line) + ": unknown setting '" + e.key + "'";
            return false;
        }
        if (!ok) {
            error = "line " + std::to_string(e.line) + ": bad value for " + e.key + ": '" + e.value + "'";
            return false;
        }
    }
    // A keep-alive that is not well inside the answer time-out lets an idle link time out.
    if (s.keepAliveMs * 2 > s.answerTimeoutMs) {
        error = "line " + std::to_string(section.line) + ": keep-alive must be at most half the answer-timeout";
        return false;
    }
    settings = s;
    return true;
}

}  // namespace

UsbDevices::UsbDevices() { devices_.push_back({emu::AnalyzerConfig{}, nullptr}); }

UsbDevices::~UsbDevices() = default;

bool UsbDevices::load(std::string_view text, const std::string& baseDir, std::string& error) {
    std::vector<emu::ConfigSection> sections;
    if (!emu::parseSections(text, sections, error)) return false;
    std::vector<emu::AnalyzerConfig> configs{emu::AnalyzerConfig{}};
    std::vector<int> fromFile{0};  // line of the section that gave each analyzer (0: default)
    LibrarySettings settings;
    for (const emu::ConfigSection& section : sections) {
        if (section.name == "library") {
            if (!librarySection(settings, section, error)) return false;
            continue;
        }
        if (section.name != "analyzer") {
            error = "line " + std::to_string(section.line) + ": unknown section [" + section.name + "]";
            return false;
        }
        emu::AnalyzerConfig config;
        if (!emu::applySection(config, section, baseDir, error)) return false;
        size_t i = 0;
        while (i < configs.size() && configs[i].serial != config.serial) ++i;
        if (i == configs.size()) {
            configs.push_back(std::move(config));
            fromFile.push_back(section.line);
        } else if (fromFile[i] == 0) {
            configs[i] = std::move(config);  // the default analyzer, configured
            fromFile[i] = section.line;
        } else {
            error = "line " + std::to_string(section.line) + ": serial number " + config.serial +
                    " is already used by the section of line " + std::to_string(fromFile[i]);
            return false;
        }
    }
    std::lock_guard lock(mutex_);
    devices_.clear();
    for (auto& c : configs) devices_.push_back({std::move(c), nullptr});
    settings_ = settings;
    return true;
}

bool UsbDevices::loadFile(const std::string& path, std::string& error) {
    if (path.empty()) return true;
    std::ifstream in(path, std::ios::binary);
    if (!in) return true;
    std::stringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = path + ": cannot be read";
        return false;
    }
    std::string base;
    if (const size_t slash = path.find_last_of("/\\"); slash != std::string::npos) base = path.substr(0, slash);
    if (!load(text.str(), base, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::vector<UsbDevices::Listed> UsbDevices::list() const {
    std::lock_guard lock(mutex_);
    std::vector<Listed> out;
    for (const Device& d : devices_) out.push_back({usbKindOf(d.config.boardType), d.config.serial});
    return out;
}

std::shared_ptr<emu::Analyzer> UsbDevices::open(std::string_view serial) {
    std::lock_guard lock(mutex_);
    for (Device& d : devices_) {
        if (d.config.serial != serial) continue;
        if (!d.analyzer) d.analyzer = std::make_shared<emu::Analyzer>(d.config);
        return d.analyzer;
    }
    return nullptr;
}

uint64_t UsbDevices::lineSpeed(std::string_view serial) const {
    std::lock_guard lock(mutex_);
    for (const Device& d : devices_) {
        if (d.config.serial == serial) return d.config.linkBytesPerSecond;
    }
    return 0;
}

LibrarySettings UsbDevices::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

}  // namespace zv::remote_api
