// The main window as it comes up: title, toolbar, menu, status bar, tabs and both lists;
// the delta-time toggle; accelerators whichever child has the focus; the screenshot.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "program_fixture_win.h"

namespace zvui {
namespace {

class MainWindow : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        installProgram();
        writeProfile(emulatedUsbProfile());
        ASSERT_TRUE(startMain());
    }
};

TEST_F(MainWindow, ComesUpCentredWithItsTitleAndSize) {
    EXPECT_EQ(windowText(mainWindow_), englishString(100));
    RECT rect{};
    GetWindowRect(mainWindow_, &rect);
    EXPECT_EQ(rect.right - rect.left, 745);
    EXPECT_EQ(rect.bottom - rect.top, 500);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 745) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 500) / 2);
}

TEST_F(MainWindow, ToolbarStartsWithTheSessionCommandsGrey) {
    HWND toolbar = control(kToolbarId);
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(toolbarButtonCount(toolbar), 21);
    const int enabled[] = {1007, 2104, 2019, 2012, 40010, 2000, 40020};
    const int grey[] = {40014, 2401, 2402, 2105, 1003, 2114, 2102, 1008, 1009, 1010};
    for (int command : enabled) {
        EXPECT_EQ(toolbarButtonState(toolbar, command), kButtonEnabled) << command;
    }
    for (int command : grey) {
        EXPECT_EQ(toolbarButtonState(toolbar, command) & (kButtonEnabled | kButtonIndeterminate),
                  kButtonIndeterminate)
            << command;
    }
    EXPECT_EQ(toolbarTooltip(toolbar, 2104), englishString(7));
    EXPECT_EQ(toolbarTooltip(toolbar, 40020), englishString(19));
}

TEST_F(MainWindow, MenuStartsWithTheSessionCommandsGrey) {
    for (int command : {40014, 2105, 1003, 2114, 2102}) {
        EXPECT_FALSE(menuItemEnabled(mainWindow_, command)) << command;
    }
    for (int command : {1007, 2104, 2019, 2012, 40010, 2000, 40020, 2124, 40018, 40012, 2326}) {
        EXPECT_TRUE(menuItemEnabled(mainWindow_, command)) << command;
    }
    EXPECT_FALSE(menuItemChecked(mainWindow_, 40018));
}

TEST_F(MainWindow, StatusBarShowsTheConnectionStateAndTheModel) {
    HWND status = control(kStatusBarId);
    ASSERT_TRUE(status);
    EXPECT_EQ(statusPaneCount(status), 4);
    EXPECT_EQ(statusPaneText(status, 2), englishString(20051));
    EXPECT_EQ(statusPaneText(status, 3), "AN-2400 + EX-NB3BP");
}

TEST_F(MainWindow, TabsAndListsAreThere) {
    HWND tabs = control(kTabControlId);
    ASSERT_TRUE(tabs);
    ASSERT_EQ(tabCount(tabs), 2);
    EXPECT_EQ(tabText(tabs, 0), englishString(8001));
    EXPECT_EQ(tabText(tabs, 1), englishString(8012));
    EXPECT_EQ(selectedTab(tabs), 0);

    HWND capture = control(kCaptureListId);
    ASSERT_TRUE(capture);
    EXPECT_TRUE(IsWindowVisible(capture));
    const std::vector<std::string> captureHeaders = {
        "Time", "CH", "SB", "SF", "ID", "TYPE", "DL", "D0", "D1", "D2", "D3", "D4",
        "D5",   "D6", "D7", "C",  "ST", "EXT IN", "TRG", "AI1", "AI2", "AI3", "AI4", "DI"};
    EXPECT_EQ(listViewHeaders(capture), captureHeaders);
    const int captureWidths[] = {60, 50, 30, 30, 60, 60, 30, 30, 30, 30, 30, 30,
                                 30, 30, 30, 30, 30, 50, 50, 40, 40, 40, 40, 40};
    for (int column = 0; column < 24; ++column) {
        EXPECT_EQ(listViewColumnWidth(capture, column), captureWidths[column]) << captureHeaders[static_cast<std::size_t>(column)];
    }
    EXPECT_EQ(listViewItemCount(capture), 0);
    EXPECT_TRUE(GetWindowLongPtrA(capture, GWL_STYLE) & LVS_OWNERDATA);

    HWND monitor = control(kMonitorListId);
    ASSERT_TRUE(monitor);
    EXPECT_FALSE(IsWindowVisible(monitor));
    const std::vector<std::string> monitorHeaders = {"No", "Time", "CH", "ID", "TYPE", "DL", "D0", "D1",
                                                     "D2", "D3",   "D4", "D5", "D6",   "D7", "C"};
    EXPECT_EQ(listViewHeaders(monitor), monitorHeaders);
    ASSERT_EQ(listViewItemCount(monitor), 16);
    EXPECT_EQ(listViewCellText(monitor, 0, 0), "0");
    EXPECT_EQ(listViewCellText(monitor, 10, 0), "A");
    EXPECT_EQ(listViewCellText(monitor, 15, 0), "F");
}

TEST_F(MainWindow, DeltaTimeToggledTwiceRestoresTimeWithWidth60) {
    HWND capture = control(kCaptureListId);
    setListViewColumnWidth(capture, 0, 111);
    ASSERT_EQ(listViewColumnWidth(capture, 0), 111);

    postCommand(mainWindow_, 40018);
    ASSERT_TRUE(waitFor([&] { return listViewHeaders(capture).at(0) == "deltaT"; }, 5000));
    EXPECT_TRUE(menuItemChecked(mainWindow_, 40018));
    EXPECT_EQ(listViewColumnWidth(capture, 0), 60);
    EXPECT_EQ(listViewHeaders(capture).size(), 24u);

    setListViewColumnWidth(capture, 0, 90);
    postCommand(mainWindow_, 40018);
    ASSERT_TRUE(waitFor([&] { return listViewHeaders(capture).at(0) == "Time"; }, 5000));
    EXPECT_FALSE(menuItemChecked(mainWindow_, 40018));
    EXPECT_EQ(listViewColumnWidth(capture, 0), 60);
    EXPECT_EQ(listViewHeaders(capture).at(1), "CH");
}

TEST_F(MainWindow, ShiftF5ConnectsWhicheverChildHasTheFocus) {
    for (int id : {kCaptureListId, kTabControlId, kToolbarId}) {
        SCOPED_TRACE(id);
        HWND child = control(id);
        // A toolbar does not keep the focus of its own; the others must have it now.
        if (setFocusIn(child)) {
            ASSERT_EQ(focusedWindowOf(mainWindow_), child);
        }
        ASSERT_TRUE(pressKey(mainWindow_, VK_F5, true));
        ASSERT_TRUE(waitForPane(2, englishString(287)));
        EXPECT_EQ(toolbarButtonState(control(kToolbarId), 2104) & kButtonEnabled, 0);
        postCommand(mainWindow_, 2105);
        ASSERT_TRUE(waitForPane(2, englishString(20051)));
        ASSERT_TRUE(waitFor([&] { return toolbarButtonState(control(kToolbarId), 2104) == kButtonEnabled; },
                            5000));
    }
}

TEST_F(MainWindow, ConnectAndDisconnectSwitchTheCommands) {
    HWND toolbar = control(kToolbarId);
    ASSERT_TRUE(connect());
    EXPECT_FALSE(menuItemEnabled(mainWindow_, 2104));
    EXPECT_TRUE(menuItemEnabled(mainWindow_, 2105));
    EXPECT_TRUE(menuItemEnabled(mainWindow_, 1003));
    EXPECT_FALSE(menuItemEnabled(mainWindow_, 2019));
    EXPECT_EQ(toolbarButtonState(toolbar, 2105), kButtonEnabled);
    EXPECT_EQ(toolbarButtonState(toolbar, 1003), kButtonEnabled);
    EXPECT_EQ(toolbarButtonState(toolbar, 2102) & kButtonEnabled, 0);
    // Connecting asks the analyzer to stop; once it reports no measurement, monitoring can start.
    EXPECT_TRUE(waitFor([&] { return toolbarButtonState(toolbar, 2114) == kButtonEnabled; }, 10000));

    postCommand(mainWindow_, 2105);
    ASSERT_TRUE(waitForPane(2, englishString(20051)));
    EXPECT_TRUE(waitFor([&] { return menuItemEnabled(mainWindow_, 2104) && menuItemEnabled(mainWindow_, 2019); },
                        5000));
    EXPECT_FALSE(menuItemEnabled(mainWindow_, 2105));
    EXPECT_EQ(toolbarButtonState(toolbar, 1003) & kButtonEnabled, 0);
}

TEST_F(MainWindow, ScreenshotShowsTheConnectedWindow) {
    ASSERT_TRUE(connect());
    ASSERT_TRUE(waitForPane(3, "AN-2400 + EX-NB3BP"));
    const std::string path = screenshotPath("main_window");
    ASSERT_TRUE(saveScreenshot(mainWindow_, path));
    const std::string png = readTextFile(path);
    ASSERT_GT(png.size(), 745u * 500u * 3u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    std::printf("[ SCREEN   ] %s\n", path.c_str());

    // Wider, all 24 column headers fit (they take 920 pixels).
    ASSERT_TRUE(resizeWindow(mainWindow_, 960, 500));
    program_.waitUntilDrawn(mainWindow_, 5000);
    const std::string wide = screenshotPath("main_window_wide");
    ASSERT_TRUE(saveScreenshot(mainWindow_, wide));
    std::printf("[ SCREEN   ] %s\n", wide.c_str());
}

struct ClassSearch {
    const char* name;
    HWND found;
};

BOOL CALLBACK matchClass(HWND child, LPARAM data) {
    auto* s = reinterpret_cast<ClassSearch*>(data);
    if (className(child) != s->name) return TRUE;
    s->found = child;
    return FALSE;
}

HWND childOfClass(HWND parent, const char* name) {
    ClassSearch search{name, nullptr};
    EnumChildWindows(parent, matchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Help opens the help file beside the program in an HTML Help window: the window of the help
// project (its title) with the help's contents, at least one entry per page of the guide. The
// pages stay blank under Wine without its Gecko engine; title and contents come from the file.
TEST_F(MainWindow, HelpOpensTheHelpFileBesideTheProgram) {
    if (builtFile("ZV-LK5MQ.chm").empty()) GTEST_SKIP() << "the build has no help file";
    postCommand(mainWindow_, 2326);
    HWND help = nullptr;
    ASSERT_TRUE(waitFor(
        [&] {
            for (HWND window : topWindowsOfClass("HH Parent", program_.processId())) {
                if (IsWindowVisible(window)) help = window;
            }
            return help != nullptr;
        },
        20000))
        << "no HTML Help window";
    EXPECT_EQ(windowText(help), "ZV-LK5MQ Help");
    HWND contents = childOfClass(help, "SysTreeView32");
    ASSERT_TRUE(contents);
    EXPECT_TRUE(waitFor([&] { return sendTo(contents, TVM_GETCOUNT, 0, 0) >= 12; }, 5000))
        << sendTo(contents, TVM_GETCOUNT, 0, 0) << " entries";
    // The program goes on working, and Exit closes the help with it.
    postCommand(mainWindow_, 2124);
    DWORD exitCode = 1;
    EXPECT_TRUE(program_.waitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace zvui

namespace zvui {
namespace {

std::string formatWithText(unsigned id, const std::string& argument) {
    char text[2048];
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    std::snprintf(text, sizeof text, englishString(id).c_str(), argument.c_str());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return text;
}

using ConnectFolders = MainWindow;

TEST_F(ConnectFolders, MissingBufferFolderIsOfferedAndCancelChangesNothing) {
    ASSERT_TRUE(removeTree(sandbox_->documentsFolder() + "\\ZVLK5MQ"));
    postCommand(mainWindow_, 2104);
    MessageBoxInfo box = waitForMessageBox(program_.processId(), 5000);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(box.caption, formatWithText(297, englishString(243)));
    EXPECT_EQ(box.text, formatWithText(272, bufferFolder()));
    ASSERT_TRUE(answerMessageBox(box, IDCANCEL));
    ASSERT_TRUE(waitFor([&] { return messageBoxesOf(program_.processId()).empty(); }, 5000));
    Sleep(300);
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), englishString(20051));
    EXPECT_EQ(toolbarButtonState(control(kToolbarId), 2104), kButtonEnabled);
    EXPECT_EQ(GetFileAttributesA(bufferFolder().c_str()), INVALID_FILE_ATTRIBUTES);

    // OK creates the folder; the screenshot folder is asked for next.
    postCommand(mainWindow_, 2104);
    box = waitForMessageBox(program_.processId(), 5000);
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    ASSERT_TRUE(waitFor(
        [&] {
            const std::vector<MessageBoxInfo> boxes = messageBoxesOf(program_.processId());
            return !boxes.empty() && boxes.front().window != box.window;
        },
        5000));
    box = waitForMessageBox(program_.processId(), 1000);
    EXPECT_EQ(box.caption, formatWithText(297, englishString(244)));
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    EXPECT_TRUE(waitForPane(2, englishString(287)));
    EXPECT_NE(GetFileAttributesA(bufferFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA(screenshotFolder().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace zvui

namespace zvui {
namespace {

using LaterCommands = MainWindow;

// Key emulation while disconnected: the panel opens with its keys disabled, its picture
// commands grey and the LCD showing only its ground; the main window stays as it was.
TEST_F(LaterCommands, KeyEmulationOpensDisconnectedWithEverythingThatNeedsTheAnalyzerGrey) {
    postCommand(mainWindow_, 2000);
    std::vector<HWND> frames;
    ASSERT_TRUE(waitFor([&] {
        frames = topWindowsOfClass("ZEVRONA_zvlk5m_WindowClass_KeyEmuFrame", program_.processId());
        return frames.size() == 1 && IsWindowVisible(frames[0]);
    }, 10000));
    HWND panel = GetDlgItem(frames[0], 201);
    HWND toolbar = GetDlgItem(GetDlgItem(frames[0], 101), 102);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(windowText(frames[0]), englishString(102));
    int keys = 0;
    for (int id = 20000; id <= 20035; ++id) {
        HWND key = GetDlgItem(panel, id);
        keys += key ? 1 : 0;
        EXPECT_TRUE(key && !IsWindowEnabled(key)) << id;
    }
    EXPECT_EQ(keys, 36);
    EXPECT_NE(toolbarButtonState(toolbar, 2126) & kButtonEnabled, kButtonEnabled);
    EXPECT_NE(toolbarButtonState(toolbar, 2119) & kButtonEnabled, kButtonEnabled);
    EXPECT_EQ(toolbarButtonState(toolbar, 8121) & 0x01, 0x01);  // TBSTATE_CHECKED: monochrome
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
    EXPECT_EQ(toolbarButtonState(control(kToolbarId), 2104), kButtonEnabled);
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), englishString(20051));
}

TEST_F(LaterCommands, AboutOpensItsDialogAndOkClosesIt) {
    postCommand(mainWindow_, 40012);
    const MessageBoxInfo dialog = waitForMessageBox(program_.processId(), 5000);
    ASSERT_TRUE(dialog.window);
    ASSERT_TRUE(answerMessageBox(dialog, IDOK));
    EXPECT_TRUE(waitFor([&] { return messageBoxesOf(program_.processId()).empty(); }, 5000));
    EXPECT_TRUE(program_.running());
}

}  // namespace
}  // namespace zvui
