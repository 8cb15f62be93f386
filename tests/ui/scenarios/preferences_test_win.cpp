// UI scenarios: preferences. The dialog of command 2019 against the real program: what it
// opens with, how its lists follow the method and the model, the block count limits, the
// check of OK, what OK writes to profile.ini (and a profile.ini it cannot write), and a
// connection over the LAN adapter with the settings made in it.
#include <cstdio>
#include <string>
#include <vector>

#include "dialog_read_win.h"
#include "lan_analyzer_win.h"
#include "measurement_fixture_win.h"
#include "program_fixture_win.h"
#include "ui_driver_win.h"

namespace zvui {
namespace {

constexpr int kPreferencesCommand = 2019;
const std::string kPreferencesCaption = "Connection and Preferences";

// Controls of the dialog and its pages.
constexpr int kTabs = 1099;
constexpr int kMethod = 40019;
constexpr int kPort = 40020;
constexpr int kHost = 2024;
constexpr int kDataService = 2025;
constexpr int kControlService = 2026;
constexpr int kBaudRate = 2073;
constexpr int kParity = 2049;
constexpr int kXControl = 40026;
constexpr int kUsbSerial = 40021;
constexpr int kModel = 2121;
constexpr int kBoard = 2122;
constexpr int kBufferFolder = 2031;
constexpr int kBlockSize = 2033;
constexpr int kBlockCount = 2034;
constexpr int kFullStop = 2035;
constexpr int kAppend = 2036;
constexpr int kWarning = 2037;
constexpr int kScreenshotFolder = 1008;
constexpr int kSyncSetup = 2290;
constexpr int kSyncSendOnly = 2307;

using Entries = std::vector<std::string>;

class Preferences : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        installProgram();
    }

    void startWith(const std::string& profile) {
        writeProfile(profile);
        ASSERT_TRUE(startMain());
    }

    HWND openDialog() {
        postCommand(mainWindow_, kPreferencesCommand);
        dialog_ = waitForDialog(program_.processId(), kPreferencesCaption, 5000);
        return dialog_;
    }

    HWND at(int id) const { return dialogControl(dialog_, id); }

    std::string profileValue(const char* section, const char* key) const {
        char value[1100] = "";
        GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, profilePath().c_str());
        return value;
    }
    std::string profilePath() const { return sandbox_->dataFolder() + "\\profile.ini"; }

    // Moves the focus into a field and out again, as tabbing through the page does.
    bool leaveField(int id, int next) { return setFocusIn(at(id)) && setFocusIn(at(next)); }

    HWND dialog_ = nullptr;
};

std::string serialProfile(const std::string& model, const std::string& board) {
    return "[remote]\r\nmodel=" + model + "\r\nexboard=" + board +
           "\r\n[connection]\r\nmethod=serial\r\ncom=COM3\r\nserialNumber=12345678\r\nbaudrate=57600\r\n"
           "parity=odd\r\n[buffer]\r\nblock=2M,25\r\n";
}

TEST_F(Preferences, OpensWithTheStoredSettingsAndCancelWritesNothing) {
    startWith(serialProfile("AN-1100", "EX-NB2AP"));
    ASSERT_TRUE(openDialog());

    HWND tabs = at(kTabs);
    ASSERT_EQ(tabCount(tabs), 5);
    const unsigned labels[] = {242, 245, 243, 244, 246};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(tabText(tabs, i), englishString(labels[i])) << i;

    EXPECT_EQ(comboEntries(at(kMethod)), (Entries{englishString(251), englishString(253), englishString(256)}));
    EXPECT_EQ(comboSelection(at(kMethod)), 0);
    EXPECT_EQ(windowText(at(kPort)), "COM3");
    EXPECT_EQ(comboEntries(at(kPort)).size(), 9u);
    EXPECT_EQ(comboSelectedEntry(at(kBaudRate)), "57600");
    EXPECT_EQ(comboSelectedEntry(at(kParity)), englishString(263));  // odd
    EXPECT_EQ(comboSelectedEntry(at(kXControl)), englishString(20042));
    // The serial port's rows only.
    EXPECT_TRUE(controlVisible(at(kPort)));
    EXPECT_TRUE(controlVisible(at(kBaudRate)));
    EXPECT_FALSE(controlVisible(at(kHost)));
    EXPECT_FALSE(controlVisible(at(kUsbSerial)));
    EXPECT_TRUE(saveScreenshot(dialog_, screenshotPath("preferences_connection")));

    EXPECT_EQ(comboSelectedEntry(at(kModel)), "AN-1100");
    EXPECT_EQ(comboEntries(at(kBoard)), (Entries{"EX-NB2A", "EX-NB2AP"}));
    EXPECT_EQ(comboSelectedEntry(at(kBoard)), "EX-NB2AP");

    EXPECT_EQ(windowText(at(kBufferFolder)), bufferFolder());
    EXPECT_EQ(comboSelectedEntry(at(kBlockSize)), "2M");
    EXPECT_EQ(windowText(at(kBlockCount)), "25");
    EXPECT_TRUE(buttonChecked(at(kFullStop)));
    EXPECT_FALSE(controlVisible(at(kFullStop)));
    EXPECT_FALSE(buttonChecked(at(kAppend)));
    EXPECT_FALSE(controlVisible(at(kAppend)));
    EXPECT_TRUE(buttonChecked(at(kWarning)));
    EXPECT_EQ(windowText(at(kScreenshotFolder)), screenshotFolder());
    EXPECT_TRUE(buttonChecked(at(kSyncSetup)));
    EXPECT_TRUE(IsWindowEnabled(at(kSyncSendOnly)));

    // Edits, then Cancel: profile.ini stays as it was, byte for byte.
    const std::string before = readTextFile(profilePath());
    ASSERT_TRUE(chooseComboEntry(at(kMethod), 1));
    ASSERT_TRUE(setControlText(at(kHost), "10.0.0.9"));
    EXPECT_TRUE(controlVisible(at(kHost)));
    EXPECT_FALSE(controlVisible(at(kPort)));
    ASSERT_TRUE(chooseTab(at(kTabs), 2));
    EXPECT_TRUE(saveScreenshot(dialog_, screenshotPath("preferences_buffer")));
    ASSERT_TRUE(setCheckBox(at(kSyncSetup), false));
    EXPECT_FALSE(IsWindowEnabled(at(kSyncSendOnly)));
    ASSERT_TRUE(pressDialogButton(dialog_, IDCANCEL));
    ASSERT_TRUE(waitFor([&] { return !dialogOpen(program_.processId(), kPreferencesCaption); }, 5000));
    EXPECT_EQ(readTextFile(profilePath()), before);
}

TEST_F(Preferences, DoesNotOpenWhileConnected) {
    startWith(emulatedUsbProfile());
    ASSERT_TRUE(connect());
    postCommand(mainWindow_, kPreferencesCommand);
    EXPECT_FALSE(waitForDialog(program_.processId(), kPreferencesCaption, 1500));
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), englishString(287));
}

TEST_F(Preferences, UsbListWithoutAnalyzerAndModelsFollowTheMethod) {
    // The library's one analyzer is an AN-2100 here, which USB does not list.
    ASSERT_TRUE(writeTextFile(sandbox_->programFolder() + "\\zvlkrmt.ini",
                              "[analyzer]\r\nserial = 30808001\r\nboard = 65571\r\n"));
    startWith(serialProfile("AN-2100", "EX-NB2A"));
    ASSERT_TRUE(openDialog());
    EXPECT_EQ(comboEntries(at(kUsbSerial)), (Entries{""}));
    EXPECT_EQ(windowText(at(kUsbSerial)), "12345678");

    ASSERT_TRUE(chooseComboEntry(at(kMethod), 2));  // USB
    EXPECT_TRUE(controlVisible(at(kUsbSerial)));
    EXPECT_FALSE(controlVisible(at(kPort)));
    EXPECT_FALSE(controlVisible(at(kBaudRate)));
    EXPECT_EQ(comboEntries(at(kModel)), (Entries{"AN-1400", "AN-2400"}));
    EXPECT_EQ(comboSelectedEntry(at(kModel)), "AN-2400");
    EXPECT_EQ(comboEntries(at(kBoard)), (Entries{"EX-NB3BP"}));
    EXPECT_EQ(comboSelectedEntry(at(kBoard)), "EX-NB3BP");

    ASSERT_TRUE(chooseComboEntry(at(kMethod), 0));  // back to the serial port
    EXPECT_EQ(comboEntries(at(kModel)).size(), 5u);
    EXPECT_EQ(comboSelectedEntry(at(kModel)), "AN-2400");

    // AN-1100 after AN-1400 offers the CAN boards with the CAN/LIN one selected.
    ASSERT_TRUE(chooseComboEntry(at(kModel), std::string("AN-1400")));
    EXPECT_EQ(comboEntries(at(kBoard)), (Entries{"EX-NB3BP"}));
    ASSERT_TRUE(chooseComboEntry(at(kModel), std::string("AN-1100")));
    EXPECT_EQ(comboEntries(at(kBoard)), (Entries{"EX-NB2A", "EX-NB2AP"}));
    EXPECT_EQ(comboSelectedEntry(at(kBoard)), "EX-NB2AP");
}

TEST_F(Preferences, UsbListNamesTheLibrarysAnalyzer) {
    startWith(serialProfile("AN-2400", "EX-NB3BP"));
    ASSERT_TRUE(openDialog());
    EXPECT_EQ(comboEntries(at(kUsbSerial)), (Entries{"30808001"}));
}

TEST_F(Preferences, BlockCountIsClampedWhenTheFieldLosesTheFocus) {
    startWith(serialProfile("AN-2400", "EX-NB3BP"));
    ASSERT_TRUE(openDialog());
    // The buffer page must be the shown one for its fields to take the focus.
    ASSERT_TRUE(chooseTab(at(kTabs), 2));
    ASSERT_TRUE(controlVisible(at(kBlockCount)));
    ASSERT_TRUE(setControlText(at(kBlockCount), "1"));
    ASSERT_TRUE(leaveField(kBlockCount, kWarning));
    EXPECT_TRUE(waitFor([&] { return windowText(at(kBlockCount)) == "2"; }, 2000)) << windowText(at(kBlockCount));
    ASSERT_TRUE(setControlText(at(kBlockCount), "3000"));
    ASSERT_TRUE(leaveField(kBlockCount, kWarning));
    EXPECT_TRUE(waitFor([&] { return windowText(at(kBlockCount)) == "2000"; }, 2000)) << windowText(at(kBlockCount));
}

TEST_F(Preferences, OkWithXb40AndNoHostShowsTheErrorAndKeepsTheEdits) {
    startWith(serialProfile("AN-2400", "EX-NB3BP"));
    const std::string before = readTextFile(profilePath());
    ASSERT_TRUE(openDialog());
    ASSERT_TRUE(chooseComboEntry(at(kMethod), 1));
    ASSERT_TRUE(setControlText(at(kDataService), "4001"));
    ASSERT_TRUE(setControlText(at(kHost), ""));
    ASSERT_TRUE(chooseTab(at(kTabs), 2));  // OK pressed while another page shows
    ASSERT_TRUE(pressDialogButton(dialog_, IDOK));

    MessageBoxInfo error;
    ASSERT_TRUE(waitFor(
        [&] {
            for (const MessageBoxInfo& box : messageBoxesOf(program_.processId()))
                if (box.caption == englishString(291)) error = box;
            return error.window != nullptr;
        },
        5000));
    EXPECT_EQ(error.text, englishString(9002));
    ASSERT_TRUE(answerMessageBox(error, IDOK));
    ASSERT_TRUE(waitFor([&] { return !IsWindow(error.window) || !IsWindowVisible(error.window); }, 5000));

    EXPECT_TRUE(dialogOpen(program_.processId(), kPreferencesCaption));
    // Back on the connection page, in the empty field.
    EXPECT_EQ(selectedTab(at(kTabs)), 0);
    EXPECT_TRUE(waitFor([&] { return focusedWindowOf(at(kHost)) == at(kHost); }, 3000));
    EXPECT_EQ(comboSelection(at(kMethod)), 1);
    EXPECT_EQ(windowText(at(kDataService)), "4001");
    EXPECT_EQ(readTextFile(profilePath()), before);
}

TEST_F(Preferences, OkThatCannotWriteTheProfileSaysSoKeepsTheDialogAndTakesNothing) {
    startWith(serialProfile("AN-1100", "EX-NB2A"));
    const std::string before = readTextFile(profilePath());
    ASSERT_TRUE(openDialog());
    ASSERT_TRUE(chooseComboEntry(at(kModel), std::string("AN-2400")));
    ASSERT_TRUE(chooseComboEntry(at(kBlockSize), std::string("4M")));
    {
        WriteBlock block(profilePath());
        ASSERT_TRUE(block.held());
        ASSERT_TRUE(pressDialogButton(dialog_, IDOK));
        const MessageBoxInfo error = waitForMessageBox(program_.processId(), englishString(9034), 5000);
        ASSERT_TRUE(error.window) << "no box: the settings look saved";
        EXPECT_EQ(error.text, englishFormattedText(20059, profilePath()));
        ASSERT_TRUE(answerMessageBox(error, IDOK));
        ASSERT_TRUE(waitFor([&] { return !IsWindow(error.window); }, 5000));
        EXPECT_TRUE(dialogOpen(program_.processId(), kPreferencesCaption));
        EXPECT_EQ(comboSelectedEntry(at(kModel)), "AN-2400");  // the edits are still there
    }
    // Cancel now: nothing was taken either.
    ASSERT_TRUE(pressDialogButton(dialog_, IDCANCEL));
    ASSERT_TRUE(waitFor([&] { return !dialogOpen(program_.processId(), kPreferencesCaption); }, 5000));
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 3), "AN-1100 + EX-NB2A");
    EXPECT_EQ(readTextFile(profilePath()), before);

    // Writable again, the same OK saves and takes the settings.
    ASSERT_TRUE(openDialog());
    ASSERT_TRUE(chooseComboEntry(at(kModel), std::string("AN-2400")));
    ASSERT_TRUE(pressDialogButton(dialog_, IDOK));
    ASSERT_TRUE(waitFor([&] { return !dialogOpen(program_.processId(), kPreferencesCaption); }, 5000));
    EXPECT_EQ(profileValue("remote", "model"), "AN-2400");
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 3), "AN-2400 + EX-NB3BP");
}

TEST_F(Preferences, OkWritesProfileAndTheNextConnectGoesThroughTheLanAdapter) {
    LanAnalyzer analyzer;
    ASSERT_FALSE(builtFile("zvsim").empty()) << "the build has no zvsim target";
    ASSERT_TRUE(analyzer.start(builtFile("zvsim")));
    startWith(serialProfile("AN-1100", "EX-NB2A"));
    ASSERT_TRUE(openDialog());

    ASSERT_TRUE(chooseComboEntry(at(kMethod), 1));  // XB-40
    ASSERT_TRUE(setControlText(at(kHost), "127.0.0.1"));
    ASSERT_TRUE(setControlText(at(kDataService), std::to_string(analyzer.dataPort)));
    ASSERT_TRUE(setControlText(at(kControlService), std::to_string(analyzer.controlPort)));
    ASSERT_TRUE(chooseComboEntry(at(kBaudRate), std::string("38400")));
    ASSERT_TRUE(chooseComboEntry(at(kParity), 1));  // even
    ASSERT_TRUE(chooseComboEntry(at(kXControl), 1));
    ASSERT_TRUE(chooseComboEntry(at(kModel), std::string("AN-2400")));
    ASSERT_TRUE(chooseComboEntry(at(kBlockSize), std::string("4M")));
    ASSERT_TRUE(setControlText(at(kBlockCount), "50"));
    ASSERT_TRUE(setCheckBox(at(kWarning), false));
    ASSERT_TRUE(setCheckBox(at(kSyncSetup), false));
    ASSERT_TRUE(pressDialogButton(dialog_, IDOK));
    ASSERT_TRUE(waitFor([&] { return !dialogOpen(program_.processId(), kPreferencesCaption); }, 5000));

    EXPECT_EQ(profileValue("connection", "method"), "XB-40");
    EXPECT_EQ(profileValue("connection", "host"), "127.0.0.1");
    EXPECT_EQ(profileValue("connection", "dService"), std::to_string(analyzer.dataPort));
    EXPECT_EQ(profileValue("connection", "cService"), std::to_string(analyzer.controlPort));
    EXPECT_EQ(profileValue("connection", "com"), "COM3");
    EXPECT_EQ(profileValue("connection", "baudrate"), "38400");
    EXPECT_EQ(profileValue("connection", "parity"), "even");
    EXPECT_EQ(profileValue("connection", "xControl"), "yes");
    EXPECT_EQ(profileValue("connection", "serialNumber"), "12345678");
    EXPECT_EQ(profileValue("remote", "model"), "AN-2400");
    EXPECT_EQ(profileValue("remote", "exboard"), "EX-NB3BP");
    EXPECT_EQ(profileValue("buffer", "block"), "4M,50");
    EXPECT_EQ(profileValue("buffer", "fullstop"), "yes");
    EXPECT_EQ(profileValue("buffer", "append"), "no");
    EXPECT_EQ(profileValue("buffer", "warning"), "no");
    EXPECT_EQ(profileValue("buffer", "path"), bufferFolder());
    EXPECT_EQ(profileValue("keyEmulation", "path"), screenshotFolder());
    EXPECT_EQ(profileValue("miscellaneous", "syncSetup"), "no");
    EXPECT_EQ(profileValue("miscellaneous", "syncSetupSendOnly"), "no");
    // The status bar names the analyzer chosen.
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 3), "AN-2400 + EX-NB3BP");

    EXPECT_TRUE(connect());
}

}  // namespace
}  // namespace zvui
