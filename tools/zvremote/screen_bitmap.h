// The analyzer's LCD picture as a bitmap file: 240 x 64 dots, one bit per dot, white ground
// and black dots, rows stored bottom-up as bitmap files keep them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zv::tools {

constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 64;
constexpr size_t kScreenRowBytes = 30;        // of the analyzer's image
constexpr size_t kScreenImageSize = 1920;
constexpr size_t kBitmapRowBytes = 32;        // rows of a bitmap are padded to 4 bytes
constexpr size_t kBitmapBitsOffset = 14 + 40 + 8;
constexpr size_t kScreenBitmapFileSize = kBitmapBitsOffset + kBitmapRowBytes * kScreenHeight;  // 2110

// The bitmap file of a 1920-byte screen image (rows of 30 bytes, leftmost dot in the most
// significant bit, a set bit a dark dot).
std::vector<uint8_t> screenBitmapFile(const uint8_t* screen);

}  // namespace zv::tools
