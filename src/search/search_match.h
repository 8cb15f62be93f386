// The match test of the search condition and the scans of the capture list's find commands.
// A SearchMatcher decodes the condition once (identifier mask and value, the data pattern as
// one 64-bit mask and value, the time range), so that a scan only reads record bytes.
#pragma once

#include <cstdint>

#include "capture/capture.h"
#include "search/search_condition.h"

namespace zv {

class SearchMatcher {
public:
    // recordTag: "MONC", "MDCL" or 0, the record area of the data file on display.
    SearchMatcher(const SearchCondition& condition, uint32_t recordTag);

    bool matches(const uint8_t* record) const;
    bool matches(const CaptureRecord& record) const { return matches(record.bytes()); }

    // First matching record of records[first..count-1], or -1.
    int64_t findForward(const uint8_t* records, uint32_t count, uint32_t first) const;
    // First matching record going down from records[first] to records[0], or -1 (also for
    // first < 0).
    int64_t findBackward(const uint8_t* records, int64_t first) const;
    // Matching records in records[begin..end-1].
    uint64_t count(const uint8_t* records, uint32_t begin, uint32_t end) const;

    // The time window of a time condition as values of timeStamp >> 8.
    uint32_t timeLow() const { return timeLow_; }
    uint32_t timeHigh() const { return timeHigh_; }

private:
    enum class Test : uint8_t { Nothing, Everything, LinesOrStatus, LinError, Frame, Remote, Time };
    template <typename Visit>
    auto dispatch(Visit&& visit) const;

    Test test_ = Test::Nothing;
    // LinesOrStatus: (record[byteOffset_] & byteMask_) == byteValue_, markers excluded.
    uint8_t byteOffset_ = 0;
    uint8_t byteMask_ = 0;
    uint8_t byteValue_ = 0;
    // LinError: sources and status bits.
    uint8_t linSourceLow_ = 0;
    uint8_t linSourceHigh_ = 0;
    uint16_t statusMask_ = 0;
    // Frame and Remote.
    uint8_t canSource_ = 0;
    uint8_t linSource_ = 0;  // 0: LIN records never match
    bool standardAllowed_ = false;
    uint32_t idMask_ = 0;
    uint32_t idValue_ = 0;
    int8_t dataCount_ = 0;  // n of the data pattern
    uint64_t dataMask_ = 0;
    uint64_t dataValue_ = 0;
    // Time.
    uint32_t timeLow_ = 0;
    uint32_t timeHigh_ = 0;
};

// What a find command of the capture list gives: in find mode the first matching row (or -1),
// in counting mode the number of matching rows in the scanned range (row stays -1).
struct SearchOutcome {
    int64_t row = -1;
    uint64_t matches = 0;
};

// Find next scans from the row below the selected one (row 0 when selectedRow is -1) to the
// last row; find previous from the row above the selected one down to row 0, and nothing when
// no row is selected.
SearchOutcome searchCapture(const CCapture& capture, const SearchCondition& condition, int64_t selectedRow,
                            bool forward);
SearchOutcome searchCapture(const CCapture& capture, const SearchMatcher& matcher, int64_t selectedRow, bool forward,
                            bool countMode);

// The match test of one row: the row when record `row` of the capture meets the condition, else -1.
int64_t matchRow(const CCapture& capture, const SearchMatcher& matcher, int64_t row);

}  // namespace zv
