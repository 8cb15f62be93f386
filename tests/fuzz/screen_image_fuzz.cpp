// The analyzer's screen image: any bytes of any length (a transfer cut short or running long)
// through the LCD picture, the four exports into buffers of any size and the bitmap file. The
// picture and the exports' LCD area must agree with a plain reading of the dots; every
// return value is the size needed or the offset of the pixel bits, a buffer too small is left
// alone, and the rest of a large one is cleared.
//
// Input: four bytes, one per export format (0xFF: no buffer; otherwise the buffer is the
// format's size - 32 + byte % 64; the first byte % 4 also picks the format of the bitmap
// file), then the screen image.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/bytes.h"
#include "keyemu/lcd_picture.h"

namespace {

using namespace zv;
using namespace zv::keyemu;

constexpr ExportFormat kFormats[] = {ExportFormat::Mono, ExportFormat::MonoFramed, ExportFormat::Colour,
                                     ExportFormat::ColourFramed};

void check(bool ok) {
    if (!ok) std::abort();
}

// The exports of an empty screen: outside the LCD area every export looks like this.
const std::array<std::vector<uint8_t>, 4>& emptyExports() {
    static const std::array<std::vector<uint8_t>, 4> exports = [] {
        std::array<std::vector<uint8_t>, 4> e;
        const LcdPicture empty;
        for (size_t i = 0; i < 4; ++i) {
            e[i].assign(exportSize(kFormats[i]), 0);
            empty.exportPicture(kFormats[i], e[i].data(), e[i].size());
        }
        return e;
    }();
    return exports;
}

// The checks read every pixel: their comparisons would swamp the coverage feedback and the
// run time, so only the code under test is traced.
#define ZV_NOT_TRACED __attribute__((no_sanitize("coverage")))

// The dots as the image has them, with a clear border row and column at -1 and at the end.
class Dots {
public:
    ZV_NOT_TRACED explicit Dots(const std::vector<uint8_t>& screen)
        : dots_(static_cast<size_t>((kLcdRows + 2) * (kLcdColumns + 2)), 0) {
        for (size_t at = 0; at < screen.size() && at < kScreenImageSize; ++at)
            for (int bit = 0; bit < 8; ++bit)
                if ((screen[at] >> (7 - bit)) & 1)
                    dots_[(at / kScreenRowBytes + 1) * (kLcdColumns + 2) + at % kScreenRowBytes * 8 +
                          static_cast<size_t>(bit) + 1] = 1;
    }
    ZV_NOT_TRACED bool operator()(int r, int c) const {
        return dots_[static_cast<size_t>((r + 1) * (kLcdColumns + 2) + c + 1)] != 0;
    }

private:
    std::vector<uint8_t> dots_;
};

// Dot (r, c) is byte c of rows 2r and 2r + 1 (0x22), its shadow byte c + 1 of the next two
// rows (0x11); nothing else is set.
ZV_NOT_TRACED void checkPixels(const Dots& dot, const uint8_t* pixels) {
    for (int y = 0; y < kLcdPictureHeight; ++y) {
        for (int b = 0; b < static_cast<int>(kLcdPictureRowBytes); ++b) {
            const bool isDot = y < 2 * kLcdRows && b < kLcdColumns && dot(y / 2, b);
            const bool shadow = y >= 2 && y < 2 * kLcdRows + 2 && b >= 1 && b <= kLcdColumns && dot((y - 2) / 2, b - 1);
            check(pixels[static_cast<size_t>(y) * kLcdPictureRowBytes + static_cast<size_t>(b)] ==
                  ((isDot ? 0x22 : 0) | (shadow ? 0x11 : 0)));
        }
    }
}

// Header and colours as ever; outside the LCD (x 8..247, y 8..71) the picture of an empty
// screen; inside it the dots, and in colour their shadows one dot right and down. Every
// colour index is below 4.
ZV_NOT_TRACED void checkExport(const Dots& dot, bool colour, const uint8_t* packed, size_t size, size_t bitsOffset,
                               const std::vector<uint8_t>& empty) {
    const size_t rowBytes = colour ? 128 : 32, pixelsPerByte = colour ? 2 : 8;
    for (size_t k = 0; k < size; ++k) {
        const uint8_t v = packed[k];
        if (k < bitsOffset) {
            check(v == empty[k]);
            continue;
        }
        if (colour) check((v >> 4) < 4 && (v & 0x0F) < 4);
        const int y = kExportHeight - 1 - static_cast<int>((k - bitsOffset) / rowBytes);
        const int x = static_cast<int>((k - bitsOffset) % rowBytes * pixelsPerByte);
        if (y < kExportLcdTop || y >= kExportLcdTop + kLcdRows || x < kExportLcdLeft || x >= kExportLcdLeft + kLcdColumns) {
            check(v == empty[k]);
            continue;
        }
        const int r = y - kExportLcdTop, c = x - kExportLcdLeft;
        int want = 0;
        for (size_t p = 0; p < pixelsPerByte; ++p) {
            const int cc = c + static_cast<int>(p);
            const int index = colour ? (dot(r, cc) ? 2 : (dot(r - 1, cc - 1) ? 1 : 0)) : (dot(r, cc) ? 1 : 0);
            want = (want << (colour ? 4 : 1)) | index;
        }
        check(v == want);
    }
}

ZV_NOT_TRACED void checkCleared(const std::vector<uint8_t>& buffer, size_t from, uint8_t value) {
    for (size_t k = from; k < buffer.size(); ++k) check(buffer[k] == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t control[4] = {};
    for (size_t i = 0; i < 4 && i < size; ++i) control[i] = data[i];
    // An exact-size copy, so that a read past the image's end is caught.
    const std::vector<uint8_t> screen(data + std::min<size_t>(size, 4), data + size);
    const Dots dot(screen);

    LcdPicture picture;
    picture.show(screen.empty() ? nullptr : screen.data(), screen.size());
    checkPixels(dot, picture.pixels());

    for (size_t i = 0; i < 4; ++i) {
        const ExportFormat f = kFormats[i];
        const size_t needed = exportSize(f);
        if (control[i] == 0xFF) {
            check(picture.exportPicture(f, nullptr, needed + 100) == needed);
            continue;
        }
        std::vector<uint8_t> buffer(needed - 32 + control[i] % 64, 0xA5);
        const size_t got = picture.exportPicture(f, buffer.data(), buffer.size());
        if (buffer.size() < needed) {
            check(got == needed);
            checkCleared(buffer, 0, 0xA5);  // left alone
            continue;
        }
        const bool colour = f == ExportFormat::Colour || f == ExportFormat::ColourFramed;
        check(got == (colour ? 56u : 48u));
        checkCleared(buffer, needed, 0);
        checkExport(dot, colour, buffer.data(), needed, got, emptyExports()[i]);
        if (control[0] % 4u == i) {
            const std::vector<uint8_t> file = bitmapFile(picture, f);
            check(file.size() == kBitmapFileHeaderSize + needed && getU32(file.data(), 2) == file.size());
            check(getU32(file.data(), 10) == kBitmapFileHeaderSize + got);
            check(std::equal(buffer.begin(), buffer.begin() + static_cast<long>(needed), file.begin() + 14));
        }
    }
    return 0;
}
