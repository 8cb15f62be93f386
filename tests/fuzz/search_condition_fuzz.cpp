// Search conditions: any condition text either parses (and its text, formatted again, parses
// to the same condition) or is refused with a position inside the text; any condition image
// and any records give the same answers from the matcher's scans as from a plain reading of
// the match rules record by record.
//
// Input: flag byte, then either condition text (flag bit 0 clear) or a 136-byte condition
// image followed by records (bit 0 set; bits 1-2 choose the record tag MONC, MDCL or none).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <variant>
#include <vector>

#include "base/bytes.h"
#include "capture/capture_record.h"
#include "search/condition_text.h"
#include "search/search_match.h"

namespace {

using namespace zv;

bool isMarker(uint8_t source) { return source == kSourceOverrun || source == kSourceLostData; }

bool idMatches(IdPattern p, const CaptureRecord& r, bool lin) {
    if (lin) {
        if (r.frameInfo() == 2 || r.byteCount() < -1 || (p.mask & 0x1FFFFF) != 0) return false;
        return (((r.identifier() & 0xFF00u) << 13) & p.mask) == p.value;
    }
    if (!r.isExtended() && (p.mask & 0x3FFFF) != 0) return false;
    return (r.identifier() & p.mask) == p.value;
}

// The rules as they read, one record at a time.
bool reference(const SearchCondition& c, uint32_t tag, const CaptureRecord& r) {
    const uint8_t s = r.source();
    switch (c.kind) {
        case 0:
            if (tag == kTagMonc) return !isMarker(s) && (r.status() & 0x80) != 0;
            if (tag == kTagMdcl) return !isMarker(s) && (r.lines() & 0x80) != 0;
            return true;
        case 1: {
            if (s != 3 && s != 4) return false;
            if ((c.linErrorChannel == 1 && s != 3) || (c.linErrorChannel == 2 && s != 4) || c.linErrorChannel > 2) return false;
            uint16_t mask = 0;
            for (unsigned b = 0; b < 5; ++b)
                if (c.linErrorFlags >> b & 1) mask = static_cast<uint16_t>(mask | kLinErrorBoxStatusBits[b]);
            return (r.status() & mask) != 0;
        }
        case 2: {
            const bool keep = (c.frameChannel == 0 && (s == 1 || s == 3)) || (c.frameChannel == 1 && (s == 2 || s == 4));
            if (!keep) return false;
            const bool lin = s >= 3;
            if (!lin && (r.isRemote() || (r.frameInfo() & 0x30) == 0x30)) return false;
            if (lin && ((r.frameInfo() & 3) != 0 || r.byteCount() < -1)) return false;
            if (!idMatches(idPattern(c.frameIdPattern), r, lin)) return false;
            int n = 0;
            uint8_t masks[8] = {}, values[8] = {};
            for (const DataPatternCell& cell : c.dataPattern) {
                if (cell.mask != 0) {
                    masks[n] = cell.mask;
                    values[n] = cell.value;
                } else if (cell.value >= 4) {
                    break;
                } else if (cell.value >= 1) {
                    const BitPatternCell& x = c.extraPatterns[cell.value - 1u];
                    masks[n] = x.mask;
                    values[n] = x.mask != 0 ? x.value : 0;
                }
                ++n;
            }
            if (n == 0) return false;
            if ((lin ? r.byteCount() - 1 : r.byteCount()) < n) return false;
            for (int k = 0; k < n; ++k)
                if ((r.data(static_cast<size_t>(k)) & masks[k]) != values[k]) return false;
            return true;
        }
        case 3:
            if (!((c.remoteChannel == 0 && s == 1) || (c.remoteChannel == 1 && s == 2))) return false;
            if (!r.isRemote() || (r.frameInfo() & 0x30) == 0x30) return false;
            return idMatches(idPattern(c.remoteIdPattern), r, false);
        case 4: {
            const uint32_t t = r.timeStamp() >> 8;
            const SearchMatcher m(c, tag);  // the range itself is checked by the unit tests
            return t >= m.timeLow() && t <= m.timeHigh();
        }
        case 5:
            return tag == kTagMdcl && !isMarker(s) && c.extLevel <= 1 && ((r.lines() >> 4) & 1) == c.extLevel;
        default:
            return false;
    }
}

void checkText(std::string_view text) {
    const auto parsed = parseSearchCondition(text);
    if (const auto* e = std::get_if<ConditionTextError>(&parsed)) {
        if (e->position > text.size() || e->expected.empty()) std::abort();
        (void)describeConditionTextError(text, *e);
        return;
    }
    const SearchCondition& c = std::get<SearchCondition>(parsed);
    if (canonicalSearchCondition(c) != c) std::abort();
    const auto again = parseSearchCondition(formatSearchCondition(c));
    if (!std::holds_alternative<SearchCondition>(again) || std::get<SearchCondition>(again) != c) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    if ((flags & 1) == 0) {
        checkText(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
        return 0;
    }
    SearchConditionBytes image{};
    const size_t imageBytes = std::min(size - 1, kSearchConditionSize);
    std::memcpy(image.data(), data + 1, imageBytes);
    putU32(image.data(), 0, static_cast<uint32_t>(kSearchConditionSize));
    const SearchCondition c = *decodeSearchCondition(image.data(), image.size());
    const uint32_t tags[] = {kTagMonc, kTagMdcl, 0, 0};
    const uint32_t tag = tags[(flags >> 1) & 3];

    const SearchCondition canonical = canonicalSearchCondition(c);
    const auto back = parseSearchCondition(formatSearchCondition(canonical));
    if (!std::holds_alternative<SearchCondition>(back) || std::get<SearchCondition>(back) != canonical) std::abort();

    // An exact-size copy of the records, so that a read past the last one is caught.
    const size_t rest = size - 1 - imageBytes;
    const auto count = static_cast<uint32_t>(rest / kCaptureRecordSize);
    const std::vector<uint8_t> records(data + 1 + imageBytes, data + 1 + imageBytes + count * kCaptureRecordSize);
    const SearchMatcher matcher(c, tag);
    uint64_t expected = 0;
    int64_t first = -1, last = -1;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* r = records.data() + static_cast<size_t>(i) * kCaptureRecordSize;
        const bool want = reference(c, tag, CaptureRecord(r));
        if (matcher.matches(r) != want) std::abort();
        if (want) {
            ++expected;
            if (first < 0) first = i;
            last = i;
        }
    }
    if (matcher.count(records.data(), 0, count) != expected) std::abort();
    if (matcher.findForward(records.data(), count, 0) != first) std::abort();
    if (count > 0 && matcher.findBackward(records.data(), count - 1) != last) std::abort();
    return 0;
}
