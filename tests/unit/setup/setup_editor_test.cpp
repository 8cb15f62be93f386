// The setup editor's portable side: which page an item shows, and the areas a transfer moves.
#include <gtest/gtest.h>

#include <memory>

#include "base/bytes.h"
#include "remote/session_messages.h"
#include "setup/setup_page_table.h"
#include "setup/setup_places.h"
#include "setup/setup_transfer.h"

namespace zv {
namespace {

TEST(SetupPageTable, TheTreeNeverSkipsALevelAndOnlyHeadingsLackAPage) {
    int depth = 0;
    for (const SetupPageItem& item : setupPageItems()) {
        EXPECT_LE(itemDepth(item), depth + 1) << item.key;
        depth = itemDepth(item);
        const PageTemplate page = pageTemplateFor(item.key, {});
        EXPECT_EQ(page.templateId == 0, item.key == kKeyChannels) << item.key;
    }
    EXPECT_EQ(setupPageItems().size(), 34u);
}

TEST(SetupPageTable, ItemsThatChooseTheirPageChooseByWhatHoldsNow) {
    // Transmit entries: by the transmit channel's protocol at the moment of selection.
    EXPECT_EQ(pageTemplateFor(10024, {.linTransmit = false}).templateId, 0x5e6);
    EXPECT_EQ(pageTemplateFor(10039, {.linTransmit = true}).templateId, 0x5e7);
    // The clock by the connection, the option board's page by the board type.
    EXPECT_EQ(pageTemplateFor(kKeyClock, {.connected = true}).templateId, 0x4df);
    EXPECT_EQ(pageTemplateFor(kKeyClock, {.connected = false}).templateId, 0x4de);
    EXPECT_EQ(pageTemplateFor(kKeyBoard, {.boardType = 65556}).templateId, 0x4ed);
    EXPECT_EQ(pageTemplateFor(kKeyBoard, {.boardType = 65571}).templateId, 0x4ee);
    EXPECT_EQ(pageTemplateFor(kKeyBoard, {.boardType = 73763}).templateId, 0x5df);
    // The two channel items share a template and differ in the channel.
    EXPECT_EQ(pageTemplateFor(kKeyChannel2, {}), (PageTemplate{0x43a, 1}));
    EXPECT_EQ(transmitIndexOfKey(10024), 0);
    EXPECT_EQ(transmitIndexOfKey(10039), 15);
    // Every page an item can show is among the pages the frame knows.
    const auto all = allPageTemplates();
    for (const SetupPageItem& item : setupPageItems())
        for (bool lin : {false, true})
            for (bool connected : {false, true})
                for (BoardType board : {65554u, 65556u, 73763u}) {
                    const PageTemplate page = pageTemplateFor(item.key, {lin, connected, board});
                    if (page.templateId == 0) continue;
                    EXPECT_NE(std::find(all.begin(), all.end(), page), all.end()) << item.key;
                }
}

TEST(SetupTransfer, ChainsFollowTheBoardsLayout) {
    EXPECT_EQ(nextSetupArea(73763, kAreaSetupImage), kAreaCanTransmitTables);
    EXPECT_EQ(nextSetupArea(73763, kAreaCanTransmitTables), kAreaLinTransmitTables);
    EXPECT_EQ(nextSetupArea(73763, kAreaLinTransmitTables), 0u);
    EXPECT_EQ(nextSetupArea(65555, kAreaCanTransmitTables), 0u);  // EX-NB2A: no LIN tables
    EXPECT_TRUE(setupAreas(0).empty());
    EXPECT_EQ(setupCompletionOf(UM_SETUP_SENT_6000)->area, kAreaCanTransmitTables);
    EXPECT_TRUE(setupCompletionOf(UM_SETUP_RECEIVED_6100)->received);
    EXPECT_FALSE(setupCompletionOf(UM_SETUP_CONNECTION_LOST));
}

TEST(SetupTransfer, CanOnlyBoardsSendTheExportedImageAndTakeTheImportedOne) {
    auto working = std::make_unique<SetupWorkspace>();
    working->initDefaults(65555);
    places::canChannel(working->image, 0)[4] = 7;  // 500k on channel 1
    const std::vector<uint8_t> image = setupAreaWrapper(*working, 65555, kAreaSetupImage);
    ASSERT_EQ(image.size(), 1056u);
    EXPECT_EQ(getU32(image.data(), 0), kTagSetup);
    EXPECT_EQ(setupAreaWrapper(*working, 65555, kAreaLinTransmitTables).size(), 0u);
    EXPECT_EQ(setupAreaWrapper(*working, 73763, kAreaLinTransmitTables).size(), 6928u);

    // What arrives from the analyzer becomes the working image through the import, and the
    // records the CAN-only layout lacks hold defaults.
    auto received = std::make_unique<SetupWorkspace>();
    received->initDefaults(65555);
    received->canOnlyImage = working->canOnlyImage;
    auto edited = std::make_unique<SetupWorkspace>();
    edited->initDefaults(65555);
    places::linChannel(edited->image, 1)[8] = 1;
    takeOverReceivedSetup(*received, *edited, 65555);
    EXPECT_EQ(places::canChannel(edited->image, 0)[4], 7);
    EXPECT_EQ(places::linChannel(edited->image, 1)[8], 0);
}

TEST(SetupTransfer, DualBoardsTakeAllThreeAreasOver) {
    auto received = std::make_unique<SetupWorkspace>();
    received->initDefaults(73763);
    places::linEntry(received->linTables, 3)[8] = 0x3C;
    places::canEntry(received->canTables, 0)[16] = 0x23;
    auto working = std::make_unique<SetupWorkspace>();
    working->initDefaults(73763);
    takeOverReceivedSetup(*received, *working, 73763);
    EXPECT_EQ(working->linTables, received->linTables);
    EXPECT_EQ(working->canTables, received->canTables);
    EXPECT_EQ(working->image, received->image);
}

}  // namespace
}  // namespace zv
