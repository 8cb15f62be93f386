// The data-information block of a data file: validate-and-merge into the reader's summary, and
// the analyzer-copy parse in both forms. Neither may read outside the input.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "setup/data_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size heap copy lets the address sanitizer catch any read past the end.
    std::vector<uint8_t> input(data, data + size);

    zv::DataInfoBlock summary = zv::dataFileSummaryDefaults();
    zv::mergeDataInfoBlock(summary, input.data(), input.size());
    if (summary.size() != zv::kDataInfoSizeDual) std::abort();

    zv::DataInfoBlock dual = zv::composeDataInfoBlock(73763);
    const size_t usedDual = zv::parseDataInfoBlock(dual, input.data(), input.size(), 73763);
    zv::DataInfoBlock canOnly = zv::composeDataInfoBlock(65555);
    const size_t usedCanOnly = zv::parseDataInfoBlock(canOnly, input.data(), input.size(), 65555);
    if (usedDual > size || usedCanOnly > size) std::abort();
    if (dual.size() != zv::kDataInfoSizeDual || canOnly.size() != zv::kDataInfoSizeCanOnly) std::abort();
    return 0;
}
