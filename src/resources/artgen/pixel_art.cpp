#include "pixel_art.h"

namespace zv::art {

void Image::blit(const Image& src, int x, int y) {
    for (int sy = 0; sy < src.height(); ++sy) {
        for (int sx = 0; sx < src.width(); ++sx) {
            const int dx = x + sx, dy = y + sy;
            if (dx >= 0 && dy >= 0 && dx < width_ && dy < height_) set(dx, dy, src.at(sx, sy));
        }
    }
}

Image fromText(const std::vector<std::string_view>& rows, const std::vector<LegendEntry>& legend,
               std::string& error) {
    error.clear();
    if (rows.empty() || rows[0].empty()) {
        error = "empty picture";
        return {};
    }
    const int width = static_cast<int>(rows[0].size());
    Image image(width, static_cast<int>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y) {
        if (static_cast<int>(rows[y].size()) != width) {
            error = "row " + std::to_string(y) + " has " + std::to_string(rows[y].size()) +
                    " pixels, the first row " + std::to_string(width);
            return {};
        }
        for (size_t x = 0; x < rows[y].size(); ++x) {
            const char key = rows[y][x];
            const LegendEntry* found = nullptr;
            for (const auto& entry : legend) {
                if (entry.key == key) {
                    found = &entry;
                    break;
                }
            }
            if (found == nullptr) {
                error = "row " + std::to_string(y) + ", column " + std::to_string(x) +
                        ": no colour for '" + std::string(1, key) + "'";
                return {};
            }
            image.set(static_cast<int>(x), static_cast<int>(y), found->colour);
        }
    }
    return image;
}

Image strip(const std::vector<Image>& images, int count, int cellWidth, int cellHeight) {
    Image out(count * cellWidth, cellHeight);
    for (int i = 0; i < count && static_cast<size_t>(i) < images.size(); ++i) {
        out.blit(images[static_cast<size_t>(i)], i * cellWidth, 0);
    }
    return out;
}

}  // namespace zv::art
