// The three setup areas in wire form, the CAN-only image, and the wrappers they travel in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/board_type.h"
#include "base/bytes.h"
#include "setup/record_schema.h"

namespace zv {

// Area codes towards the analyzer.
constexpr uint32_t kAreaSetupImage = 0x2000;
constexpr uint32_t kAreaCanTransmitTables = 0x6000;
constexpr uint32_t kAreaLinTransmitTables = 0x6100;

constexpr uint32_t kTagSetup = fourCC("STUP");
constexpr uint32_t kTagCanTables = fourCC("STBC");
constexpr uint32_t kTagLinTables = fourCC("STBL");
constexpr size_t kWrapperHeaderSize = 8;

// A setup area held byte for byte as it travels; fields are read at their offsets.
template <const setup::RecordDef& Def, size_t Size>
struct WireRecord {
    static constexpr size_t kSize = Size;
    static const setup::RecordDef& def() { return Def; }
    std::array<uint8_t, Size> bytes{};

    uint8_t* data() { return bytes.data(); }
    const uint8_t* data() const { return bytes.data(); }
    void initDefaults(BoardType boardType) { setup::initRecord(Def, bytes.data(), {boardType}); }
    bool operator==(const WireRecord&) const = default;
};

struct SetupImage : WireRecord<setup::kSetupImage, 1816> {};
struct SetupImageCanOnly : WireRecord<setup::kSetupImageCanOnly, 1048> {};
struct CanTransmitTables : WireRecord<setup::kCanTransmitTables, 7048> {};
struct LinTransmitTables : WireRecord<setup::kLinTransmitTables, 6920> {};

// The PC's working setup: one copy of each area, plus the CAN-only image that EX-NB2A boards
// speak (produced from and read back into the working SetupImage by the mapping).
struct SetupWorkspace {
    SetupImage image;
    SetupImageCanOnly canOnlyImage;
    CanTransmitTables canTables;
    LinTransmitTables linTables;

    void initDefaults(BoardType boardType) {
        image.initDefaults(boardType);
        canOnlyImage.initDefaults(boardType);
        canTables.initDefaults(boardType);
        linTables.initDefaults(boardType);
    }
};

// Parses an image (after the caller initialised it) or a table set. Returns bytes consumed, 0 on failure.
size_t parseSetupImage(SetupImage& image, const uint8_t* input, size_t available, BoardType boardType);
size_t parseSetupImageCanOnly(SetupImageCanOnly& image, const uint8_t* input, size_t available,
                              BoardType boardType);
size_t parseCanTransmitTables(CanTransmitTables& tables, const uint8_t* input, size_t available,
                              BoardType boardType);
size_t parseLinTransmitTables(LinTransmitTables& tables, const uint8_t* input, size_t available,
                              BoardType boardType);

// Wrapper parses: tag, length, content. Return the consumed size including the 8 wrapper bytes.
size_t parseSetupWrapper(SetupImage& image, const uint8_t* input, size_t available, BoardType boardType);
size_t parseSetupWrapper(SetupImageCanOnly& image, const uint8_t* input, size_t available,
                         BoardType boardType);
size_t parseCanTablesWrapper(CanTransmitTables& tables, const uint8_t* input, size_t available,
                             BoardType boardType);
size_t parseLinTablesWrapper(LinTransmitTables& tables, const uint8_t* input, size_t available,
                             BoardType boardType);

// Writes tag, length and content at out; returns the bytes written (content size + 8).
template <typename Area>
size_t composeWrapper(uint32_t tag, const Area& area, uint8_t* out) {
    putU32(out, 0, tag);
    putU32(out, 4, static_cast<uint32_t>(Area::kSize));
    std::copy(area.bytes.begin(), area.bytes.end(), out + kWrapperHeaderSize);
    return Area::kSize + kWrapperHeaderSize;
}

// The CAN-only mapping for EX-NB2A boards. Export copies every record both layouts share from
// the working image into the CAN-only image (before each send and save); import copies them
// back (after a receive or load). LIN records, BoardFeatures and LinSchedule are not carried.
void exportToCanOnly(const SetupImage& image, SetupImageCanOnly& canOnly);
void importFromCanOnly(const SetupImageCanOnly& canOnly, SetupImage& image);

}  // namespace zv
