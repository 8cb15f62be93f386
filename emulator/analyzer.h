// One emulated analyzer: its setup areas, measurement, capture memory, clock and front panel,
// and the link to one PC at a time. Portable; used in process by the remote library (its USB
// devices) and behind the LAN adapter server of zvsim.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/board_type.h"
#include "base/result.h"
#include "emulator/capture_memory.h"
#include "emulator/device_setup.h"
#include "emulator/hostile.h"
#include "emulator/lcd.h"
#include "emulator/monitor_queue.h"
#include "emulator/traffic.h"
#include "zvlkrmt/transport/transport.h"

namespace zv::emu {

struct FaultConfig {
    enum class Stall : uint8_t { None, Connect, Requests, Monitor };
    enum class Drop : uint8_t { None, Upload, Monitor, Setup };

    Result refuseConnect = kOk;             // 0xA0000001, 0xA0000004 or 0xA0000009
    Result refuseMonitor = kOk;             // a measurement start from the PC completes with
                                            // this failure and starts nothing
    Stall stall = Stall::None;              // stop answering at the connect, after it, or ...
    uint64_t stallAfterBytes = 0;           // ... (Monitor) once this many bytes of monitor
                                            // records went over the link: from then on the
                                            // link carries nothing either way
    Drop drop = Drop::None;                 // end the link at this point ...
    uint64_t dropAfterBytes = 0;            // ... once this many bytes of it went over the
                                            // link (setup: of all setup areas, both ways; a
                                            // send ends at its request once they are reached)
    uint32_t skipMonitorEvery = 0;          // leave out every n-th monitor block (0 = none)
    std::optional<uint32_t> reportType;     // device type reported instead of the board's
    bool holdReceives = false;              // queue receives but start none until lifted
    HostileConfig hostile;                  // a hostile act on each link (from its next connect)
};

struct AnalyzerConfig {
    BoardType boardType = kDefaultBoardType;
    std::string serial = "30808001";
    std::string firmware = "2.10";
    uint32_t deviceValue = 0;          // the value reported with the device type
    TrafficConfig traffic;
    FaultConfig faults;
    bool monitorReady = true;          // measurement completions announce monitor data
    uint32_t stopEndReason = 0;        // end-reason code of a measurement stopped by the PC
    uint32_t keyStopEndReason = 1;     // ... stopped with the stop key on the analyzer
    bool stopWhenFull = false;         // end with reason 4 when the capture memory is full
    uint64_t linkBytesPerSecond = 0;   // throttling of the link (0 = unthrottled)
    std::string keyLog;                // every key value from the PC appended here ("" = none)
    int tickMs = 5;                    // traffic and monitor pace
};

// End-reason code of a measurement that filled the capture memory.
constexpr uint32_t kEndReasonMemoryFull = 4;

class Session;

class Analyzer {
public:
    explicit Analyzer(AnalyzerConfig config);
    ~Analyzer();
    Analyzer(const Analyzer&) = delete;
    Analyzer& operator=(const Analyzer&) = delete;

    // Serves a PC over the transport on threads of its own until the link ends. While one PC
    // is attached, a second one is refused with 0xA0000004 at its Hello.
    void attach(std::unique_ptr<remote::Transport> transport);
    bool attached() const;

    // The front panel and the analyzer's own view, for tests and tools.
    void pressKey(uint32_t value);
    Result startMeasurement();
    Result stopMeasurement(uint32_t endReason);
    bool measuring() const;
    uint32_t status() const;
    std::array<uint8_t, kLcdBytes> screen() const;
    Page page() const;
    Result setClock(const uint16_t dateTime[8]);
    void clock(uint16_t dateTime[8]) const;
    size_t captureBytes() const;
    uint64_t monitorBlocksSent() const { return monitorBlocks_; }
    const AnalyzerConfig& config() const { return config_; }
    BoardType boardType() const { return config_.boardType; }
    void setFaults(const FaultConfig& faults);
    FaultConfig faults() const;

    // Requests and connections are reported here (zvsim prints them).
    void setLog(std::function<void(const std::string&)> log);
    void log(const std::string& line) const;
    // Each monitor stream's account, on the thread that closed it (zvsim --stats).
    void setStreamReport(std::function<void(const StreamReport&)> report);
    void reportStream(const StreamReport& report) const;

    // Used by the session.
    std::vector<uint8_t> setupWrapper(uint32_t area) const;
    Result acceptSetup(uint32_t area, const uint8_t* data, size_t size);
    // The bytes of a receive of block `code`; kBadBlock for unknown codes.
    Result blockBytes(uint32_t code, std::vector<uint8_t>& out);
    uint32_t lastEndReason() const;

private:
    friend class Session;
    void engine();
    void finishMeasurementLocked(uint32_t endReason);
    // A key value of the PC as one line "0x%08X" at the end of the key log, the file opened
    // for each key so that another process may read it at any time.
    void appendToKeyLog(uint32_t value);
    void renderLocked(Screen& s) const;
    int64_t nowMsLocked() const;
    std::shared_ptr<Session> activeSession() const;

    AnalyzerConfig config_;
    mutable std::mutex mutex_;
    DeviceSetup setup_;
    CaptureMemory capture_;
    MenuUi menu_;
    std::unique_ptr<TrafficGenerator> generator_;
    bool measuring_ = false;
    uint32_t lastEndReason_ = 0;
    std::chrono::steady_clock::time_point measureStart_;
    uint16_t startClock_[8] = {};
    uint16_t endClock_[8] = {};
    int64_t clockBaseMs_ = 0;
    std::chrono::steady_clock::time_point clockAnchor_;
    std::vector<uint8_t> monitorPending_;  // records made but not yet streamed

    // Held while records move from the generator to the monitor stream, so that blocks leave
    // in order with consecutive positions. Taken before mutex_.
    std::mutex streamMutex_;
    uint16_t monitorPosition_ = 0;
    std::optional<UploadBlocks> upload_;   // the snapshot an upload delivers
    std::function<void(const std::string&)> log_;
    std::function<void(const StreamReport&)> streamReport_;
    uint64_t measurements_ = 0;
    uint64_t links_ = 0;  // under sessionMutex_
    std::mutex keyLogMutex_;

    mutable std::mutex sessionMutex_;
    std::shared_ptr<Session> session_;
    std::vector<std::shared_ptr<Session>> finished_;

    std::atomic<uint64_t> monitorBlocks_{0};
    std::atomic<bool> stop_{false};
    std::condition_variable wake_;
    std::thread engine_;
};

// Calendar helpers for the clock (date and time as year, month, day of week, day, hour,
// minute, second, milliseconds).
bool validDateTime(const uint16_t d[8]);
int64_t toEpochMs(const uint16_t d[8]);
void fromEpochMs(int64_t ms, uint16_t d[8]);

}  // namespace zv::emu
