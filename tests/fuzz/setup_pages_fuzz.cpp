// Setup pages over any setup: the first byte picks a supported board, the rest is a setup file
// for it. Whatever the setup holds, showing every page and storing the untouched view must
// leave every byte as it was; the setup must then still compose into a file.
//
// Inputs that do not load as a file are used as the working image's bytes themselves, so that
// the pages also meet values no file of the analyzer would carry.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "setup/page_models.h"
#include "setup/setup_file.h"

namespace {

void require(bool holds, const char* page, int detail) {
    if (holds) return;
    std::fprintf(stderr, "setup pages: an untouched store of %s (%d) changed the setup\n", page, detail);
    std::abort();
}

// Runs show and store of one page and checks that nothing changed.
template <typename Show, typename Store>
void roundTrip(zv::SetupImage& image, const char* page, int detail, Show show, Store store) {
    const zv::SetupImage before = image;
    store(image, show(image));
    require(image == before, page, detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const auto boardCount = static_cast<size_t>(zv::boardsEnd() - zv::boardsBegin());
    const zv::BoardInfo& board = zv::boardsBegin()[data[0] % boardCount];
    ++data;
    --size;

    auto working = std::make_unique<zv::SetupWorkspace>();
    working->initDefaults(board.code);
    if (!zv::loadSetupFile(data, size, board.code, *working).ok)
        std::memcpy(working->image.data(), data, std::min(size, zv::SetupImage::kSize));

    zv::PageContext context;
    context.boardType = board.code;
    context.remoteModel = std::string(board.model);
    zv::SetupImage& image = working->image;

    for (int pane = 0; pane < 2; ++pane)
        roundTrip(image, "the LIN schedule", pane, [&](auto& i) { return showLinSchedule(i, context); },
                  [&](auto& i, const auto& v) {
                      storeLinSchedule(i, v, pane ? zv::LinSchedulePane::Simple : zv::LinSchedulePane::Schedule,
                                       context);
                  });
    roundTrip(image, "the condition overview", 0, [&](auto& i) { return showConditionOverview(i, context); },
              [&](auto& i, const auto& v) { storeConditionOverview(i, v, context); });
    for (int entry = 0; entry < 4; ++entry) {
        context.entry = entry;
        roundTrip(image, "a condition entry", entry, [&](auto& i) { return showConditionEntry(i, context); },
                  [&](auto& i, const auto& v) { storeConditionEntry(i, v, context); });
    }
    roundTrip(image, "the condition parameters", 0, [&](auto& i) { return showConditionParameters(i, context); },
              [&](auto& i, const auto& v) { storeConditionParameters(i, v, context); });
    roundTrip(image, "the signal pattern", 0, [&](auto& i) { return showSignalPattern(i, context); },
              [&](auto& i, const auto& v) { storeSignalPattern(i, v, context); });
    roundTrip(image, "the settings", 0, [&](auto& i) { return showSettings(i, context); },
              [&](auto& i, const auto& v) { storeSettings(i, v, context); });
    roundTrip(image, "the recording page", 0, [&](auto& i) { return showRecording(i, context); },
              [&](auto& i, const auto& v) { storeRecording(i, v, context); });
    roundTrip(image, "the board page", zv::boardPageTemplate(board.code),
              [&](auto& i) { return showBoardPage(i, context); },
              [&](auto& i, const auto& v) { storeBoardPage(i, v, context); });

    const std::vector<uint8_t> file = zv::composeSetupFile(*working, board.code);
    if (file.size() != (board.layout == zv::SetupLayout::CanOnly ? zv::kSetupFileSizeCanOnly : zv::kSetupFileSizeDual))
        std::abort();
    return 0;
}
