// The data-information block ("DINF"): the setup summary that data files carry in their
// header. Two forms: 812 bytes for dual-protocol boards, 204 bytes for EX-NB2A boards.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/board_type.h"
#include "base/bytes.h"

namespace zv {

constexpr uint32_t kTagDataInfo = fourCC("DINF");
constexpr uint32_t kDataInfoSizeDual = 812;
constexpr uint32_t kDataInfoSizeCanOnly = 204;

struct DataInfoBlock {
    std::array<uint8_t, kDataInfoSizeDual> bytes{};

    uint8_t* data() { return bytes.data(); }
    const uint8_t* data() const { return bytes.data(); }
    // 812 or 204: the form this block is in (its own first word).
    uint32_t size() const { return getU32(bytes.data(), 0); }

    // Field access for the 812-byte form, which is also the form of a data file's summary.
    uint8_t version() const { return bytes[10]; }
    uint8_t operationMode() const { return bytes[16]; }
    uint8_t layoutCode() const { return bytes[17]; }
    uint8_t analogInputs() const { return bytes[26]; }
    // channel is 0 or 1. Records in wire form (CanChannel 32 bytes, LinChannel 288 bytes).
    const uint8_t* canChannel(int channel) const { return bytes.data() + (channel ? 72 : 40); }
    const uint8_t* linChannel(int channel) const { return bytes.data() + (channel ? 400 : 112); }
    uint8_t channelProtocol(int channel) const { return bytes[channel ? 709 : 708]; }
    uint8_t transmitChannel() const { return bytes[716]; }
    bool operator==(const DataInfoBlock&) const = default;
};

// The block the PC writes when it has no copy from the analyzer: block version 0, a SetupIdent
// as initialised on its own, BoardFeatures from the board type, default condition records.
// 204-byte form for EX-NB2A boards, 812-byte form otherwise.
DataInfoBlock composeDataInfoBlock(BoardType boardType);

// The block a data file of the PC carries until the analyzer's own arrives (or when it never
// does): the composed block, but with the identity every data-file reader takes (operation
// mode 0, the family's channel layout with its records sized and their values unknown, the
// mode records of mode 0), so that the file names the board type's option board and analog
// inputs. The composed block's SetupIdent (255, 255) makes readers reject the whole block.
DataInfoBlock composeStandInDataInfoBlock(BoardType boardType);

// Parses an analyzer's block into the PC's copy, in the form the copy already has (its size
// word): the copy is reset to the composed defaults, then filled by the record rules. The
// channel records follow when the SetupIdent copy names the matching layout, the protocol
// selection for block versions 32 and 33. A leading "DINF" tag and length are skipped.
// Returns the bytes consumed, 0 on failure.
size_t parseDataInfoBlock(DataInfoBlock& copy, const uint8_t* input, size_t available, BoardType boardType);

// The summary a data-file reader starts from: zero, with only the record sizes set.
DataInfoBlock dataFileSummaryDefaults();

// Validates a data file's block (either form) and merges it into an 812-byte summary. Rejects
// an operationMode other than 0 or 4 and a layoutCode other than 9 or 7; takes the protocol
// selection only for block version 32. What was merged before a rejection stays.
bool mergeDataInfoBlock(DataInfoBlock& summary, const uint8_t* input, size_t available);

}  // namespace zv
