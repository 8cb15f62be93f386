#include "setup/setup_page_table.h"

namespace zv {
namespace {

constexpr uint32_t kExpanded = kItemExpanded;

constexpr SetupPageItem kItems[] = {
    {1 | kExpanded, 10001}, {1 | kExpanded, 10002}, {1 | kExpanded, 10003}, {1 | kExpanded, 10004},
    {2 | kExpanded, 10040}, {2 | kExpanded, 10041}, {2 | kExpanded, 10008},
    {3 | kExpanded, 10009}, {3 | kExpanded, 10010}, {3 | kExpanded, 10011}, {3 | kExpanded, 10012},
    {3 | kExpanded, 10017},
    {1, 10023},
    {2, 10024}, {2, 10025}, {2, 10026}, {2, 10027}, {2, 10028}, {2, 10029}, {2, 10030}, {2, 10031},
    {2, 10032}, {2, 10033}, {2, 10034}, {2, 10035}, {2, 10036}, {2, 10037}, {2, 10038}, {2, 10039},
    {1, 10018}, {1, 10019}, {1, 10020}, {1, 10021}, {1, 10022},
};

// Page templates (the language library's dialog numbers).
constexpr int kOperationMode = 0x400, kProtocols = 0x3ea, kSettings = 0x411, kChannel = 0x43a;
constexpr int kConditions = 0x461, kConditionEntry = 0x46b, kConditionParams = 0x49d;
constexpr int kTransmitOverview = 0x5ea, kCanEntry = 0x5e6, kLinEntry = 0x5e7;
constexpr int kSignalPattern = 0x4a7, kTimer = 0x4b1, kRecording = 0x4c5;
constexpr int kClockOffline = 0x4de, kClockOnline = 0x4df;
constexpr int kBoard2A = 0x4ee, kBoard6100 = 0x4ed, kBoardOther = 0x5df;

constexpr PageTemplate kAllTemplates[] = {
    {kOperationMode, 0}, {kProtocols, 0}, {kSettings, 0}, {kChannel, 0}, {kChannel, 1},
    {kConditions, 0}, {kConditionEntry, 0}, {kConditionParams, 0}, {kTransmitOverview, 0},
    {kCanEntry, 0}, {kLinEntry, 0}, {kSignalPattern, 0}, {kTimer, 0}, {kRecording, 0},
    {kClockOffline, 0}, {kClockOnline, 0}, {kBoard2A, 0}, {kBoard6100, 0}, {kBoardOther, 0},
};

int boardPage(BoardType boardType) {
    switch (boardType) {
        case 65554: case 65555: case 65570: case 65571: return kBoard2A;
        case 65556: case 65572: return kBoard6100;
        default: return kBoardOther;
    }
}

}  // namespace

std::span<const SetupPageItem> setupPageItems() { return kItems; }

std::span<const PageTemplate> allPageTemplates() { return kAllTemplates; }

PageTemplate pageTemplateFor(uint32_t key, const PageChoice& choice) {
    if (isTransmitEntryKey(key)) return {choice.linTransmit ? kLinEntry : kCanEntry, 0};
    if (key >= kKeyConditionFirst && key <= kKeyConditionLast) return {kConditionEntry, 0};
    switch (key) {
        case kKeyOperationMode: return {kOperationMode, 0};
        case kKeyProtocols: return {kProtocols, 0};
        case 10003: return {kSettings, 0};
        case kKeyChannel1: return {kChannel, 0};
        case kKeyChannel2: return {kChannel, 1};
        case 10008: return {kConditions, 0};
        case 10017: return {kConditionParams, 0};
        case kKeyTransmitOverview: return {kTransmitOverview, 0};
        case 10018: return {kSignalPattern, 0};
        case 10019: return {kTimer, 0};
        case 10020: return {kRecording, 0};
        case kKeyClock: return {choice.connected ? kClockOnline : kClockOffline, 0};
        case kKeyBoard: return {boardPage(choice.boardType), 0};
        default: return {};
    }
}

}  // namespace zv
