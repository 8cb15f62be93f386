// A data file is outside input: any bytes must load or be refused without reading outside the
// image, the quick check must agree with the load, and a loaded record area must lie inside the
// image and be walked exactly once.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "capture/capture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size heap copy lets the address sanitizer catch any read past the end.
    const std::vector<uint8_t> image(data, data + size);
    const zv::DataFileStatus quick = zv::checkDataFileImage(image.data(), image.size());

    zv::CCapture capture;
    const bool loaded = capture.load(image.data(), image.size());
    if (loaded != (quick == zv::DataFileStatus::Ok)) std::abort();
    if (capture.status() != quick) std::abort();
    if (!loaded) {
        if (capture.count() != 0 || capture.recordTag() != 0 || capture.analogInputs() != 0) std::abort();
        return 0;
    }
    if (capture.recordTag() != zv::kTagMonc && capture.recordTag() != zv::kTagMdcl) std::abort();
    if (capture.dataInfo().size() != zv::kDataInfoSizeDual) std::abort();

    const uint32_t count = capture.count();
    if (count > 0) {
        const uint8_t* begin = capture.recordAreaBegin();
        const uint8_t* end = capture.recordBytes(count - 1) + zv::kCaptureRecordSize;
        if (begin < image.data() + zv::kDataFileSignatureSize + 8 || end > image.data() + image.size()) std::abort();
    }

    uint32_t visited = 0;
    uint32_t position = 0;
    unsigned checksum = 0;
    if (count > 0) {
        do {
            const zv::CaptureRecord r = capture.record(position);
            checksum += r.source() + static_cast<unsigned>(r.statusLetter()) + r.checksum() + r.timeStamp();
            ++visited;
        } while (capture.next(position) && visited <= count);
    }
    if (visited != count) std::abort();

    capture.seek(-1);
    if (capture.current() != 0) std::abort();
    capture.seek(static_cast<int64_t>(count) + 5);
    if (count > 0 && capture.current() != count - 1) std::abort();
    return checksum == 0xFFFFFFFFu ? 1 : 0;
}
