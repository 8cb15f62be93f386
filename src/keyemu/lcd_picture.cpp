#include "keyemu/lcd_picture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/bytes.h"

namespace zv::keyemu {

const Rgb kLiveColours[4] = {
    {0x9C, 0xCE, 0x6A},  // ground
    {0x6B, 0xA5, 0x55},  // shadow
    {0x34, 0x45, 0x23},  // dot
    {0x34, 0x45, 0x23},  // dot over shadow
};

const Rgb kExportColours[4] = {
    {0x9C, 0xCE, 0x6A},  // ground
    {0x6B, 0xA5, 0x55},  // shadow, frame shadow
    {0x34, 0x45, 0x23},  // dot, frame line
    {0xED, 0xED, 0xF2},  // frame surround
};

namespace {

constexpr uint8_t kDotByte = 0x22;     // both pixels of a dot block
constexpr uint8_t kShadowByte = 0x11;  // added where a dot casts its shadow

// Bitmap information header fields (the 40-byte header and the version-4 header share them).
namespace bih {
constexpr size_t kSize = 0, kWidth = 4, kHeight = 8, kPlanes = 12, kBitCount = 14, kCompression = 16,
                 kSizeImage = 20, kXPelsPerMeter = 24, kYPelsPerMeter = 28, kClrUsed = 32, kClrImportant = 36;
constexpr uint32_t kInfoHeaderSize = 40, kV4HeaderSize = 108;
}  // namespace bih

// Bitmap file header fields.
namespace bfh {
constexpr size_t kType = 0, kSize = 2, kReserved1 = 6, kReserved2 = 8, kOffBits = 10;
}  // namespace bfh

constexpr uint32_t kExportPixelsPerMetre = 3800;
constexpr size_t kMonoRowBytes = 32, kColourRowBytes = 128;

bool isColour(ExportFormat f) { return f == ExportFormat::Colour || f == ExportFormat::ColourFramed; }
bool isFramed(ExportFormat f) { return f == ExportFormat::MonoFramed || f == ExportFormat::ColourFramed; }

// A colour table entry: blue, green, red, 0.
void putColour(uint8_t* p, size_t off, const Rgb& c) {
    putU8(p, off, c.blue);
    putU8(p, off + 1, c.green);
    putU8(p, off + 2, c.red);
    putU8(p, off + 3, 0);
}

void putExportHeader(uint8_t* p, uint16_t bitCount, uint32_t imageSize, uint32_t coloursUsed) {
    putU32(p, bih::kSize, bih::kInfoHeaderSize);
    putU32(p, bih::kWidth, kExportWidth);
    putU32(p, bih::kHeight, kExportHeight);  // positive: bottom row first
    putU16(p, bih::kPlanes, 1);
    putU16(p, bih::kBitCount, bitCount);
    putU32(p, bih::kCompression, 0);
    putU32(p, bih::kSizeImage, imageSize);
    putU32(p, bih::kXPelsPerMeter, kExportPixelsPerMetre);
    putU32(p, bih::kYPelsPerMeter, kExportPixelsPerMetre);
    putU32(p, bih::kClrUsed, coloursUsed);
    putU32(p, bih::kClrImportant, 0);
}

// Pixel (x, y), y counted from the top, of the 1-bit export rows.
void setMonoPixel(uint8_t* bits, int x, int y) {
    uint8_t* row = bits + static_cast<size_t>(kExportHeight - 1 - y) * kMonoRowBytes;
    row[x / 8] = static_cast<uint8_t>(row[x / 8] | (0x80u >> (x % 8)));
}

// Pixel (x, y), y counted from the top, of the 4-bit export rows.
void setColourPixel(uint8_t* bits, int x, int y, uint8_t index) {
    uint8_t& b = bits[static_cast<size_t>(kExportHeight - 1 - y) * kColourRowBytes + static_cast<size_t>(x / 2)];
    b = x % 2 == 0 ? static_cast<uint8_t>((b & 0x0F) | (index << 4)) : static_cast<uint8_t>((b & 0xF0) | index);
}

void fillColourRect(uint8_t* bits, int left, int top, int right, int bottom, uint8_t index) {
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) setColourPixel(bits, x, y, index);
}

// The pixel bits of the framed exports with an empty LCD, drawn once.
const std::vector<uint8_t>& monoFrame() {
    static const std::vector<uint8_t> bits = [] {
        std::vector<uint8_t> b(kMonoRowBytes * kExportHeight, 0);
        // A black rectangle with one white pixel between it and the LCD.
        constexpr int kLeft = 6, kTop = 6, kRight = 249, kBottom = 73;
        for (int y = kTop; y <= kBottom; ++y) {
            setMonoPixel(b.data(), kLeft, y);
            setMonoPixel(b.data(), kRight, y);
        }
        for (int x = kLeft; x <= kRight; ++x) {
            setMonoPixel(b.data(), x, kTop);
            setMonoPixel(b.data(), x, kBottom);
        }
        return b;
    }();
    return bits;
}

const std::vector<uint8_t>& colourFrame() {
    static const std::vector<uint8_t> bits = [] {
        std::vector<uint8_t> b(kColourRowBytes * kExportHeight, 0);
        // A recessed frame: surround, line, shadow, then the ground of the picture area.
        fillColourRect(b.data(), 0, 0, kExportWidth - 1, kExportHeight - 1, 3);
        fillColourRect(b.data(), 2, 2, 253, 77, 2);
        fillColourRect(b.data(), 4, 4, 252, 76, 1);
        fillColourRect(b.data(), 6, 6, 251, 75, 0);
        return b;
    }();
    return bits;
}

// Calls visit(r, c) for every dark dot of the screen image.
template <typename Visit>
void forEachDot(const std::array<uint8_t, kScreenImageSize>& screen, Visit&& visit) {
    for (int r = 0; r < kLcdRows; ++r) {
        for (int k = 0; k < static_cast<int>(kScreenRowBytes); ++k) {
            const uint8_t b = screen[static_cast<size_t>(r) * kScreenRowBytes + static_cast<size_t>(k)];
            if (b == 0) continue;
            for (int bit = 0; bit < 8; ++bit)
                if (b & (0x80u >> bit)) visit(r, 8 * k + bit);
        }
    }
}

}  // namespace

ExportFormat exportFormatForImageMode(int imageMode) {
    switch (imageMode) {
        case 1: return ExportFormat::MonoFramed;
        case 2: return ExportFormat::ColourFramed;
        default: return ExportFormat::Mono;
    }
}

size_t exportSize(ExportFormat format) { return isColour(format) ? kColourExportSize : kMonoExportSize; }

size_t exportBitsOffset(ExportFormat format) {
    return isColour(format) ? kColourExportBitsOffset : kMonoExportBitsOffset;
}

LcdPicture::LcdPicture() : pixels_(kLcdPictureBytes, 0) {}

void LcdPicture::show(const uint8_t* screen, size_t size) {
    if (!screen) size = 0;
    screen_.fill(0);
    std::copy(screen, screen + std::min(size, kScreenImageSize), screen_.begin());
    std::fill(pixels_.begin(), pixels_.end(), uint8_t{0});
    // Dot (r, c) is byte c of rows 2r and 2r + 1; its shadow byte c + 1 of rows 2r + 2 and
    // 2r + 3 (inside the 130 x 241 used bytes for every dot). Only dots cast shadows, and a
    // dot lying on a shadow is 0x33 whichever was drawn first.
    forEachDot(screen_, [this](int r, int c) {
        const size_t top = static_cast<size_t>(2 * r) * kLcdPictureRowBytes + static_cast<size_t>(c);
        pixels_[top] |= kDotByte;
        pixels_[top + kLcdPictureRowBytes] |= kDotByte;
        pixels_[top + 2 * kLcdPictureRowBytes + 1] |= kShadowByte;
        pixels_[top + 3 * kLcdPictureRowBytes + 1] |= kShadowByte;
    });
}

const uint8_t* LcdPicture::pixels() const { return pixels_.data(); }

std::array<uint8_t, kPaintHeaderSize> LcdPicture::paintHeader() const {
    std::array<uint8_t, kPaintHeaderSize> h{};
    uint8_t* p = h.data();
    putU32(p, bih::kSize, bih::kV4HeaderSize);
    putU32(p, bih::kWidth, static_cast<uint32_t>(kLcdPictureWidth));
    putU32(p, bih::kHeight, static_cast<uint32_t>(-kLcdPictureHeight));  // negative: top row first
    putU16(p, bih::kPlanes, 1);
    putU16(p, bih::kBitCount, 4);
    putU32(p, bih::kCompression, 0);
    putU32(p, bih::kClrUsed, 4);
    // Image size, resolutions, important colours, masks, colour space: all 0.
    for (size_t i = 0; i < 4; ++i) putColour(p, bih::kV4HeaderSize + 4 * i, kLiveColours[i]);
    return h;
}

size_t LcdPicture::exportPicture(ExportFormat format, uint8_t* buffer, size_t size) const {
    const size_t needed = exportSize(format);
    if (!buffer || size < needed) return needed;
    std::memset(buffer, 0, size);
    if (isColour(format)) exportColour(isFramed(format), buffer);
    else exportMono(isFramed(format), buffer);
    return exportBitsOffset(format);
}

// The exports show the LCD at one pixel per dot. They read the image shown rather than the
// pixel buffer, which holds the same dots and shadows: a dot of the buffer (low nibble 2 or 3
// in byte c of row 2r) is a dot of the image, a shadow (1) a dot of the image up and left.
void LcdPicture::exportMono(bool framed, uint8_t* bitmap) const {
    putExportHeader(bitmap, 1, kMonoRowBytes * kExportHeight, 2);
    putColour(bitmap, bih::kInfoHeaderSize, {0xFF, 0xFF, 0xFF});  // 0: white
    putColour(bitmap, bih::kInfoHeaderSize + 4, {0, 0, 0});        // 1: black
    uint8_t* bits = bitmap + kMonoExportBitsOffset;
    if (framed) std::copy(monoFrame().begin(), monoFrame().end(), bits);
    // The LCD starts at a byte boundary (x 8) and the image has the bitmap's bit order: its
    // rows are bytes 1..30 of the stored rows, shadows left white.
    for (int r = 0; r < kLcdRows; ++r) {
        const auto from = screen_.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(r) * kScreenRowBytes);
        std::copy(from, from + static_cast<std::ptrdiff_t>(kScreenRowBytes),
                  bits + static_cast<size_t>(kExportHeight - 1 - kExportLcdTop - r) * kMonoRowBytes + kExportLcdLeft / 8);
    }
}

void LcdPicture::exportColour(bool framed, uint8_t* bitmap) const {
    putExportHeader(bitmap, 4, kColourRowBytes * kExportHeight, 4);
    for (size_t i = 0; i < 4; ++i) putColour(bitmap, bih::kInfoHeaderSize + 4 * i, kExportColours[i]);
    uint8_t* bits = bitmap + kColourExportBitsOffset;
    if (framed) std::copy(colourFrame().begin(), colourFrame().end(), bits);
    // Shadows one dot right and down (only those that fall on the LCD), then the dots over them.
    forEachDot(screen_, [bits](int r, int c) {
        if (r + 1 < kLcdRows && c + 1 < kLcdColumns) setColourPixel(bits, kExportLcdLeft + c + 1, kExportLcdTop + r + 1, 1);
    });
    forEachDot(screen_, [bits](int r, int c) { setColourPixel(bits, kExportLcdLeft + c, kExportLcdTop + r, 2); });
}

std::vector<uint8_t> bitmapFile(const LcdPicture& picture, ExportFormat format) {
    const size_t packed = exportSize(format);
    std::vector<uint8_t> file(kBitmapFileHeaderSize + packed, 0);
    const size_t bitsOffset = picture.exportPicture(format, file.data() + kBitmapFileHeaderSize, packed);
    uint8_t* p = file.data();
    putU8(p, bfh::kType, 'B');
    putU8(p, bfh::kType + 1, 'M');
    putU32(p, bfh::kSize, static_cast<uint32_t>(file.size()));
    putU16(p, bfh::kReserved1, 0);
    putU16(p, bfh::kReserved2, 0);
    putU32(p, bfh::kOffBits, static_cast<uint32_t>(kBitmapFileHeaderSize + bitsOffset));
    return file;
}

std::string screenshotName(const LocalTime& time, const std::function<bool(const std::string&)>& exists) {
    // Wide enough for any int in every field.
    char stem[96];
    std::snprintf(stem, sizeof stem, "ZV%04d%02d%02d%02d%02d%02d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    for (int n = 1; n <= kScreenshotNameTries; ++n) {
        const std::string name = n == 1 ? std::string(stem) + ".bmp" : std::string(stem) + "_" + std::to_string(n) + ".bmp";
        if (!exists || !exists(name)) return name;
    }
    return {};
}

}  // namespace zv::keyemu
