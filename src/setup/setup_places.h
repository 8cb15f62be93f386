// Where the records the setup pages edit lie in the working copies. Fields inside a record are
// read and written at their offsets with the helpers of base/bytes.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "setup/setup_areas.h"

namespace zv::places {

// Records of the SetupImage.
constexpr size_t kSetupIdent = 4;
constexpr size_t kCanChannel[2] = {28, 60};
constexpr size_t kLinChannel[2] = {100, 388};
constexpr size_t kConditionBlock = 692;
constexpr size_t kConditionEntry[4] = {700, 856, 1012, 1168};
constexpr size_t kConditionParam12[2] = {1324, 1336};
constexpr size_t kConditionParam8[2] = {1348, 1356};
constexpr size_t kProtocolSelection = 1376;
constexpr size_t kAuxRecord16A = 1392;
constexpr size_t kMiscSettings = 1592;
constexpr size_t kAuxRecord32 = 1632;
constexpr size_t kLinSchedule = 1664;

// Inside a ConditionEntry.
constexpr size_t kEntryFlag = 4;
constexpr size_t kConditionPattern = 8;
constexpr size_t kConditionTail = 132;
constexpr size_t kLinScheduleSlots = 21, kLinScheduleSlotSize = 8;

// Fields of those records.
constexpr size_t kOperationMode = 4;      // SetupIdent
constexpr size_t kChannelProtocol[2] = {4, 5};  // ProtocolSelection
constexpr size_t kTransmitChannel = 12;   // ProtocolSelection

constexpr size_t kTransmitEntryCount = 16;
constexpr size_t kCanEntrySize = 440, kLinEntrySize = 432;
constexpr size_t kCanVariation = 32, kLinVariation = 24;  // VariationRecord in an entry

inline uint8_t* canChannel(SetupImage& image, int channel) { return image.data() + kCanChannel[channel & 1]; }
inline uint8_t* linChannel(SetupImage& image, int channel) { return image.data() + kLinChannel[channel & 1]; }
inline uint8_t* protocolSelection(SetupImage& image) { return image.data() + kProtocolSelection; }
inline uint8_t* miscSettings(SetupImage& image) { return image.data() + kMiscSettings; }
inline uint8_t* setupIdent(SetupImage& image) { return image.data() + kSetupIdent; }
inline uint8_t* conditionEntry(SetupImage& image, int entry) { return image.data() + kConditionEntry[entry & 3]; }
inline uint8_t* auxRecord16A(SetupImage& image) { return image.data() + kAuxRecord16A; }
inline uint8_t* auxRecord32(SetupImage& image) { return image.data() + kAuxRecord32; }
inline uint8_t* linSchedule(SetupImage& image) { return image.data() + kLinSchedule; }
inline uint8_t* canEntry(CanTransmitTables& tables, int index) {
    return tables.data() + 8 + kCanEntrySize * (static_cast<size_t>(index) % kTransmitEntryCount);
}
inline uint8_t* linEntry(LinTransmitTables& tables, int index) {
    return tables.data() + 8 + kLinEntrySize * (static_cast<size_t>(index) % kTransmitEntryCount);
}

// The channel (0 or 1) whose protocol decides whether the transmit tables are CAN or LIN, and
// whether that protocol is LIN (only the value 2 is).
inline int transmitChannel(SetupImage& image) { return protocolSelection(image)[kTransmitChannel] != 0 ? 1 : 0; }
inline bool transmitIsLin(SetupImage& image) {
    return protocolSelection(image)[kChannelProtocol[transmitChannel(image)]] == 2;
}

}  // namespace zv::places
