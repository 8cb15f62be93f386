#include "capture/watch_list.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "base/bytes.h"

namespace zv {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string key(int n, const char* suffix) {
    char text[24];
    std::snprintf(text, sizeof text, "No%d%s", n, suffix);
    return text;
}

// Which entries a record goes to, as a bit per entry.
uint32_t matchingEntries(const std::array<WatchEntry, kWatchEntryCount>& entries, const uint8_t* record) {
    const uint8_t source = getU8(record, 0);
    const uint8_t frameInfo = getU8(record, 11);
    const uint32_t identifierWord = getU32(record, 12);
    uint8_t channel;
    uint8_t frameType;
    uint32_t identifier;
    if (source == 1 || source == 2) {
        channel = source;
        frameType = (frameInfo & 0x80) ? 1 : 0;
        identifier = frameType ? identifierWord : identifierWord >> 18;
    } else if (source == 3 || source == 4) {
        const auto byteCount = static_cast<int8_t>(getU8(record, 10));
        if (frameInfo == 2 || byteCount < -1) return 0;  // no valid identifier received
        // The channel comes from the record's source, which a parity mark on the protected
        // identifier does not touch: marked and unmarked frames are compared alike.
        channel = static_cast<uint8_t>(source - 2);
        frameType = 0;
        identifier = (identifierWord >> 8) & 0x3F;
    } else {
        return 0;  // markers and unknown sources
    }
    uint32_t hits = 0;
    for (int i = 0; i < kWatchEntryCount; ++i) {
        const WatchEntry& e = entries[static_cast<size_t>(i)];
        if (e.channel == channel && e.frameType == frameType && e.identifier == identifier) hits |= 1u << i;
    }
    return hits;
}

}  // namespace

uint32_t parseWatchIdentifier(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') && i + 2 < text.size() &&
        hexDigit(text[i + 2]) >= 0)
        i += 2;
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = hexDigit(text[i]);
        if (d < 0) break;
        if (value > 0x0FFFFFFFu) return 0xFFFFFFFFu;
        value = (value << 4) | static_cast<uint32_t>(d);
    }
    return value;
}

uint32_t clampWatchIdentifier(uint32_t value, uint8_t frameType) {
    const uint32_t limit = frameType == 1 ? 0x1FFFFFFFu : 0x7FFu;
    return value > limit ? limit : value;
}

int watchIdentifierLimit(uint8_t frameType) { return frameType == 1 ? 8 : 3; }

std::string watchIdentifierText(const WatchEntry& entry) {
    if (!entry.enabled) return {};
    char text[12];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(entry.identifier));
    return text;
}

WatchEntry watchEntryFromText(std::string_view channel, std::string_view frameType, std::string_view identifier) {
    WatchEntry e;
    e.channel = channel == "Ch-2" ? 2 : 1;
    e.frameType = frameType == "Extended" ? 1 : 0;
    e.enabled = !identifier.empty();
    e.identifier = parseWatchIdentifier(identifier);
    return e;
}

std::array<WatchEntryText, kWatchEntryCount> readWatchProfile(const ProfileStore& store) {
    std::array<WatchEntryText, kWatchEntryCount> out;
    for (int n = 0; n < kWatchEntryCount; ++n) {
        WatchEntryText& t = out[static_cast<size_t>(n)];
        t.channel = store.getString(kWatchSection, key(n, "ch"), "Ch-1") == "Ch-2" ? 2 : 1;
        t.frameType = store.getString(kWatchSection, key(n, "frametype"), "Standard") == "Extended" ? 1 : 0;
        t.identifier = store.getString(kWatchSection, key(n, "id"), "");
    }
    return out;
}

bool writeWatchProfile(ProfileStore& store, const std::array<WatchEntryText, kWatchEntryCount>& entries) {
    bool ok = true;
    for (int n = 0; n < kWatchEntryCount; ++n) {
        const WatchEntryText& t = entries[static_cast<size_t>(n)];
        ok &= store.setString(kWatchSection, key(n, "ch"), t.channel == 2 ? "Ch-2" : "Ch-1");
        ok &= store.setString(kWatchSection, key(n, "frametype"), t.frameType == 1 ? "Extended" : "Standard");
        ok &= store.setString(kWatchSection, key(n, "id"), t.identifier);
    }
    return ok;
}

void WatchList::matchWatch(const uint8_t* records, size_t bytes) {
    if (!records) return;
    const size_t count = bytes / kWatchRecordSize;
    std::lock_guard lock(mutex_);
    for (size_t r = 0; r < count; ++r) {
        const uint8_t* record = records + r * kWatchRecordSize;
        uint32_t hits = matchingEntries(table_.entries, record);
        while (hits) {
            const auto i = static_cast<size_t>(std::countr_zero(hits));
            hits &= hits - 1;
            std::memcpy(table_.slots[i].data(), record, kWatchRecordSize);
            if (table_.entries[i].enabled) table_.entries[i].hasData = true;
        }
    }
}

namespace {

// New entries over the live ones. An entry that still watches the same frames keeps what it
// has shown; one that was changed or emptied would otherwise go on showing the record of the
// frame it no longer watches.
void applyConfig(std::array<WatchEntry, kWatchEntryCount>& live, const std::array<WatchEntry, kWatchEntryCount>& from) {
    for (size_t i = 0; i < live.size(); ++i) {
        WatchEntry next = from[i];
        next.hasData = false;
        WatchEntry before = live[i];
        before.hasData = false;
        next.hasData = live[i].hasData && next == before;
        live[i] = next;
    }
}

std::array<WatchEntry, kWatchEntryCount> entriesFromTexts(const std::array<WatchEntryText, kWatchEntryCount>& texts) {
    std::array<WatchEntry, kWatchEntryCount> out;
    for (size_t i = 0; i < out.size(); ++i) {
        out[i].channel = texts[i].channel == 2 ? 2 : 1;
        out[i].frameType = texts[i].frameType == 1 ? 1 : 0;
        out[i].enabled = !texts[i].identifier.empty();
        out[i].identifier = parseWatchIdentifier(texts[i].identifier);
    }
    return out;
}

}  // namespace

void WatchList::loadWatchTable(const ProfileStore& store) {
    const auto entries = entriesFromTexts(readWatchProfile(store));
    std::lock_guard lock(mutex_);
    applyConfig(table_.entries, entries);
}

bool WatchList::applyDialog(const std::array<WatchEntryText, kWatchEntryCount>& texts, ProfileStore& store) {
    if (!writeWatchProfile(store, texts)) return false;
    setEntries(entriesFromTexts(texts));
    return true;
}

void WatchList::setEntries(const std::array<WatchEntry, kWatchEntryCount>& entries) {
    std::lock_guard lock(mutex_);
    applyConfig(table_.entries, entries);
}

void WatchList::clearHasData() {
    std::lock_guard lock(mutex_);
    for (WatchEntry& e : table_.entries) e.hasData = false;
}

WatchTable WatchList::snapshot() const {
    std::lock_guard lock(mutex_);
    return table_;
}

std::array<WatchEntry, kWatchEntryCount> WatchList::entries() const {
    std::lock_guard lock(mutex_);
    return table_.entries;
}

}  // namespace zv
