#include "screen_bitmap.h"

#include <algorithm>

#include "base/bytes.h"

namespace zv::tools {

std::vector<uint8_t> screenBitmapFile(const uint8_t* screen) {
    std::vector<uint8_t> file(kScreenBitmapFileSize, 0);
    uint8_t* p = file.data();
    // File header.
    p[0] = 'B';
    p[1] = 'M';
    putU32(p, 2, static_cast<uint32_t>(kScreenBitmapFileSize));
    putU32(p, 10, static_cast<uint32_t>(kBitmapBitsOffset));
    // Information header: bottom-up, one plane, one bit per pixel, uncompressed.
    uint8_t* info = p + 14;
    putU32(info, 0, 40);
    putU32(info, 4, kScreenWidth);
    putU32(info, 8, kScreenHeight);
    putU16(info, 12, 1);
    putU16(info, 14, 1);
    putU32(info, 16, 0);
    putU32(info, 20, static_cast<uint32_t>(kBitmapRowBytes * kScreenHeight));
    putU32(info, 24, 3800);  // pixels per metre, as the program's own screenshots
    putU32(info, 28, 3800);
    putU32(info, 32, 2);
    putU32(info, 36, 0);
    // Colour 0 white (the ground), colour 1 black (a dot); entries are blue, green, red, 0.
    uint8_t* colours = info + 40;
    colours[0] = colours[1] = colours[2] = 0xFF;
    // The screen's bit order is the bitmap's: each row is copied as it is, bottom row first.
    for (int row = 0; row < kScreenHeight; ++row) {
        const uint8_t* from = screen + static_cast<size_t>(row) * kScreenRowBytes;
        uint8_t* to = p + kBitmapBitsOffset + static_cast<size_t>(kScreenHeight - 1 - row) * kBitmapRowBytes;
        std::copy(from, from + kScreenRowBytes, to);
    }
    return file;
}

}  // namespace zv::tools
