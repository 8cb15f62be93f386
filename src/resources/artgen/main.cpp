// zvartgen OUTDIR: draws the program's toolbar strips, icons and key-emulation panel artwork
// and writes them into OUTDIR. Its output is kept in src/resources/art, so that a cross build
// needs no host tool; ./test regenerates it and compares.
// zvartgen --preview OUTDIR: writes each key-emulation panel with its keys in place, to look at.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "image_files.h"
#include "key_panel.h"
#include "pictures.h"

namespace {

using namespace zv::art;

// One output file: its name and how to draw and encode it (error set on failure).
struct Output {
    const char* name;
    std::function<std::vector<uint8_t>(std::string& error)> make;
};

using PanelDrawing = Image (*)(PanelFamily, std::string&);

Output panel(const char* name, PanelFamily family, PanelDrawing draw) {
    return {name, [family, draw](std::string& error) {
                const Image image = draw(family, error);
                if (!error.empty()) return std::vector<uint8_t>{};
                return encodeSixteenColourBitmap(image, panelPalette(family));
            }};
}

std::vector<Output> programPictures() {
    return {
        {"main_toolbar.bmp", [](std::string& e) { return encodePaletteBitmap(mainToolbar(e)); }},
        {"setup_toolbar.bmp", [](std::string& e) { return encodePaletteBitmap(setupToolbar(e)); }},
        {"program.ico", [](std::string& e) { return encodeIcon(programIcon(e)); }},
        {"key_emulation.ico", [](std::string& e) { return encodeIcon(keyEmulationIcon(e)); }},
        panel("key_panel_an1.bmp", PanelFamily::An1, panelBackground),
        panel("key_sprites_an1.bmp", PanelFamily::An1, keySpriteSheet),
        panel("key_panel_an2.bmp", PanelFamily::An2, panelBackground),
        panel("key_sprites_an2.bmp", PanelFamily::An2, keySpriteSheet),
    };
}

std::vector<Output> previews() {
    return {
        panel("key_panel_an1_preview.bmp", PanelFamily::An1, panelPreview),
        panel("key_panel_an2_preview.bmp", PanelFamily::An2, panelPreview),
    };
}

bool writeFile(const std::string& folder, const Output& output) {
    const std::string path = folder + "/" + output.name;
    std::string error;
    const std::vector<uint8_t> bytes = output.make(error);
    if (!error.empty()) {
        std::fprintf(stderr, "zvartgen: %s: %s\n", output.name, error.c_str());
        return false;
    }
    if (bytes.empty()) {
        std::fprintf(stderr, "zvartgen: %s: the picture cannot be encoded\n", output.name);
        return false;
    }
    if (zv::failed(zv::writeWholeFile(path, bytes.data(), bytes.size()))) {
        std::fprintf(stderr, "zvartgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool preview = argc == 3 && std::strcmp(argv[1], "--preview") == 0;
    if (argc != 2 && !preview) {
        std::fprintf(stderr, "usage: zvartgen OUTDIR\n       zvartgen --preview OUTDIR\n");
        return 2;
    }
    const std::string folder = argv[argc - 1];
    bool ok = true;
    for (const Output& output : preview ? previews() : programPictures()) ok = writeFile(folder, output) && ok;
    return ok ? 0 : 1;
}
