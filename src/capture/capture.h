// Data files ("ZEVRONA DATA   " signature, then "DINF", "MONC", "MDCL" and other chunks) and
// the reader CCapture, which walks the record area of a file image held in memory. The image
// is not copied: CCapture points into it, and whoever loaded it keeps it alive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/file_io.h"
#include "capture/capture_record.h"
#include "setup/data_info.h"

namespace zv {

constexpr size_t kDataFileSignatureSize = 16;
inline constexpr char kDataFileSignature[kDataFileSignatureSize + 1] = "ZEVRONA DATA   ";  // + the zero byte

// Why an image is or is not a data file.
enum class DataFileStatus : uint8_t {
    Ok,             // signature, valid chunks, a record chunk
    TooShort,       // fewer than 16 bytes
    BadSignature,   // the 16 bytes differ from the signature and its zero byte
    BadChunk,       // a chunk length is negative or runs past the end of the file
    NoRecordChunk,  // no "MONC" or "MDCL" chunk
    Unreadable,     // the file could not be opened, sized or read whole
};

const char* dataFileStatusText(DataFileStatus status);

// The chunk walk of a data file without keeping anything.
DataFileStatus checkDataFileImage(const uint8_t* image, size_t length);

class CCapture {
public:
    CCapture();
    virtual ~CCapture();
    CCapture(const CCapture&) = delete;
    CCapture& operator=(const CCapture&) = delete;

    // Loads a file image: true when it is a data file with a record chunk (possibly empty). On
    // false the object is left empty. The image must stay alive while the object refers to it.
    bool load(const uint8_t* image, size_t length);
    DataFileStatus status() const { return status_; }

    // Records in the record area (whole 32-byte records only).
    uint32_t count() const { return count_; }
    // Moves position to the next record, wrapping at the end of the area; false (position kept)
    // when that would reach the end marker, and at once when there are no records.
    bool next(uint32_t& position) const;
    // Clamps index to 0..count-1 and makes that record current.
    void seek(int64_t index);
    uint32_t current() const { return current_; }

    // Record i (i < count()).
    const uint8_t* recordBytes(uint32_t index) const { return first_ + static_cast<size_t>(index) * kCaptureRecordSize; }
    CaptureRecord record(uint32_t index) const { return CaptureRecord(recordBytes(index)); }
    const uint8_t* recordAreaBegin() const { return first_; }

    // "MONC", "MDCL", or 0 when nothing is loaded.
    uint32_t recordTag() const { return tag_; }
    uint8_t analogInputs() const { return analogInputs_; }
    // The data-information summary (812-byte form), defaults when the file has no "DINF".
    const DataInfoBlock& dataInfo() const { return dataInfo_; }

    // Forgets the loaded image.
    void clear();

private:
    DataInfoBlock dataInfo_;
    const uint8_t* areaBegin_ = nullptr;
    const uint8_t* areaEnd_ = nullptr;
    const uint8_t* first_ = nullptr;
    size_t areaLength_ = 0;
    uint32_t count_ = 0;
    uint32_t endMarker_ = 0;
    uint32_t current_ = 0;
    uint32_t tag_ = 0;
    uint8_t analogInputs_ = 0;
    DataFileStatus status_ = DataFileStatus::NoRecordChunk;
};

// A data file loaded from disk: the image and the reader over it, owned together.
class LoadedDataFile {
public:
    // Reads and loads path; false (and status() says why) when it is not a data file.
    bool loadFile(const std::string& path);
    void release();
    const CCapture& capture() const { return capture_; }
    CCapture& capture() { return capture_; }
    DataFileStatus status() const { return status_; }
    size_t imageSize() const { return image_.size; }

private:
    FileImage image_;
    CCapture capture_;
    DataFileStatus status_ = DataFileStatus::NoRecordChunk;
};

// The quick check before opening a file: readable, signature, valid chunks, a record chunk.
bool fileIsDataFile(const std::string& path);

// The program's two readers: use 0 or 1 is the display object, use 2 the conversion object.
constexpr int kCaptureUseDisplay = 0;
constexpr int kCaptureUseConversion = 2;
CCapture& captureForUse(int use);
// Reads path whole and loads it into the object of that use, replacing its previous image.
bool loadFile(const std::string& path, int use);
// Frees the display image (use below 2) and always the conversion image.
void releaseImages(int use);

}  // namespace zv
