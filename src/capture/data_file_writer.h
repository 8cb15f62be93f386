// Writes data files the program creates itself (the numbered buffer files of monitoring).
// The file is a valid data file from its creation on: create writes the whole header
// (signature, "DINF" chunk, record chunk tag and a record count of 0), every append writes its
// records and only then raises the count in the header over them, and finish brings the
// header up to date and closes. A crash, a killed process or a failed write therefore leaves a
// file that opens with every record its header counts. Only a file whose header could not be
// written at creation is deleted again.
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
// stand-in block. Returns the bytes written, 0 for an unsupported type.
size_t composeDataFileHeader(uint8_t* out, BoardType boardType, const DataInfoBlock& info, uint32_t recordBytes);

class DataFileWriter {
public:
    explicit DataFileWriter(FileSystem& fs = realFileSystem()) : fs_(fs) {}
    // A file still open is closed as it is: its header already counts every record in it.
    ~DataFileWriter();
    DataFileWriter(const DataFileWriter&) = delete;
    DataFileWriter& operator=(const DataFileWriter&) = delete;

    // Creates a new file (failing when it exists) and writes the header with info and no
    // records; a file still open is closed first. A board type without a data file form fails
    // with ERROR_NOT_SUPPORTED and creates nothing; a header that cannot be written takes the
    // file with it.
    Result create(const std::string& path, BoardType boardType, const DataInfoBlock& info);
    // Appends record bytes, then raises the header's count over them. When either write fails
    // the file is cut back to the records counted before, where the system allows it, and
    // closed; it stays with those records.
    Result append(const uint8_t* bytes, size_t n);
    // Writes the header anew with info (the count stays); the file stays open. A failure
    // closes the file, which keeps its records.
    Result writeHeader(const DataInfoBlock& info);
    // Writes the header with info and the count, hands the file to the disk and closes it. A
    // failure closes the file all the same; it keeps its records.
    Result finish(const DataInfoBlock& info);
    // Closes the file as it stands.
    void close();

    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }
    uint32_t recordBytes() const { return recordBytes_; }

private:
    Result writeCount(uint32_t recordBytes);
    // Removes what a failed append may have left behind the counted records (n bytes at end).
    void dropTail(uint64_t end, size_t n);
    Result failAndClose(Result r);

    FileSystem& fs_;
    std::unique_ptr<WritableFile> file_;
    std::string path_;
    BoardType boardType_ = 0;
    size_t headerSize_ = 0;
    uint32_t recordBytes_ = 0;
};

}  // namespace zv
