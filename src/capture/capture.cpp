#include "capture/capture.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace zv {

const char* dataFileStatusText(DataFileStatus status) {
    switch (status) {
        case DataFileStatus::Ok:
            return "data file";
        case DataFileStatus::TooShort:
            return "shorter than the 16-byte signature";
        case DataFileStatus::BadSignature:
            return "no data-file signature";
        case DataFileStatus::BadChunk:
            return "a chunk length is negative or runs past the end of the file";
        case DataFileStatus::NoRecordChunk:
            return "no record chunk (MONC or MDCL)";
        case DataFileStatus::Unreadable:
            return "cannot be read";
    }
    return "not a data file";
}

namespace {

// One step of the chunk walk.
struct Chunk {
    uint32_t tag;
    const uint8_t* content;
    size_t length;
};

// Walks the chunks after the signature, calling visit for each valid one. Returns the status of
// the walk: Ok with a record chunk, NoRecordChunk without one, TooShort/BadSignature/BadChunk.
template <typename Visit>
DataFileStatus walkChunks(const uint8_t* image, size_t length, Visit&& visit) {
    if (image == nullptr || length < kDataFileSignatureSize) return DataFileStatus::TooShort;
    if (std::memcmp(image, kDataFileSignature, kDataFileSignatureSize) != 0) return DataFileStatus::BadSignature;
    bool recordChunk = false;
    size_t position = kDataFileSignatureSize;
    while (length - position >= 8) {
        const uint32_t tag = getU32(image, position);
        const int32_t chunkLength = getI32(image, position + 4);
        const size_t available = length - position - 8;
        if (chunkLength < 0 || static_cast<size_t>(chunkLength) > available) return DataFileStatus::BadChunk;
        const Chunk chunk{tag, image + position + 8, static_cast<size_t>(chunkLength)};
        if (tag == kTagMonc || tag == kTagMdcl) recordChunk = true;
        visit(chunk);
        position += 8 + chunk.length;
    }
    // Fewer than 8 trailing bytes are ignored.
    return recordChunk ? DataFileStatus::Ok : DataFileStatus::NoRecordChunk;
}

}  // namespace

DataFileStatus checkDataFileImage(const uint8_t* image, size_t length) {
    return walkChunks(image, length, [](const Chunk&) {});
}

CCapture::CCapture() : dataInfo_(dataFileSummaryDefaults()) {}

CCapture::~CCapture() = default;

void CCapture::clear() {
    dataInfo_ = dataFileSummaryDefaults();
    areaBegin_ = areaEnd_ = first_ = nullptr;
    areaLength_ = 0;
    count_ = endMarker_ = current_ = 0;
    tag_ = 0;
    analogInputs_ = 0;
}

bool CCapture::load(const uint8_t* image, size_t length) {
    clear();
    status_ = walkChunks(image, length, [this](const Chunk& chunk) {
        if (chunk.tag == kTagMonc || chunk.tag == kTagMdcl) {
            // A later record chunk replaces an earlier one.
            areaBegin_ = chunk.content;
            areaEnd_ = chunk.content + chunk.length;
            areaLength_ = chunk.length;
            tag_ = chunk.tag;
        } else if (chunk.tag == kTagDataInfo) {
            // What the merge could read stays, even when it rejects the rest.
            mergeDataInfoBlock(dataInfo_, chunk.content, chunk.length);
            analogInputs_ = dataInfo_.analogInputs();
        }
    });
    if (status_ != DataFileStatus::Ok) {
        clear();
        return false;
    }
    first_ = areaBegin_;
    count_ = static_cast<uint32_t>(areaLength_ / kCaptureRecordSize);
    endMarker_ = 0;  // iteration ends where it started: at the first record
    seek(0);
    return true;
}

bool CCapture::next(uint32_t& position) const {
    if (count_ == 0) return false;
    uint32_t n = position + 1;
    if (n >= count_) n = 0;  // wrap to the start of the area
    if (n == endMarker_) return false;
    position = n;
    return true;
}

void CCapture::seek(int64_t index) {
    if (index < 0 || count_ == 0) index = 0;
    if (count_ > 0 && index > static_cast<int64_t>(count_) - 1) index = static_cast<int64_t>(count_) - 1;
    current_ = static_cast<uint32_t>(index);
}

bool LoadedDataFile::loadFile(const std::string& path) {
    release();
    if (!readWholeFile(path, image_)) {
        status_ = DataFileStatus::Unreadable;
        return false;
    }
    if (!capture_.load(image_.bytes.get(), image_.size)) {
        status_ = capture_.status();
        image_ = FileImage{};  // freed at once
        return false;
    }
    status_ = DataFileStatus::Ok;
    return true;
}

void LoadedDataFile::release() {
    capture_.clear();
    image_ = FileImage{};
}

bool fileIsDataFile(const std::string& path) {
    FileImage image;
    return readWholeFile(path, image) && checkDataFileImage(image.bytes.get(), image.size) == DataFileStatus::Ok;
}

namespace {

LoadedDataFile& loadedForUse(int use) {
    static LoadedDataFile display;
    static LoadedDataFile conversion;
    return use < kCaptureUseConversion ? display : conversion;
}

}  // namespace

CCapture& captureForUse(int use) { return loadedForUse(use).capture(); }

bool loadFile(const std::string& path, int use) { return loadedForUse(use).loadFile(path); }

void releaseImages(int use) {
    if (use < kCaptureUseConversion) loadedForUse(kCaptureUseDisplay).release();
    loadedForUse(kCaptureUseConversion).release();
}

}  // namespace zv
