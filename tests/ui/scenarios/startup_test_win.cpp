// Start-up: one instance, the language library by locale and its texts, the time to a drawn
// window.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

// The built language library the program picks for LOCALE: its own, else the English one.
HMODULE libraryFor(uint32_t locale) {
    const std::string name = libraryNameFor(locale);
    std::string file = builtFile(name.substr(0, name.rfind('.')));
    if (file.empty()) file = builtFile("zvlk5m1033");
    return LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

std::string stringOf(HMODULE library, unsigned id) {
    char text[1024] = "";
    LoadStringA(library, id, text, sizeof text);
    return text;
}

// The top-level texts of the library's main menu, read as the program reads them.
std::vector<std::string> menuBarOf(HMODULE library) {
    std::vector<std::string> texts;
    HMENU menu = LoadMenuA(library, MAKEINTRESOURCEA(0x6f));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        texts.emplace_back(text);
    }
    if (menu) DestroyMenu(menu);
    return texts;
}

using StartUp = ProgramFixture;

TEST_F(StartUp, SecondStartActivatesTheFirstWindowAndEnds) {
    installProgram();
    ASSERT_TRUE(startMain());
    ShowWindowAsync(mainWindow_, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(mainWindow_) != 0; }, 5000));

    Program second;
    ASSERT_TRUE(second.start(sandbox_->programFolder() + "\\ZVLK5MQ.exe"));
    DWORD exitCode = 1234;
    ASSERT_TRUE(second.waitForExit(15000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(topWindowsOfClass(kMainWindowClass, second.processId()).empty());
    EXPECT_EQ(topWindowsOfClass(kMainWindowClass).size(), 1u);
    EXPECT_TRUE(waitFor([&] { return !IsIconic(mainWindow_); }, 5000)) << "the first window stayed minimised";
    EXPECT_TRUE(program_.running());
}

TEST_F(StartUp, LoadsTheLanguageLibraryOfTheUsersLocale) {
    // Only the locale's name is there (its own library, or a copy of the English library for
    // a locale without one): a window proves the program asked for that name.
    std::printf("[ LOCALE   ] %u\n", static_cast<unsigned>(userLocale()));
    if (expectedLocale() != 0) {
        ASSERT_EQ(userLocale(), expectedLocale());
    }
    installProgram({libraryNameFor(userLocale())});
    ASSERT_TRUE(startMain());
    EXPECT_EQ(windowText(mainWindow_), englishString(100));
}

// With the English and the German library installed, the program shows the texts of the
// user's language: its menu bar, the state in the status bar and the tab captions. Under a
// German locale they are German.
TEST_F(StartUp, ShowsTheTextsOfTheLanguageLibraryOfTheUsersLocale) {
    if (expectedLocale() != 0) {
        ASSERT_EQ(userLocale(), expectedLocale());
    }
    installProgram();
    ASSERT_TRUE(startMain());
    HMODULE library = libraryFor(userLocale());
    ASSERT_NE(library, nullptr);
    const std::vector<std::string> menu = menuBarTexts(mainWindow_);
    EXPECT_EQ(menu, menuBarOf(library));
    EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), stringOf(library, 20051));
    EXPECT_EQ(tabText(control(kTabControlId), 0), stringOf(library, 8001));
    if (userLocale() == 1031) {
        ASSERT_FALSE(menu.empty());
        EXPECT_EQ(menu.front(), "&Datei");
        EXPECT_EQ(statusPaneText(control(kStatusBarId), 2), "Nicht verbunden");
    }
    FreeLibrary(library);
}

TEST_F(StartUp, FallsBackToEnglishWhenTheLocaleHasNoLibrary) {
    if (expectedLocale() != 0) {
        ASSERT_EQ(userLocale(), expectedLocale());
    }
    if (userLocale() == 1033) GTEST_SKIP() << "needs a user locale other than 1033, e.g. LC_ALL=de_DE.UTF-8";
    installProgram({"zvlk5m1033.dll"});
    ASSERT_TRUE(startMain());
    EXPECT_EQ(windowText(mainWindow_), englishString(100));
    HMODULE english = libraryFor(1033);
    EXPECT_EQ(menuBarTexts(mainWindow_), menuBarOf(english));
    FreeLibrary(english);
}

TEST_F(StartUp, EndsWithoutAWindowWhenNoLanguageLibraryLoads) {
    installProgram({});
    ASSERT_TRUE(program_.start(sandbox_->programFolder() + "\\ZVLK5MQ.exe"));
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
        ASSERT_TRUE(program.start(sandbox_->programFolder() + "\\ZVLK5MQ.exe"));
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
