#include "search/search_match.h"

#include "base/bytes.h"

namespace zv {
namespace {

bool isMarkerSource(uint8_t source) { return source == kSourceOverrun || source == kSourceLostData; }

uint64_t getU64(const uint8_t* p, size_t offset) {
    return uint64_t{getU32(p, offset)} | uint64_t{getU32(p, offset + 4)} << 32;
}

// The time window [low, high] of timeStamp >> 8 given by the digits, walked from the left: the
// first any-digit leaves everything after it open.
void timeRange(const std::array<uint8_t, 3>& digits, uint32_t& low, uint32_t& high) {
    const unsigned minTens = digits[0] >> 4, minUnits = digits[0] & 0xF;
    const unsigned secTens = digits[1] >> 4, secUnits = digits[1] & 0xF;
    const unsigned hunTens = digits[2] >> 4, hunUnits = digits[2] & 0xF;
    if (minTens == kAnyDigit) {
        low = 0;
        high = 0xFFFFFF;
        return;
    }
    low = minTens * 10 * 0x10000;
    if (minUnits == kAnyDigit) {
        high = low + 0x9FFFF;
        return;
    }
    low += minUnits * 0x10000;
    if (secTens == kAnyDigit) {
        high = low + 0xFFFF;
        return;
    }
    low += secTens * 10 * 0x100;
    if (secUnits == kAnyDigit) {
        high = low + 0x9FF;
        return;
    }
    low += secUnits * 0x100;
    if (hunTens == kAnyDigit) {
        high = low + 0xFF;
        return;
    }
    low += hunTens * 10;
    if (hunUnits == kAnyDigit) {
        high = low + 9;
        return;
    }
    low += hunUnits;
    high = low;
}

}  // namespace

SearchMatcher::SearchMatcher(const SearchCondition& c, uint32_t recordTag) {
    switch (static_cast<SearchKind>(c.kind)) {
        case SearchKind::TriggerMark:
            if (recordTag == kTagMonc) {
                test_ = Test::LinesOrStatus;
                byteOffset_ = record_field::kStatus;  // low byte of status
                byteMask_ = byteValue_ = 0x80;
            } else if (recordTag == kTagMdcl) {
                test_ = Test::LinesOrStatus;
                byteOffset_ = record_field::kLines;
                byteMask_ = byteValue_ = 0x80;
            } else {
                test_ = Test::Everything;
            }
            break;
        case SearchKind::LinError:
            for (size_t box = 0; box < kLinErrorBoxCount; ++box) {
                if (c.linErrorFlags & (1u << box)) statusMask_ |= kLinErrorBoxStatusBits[box];
            }
            // The channel box narrows the search to one LIN channel; 0 keeps both.
            linSourceLow_ = c.linErrorChannel == 2 ? kSourceLin2 : kSourceLin1;
            linSourceHigh_ = c.linErrorChannel == 1 ? kSourceLin1 : kSourceLin2;
            test_ = statusMask_ != 0 && c.linErrorChannel <= 2 ? Test::LinError : Test::Nothing;
            break;
        case SearchKind::Frame:
        case SearchKind::RemoteFrame: {
            const bool frame = c.kind == static_cast<uint8_t>(SearchKind::Frame);
            const uint8_t channel = frame ? c.frameChannel : c.remoteChannel;
            if (channel > 1) break;  // Nothing
            const IdPattern id = idPattern(frame ? c.frameIdPattern : c.remoteIdPattern);
            idMask_ = id.mask;
            idValue_ = id.value;
            standardAllowed_ = (id.mask & 0x3FFFF) == 0;  // the 11-bit identifier lies in bits 18-28
            canSource_ = channel == 0 ? kSourceCan1 : kSourceCan2;
            if (!frame) {
                test_ = Test::Remote;
                break;
            }
            // The protected identifier is compared with pattern bits 21-28 only.
            linSource_ = (id.mask & 0x1FFFFF) == 0 ? (channel == 0 ? kSourceLin1 : kSourceLin2) : 0;
            int n = 0;
            for (const DataPatternCell& cell : c.dataPattern) {
                BitPatternCell taken{cell.mask, cell.value};
                if (cell.mask == 0) {
                    if (cell.value >= 4) break;
                    taken = cell.value == 0 ? BitPatternCell{} : c.extraPatterns[cell.value - 1u];
                    if (taken.mask == 0) taken.value = 0;
                }
                dataMask_ |= uint64_t{taken.mask} << (8 * n);
                dataValue_ |= uint64_t{taken.value} << (8 * n);
                ++n;
            }
            dataCount_ = static_cast<int8_t>(n);
            test_ = n == 0 ? Test::Nothing : Test::Frame;  // an empty data pattern matches nothing
            break;
        }
        case SearchKind::TimeWindow:
            timeRange(c.timeDigits, timeLow_, timeHigh_);
            test_ = Test::Time;
            break;
        case SearchKind::ExternalInput:
            if (recordTag == kTagMdcl && c.extLevel <= 1) {
                test_ = Test::LinesOrStatus;
                byteOffset_ = record_field::kLines;
                byteMask_ = 0x10;
                byteValue_ = c.extLevel != 0 ? 0x10 : 0;
            }
            break;
    }
}

// Calls visit with the predicate of the condition's test, so that each scan loop is compiled
// once per test with the predicate inlined.
template <typename Visit>
auto SearchMatcher::dispatch(Visit&& visit) const {
    switch (test_) {
        case Test::Nothing:
            return visit([](const uint8_t*) { return false; });
        case Test::Everything:
            return visit([](const uint8_t*) { return true; });
        case Test::LinesOrStatus:
            // Markers carry nothing but source and time: their lines and status are not looked at.
            return visit([this](const uint8_t* r) -> bool {
                return ((r[byteOffset_] & byteMask_) == byteValue_) & !isMarkerSource(r[0]);
            });
        case Test::LinError:
            return visit([this](const uint8_t* r) -> bool {
                const uint8_t source = r[0];
                return (static_cast<uint8_t>(source - linSourceLow_) <= static_cast<uint8_t>(linSourceHigh_ - linSourceLow_)) &
                       ((getU16(r, record_field::kStatus) & statusMask_) != 0);
            });
        case Test::Frame:
            return visit([this](const uint8_t* r) {
                // The data bytes first: in a busy trace most records fail there.
                if ((getU64(r, record_field::kData) & dataMask_) != dataValue_) return false;
                const uint8_t source = r[0];
                const uint8_t frameInfo = r[record_field::kFrameInfo];
                const auto byteCount = static_cast<int8_t>(r[record_field::kByteCount]);
                const uint32_t id = getU32(r, record_field::kIdentifier);
                if (source == canSource_) {
                    if ((frameInfo & 0x40) != 0 || (frameInfo & 0x30) == 0x30 || byteCount < dataCount_) return false;
                    if ((frameInfo & 0x80) == 0 && !standardAllowed_) return false;
                    return (id & idMask_) == idValue_;
                }
                if (source != linSource_ || linSource_ == 0) return false;
                // The checksum byte is not data; a record without SB, SF and PID has no identifier.
                if ((frameInfo & 3) != 0 || byteCount < -1 || byteCount - 1 < dataCount_) return false;
                return (((id & 0xFF00u) << 13) & idMask_) == idValue_;
            });
        case Test::Remote:
            return visit([this](const uint8_t* r) {
                const uint8_t frameInfo = r[record_field::kFrameInfo];
                if (r[0] != canSource_ || (frameInfo & 0x40) == 0 || (frameInfo & 0x30) == 0x30) return false;
                if ((frameInfo & 0x80) == 0 && !standardAllowed_) return false;
                return (getU32(r, record_field::kIdentifier) & idMask_) == idValue_;
            });
        case Test::Time:
            return visit([this](const uint8_t* r) {
                return (getU32(r, record_field::kTimeStamp) >> 8) - timeLow_ <= timeHigh_ - timeLow_;
            });
    }
    return visit([](const uint8_t*) { return false; });
}

bool SearchMatcher::matches(const uint8_t* record) const {
    return dispatch([record](auto&& test) { return test(record); });
}

int64_t SearchMatcher::findForward(const uint8_t* records, uint32_t count, uint32_t first) const {
    return dispatch([&](auto&& test) -> int64_t {
        for (uint32_t i = first; i < count; ++i) {
            if (test(records + static_cast<size_t>(i) * kCaptureRecordSize)) return i;
        }
        return -1;
    });
}

int64_t SearchMatcher::findBackward(const uint8_t* records, int64_t first) const {
    return dispatch([&](auto&& test) -> int64_t {
        for (int64_t i = first; i >= 0; --i) {
            if (test(records + static_cast<size_t>(i) * kCaptureRecordSize)) return i;
        }
        return -1;
    });
}

uint64_t SearchMatcher::count(const uint8_t* records, uint32_t begin, uint32_t end) const {
    return dispatch([&](auto&& test) -> uint64_t {
        uint64_t n = 0;
        for (uint32_t i = begin; i < end; ++i) n += test(records + static_cast<size_t>(i) * kCaptureRecordSize) ? 1u : 0u;
        return n;
    });
}

SearchOutcome searchCapture(const CCapture& capture, const SearchMatcher& matcher, int64_t selectedRow, bool forward,
                            bool countMode) {
    SearchOutcome outcome;
    const int64_t rows = capture.count();
    const uint8_t* records = capture.recordAreaBegin();
    if (forward) {
        const int64_t first = selectedRow < 0 ? 0 : selectedRow + 1;
        if (first >= rows) return outcome;
        if (countMode)
            outcome.matches = matcher.count(records, static_cast<uint32_t>(first), static_cast<uint32_t>(rows));
        else
            outcome.row = matcher.findForward(records, static_cast<uint32_t>(rows), static_cast<uint32_t>(first));
    } else {
        if (selectedRow <= 0) return outcome;
        const int64_t first = (selectedRow > rows ? rows : selectedRow) - 1;
        if (countMode)
            outcome.matches = matcher.count(records, 0, static_cast<uint32_t>(first + 1));
        else
            outcome.row = matcher.findBackward(records, first);
    }
    if (outcome.row >= 0) outcome.matches = 1;
    return outcome;
}

SearchOutcome searchCapture(const CCapture& capture, const SearchCondition& condition, int64_t selectedRow,
                            bool forward) {
    return searchCapture(capture, SearchMatcher(condition, capture.recordTag()), selectedRow, forward,
                         condition.countMode != 0);
}

int64_t matchRow(const CCapture& capture, const SearchMatcher& matcher, int64_t row) {
    if (row < 0 || row >= static_cast<int64_t>(capture.count())) return -1;
    return matcher.matches(capture.recordBytes(static_cast<uint32_t>(row))) ? row : -1;
}

}  // namespace zv
