// Setup-file load with one board family's rules (ZV_FUZZ_BOARD). Any input must either load or
// fail without touching the working setup; a loaded setup must save and reload to itself.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "setup/setup_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr zv::BoardType board = ZV_FUZZ_BOARD;
    auto working = std::make_unique<zv::SetupWorkspace>();
    working->initDefaults(board);
    auto before = std::make_unique<zv::SetupWorkspace>(*working);

    const zv::SetupFileLoadResult r = zv::loadSetupFile(data, size, board, *working);
    if (!r.ok) {
        if (std::memcmp(working.get(), before.get(), sizeof *working) != 0) std::abort();
        return 0;
    }
    if (r.consumed > size) std::abort();

    // Whatever loaded must survive a save and a reload unchanged.
    const std::vector<uint8_t> saved = zv::composeSetupFile(*working, board);
    auto again = std::make_unique<zv::SetupWorkspace>();
    again->initDefaults(board);
    const zv::SetupFileLoadResult r2 = zv::loadSetupFile(saved.data(), saved.size(), board, *again);
    if (!r2.ok || r2.consumed != saved.size()) std::abort();
    if (zv::composeSetupFile(*again, board) != saved) std::abort();
    return 0;
}
