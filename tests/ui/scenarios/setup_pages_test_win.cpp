// The setup pages of the LIN schedule, the conditions, the signal pattern, the settings, the
// recording, the option board and the analyzer clock through the window: a value changed on
// each reaches the analyzer (zvsim, read back with zvremote), the clock reaches its screen, each
// board family gets its own pages, and tabbing through the slot table keeps the row in view.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog_read_win.h"
#include "emulator/lcd.h"
#include "lan_analyzer_win.h"
#include "setup/page_models.h"
#include "setup/setup_fields.h"
#include "setup/setup_file.h"
#include "setup_editor_fixture_win.h"
#include "ui_driver_win.h"

namespace zvui {
namespace {

constexpr zv::BoardType kBoard = 73763;
constexpr unsigned kClockCaption = 12051;
constexpr unsigned kClockInvalid = 9021;

zv::PageContext contextFor(zv::BoardType board, int entry = 0) {
    zv::PageContext c;
    c.boardType = board;
    c.remoteModel = zv::findBoard(board) ? std::string(zv::findBoard(board)->model) : std::string();
    c.entry = entry;
    return c;
}

// The dots of text row ROW, characters 0..COLUMNS-1, of the analyzer's screen image as
// zvremote saves it with --raw (64 rows of 30 bytes, the leftmost dot in the top bit).
std::vector<uint8_t> lcdRow(const std::string& image, int row, int columns) {
    std::vector<uint8_t> dots;
    if (image.size() != 1920) return dots;
    for (int y = row * 8; y < row * 8 + 8; ++y) {
        for (int x = 0; x < columns * 6; ++x)
            dots.push_back((static_cast<uint8_t>(image[static_cast<size_t>(y * 30 + x / 8)]) >> (7 - x % 8)) & 1);
    }
    return dots;
}

std::vector<uint8_t> expectedRow(const std::string& text, int row) {
    zv::emu::Screen screen;
    screen.text(0, row, text);
    std::vector<uint8_t> dots;
    for (int y = row * 8; y < row * 8 + 8; ++y)
        for (int x = 0; x < static_cast<int>(text.size()) * 6; ++x) dots.push_back(screen.dot(x, y) ? 1 : 0);
    return dots;
}

class SetupPages : public SetupEditor {};

TEST_F(SetupPages, AValueChangedOnEachPageReachesTheAnalyzerAndTheClockItsScreen) {
    LanAnalyzer analyzer;
    ASSERT_TRUE(analyzer.start(builtFile("zvsim")));
    ASSERT_TRUE(sandbox_->addProgramFile(builtFile("zvremote")));
    const std::string zvremote = sandbox_->programFolder() + "\\zvremote.exe";
    const std::string before = sandbox_->root() + "\\before.SU", after = sandbox_->root() + "\\after.SU";
    const std::string lcd = sandbox_->root() + "\\lcd.bmp";
    std::string output;
    ASSERT_EQ(runTool(zvremote, {"--lan", analyzer.connection(), "setup", "receive", "-o", before}, output), 0) << output;

    writeProfile("[remote]\r\nmodel=AN-2400\r\nexboard=EX-NB3BP\r\n" + analyzer.profileSection() +
                 "[miscellaneous]\r\nsyncSetup=yes\r\nsyncSetupSendOnly=no\r\n");
    ASSERT_NE(startMain(), nullptr);
    connectAndWaitForIdle();
    ASSERT_NE(openEditor(), nullptr);

    // LIN on the transmit channel and mode 4 bring the LIN schedule onto the first page.
    ASSERT_TRUE(selectPage(10002));
    ASSERT_TRUE(chooseComboEntry(field(1134), 2));
    ASSERT_TRUE(selectPage(10001));
    ASSERT_TRUE(setCheckBox(field(8004), true));
    ASSERT_TRUE(setCheckBox(field(8000), false));
    ASSERT_NE(field(1240), nullptr) << "the LIN schedule does not show";
    ASSERT_TRUE(setControlText(field(101), "A"));
    snap("10001-lin-schedule");
    ASSERT_TRUE(selectPage(10008));
    ASSERT_TRUE(setCheckBox(field(2184), true));
    snap("10008-conditions");
    ASSERT_TRUE(selectPage(10009));
    ASSERT_TRUE(chooseComboEntry(field(2156), 1));  // a frame by identifier and data
    ASSERT_TRUE(chooseComboEntry(field(2157), 2));  // counting
    ASSERT_TRUE(setControlText(field(2174), "12"));
    snap("10009-condition-entry");
    ASSERT_TRUE(selectPage(10017));
    ASSERT_TRUE(setControlText(field(2200), "250"));
    snap("10017-condition-parameters");
    ASSERT_TRUE(selectPage(10018));
    ASSERT_TRUE(setCheckBox(field(2266), true));
    ASSERT_NE(field(2269), nullptr);                // the nine-bit field of this board
    snap("10018-signal-pattern");
    ASSERT_TRUE(selectPage(10003));
    ASSERT_TRUE(setCheckBox(field(2213), true));
    snap("10003-settings");
    ASSERT_TRUE(selectPage(10020));
    ASSERT_TRUE(chooseComboEntry(field(2238), 0));
    snap("10020-recording");
    ASSERT_TRUE(selectPage(10022));
    EXPECT_EQ(pageCaption(), "Option board");
    ASSERT_TRUE(setCheckBox(field(2250), true));
    snap("10022-option-board");

    // The clock: 29 February 2023 is refused, 2024 is taken.
    ASSERT_TRUE(selectPage(10021));
    EXPECT_EQ(pageCaption(), "Clock (online)");
    const std::pair<int, const char*> entry[] = {{2251, "2023"}, {2252, "02"}, {2253, "29"},
                                                 {2254, "12"}, {2255, "00"}, {2256, "00"}};
    for (const auto& [id, text] : entry) ASSERT_TRUE(setControlText(field(id), text));
    pressDialogButton(GetParent(field(2257)), 2257);
    MessageBoxInfo warning = waitForBox(englishString(kClockCaption));
    ASSERT_NE(warning.window, nullptr) << "29 February 2023 was taken";
    EXPECT_EQ(warning.text, englishString(kClockInvalid));
    ASSERT_TRUE(answerMessageBox(warning, IDOK));
    ASSERT_TRUE(setControlText(field(2251), "2024"));
    snap("10021-clock-online");
    pressDialogButton(GetParent(field(2257)), 2257);
    EXPECT_EQ(waitForBox(englishString(kClockCaption)).window, nullptr);

    ASSERT_TRUE(closeEditor());
    EXPECT_TRUE(collectMessageBoxes(0, 500).empty());
    postCommand(mainWindow_, 2105);
    ASSERT_TRUE(waitForUsable({2104, 2019, 1007}));

    output.clear();
    ASSERT_EQ(runTool(zvremote, {"--lan", analyzer.connection(), "setup", "receive", "-o", after}, output), 0) << output;
    output.clear();
    ASSERT_EQ(runTool(zvremote, {"--lan", analyzer.connection(), "screen", "--raw", "-o", lcd}, output), 0) << output;

    // What the pages were told, made with the page models on the setup as it was.
    auto expected = std::make_unique<zv::SetupWorkspace>();
    ASSERT_TRUE(zv::readSetupFile(before, kBoard, *expected).ok);
    zv::SetupImage& image = expected->image;
    std::string error;
    ASSERT_TRUE(zv::setSetupField(*expected, kBoard, "SetupImage.ProtocolBlock.ProtocolSelection.channelProtocol1", "2", error))
        << error;
    ASSERT_TRUE(zv::setSetupField(*expected, kBoard, "SetupImage.SetupIdent.operationMode", "4", error)) << error;
    const zv::PageContext c = contextFor(kBoard);
    zv::LinScheduleView schedule = zv::showLinSchedule(image, c);
    schedule.slots[0].table = "A";
    zv::storeLinSchedule(image, schedule, zv::LinSchedulePane::Schedule, c);
    zv::ConditionOverviewView overview = zv::showConditionOverview(image, c);
    overview.enabled[0] = true;
    zv::storeConditionOverview(image, overview, c);
    zv::ConditionEntryView conditionEntry = zv::showConditionEntry(image, c);
    conditionEntry.kind = 1;
    conditionEntry.action = 2;
    conditionEntry.action2First = "12";
    zv::storeConditionEntry(image, conditionEntry, c);
    zv::ConditionParametersView parameters = zv::showConditionParameters(image, c);
    parameters.param12Value[0] = "250";
    zv::storeConditionParameters(image, parameters, c);
    zv::SignalPatternView signal = zv::showSignalPattern(image, c);
    signal.on = true;
    zv::storeSignalPattern(image, signal, c);
    zv::SettingsView settings = zv::showSettings(image, c);
    settings.check5 = true;
    zv::storeSettings(image, settings, c);
    zv::RecordingView recording = zv::showRecording(image, c);
    recording.choice4 = 0;
    zv::storeRecording(image, recording, c);
    zv::BoardPageView board = zv::showBoardPage(image, c);
    board.check31 = true;
    zv::storeBoardPage(image, board, c);

    auto received = std::make_unique<zv::SetupWorkspace>();
    ASSERT_TRUE(zv::readSetupFile(after, kBoard, *received).ok);
    auto original = std::make_unique<zv::SetupWorkspace>();
    ASSERT_TRUE(zv::readSetupFile(before, kBoard, *original).ok);
    EXPECT_TRUE(zv::diffSetupFields(*expected, *received, kBoard).empty())
        << ::testing::PrintToString(zv::diffSetupFields(*expected, *received, kBoard));
    EXPECT_GE(zv::diffSetupFields(*original, *received, kBoard).size(), 10u);

    // The status screen's second row starts with the clock as set (the seconds run on).
    const std::string bitmap = readBinaryFile(lcd);
    EXPECT_EQ(lcdRow(bitmap, 1, 16), expectedRow("2024-02-29 12:00", 1));
}

// Each board family opens its own option-board page and the condition kinds of its type.
struct Family {
    const char* name;
    const char* model;
    const char* exBoard;
    const char* boardCaption;
    size_t kinds;
};

class SetupPagesByBoard : public SetupEditor, public ::testing::WithParamInterface<Family> {};

TEST_P(SetupPagesByBoard, ShowsTheBoardsOwnPageAndConditionKinds) {
    const Family& f = GetParam();
    ASSERT_TRUE(writeTextFile(sandbox_->programFolder() + "\\zvlkrmt.ini",
                              std::string("[analyzer]\r\nserial = 30808001\r\nmodel = ") + f.model + "\r\nexboard = " +
                                  f.exBoard + "\r\n"));
    writeProfile(std::string("[remote]\r\nmodel=") + f.model + "\r\nexboard=" + f.exBoard +
                 "\r\n[connection]\r\nmethod=USB\r\nserialNumber=30808001\r\n[miscellaneous]\r\nsyncSetup=no\r\n");
    ASSERT_NE(startMain(), nullptr);
    connectAndWaitForIdle();
    ASSERT_NE(openEditor(), nullptr);
    ASSERT_TRUE(selectPage(10022));
    EXPECT_EQ(pageCaption(), f.boardCaption);
    snap(std::string("10022-option-board-") + f.name);
    ASSERT_TRUE(selectPage(10009));
    EXPECT_EQ(comboEntries(field(2156)).size(), f.kinds);
    ASSERT_TRUE(chooseComboEntry(field(2156), 0));
    snap(std::string("10009-condition-entry-") + f.name);
    // The first kind is a frame on CAN-only boards and LIN errors on the others.
    EXPECT_EQ(visibleNow(1209) != nullptr, f.kinds == 4) << "frame sub-page";
    EXPECT_EQ(visibleNow(1210) != nullptr, f.kinds != 4) << "LIN-error sub-page";
    ASSERT_TRUE(selectPage(10018));
    ASSERT_TRUE(setCheckBox(field(2266), true));
    snap(std::string("10018-signal-pattern-") + f.name);
    ASSERT_TRUE(closeEditor());
}

INSTANTIATE_TEST_SUITE_P(Families, SetupPagesByBoard,
                         ::testing::Values(Family{"ExNb2a", "AN-2100", "EX-NB2A", "Option board (AN-1100, AN-2100)", 4},
                                           Family{"ExNb2ap", "AN-6100", "EX-NB2AP", "Option board (AN-6100)", 5},
                                           Family{"ExNb3bp", "AN-2400", "EX-NB3BP", "Option board", 6}),
                         [](const ::testing::TestParamInfo<Family>& p) { return std::string(p.param.name); });

// Tabbing through the slot table: every row that takes the focus is wholly in view.
TEST_F(SetupPages, TabbingThroughTheSixteenScheduleRowsKeepsEachInView) {
    configureAnalyzer("");
    writeProfileWith("[miscellaneous]\r\nsyncSetup=no\r\n");
    ASSERT_NE(startMain(), nullptr);
    ASSERT_NE(openEditor(), nullptr);
    ASSERT_TRUE(selectPage(10002));
    ASSERT_TRUE(chooseComboEntry(field(1134), 2));
    ASSERT_TRUE(selectPage(10001));
    ASSERT_TRUE(setCheckBox(field(8004), true));
    ASSERT_TRUE(setCheckBox(field(8000), false));
    HWND first = field(101);
    ASSERT_NE(first, nullptr);
    HWND table = GetParent(first);
    ASSERT_TRUE(selectPage(10021));
    EXPECT_EQ(pageCaption(), "Clock (offline)");
    snap("10021-clock-offline");
    ASSERT_TRUE(selectPage(10001));
    ASSERT_TRUE(chooseComboEntry(field(1240), 1));  // the simple schedule
    snap("10001-lin-schedule-simple");
    ASSERT_TRUE(chooseComboEntry(field(1240), 0));
    first = field(101);
    ASSERT_TRUE(setFocusIn(first));
    int rowsSeen = 0;
    for (int step = 0; step < 16 * 4 && rowsSeen < 16; ++step) {
        HWND focused = focusedWindowOf(editor_);
        const int id = GetDlgCtrlID(focused);
        if (GetParent(focused) == table && id >= 101 && id <= 116) ++rowsSeen;
        if (GetParent(focused) == table || GetParent(GetParent(focused)) == table) {
            // The table scrolls as the focus arrives, just after the focus has moved.
            RECT control{}, client{};
            const auto inView = [&] {
                GetWindowRect(focused, &control);
                GetClientRect(table, &client);
                MapWindowPoints(table, nullptr, reinterpret_cast<POINT*>(&client), 2);
                return control.top >= client.top && control.bottom <= client.bottom;
            };
            EXPECT_TRUE(waitFor(inView, 2000)) << "control " << id << " at " << control.top << ".." << control.bottom
                                               << ", table " << client.top << ".." << client.bottom;
        }
        // The key goes through the input queue: wait until the focus has moved on.
        ASSERT_TRUE(pressKey(editor_, VK_TAB));
        ASSERT_TRUE(waitFor([&] { return focusedWindowOf(editor_) != focused; }, 5000)) << "Tab did not move on";
    }
    EXPECT_EQ(rowsSeen, 16);
    ASSERT_TRUE(closeEditor());
}

}  // namespace
}  // namespace zvui
