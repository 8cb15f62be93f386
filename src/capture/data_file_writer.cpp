#include "capture/data_file_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "base/bytes.h"

namespace zv {
namespace {

constexpr char kWriterSignature[16] = {'Z', 'E', 'V', 'R', 'O', 'N', 'A', ' ', 'D', 'A', 'T', 'A', ' ', ' ', ' ', '\0'};
constexpr uint32_t kRecordChunkDual = fourCC("MDCL");
constexpr uint32_t kRecordChunkCanOnly = fourCC("MONC");

}  // namespace

size_t dataFileHeaderSize(BoardType boardType) {
    if (isCanOnlyBoard(boardType)) return kDataFileHeaderSizeCanOnly;
    if (isDualProtocolBoard(boardType)) return kDataFileHeaderSizeDual;
    return 0;
}

size_t composeDataFileHeader(uint8_t* out, BoardType boardType, const DataInfoBlock& info, uint32_t recordBytes) {
    const size_t headerSize = dataFileHeaderSize(boardType);
    if (headerSize == 0) return 0;
    const bool canOnly = headerSize == kDataFileHeaderSizeCanOnly;
    const uint32_t blockSize = canOnly ? kDataInfoSizeCanOnly : kDataInfoSizeDual;
    // A chunk length that disagrees with the block's own size word would make the file
    // unreadable; such a block cannot come from this family, so the family's stand-in takes
    // its place.
    const DataInfoBlock block = info.size() == blockSize ? info : composeStandInDataInfoBlock(boardType);

    std::memcpy(out, kWriterSignature, sizeof kWriterSignature);
    putU32(out, 16, kTagDataInfo);
    putU32(out, 20, blockSize);
    std::memcpy(out + 24, block.data(), blockSize);
    putU32(out, 24 + blockSize, canOnly ? kRecordChunkCanOnly : kRecordChunkDual);
    putU32(out, 28 + blockSize, recordBytes);
    return headerSize;
}

DataFileWriter::~DataFileWriter() { close(); }

void DataFileWriter::close() {
    if (!file_) return;
    file_->close();
    file_.reset();
    path_.clear();
    recordBytes_ = 0;
}

Result DataFileWriter::failAndClose(Result r) {
    close();
    return r;
}

Result DataFileWriter::create(const std::string& path, BoardType boardType, const DataInfoBlock& info) {
    close();
    const size_t headerSize = dataFileHeaderSize(boardType);
    if (headerSize == 0) return resultFromSystemError(kErrorNotSupported);
    std::unique_ptr<WritableFile> file;
    const Result r = fs_.createNew(path, file);
    if (failed(r)) return r;
    std::array<uint8_t, kDataFileHeaderSizeDual> header{};
    composeDataFileHeader(header.data(), boardType, info, 0);
    const Result w = file->writeAt(0, header.data(), headerSize);
    if (failed(w)) {
        // Without its header the file is no data file yet and holds nothing worth keeping.
        file->close();
        fs_.remove(path);
        return w;
    }
    file_ = std::move(file);
    path_ = path;
    boardType_ = boardType;
    headerSize_ = headerSize;
    recordBytes_ = 0;
    return kOk;
}

Result DataFileWriter::writeCount(uint32_t recordBytes) {
    std::array<uint8_t, 4> count{};
    putU32(count.data(), 0, recordBytes);
    return file_->writeAt(headerSize_ - count.size(), count.data(), count.size());
}

Result DataFileWriter::append(const uint8_t* bytes, size_t n) {
    if (!file_) return resultFromSystemError(kErrorInvalidParameter);
    if (n == 0) return kOk;
    // The header holds the count in 32 bits; a file never grows past what it can state.
    if (n > std::numeric_limits<uint32_t>::max() - recordBytes_) return failAndClose(resultFromSystemError(223));
    // Records first, the count after them: the count never covers bytes that are not in the
    // file. A process killed between the two writes still leaves the new records behind the
    // counted ones, where a reader takes them for a broken chunk; that window is the length of
    // one system call per block.
    const uint64_t end = headerSize_ + uint64_t{recordBytes_};
    const Result r = file_->writeAt(end, bytes, n);
    if (failed(r)) {
        dropTail(end, n);
        return failAndClose(r);
    }
    const Result c = writeCount(recordBytes_ + static_cast<uint32_t>(n));
    if (failed(c)) {
        // A failed write may still have changed the count. Only with the old count back in
        // place can the records go again; otherwise they stay, which is right should the new
        // count have got in.
        if (succeeded(writeCount(recordBytes_))) dropTail(end, n);
        return failAndClose(c);
    }
    recordBytes_ += static_cast<uint32_t>(n);
    return kOk;
}

void DataFileWriter::dropTail(uint64_t end, size_t n) {
    // Bytes behind the counted records would be read as a broken chunk: they are cut off
    // again, or, where the system refuses that, blanked (zero bytes read as empty chunks,
    // which readers skip).
    if (succeeded(file_->truncate(end))) return;
    static constexpr std::array<uint8_t, 4096> kZeros{};
    for (size_t at = 0; at < n; at += kZeros.size()) {
        if (failed(file_->writeAt(end + at, kZeros.data(), std::min(kZeros.size(), n - at)))) return;
    }
}

Result DataFileWriter::writeHeader(const DataInfoBlock& info) {
    if (!file_) return resultFromSystemError(kErrorInvalidParameter);
    // Only the block's contents change: signature, chunk heads and count are what the file
    // holds already, so even a header written in part leaves a readable file.
    std::array<uint8_t, kDataFileHeaderSizeDual> header{};
    composeDataFileHeader(header.data(), boardType_, info, recordBytes_);
    const Result r = file_->writeAt(0, header.data(), headerSize_);
    return failed(r) ? failAndClose(r) : kOk;
}

Result DataFileWriter::finish(const DataInfoBlock& info) {
    if (!file_) return resultFromSystemError(kErrorInvalidParameter);
    std::array<uint8_t, kDataFileHeaderSizeDual> header{};
    composeDataFileHeader(header.data(), boardType_, info, recordBytes_);
    Result r = file_->writeAt(0, header.data(), headerSize_);
    // The disk itself gets the file once, when it is complete. Asking for that after every
    // block would make each block wait for the disk, hundreds of times a second at full
    // traffic. A crashed or killed program loses nothing by it (the system holds every
    // write); a power cut before the finish may cost what the system had not written out.
    if (succeeded(r)) r = file_->flushToDisk();
    const Result c = file_->close();
    if (succeeded(r)) r = c;
    file_.reset();
    path_.clear();
    recordBytes_ = 0;
    return r;
}

}  // namespace zv
