// zvartgen OUTDIR: draws the program's toolbar strips and icons and writes them into OUTDIR.
// Its output is kept in src/resources/art, so that a cross build needs no host tool; ./test
// regenerates it and compares.
#include <cstdio>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "image_files.h"
#include "pictures.h"

namespace {

bool writeFile(const std::string& folder, const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = folder + "/" + name;
    if (bytes.empty()) {
        std::fprintf(stderr, "zvartgen: %s: the picture cannot be encoded\n", name);
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
    if (argc != 2) {
        std::fprintf(stderr, "usage: zvartgen OUTDIR\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::string error;
    const zv::art::Image mainStrip = zv::art::mainToolbar(error);
    if (error.empty()) {
        const zv::art::Image setupStrip = zv::art::setupToolbar(error);
        if (error.empty()) {
            const auto program = zv::art::programIcon(error);
            if (error.empty()) {
                const auto keys = zv::art::keyEmulationIcon(error);
                if (error.empty()) {
                    bool ok = writeFile(folder, "main_toolbar.bmp", zv::art::encodePaletteBitmap(mainStrip));
                    ok = writeFile(folder, "setup_toolbar.bmp", zv::art::encodePaletteBitmap(setupStrip)) && ok;
                    ok = writeFile(folder, "program.ico", zv::art::encodeIcon(program)) && ok;
                    ok = writeFile(folder, "key_emulation.ico", zv::art::encodeIcon(keys)) && ok;
                    return ok ? 0 : 1;
                }
            }
        }
    }
    std::fprintf(stderr, "zvartgen: %s\n", error.c_str());
    return 1;
}
