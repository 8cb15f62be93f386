// Drawing on an Image with solid colours: rectangles, outlines and the one-pixel light and
// shadow edges that make a surface look raised or sunk. Everything is clipped to the image.
#pragma once

#include "pixel_art.h"

namespace zv::art {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    int right() const { return x + width; }    // one past the last column
    int bottom() const { return y + height; }  // one past the last row
    Rect inset(int by) const { return {x + by, y + by, width - 2 * by, height - 2 * by}; }
};

void fillRect(Image& image, Rect r, Rgba colour);

// A one-pixel frame just inside r.
void outlineRect(Image& image, Rect r, Rgba colour);

// A one-pixel edge just inside r: top and left in topLeft, bottom and right in bottomRight
// (light first for a raised surface, shadow first for a sunk one).
void edgeRect(Image& image, Rect r, Rgba topLeft, Rgba bottomRight);

// The four corner pixels of r.
void paintCorners(Image& image, Rect r, Rgba colour);

}  // namespace zv::art
