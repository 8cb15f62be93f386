// The analyzer's own copy of its setup areas, kept in its board's layout, and what its traffic
// and its screens read from them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/board_type.h"
#include "base/result.h"
#include "setup/data_info.h"
#include "setup/setup_areas.h"

namespace zv::emu {

enum class ChannelProtocol : uint8_t { Can, Lin };

// What the traffic of one channel follows.
struct ChannelPlan {
    ChannelProtocol protocol = ChannelProtocol::Can;
    uint32_t bitRate = 125000;        // bit/s
    bool useIdTable = false;
    uint8_t checksumType = 0;         // channel-wide LIN checksum when the id table is not used
    std::array<uint8_t, 64> linLength{};    // per LIN identifier (id table or identifier class)
    std::array<uint8_t, 64> linChecksum{};  // 0 classic, 1 enhanced
};

struct SetupPlan {
    BoardType boardType = 0;
    bool canOnly = false;
    bool analogInputs = false;
    std::array<ChannelPlan, 2> channels;
};

class DeviceSetup {
public:
    explicit DeviceSetup(BoardType boardType);

    BoardType boardType() const { return boardType_; }
    bool canOnly() const { return canOnly_; }

    // The wrapper the analyzer answers a receive of area 0x2000, 0x6000 or 0x6100 with;
    // empty for an area this board does not have.
    std::vector<uint8_t> wrapper(uint32_t area) const;
    // Accepts a sent wrapper: the tag and size of this board's area, and content that parses.
    // Anything else is refused (0x80070057) and changes nothing.
    Result accept(uint32_t area, const uint8_t* data, size_t size);

    SetupPlan plan() const;
    // The data-information block as the analyzer delivers it (block version 32, the setup's
    // records copied in), in this board's form (812 or 204 bytes).
    DataInfoBlock dataInfo() const;

private:
    BoardType boardType_;
    bool canOnly_;
    SetupImage image_;
    SetupImageCanOnly canOnlyImage_;
    CanTransmitTables canTables_;
    LinTransmitTables linTables_;
};

// Bit rate of a CanChannel record (32 bytes, wire form) in bit/s.
uint32_t canBitRate(const uint8_t* canChannel);

}  // namespace zv::emu
