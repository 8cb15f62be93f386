// Closing: the question while connected, Exit without it.
#include "program_fixture_win.h"

namespace zvui {
namespace {

class Closing : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        installProgram();
        writeProfile(emulatedUsbProfile());
        ASSERT_TRUE(startMain());
    }
};

TEST_F(Closing, NotConnectedClosesWithoutAsking) {
    postClose(mainWindow_);
    DWORD exitCode = 1;
    ASSERT_TRUE(program_.waitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(Closing, ConnectedAnsweredNoStaysOpenAndConnected) {
    ASSERT_TRUE(connect());
    postClose(mainWindow_);
    const MessageBoxInfo box = waitForMessageBox(program_.processId(), 5000);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(box.caption, englishString(100));
    EXPECT_EQ(box.text, englishString(9038));
    ASSERT_TRUE(answerMessageBox(box, IDNO));
    ASSERT_TRUE(waitFor([&] { return messageBoxesOf(program_.processId()).empty(); }, 5000));
    Sleep(300);
    EXPECT_TRUE(program_.running());
    EXPECT_TRUE(IsWindowVisible(mainWindow_));
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), englishString(287));
}

TEST_F(Closing, ConnectedAnsweredYesClosesAfterTheDisconnect) {
    ASSERT_TRUE(connect());
    postClose(mainWindow_);
    const MessageBoxInfo box = waitForMessageBox(program_.processId(), 5000);
    ASSERT_TRUE(box.window);
    ASSERT_TRUE(answerMessageBox(box, IDYES));
    DWORD exitCode = 1;
    ASSERT_TRUE(program_.waitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(Closing, ExitEndsWithoutAskingEvenWhenConnected) {
    ASSERT_TRUE(connect());
    postCommand(mainWindow_, 2124);
    DWORD exitCode = 1;
    ASSERT_TRUE(program_.waitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace zvui
