#include "pictures.h"

#include <string_view>

namespace zv::art {

namespace {

using Rows = std::vector<std::string_view>;

// Colours of the icons; the analyzer's case and display match the toolbar's.
const std::vector<LegendEntry>& iconLegend() {
    static const std::vector<LegendEntry> colours{
        {'.', kTransparent},
        {'k', {0, 0, 0, 255}},
        {'g', {128, 128, 128, 255}},
        {'w', {255, 255, 255, 255}},
        {'s', {52, 62, 80, 255}},
        {'S', {150, 162, 180, 255}},
        {'l', {170, 220, 120, 255}},
        {'L', {30, 70, 30, 255}},
        {'r', {196, 30, 30, 255}},
        {'R', {240, 96, 80, 255}},
        {'e', {24, 128, 40, 255}},
        {'E', {80, 200, 80, 255}},
        {'b', {32, 84, 196, 255}},
        {'B', {120, 172, 240, 255}},
    };
    return colours;
}

// The program: an analyzer with a CAN signal on its display.
const Rows kProgram16{
    "................",
    ".ssssssssssssss.",
    "sSSSSSSSSSSSSSSs",
    "sSkkkkkkkkkkkkSs",
    "sSklLLLllLLLlkSs",
    "sSklLlLllLlLlkSs",
    "sSkLLlLLLLlLLkSs",
    "sSkllllllllllkSs",
    "sSkkkkkkkkkkkkSs",
    "sSSSSSSSSSSSSSSs",
    "sSwwSwwSwwSrrSSs",
    "sSggSggSggSrrSSs",
    "sSSSSSSSSSSSSSSs",
    "sSwwSwwSwwSeeSSs",
    "sSggSggSggSeeSSs",
    ".ssssssssssssss.",
};

const Rows kProgram32{
    "................................",
    "................................",
    "..ssssssssssssssssssssssssssss..",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSkkkkkkkkkkkkkkkkkkkkkkkkSSs.",
    ".sSSkllllllllllllllllllllllkSSs.",
    ".sSSkllLLLLLLllllllLLLLLLllkSSs.",
    ".sSSkllLllllLllllllLllllLllkSSs.",
    ".sSSkllLllllLllllllLllllLllkSSs.",
    ".sSSkllLllllLllllllLllllLllkSSs.",
    ".sSSkllLllllLllllllLllllLllkSSs.",
    ".sSSkLLLllllLLLLLLLLllllLLLkSSs.",
    ".sSSkllllllllllllllllllllllkSSs.",
    ".sSSkllllllllllllllllllllllkSSs.",
    ".sSSkkkkkkkkkkkkkkkkkkkkkkkkSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSwwwSSwwwSSwwwSSSSSrrrrSSSSs.",
    ".sSSwwwSSwwwSSwwwSSSSSrRRrSSSSs.",
    ".sSSgggSSgggSSgggSSSSSrrrrSSSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSwwwSSwwwSSwwwSSSSSeeeeSSSSs.",
    ".sSSwwwSSwwwSSwwwSSSSSeEEeSSSSs.",
    ".sSSgggSSgggSSgggSSSSSeeeeSSSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSwwwSSwwwSSwwwSSSSSbbbbSSSSs.",
    ".sSSwwwSSwwwSSwwwSSSSSbBBbSSSSs.",
    ".sSSgggSSgggSSgggSSSSSbbbbSSSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    "..ssssssssssssssssssssssssssss..",
    "................................",
};

// Key emulation: the analyzer's keypad under the mouse pointer.
const Rows kKeyEmulation16{
    "................",
    ".ssssssssssssss.",
    "sSSSSSSSSSSSSSSs",
    "sSkkkkkkkkkkkkSs",
    "sSklLLlLlLLLlkSs",
    "sSkkkkkkkkkkkkSs",
    "sSSSSSSSSSSSSSSs",
    "sSwwSwwSwwSwwSSs",
    "sSggSggkggSggSSs",
    "sSSSSSSkkSSSSSSs",
    "sSwwSwwkwkSwwSSs",
    "sSggSggkwwkggSSs",
    "sSSSSSSkwwwkSSSs",
    "sSwwSwwkwkkkSSSs",
    "sSSSSSSkkSSSSSSs",
    ".ssssssssssssss.",
};

const Rows kKeyEmulation32{
    "................................",
    "................................",
    "..ssssssssssssssssssssssssssss..",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSkkkkkkkkkkkkkkkkkkkkkkkkSSs.",
    ".sSSkllllllllllllllllllllllkSSs.",
    ".sSSkllLLlLlLLLlLLlLlLLllllkSSs.",
    ".sSSkllLlLLlLlLLlLlLLlLllllkSSs.",
    ".sSSkllllllllllllllllllllllkSSs.",
    ".sSSkkkkkkkkkkkkkkkkkkkkkkkkSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSwwwwwSwwwwwSwwwwwSwwwwwSSSs.",
    ".sSSwwwwwSwwwwwSwwwwwSwwwwwSSSs.",
    ".sSSgggggSgggggSgggggSgggggSSSs.",
    ".sSSSSSSSSSSSSSSSSSSSSSSSSSSSSs.",
    ".sSSwwwwwSwwwwwSwwwwwSwwwwwSSSs.",
    ".sSSwwwwwSwwwwwSwkwwwSwwwwwSSSs.",
    ".sSSgggggSgggggSgkkggSgggggSSSs.",
    ".sSSSSSSSSSSSSSSSkwkSSSSSSSSSSs.",
    ".sSSwwwwwSwwwwwSwkwwkSwwwwwSSSs.",
    ".sSSwwwwwSwwwwwSwkwwwkwwwwwSSSs.",
    ".sSSgggggSgggggSgkwwwwkggggSSSs.",
    ".sSSSSSSSSSSSSSSSkwwwwwkSSSSSSs.",
    ".sSSwwwwwSwwwwwSwkwwwwwwkwwSSSs.",
    ".sSSwwwwwSwwwwwSwkwwwwwwwkwSSSs.",
    ".sSSgggggSgggggSgkwwwkkkkkgSSSs.",
    ".sSSSSSSSSSSSSSSSkwwkSSSSSSSSSs.",
    ".sSSSSSSSSSSSSSSSkwkSSSSSSSSSSs.",
    "..ssssssssssssssskksssssssssss..",
    "................................",
};

std::vector<Image> drawIcon(const Rows& small, const Rows& large, std::string& error) {
    Image a = fromText(small, iconLegend(), error);
    if (!error.empty()) return {};
    Image b = fromText(large, iconLegend(), error);
    if (!error.empty()) return {};
    if (a.width() != 16 || a.height() != 16 || b.width() != 32 || b.height() != 32) {
        error = "an icon needs a 16 x 16 and a 32 x 32 drawing";
        return {};
    }
    return {a, b};
}

}  // namespace

std::vector<Image> programIcon(std::string& error) { return drawIcon(kProgram16, kProgram32, error); }

std::vector<Image> keyEmulationIcon(std::string& error) {
    return drawIcon(kKeyEmulation16, kKeyEmulation32, error);
}

}  // namespace zv::art
