// The [WatchDataFactor] values of profile.ini are outside input: any text in any key must
// give a sane watch table. The input's lines are the 48 values (channel, frame type and
// identifier of entries 0..15 in turn); what follows them is matched as monitor records.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "capture/watch_list.h"

namespace {

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The identifier rule written the other way round: the leading hex digits as one number,
// 0xFFFFFFFF when they do not fit in 32 bits.
uint32_t referenceIdentifier(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
    if (t.substr(i, 2) == "0x" || t.substr(i, 2) == "0X")
        if (i + 2 < t.size() && isHex(t[i + 2])) i += 2;
    size_t end = i;
    while (end < t.size() && isHex(t[end])) ++end;
    if (end == i) return 0;
    uint32_t value = 0;
    const auto r = std::from_chars(t.data() + i, t.data() + end, value, 16);
    return r.ec == std::errc::result_out_of_range ? 0xFFFFFFFFu : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    size_t at = 0;
    while (lines.size() < 48 && at < input.size()) {
        size_t nl = input.find('\n', at);
        if (nl == std::string_view::npos) nl = input.size();
        lines.push_back(input.substr(at, nl - at));
        at = nl + 1;
    }
    at = std::min(at, input.size());

    zv::MapProfileStore store;
    static const char* const kSuffix[3] = {"ch", "frametype", "id"};
    for (size_t k = 0; k < lines.size(); ++k) {
        char key[24];
        std::snprintf(key, sizeof key, "No%zu%s", k / 3, kSuffix[k % 3]);
        store.setString(zv::kWatchSection, key, lines[k]);
        if (zv::parseWatchIdentifier(lines[k]) != referenceIdentifier(lines[k])) std::abort();
    }

    zv::WatchList list;
    list.loadWatchTable(store);
    const auto entries = list.entries();
    const auto texts = zv::readWatchProfile(store);
    for (size_t n = 0; n < entries.size(); ++n) {
        const zv::WatchEntry& e = entries[n];
        if (e.channel != 1 && e.channel != 2) std::abort();
        if (e.frameType > 1 || e.hasData) std::abort();
        if (e.enabled != !texts[n].identifier.empty()) std::abort();
        if (e.identifier != referenceIdentifier(texts[n].identifier)) std::abort();
        // What the dialog shows reads back as the same identifier.
        if (e.enabled && zv::parseWatchIdentifier(zv::watchIdentifierText(e)) != e.identifier) std::abort();
        const uint32_t clamped = zv::clampWatchIdentifier(e.identifier, e.frameType);
        if (clamped > (e.frameType ? 0x1FFFFFFFu : 0x7FFu) || clamped > e.identifier) std::abort();
    }

    // Written back and read again, the table is the same.
    zv::MapProfileStore again;
    zv::writeWatchProfile(again, texts);
    zv::WatchList reread;
    reread.loadWatchTable(again);
    if (reread.entries() != entries) std::abort();

    // The rest as monitor records against the entries just read.
    std::vector<uint8_t> records(data + at, data + size);
    list.matchWatch(records.data(), records.size());
    const zv::WatchTable table = list.snapshot();
    for (size_t n = 0; n < table.entries.size(); ++n)
        if (table.entries[n].hasData && !table.entries[n].enabled) std::abort();
    return 0;
}
