// The setup editor's page table: the tree items in display order with their depth, whether
// they start expanded, and which page template serves each one. Some items choose their page
// when they are selected: the transmit entries by the transmit channel's protocol, the clock
// by the connection, the board-specific item by the board type.
#pragma once

#include <cstdint>
#include <span>

#include "base/board_type.h"

namespace zv {

struct SetupPageItem {
    uint32_t levelWord;  // depth 1..3 in the low 16 bits, kItemExpanded for an expanded item
    uint32_t key;        // also the caption's string number
};
constexpr uint32_t kItemExpanded = 0x10000;
inline int itemDepth(const SetupPageItem& item) { return static_cast<int>(item.levelWord & 0xFFFF); }
inline bool itemExpanded(const SetupPageItem& item) { return (item.levelWord & kItemExpanded) != 0; }

// The items in display order, without the closing entry.
std::span<const SetupPageItem> setupPageItems();

// Keys with a meaning of their own.
constexpr uint32_t kKeyOperationMode = 10001;
constexpr uint32_t kKeyProtocols = 10002;
constexpr uint32_t kKeyChannels = 10004;  // heading only
constexpr uint32_t kKeyConditionFirst = 10009, kKeyConditionLast = 10012;
constexpr uint32_t kKeyTransmitOverview = 10023;
constexpr uint32_t kKeyTransmitFirst = 10024, kKeyTransmitLast = 10039;
constexpr uint32_t kKeyClock = 10021;
constexpr uint32_t kKeyBoard = 10022;
constexpr uint32_t kKeyChannel1 = 10040, kKeyChannel2 = 10041;

inline bool isTransmitEntryKey(uint32_t key) { return key >= kKeyTransmitFirst && key <= kKeyTransmitLast; }
// The transmit table index 0..15 of a transmit entry key; 0 for any other key.
inline int transmitIndexOfKey(uint32_t key) {
    return isTransmitEntryKey(key) ? static_cast<int>(key - kKeyTransmitFirst) : 0;
}

// What decides the page of the items that choose theirs.
struct PageChoice {
    bool linTransmit = false;  // the transmit channel's protocol is LIN
    bool connected = false;
    BoardType boardType = 0;
};

// The template of the page that serves KEY now, with its creation parameter (the channel of
// the channel pages); template 0 for an item without a page (a heading).
struct PageTemplate {
    int templateId = 0;
    int parameter = 0;
    bool operator==(const PageTemplate&) const = default;
};
PageTemplate pageTemplateFor(uint32_t key, const PageChoice& choice);

// Every template any item may show under some choice, once each, with its parameter, in
// table order: the pages the frame creates when it opens.
std::span<const PageTemplate> allPageTemplates();

}  // namespace zv
