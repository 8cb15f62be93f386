// A fast zlib stream (RFC 1950 around one fixed-Huffman deflate block, RFC 1951) for data made
// of records that mostly repeat the record before them: the only matches looked for are at a
// given distance back, region by region. Log objects of one kind differ from the previous
// one in a few bytes (time stamp, identifier, data), so this finds nearly all that a general
// compressor finds there, at a fraction of its cost. Any inflater reads the result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zv {

// From start on (to the next region's start, or the end of the data), matches are looked for
// `distance` bytes back; 0 means none. Regions are in order of start.
struct DeflateRegion {
    uint32_t start = 0;
    uint32_t distance = 0;
};

// Appends the zlib stream of data[0..size) to out.
void appendFastDeflate(const uint8_t* data, size_t size, const std::vector<DeflateRegion>& regions,
                       std::vector<uint8_t>& out);

}  // namespace zv
