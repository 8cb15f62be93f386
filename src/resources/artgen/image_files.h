// The two file formats the resource compiler takes for the program's pictures, written byte
// by byte: palette bitmaps (.bmp) for toolbar strips and panel artwork, and an icon file
// (.ico) with several sizes.
#pragma once

#include <cstdint>
#include <vector>

#include "pixel_art.h"

namespace zv::art {

// Toolbar strips are 8-bit palette bitmaps: the toolbar control maps the palette's light
// grey (192, 192, 192) to the button face colour, so transparent pixels are written as that
// grey. The palette lists the colours in the order they first appear, scanning rows from the
// top, transparent grey first. Fails (empty result) when the picture has more than 256
// colours, or an opaque pixel is that grey itself (it would turn transparent), or a pixel
// is half transparent.
constexpr Rgba kToolbarFace{192, 192, 192, 255};
std::vector<uint8_t> encodePaletteBitmap(const Image& image);

// Panel artwork is a 16-colour bitmap (4 bits per pixel) with the palette given, in that
// order, padded with black to 16 entries; the program loads it device-dependent. Fails
// (empty result) when the palette has more than 16 colours or the picture uses a colour
// outside it.
std::vector<uint8_t> encodeSixteenColourBitmap(const Image& image, const std::vector<Rgba>& palette);

// An icon file with one 32-bit image (alpha channel and AND mask) per entry, in the order
// given. Sizes up to 256 pixels; an empty list or an empty image fails (empty result).
std::vector<uint8_t> encodeIcon(const std::vector<Image>& sizes);

}  // namespace zv::art
