// Import of other tools' logs (ASC, BLF, candump) as data files: the frames of two of the
// log's channels become capture records of channels 1 and 2, stamped as the analyzer stamps
// them, in a data file of the dual-protocol (CAN/LIN) form whose data-information block states
// the channels' protocols and bit rates. docs/formats.md shows the mapping by example.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture_record.h"
#include "formats/log_reader.h"
#include "setup/data_info.h"

namespace zv {

struct ImportSettings {
    // Log channel -> data-file channel (1 or 2). Default: 1 -> 1, 2 -> 2.
    std::map<uint32_t, int> channels{{1, 1}, {2, 2}};
    // Bit rates of data-file channels 1 and 2 in 0.1 bit/s (0: the default of the block).
    std::array<uint32_t, 2> bitRates{};
};

// "3=1,4=2": log channels to data-file channels; nullopt when malformed.
std::optional<std::map<uint32_t, int>> parseChannelMap(std::string_view text);
// "1=500k,2=125k": bit rates of data-file channels in 0.1 bit/s ("500k", "83.3k", "1M",
// "19200"); nullopt when malformed.
std::optional<std::array<uint32_t, 2>> parseBitRates(std::string_view text);

// The times of a log's items in 0.2 ms steps after the first item, rounded to the nearest
// step. An item earlier than the one before it takes that one's time (the records of a data
// file follow one another in time), and is counted.
class LogTicks {
public:
    uint64_t next(uint64_t timeNs);
    uint64_t firstNs() const { return first_; }
    uint64_t backwards() const { return backwards_; }

private:
    bool started_ = false;
    uint64_t first_ = 0;
    uint64_t last_ = 0;
    uint64_t backwards_ = 0;
};

// 0.2 ms steps since the full hour at the log's first item: the first record's stamp.
uint64_t importStartTicks(const LogReader& reader, uint64_t firstItemNs);

struct ImportCounts {
    uint64_t records = 0;                        // written
    uint64_t canRecords[2] = {};                 // per data-file channel
    uint64_t linRecords[2] = {};
    std::map<uint32_t, uint64_t> unmapped;       // log channel -> frames left out
    uint64_t canFd = 0;                          // CAN FD frames left out
    uint64_t errorFrames = 0;                    // error frames left out
    uint64_t full = 0;                           // frames past what a data file can count
    uint64_t backwards = 0;                      // frames stamped later than the log says
};

// The data-information block of an imported file: dual-protocol form with both channel groups,
// channel 1 and 2 as CAN unless only LIN frames went there, the bit rates given (CAN: a preset
// when one matches, else a bit timing that gives the rate; LIN: the rate itself).
DataInfoBlock importDataInfo(const ImportSettings& settings, const ImportCounts& counts);

// The CAN bit timing for a rate in 0.1 bit/s: code, base frequency, pts, pbs1, pbs2, sjw into a
// CanChannel record. False when no timing the analyzer can set gives the rate.
bool setCanBitRate(uint8_t* canChannel, uint32_t tenthsBitPerSecond);

enum class ImportResult : uint8_t {
    Completed,
    NotALog,       // not one line or object of the format
    ReadFailed,    // the input could not be read to its end
    WriteFailed,   // the output could not be created or written; nothing is left of it
};

struct ImportOutcome {
    ImportResult result = ImportResult::Completed;
    std::string leftBehind;  // a temporary file that could not be removed, to be named
};

// Reads every item of the log and writes the data file `output`: first under a temporary name
// beside it (output + "~import"), renamed to `output` once complete, so that an import that
// fails leaves no output behind. An existing output is replaced only by a complete one.
ImportOutcome importLog(LogReader& reader, LogInput& input, const ImportSettings& settings, const std::string& output,
                        ImportCounts& counts);

// The lines for standard error on what was left out, or "" when nothing was.
std::string importLeftOutText(const ImportCounts& counts);

}  // namespace zv
