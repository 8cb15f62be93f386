#include "capture/watch_edit.h"

namespace zv {

char watchIdentifierKey(char typed) {
    constexpr char kPaste = 0x16;  // Ctrl+V
    if (typed >= '0' && typed <= '9') return typed;
    if (typed >= 'A' && typed <= 'F') return typed;
    if (typed >= 'a' && typed <= 'f') return static_cast<char>(typed - 'a' + 'A');
    const auto code = static_cast<unsigned char>(typed);
    if (typed != kPaste && typed != 0 && (code < 0x20 || code == 0x7F)) return typed;
    return 0;
}

std::string WatchDialogEntries::leaveIdentifier(int n, std::string_view text) {
    WatchEntry& e = entries_[index(n)];
    e.enabled = !text.empty();
    e.identifier = e.enabled ? clampWatchIdentifier(parseWatchIdentifier(text), e.frameType) : 0;
    return watchIdentifierText(e);
}

std::string WatchDialogEntries::changeFrameType(int n, uint8_t frameType, std::string_view text) {
    entries_[index(n)].frameType = frameType == 1 ? 1 : 0;
    return leaveIdentifier(n, text);
}

}  // namespace zv
