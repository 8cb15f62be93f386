// The German language library against the English one. Every string of the English library
// is in the German one under the same number with the same printf conversions in the same
// order (the program passes the same arguments to both), the menu has the same commands and
// keys in the same places, and every dialog template has the English size and the same
// controls in the same order with the same styles. The German texts arrive as German
// characters, through the wide and the ANSI functions alike.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "language_host.h"
#include "menu_ids.h"
#include "string_ids.h"

namespace zv::wintest {
namespace {

BOOL CALLBACK collectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<WORD>*>(param)->push_back(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

// The numbers of the resources of TYPE in MODULE.
std::vector<WORD> resourceIds(HMODULE module, LPCWSTR type) {
    std::vector<WORD> ids;
    EnumResourceNamesW(module, type, collectId, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

std::wstring loadWide(HMODULE module, UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out a pointer to the resource itself.
    const int n = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 && text != nullptr ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

// The printf conversions of a text in order, each as written ("%08X", "%s"); "%%" is none.
std::vector<std::wstring> conversions(const std::wstring& text) {
    std::vector<std::wstring> found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') continue;
        if (i + 1 < text.size() && text[i + 1] == L'%') {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && std::wstring_view(L"diouxXeEfgGcspn").find(text[end]) == std::wstring_view::npos) {
            ++end;
        }
        found.push_back(text.substr(i, end - i + 1));
        i = end;
    }
    return found;
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

struct Libraries {
    HMODULE english = nullptr;
    HMODULE german = nullptr;
};

class GermanLibrary : public ::testing::Test {
protected:
    static void TearDownTestSuite() { closeLanguageHosts(); }
    void SetUp() override {
        libraries_.english = languageHost(1033).library;
        libraries_.german = languageHost(1031).library;
        ASSERT_NE(libraries_.english, nullptr) << "zvlk5m1033.dll did not load beside the test";
        ASSERT_NE(libraries_.german, nullptr) << "zvlk5m1031.dll did not load beside the test";
    }
    Libraries libraries_;
};

TEST_F(GermanLibrary, HoldsEveryEnglishStringWithTheSameConversions) {
    const auto blocks = resourceIds(libraries_.english, MAKEINTRESOURCEW(6));
    ASSERT_GT(blocks.size(), 10u);
    EXPECT_EQ(resourceIds(libraries_.german, MAKEINTRESOURCEW(6)), blocks);
    int compared = 0;
    for (const WORD block : blocks) {
        for (UINT id = (block - 1u) * 16u; id < block * 16u; ++id) {
            const std::wstring english = loadWide(libraries_.english, id);
            const std::wstring german = loadWide(libraries_.german, id);
            EXPECT_EQ(english.empty(), german.empty()) << "string " << id;
            if (english.empty()) continue;
            EXPECT_EQ(conversions(german), conversions(english)) << "string " << id << ": \"" << narrow(german) << "\"";
            ++compared;
        }
    }
    EXPECT_GT(compared, 250);
}

// Walks two menus side by side: the same items in the same places, the same commands, and
// the same key after the tab once the German key names are read as the English ones.
void expectSameMenu(HMENU english, HMENU german, const std::string& where) {
    const int count = GetMenuItemCount(english);
    ASSERT_EQ(GetMenuItemCount(german), count) << where;
    for (int i = 0; i < count; ++i) {
        wchar_t textEnglish[256] = {}, textGerman[256] = {};
        const auto request = [](wchar_t* text) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 256;
            return info;
        };
        MENUITEMINFOW infoEnglish = request(textEnglish), infoGerman = request(textGerman);
        ASSERT_TRUE(GetMenuItemInfoW(english, static_cast<UINT>(i), TRUE, &infoEnglish));
        ASSERT_TRUE(GetMenuItemInfoW(german, static_cast<UINT>(i), TRUE, &infoGerman));
        const std::string item = where + " item " + std::to_string(i) + " \"" + narrow(textGerman) + "\"";
        EXPECT_EQ(infoGerman.fType & MFT_SEPARATOR, infoEnglish.fType & MFT_SEPARATOR) << item;
        ASSERT_EQ(infoGerman.hSubMenu != nullptr, infoEnglish.hSubMenu != nullptr) << item;
        if (infoEnglish.hSubMenu != nullptr) {
            expectSameMenu(infoEnglish.hSubMenu, infoGerman.hSubMenu, item);
            continue;
        }
        EXPECT_EQ(infoGerman.wID, infoEnglish.wID) << item;
        const auto key = [](const std::wstring& text) {
            const size_t tab = text.find(L'\t');
            std::wstring k = tab == std::wstring::npos ? L"" : text.substr(tab + 1);
            for (const auto& [from, to] : {std::pair{L"Strg+", L"Ctrl+"}, std::pair{L"Umschalt+", L"Shift+"}}) {
                if (const size_t at = k.find(from); at != std::wstring::npos) k.replace(at, wcslen(from), to);
            }
            return k;
        };
        EXPECT_EQ(key(textGerman), key(textEnglish)) << item;
    }
}

TEST_F(GermanLibrary, MenuHasTheEnglishCommandsAndKeysInTheSamePlaces) {
    EXPECT_EQ(resourceIds(libraries_.german, MAKEINTRESOURCEW(4)), resourceIds(libraries_.english, MAKEINTRESOURCEW(4)));
    HMENU english = LoadMenuW(libraries_.english, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    HMENU german = LoadMenuW(libraries_.german, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    ASSERT_NE(english, nullptr);
    ASSERT_NE(german, nullptr);
    expectSameMenu(english, german, "menu");
    DestroyMenu(english);
    DestroyMenu(german);
}

struct ControlShape {
    int id;
    std::string cls;
    LONG style;
    bool operator==(const ControlShape&) const = default;
};

std::vector<ControlShape> controlsOf(HWND dialog) {
    std::vector<ControlShape> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        controls.push_back({GetDlgCtrlID(child), cls, GetWindowLongA(child, GWL_STYLE)});
    }
    return controls;
}

// The program finds its controls by id and lays pages onto placeholders by size: a template
// that differs from the English one in either breaks the German program only.
TEST_F(GermanLibrary, EveryTemplateHasTheEnglishSizeAndControls) {
    const auto templates = resourceIds(libraries_.english, MAKEINTRESOURCEW(5));
    ASSERT_GE(templates.size(), 39u);
    EXPECT_EQ(resourceIds(libraries_.german, MAKEINTRESOURCEW(5)), templates);
    for (const WORD id : templates) {
        HWND english = languageHost(1033).create(id);
        HWND german = languageHost(1031).create(id);
        ASSERT_NE(english, nullptr) << "template " << id;
        ASSERT_NE(german, nullptr) << "template " << id << ", error " << GetLastError();
        RECT e{}, g{};
        GetWindowRect(english, &e);
        GetWindowRect(german, &g);
        EXPECT_EQ(g.right - g.left, e.right - e.left) << "template " << id;
        EXPECT_EQ(g.bottom - g.top, e.bottom - e.top) << "template " << id;
        const auto controls = controlsOf(english);
        const auto germanControls = controlsOf(german);
        EXPECT_EQ(germanControls.size(), controls.size()) << "template " << id;
        for (size_t i = 0; i < std::min(controls.size(), germanControls.size()); ++i) {
            EXPECT_TRUE(germanControls[i] == controls[i])
                << "template " << id << ", control " << i << ": German " << germanControls[i].id << " "
                << germanControls[i].cls << " style 0x" << std::hex << germanControls[i].style << ", English "
                << std::dec << controls[i].id << " " << controls[i].cls << " style 0x" << std::hex
                << controls[i].style;
        }
        DestroyWindow(english);
        DestroyWindow(german);
    }
}

// Umlauts read with the wrong code page come out as two characters (UTF-8 read as 1252:
// "Ã¤" for "ä") or as the replacement character.
bool misread(const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == 0xFFFD) return true;
        if ((text[i] == 0xC2 || text[i] == 0xC3) && i + 1 < text.size() && text[i + 1] >= 0x80 && text[i + 1] <= 0xBF) {
            return true;
        }
    }
    return false;
}

void collectMenuTexts(HMENU menu, std::vector<std::wstring>& texts) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        texts.emplace_back(text);
        if (HMENU sub = GetSubMenu(menu, i); sub != nullptr) collectMenuTexts(sub, texts);
    }
}

std::wstring windowTextW(HWND window) {
    wchar_t text[1024] = {};
    return std::wstring(text, static_cast<size_t>(std::max(0, GetWindowTextW(window, text, 1024))));
}

TEST_F(GermanLibrary, TextsArriveAsGermanCharacters) {
    std::vector<std::wstring> texts;
    for (const WORD block : resourceIds(libraries_.german, MAKEINTRESOURCEW(6))) {
        for (UINT id = (block - 1u) * 16u; id < block * 16u; ++id) texts.push_back(loadWide(libraries_.german, id));
    }
    HMENU menu = LoadMenuW(libraries_.german, MAKEINTRESOURCEW(IDR_MAIN_MENU));
    collectMenuTexts(menu, texts);
    DestroyMenu(menu);
    for (const WORD id : resourceIds(libraries_.german, MAKEINTRESOURCEW(5))) {
        HWND dialog = languageHost(1031).create(id);
        ASSERT_NE(dialog, nullptr) << "template " << id;
        texts.push_back(windowTextW(dialog));
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            texts.push_back(windowTextW(child));
        }
        DestroyWindow(dialog);
    }
    int umlauts = 0;
    for (const auto& text : texts) {
        EXPECT_FALSE(misread(text)) << "\"" << narrow(text) << "\"";
        for (const wchar_t c : text) umlauts += std::wstring_view(L"äöüÄÖÜß").find(c) != std::wstring_view::npos ? 1 : 0;
    }
    EXPECT_GT(umlauts, 50);
    EXPECT_EQ(loadWide(libraries_.german, IDS_TIP_FIND_NEXT), L"N\u00e4chsten suchen");
    // The program reads its strings with LoadStringA: in a German (or any Western) ANSI code
    // page the umlaut is one byte.
    if (GetACP() == 1252) {
        EXPECT_EQ(languageHost(1031).loadString(IDS_TIP_FIND_NEXT), "N\xe4" "chsten suchen");
    }
}

}  // namespace
}  // namespace zv::wintest
