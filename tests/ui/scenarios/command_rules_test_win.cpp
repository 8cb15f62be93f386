// The rules that keep the window whole whatever arrives when: a command is carried out only
// in a state whose button offers it and never while a modal dialog or box of the window is
// open, a close waits for the dialogs that are open, and Exit takes nothing after it.
#include <windows.h>

#include "measurement_fixture_win.h"

namespace zvui {
namespace {

class CommandRules : public MeasurementFixture {
protected:
    // The built-in analyzer as it comes, the program started and not connected.
    void startWithDefaults() {
        configureAnalyzer("");
        writeProfileWith("");
        ASSERT_TRUE(startMain());
    }

    // The program ends by itself within TIMEOUT, cleanly.
    void expectCleanEnd(DWORD timeoutMs = 10000) {
        DWORD exitCode = 1;
        ASSERT_TRUE(program_.waitForExit(timeoutMs, &exitCode)) << "the program did not end";
        EXPECT_EQ(exitCode, 0u);
    }

    HWND anyDialog(DWORD timeoutMs = 5000) {
        const MessageBoxInfo box = waitForMessageBox(program_.processId(), timeoutMs);
        return box.window;
    }

    // About 2 MB of capture over a link of 1 MB/s: the upload it starts takes a few seconds.
    void startAnUploadThatTakesAWhile() {
        configureAnalyzer("fixed-rate = 20000\r\nthrottle = usb-full\r\n");
        writeProfileWith("[buffer]\r\nwarning=no\r\n");
        ASSERT_TRUE(startMain());
        connectAndWaitForIdle();
        startMonitoring();
        ASSERT_FALSE(HasFatalFailure());
        Sleep(3000);
        postCommand(mainWindow_, 2102);
        ASSERT_TRUE(waitForMeasurementEnd());
        postCommand(mainWindow_, 1003);
        // Disconnect goes grey for the length of the upload.
        ASSERT_TRUE(waitFor([&] { return toolbarButtonState(control(kToolbarId), 2105) != kButtonEnabled; }, 5000));
    }

    // Answers whatever asks with Yes (or OK) until the program has ended or the time is up.
    void answerYesUntilTheEnd(DWORD timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        while (program_.running() && GetTickCount64() < end) {
            for (const MessageBoxInfo& box : messageBoxesOf(program_.processId())) {
                if (GetDlgItem(box.window, IDYES)) answerMessageBox(box, IDYES);
                else if (GetDlgItem(box.window, IDOK)) answerMessageBox(box, IDOK);
            }
            Sleep(50);
        }
    }

    // The handshake reports the analyzer's type to the program's pane 3 and profile.ini from
    // the library's thread while Exit or the close box ends the session on the UI thread:
    // neither may wait for the other. A slow line stretches the handshake; a stalled one never
    // finishes it. END ends the program at each moment and checks that it went.
    template <typename End>
    void atEveryMomentOfAConnect(const char* how, End end) {
        for (const char* analyzer : {"throttle = serial:9600\r\n", "fault = stall=connect\r\n"}) {
            for (const DWORD delay : {0u, 30u, 80u, 150u, 300u, 600u, 1200u}) {
                SCOPED_TRACE(std::string(analyzer) + " " + how + " after " + std::to_string(delay) + " ms");
                program_.kill();
                configureAnalyzer(analyzer);
                writeProfileWith("");
                ASSERT_TRUE(startMain());
                postCommand(mainWindow_, 2104);
                Sleep(delay);
                end();
                ASSERT_FALSE(HasFatalFailure());
            }
        }
    }

    void cancel(HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000));
    }
};

TEST_F(CommandRules, CommandsPostedInAStateThatGreysThemDoNothing) {
    configureAnalyzer("fixed-rate = 2000\r\n");
    writeProfileWith("[buffer]\r\nwarning=no\r\n");
    ASSERT_TRUE(startMain());
    // Not connected: disconnect, upload, monitor and stop are grey; posted, they change nothing
    // (an upload would have cleared the list and opened its transfer dialog).
    for (int command : {2105, 1003, 2114, 2102, 1006, 40014, 2401, 2402}) postCommand(mainWindow_, command);
    Sleep(1000);
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), englishString(20051));
    EXPECT_EQ(usableSessionCommands(), (std::set<int>{2104, 2019, 1007}));

    connectAndWaitForIdle();
    startMonitoring();
    ASSERT_FALSE(HasFatalFailure());
    // While monitoring, connect, the preferences and an upload are grey.
    for (int command : {2104, 2019, 1003}) postCommand(mainWindow_, command);
    Sleep(1000);
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
    EXPECT_EQ(usableSessionCommands(), (std::set<int>{2105, 2102}));
    EXPECT_EQ(selectedTab(control(kTabControlId)), 1);  // an upload would have shown the capture list
}

TEST_F(CommandRules, ADisconnectPostedDuringAnUploadLeavesTheUploadAndTheLinkAlone) {
    startAnUploadThatTakesAWhile();
    ASSERT_FALSE(HasFatalFailure());
    postCommand(mainWindow_, 2105);
    postCommand(mainWindow_, 2114);
    ASSERT_TRUE(waitFor([&] { return listViewItemCount(control(kCaptureListId)) > 0; }, 30000))
        << "the upload did not finish";
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), englishString(287));
    EXPECT_TRUE(waitForUsable({2105, 1003, 1007, 2114}));
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
}

TEST_F(CommandRules, NoCommandIsCarriedOutWhileADialogOfTheWindowIsOpen) {
    startWithDefaults();
    ASSERT_FALSE(HasFatalFailure());
    postCommand(mainWindow_, 40012);  // about
    HWND about = anyDialog();
    ASSERT_TRUE(about);
    // A connect posted behind the dialog's back is not taken: the dialog stands for the state
    // the window was in when it opened.
    postCommand(mainWindow_, 2104);
    postCommand(mainWindow_, 40020);
    Sleep(1500);
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), englishString(20051));
    EXPECT_EQ(messageBoxesOf(program_.processId()).size(), 1u) << "a second dialog opened";
    cancel(about);
    Sleep(500);
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), englishString(20051));
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
    // Afterwards the window takes commands again.
    EXPECT_TRUE(connect());
}

TEST_F(CommandRules, ACloseWhileADialogIsOpenWaitsForTheDialog) {
    startWithDefaults();
    ASSERT_FALSE(HasFatalFailure());
    postCommand(mainWindow_, 40020);  // the watch dialog
    HWND watch = anyDialog();
    ASSERT_TRUE(watch);
    postClose(mainWindow_);
    Sleep(1000);
    // The dialog's code still runs on the window's stack: nothing has gone under it.
    ASSERT_TRUE(program_.running());
    EXPECT_TRUE(IsWindowVisible(watch));
    EXPECT_TRUE(IsWindow(mainWindow_));
    cancel(watch);
    // Not connected: once the dialog has ended the window closes without asking.
    expectCleanEnd();
}

TEST_F(CommandRules, ACloseAskedForWhileConnectedAsksOnceTheDialogHasEnded) {
    startWithDefaults();
    ASSERT_FALSE(HasFatalFailure());
    connectAndWaitForIdle();
    postCommand(mainWindow_, 40012);
    HWND about = anyDialog();
    ASSERT_TRUE(about);
    postClose(mainWindow_);
    Sleep(800);
    EXPECT_EQ(messageBoxesOf(program_.processId()).size(), 1u) << "the close asked over the open dialog";
    cancel(about);
    const MessageBoxInfo question = waitForMessageBox(program_.processId(), 5000);
    ASSERT_TRUE(question.window);
    EXPECT_EQ(question.text, englishString(9038));
    ASSERT_TRUE(answerMessageBox(question, IDYES));
    expectCleanEnd();
}

TEST_F(CommandRules, NothingQueuedBehindExitIsCarriedOut) {
    startWithDefaults();
    ASSERT_FALSE(HasFatalFailure());
    // Exit first, then commands that would open dialogs: the program ends without them.
    PostMessageA(mainWindow_, WM_COMMAND, 2124, 0);
    PostMessageA(mainWindow_, WM_COMMAND, 40012, 0);
    PostMessageA(mainWindow_, WM_COMMAND, 2019, 0);
    expectCleanEnd();
}

TEST_F(CommandRules, ACloseDuringAnUploadWaitsForTheTransferDialogAndEndsCleanly) {
    // The transfer dialog's loop runs on the stack of the upload command, which goes on with
    // the window's state when the dialog ends: the window must still be there then.
    startAnUploadThatTakesAWhile();
    ASSERT_FALSE(HasFatalFailure());
    postClose(mainWindow_);
    // Whatever asks what, the answer is Yes: close and disconnect. The program must end by
    // itself, cleanly, once the upload is over.
    answerYesUntilTheEnd(40000);
    expectCleanEnd(0);
}

TEST_F(CommandRules, ExitAtAnyMomentOfAConnectEndsTheProgram) {
    atEveryMomentOfAConnect("Exit", [&] {
        postCommand(mainWindow_, 2124);
        expectCleanEnd(15000);
    });
}

TEST_F(CommandRules, ACloseAtAnyMomentOfAConnectEndsTheProgram) {
    // Not connected yet, the window closes at once; connected by then, it asks, and Yes
    // disconnects first.
    atEveryMomentOfAConnect("close", [&] {
        postClose(mainWindow_);
        answerYesUntilTheEnd(15000);
        expectCleanEnd(0);
    });
}

}  // namespace
}  // namespace zvui
