#include "shell/preferences_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv::prefs {
namespace {

using Names = std::vector<std::string_view>;

ModelSettings model(BoardType board, uint32_t exBoard) { return {board, exBoard}; }

TEST(PreferencesLists, MethodAndParityEntriesMapToTheRecordValues) {
    EXPECT_EQ(methodOfIndex(0), 0u);
    EXPECT_EQ(methodOfIndex(1), 2u);
    EXPECT_EQ(methodOfIndex(2), 9u);
    EXPECT_EQ(methodOfIndex(-1), 0u);  // no selection
    EXPECT_EQ(methodOfIndex(3), 0u);
    EXPECT_EQ(methodIndexOf(9), 2);
    EXPECT_EQ(methodIndexOf(2), 1);
    EXPECT_EQ(methodIndexOf(5), 0);

    // The list shows none, even, odd; the record counts none 0, odd 1, even 2.
    EXPECT_EQ(parityOfIndex(1), 2u);
    EXPECT_EQ(parityOfIndex(2), 1u);
    EXPECT_EQ(parityOfIndex(-1), 0u);
    for (uint32_t parity = 0; parity < 3; ++parity) EXPECT_EQ(parityOfIndex(parityIndexOf(parity)), parity);
    EXPECT_EQ(parityIndexOf(7), 0);
}

TEST(PreferencesLists, BaudRateSelectsItsEntryOrTheNearest) {
    for (int i = 0; i < static_cast<int>(baudRates().size()); ++i)
        EXPECT_EQ(baudRateIndexOf(baudRateOfIndex(i)), i) << i;
    EXPECT_EQ(baudRateOfIndex(baudRateIndexOf(100000)), 115200u);
    EXPECT_EQ(baudRateOfIndex(baudRateIndexOf(1)), 9600u);
    EXPECT_EQ(baudRateOfIndex(baudRateIndexOf(4000000)), 230400u);
    EXPECT_EQ(baudRateOfIndex(baudRateIndexOf(0xFFFFFFFFu)), 230400u);
    // Halfway between two entries: the slower one.
    EXPECT_EQ(baudRateOfIndex(baudRateIndexOf(14400)), 9600u);
    EXPECT_EQ(baudRateOfIndex(baudRateIndexOf(14401)), 19200u);
    // Nothing selected reads as the default rate, never as 0.
    EXPECT_EQ(baudRateOfIndex(-1), 115200u);
}

TEST(PreferencesLists, EachMethodShowsItsOwnRows) {
    const ConnectionRows serial = connectionRowsFor(0);
    EXPECT_TRUE(serial.serialPort && serial.line);
    EXPECT_FALSE(serial.adapter || serial.usb);
    const ConnectionRows lan = connectionRowsFor(2);
    EXPECT_TRUE(lan.adapter && lan.line);
    EXPECT_FALSE(lan.serialPort || lan.usb);
    const ConnectionRows usb = connectionRowsFor(9);
    EXPECT_TRUE(usb.usb);
    EXPECT_FALSE(usb.adapter || usb.line || usb.serialPort);
    EXPECT_TRUE(isUsbAnalyzerKind(73730) && isUsbAnalyzerKind(73731));
    EXPECT_FALSE(isUsbAnalyzerKind(65539) || isUsbAnalyzerKind(73763));
}

TEST(PreferencesModelPage, OpensOnTheStoredModelAndBoard) {
    ModelChoice c = openingChoice(0, model(65570, 8));
    EXPECT_EQ(c.models.size(), 5u);
    EXPECT_EQ(c.modelName(), "AN-1100");
    EXPECT_EQ(c.boards, (Names{"EX-NB2A", "EX-NB2AP"}));
    EXPECT_EQ(c.boardName(), "EX-NB2AP");

    c = openingChoice(2, model(65555, 7));
    EXPECT_EQ(c.modelName(), "AN-2100");
    EXPECT_EQ(c.boardName(), "EX-NB2A");

    c = openingChoice(0, model(73762, 20));
    EXPECT_EQ(c.modelName(), "AN-1400");
    EXPECT_EQ(c.boards, (Names{"EX-NB3BP"}));
    EXPECT_EQ(c.board, 0);

    c = openingChoice(9, model(73763, 20));
    EXPECT_EQ(c.models, (Names{"AN-1400", "AN-2400"}));
    EXPECT_EQ(c.modelName(), "AN-2400");
    EXPECT_EQ(c.boardName(), "EX-NB3BP");
}

TEST(PreferencesModelPage, OpeningOverUsbWithAModelUsbCannotReachStillSelectsOne) {
    ModelChoice c = openingChoice(9, model(65571, 8));  // AN-2100
    EXPECT_EQ(c.modelName(), "AN-2400");
    EXPECT_EQ(c.boards, (Names{"EX-NB3BP"}));
    EXPECT_EQ(c.boardName(), "EX-NB3BP");
    c = openingChoice(9, model(65554, 7));  // AN-1100
    EXPECT_EQ(c.modelName(), "AN-1400");
    EXPECT_EQ(c.boardName(), "EX-NB3BP");
}

TEST(PreferencesModelPage, EveryAnalyzerSurvivesOpeningAndOkUnchanged) {
    for (const BoardInfo* b = boardsBegin(); b != boardsEnd(); ++b) {
        const ModelSettings stored = model(b->code, b->exBoardCode);
        const ModelChoice c = openingChoice(0, stored);
        // A different "current" record shows that the selection itself names the analyzer.
        const ModelSettings gathered = modelForNames(c.modelName(), c.boardName(), model(1, 1));
        EXPECT_EQ(gathered, stored) << b->text;
    }
}

TEST(PreferencesModelPage, MethodChangeToUsbAndBack) {
    ModelChoice c = openingChoice(0, model(65555, 7));  // AN-2100 + EX-NB2A
    c = choiceAfterMethodChange(9, c.modelName(), c.boardName());
    EXPECT_EQ(c.models, (Names{"AN-1400", "AN-2400"}));
    EXPECT_EQ(c.modelName(), "AN-2400");
    EXPECT_EQ(c.boards, (Names{"EX-NB3BP"}));
    EXPECT_EQ(c.boardName(), "EX-NB3BP");

    c = choiceAfterMethodChange(0, c.modelName(), c.boardName());
    EXPECT_EQ(c.models.size(), 5u);
    EXPECT_EQ(c.modelName(), "AN-2400");
    EXPECT_EQ(c.boardName(), "EX-NB3BP");

    c = choiceAfterMethodChange(9, "AN-1100", "EX-NB2AP");
    EXPECT_EQ(c.modelName(), "AN-1400");
    c = choiceAfterMethodChange(0, c.modelName(), c.boardName());
    EXPECT_EQ(c.modelName(), "AN-1400");
}

TEST(PreferencesModelPage, MethodChangeBetweenSerialAndLanKeepsModelAndBoard) {
    ModelChoice c = choiceAfterMethodChange(2, "AN-6100", "EX-NB2AP");
    EXPECT_EQ(c.modelName(), "AN-6100");
    EXPECT_EQ(c.boardName(), "EX-NB2AP");
    c = choiceAfterMethodChange(0, "AN-6100", "EX-NB2A");
    EXPECT_EQ(c.boardName(), "EX-NB2A");
    // Nothing selected before: the analyzer of a fresh installation.
    c = choiceAfterMethodChange(0, "", "");
    EXPECT_EQ(c.modelName(), "AN-2400");
    EXPECT_EQ(c.boardName(), "EX-NB3BP");
}

TEST(PreferencesModelPage, ModelChangeRebuildsTheBoardList) {
    const Names all = modelsFor(0);
    // AN-1100 after AN-1400: the CAN/LIN board stays CAN/LIN.
    ModelChoice c = choiceAfterModelChange(0, all, 0, "EX-NB3BP");
    EXPECT_EQ(c.boards, (Names{"EX-NB2A", "EX-NB2AP"}));
    EXPECT_EQ(c.boardName(), "EX-NB2AP");
    c = choiceAfterModelChange(0, all, 1, "EX-NB2A");
    EXPECT_EQ(c.boardName(), "EX-NB2A");
    c = choiceAfterModelChange(2, all, 2, "EX-NB2AP");
    EXPECT_EQ(c.boardName(), "EX-NB2AP");
    c = choiceAfterModelChange(0, all, 4, "EX-NB2A");
    EXPECT_EQ(c.boards, (Names{"EX-NB3BP"}));
    EXPECT_EQ(c.board, 0);
    c = choiceAfterModelChange(0, all, -1, "EX-NB2A");
    EXPECT_TRUE(c.boards.empty());
    EXPECT_EQ(c.board, -1);
}

TEST(PreferencesModelPage, OkTurnsTheSelectionIntoBoardTypeAndExBoardCode) {
    const ModelSettings current = model(73763, 20);
    EXPECT_EQ(modelForSelection(0, 0, current), model(65554, 7));
    EXPECT_EQ(modelForSelection(1, 1, current), model(65571, 8));
    EXPECT_EQ(modelForSelection(2, 1, current), model(65572, 8));
    EXPECT_EQ(modelForSelection(3, 2, current), model(73762, 20));
    EXPECT_EQ(modelForSelection(4, 2, model(65554, 7)), model(73763, 20));
    // Pairs that name no analyzer keep the record.
    EXPECT_EQ(modelForSelection(1, 2, current), current);
    EXPECT_EQ(modelForSelection(3, 0, current), current);
    EXPECT_EQ(modelForSelection(-1, 0, current), current);
    EXPECT_EQ(modelForSelection(5, 2, current), current);
    EXPECT_EQ(modelForNames("AN-6100", "EX-NB2A", current), model(65556, 7));
    EXPECT_EQ(modelForNames("", "", current), current);
}

TEST(PreferencesBufferPage, BlockCountFieldIsClampedAndReadToNineCharacters) {
    EXPECT_EQ(blockCountFromField("1"), 2u);
    EXPECT_EQ(blockCountFromField("3000"), 2000u);
    EXPECT_EQ(blockCountFromField("2000"), 2000u);
    EXPECT_EQ(blockCountFromField("2"), 2u);
    EXPECT_EQ(blockCountFromField("0012"), 12u);
    EXPECT_EQ(blockCountFromField(""), 2u);
    EXPECT_EQ(blockCountFromField("-7"), 2u);
    EXPECT_EQ(blockCountFromField("99999999999999999999999"), 2000u);
    // Only the first nine characters count: "000000001" of "0000000012000".
    EXPECT_EQ(blockCountFromField("0000000012000"), 2u);
    EXPECT_EQ(blockCountFromField("000000150xyz"), 150u);
}

}  // namespace
}  // namespace zv::prefs
