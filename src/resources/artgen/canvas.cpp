#include "canvas.h"

#include <algorithm>

namespace zv::art {

void fillRect(Image& image, Rect r, Rgba colour) {
    const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    const int x1 = std::min(r.right(), image.width()), y1 = std::min(r.bottom(), image.height());
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) image.set(x, y, colour);
}

void outlineRect(Image& image, Rect r, Rgba colour) { edgeRect(image, r, colour, colour); }

void edgeRect(Image& image, Rect r, Rgba topLeft, Rgba bottomRight) {
    if (r.width <= 0 || r.height <= 0) return;
    fillRect(image, {r.x, r.bottom() - 1, r.width, 1}, bottomRight);
    fillRect(image, {r.right() - 1, r.y, 1, r.height}, bottomRight);
    fillRect(image, {r.x, r.y, r.width - 1, 1}, topLeft);
    fillRect(image, {r.x, r.y, 1, r.height - 1}, topLeft);
}

void paintCorners(Image& image, Rect r, Rgba colour) {
    if (r.width <= 0 || r.height <= 0) return;
    for (const int x : {r.x, r.right() - 1})
        for (const int y : {r.y, r.bottom() - 1}) fillRect(image, {x, y, 1, 1}, colour);
}

}  // namespace zv::art
