// A second, deliberately plain formatter of the conversion rows: every field through snprintf
// with the format of the file layout. The benchmark measures it as the reference, and the
// conversion fuzz target compares the hand-written formatter against it byte for byte.
#pragma once

#include <cstdint>
#include <string>

#include "capture/capture_record.h"
#include "conversion/row_format.h"

namespace zv::reference {

// Appends the row of record r (without the line end) to out.
void appendRow(std::string& out, const RowContext& context, const CaptureRecord& r, uint32_t previousStamp,
               bool hasPrevious);

}  // namespace zv::reference
