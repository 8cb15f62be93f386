// The working file an upload writes into (DATAFILE.TMP): created afresh, written front to
// back by the library's thread, then cut at the current position and given its signature at
// offset 0. The request's data field points at one of these, never at a system handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/board_type.h"
#include "base/result.h"
#include "setup/data_info.h"

namespace zv {

class UploadFile {
public:
    virtual ~UploadFile() = default;
    // Writes all n bytes at the current position or fails (unbuffered: a full disk fails here).
    virtual Result write(const uint8_t* bytes, size_t n) = 0;
    // Ends the file at the current position.
    virtual Result setEndHere() = 0;
    virtual Result seekToStart() = 0;
    // A second close does nothing.
    virtual Result close() = 0;
};

// Creates path for reading and writing, replacing an existing file.
using UploadFileOpener = std::function<Result(const std::string& path, std::unique_ptr<UploadFile>& file)>;
Result createUploadFile(const std::string& path, std::unique_ptr<UploadFile>& file);

// Writes the header of a finished data file again with another data-information block,
// keeping its record byte count. Refuses (ERROR_INVALID_DATA) a file whose header is not the
// one the board family writes, so a file of another family is never overwritten.
Result rewriteDataFileHeader(const std::string& path, BoardType boardType, const DataInfoBlock& info);

}  // namespace zv
