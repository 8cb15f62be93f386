// The analyzer's LCD on the PC: the 240 x 64 dot screen image enlarged into a 4-bit picture
// that imitates the LCD glass (every dot a 2 x 2 block with a drop shadow), the packed bitmaps
// of the four export formats (clipboard and screenshot files) and the screenshot file names.
// Portable: the key-emulation panel paints pixels() with paintHeader(); zvremote writes the
// same exports.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zv::keyemu {

constexpr size_t kScreenImageSize = 1920;            // 64 rows of 30 bytes, MSB = leftmost dot, 1 = dark
constexpr int kLcdColumns = 240, kLcdRows = 64;      // dots of the analyzer's LCD
constexpr size_t kScreenRowBytes = 30;
constexpr int kLcdPictureWidth = 482, kLcdPictureHeight = 130;
constexpr size_t kLcdPictureRowBytes = 244, kLcdPictureBytes = 31720;  // 4 bpp, high nibble left, top-down
constexpr size_t kPaintHeaderSize = 172;             // version-4 header and 16 colour entries

struct Rgb {
    uint8_t red, green, blue;
};

// Colour indices 0..3 of the live picture (ground, shadow, dot, dot over shadow).
extern const Rgb kLiveColours[4];
// Colour indices 0..3 of the colour exports (ground, shadow, dot and frame line, frame surround).
extern const Rgb kExportColours[4];

// Bit 0: a frame around the LCD; bit 1: colour. Values outside 0..3 are taken as Mono.
enum class ExportFormat : int { Mono = 0, MonoFramed = 1, Colour = 2, ColourFramed = 3 };

// The exports are 256 x 80 pixels with the LCD at one pixel per dot from (8, 8).
constexpr int kExportWidth = 256, kExportHeight = 80, kExportLcdLeft = 8, kExportLcdTop = 8;
constexpr size_t kMonoExportSize = 2608, kColourExportSize = 10296;
constexpr size_t kMonoExportBitsOffset = 48, kColourExportBitsOffset = 56;
constexpr size_t kBitmapFileHeaderSize = 14;

ExportFormat exportFormatForImageMode(int imageMode);  // 0 -> 0, 1 -> 1, 2 -> 3 (others -> 0)
size_t exportSize(ExportFormat format);                // 2608 or 10296
size_t exportBitsOffset(ExportFormat format);          // 48 or 56

class LcdPicture {
public:
    LcdPicture();

    // Decodes a screen image (kScreenImageSize bytes; a shorter one is taken as padded with zeros:
    // pass size) into the pixel buffer: 2 x 2 dot blocks and their shadows.
    void show(const uint8_t* screen, size_t size);
    const uint8_t* pixels() const;                     // kLcdPictureBytes
    // The 108-byte version-4 bitmap header (width 482, height -130, 1 plane, 4 bpp, BI_RGB, 4 colours used)
    // followed by 16 RGBQUAD colour entries (0..3 set), 172 bytes, for painting the picture.
    std::array<uint8_t, kPaintHeaderSize> paintHeader() const;
    // No buffer or one smaller than exportSize(format): returns the size needed. Otherwise clears
    // the whole buffer, fills it with the packed bitmap and returns the offset of the pixel bits (48 or 56).
    size_t exportPicture(ExportFormat format, uint8_t* buffer, size_t size) const;

private:
    void exportMono(bool framed, uint8_t* bitmap) const;
    void exportColour(bool framed, uint8_t* bitmap) const;

    std::array<uint8_t, kScreenImageSize> screen_{};  // the image shown, padded with zeros
    std::vector<uint8_t> pixels_;
};

// A whole .bmp file: the 14-byte file header and the packed bitmap of the format.
std::vector<uint8_t> bitmapFile(const LcdPicture& picture, ExportFormat format);

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// "ZV%04d%02d%02d%02d%02d%02d.bmp"; a further save in the same second must not replace the first
// picture: the first name for which exists(name) is false among "ZV...ss.bmp", "ZV...ss_2.bmp", "_3", ...
// Empty when none of the first kScreenshotNameTries names is free.
constexpr int kScreenshotNameTries = 10000;
std::string screenshotName(const LocalTime& time, const std::function<bool(const std::string&)>& exists);

}  // namespace zv::keyemu
