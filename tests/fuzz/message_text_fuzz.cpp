// Texts of the language library formatted with a number: whatever a translator wrote, the
// formatter reads nothing but the number, stays within the limit, and takes the number at
// most once. The first four bytes are the number, the rest the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "remote/number_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t number = 0;
    for (size_t i = 0; i < 4 && i < size; ++i) number |= static_cast<uint32_t>(data[i]) << (8 * i);
    const std::string_view text = size > 4 ? std::string_view(reinterpret_cast<const char*>(data + 4), size - 4)
                                           : std::string_view();
    const std::string out = zv::formatWithNumber(text, number);
    if (out.size() > zv::kMessageTextLimit) std::abort();
    // Without a percent sign the text comes back as it is (cut to the limit).
    if (text.find('%') == std::string_view::npos && out != text.substr(0, zv::kMessageTextLimit)) std::abort();
    return 0;
}
