// Writes data files the program creates itself (the numbered buffer files of monitoring):
// a zero placeholder as long as the header, the records, and on finish the real header
// (signature, "DINF" chunk, record chunk tag and record byte count) written over the
// placeholder. Whatever fails, the file is deleted: a half-written data file never stays.
// One writer is used by one thread at a time; the buffer-file writer guards it with its lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/board_type.h"
#include "base/result.h"
#include "capture/file_system.h"
#include "setup/data_info.h"

namespace zv {

constexpr size_t kDataFileHeaderSizeDual = 844;     // "MDCL" files of dual-protocol boards
constexpr size_t kDataFileHeaderSizeCanOnly = 236;  // "MONC" files of EX-NB2A boards

// Header size for a board type, 0 for a type the program writes no data file for.
size_t dataFileHeaderSize(BoardType boardType);

// The final header for a board type into out (dataFileHeaderSize bytes). The block is written
// in the form of the board's family; a block in the other form is replaced by that family's
// defaults. Returns the bytes written, 0 for an unsupported type.
size_t composeDataFileHeader(uint8_t* out, BoardType boardType, const DataInfoBlock& info, uint32_t recordBytes);

class DataFileWriter {
public:
    explicit DataFileWriter(FileSystem& fs = realFileSystem()) : fs_(fs) {}
    // An unfinished file is deleted.
    ~DataFileWriter();
    DataFileWriter(const DataFileWriter&) = delete;
    DataFileWriter& operator=(const DataFileWriter&) = delete;

    // Creates a new file (failing when it exists) and writes the zero placeholder header; a
    // file still open is discarded first. A board type without a data file form fails with
    // ERROR_NOT_SUPPORTED and creates nothing.
    Result create(const std::string& path, BoardType boardType);
    // Appends record bytes and counts them.
    Result append(const uint8_t* bytes, size_t n);
    // Writes the final header with the block and the count, and closes the file.
    Result finish(const DataInfoBlock& info);
    // Closes and deletes an open file.
    void discard();

    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }
    uint32_t recordBytes() const { return recordBytes_; }

private:
    Result fail(Result r);

    FileSystem& fs_;
    std::unique_ptr<WritableFile> file_;
    std::string path_;
    BoardType boardType_ = 0;
    uint32_t recordBytes_ = 0;
};

}  // namespace zv
