#include "image_files.h"

#include "base/bytes.h"

namespace zv::art {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

size_t paletteRowStride(int width, uint16_t bitCount) {
    return ((static_cast<size_t>(width) * bitCount + 31u) / 32u) * 4u;
}
size_t maskRowStride(int width) { return ((static_cast<size_t>(width) + 31u) / 32u) * 4u; }

void putInfoHeader(uint8_t* p, int width, int height, uint16_t bitCount, uint32_t imageSize,
                   uint32_t coloursUsed) {
    putU32(p, 0, kInfoHeaderSize);
    putU32(p, 4, static_cast<uint32_t>(width));
    putU32(p, 8, static_cast<uint32_t>(height));
    putU16(p, 12, 1);  // planes
    putU16(p, 14, bitCount);
    putU32(p, 16, 0);  // no compression
    putU32(p, 20, imageSize);
    putU32(p, 24, static_cast<uint32_t>(kPixelsPerMetre));
    putU32(p, 28, static_cast<uint32_t>(kPixelsPerMetre));
    putU32(p, 32, coloursUsed);
    putU32(p, 36, 0);  // all colours important
}

// A bitmap file of palette indexes (one per pixel, top row first) at 8 or 4 bits per pixel.
std::vector<uint8_t> paletteBitmapFile(int width, int height, const std::vector<Rgba>& palette,
                                       const std::vector<uint8_t>& indexes, uint16_t bitCount) {
    const size_t stride = paletteRowStride(width, bitCount);
    const size_t pixelBytes = stride * static_cast<size_t>(height);
    const size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + 4 * palette.size();
    std::vector<uint8_t> out(pixelOffset + pixelBytes, 0);
    uint8_t* p = out.data();
    putU8(p, 0, 'B');
    putU8(p, 1, 'M');
    putU32(p, 2, static_cast<uint32_t>(out.size()));
    putU32(p, 10, static_cast<uint32_t>(pixelOffset));
    putInfoHeader(p + kFileHeaderSize, width, height, bitCount, static_cast<uint32_t>(pixelBytes),
                  static_cast<uint32_t>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) {
        uint8_t* entry = p + kFileHeaderSize + kInfoHeaderSize + 4 * i;
        entry[0] = palette[i].b;
        entry[1] = palette[i].g;
        entry[2] = palette[i].r;
        entry[3] = 0;
    }
    // Rows bottom-up, each padded to four bytes; at 4 bits the left pixel is the high nibble.
    for (int y = 0; y < height; ++y) {
        uint8_t* row = p + pixelOffset + static_cast<size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const uint8_t index = indexes[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            if (bitCount == 8) {
                row[x] = index;
            } else {
                row[x / 2] = static_cast<uint8_t>(row[x / 2] | (x % 2 == 0 ? index << 4 : index));
            }
        }
    }
    return out;
}

}  // namespace

std::vector<uint8_t> encodePaletteBitmap(const Image& image) {
    if (image.width() <= 0 || image.height() <= 0) return {};
    std::vector<Rgba> palette{kToolbarFace};
    std::vector<uint8_t> indexes(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            Rgba c = image.at(x, y);
            if (c.a == 0) {
                c = kToolbarFace;
            } else if (c.a != 255 || c == kToolbarFace) {
                return {};
            }
            size_t i = 0;
            while (i < palette.size() && !(palette[i] == c)) ++i;
            if (i == palette.size()) {
                if (palette.size() == 256) return {};
                palette.push_back(c);
            }
            indexes[static_cast<size_t>(y) * static_cast<size_t>(image.width()) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(i);
        }
    }
    return paletteBitmapFile(image.width(), image.height(), palette, indexes, 8);
}

std::vector<uint8_t> encodeSixteenColourBitmap(const Image& image, const std::vector<Rgba>& palette) {
    if (image.width() <= 0 || image.height() <= 0 || palette.size() > 16) return {};
    std::vector<Rgba> full = palette;
    full.resize(16, Rgba{0, 0, 0, 255});
    std::vector<uint8_t> indexes(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgba c = image.at(x, y);
            size_t i = 0;
            while (i < palette.size() && !(palette[i] == c)) ++i;
            if (i == palette.size()) return {};
            indexes[static_cast<size_t>(y) * static_cast<size_t>(image.width()) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(i);
        }
    }
    return paletteBitmapFile(image.width(), image.height(), full, indexes, 4);
}

std::vector<uint8_t> encodeIcon(const std::vector<Image>& sizes) {
    if (sizes.empty() || sizes.size() > 0xFFFF) return {};
    constexpr size_t kDirHeader = 6, kDirEntry = 16;
    size_t offset = kDirHeader + kDirEntry * sizes.size();
    std::vector<uint8_t> out(offset, 0);
    putU16(out.data(), 0, 0);
    putU16(out.data(), 2, 1);  // icon, not cursor
    putU16(out.data(), 4, static_cast<uint16_t>(sizes.size()));

    for (size_t n = 0; n < sizes.size(); ++n) {
        const Image& image = sizes[n];
        const int w = image.width(), h = image.height();
        if (w <= 0 || h <= 0 || w > 256 || h > 256) return {};
        const size_t colourBytes = static_cast<size_t>(w) * 4u * static_cast<size_t>(h);
        const size_t maskBytes = maskRowStride(w) * static_cast<size_t>(h);
        const size_t imageBytes = kInfoHeaderSize + colourBytes + maskBytes;

        uint8_t* entry = out.data() + kDirHeader + kDirEntry * n;
        putU8(entry, 0, static_cast<uint8_t>(w == 256 ? 0 : w));
        putU8(entry, 1, static_cast<uint8_t>(h == 256 ? 0 : h));
        putU8(entry, 2, 0);  // no palette
        putU8(entry, 3, 0);
        putU16(entry, 4, 1);
        putU16(entry, 6, 32);
        putU32(entry, 8, static_cast<uint32_t>(imageBytes));
        putU32(entry, 12, static_cast<uint32_t>(offset));

        std::vector<uint8_t> data(imageBytes, 0);
        // An icon's header counts the colour and the mask rows together: twice the height.
        putInfoHeader(data.data(), w, 2 * h, 32, static_cast<uint32_t>(colourBytes + maskBytes), 0);
        uint8_t* colour = data.data() + kInfoHeaderSize;
        uint8_t* mask = colour + colourBytes;
        for (int y = 0; y < h; ++y) {
            const size_t row = static_cast<size_t>(h - 1 - y);
            for (int x = 0; x < w; ++x) {
                const Rgba c = image.at(x, y);
                uint8_t* px = colour + (row * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4u;
                // Fully transparent pixels are stored black so that old renderers, which
                // ignore the alpha channel and use the mask, show them as the background.
                if (c.a != 0) {
                    px[0] = c.b;
                    px[1] = c.g;
                    px[2] = c.r;
                    px[3] = c.a;
                } else {
                    mask[row * maskRowStride(w) + static_cast<size_t>(x) / 8u] |=
                        static_cast<uint8_t>(0x80u >> (static_cast<unsigned>(x) % 8u));
                }
            }
        }
        out.insert(out.end(), data.begin(), data.end());
        offset += imageBytes;
    }
    return out;
}

}  // namespace zv::art
