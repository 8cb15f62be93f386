// The setup editor through its window: the page tree and the pages it chooses, the check box
// written on closing, the exchange with the analyzer (the built-in one, and zvsim over the LAN
// adapter with zvremote on the other side), and a link lost in the middle of a transfer.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dialog_read_win.h"
#include "file_dialog_win.h"
#include "lan_analyzer_win.h"
#include "measurement_fixture_win.h"
#include "setup_editor_fixture_win.h"
#include "remote_buffer_win.h"
#include "setup/setup_fields.h"
#include "setup/setup_file.h"
#include "setup/setup_page_table.h"
#include "ui_driver_win.h"

namespace zvui {
namespace {

constexpr unsigned kReceiveFailed = 20054;
constexpr unsigned kSendFailed = 20058;
constexpr const char* kChannel1Rate = "SetupImage.ChannelSettings.CanChannelGroup.CanChannel1.bitRateCode";
constexpr const char* kChannel2Rate = "SetupImage.ChannelSettings.CanChannelGroup.CanChannel2.bitRateCode";


// ---- The window offline ------------------------------------------------------------------

TEST_F(SetupEditor, OfflineItShowsTheBoardsPagesChoosesPagesAtSelectionAndWritesTheCheckBoxOnClosing) {
    configureAnalyzer("");
    writeProfileWith("[miscellaneous]\r\nsyncSetup=yes\r\n");
    ASSERT_NE(startMain(), nullptr);
    ASSERT_NE(openEditor(), nullptr);

    EXPECT_EQ(windowText(dialogControl(editor_, kSetupBoardText)), "AN-2400 + EX-NB3BP");
    EXPECT_TRUE(buttonChecked(dialogControl(editor_, kSetupSyncBox)));
    EXPECT_EQ(treeItems().size(), zv::setupPageItems().size());
    // Not connected: receive and send are grey, open and save are not.
    EXPECT_EQ(setupButtonState(2129) & (kButtonEnabled | kButtonIndeterminate), kButtonIndeterminate);
    EXPECT_EQ(setupButtonState(2130) & (kButtonEnabled | kButtonIndeterminate), kButtonIndeterminate);
    EXPECT_NE(setupButtonState(2125) & kButtonEnabled, 0);
    EXPECT_EQ(pageCaption(), "Operation mode");
    snap("10001-operation-mode");

    // The transmit entry's page is chosen when it is selected, after the protocol page stored.
    ASSERT_TRUE(selectPage(10002));
    EXPECT_EQ(comboEntries(field(1134)).size(), 3u);  // CAN and LIN on this board
    snap("10002-protocols");
    ASSERT_TRUE(chooseComboEntry(field(1134), 2));    // channel 1: LIN
    ASSERT_TRUE(selectPage(10024));
    EXPECT_EQ(pageCaption(), "LIN transmit entry");
    EXPECT_NE(field(1227), nullptr);
    ASSERT_TRUE(chooseComboEntry(field(1227), 1));    // header + response: the data sub-page
    EXPECT_NE(field(1238), nullptr);
    snap("10024-lin-entry");
    ASSERT_TRUE(selectPage(10040));
    EXPECT_EQ(pageCaption(), "Channel");
    EXPECT_NE(field(1139), nullptr);                  // the LIN sub-page of channel 1
    snap("10040-channel-lin");
    ASSERT_TRUE(chooseComboEntry(field(1139), 1));    // per-identifier table
    EXPECT_EQ(windowText(field(1172)), "ID00:");
    snap("10040-channel-lin-id-table");
    ASSERT_TRUE(selectPage(10002));
    ASSERT_TRUE(chooseComboEntry(field(1134), 1));    // back to CAN
    ASSERT_TRUE(selectPage(10030));
    EXPECT_EQ(pageCaption(), "CAN transmit entry");
    ASSERT_TRUE(chooseComboEntry(field(1221), 1));    // extended data frame
    EXPECT_EQ(windowText(field(1247)), "(0 - 1FFFFFFF)");
    ASSERT_TRUE(chooseComboEntry(field(1237), 1));    // variation on
    EXPECT_NE(field(1236), nullptr);
    snap("10030-can-entry-variation");

    // Custom bit timing shows its sub-page; a preset hides it again.
    ASSERT_TRUE(selectPage(10040));
    ASSERT_TRUE(chooseComboEntry(field(1137), 0));
    EXPECT_NE(field(1202), nullptr);
    ASSERT_TRUE(chooseComboEntry(field(1192), 1));    // user-defined value pairs
    EXPECT_NE(field(1193), nullptr);
    snap("10040-channel-can-custom");
    ASSERT_TRUE(chooseComboEntry(field(1137), 5));
    EXPECT_EQ(visibleNow(1202), nullptr);

    ASSERT_TRUE(selectPage(10023));
    EXPECT_EQ(windowText(field(1253)), englishString(11346));  // entry 7 (10030): extended data
    EXPECT_EQ(windowText(field(1268)), "00000000");
    snap("10023-transmit-overview");
    ASSERT_TRUE(selectPage(10019));
    ASSERT_TRUE(setCheckBox(field(2242), true));
    EXPECT_NE(field(2244), nullptr);                  // the start time with its day
    snap("10019-timer");
    ASSERT_TRUE(selectPage(10022));
    EXPECT_EQ(pageCaption(), "Option board");         // neither an AN-1100/2100 nor an AN-6100 board
    ASSERT_TRUE(selectPage(10004));                   // a heading: no page
    EXPECT_EQ(pageCaption(), "");

    // A file that is no setup file changes nothing; a save that fails says where and why.
    ASSERT_TRUE(selectPage(10040));
    ASSERT_TRUE(chooseComboEntry(field(1137), std::string("1M")));
    const std::string bad = sandbox_->root() + "\\bad.SU", locked = sandbox_->root() + "\\locked.SU";
    ASSERT_TRUE(writeTextFile(bad, "ZEVRONA SETUP  but nothing else"));
    PostMessageA(editor_, WM_COMMAND, 2125, 0);
    HWND open = waitForDialogTitled(program_.processId(), englishString(20044), 10000);
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(chooseFileInDialog(open, bad));
    MessageBoxInfo box = waitForBox(englishString(9034));
    EXPECT_EQ(box.text, englishString(9036));
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    ASSERT_TRUE(selectPage(10041));
    ASSERT_TRUE(selectPage(10040));
    EXPECT_EQ(comboSelectedEntry(field(1137)), "1M");

    // Another program holds the file open without sharing it.
    ASSERT_TRUE(writeTextFile(locked, "kept"));
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    PostMessageA(editor_, WM_COMMAND, 2128, 0);
    HWND save = waitForDialogTitled(program_.processId(), englishString(20045), 10000);
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(chooseFileInDialog(save, locked));
    MessageBoxInfo replace = waitForBox(englishString(20045), save);  // the question before replacing
    ASSERT_NE(replace.window, nullptr);
    ASSERT_TRUE(answerMessageBox(replace, IDYES)) << replace.text;
    box = waitForBox(englishString(9034));
    EXPECT_NE(box.text.find(locked), std::string::npos) << box.text;
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    CloseHandle(holder);
    EXPECT_EQ(readTextFile(locked), "kept");

    ASSERT_TRUE(setCheckBox(dialogControl(editor_, kSetupSyncBox), false));
    ASSERT_TRUE(closeEditor());
    EXPECT_EQ(profileValue("miscellaneous", "syncSetup"), "no");
}

// ---- The built-in analyzer ---------------------------------------------------------------

TEST_F(SetupEditor, ACanOnlyBoardOffersTwoProtocolsAndShowsItsOwnSetupAfterTheAutomaticReceive) {
    ASSERT_TRUE(writeTextFile(sandbox_->programFolder() + "\\zvlkrmt.ini",
                              "[analyzer]\r\nserial = 30808001\r\nmodel = AN-2100\r\nexboard = EX-NB2A\r\n"));
    writeProfile("[remote]\r\nmodel=AN-2100\r\nexboard=EX-NB2A\r\n[connection]\r\nmethod=USB\r\nserialNumber=30808001\r\n"
                 "[miscellaneous]\r\nsyncSetup=yes\r\nsyncSetupSendOnly=no\r\n");
    ASSERT_NE(startMain(), nullptr);
    connectAndWaitForIdle();

    // First round: change channel 2 to 50k; closing sends it through the CAN-only layout.
    ASSERT_NE(openEditor(), nullptr);
    EXPECT_EQ(windowText(dialogControl(editor_, kSetupBoardText)), "AN-2100 + EX-NB2A");
    EXPECT_EQ(setupButtonState(2129), kButtonEnabled);
    ASSERT_TRUE(selectPage(10002));
    EXPECT_EQ(comboEntries(field(1134)).size(), 2u);
    ASSERT_TRUE(selectPage(10041));
    EXPECT_EQ(comboSelectedEntry(field(1137)), "125k");
    ASSERT_TRUE(chooseComboEntry(field(1137), std::string("50k")));
    ASSERT_TRUE(selectPage(10022));
    EXPECT_EQ(pageCaption(), "Option board (AN-1100, AN-2100)");
    ASSERT_TRUE(closeEditor());
    EXPECT_TRUE(collectMessageBoxes(0, 500).empty());

    // Second round: the receive on opening brings it back into the pages.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_NE(openEditor(), nullptr);
    ASSERT_TRUE(program_.waitUntilDrawn(editor_, 10000));
    std::printf("[ figures  ] setup window of the built-in analyzer opened with the automatic receive in %.0f ms\n",
                msSince(start));
    ASSERT_TRUE(selectPage(10041));
    EXPECT_TRUE(waitFor([&] { return comboSelectedEntry(field(1137)) == "50k"; }, 5000))
        << comboSelectedEntry(field(1137));
    ASSERT_TRUE(selectPage(10040));
    EXPECT_EQ(comboSelectedEntry(field(1137)), "125k");
    ASSERT_TRUE(setCheckBox(dialogControl(editor_, kSetupSyncBox), false));
    ASSERT_TRUE(closeEditor());
}

// A link lost in each area of a receive (toolbar) or a send (toolbar): the transfer dialog
// closes, the box names the failure, the edits stay, and the window goes on working.
struct LostLink {
    const char* name;
    bool receive;
    uint64_t dropAfter;  // setup bytes over the link before it ends
};

class SetupEditorLostLink : public SetupEditor, public ::testing::WithParamInterface<LostLink> {};

TEST_P(SetupEditorLostLink, ClosesTheTransferDialogSaysSoAndKeepsTheWorkingSetup) {
    const LostLink& c = GetParam();
    configureAnalyzer("fault = drop=setup:" + std::to_string(c.dropAfter) + "\r\n");
    writeProfileWith("[miscellaneous]\r\nsyncSetup=no\r\n");
    ASSERT_NE(startMain(), nullptr);
    connectAndWaitForIdle();
    ASSERT_NE(openEditor(), nullptr);
    ASSERT_TRUE(selectPage(10040));
    ASSERT_TRUE(chooseComboEntry(field(1137), std::string("500k"))) << comboEntries(field(1137)).size();

    PostMessageA(editor_, WM_COMMAND, c.receive ? 2129 : 2130, 0);
    // The transfer's own box, and the main window's warning of the lost link: which comes first
    // depends on whether the link went before or after the session closed the transfer dialog.
    const std::string caption = englishString(20052);
    MessageBoxInfo box;
    std::vector<std::string> others;
    std::set<HWND> answered;
    const auto answerOthers = [&] {
        for (const MessageBoxInfo& b : messageBoxesOf(program_.processId())) {
            // The transfer dialog has no message text, and a box being built has none yet.
            if (b.window == editor_ || b.caption == caption || b.text.empty() || answered.count(b.window)) continue;
            answered.insert(b.window);
            others.push_back(b.text);
            answerMessageBox(b, IDOK);
        }
    };
    ASSERT_TRUE(waitFor([&] {
        answerOthers();
        for (const MessageBoxInfo& b : messageBoxesOf(program_.processId())) {
            if (b.window != editor_ && b.caption == caption) box = b;
        }
        return box.window != nullptr;
    }, 20000)) << "no message box";
    const std::string expected = englishString(c.receive ? kReceiveFailed : kSendFailed);
    EXPECT_EQ(box.text.substr(0, 30), expected.substr(0, 30)) << box.text;
    EXPECT_FALSE(dialogOpen(program_.processId(), "Transfer"));
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    EXPECT_TRUE(waitFor([&] {
        answerOthers();
        return !others.empty();
    }, 10000));
    EXPECT_EQ(others, std::vector<std::string>{englishString(9013)});

    // The edit is still there, and the window still takes the user's choices.
    ASSERT_TRUE(selectPage(10041));
    ASSERT_TRUE(selectPage(10040));
    EXPECT_EQ(comboSelectedEntry(field(1137)), "500k");
    EXPECT_TRUE(waitFor([&] { return (setupButtonState(2129) & kButtonEnabled) == 0; }, 10000));
    ASSERT_TRUE(closeEditor());
    EXPECT_TRUE(collectMessageBoxes(0, 500).empty());
}

INSTANTIATE_TEST_SUITE_P(Areas, SetupEditorLostLink,
                         ::testing::Values(LostLink{"ReceiveImage", true, 0}, LostLink{"ReceiveCanTables", true, 2000},
                                           LostLink{"ReceiveLinTables", true, 9000}, LostLink{"SendImage", false, 0},
                                           LostLink{"SendCanTables", false, 1824},
                                           LostLink{"SendLinTables", false, 8880}),
                         [](const ::testing::TestParamInfo<LostLink>& p) { return std::string(p.param.name); });

// ---- zvsim over the LAN adapter, zvremote on the other side ---------------------------------

TEST_F(SetupEditor, EditsReachTheAnalyzerAndTheAnalyzersSetupReachesThePages) {
    LanAnalyzer analyzer;
    ASSERT_FALSE(builtFile("zvremote").empty()) << "the build has no zvremote target";
    ASSERT_TRUE(analyzer.start(builtFile("zvsim")));
    // zvremote speaks through the remote library beside it, as the program does.
    ASSERT_TRUE(sandbox_->addProgramFile(builtFile("zvremote")));
    const std::string zvremote = sandbox_->programFolder() + "\\zvremote.exe";
    const std::string folder = sandbox_->root();
    const std::string sent = folder + "\\sent.SU", after = folder + "\\after.SU", saved = folder + "\\saved.SU";
    std::string output;

    // A setup with channel 2 at 250k goes to the analyzer before the program connects.
    auto setup = std::make_unique<zv::SetupWorkspace>();
    setup->initDefaults(73763);
    std::string error;
    ASSERT_TRUE(zv::setSetupField(*setup, 73763, kChannel2Rate, "6", error)) << error;
    ASSERT_EQ(zv::writeSetupFile(sent, 73763, *setup), zv::kOk);
    ASSERT_EQ(runTool(zvremote, {"--lan", analyzer.connection(), "setup", "send", sent}, output), 0) << output;

    writeProfile("[remote]\r\nmodel=AN-2400\r\nexboard=EX-NB3BP\r\n" + analyzer.profileSection() +
                 "[miscellaneous]\r\nsyncSetup=yes\r\nsyncSetupSendOnly=no\r\n");
    ASSERT_NE(startMain(), nullptr);
    connectAndWaitForIdle();

    auto start = std::chrono::steady_clock::now();
    ASSERT_NE(openEditor(), nullptr);
    ASSERT_TRUE(program_.waitUntilDrawn(editor_, 10000));
    const double openMs = msSince(start);
    ASSERT_TRUE(selectPage(10041));
    EXPECT_EQ(comboSelectedEntry(field(1137)), "250k");

    ASSERT_TRUE(selectPage(10040));
    ASSERT_TRUE(chooseComboEntry(field(1137), std::string("500k")));
    ASSERT_TRUE(selectPage(10024));
    ASSERT_TRUE(setControlText(field(1222), "123"));
    ASSERT_TRUE(typeHexBytes(field(1223), {0x11, 0x22, 0x33}));
    snap("10024-can-entry");

    // Saved from the window: a setup file of the working setup.
    PostMessageA(editor_, WM_COMMAND, 2128, 0);
    HWND save = waitForDialogTitled(program_.processId(), englishString(20045), 10000);
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(chooseFileInDialog(save, saved));
    ASSERT_TRUE(waitFor([&] { return !readBinaryFile(saved).empty(); }, 10000));
    output.clear();
    EXPECT_EQ(runTool(builtFile("zvsetup"), {"check", "--board", "73763", saved}, output), 0) << output;

    start = std::chrono::steady_clock::now();
    ASSERT_TRUE(closeEditor());
    const double sendMs = msSince(start);
    EXPECT_TRUE(collectMessageBoxes(0, 500).empty());
    postCommand(mainWindow_, 2105);
    ASSERT_TRUE(waitForUsable({2104, 2019, 1007}));

    output.clear();
    start = std::chrono::steady_clock::now();
    ASSERT_EQ(runTool(zvremote, {"--lan", analyzer.connection(), "setup", "receive", "-o", after}, output), 0)
        << output;
    const double receiveMs = msSince(start);
    auto received = std::make_unique<zv::SetupWorkspace>();
    ASSERT_TRUE(zv::readSetupFile(after, 73763, *received).ok);
    const std::vector<std::string> changed = zv::diffSetupFields(*setup, *received, 73763);
    EXPECT_EQ(changed, (std::vector<std::string>{
                           std::string(kChannel1Rate) + ": 5 -> 7",
                           "CanTransmitTables.CanTransmitEntry[0].identifier11: 000 -> 123",
                           "CanTransmitTables.CanTransmitEntry[0].dataCount: 0 -> 3",
                           "CanTransmitTables.CanTransmitEntry[0].data:  -> 11 22 33",
                       }));
    // What the window saved is what it sent.
    auto fromFile = std::make_unique<zv::SetupWorkspace>();
    ASSERT_TRUE(zv::readSetupFile(saved, 73763, *fromFile).ok);
    EXPECT_TRUE(zv::diffSetupFields(*fromFile, *received, 73763).empty());

    std::printf("[ figures  ] setup window opened with the automatic receive in %.0f ms; "
                "closing with the send took %.0f ms; zvremote's receive took %.0f ms\n",
                openMs, sendMs, receiveMs);
}

}  // namespace
}  // namespace zvui
