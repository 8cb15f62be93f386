// The session's Win32 sink against real windows: messages land in the right queue with their
// parameters, windows that are not there refuse, pane 3 and the [remote] keys are written.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

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
    Win32SessionSink sink(main, nullptr, nullptr, {}, "C:\\data");
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
    DestroyWindow(dialog);
    EXPECT_FALSE(sink.progressDialogOpen());
    sink.cancelProgressDialog();

    EXPECT_EQ(sink.dataFolder(), "C:\\data");
    DestroyWindow(main);
    DestroyWindow(setup);
    DestroyWindow(panel);
    EXPECT_FALSE(sink.postMain(UM_CONNECTION_LOST, 0, 0));  // the poster keeps its reference
}

TEST(SessionSinkWin, BoardTextAndModelKeys) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    const HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                        nullptr, nullptr);
    const HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent && bar);
    int parts[4] = {80, 160, 240, -1};
    SendMessageA(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));

    test::TempDir dir;
    const std::string ini = dir.file("profile.ini");
    Win32SessionSink sink(parent, bar, nullptr, ini, {});
    sink.setBoardText("AN-1100 + EX-NB2A");
    char text[64] = {};
    SendMessageA(bar, SB_GETTEXTA, 3, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "AN-1100 + EX-NB2A");

    sink.writeModelKeys("AN-1100", "EX-NB2A");
    char value[32] = {};
    GetPrivateProfileStringA("remote", "model", "", value, sizeof value, ini.c_str());
    EXPECT_STREQ(value, "AN-1100");
    GetPrivateProfileStringA("remote", "exboard", "", value, sizeof value, ini.c_str());
    EXPECT_STREQ(value, "EX-NB2A");
    DestroyWindow(parent);
}

}  // namespace
}  // namespace zv
