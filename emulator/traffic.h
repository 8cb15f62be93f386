// The analyzer's bus traffic: a deterministic generator of capture records (32 bytes each)
// that follows the stored setup: CAN or LIN per channel, frame timing from the bit rates, LIN
// lengths and checksums from the identifier table, occasional LIN errors of every kind,
// overrun markers, trigger marks, digital and analog inputs on boards that have them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/device_setup.h"

namespace zv::emu {

constexpr size_t kRecordSize = 32;
constexpr uint32_t kTicksPerSecond = 5000;  // time stamps count 0.2 ms steps

// A frame of a recorded log, replayed instead of generated traffic.
struct ReplayFrame {
    uint64_t tick = 0;      // 0.2 ms steps after the first frame of the log
    uint8_t channel = 0;    // 0 or 1
    bool lin = false;       // a LIN frame: id 0-63, dlc data bytes, then the checksum if any
    bool extended = false;
    bool remote = false;
    uint8_t dlc = 0;
    uint32_t id = 0;
    uint8_t data[8] = {};
    bool hasChecksum = false;
    uint8_t checksum = 0;
};

// Reads a log for the replay: ASC (.asc), BLF (.blf) or, for any other name, a candump log,
// through the readers of src/formats. Each frame keeps the log's own time, relative to the
// first frame and rounded to the 0.2 ms step. Channels: log channel 1 is channel 1, 2 is 2,
// and further channels alternate (3 is 1, 4 is 2; candump: can0 is 1, can1 is 2, odd interface
// numbers 2). CAN FD and error frames are left out; false when no frame was found.
bool loadReplayLog(const std::string& path, std::vector<ReplayFrame>& frames, std::string& error);
// The same for a candump log held in memory.
bool parseCandump(std::string_view text, std::vector<ReplayFrame>& frames, std::string& error);

struct TrafficConfig {
    uint64_t seed = 1;
    uint32_t busLoadPercent = 30;      // share of bus time each channel is busy
    uint32_t identifiers = 8;          // distinct identifiers per CAN channel
    uint32_t extendedPercent = 25;     // CAN frames with 29-bit identifiers
    uint32_t remotePercent = 3;
    uint32_t linErrorPermille = 30;    // LIN frames with an error
    uint32_t overrunEvery = 5000;      // an overrun marker after this many records (0 = never)
    uint32_t triggerEvery = 1000;      // a trigger mark on every n-th record (0 = never)
    // Records per second over both channels regardless of the bit rates (0 = follow the bus
    // timing). For load tests of the monitor path.
    uint32_t fixedRate = 0;
    // Frames of a recorded log, replayed over and over in place of the generated traffic.
    std::shared_ptr<const std::vector<ReplayFrame>> replay;
};

// A time stamp for t 0.2 ms steps after the start of an hour: minutes, seconds, hundredths,
// and the fraction of the hundredth.
uint32_t timeStamp(uint64_t stepsIntoHour);
// LIN protected identifier and checksum (classic over the data, enhanced from the PID on).
uint8_t linProtectedId(uint8_t id);
uint8_t linChecksum(uint8_t pid, const uint8_t* data, size_t n, bool enhanced);

class TrafficGenerator {
public:
    // startStepsIntoHour: the analyzer clock at the start of the measurement, in 0.2 ms steps
    // since the full hour.
    TrafficGenerator(const SetupPlan& plan, const TrafficConfig& config, uint64_t startStepsIntoHour);

    // Appends the records of every frame that starts before `tick` (0.2 ms steps since the
    // start of the measurement), in time order.
    void generateUntil(uint64_t tick, std::vector<uint8_t>& out);
    uint64_t recordsMade() const { return records_; }

private:
    struct Channel {
        ChannelPlan plan;
        std::vector<uint32_t> ids;       // CAN: identifier word as stored; LIN: identifier 0..63
        std::vector<uint8_t> dlc;
        std::vector<uint32_t> counters;
        double next = 0;                 // tick of the next frame
        size_t slot = 0;                 // LIN schedule position
    };

    uint64_t random();
    double frameTicks(const Channel& c, size_t bits) const;
    void makeCan(Channel& c, int channel, uint64_t tick, uint8_t* r);
    void makeLin(Channel& c, int channel, uint64_t tick, uint8_t* r);
    void stampCommon(uint64_t tick, uint8_t* r);
    void generateReplay(uint64_t tick, std::vector<uint8_t>& out);

    SetupPlan plan_;
    TrafficConfig config_;
    uint64_t start_;
    uint64_t state_;
    Channel channels_[2];
    uint64_t records_ = 0;
    uint64_t sinceOverrun_ = 0;
    double fixedStep_ = 0;
    size_t replayAt_ = 0;
    uint64_t replayBase_ = 0;  // tick at which the current pass through the log started
};

}  // namespace zv::emu
