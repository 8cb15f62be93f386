#include "setup/setup_areas.h"

#include <cstring>

namespace zv {
namespace {

template <typename Area>
size_t parseArea(Area& area, const uint8_t* input, size_t available, BoardType boardType) {
    return setup::parseRecord(Area::def(), area.data(), input, available, {boardType});
}

// Wrapper rules: tag, length within the input, and for table sets a length that holds a full set.
template <typename Area>
size_t parseWrapper(uint32_t tag, Area& area, const uint8_t* input, size_t available, BoardType boardType,
                    uint64_t minimumLength) {
    if (available < kWrapperHeaderSize || getU32(input, 0) != tag) return 0;
    const uint64_t length = getU32(input, 4);
    if (available < length + kWrapperHeaderSize || length < minimumLength) return 0;
    const size_t used = parseArea(area, input + kWrapperHeaderSize, available - kWrapperHeaderSize, boardType);
    return used == 0 ? 0 : used + kWrapperHeaderSize;
}

template <typename Image>
size_t parseImageWrapper(Image& image, const uint8_t* input, size_t available, BoardType boardType) {
    // The length must cover the image's own declared size.
    if (available < kWrapperHeaderSize + 4) return 0;
    return parseWrapper(kTagSetup, image, input, available, boardType, getU32(input, 8));
}

}  // namespace

size_t parseSetupImage(SetupImage& image, const uint8_t* input, size_t available, BoardType boardType) {
    return parseArea(image, input, available, boardType);
}
size_t parseSetupImageCanOnly(SetupImageCanOnly& image, const uint8_t* input, size_t available,
                              BoardType boardType) {
    return parseArea(image, input, available, boardType);
}
size_t parseCanTransmitTables(CanTransmitTables& tables, const uint8_t* input, size_t available,
                              BoardType boardType) {
    return parseArea(tables, input, available, boardType);
}
size_t parseLinTransmitTables(LinTransmitTables& tables, const uint8_t* input, size_t available,
                              BoardType boardType) {
    return parseArea(tables, input, available, boardType);
}

size_t parseSetupWrapper(SetupImage& image, const uint8_t* input, size_t available, BoardType boardType) {
    return parseImageWrapper(image, input, available, boardType);
}
size_t parseSetupWrapper(SetupImageCanOnly& image, const uint8_t* input, size_t available,
                         BoardType boardType) {
    return parseImageWrapper(image, input, available, boardType);
}
size_t parseCanTablesWrapper(CanTransmitTables& tables, const uint8_t* input, size_t available,
                             BoardType boardType) {
    return parseWrapper(kTagCanTables, tables, input, available, boardType, CanTransmitTables::kSize);
}
size_t parseLinTablesWrapper(LinTransmitTables& tables, const uint8_t* input, size_t available,
                             BoardType boardType) {
    return parseWrapper(kTagLinTables, tables, input, available, boardType, LinTransmitTables::kSize);
}

// ---- CAN-only mapping ----------------------------------------------------------------------

namespace {

// One shared field: where it lies in the dual-protocol image and in the CAN-only image.
struct MappedRange {
    uint16_t dual;
    uint16_t canOnly;
    uint16_t length;
};

// Every range keeps each record's own size field out of the copy where the two layouts give the
// record different sizes (condition patterns 124/120, AuxRecord136 136/124): the CAN-only image
// must keep declaring its own sizes or it would fail its own parse.
constexpr MappedRange kShared[] = {
    {4, 4, 8},          // SetupIdent
    {16, 16, 2},        // ChannelSettings header bytes 4..5 -> CAN channel block
    {28, 28, 64},       // CanChannel 1 and 2
    {676, 92, 16},      // ModeBlocks
    {696, 112, 4},      // ConditionBlock header bytes 4..7
    {704, 120, 4},      // ConditionEntry 1: flag and header bytes
    {712, 128, 116},    //   ConditionPattern bytes 4..119
    {832, 244, 24},     //   ConditionTail
    {860, 272, 4},      // ConditionEntry 2
    {868, 280, 116},
    {988, 396, 24},
    {1016, 424, 4},     // ConditionEntry 3
    {1024, 432, 116},
    {1144, 548, 24},
    {1172, 576, 4},     // ConditionEntry 4
    {1180, 584, 116},
    {1300, 700, 24},
    {1324, 724, 24},    // ConditionParam12 1 and 2
    {1348, 748, 16},    // ConditionParam8 1 and 2
    {1364, 764, 4},     // EmptyRecord after the ConditionBlock
    {1368, 768, 24},    // ProtocolBlock with ProtocolSelection
    {1392, 792, 16},    // AuxRecord16A
    {1416, 812, 16},    // AuxRecord16B
    {1436, 832, 120},   // AuxRecord136 bytes 4..123
    {1568, 952, 4},     // EmptyRecord
    {1572, 956, 20},    // IdentText
    {1592, 976, 40},    // MiscSettings
    {1632, 1016, 32},   // AuxRecord32
};

constexpr uint8_t kCanOnlyAux16BOrder[12] = {0, 2, 3, 5, 1, 4, 6, 7, 8, 9, 10, 11};

}  // namespace

void exportToCanOnly(const SetupImage& image, SetupImageCanOnly& canOnly) {
    for (const MappedRange& r : kShared)
        std::memcpy(canOnly.data() + r.canOnly, image.data() + r.dual, r.length);
    canOnly.bytes[9] = 7;   // layoutCode: CAN-only
    canOnly.bytes[19] = 1;  // the CAN channel block holds one child
    std::memcpy(canOnly.data() + 816, kCanOnlyAux16BOrder, sizeof kCanOnlyAux16BOrder);
}

void importFromCanOnly(const SetupImageCanOnly& canOnly, SetupImage& image) {
    for (const MappedRange& r : kShared)
        std::memcpy(image.data() + r.dual, canOnly.data() + r.canOnly, r.length);
}

}  // namespace zv
