// Tolerant parsing of setup records. Analyzers of other firmware generations send records that
// are shorter (older) or longer (newer) than ours, and groups with more children than we know:
// every rule here keeps alignment by trusting each record's own size field, fills what both
// sides know and leaves the rest at its defaults.
#include <algorithm>
#include <cstring>

#include "base/bytes.h"
#include "setup/record_schema.h"

namespace zv::setup {
namespace {

// Checks shared by every record: at least the size field present, 4 <= size <= available.
// Returns the declared size, or 0 when the record is unusable.
size_t checkedSize(const uint8_t* input, size_t available) {
    if (available < 4) return 0;
    const uint32_t s = getU32(input, 0);
    if (s < 4 || s > available) return 0;
    return s;
}

// Copies the input's bytes 4..s-1 over the destination's, capped at the destination's size;
// the destination keeps its own recordSize.
void copyBody(const RecordDef& def, uint8_t* record, const uint8_t* input, size_t s) {
    const size_t n = (s <= def.size ? s : def.size) - 4;
    std::memcpy(record + 4, input + 4, n);
}

size_t parseLeaf(const RecordDef& def, uint8_t* record, const uint8_t* input, size_t available,
                 const InitContext& context) {
    initRecord(def, record, context);
    const size_t s = checkedSize(input, available);
    if (s == 0) return 0;
    copyBody(def, record, input, s);
    return s;
}

size_t parseGroup(const RecordDef& def, uint8_t* record, const uint8_t* input, size_t available,
                  const InitContext& context) {
    initRecord(def, record, context);
    const size_t s = checkedSize(input, available);
    if (s == 0) return 0;
    if (s <= 7) return s;
    const size_t k = std::min<size_t>(input[7], def.children.size());
    size_t position = 8;
    size_t remaining = s - 8;
    for (size_t i = 0; i < k; ++i) {
        const ChildDef& child = def.children[i];
        const size_t used = parseRecord(*child.def, record + child.offset, input + position, remaining, context);
        if (used == 0) return 0;
        position += used;
        remaining -= used;
    }
    return s;
}

size_t parseImage(const RecordDef& def, uint8_t* record, const uint8_t* input, size_t available,
                  const InitContext& context) {
    putU32(record, 0, def.size);
    const size_t s = checkedSize(input, available);
    if (s == 0) return 0;
    size_t position = 4;
    size_t remaining = s - 4;
    for (const ChildDef& child : def.children) {
        // A sender that ends between records leaves the missing ones as they are.
        if (remaining <= 3) return s;
        const size_t used = parseRecord(*child.def, record + child.offset, input + position, remaining, context);
        if (used == 0) return 0;
        position += used;
        remaining -= used;
    }
    return s;
}

size_t parseConditionEntry(const RecordDef& def, uint8_t* record, const uint8_t* input, size_t available,
                           const InitContext& context) {
    initRecord(def, record, context);
    const size_t s = checkedSize(input, available);
    if (s == 0) return 0;
    if (s == 4) return s;
    record[4] = input[4];  // entry flag
    if (s <= 7) return s;
    size_t b = s - 8;
    if (b <= 3) return s;
    const ChildDef& pattern = def.children[0];
    const size_t used = parseRecord(*pattern.def, record + pattern.offset, input + 8, b, context);
    if (used == 0) return 0;
    b -= used;
    if (b > 3) {
        const ChildDef& tail = def.children[1];
        if (parseRecord(*tail.def, record + tail.offset, input + 8 + used, b, context) == 0) return 0;
    }
    return s;
}

size_t parseConditionBlock(const RecordDef& def, uint8_t* record, const uint8_t* input, size_t available,
                           const InitContext& context) {
    initRecord(def, record, context);
    const size_t s = checkedSize(input, available);
    if (s == 0) return 0;
    if (s <= 7) return s;
    size_t position = 8;
    size_t remaining = s - 8;
    // Children come in three runs (entries, 12-byte and 8-byte records), each announced by its
    // own count in header bytes 5..7. Known children are parsed; surplus ones are skipped by
    // their size so that the next run stays aligned.
    for (size_t run = 0; run < 3; ++run) {
        const ChildDef& child = def.children[run];
        const unsigned announced = input[5 + run];
        for (unsigned i = 0; i < announced; ++i) {
            size_t used;
            if (i < child.count) {
                used = parseRecord(*child.def, record + child.offset + size_t{i} * child.def->size,
                                   input + position, remaining, context);
            } else {
                used = checkedSize(input + position, remaining);
            }
            if (used == 0) return 0;
            position += used;
            remaining -= used;
        }
    }
    return s;
}

// Transmit entries: a fixed head, then the variation record when the input carries one.
size_t parseTransmitEntry(const RecordDef& def, size_t headSize, uint8_t* record, const uint8_t* input,
                          size_t available, const InitContext& context) {
    initRecord(def, record, context);
    const size_t s = checkedSize(input, available);
    if (s == 0) return 0;
    if (s < headSize) {
        std::memcpy(record + 4, input + 4, s - 4);
        return s;
    }
    std::memcpy(record + 4, input + 4, headSize - 4);
    if (s >= headSize + 4) {
        if (parseRecord(kVariationRecord, record + headSize, input + headSize, s - headSize, context) == 0)
            return 0;
    }
    return s;
}

size_t parseTransmitTables(const RecordDef& def, uint8_t* record, const uint8_t* input, size_t available,
                           const InitContext& context) {
    initRecord(def, record, context);
    const size_t s = checkedSize(input, available);
    if (s == 0) return 0;
    if (s <= 7) return s;
    const int announced = static_cast<int8_t>(input[7]);
    const ChildDef& entries = def.children[0];
    const int k = std::min<int>(announced, entries.count);
    if (k <= 0) return s;
    // The entries follow the header; never let them read past what the caller handed us.
    size_t remaining = std::min<size_t>(size_t{entries.count} * entries.def->size, available - s);
    size_t position = s;
    for (int i = 0; i < k; ++i) {
        const size_t used = parseRecord(*entries.def, record + entries.offset + size_t(i) * entries.def->size,
                                        input + position, remaining, context);
        if (used == 0) return 0;
        position += used;
        remaining -= used;
    }
    return position;
}

}  // namespace

size_t parseRecord(const RecordDef& def, uint8_t* record, const uint8_t* input, size_t available,
                   const InitContext& context) {
    switch (def.kind) {
        case ParseKind::Leaf: return parseLeaf(def, record, input, available, context);
        case ParseKind::Group: return parseGroup(def, record, input, available, context);
        case ParseKind::Image: return parseImage(def, record, input, available, context);
        case ParseKind::ConditionEntry: return parseConditionEntry(def, record, input, available, context);
        case ParseKind::ConditionBlock: return parseConditionBlock(def, record, input, available, context);
        case ParseKind::CanTransmitEntry: return parseTransmitEntry(def, 32, record, input, available, context);
        case ParseKind::LinTransmitEntry: return parseTransmitEntry(def, 24, record, input, available, context);
        case ParseKind::TransmitTables: return parseTransmitTables(def, record, input, available, context);
    }
    return 0;
}

}  // namespace zv::setup
