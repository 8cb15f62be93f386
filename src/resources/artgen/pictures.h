// The program's pictures: the main toolbar strip (bitmap 103), the setup editor and
// key-emulation strip (bitmap 116) and the two icons (groups 101 and 139).
#pragma once

#include <string>
#include <vector>

#include "pixel_art.h"

namespace zv::art {

constexpr int kToolbarImageWidth = 16;
constexpr int kToolbarImageHeight = 15;
constexpr int kMainToolbarImages = 20;
constexpr int kSetupToolbarImages = 64;

// Each returns the finished picture, or an empty image with error set when a drawing in
// the source is malformed (a row of the wrong length, a character without a colour).
Image mainToolbar(std::string& error);
Image setupToolbar(std::string& error);
std::vector<Image> programIcon(std::string& error);       // 16 x 16 and 32 x 32
std::vector<Image> keyEmulationIcon(std::string& error);  // 16 x 16 and 32 x 32

}  // namespace zv::art
