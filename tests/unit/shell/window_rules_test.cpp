// Start-up rules of the program that need no window: the UI font text, the language library
// names, and where the children go.
#include <gtest/gtest.h>

#include "shell/language_library.h"
#include "shell/main_window_layout.h"
#include "shell/ui_font.h"

namespace zv::shell {
namespace {

TEST(UiFont, ReadsPointSizeAndFaceWithOrWithoutCommaAndBlanks) {
    struct Case {
        const char* text;
        int points;
        const char* face;
    };
    const Case cases[] = {
        {"9,MS Sans Serif", 9, "MS Sans Serif"},
        {" 10 , Tahoma  ", 10, "Tahoma"},
        {"8 Arial", 8, "Arial"},
        {"12", 12, ""},
        {"11,", 11, ""},
        {"9,,Odd", 9, ",Odd"},  // one comma only: the second belongs to the name
    };
    for (const Case& c : cases) {
        const std::optional<UiFontSpec> parsed = parseUiFont(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(parsed->points, c.points) << c.text;
        EXPECT_EQ(parsed->face, c.face) << c.text;
    }
}

TEST(UiFont, RefusesTextWithoutAUsablePointSize) {
    for (const char* text : {"", "   ", ",Arial", "Arial", "0,Arial", "-9,Arial", "123456,Arial"}) {
        EXPECT_FALSE(parseUiFont(text)) << '"' << text << '"';
    }
}

TEST(UiFont, HeightIsTheNegativePixelSizeRoundedDown) {
    EXPECT_EQ(fontHeightForPoints(9, 96), -12);
    EXPECT_EQ(fontHeightForPoints(8, 120), -13);
    EXPECT_EQ(fontHeightForPoints(10, 72), -10);
}

TEST(LanguageLibrary, NamesHaveAtLeastFourDigits) {
    EXPECT_EQ(languageLibraryName(1033), "zvlk5m1033.dll");
    EXPECT_EQ(languageLibraryName(7), "zvlk5m0007.dll");
    EXPECT_EQ(languageLibraryName(66666), "zvlk5m66666.dll");
}

TEST(LanguageLibrary, TriesTheUsersLocaleThenEnglishOnce) {
    EXPECT_EQ(languageLocalesToTry(1031), (std::vector<uint32_t>{1031, 1033}));
    EXPECT_EQ(languageLocalesToTry(1033), (std::vector<uint32_t>{1033}));
}

TEST(MainWindowLayout, TabsBelowTheToolbarAndListsBelowTheTabHeaders) {
    const MainWindowLayout layout = layoutMainWindow(729, 442, 20);
    EXPECT_EQ(layout.tabs, (ChildRect{0, 27, 729, 442 - 47}));
    EXPECT_EQ(layout.lists, (ChildRect{0, 47, 729, 442 - 47 - 20}));
}

TEST(MainWindowLayout, UnreadableStatusBarReservesFortySixPixels) {
    const MainWindowLayout layout = layoutMainWindow(300, 200, -1);
    EXPECT_EQ(layout.tabs.height, 200 - 46);
    EXPECT_EQ(layout.lists.height, 200 - 46 - 20);
}

TEST(MainWindowLayout, ATinyWindowGivesEmptyChildrenNotNegativeOnes) {
    const MainWindowLayout layout = layoutMainWindow(0, 30, 20);
    EXPECT_EQ(layout.tabs, (ChildRect{0, 27, 0, 0}));
    EXPECT_EQ(layout.lists, (ChildRect{0, 47, 0, 0}));
}

}  // namespace
}  // namespace zv::shell
