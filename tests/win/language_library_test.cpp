// The English language library against the shared id headers: every id the program may ask
// for is there and usable: strings load, formats take the argument the program passes, the
// menu carries every command, every dialog template creates and holds its controls (the
// custom controls of zvlkctrl.dll registered first, as the program does).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "command_ids.h"
#include "id_headers.h"
#include "language_host.h"
#include "menu_ids.h"
#include "preferences_dialog_res.h"
#include "program_res.h"
#include "string_ids.h"
#include "watch_dialog_res.h"

namespace zv::wintest {
namespace {

std::vector<IdDefinition> idsWithPrefix(const char* prefix, const char* header = nullptr) {
    std::vector<std::string> errors;
    std::vector<IdDefinition> selected;
    for (auto& id : allIds(errors)) {
        if (startsWith(id.name, prefix) && (header == nullptr || id.header == header)) selected.push_back(id);
    }
    return selected;
}

// printf conversions of a string: numbers (d, i, u, x, X), texts (s) and everything else a
// message box would get wrong (other conversions, '*', length modifiers).
struct Conversions {
    int numbers = 0;
    int texts = 0;
    int others = 0;
};

Conversions countConversions(const std::string& s) {
    Conversions c;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') continue;
        if (i + 1 < s.size() && s[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool odd = false;
        while (j < s.size() && std::string_view("-+ #0").find(s[j]) != std::string_view::npos) ++j;
        while (j < s.size() && (isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.' || s[j] == '*')) {
            odd = odd || s[j] == '*';
            ++j;
        }
        while (j < s.size() && std::string_view("hlLqjzt").find(s[j]) != std::string_view::npos) {
            odd = true;
            ++j;
        }
        const char conversion = j < s.size() ? s[j] : '\0';
        if (!odd && std::string_view("diuxX").find(conversion) != std::string_view::npos && conversion != '\0') {
            ++c.numbers;
        } else if (!odd && conversion == 's') {
            ++c.texts;
        } else {
            ++c.others;
        }
        i = j;
    }
    return c;
}

// Runs for each language library (the parameter is its locale).
class LanguageLibrary : public ::testing::TestWithParam<int> {
protected:
    static void TearDownTestSuite() { closeLanguageHosts(); }
    void SetUp() override {
        const LanguageHost& host = languageHost(GetParam());
        library_ = host.library;
        owner_ = host.owner;
        ASSERT_NE(library_, nullptr) << languageLibraryFile(GetParam()) << " did not load beside the test";
        ASSERT_TRUE(host.controlsRegistered) << "zvlkctrl.dll did not load beside the test or did not register";
        ASSERT_NE(owner_, nullptr);
    }

    std::string loadString(long id) const { return languageHost(GetParam()).loadString(id); }

    HMODULE library_ = nullptr;
    HWND owner_ = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Locales, LanguageLibrary, ::testing::ValuesIn(kLanguageLocales),
                         [](const ::testing::TestParamInfo<int>& locale) { return std::to_string(locale.param); });

TEST(IdHeaders, EveryDefinitionIsANumberAndNoNumberIsTakenTwice) {
    std::vector<std::string> errors;
    const auto ids = allIds(errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    ASSERT_FALSE(ids.empty());
    // The parser reads what the compiler reads.
    const auto valueOf = [&](const char* name) {
        for (const auto& id : ids) if (id.name == name) return id.value;
        return -1L;
    };
    EXPECT_EQ(valueOf("IDS_APP_TITLE"), IDS_APP_TITLE);
    EXPECT_EQ(valueOf("IDR_MAIN_MENU"), IDR_MAIN_MENU);
    EXPECT_EQ(valueOf("IDD_PREFERENCES"), IDD_PREFERENCES);

    // Two names for one string, command or template are a slip of the pen; control ids only
    // have to be unique within their dialog.
    std::map<std::string, std::map<long, std::string>> seen;
    std::map<std::string, std::set<std::string>> names;
    for (const auto& id : ids) {
        EXPECT_TRUE(names[id.header].insert(id.name).second) << id.name << " defined twice in " << id.header;
        const std::string kind = id.name.substr(0, 4);
        const std::string scope = kind == "IDC_" ? id.header : kind;
        const auto [it, fresh] = seen[scope].emplace(id.value, id.name);
        EXPECT_TRUE(fresh) << id.name << " and " << it->second << " share " << id.value;
    }
}

TEST(IdHeaders, ConversionCounterTellsFormatsApart) {
    EXPECT_EQ(countConversions("error 0x%08X.").numbers, 1);
    EXPECT_EQ(countConversions("100%% done").numbers, 0);
    EXPECT_EQ(countConversions("%s: folder").texts, 1);
    EXPECT_EQ(countConversions("%ld").others, 1);
    EXPECT_EQ(countConversions("%*d").others, 1);
    EXPECT_EQ(countConversions("%u and %d").numbers, 2);
    EXPECT_EQ(countConversions("trailing %").others, 1);
}

TEST_P(LanguageLibrary, LoadsAsADataFileToo) {
    HMODULE data = LoadLibraryExA(besideThisProgram(languageLibraryFile(GetParam()).c_str()).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(data, nullptr);
    char text[256] = {};
    EXPECT_GT(LoadStringA(data, IDS_APP_TITLE, text, sizeof text), 0);
    EXPECT_NE(FindResourceA(data, MAKEINTRESOURCEA(IDR_MAIN_MENU), MAKEINTRESOURCEA(4)), nullptr);
    FreeLibrary(data);
}

TEST_P(LanguageLibrary, EveryStringLoadsAndIsNotBlank) {
    const auto strings = idsWithPrefix("IDS_");
    ASSERT_GT(strings.size(), 70u);
    for (const auto& id : strings) {
        const std::string text = loadString(id.value);
        EXPECT_FALSE(text.empty()) << id.name << " (" << id.value << ") is missing";
        EXPECT_NE(text.find_first_not_of(" \t\r\n"), std::string::npos) << id.name << " is blank";
        EXPECT_LT(text.size(), 1023u) << id.name << " would be cut by a 1 KiB buffer";
    }
}

// Some headers name only the first of a run of strings that the program loads by counting on
// from it (tree captions, combo box entries).
TEST_P(LanguageLibrary, EveryStringOfANumberedRunLoads) {
    const struct {
        long first;
        int count;
    } runs[] = {{IDS_PAGE_TRANSMIT_ENTRY_1, 16}, {IDS_ID_TABLE_TAB_1, 4}, {IDS_FRAME_TYPE_STANDARD, 4},
                {IDS_TIMER_PERIOD_MONTH, 3},     {IDS_PAGE_CONDITION_1, 4},       {IDS_RESOLUTION_FIRST, 3},
                {IDS_THINNING_FIRST, 5},         {IDS_RECORD_LENGTH_FIRST, 3},    {IDS_RECORDING_START_FIRST, 5},
                {IDS_CONDITION_ACTION_FIRST, 7}, {IDS_BEEP_SOUND_FIRST, 4},       {IDS_TRIGGER_POSITION_FIRST, 4},
                {IDS_PULSE_WIDTH_FIRST, 3},      {IDS_CONDITION_UNIT_MS, 3},      {IDS_MARKER_FIRST, 30},
                {IDS_SIGNAL_HOLD_FIRST, 14},     {IDS_SIGNAL_RESULT_FIRST, 3},    {IDS_CONVERSION_FORMAT_FIRST, 6}};
    for (const auto& run : runs) {
        std::set<std::string> texts;
        for (long id = run.first; id < run.first + run.count; ++id) {
            const std::string text = loadString(id);
            EXPECT_FALSE(text.empty()) << "string " << id << " of the run from " << run.first << " is missing";
            EXPECT_TRUE(texts.insert(text).second) << "string " << id << " repeats \"" << text << "\"";
        }
    }
}

TEST_P(LanguageLibrary, FormatsTakeExactlyTheArgumentTheProgramPasses) {
    for (const auto& id : idsWithPrefix("IDS_")) {
        const std::string text = loadString(id.value);
        const Conversions c = countConversions(text);
        if (endsWith(id.name, "_TEXT_FMT")) {
            EXPECT_TRUE(c.texts == 1 && c.numbers == 0 && c.others == 0) << id.name << ": \"" << text << "\"";
        } else if (endsWith(id.name, "_FMT")) {
            EXPECT_TRUE(c.numbers == 1 && c.texts == 0 && c.others == 0) << id.name << ": \"" << text << "\"";
        } else {
            EXPECT_TRUE(c.numbers == 0 && c.texts == 0 && c.others == 0)
                << id.name << " is shown as it is but holds a conversion: \"" << text << "\"";
        }
    }
    // The texts of a formatted box fit the 255 characters the program keeps.
    char out[512];
    for (const long id : {IDS_END_ANALYZER_ERROR_FMT, IDS_END_BOARD_ERROR_FMT, IDS_END_SETUP_ERROR_FMT,
                          IDS_CONNECT_FAILED_FMT, IDS_CONNECT_REFUSED_AT_ONCE_FMT, IDS_UPLOAD_FAILED_FMT,
                          IDS_SETUP_RECEIVE_FAILED_FMT, IDS_SETUP_SEND_FAILED_FMT}) {
        // The format comes from the library, as in the program; its conversions were
        // checked just above.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        const int n = snprintf(out, sizeof out, loadString(id).c_str(), 0xFFFFFFFFu);
#pragma GCC diagnostic pop
        EXPECT_GT(n, 0);
        EXPECT_LT(n, 256) << id;
    }
}

TEST_P(LanguageLibrary, UiFontIsPointSizeCommaFace) {
    const std::string text = loadString(IDS_UI_FONT);
    size_t i = 0;
    while (i < text.size() && isdigit(static_cast<unsigned char>(text[i]))) ++i;
    ASSERT_GT(i, 0u) << "no point size in \"" << text << "\"";
    const int points = std::stoi(text.substr(0, i));
    EXPECT_GE(points, 6);
    EXPECT_LE(points, 24);
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && text[i] == ',') ++i;
    const std::string face = text.substr(i);
    EXPECT_NE(face.find_first_not_of(' '), std::string::npos) << "no face name in \"" << text << "\"";
    EXPECT_EQ(face.find(','), std::string::npos);
}

struct MenuEntry {
    UINT id;
    std::string text;
};

void collectMenu(HMENU menu, std::vector<MenuEntry>& entries, int& popups) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if (info.hSubMenu != nullptr) {
            ++popups;
            collectMenu(info.hSubMenu, entries, popups);
        } else if ((info.fType & MFT_SEPARATOR) == 0) {
            entries.push_back({info.wID, text});
        }
    }
}

// The key of an accelerator as the menu of LOCALE names it ("Ctrl+S", German "Strg+S").
std::string keyText(const ACCEL& accel, int locale) {
    const bool german = locale == 1031;
    std::string text;
    if (accel.fVirt & FCONTROL) text += german ? "Strg+" : "Ctrl+";
    if (accel.fVirt & FSHIFT) text += german ? "Umschalt+" : "Shift+";
    if (accel.fVirt & FALT) text += "Alt+";
    if (accel.key >= VK_F1 && accel.key <= VK_F24) return text + "F" + std::to_string(accel.key - VK_F1 + 1);
    return text + static_cast<char>(accel.key);
}

TEST_P(LanguageLibrary, MenuHoldsEveryCommandOnceAndNothingElse) {
    HMENU menu = LoadMenuA(library_, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(menu, nullptr);
    std::vector<MenuEntry> entries;
    int popups = 0;
    collectMenu(menu, entries, popups);
    EXPECT_EQ(popups, 4);  // File, Analyzer, View, Help

    // The main window's commands; other windows' commands (the setup editor's toolbar) are not
    // on its menu.
    const auto commands = idsWithPrefix("IDM_", "command_ids.h");
    ASSERT_GT(commands.size(), 20u);
    for (const auto& command : commands) {
        const auto n = std::count_if(entries.begin(), entries.end(),
                                     [&](const MenuEntry& e) { return e.id == static_cast<UINT>(command.value); });
        EXPECT_EQ(n, 1) << command.name << " (" << command.value << ")";
    }
    for (const auto& entry : entries) {
        const bool known = std::any_of(commands.begin(), commands.end(),
                                       [&](const IdDefinition& c) { return static_cast<UINT>(c.value) == entry.id; });
        EXPECT_TRUE(known) << "menu item \"" << entry.text << "\" sends unknown command " << entry.id;
        EXPECT_FALSE(entry.text.empty()) << entry.id;
    }
    DestroyMenu(menu);
}

// The key named after the tab of a menu item is the key of the program's accelerator table,
// and every accelerator is named on its menu item.
TEST_P(LanguageLibrary, MenuKeyNamesMatchTheProgramsAccelerators) {
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    std::vector<ACCEL> accels(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
    CopyAcceleratorTableA(table, accels.data(), static_cast<int>(accels.size()));
    HMENU menu = LoadMenuA(library_, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(menu, nullptr);
    std::vector<MenuEntry> entries;
    int popups = 0;
    collectMenu(menu, entries, popups);

    std::map<UINT, std::string> expected;
    for (const auto& accel : accels) expected[accel.cmd] = keyText(accel, GetParam());
    for (const auto& entry : entries) {
        const size_t tab = entry.text.find('\t');
        const std::string shown = tab == std::string::npos ? "" : entry.text.substr(tab + 1);
        const auto it = expected.find(entry.id);
        EXPECT_EQ(shown, it == expected.end() ? "" : it->second) << "menu item \"" << entry.text << "\"";
    }
    DestroyMenu(menu);
}

// Each dialog header names one template and its controls; a header without controls may name
// several templates (pages that are empty for now). Headers that only include others name
// nothing.
struct TemplateIds {
    std::string header;
    std::string name;
    long templateId = -1;
    std::vector<IdDefinition> controls;
};

std::vector<TemplateIds> templates() {
    std::vector<TemplateIds> result;
    std::vector<std::string> errors;
    for (const auto& header : idHeaderTexts()) {
        std::vector<TemplateIds> named;
        std::vector<IdDefinition> controls;
        for (const auto& id : parseIdHeader(header.name, header.text, errors)) {
            if (startsWith(id.name, "IDD_")) {
                named.push_back({header.name, id.name, id.value, {}});
            } else if (startsWith(id.name, "IDC_")) {
                controls.push_back(id);
            }
        }
        if (named.empty()) {
            EXPECT_TRUE(controls.empty()) << header.name << " has controls but no template";
        } else if (!controls.empty()) {
            EXPECT_EQ(named.size(), 1u) << header.name << " names controls of several templates";
            named.front().controls = controls;
        }
        result.insert(result.end(), named.begin(), named.end());
    }
    return result;
}

// Controls that the program creates itself (the setup window's toolbar) are not in the
// template; their header says so.
bool createdByTheProgram(const IdDefinition& control) {
    return control.comment.find("created by the program") != std::string::npos;
}

// All child windows lie inside the dialog's client area.
void expectControlsInside(HWND dialog, const std::string& what) {
    RECT client{};
    GetClientRect(dialog, &client);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
            << what << ": control " << GetDlgCtrlID(child) << " at (" << r.left << "," << r.top << ")-(" << r.right
            << "," << r.bottom << ") leaves the client area " << client.right << " x " << client.bottom;
    }
}

TEST_P(LanguageLibrary, EveryTemplateCreatesWithEveryControlOfItsHeader) {
    const auto all = templates();
    ASSERT_GE(all.size(), 39u);
    for (const auto& t : all) {
        SCOPED_TRACE(t.header + ": " + t.name);
        EXPECT_NE(FindResourceA(library_, MAKEINTRESOURCEA(t.templateId), MAKEINTRESOURCEA(5)), nullptr);
        HWND dialog = CreateDialogParamA(library_, MAKEINTRESOURCEA(t.templateId), owner_, quietDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << "template " << t.templateId << ", error " << GetLastError();
        for (const auto& control : t.controls) {
            if (createdByTheProgram(control)) {
                EXPECT_EQ(GetDlgItem(dialog, static_cast<int>(control.value)), nullptr)
                    << control.name << " is created by the program, the template must leave its id free";
                continue;
            }
            EXPECT_NE(GetDlgItem(dialog, static_cast<int>(control.value)), nullptr)
                << control.name << " (" << control.value << ")";
        }
        expectControlsInside(dialog, t.name);
        DestroyWindow(dialog);
    }
}

// The letter after '&' in a text ("&&" is a literal ampersand), lower case; 0 when none.
char accessKey(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(tolower(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

// Two controls or menu items with one access key: Alt+key reaches only the first.
void expectUniqueAccessKeys(const std::vector<std::string>& texts, const std::string& where) {
    std::map<char, std::string> taken;
    for (const auto& text : texts) {
        const char key = accessKey(text);
        if (key == 0) continue;
        const auto [it, fresh] = taken.emplace(key, text);
        EXPECT_TRUE(fresh) << where << ": \"" << text << "\" and \"" << it->second << "\" share '&" << key << "'";
    }
}

void collectPopupTexts(HMENU menu, const std::string& where) {
    std::vector<std::string> texts;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        texts.emplace_back(text);
        if (HMENU sub = GetSubMenu(menu, i); sub != nullptr) collectPopupTexts(sub, where + " > " + text);
    }
    expectUniqueAccessKeys(texts, where);
}

TEST_P(LanguageLibrary, AccessKeysAreUniqueInEachMenuAndDialog) {
    HMENU menu = LoadMenuA(library_, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(menu, nullptr);
    collectPopupTexts(menu, "menu");
    DestroyMenu(menu);

    for (const auto& t : templates()) {
        HWND dialog = CreateDialogParamA(library_, MAKEINTRESOURCEA(t.templateId), owner_, quietDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << t.header;
        std::vector<std::string> texts;
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            char text[256] = {};
            GetWindowTextA(child, text, sizeof text);
            texts.emplace_back(text);
        }
        expectUniqueAccessKeys(texts, t.name);
        DestroyWindow(dialog);
    }
}

TEST_P(LanguageLibrary, PreferencePagesFitTheTabArea) {
    HWND dialog = CreateDialogParamA(library_, MAKEINTRESOURCEA(IDD_PREFERENCES), owner_, quietDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND tabs = GetDlgItem(dialog, IDC_PREF_TABS);
    ASSERT_NE(tabs, nullptr);
    int index = 0;
    for (const long label : {IDS_PREF_TAB_CONNECTION, IDS_PREF_TAB_MODEL, IDS_PREF_TAB_BUFFER,
                             IDS_PREF_TAB_SCREENSHOT, IDS_PREF_TAB_SYNCHRONISATION}) {
        std::string text = loadString(label);
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        EXPECT_EQ(SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)),
                  index);
        ++index;
    }
    RECT area{};
    GetClientRect(tabs, &area);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    // All five tabs in one row: the display area starts below a single row of tabs.
    RECT first{}, last{};
    SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageA(tabs, TCM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(first.top, last.top);

    for (const auto& t : templates()) {
        if (!startsWith(t.name, "IDD_PREF_")) continue;
        SCOPED_TRACE(t.header);
        HWND page = CreateDialogParamA(library_, MAKEINTRESOURCEA(t.templateId), dialog, quietDialogProc, 0);
        ASSERT_NE(page, nullptr);
        EXPECT_NE(GetWindowLongA(page, GWL_STYLE) & WS_CHILD, 0);
        RECT r{};
        GetWindowRect(page, &r);
        EXPECT_LE(r.right - r.left, area.right - area.left);
        EXPECT_LE(r.bottom - r.top, area.bottom - area.top);
        DestroyWindow(page);
    }
    DestroyWindow(dialog);
}

// The watch data dialog: Tab walks each entry's channel, frame type and identifier, entry by
// entry, then OK and Cancel; entry n sits below entry n - 1.
TEST_P(LanguageLibrary, WatchDialogEntriesTabInRowOrder) {
    HWND dialog = CreateDialogParamA(library_, MAKEINTRESOURCEA(IDD_WATCH_DATA), owner_, quietDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    const int channels[16] = {IDC_WATCH_CHANNEL_0,  IDC_WATCH_CHANNEL_1,  IDC_WATCH_CHANNEL_2,  IDC_WATCH_CHANNEL_3,
                              IDC_WATCH_CHANNEL_4,  IDC_WATCH_CHANNEL_5,  IDC_WATCH_CHANNEL_6,  IDC_WATCH_CHANNEL_7,
                              IDC_WATCH_CHANNEL_8,  IDC_WATCH_CHANNEL_9,  IDC_WATCH_CHANNEL_10, IDC_WATCH_CHANNEL_11,
                              IDC_WATCH_CHANNEL_12, IDC_WATCH_CHANNEL_13, IDC_WATCH_CHANNEL_14, IDC_WATCH_CHANNEL_15};
    const int types[16] = {IDC_WATCH_FRAME_TYPE_0,  IDC_WATCH_FRAME_TYPE_1,  IDC_WATCH_FRAME_TYPE_2,
                           IDC_WATCH_FRAME_TYPE_3,  IDC_WATCH_FRAME_TYPE_4,  IDC_WATCH_FRAME_TYPE_5,
                           IDC_WATCH_FRAME_TYPE_6,  IDC_WATCH_FRAME_TYPE_7,  IDC_WATCH_FRAME_TYPE_8,
                           IDC_WATCH_FRAME_TYPE_9,  IDC_WATCH_FRAME_TYPE_10, IDC_WATCH_FRAME_TYPE_11,
                           IDC_WATCH_FRAME_TYPE_12, IDC_WATCH_FRAME_TYPE_13, IDC_WATCH_FRAME_TYPE_14,
                           IDC_WATCH_FRAME_TYPE_15};
    const int identifiers[16] = {IDC_WATCH_IDENTIFIER_0,  IDC_WATCH_IDENTIFIER_1,  IDC_WATCH_IDENTIFIER_2,
                                 IDC_WATCH_IDENTIFIER_3,  IDC_WATCH_IDENTIFIER_4,  IDC_WATCH_IDENTIFIER_5,
                                 IDC_WATCH_IDENTIFIER_6,  IDC_WATCH_IDENTIFIER_7,  IDC_WATCH_IDENTIFIER_8,
                                 IDC_WATCH_IDENTIFIER_9,  IDC_WATCH_IDENTIFIER_10, IDC_WATCH_IDENTIFIER_11,
                                 IDC_WATCH_IDENTIFIER_12, IDC_WATCH_IDENTIFIER_13, IDC_WATCH_IDENTIFIER_14,
                                 IDC_WATCH_IDENTIFIER_15};
    std::vector<int> expected;
    for (int n = 0; n < 16; ++n) {
        expected.insert(expected.end(), {channels[n], types[n], identifiers[n]});
    }
    expected.insert(expected.end(), {IDOK, IDCANCEL});
    std::vector<int> walked;
    HWND control = GetDlgItem(dialog, IDC_WATCH_CHANNEL_0);
    for (size_t i = 0; i < expected.size() && control != nullptr; ++i) {
        walked.push_back(GetDlgCtrlID(control));
        control = GetNextDlgTabItem(dialog, control, FALSE);
    }
    EXPECT_EQ(walked, expected);

    LONG previousTop = -1;
    for (int n = 0; n < 16; ++n) {
        RECT channel{}, box{};
        GetWindowRect(GetDlgItem(dialog, channels[n]), &channel);
        GetWindowRect(GetDlgItem(dialog, identifiers[n]), &box);
        EXPECT_EQ(channel.top, box.top) << n;
        EXPECT_GT(channel.top, previousTop) << n;
        previousTop = channel.top;
        char cls[32] = {};
        GetClassNameA(GetDlgItem(dialog, types[n]), cls, sizeof cls);
        EXPECT_STREQ(cls, "ComboBox");
        EXPECT_EQ(GetWindowLongA(GetDlgItem(dialog, types[n]), GWL_STYLE) & 3, CBS_DROPDOWNLIST) << n;
    }
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace zv::wintest
