#include "capture/data_file_writer.h"

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
    // unreadable; such a block cannot come from this family, so its defaults stand in.
    const DataInfoBlock block = info.size() == blockSize ? info : composeDataInfoBlock(boardType);

    std::memcpy(out, kWriterSignature, sizeof kWriterSignature);
    putU32(out, 16, kTagDataInfo);
    putU32(out, 20, blockSize);
    std::memcpy(out + 24, block.data(), blockSize);
    putU32(out, 24 + blockSize, canOnly ? kRecordChunkCanOnly : kRecordChunkDual);
    putU32(out, 28 + blockSize, recordBytes);
    return headerSize;
}

DataFileWriter::~DataFileWriter() { discard(); }

Result DataFileWriter::fail(Result r) {
    discard();
    return r;
}

void DataFileWriter::discard() {
    if (!file_) return;
    file_->close();
    file_.reset();
    fs_.remove(path_);
    path_.clear();
    recordBytes_ = 0;
}

Result DataFileWriter::create(const std::string& path, BoardType boardType) {
    discard();
    const size_t headerSize = dataFileHeaderSize(boardType);
    if (headerSize == 0) return resultFromSystemError(kErrorNotSupported);
    std::unique_ptr<WritableFile> file;
    const Result r = fs_.createNew(path, file);
    if (failed(r)) return r;
    file_ = std::move(file);
    path_ = path;
    boardType_ = boardType;
    recordBytes_ = 0;
    static constexpr std::array<uint8_t, kDataFileHeaderSizeDual> kZeros{};
    const Result w = file_->write(kZeros.data(), headerSize);
    return failed(w) ? fail(w) : kOk;
}

Result DataFileWriter::append(const uint8_t* bytes, size_t n) {
    if (!file_) return resultFromSystemError(kErrorInvalidParameter);
    // The header holds the count in 32 bits; a file never grows past what it can state.
    if (n > std::numeric_limits<uint32_t>::max() - recordBytes_) return fail(resultFromSystemError(223));
    const Result r = file_->write(bytes, n);
    if (failed(r)) return fail(r);
    recordBytes_ += static_cast<uint32_t>(n);
    return kOk;
}

Result DataFileWriter::finish(const DataInfoBlock& info) {
    if (!file_) return resultFromSystemError(kErrorInvalidParameter);
    std::array<uint8_t, kDataFileHeaderSizeDual> header{};
    const size_t headerSize = composeDataFileHeader(header.data(), boardType_, info, recordBytes_);
    Result r = file_->seekToStart();
    if (failed(r)) return fail(r);
    r = file_->write(header.data(), headerSize);
    if (failed(r)) return fail(r);
    r = file_->close();
    if (failed(r)) return fail(r);
    file_.reset();
    path_.clear();
    recordBytes_ = 0;
    return kOk;
}

}  // namespace zv
