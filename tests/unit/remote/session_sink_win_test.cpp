// The session's Win32 sink against real windows: messages land in the right queue with their
// parameters, windows that are not there refuse, the [remote] keys are written, and what the
// UI thread shows (pane 3, the warning box, the transfer dialog's Cancel) is posted to it, so
// that a library thread never waits for a UI thread that may be waiting for it.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "remote/session_messages.h"
#include "remote/session_sink_win.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

HWND messageWindow() { return CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr); }

bool take(HWND window, UINT message, MSG& msg) { return PeekMessageA(&msg, window, message, message, PM_REMOVE) != 0; }

TEST(SessionSinkWin, MessagesGoToTheirWindowsWithTheirParameters) {
    const HWND main = messageWindow(), setup = messageWindow(), panel = messageWindow();
    ASSERT_TRUE(main && setup && panel);
    Win32SessionSink sink(main, nullptr, {}, "C:\\data");
    MSG msg{};

    const uintptr_t pointer = static_cast<uintptr_t>(~uintptr_t{0} - 7);  // all pointer bits
    EXPECT_TRUE(sink.postMain(UM_REQUEST_DONE, 0x80070102u, pointer));
    ASSERT_TRUE(take(main, UM_REQUEST_DONE, msg));
    EXPECT_EQ(static_cast<uint32_t>(msg.wParam), 0x80070102u);
    EXPECT_EQ(static_cast<uintptr_t>(msg.lParam), pointer);

    EXPECT_FALSE(sink.postSetup(UM_SETUP_RECEIVED_2000, 0, 0));  // no setup window
    EXPECT_FALSE(sink.postKeyEmulation(kKeyEmuScreenChanged));
    sink.setSetupWindow(setup);
    sink.setKeyEmulationWindow(panel);
    EXPECT_TRUE(sink.postSetup(UM_SETUP_SENT_6100, 0, 0));
    EXPECT_TRUE(take(setup, UM_SETUP_SENT_6100, msg));
    EXPECT_TRUE(sink.postKeyEmulation(kKeyEmuScreenChanged));
    ASSERT_TRUE(take(panel, UM_KEYEMU_SESSION, msg));
    EXPECT_EQ(msg.wParam, 4u);
    EXPECT_FALSE(take(main, UM_KEYEMU_SESSION, msg));

    // A transfer dialog that is gone is not open, and nothing is sent to it.
    const HWND dialog = messageWindow();
    sink.setProgressDialog(dialog);
    EXPECT_TRUE(sink.progressDialogOpen());
    sink.closeProgressDialog();
    EXPECT_TRUE(take(dialog, WM_CLOSE, msg));
    sink.cancelProgressDialog();
    ASSERT_TRUE(take(dialog, WM_COMMAND, msg));
    EXPECT_EQ(LOWORD(msg.wParam), kCommandCancel);
    EXPECT_EQ(msg.lParam, 0);  // not from a button: the dialog tells the session's Cancel by this
    DestroyWindow(dialog);
    EXPECT_FALSE(sink.progressDialogOpen());
    sink.cancelProgressDialog();

    EXPECT_EQ(sink.dataFolder(), "C:\\data");
    DestroyWindow(main);
    DestroyWindow(setup);
    DestroyWindow(panel);
    EXPECT_FALSE(sink.postMain(UM_CONNECTION_LOST, 0, 0));  // the poster keeps its reference
}

TEST(SessionSinkWin, BoardTextWarningAndModelKeysWaitForNobody) {
    const HWND main = messageWindow();
    ASSERT_TRUE(main);
    test::TempDir dir;
    const std::string ini = dir.file("profile.ini");
    Win32SessionSink sink(main, nullptr, ini, {});
    MSG msg{};

    // Called from a thread other than the window's, as the library does: neither call may
    // wait for the window's thread, which here never looks at its queue until they returned.
    std::thread library([&] {
        sink.setBoardText("AN-1100 + EX-NB2A");
        sink.showWarning(9033, 9024, std::nullopt);
    });
    library.join();
    EXPECT_TRUE(take(main, UM_BOARD_TEXT, msg));
    EXPECT_EQ(sink.boardText(), "AN-1100 + EX-NB2A");
    ASSERT_TRUE(take(main, UM_SESSION_WARNING, msg));
    const std::unique_ptr<SessionWarning> warning(reinterpret_cast<SessionWarning*>(msg.lParam));
    ASSERT_TRUE(warning);

    sink.writeModelKeys("AN-1100", "EX-NB2A");
    char value[32] = {};
    GetPrivateProfileStringA("remote", "model", "", value, sizeof value, ini.c_str());
    EXPECT_STREQ(value, "AN-1100");
    GetPrivateProfileStringA("remote", "exboard", "", value, sizeof value, ini.c_str());
    EXPECT_STREQ(value, "EX-NB2A");

    // With the window gone the warning has nobody to own it, and is dropped, not leaked.
    DestroyWindow(main);
    sink.showWarning(9033, 9024, std::nullopt);
}

}  // namespace
}  // namespace zv
