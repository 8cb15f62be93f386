// UI scenarios: the watch data dialog. What profile.ini holds shows on opening; the
// identifier boxes take hexadecimal digits only and clamp on leaving; OK writes the 48 keys
// (or says that it cannot and stays open), Cancel nothing.
#include <windows.h>

#include <cstring>
#include <map>
#include <string>

#include "measurement_fixture_win.h"
#include "program_fixture_win.h"
#include "resources/ids/watch_dialog_res.h"

namespace zvui {
namespace {

constexpr int kWatchCommand = 40020;

constexpr int kChannel[16] = {1118, 1014, 1015, 1016, 1017, 1019, 1021, 1023,
                              1025, 1027, 1029, 1042, 1045, 1048, 1051, 1054};
constexpr int kFrameType[16] = {1119, 1120, 1121, 1122, 1123, 1035, 1036, 1037,
                                1038, 1039, 1040, 1043, 1046, 1049, 1052, 1055};
constexpr int kIdentifier[16] = {1124, 1009, 1010, 1011, 1012, 1125, 1126, 1127,
                                 1128, 1026, 1028, 1129, 1130, 1131, 1132, 1133};

static_assert(kIdentifier[15] == IDC_WATCH_IDENTIFIER_15 && kChannel[0] == IDC_WATCH_CHANNEL_0);

class WatchDialog : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        installProgram();
    }

    void startWith(const std::string& watchSection) {
        writeProfile(emulatedUsbProfile() + watchSection);
        ASSERT_TRUE(startMain());
    }

    std::string profilePath() const { return sandbox_->dataFolder() + "\\profile.ini"; }

    // Opens the dialog and waits until it shows with the focus in one of its controls.
    HWND open() {
        postCommand(mainWindow_, kWatchCommand);
        HWND dialog = nullptr;
        waitFor(
            [&] {
                for (HWND w : topWindowsOfClass("#32770", program_.processId())) {
                    if (IsWindowVisible(w) && childById(w, IDC_WATCH_IDENTIFIER_0)) dialog = w;
                }
                return dialog != nullptr;
            },
            5000);
        if (dialog) {
            SetForegroundWindow(dialog);
            waitFor([&] { return GetForegroundWindow() == dialog; }, 2000);
        }
        return dialog;
    }

    bool closed(HWND dialog) {
        return waitFor([&] { return !IsWindow(dialog); }, 5000);
    }

    // Types KEYS into the box: digits and letters as their keys (upper case through Shift).
    void type(HWND dialog, int boxId, const std::string& keys) {
        HWND box = childById(dialog, boxId);
        ASSERT_TRUE(setFocusIn(box));
        for (char c : keys) {
            const bool upper = c >= 'A' && c <= 'Z';
            const WORD vk = static_cast<WORD>(upper ? c : (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
            ASSERT_TRUE(pressKey(dialog, vk, upper));
        }
        waitForIdle();
    }

    // Lets the program take in what was typed.
    void waitForIdle() { sendTo(mainWindow_, WM_NULL, 0, 0); Sleep(100); }

    std::string text(HWND dialog, int id) { return windowText(childById(dialog, id)); }
    int selection(HWND dialog, int id) { return static_cast<int>(sendTo(childById(dialog, id), CB_GETCURSEL, 0, 0)); }

    // Chooses entry INDEX of a combo box as the user would: the selection, then its notice.
    void choose(HWND dialog, int id, int index) {
        HWND combo = childById(dialog, id);
        sendTo(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        sendTo(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }

    // The keys of [WatchDataFactor] as the file holds them.
    std::map<std::string, std::string> watchKeys() {
        std::map<std::string, std::string> keys;
        char section[8192] = {};
        const DWORD n = GetPrivateProfileSectionA("WatchDataFactor", section, sizeof section, profilePath().c_str());
        for (const char* p = section; p < section + n && *p; p += std::strlen(p) + 1) {
            const std::string line(p);
            const size_t eq = line.find('=');
            keys[line.substr(0, eq)] = eq == std::string::npos ? "" : line.substr(eq + 1);
        }
        return keys;
    }
};

TEST_F(WatchDialog, OpensOnTheEntriesOfTheProfile) {
    startWith("[WatchDataFactor]\r\nNo0ch=Ch-2\r\nNo0frametype=Extended\r\nNo0id=1abcdef\r\n"
              "No3ch=Ch-3\r\nNo3frametype=extended\r\nNo3id=7FF\r\nNo5ch=Ch-2\r\nNo5id=\r\n");
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(sendTo(childById(dialog, kChannel[0]), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(text(dialog, kChannel[0]), englishString(10116));
    EXPECT_EQ(text(dialog, kFrameType[0]), englishString(10059));
    EXPECT_EQ(text(dialog, kIdentifier[0]), "1ABCDEF");
    // Anything but "Ch-2" and "Extended" (exactly) is channel 1 and a standard frame.
    EXPECT_EQ(selection(dialog, kChannel[3]), 0);
    EXPECT_EQ(selection(dialog, kFrameType[3]), 0);
    EXPECT_EQ(text(dialog, kIdentifier[3]), "7FF");
    EXPECT_EQ(selection(dialog, kChannel[5]), 1);
    EXPECT_EQ(text(dialog, kIdentifier[5]), "");
    for (int n : {1, 15}) {
        EXPECT_EQ(text(dialog, kChannel[n]), englishString(10115)) << n;
        EXPECT_EQ(text(dialog, kFrameType[n]), englishString(10058)) << n;
        EXPECT_EQ(text(dialog, kIdentifier[n]), "") << n;
    }
    saveScreenshot(dialog, screenshotPath("watch_dialog"));
    postCommand(dialog, IDCANCEL);
    EXPECT_TRUE(closed(dialog));
}

TEST_F(WatchDialog, IdentifierBoxesTakeHexDigitsOnlyAndNoPaste) {
    startWith("");
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    type(dialog, kIdentifier[1], "gaz1f");
    EXPECT_EQ(text(dialog, kIdentifier[1]), "A1F");
    type(dialog, kIdentifier[1], "4");  // a standard entry holds three digits
    EXPECT_EQ(text(dialog, kIdentifier[1]), "A1F");

    // Whatever the clipboard holds, neither Ctrl+V, Shift+Insert nor WM_PASTE gets it in.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 4);
    ASSERT_TRUE(memory);
    std::memcpy(GlobalLock(memory), "7FF", 4);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();

    HWND box = childById(dialog, kIdentifier[2]);
    ASSERT_TRUE(setFocusIn(box));
    ASSERT_TRUE(pressKey(dialog, 'V', false, true));
    ASSERT_TRUE(pressKey(dialog, VK_INSERT, true, false));
    waitForIdle();
    sendTo(box, WM_PASTE, 0, 0);
    EXPECT_EQ(text(dialog, kIdentifier[2]), "");
    // No context menu either: the box answers at once and no menu comes up.
    EXPECT_EQ(sendTo(box, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box), MAKELPARAM(10, 10)), 0);
    EXPECT_TRUE(topWindowsOfClass("#32768", program_.processId()).empty() ||
                !IsWindowVisible(topWindowsOfClass("#32768", program_.processId()).front()));
    postCommand(dialog, IDCANCEL);
    EXPECT_TRUE(closed(dialog));
}

TEST_F(WatchDialog, StandardIdentifiersClampOnLeavingAndExtendedOnesKeepTheirDigits) {
    startWith("");
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    type(dialog, kIdentifier[0], "800");
    ASSERT_TRUE(setFocusIn(childById(dialog, kIdentifier[1])));
    EXPECT_TRUE(waitFor([&] { return text(dialog, kIdentifier[0]) == "7FF"; }, 2000)) << text(dialog, kIdentifier[0]);

    // Extended: 7FF stays, and eight digits go in.
    choose(dialog, kFrameType[0], 1);
    EXPECT_EQ(text(dialog, kIdentifier[0]), "7FF");
    sendTo(childById(dialog, kIdentifier[0]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    type(dialog, kIdentifier[0], "FFFFFFFF1");
    EXPECT_EQ(text(dialog, kIdentifier[0]), "FFFFFFFF");
    ASSERT_TRUE(setFocusIn(childById(dialog, kIdentifier[1])));
    EXPECT_TRUE(waitFor([&] { return text(dialog, kIdentifier[0]) == "1FFFFFFF"; }, 2000));
    // Back to standard: the value shrinks to what eleven bits hold.
    choose(dialog, kFrameType[0], 0);
    EXPECT_EQ(text(dialog, kIdentifier[0]), "7FF");
    postCommand(dialog, IDCANCEL);
    EXPECT_TRUE(closed(dialog));
}

TEST_F(WatchDialog, OkWritesAllFortyEightKeysAndEnterClampsTheBoxBeingTyped) {
    startWith("[WatchDataFactor]\r\nNo0ch=Ch-2\r\nNo0frametype=Extended\r\nNo0id=1abcdef\r\n"
              "No7ch=bogus\r\nNo7id=0x12\r\n");
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    choose(dialog, kChannel[2], 1);
    choose(dialog, kFrameType[2], 1);
    type(dialog, kIdentifier[2], "18DAF110");
    type(dialog, kIdentifier[0], "");  // only visited
    sendTo(childById(dialog, kIdentifier[0]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    type(dialog, kIdentifier[4], "800");
    ASSERT_TRUE(pressKey(dialog, VK_RETURN));  // OK with the focus still in box 4
    ASSERT_TRUE(closed(dialog));

    std::map<std::string, std::string> expected;
    for (int n = 0; n < 16; ++n) {
        const std::string no = "No" + std::to_string(n);
        expected[no + "ch"] = "Ch-1";
        expected[no + "frametype"] = "Standard";
        expected[no + "id"] = "";
    }
    expected["No0ch"] = "Ch-2";
    expected["No0frametype"] = "Extended";
    expected["No2ch"] = "Ch-2";
    expected["No2frametype"] = "Extended";
    expected["No2id"] = "18DAF110";
    expected["No4id"] = "7FF";
    expected["No7id"] = "12";
    const auto written = watchKeys();
    EXPECT_EQ(written.size(), expected.size());
    for (const auto& [key, value] : expected) {
        const auto it = written.find(key);
        EXPECT_TRUE(it != written.end() && it->second == value)
            << key << "=" << (it == written.end() ? "(missing)" : it->second) << ", expected " << value;
    }

    // The next opening shows what was written.
    dialog = open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(text(dialog, kIdentifier[2]), "18DAF110");
    EXPECT_EQ(text(dialog, kIdentifier[0]), "");
    EXPECT_EQ(selection(dialog, kFrameType[0]), 1);
    postCommand(dialog, IDCANCEL);
    EXPECT_TRUE(closed(dialog));
}

TEST_F(WatchDialog, OkThatCannotWriteTheProfileSaysSoAndStaysOpenUntilItCan) {
    startWith("[WatchDataFactor]\r\nNo1id=123\r\n");
    const std::string before = readTextFile(profilePath());
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    type(dialog, kIdentifier[3], "55");
    {
        WriteBlock block(profilePath());
        ASSERT_TRUE(block.held());
        postCommand(dialog, IDOK);
        const MessageBoxInfo error = waitForMessageBox(program_.processId(), englishString(9034), 5000);
        ASSERT_TRUE(error.window) << "no box: the entries look saved";
        EXPECT_EQ(error.text, englishFormattedText(20059, profilePath()));
        ASSERT_TRUE(answerMessageBox(error, IDOK));
        ASSERT_TRUE(waitFor([&] { return !IsWindow(error.window); }, 5000));
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(text(dialog, kIdentifier[3]), "55");
    }
    EXPECT_EQ(readTextFile(profilePath()), before);
    postCommand(dialog, IDOK);
    ASSERT_TRUE(closed(dialog));
    EXPECT_EQ(watchKeys()["No3id"], "55");
    EXPECT_EQ(watchKeys()["No1id"], "123");
}

TEST_F(WatchDialog, CancelWritesNothing) {
    startWith("[WatchDataFactor]\r\nNo1id=123\r\n");
    const std::string before = readTextFile(profilePath());
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    choose(dialog, kFrameType[1], 1);
    type(dialog, kIdentifier[3], "55");
    ASSERT_TRUE(pressKey(dialog, VK_ESCAPE));
    ASSERT_TRUE(closed(dialog));
    EXPECT_EQ(readTextFile(profilePath()), before);
    // Nor did the dialog's working copy reach the next opening.
    dialog = open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(selection(dialog, kFrameType[1]), 0);
    EXPECT_EQ(text(dialog, kIdentifier[3]), "");
    postCommand(dialog, IDCANCEL);
    EXPECT_TRUE(closed(dialog));
}

}  // namespace
}  // namespace zvui
