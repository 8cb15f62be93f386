// Writes 24-bit RGB pictures as PNG files. The screenshots of the UI tests are the only
// pictures we write, so the encoder keeps it simple: deflate with stored blocks, which every
// reader accepts, at the cost of files about as large as the raw pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvui {

// rgb holds height rows of width pixels, three bytes each (red, green, blue), top row first.
std::vector<uint8_t> encodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

uint32_t crc32(const uint8_t* data, std::size_t size, uint32_t crc = 0);
uint32_t adler32(const uint8_t* data, std::size_t size);

}  // namespace zvui
