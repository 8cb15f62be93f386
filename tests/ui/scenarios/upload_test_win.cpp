// Uploads of the analyzer's capture buffer: the four steps as the status bar shows them, the
// capture list with every uploaded record, Cancel, and a link that breaks during the upload.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "capture/capture.h"
#include "capture/cell_text.h"
#include "measurement_fixture_win.h"
#include "pane_recorder_win.h"

namespace zvui {
namespace {

constexpr int kCaptureColumns = 24;

class Upload : public MeasurementFixture {
protected:
    // Connects and lets a measurement fill the analyzer's capture memory for MS milliseconds.
    void captureForAWhile(DWORD ms) {
        ASSERT_TRUE(startMain());
        connectAndWaitForIdle();
        startMonitoring();
        ASSERT_FALSE(HasFatalFailure());
        Sleep(ms);
        postCommand(mainWindow_, 2102);
        ASSERT_TRUE(waitForMeasurementEnd());
    }

    HWND transferDialog() const {
        for (HWND window : topWindowsOfClass("#32770", program_.processId())) {
            if (IsWindowVisible(window) && windowText(window) == "Transfer") return window;
        }
        return nullptr;
    }

    std::string workingFile() const { return sandbox_->dataFolder() + "\\DATAFILE.TMP"; }
};

TEST_F(Upload, ShowsItsFourStepsInOrderAndThenEveryRecord) {
    configureAnalyzer("fixed-rate = 5000\r\n");
    writeProfileWith("[buffer]\r\nwarning=no\r\n");
    captureForAWhile(1000);
    ASSERT_FALSE(HasFatalFailure());
    HWND statusBar = control(kStatusBarId);
    ASSERT_TRUE(startPaneRecorder(statusBar, 1));

    postCommand(mainWindow_, 1003);
    ASSERT_TRUE(waitFor([&] { return listViewItemCount(control(kCaptureListId)) > 0; }, 20000));
    EXPECT_FALSE(transferDialog());
    EXPECT_EQ(selectedTab(control(kTabControlId)), 0);

    std::vector<std::string> steps;
    const std::string stepTexts[] = {englishString(2002), englishString(2004), englishString(2006),
                                     englishString(2008)};
    for (const std::string& text : recordedPaneTexts(statusBar)) {
        if (std::find(std::begin(stepTexts), std::end(stepTexts), text) != std::end(stepTexts)) steps.push_back(text);
    }
    EXPECT_EQ(steps, (std::vector<std::string>{stepTexts[0], stepTexts[2], stepTexts[1], stepTexts[3]}));

    // Every record of the uploaded file is a row, each cell as the core decodes it.
    zv::LoadedDataFile file;
    ASSERT_TRUE(file.loadFile(workingFile()));
    const uint32_t count = file.capture().count();
    ASSERT_GT(count, 1000u);
    HWND list = control(kCaptureListId);
    EXPECT_EQ(listViewItemCount(list), static_cast<int>(count));
    for (uint32_t row : {0u, count / 2, count - 1}) {
        for (int column = 0; column < kCaptureColumns; ++column) {
            EXPECT_EQ(listViewCellText(list, static_cast<int>(row), column),
                      zv::captureCellText(file.capture(), row, column, zv::TimeColumnMode::Absolute))
                << "row " << row << " column " << column;
        }
    }
    EXPECT_TRUE(waitForUsable({2105, 1003, 1007, 2114}));

    const std::string path = screenshotPath("after_upload");
    ASSERT_TRUE(saveScreenshot(mainWindow_, path));
    std::printf("[ SCREEN   ] %s\n", path.c_str());
}

TEST_F(Upload, CancelClosesTheDialogWithoutABoxAndLeavesTheListEmpty) {
    // The link is slower than it takes for the long step (over 300 KB), not for the monitor
    // stream before it.
    configureAnalyzer("fixed-rate = 5000\r\nthrottle = 200000\r\n");
    writeProfileWith("[buffer]\r\nwarning=no\r\n");
    captureForAWhile(2000);
    ASSERT_FALSE(HasFatalFailure());

    postCommand(mainWindow_, 1003);
    HWND dialog = nullptr;
    ASSERT_TRUE(waitFor([&] { return (dialog = transferDialog()) != nullptr; }, 5000));
    EXPECT_TRUE(waitForUsable({}));
    // Cancel appears with the long step, and not before: whenever it is seen, that step or
    // the last one (which comes after it) is shown.
    HWND cancel = GetDlgItem(dialog, 2);
    ASSERT_TRUE(cancel);
    bool cancelSeen = false;
    ASSERT_TRUE(waitFor(
        [&] {
            cancelSeen = IsWindowVisible(cancel) != FALSE;
            const std::string step = windowText(GetDlgItem(dialog, 1094));
            if (cancelSeen) {
                EXPECT_TRUE(step == englishString(2004) || step == englishString(2008)) << step;
            }
            return cancelSeen;
        },
        10000));
    EXPECT_EQ(windowText(GetDlgItem(dialog, 1094)), englishString(2004));
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 1), englishString(2004));
    // The bar follows the transfer: range 0..total, position done.
    HWND bar = GetDlgItem(dialog, 2273);
    EXPECT_TRUE(waitFor([&] { return sendTo(bar, PBM_GETPOS, 0, 0) > 0; }, 5000));
    EXPECT_GE(sendTo(bar, PBM_GETRANGE, FALSE, 0), sendTo(bar, PBM_GETPOS, 0, 0));

    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_TRUE(waitForUsable({2105, 1003, 1007, 2114}));
    Sleep(1000);
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
    EXPECT_EQ(listViewItemCount(control(kCaptureListId)), 0);
}

TEST_F(Upload, ALinkLostDuringTheUploadReportsTheFailureWithItsCode) {
    configureAnalyzer("fixed-rate = 5000\r\nfault = drop=upload:20000\r\n");
    writeProfileWith("[buffer]\r\nwarning=no\r\n");
    captureForAWhile(1000);
    ASSERT_FALSE(HasFatalFailure());

    postCommand(mainWindow_, 1003);
    const std::vector<MessageBoxInfo> boxes = collectMessageBoxes(2, 15000);
    const std::string failurePrefix = englishString(20047).substr(0, englishString(20047).find('%'));
    const MessageBoxInfo* failure = nullptr;
    const MessageBoxInfo* lost = nullptr;
    for (const MessageBoxInfo& box : boxes) {
        if (box.text.rfind(failurePrefix, 0) == 0) failure = &box;
        if (box.text == englishString(9013)) lost = &box;
    }
    ASSERT_TRUE(failure) << boxes.size() << " boxes";
    EXPECT_EQ(failure->caption, "ZV-LK5MQ");
    const unsigned long code = std::strtoul(failure->text.c_str() + failurePrefix.size(), nullptr, 16);
    EXPECT_EQ(failure->text, englishFormatted(20047, code));
    EXPECT_NE(code & 0x80000000ul, 0u);
    EXPECT_NE(code, 0x800704C7ul);
    EXPECT_TRUE(lost);

    // The dialog can be closed; the window is disconnected and shows nothing.
    if (HWND dialog = transferDialog()) {
        HWND cancel = GetDlgItem(dialog, 2);
        EXPECT_TRUE(IsWindowVisible(cancel));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); }, 5000));
    }
    EXPECT_TRUE(waitForUsable({2104, 2019, 1007}));
    EXPECT_EQ(listViewItemCount(control(kCaptureListId)), 0);
}

TEST_F(Upload, ALinkLostBeforeTheLongStepClosesTheDialogWithoutTheUser) {
    // The link ends inside the first, short step, while the dialog offers no Cancel yet: the
    // session's own Cancel must still close it.
    configureAnalyzer("fixed-rate = 5000\r\nfault = drop=upload:100\r\n");
    writeProfileWith("[buffer]\r\nwarning=no\r\n");
    captureForAWhile(500);
    ASSERT_FALSE(HasFatalFailure());

    postCommand(mainWindow_, 1003);
    const std::vector<MessageBoxInfo> boxes = collectMessageBoxes(2, 15000);
    bool lost = false;
    for (const MessageBoxInfo& box : boxes) lost = lost || box.text == englishString(9013);
    EXPECT_TRUE(lost) << boxes.size() << " boxes";
    EXPECT_TRUE(waitFor([&] { return transferDialog() == nullptr; }, 5000));
    EXPECT_TRUE(waitForUsable({2104, 2019, 1007}));
}

}  // namespace
}  // namespace zvui
