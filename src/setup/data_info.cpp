#include "setup/data_info.h"

#include <algorithm>
#include <cstring>

#include "setup/record_schema.h"

namespace zv {
namespace {

// Where the records of a block lie. The summary's children come in the same order in both
// forms: SetupIdent, BoardFeatures (an EmptyRecord in the CAN-only form), channel record,
// mode record, EmptyRecord, protocol record.
struct DinfLayout {
    uint32_t size;
    uint32_t summarySize;
    uint16_t ident;
    uint16_t features;
    uint16_t featuresSize;
    uint16_t channel;
    uint16_t channelSize;
    uint16_t canGroup;
    uint16_t linGroup;  // 0: this form has no LIN channels
    uint8_t channelLayoutCode;
    uint16_t mode;
    uint16_t empty;
    uint16_t protocol;
    uint16_t condition;
    uint16_t last;      // 0: this form has no trailing record
};

constexpr DinfLayout kDual{812, 716, 12, 20, 8, 28, 660, 32, 104, 9, 688, 696, 700, 720, 792};
constexpr DinfLayout kCanOnly{204, 128, 12, 20, 4, 24, 76, 28, 0, 7, 100, 108, 112, 132, 0};

constexpr uint32_t kConditionSummarySize = 72;
constexpr uint32_t kLastRecordSize = 20;
constexpr uint32_t kProtocolRecordSize = 20;
constexpr uint32_t kModeRecordSize = 8;

size_t checkedSize(const uint8_t* input, size_t available) {
    if (available < 4) return 0;
    const uint32_t s = getU32(input, 0);
    return s < 4 || s > available ? 0 : s;
}

// Copies a record over the destination, its length capped at the known size.
void copyCapped(uint8_t* dst, const uint8_t* input, size_t s, size_t knownSize) {
    std::memcpy(dst, input, std::min(s, knownSize));
}

void composeConditionSummary(uint8_t* b, size_t at) {
    putU32(b, at, kConditionSummarySize);
    // Plain values at +4, +8 and before each record stay 0.
    setup::initRecord(setup::kConditionParam12, b + at + 16, {});
    setup::initRecord(setup::kConditionParam12, b + at + 32, {});
    setup::initRecord(setup::kConditionParam8, b + at + 48, {});
    setup::initRecord(setup::kConditionParam8, b + at + 60, {});
}

enum class WalkMode { AnalyzerCopy, DataFileMerge };

// Walks a block record by record into dst (laid out as `target`). Returns the block size, or 0.
size_t walkBlock(uint8_t* dst, const DinfLayout& target, const uint8_t* input, size_t available, WalkMode mode) {
    const size_t s = checkedSize(input, available);
    if (s == 0) return 0;
    size_t position = 4;
    size_t remaining = s - 4;
    if (remaining <= 3) return s;

    const size_t summary = checkedSize(input + position, remaining);
    if (summary == 0) return 0;
    if (summary >= 11) dst[10] = input[position + 6];  // block version
    const uint8_t version = dst[10];
    {
        const uint8_t* in = input + position;
        size_t at = 8;
        size_t left = summary >= 8 ? summary - 8 : 0;
        for (int slot = 0; slot < 6 && left > 3; ++slot) {
            const size_t r = checkedSize(in + at, left);
            if (r == 0) return 0;
            const uint8_t* rec = in + at;
            switch (slot) {
                case 0:  // SetupIdent copy
                    if (mode == WalkMode::DataFileMerge) {
                        if (r < 5 || (rec[4] != 0 && rec[4] != 4)) return 0;
                        if (r > 5 && rec[5] != 9 && rec[5] != 7) return 0;
                    }
                    copyCapped(dst + target.ident, rec, r, 8);
                    putU32(dst, target.ident, 8);
                    break;
                case 1:  // BoardFeatures (EmptyRecord in the CAN-only form)
                    copyCapped(dst + target.features, rec, r, target.featuresSize);
                    putU32(dst, target.features, target.featuresSize);
                    break;
                case 2: {  // channel record: the channel groups of the layout it names
                    const uint8_t layoutCode = dst[target.ident + 5];
                    const size_t body = r - 4;
                    const bool wantCan = layoutCode == 9 || layoutCode == 7;
                    const bool wantLin = layoutCode == 9 && target.linGroup != 0;
                    const bool named = mode == WalkMode::DataFileMerge || layoutCode == target.channelLayoutCode;
                    if (named && wantCan && body > 0) {
                        copyCapped(dst + target.canGroup, rec + 4, body, 72);
                        putU32(dst, target.canGroup, 72);
                        if (wantLin && body > 72) {
                            copyCapped(dst + target.linGroup, rec + 4 + 72, body - 72, 584);
                            putU32(dst, target.linGroup, 584);
                        }
                    }
                    break;
                }
                case 3:  // mode record
                    copyCapped(dst + target.mode, rec, r, kModeRecordSize);
                    putU32(dst, target.mode, kModeRecordSize);
                    break;
                case 4:  // EmptyRecord
                    putU32(dst, target.empty, 4);
                    break;
                case 5: {  // protocol record
                    const bool take = mode == WalkMode::DataFileMerge ? version == 32 : (version == 32 || version == 33);
                    std::memset(dst + target.protocol + 4, 0, kProtocolRecordSize - 4);
                    if (take) copyCapped(dst + target.protocol, rec, r, kProtocolRecordSize);
                    putU32(dst, target.protocol, kProtocolRecordSize);
                    break;
                }
            }
            at += r;
            left -= r;
        }
    }
    position += summary;
    remaining -= summary;
    if (remaining <= 3) return s;

    const size_t condition = checkedSize(input + position, remaining);
    if (condition == 0) return 0;
    copyCapped(dst + target.condition, input + position, condition, kConditionSummarySize);
    putU32(dst, target.condition, kConditionSummarySize);
    position += condition;
    remaining -= condition;
    if (remaining <= 3 || target.last == 0) return s;

    const size_t last = checkedSize(input + position, remaining);
    if (last == 0) return 0;
    copyCapped(dst + target.last, input + position, last, kLastRecordSize);
    putU32(dst, target.last, kLastRecordSize);
    return s;
}

}  // namespace

namespace {

DataInfoBlock composeForm(const DinfLayout& l, BoardType boardType) {
    DataInfoBlock block;
    uint8_t* b = block.data();
    putU32(b, 0, l.size);
    putU32(b, 4, l.summarySize);  // version 0
    setup::initRecord(setup::kSetupIdent, b + l.ident, {boardType});  // 255, 255: not from an analyzer
    if (l.featuresSize == 8)
        setup::initRecord(setup::kBoardFeatures, b + l.features, {boardType});
    else
        putU32(b, l.features, 4);
    putU32(b, l.channel, l.channelSize);
    putU32(b, l.mode, kModeRecordSize);
    putU32(b, l.empty, 4);
    putU32(b, l.protocol, kProtocolRecordSize);
    composeConditionSummary(b, l.condition);
    if (l.last) putU32(b, l.last, kLastRecordSize);
    return block;
}

}  // namespace

DataInfoBlock composeDataInfoBlock(BoardType boardType) {
    return composeForm(isCanOnlyBoard(boardType) ? kCanOnly : kDual, boardType);
}

DataInfoBlock composeStandInDataInfoBlock(BoardType boardType) {
    const DinfLayout& l = isCanOnlyBoard(boardType) ? kCanOnly : kDual;
    DataInfoBlock block = composeForm(l, boardType);
    uint8_t* b = block.data();
    b[l.ident + 4] = 0;  // operation mode
    b[l.ident + 5] = l.channelLayoutCode;
    // The channel records a reader copies for that layout, sized as a reader's own summary
    // starts out, values zero: the channels' settings are not known before the analyzer says.
    putU32(b, l.canGroup, 72);
    putU32(b, l.canGroup + 8, 32);
    putU32(b, l.canGroup + 40, 32);
    if (l.linGroup) {
        putU32(b, l.linGroup, 584);
        putU32(b, l.linGroup + 8, 288);
        putU32(b, l.linGroup + 296, 288);
    }
    putU32(b, l.mode + 4, 4);                               // the ModeBlocks child of mode 0
    putU32(b, l.condition + kConditionSummarySize - 4, 4);  // the EmptyRecord of modes 0 and 4
    return block;
}

size_t parseDataInfoBlock(DataInfoBlock& copy, const uint8_t* input, size_t available, BoardType boardType) {
    if (available >= 8 && getU32(input, 0) == kTagDataInfo) {
        input += 8;
        available -= 8;
    }
    // The copy keeps its form; a copy without one takes the board family's.
    const DinfLayout& l = copy.size() == kCanOnly.size ? kCanOnly
                          : copy.size() == kDual.size  ? kDual
                          : isCanOnlyBoard(boardType)  ? kCanOnly
                                                       : kDual;
    copy = composeForm(l, boardType);
    return walkBlock(copy.data(), l, input, available, WalkMode::AnalyzerCopy);
}

DataInfoBlock dataFileSummaryDefaults() {
    DataInfoBlock s;
    uint8_t* b = s.data();
    struct SizeAt {
        uint16_t offset;
        uint32_t size;
    };
    static constexpr SizeAt kSizes[] = {{0, 812}, {4, 716},  {12, 8},  {20, 8},  {28, 660},
                                        {32, 72}, {40, 32},  {72, 32}, {688, 8}, {692, 4},
                                        {696, 4}, {700, 20}, {704, 16}, {720, 72}, {788, 4}};
    for (const SizeAt& x : kSizes) putU32(b, x.offset, x.size);
    return s;
}

bool mergeDataInfoBlock(DataInfoBlock& summary, const uint8_t* input, size_t available) {
    return walkBlock(summary.data(), kDual, input, available, WalkMode::DataFileMerge) != 0;
}

}  // namespace zv
