// Start-up: one instance, the language library by locale, the time to a drawn window.
#include <cstdio>
#include <cstdlib>

#include "program_fixture_win.h"

namespace zvui {
namespace {

// The program runs with the user's locale of this test process (under Wine it follows the
// Unix locale, e.g. LC_ALL=de_DE.UTF-8 for 1031; ./test runs these cases once more so).
uint32_t userLocale() { return GetUserDefaultLCID(); }

// The user locale the run was started for (ZV_UI_EXPECT_LOCALE), 0 when it names none: a run
// meant for another locale must not pass as a 1033 run with the case skipped.
uint32_t expectedLocale() {
    char text[16] = "";
    const DWORD n = GetEnvironmentVariableA("ZV_UI_EXPECT_LOCALE", text, sizeof text);
    return n > 0 && n < sizeof text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : 0;
}

std::string libraryNameFor(uint32_t locale) {
    char name[32];
    std::snprintf(name, sizeof name, "zvlk5m%04u.dll", static_cast<unsigned>(locale));
    return name;
}

using StartUp = ProgramFixture;

TEST_F(StartUp, SecondStartActivatesTheFirstWindowAndEnds) {
    installProgram();
    ASSERT_TRUE(startMain());
    ShowWindowAsync(mainWindow_, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(mainWindow_) != 0; }, 5000));

    Program second;
    ASSERT_TRUE(second.start(programFolder() + "\\ZVLK5MQ.exe"));
    DWORD exitCode = 1234;
    ASSERT_TRUE(second.waitForExit(15000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(topWindowsOfClass(kMainWindowClass, second.processId()).empty());
    EXPECT_EQ(topWindowsOfClass(kMainWindowClass).size(), 1u);
    EXPECT_TRUE(waitFor([&] { return !IsIconic(mainWindow_); }, 5000)) << "the first window stayed minimised";
    EXPECT_TRUE(program_.running());
}

TEST_F(StartUp, LoadsTheLanguageLibraryOfTheUsersLocale) {
    // Only the locale's name is there (a copy of the English library): a window proves the
    // program asked for that name.
    std::printf("[ LOCALE   ] %u\n", static_cast<unsigned>(userLocale()));
    if (expectedLocale() != 0) {
        ASSERT_EQ(userLocale(), expectedLocale());
    }
    installProgram({libraryNameFor(userLocale())});
    ASSERT_TRUE(startMain());
    EXPECT_EQ(windowText(mainWindow_), englishString(100));
}

TEST_F(StartUp, FallsBackToEnglishWhenTheLocaleHasNoLibrary) {
    if (expectedLocale() != 0) {
        ASSERT_EQ(userLocale(), expectedLocale());
    }
    if (userLocale() == 1033) GTEST_SKIP() << "needs a user locale other than 1033, e.g. LC_ALL=de_DE.UTF-8";
    installProgram({"zvlk5m1033.dll"});
    ASSERT_TRUE(startMain());
    EXPECT_EQ(windowText(mainWindow_), englishString(100));
}

TEST_F(StartUp, EndsWithoutAWindowWhenNoLanguageLibraryLoads) {
    installProgram({});
    ASSERT_TRUE(program_.start(programFolder() + "\\ZVLK5MQ.exe"));
    DWORD exitCode = 0;
    ASSERT_TRUE(program_.waitForExit(15000, &exitCode)) << "the program still runs";
    EXPECT_TRUE(topWindowsOfClass(kMainWindowClass, program_.processId()).empty());
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
}

TEST_F(StartUp, TimeFromStartToADrawnWindow) {
    installProgram();
    writeProfile(emulatedUsbProfile());
    // The first start writes every missing key of profile.ini; the second finds them.
    for (const char* which : {"first start", "second start"}) {
        Program program;
        ASSERT_TRUE(program.start(programFolder() + "\\ZVLK5MQ.exe"));
        HWND window = program.waitForMainWindow(15000);
        ASSERT_TRUE(window);
        const double shown = program.startedMsAgo();
        ASSERT_TRUE(program.waitUntilDrawn(window, 10000));
        const double drawn = program.startedMsAgo();
        // A figure for the record, not a limit: the machine's load decides it.
        std::printf("[ FIGURE   ] %s: visible main window after %.0f ms, drawn after %.0f ms\n", which, shown,
                    drawn);
        postCommand(window, 2124);
        ASSERT_TRUE(program.waitForExit(10000));
    }
}

}  // namespace
}  // namespace zvui
