// Small pictures drawn as text: one character per pixel, looked up in a legend of colours.
// The toolbar images and the icons of the program are written this way, so that every
// pixel is visible in the source and the output never depends on a drawing library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv::art {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

constexpr Rgba kTransparent{0, 0, 0, 0};

struct LegendEntry {
    char key;
    Rgba colour;
};

class Image {
public:
    Image() = default;
    Image(int width, int height) : width_(width), height_(height), pixels_(pixelCount(width, height)) {}

    int width() const { return width_; }
    int height() const { return height_; }
    Rgba at(int x, int y) const { return pixels_[index(x, y)]; }
    void set(int x, int y, Rgba c) { pixels_[index(x, y)] = c; }

    // Copies src with its top left corner at (x, y); parts outside this image are dropped.
    void blit(const Image& src, int x, int y);

private:
    static size_t pixelCount(int w, int h) {
        return w > 0 && h > 0 ? static_cast<size_t>(w) * static_cast<size_t>(h) : 0;
    }
    size_t index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<Rgba> pixels_;
};

// Builds an image from rows of equal length. A character missing from the legend is an
// error: error receives a message naming the row and column, and the result is empty.
Image fromText(const std::vector<std::string_view>& rows, const std::vector<LegendEntry>& legend,
               std::string& error);

// A horizontal strip of count cells of cellWidth x cellHeight; cell i is images[i] where
// given, else left transparent.
Image strip(const std::vector<Image>& images, int count, int cellWidth, int cellHeight);

}  // namespace zv::art
