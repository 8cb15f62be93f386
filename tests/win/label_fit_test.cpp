// The templates of each language library, measured with their own font: every text of a
// static, check box, radio button and push button of every template fits its control (also
// the longest texts the program writes into them); in the templates of the setup editor, the
// search dialog and the batch conversion no two visible controls cover each other, every
// sub-page placeholder has exactly the size of the sub-page template that the program lays
// onto it, and every bit-pattern field and the LIN schedule's slot table have room for what
// they show. That every control lies inside its dialog is checked for all templates by
// language_library_test.cpp.
//
// With ZV_TEMPLATE_SHOTS set to a folder, PicturesOfTheTemplates writes a PNG of each
// template there, named <template>-<locale>.png (the test does nothing otherwise).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <map>
#include <sstream>
#include <optional>
#include <string>
#include <vector>

#include "shell/ui_font.h"
#include "id_headers.h"
#include "language_host.h"
#include "batch_conversion_res.h"
#include "search_pages_res.h"
#include "setup_channel_page_res.h"
#include "setup_later_pages_res.h"
#include "setup_mode_page_res.h"
#include "setup_protocol_page_res.h"
#include "setup_timer_page_res.h"
#include "setup_transmit_page_res.h"
#include "setup_window_res.h"
#include "string_ids.h"
#include "ui/driver/png_writer.h"

namespace zv::wintest {
namespace {

// The templates laid out on the grid by name, as their headers give them: the setup editor,
// the search dialog and the batch conversion.
// With ALL, every template of the library (the preferences, the watch data dialog, ...).
std::map<long, std::string> gridTemplates(bool all = false) {
    std::map<long, std::string> result;
    std::vector<std::string> errors;
    for (const auto& id : allIds(errors)) {
        const bool onGrid = startsWith(id.header, "setup_") || startsWith(id.header, "search_") ||
                            startsWith(id.header, "batch_");
        if ((all || onGrid) && startsWith(id.name, "IDD_")) result[id.value] = id.name;
    }
    return result;
}

std::string windowText(HWND control) {
    char text[512] = {};
    const int n = GetWindowTextA(control, text, sizeof text);
    return std::string(text, static_cast<size_t>(n > 0 ? n : 0));
}

std::string className(HWND control) {
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    return name;
}

// A control whose text the user reads, and how much of its client area the text may use.
struct TextRoom {
    bool measured = false;
    int width = 0;     // pixels available to the text
    int height = 0;
    bool wraps = false;  // the control breaks its text into lines
};

TextRoom textRoom(HWND control) {
    TextRoom room;
    RECT client{};
    GetClientRect(control, &client);
    room.width = client.right;
    room.height = client.bottom;
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const std::string cls = className(control);
    if (_stricmp(cls.c_str(), "Static") == 0) {
        const LONG kind = style & SS_TYPEMASK;
        room.measured = kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT || kind == SS_LEFTNOWORDWRAP;
        room.wraps = kind != SS_LEFTNOWORDWRAP;
        return room;
    }
    if (_stricmp(cls.c_str(), "Button") == 0) {
        const LONG kind = style & BS_TYPEMASK;
        room.wraps = (style & BS_MULTILINE) != 0;
        switch (kind) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            room.measured = true;
            room.width -= 2 * GetSystemMetrics(SM_CXEDGE) + 4;  // the raised edge and the focus rectangle
            break;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_3STATE:
        case BS_AUTO3STATE:
            room.measured = true;
            room.width -= GetSystemMetrics(SM_CXMENUCHECK) + 4;  // the box and the gap after it
            break;
        default:
            break;
        }
    }
    return room;
}

// Size of TEXT in CONTROL's font; a wrapping control breaks it at the room's width.
SIZE measure(HWND control, const std::string& text, const TextRoom& room) {
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    RECT r{0, 0, room.width, 0};
    const bool severalLines = room.wraps && room.height >= 2 * metrics.tmHeight;
    UINT format = DT_CALCRECT | DT_LEFT;
    format |= severalLines ? DT_WORDBREAK : DT_SINGLELINE;
    if (className(control) == "Static" && (GetWindowLongA(control, GWL_STYLE) & SS_NOPREFIX) != 0) {
        format |= DT_NOPREFIX;
    }
    DrawTextA(dc, text.c_str(), -1, &r, format);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right - r.left, r.bottom - r.top};
}

// Texts the program writes into controls at run time, longest candidates first.
struct RuntimeTexts {
    long dialog;
    int firstControl;
    int controlCount;
    std::vector<std::string> texts;
};

// Runs for each language library (the parameter is its locale): German texts are longer.
class GridTemplates : public ::testing::TestWithParam<int> {
protected:
    static void TearDownTestSuite() { closeLanguageHosts(); }
    void SetUp() override {
        const LanguageHost& host = languageHost(GetParam());
        ASSERT_NE(host.library, nullptr) << languageLibraryFile(GetParam()) << " did not load beside the test";
        ASSERT_TRUE(host.controlsRegistered) << "zvlkctrl.dll did not load beside the test or did not register";
        ASSERT_NE(host.owner, nullptr);
    }

    HWND create(long templateId, HWND parent = nullptr) const {
        return languageHost(GetParam()).create(templateId, parent);
    }
    std::string loadString(long id) const { return languageHost(GetParam()).loadString(id); }

    std::vector<RuntimeTexts> runtimeTexts() const {
        std::vector<std::string> rowLabels;
        for (int tab = 0; tab < 4; ++tab) {
            for (int row = 0; row < 16; ++row) {
                char text[16];
                snprintf(text, sizeof text, "ID%d%X:", tab, row);
                rowLabels.emplace_back(text);
            }
        }
        std::vector<std::string> entryKinds;
        for (long id = IDS_FRAME_TYPE_STANDARD; id < IDS_FRAME_TYPE_STANDARD + 4; ++id) entryKinds.push_back(loadString(id));
        entryKinds.push_back(loadString(IDS_LIN_ENTRY_HEADER));
        entryKinds.push_back(loadString(IDS_LIN_ENTRY_RESPONSE));
        // The conditions overview: each entry's pattern kind and action, the parameters
        std::vector<std::string> conditionKinds, conditionActions, units;
        for (const long id : {IDS_CONDITION_KIND_LIN_ERRORS, IDS_CONDITION_KIND_TRIGGER_INPUT, IDS_CONDITION_KIND_FRAME,
                              IDS_CONDITION_KIND_REMOTE, IDS_CONDITION_KIND_SYNC_LINE, IDS_CONDITION_KIND_INPUTS}) {
            conditionKinds.push_back(loadString(id));
        }
        for (long id = IDS_CONDITION_ACTION_FIRST; id < IDS_CONDITION_ACTION_FIRST + 7; ++id) {
            conditionActions.push_back(loadString(id));
        }
        for (long id = IDS_CONDITION_UNIT_MS; id < IDS_CONDITION_UNIT_MS + 3; ++id) units.push_back(loadString(id));
        for (auto* texts : {&conditionKinds, &conditionActions, &units}) {
            std::stable_sort(texts->begin(), texts->end(),
                             [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        }
        return {
            // The model and board of the connected analyzer
            {IDD_SETUP_WINDOW, IDC_SETUP_BOARD_TEXT, 1,
             {"AN-1100 + EX-NB2AP", "AN-2100 + EX-NB2AP", "AN-6100 + EX-NB2AP", "AN-1400 + EX-NB3BP",
              "AN-2400 + EX-NB3BP"}},
            // The bit rate the timing gives: kbit/s with a decimal, bit/s, too fast
            {IDD_SETUP_CAN_TIMING, IDC_TIMING_BIT_RATE, 1, {"833.3k", "33330", "------", "1M", "999.9"}},
            {IDD_SETUP_CAN_ENTRY, IDC_CAN_ENTRY_RANGE, 1, {"(0 - 7FF)", "(0 - 1FFFFFFF)"}},
            {IDD_SETUP_LIN_ID_LIST, IDC_ID_LIST_LABEL_FIRST, 16, rowLabels},
            {IDD_SETUP_TRANSMIT_OVERVIEW, IDC_OVERVIEW_LABEL_0, 1, entryKinds},
            {IDD_SETUP_TRANSMIT_OVERVIEW, IDC_OVERVIEW_LABEL_1, 15, entryKinds},
            {IDD_SETUP_TRANSMIT_OVERVIEW, IDC_OVERVIEW_IDENT_0, 1, {"1FFFFFFF", "7FF", "3F"}},
            {IDD_SETUP_TRANSMIT_OVERVIEW, IDC_OVERVIEW_IDENT_1, 15, {"1FFFFFFF", "7FF", "3F"}},
            {IDD_SETUP_CONDITIONS, IDC_CONDITIONS_KIND_1, 4, conditionKinds},
            {IDD_SETUP_CONDITIONS, IDC_CONDITIONS_ACTION_1, 4, conditionActions},
            {IDD_SETUP_CONDITIONS, IDC_CONDITIONS_TIME_1, 2, {"999999"}},
            {IDD_SETUP_CONDITIONS, IDC_CONDITIONS_UNIT_1, 2, units},
            {IDD_SETUP_CONDITIONS, IDC_CONDITIONS_COUNT_1, 2, {"999999"}},
            // The PC's time on the clock page
            {IDD_SETUP_CLOCK_ONLINE, IDC_CLOCK_PC_YEAR, 1, {"2099"}},
            {IDD_SETUP_CLOCK_ONLINE, IDC_CLOCK_PC_MONTH, 5, {"59", "00", "08"}},
        };
    }

};

INSTANTIATE_TEST_SUITE_P(Locales, GridTemplates, ::testing::ValuesIn(kLanguageLocales),
                         [](const ::testing::TestParamInfo<int>& locale) { return std::to_string(locale.param); });

// "IDD_SETUP_CAN_ENTRY (0x5e6), control 1247 "(0 - 1FFFFFFF)": 12 px too wide (86 px in 74 px)"
std::string clipped(const std::string& dialog, long templateId, HWND control, const std::string& text,
                    const char* what, LONG need, LONG room) {
    std::ostringstream s;
    s << dialog << " (0x" << std::hex << templateId << std::dec << "), control " << GetDlgCtrlID(control) << " \""
      << text << "\": " << (need - room) << " px too " << what << " (" << need << " px in " << room << " px)";
    return s.str();
}

void expectTextFits(HWND control, const std::string& text, const std::string& dialog, long templateId) {
    const TextRoom room = textRoom(control);
    if (!room.measured || text.empty()) return;
    const SIZE need = measure(control, text, room);
    EXPECT_LE(need.cx, room.width) << clipped(dialog, templateId, control, text, "wide", need.cx, room.width);
    EXPECT_LE(need.cy, room.height) << clipped(dialog, templateId, control, text, "high", need.cy, room.height);
}

TEST_P(GridTemplates, EveryTextFitsItsControl) {
    const auto all = gridTemplates(true);
    ASSERT_GE(all.size(), 30u);
    const auto extra = runtimeTexts();
    int measured = 0;
    for (const auto& [templateId, name] : all) {
        HWND dialog = create(templateId);
        ASSERT_NE(dialog, nullptr) << name << ", error " << GetLastError();
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            expectTextFits(child, windowText(child), name, templateId);
            measured += textRoom(child).measured ? 1 : 0;
        }
        for (const auto& run : extra) {
            if (run.dialog != templateId) continue;
            for (int id = run.firstControl; id < run.firstControl + run.controlCount; ++id) {
                HWND control = GetDlgItem(dialog, id);
                ASSERT_NE(control, nullptr) << name << " has no control " << id;
                ASSERT_TRUE(textRoom(control).measured) << name << ": control " << id << " shows no text";
                for (const auto& text : run.texts) expectTextFits(control, text, name, templateId);
            }
        }
        DestroyWindow(dialog);
    }
    EXPECT_GE(measured, 130);  // the measure saw the labels, not just a few of them
}

// The measure itself: a label one character wide cannot hold a word, and an empty
// placeholder is no text at all.
TEST_P(GridTemplates, MeasureFindsAClippedLabel) {
    HWND dialog = create(IDD_SETUP_PROTOCOLS);
    ASSERT_NE(dialog, nullptr);
    HWND narrow = CreateWindowExA(0, "STATIC", "Transmit channel:", WS_CHILD | SS_LEFT, 0, 0, 30, 13, dialog,
                                  nullptr, nullptr, nullptr);
    SendMessageA(narrow, WM_SETFONT, static_cast<WPARAM>(SendMessageA(dialog, WM_GETFONT, 0, 0)), FALSE);
    const TextRoom room = textRoom(narrow);
    ASSERT_TRUE(room.measured);
    EXPECT_GT(measure(narrow, windowText(narrow), room).cx, room.width);
    HWND box = CreateWindowExA(0, "BUTTON", "Start", WS_CHILD | BS_AUTOCHECKBOX, 0, 20, 200, 13, dialog, nullptr,
                               nullptr, nullptr);
    EXPECT_LT(textRoom(box).width, 200 - GetSystemMetrics(SM_CXMENUCHECK));
    EXPECT_FALSE(textRoom(GetDlgItem(create(IDD_SETUP_CHANNEL, dialog), IDC_CHANNEL_PLACE)).measured);
    DestroyWindow(dialog);
}

// No two visible controls of a template cover each other, except those that the program
// shows by turns on one row (a CAN entry's data bytes or, for remote frames, its length).
TEST_P(GridTemplates, VisibleControlsDoNotOverlap) {
    const std::map<long, std::vector<std::vector<int>>> byTurns = {
        {IDD_SETUP_CAN_ENTRY,
         {{IDC_CAN_ENTRY_DATA_LABEL, IDC_CAN_ENTRY_DATA},
          {IDC_CAN_ENTRY_LENGTH_LABEL, IDC_CAN_ENTRY_LENGTH, IDC_CAN_ENTRY_LENGTH_UNIT}}},
        {IDD_SETUP_SIGNAL_SETTINGS,
         {{IDC_SIGNAL_PATTERN_9, IDC_SIGNAL_CAPTION_9_1, IDC_SIGNAL_CAPTION_9_2, IDC_SIGNAL_CAPTION_9_3,
           IDC_SIGNAL_CAPTION_9_4, IDC_SIGNAL_CAPTION_9_5},
          {IDC_SIGNAL_PATTERN_5, IDC_SIGNAL_CAPTION_5}}},
    };
    auto groupOf = [&](long dialog, int id) {
        const auto it = byTurns.find(dialog);
        if (it == byTurns.end()) return -1;
        for (size_t g = 0; g < it->second.size(); ++g) {
            for (const int member : it->second[g]) {
                if (member == id) return static_cast<int>(g);
            }
        }
        return -1;
    };
    for (const auto& [templateId, name] : gridTemplates()) {
        HWND dialog = create(templateId);
        ASSERT_NE(dialog, nullptr) << name;
        std::vector<HWND> shown;
        for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            if (GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE) shown.push_back(c);
        }
        for (size_t i = 0; i < shown.size(); ++i) {
            for (size_t j = i + 1; j < shown.size(); ++j) {
                const int a = GetDlgCtrlID(shown[i]), b = GetDlgCtrlID(shown[j]);
                const int ga = groupOf(templateId, a), gb = groupOf(templateId, b);
                if (ga != -1 && gb != -1 && ga != gb) continue;
                RECT ra{}, rb{}, both{};
                GetWindowRect(shown[i], &ra);
                GetWindowRect(shown[j], &rb);
                EXPECT_FALSE(IntersectRect(&both, &ra, &rb))
                    << name << ": control " << a << " \"" << windowText(shown[i]) << "\" and control " << b << " \""
                    << windowText(shown[j]) << "\" overlap by " << (both.right - both.left) << " x "
                    << (both.bottom - both.top) << " px";
            }
        }
        DestroyWindow(dialog);
    }
}

// Where the program lays a sub-page (or a page, or the frame) onto a placeholder, the two
// have the same size; a smaller placeholder would cut the sub-page off, a larger one leave
// a gap that the layout does not expect.
TEST_P(GridTemplates, SubPagesFitTheirPlaceholdersExactly) {
    const struct {
        long parent;
        int placeholder;
        long child;
    } placements[] = {
        {IDD_SETUP_WINDOW, IDC_SETUP_FRAME_PLACE, IDD_SETUP_FRAME},
        {IDD_SETUP_CHANNEL, IDC_CHANNEL_PLACE, IDD_SETUP_CAN},
        {IDD_SETUP_CHANNEL, IDC_CHANNEL_PLACE, IDD_SETUP_LIN},
        {IDD_SETUP_CAN, IDC_CAN_TIMING_PLACE, IDD_SETUP_CAN_TIMING},
        {IDD_SETUP_CAN, IDC_CAN_PAIRS_PLACE, IDD_SETUP_CAN_PAIRS},
        {IDD_SETUP_LIN, IDC_LIN_PLACE, IDD_SETUP_LIN_TIMEOUT},
        {IDD_SETUP_LIN, IDC_LIN_PLACE, IDD_SETUP_LIN_ID_TABLE},
        {IDD_SETUP_LIN_ID_TABLE, IDC_ID_TABLE_PLACE, IDD_SETUP_LIN_ID_LIST},
        {IDD_SETUP_CAN_ENTRY, IDC_CAN_ENTRY_PLACE, IDD_SETUP_VARIATION},
        {IDD_SETUP_LIN_ENTRY, IDC_LIN_ENTRY_VARIATION_PLACE, IDD_SETUP_VARIATION},
        {IDD_SETUP_LIN_ENTRY, IDC_LIN_ENTRY_DATA_PLACE, IDD_SETUP_LIN_DATA},
        {IDD_SETUP_TIMER, IDC_TIMER_START_PLACE, IDD_SETUP_TIMER_TIME},
        {IDD_SETUP_TIMER, IDC_TIMER_STOP_PLACE, IDD_SETUP_TIMER_TIME},
        {IDD_SETUP_MODE, IDC_MODE_SCHEDULE_PLACE, IDD_SETUP_LIN_SCHEDULE},
        {IDD_SETUP_LIN_SCHEDULE, IDC_SCHEDULE_PLACE, IDD_SETUP_SCHEDULE_TABLE},
        {IDD_SETUP_LIN_SCHEDULE, IDC_SCHEDULE_PLACE, IDD_SETUP_SCHEDULE_SIMPLE},
        {IDD_SETUP_SETTINGS, IDC_SETTINGS_PLACE, IDD_SETUP_THINNING},
        {IDD_SETUP_SIGNAL_PATTERN, IDC_SIGNAL_PLACE, IDD_SETUP_SIGNAL_SETTINGS},
        {IDD_SETUP_RECORDING, IDC_RECORDING_PLACE, IDD_SETUP_RECORDING_PC},
    };
    const auto names = gridTemplates();
    auto check = [&](long parentId, int placeholder, long childId) {
        const std::string what = names.at(parentId) + " control " + std::to_string(placeholder) + " for " +
                                 names.at(childId);
        HWND parent = create(parentId);
        ASSERT_NE(parent, nullptr) << what;
        HWND place = GetDlgItem(parent, placeholder);
        ASSERT_NE(place, nullptr) << what;
        EXPECT_FALSE(GetWindowLongA(place, GWL_STYLE) & WS_VISIBLE) << what << ": the placeholder would show";
        HWND child = create(childId, parent);
        ASSERT_NE(child, nullptr) << what;
        RECT p{}, c{};
        GetWindowRect(place, &p);
        GetWindowRect(child, &c);
        EXPECT_EQ(p.right - p.left, c.right - c.left) << what << ": widths differ";
        EXPECT_EQ(p.bottom - p.top, c.bottom - c.top) << what << ": heights differ";
        DestroyWindow(parent);
    };
    for (const auto& placement : placements) check(placement.parent, placement.placeholder, placement.child);
    for (const long pattern : {IDD_SETUP_COND_LIN_ERRORS, IDD_SETUP_COND_FRAME, IDD_SETUP_COND_REMOTE,
                               IDD_SETUP_COND_TRIGGER_INPUT, IDD_SETUP_COND_SYNC_LINE, IDD_SETUP_COND_INPUTS}) {
        check(IDD_SETUP_CONDITION_ENTRY, IDC_CONDITION_PATTERN_PLACE, pattern);
    }
    for (const long action : {IDD_SETUP_ACT_TRIGGER, IDD_SETUP_ACT_COUNT, IDD_SETUP_ACT_PULSE, IDD_SETUP_ACT_LEVEL,
                              IDD_SETUP_ACT_BEEP, IDD_SETUP_ACT_MARKER}) {
        check(IDD_SETUP_CONDITION_ENTRY, IDC_CONDITION_ACTION_PLACE, action);
    }
    check(IDD_SEARCH, IDC_SEARCH_PLACE, IDD_SEARCH_CONDITION);
    for (const long kind : {IDD_SEARCH_TRIGGER, IDD_SEARCH_LIN_ERRORS, IDD_SEARCH_FRAME, IDD_SEARCH_REMOTE,
                            IDD_SEARCH_TIME, IDD_SEARCH_EXT_LEVEL}) {
        check(IDD_SEARCH_CONDITION, IDC_SEARCH_KIND_PLACE, kind);
    }
    // Every page of the tree goes onto the frame's placeholder.
    for (const long page : {IDD_SETUP_MODE, IDD_SETUP_PROTOCOLS, IDD_SETUP_SETTINGS, IDD_SETUP_CHANNEL,
                            IDD_SETUP_CONDITIONS, IDD_SETUP_CONDITION_ENTRY, IDD_SETUP_CONDITION_PARAMS,
                            IDD_SETUP_TRANSMIT_OVERVIEW, IDD_SETUP_CAN_ENTRY, IDD_SETUP_LIN_ENTRY,
                            IDD_SETUP_SIGNAL_PATTERN, IDD_SETUP_TIMER, IDD_SETUP_RECORDING, IDD_SETUP_CLOCK_OFFLINE,
                            IDD_SETUP_CLOCK_ONLINE, IDD_SETUP_BOARD_2A, IDD_SETUP_BOARD_6100,
                            IDD_SETUP_BOARD_OTHER}) {
        check(IDD_SETUP_FRAME, IDC_FRAME_PAGE_PLACE, page);
    }
}

// Every bit-pattern field (its header says "bit-pattern field, N bits") shows all its cells:
// zvlkctrl paints a cell as wide as the widest digit plus six pixels, an eighth of a cell
// between cells, four pixels in from the edge when it draws its own frame (two inside a
// border); the last cell keeps two pixels clear of the frame.
TEST_P(GridTemplates, BitPatternFieldsShowAllTheirBits) {
    std::vector<std::string> errors;
    const auto names = gridTemplates();
    std::map<std::string, long> templateOfHeader;
    for (const auto& id : allIds(errors)) {
        if (startsWith(id.name, "IDD_") && names.count(id.value) != 0) templateOfHeader[id.header] = id.value;
    }
    int checked = 0;
    for (const auto& id : allIds(errors)) {
        const size_t at = id.comment.find("bit-pattern field, ");
        if (!startsWith(id.name, "IDC_") || at == std::string::npos) continue;
        const int bits = std::atoi(id.comment.c_str() + at + std::strlen("bit-pattern field, "));
        ASSERT_TRUE(bits >= 4 && bits <= 9) << id.name << ": " << id.comment;
        const long templateId = templateOfHeader.at(id.header);
        HWND dialog = create(templateId);
        ASSERT_NE(dialog, nullptr) << id.header;
        HWND field = GetDlgItem(dialog, static_cast<int>(id.value));
        ASSERT_NE(field, nullptr) << id.name;
        EXPECT_EQ(className(field), "VRX_BitPattern") << id.name;
        EXPECT_TRUE(SendMessageA(field, WM_USER, 0, bits)) << id.name << " refuses " << bits << " bits";
        HDC dc = GetDC(field);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
        int widest = 0;
        for (const char c : std::string("0123456789ABCDEFxP?-")) {
            SIZE size{};
            GetTextExtentPoint32A(dc, &c, 1, &size);
            widest = std::max(widest, static_cast<int>(size.cx));
        }
        SelectObject(dc, old);
        ReleaseDC(field, dc);
        const int cell = widest + 6;
        const bool border = (GetWindowLongA(field, GWL_STYLE) & WS_BORDER) != 0;
        const int need = (border ? 2 : 4) + bits * cell + (bits - 1) * (cell / 8) + 2;
        RECT client{};
        GetClientRect(field, &client);
        EXPECT_GE(client.right, need) << names.at(templateId) << ": " << id.name << " (" << bits << " bits)";
        ++checked;
        DestroyWindow(dialog);
    }
    EXPECT_EQ(checked, 25);  // the frame and remote-frame patterns of conditions and search, the inputs, the signals
}

// The LIN schedule's slot table, which the program lays onto its placeholder, lays out its
// rows from the letter "A" of the UI font (or of the page's font): a row is as wide as
// 24 letters and four fields of a letter and eleven pixels, plus eight pixels, and
// letter height + 9 pixels high. The placeholder holds a row beside the scroll bar and shows
// about half of the sixteen rows.
TEST_P(GridTemplates, ScheduleSlotPlaceholderHoldsTheSlotRows) {
    HWND page = create(IDD_SETUP_SCHEDULE_TABLE);
    ASSERT_NE(page, nullptr);
    RECT place{};
    GetClientRect(GetDlgItem(page, IDC_SCHEDULE_SLOTS_PLACE), &place);
    // The UI font as the program makes it from string 1.
    const std::optional<zv::shell::UiFontSpec> fontText = zv::shell::parseUiFont(loadString(IDS_UI_FONT));
    ASSERT_TRUE(fontText.has_value());
    HDC dc = GetDC(page);
    LOGFONTA logFont{};
    logFont.lfHeight = zv::shell::fontHeightForPoints(fontText->points, GetDeviceCaps(dc, LOGPIXELSY));
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(logFont.lfFaceName, fontText->face.c_str(), LF_FACESIZE);
    HFONT uiFont = CreateFontIndirectA(&logFont);
    for (HFONT font : {uiFont, reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0))}) {
        HGDIOBJ old = SelectObject(dc, font);
        SIZE a{};
        GetTextExtentPoint32A(dc, "A", 1, &a);
        SelectObject(dc, old);
        const int field = a.cx + 11;
        const int rowWidth = 24 * a.cx + 4 * field + 8 + GetSystemMetrics(SM_CXVSCROLL);
        const double rowsInView = static_cast<double>(place.bottom) / (a.cy + 9);
        EXPECT_GE(place.right, rowWidth) << "letter " << a.cx << " x " << a.cy << " px";
        EXPECT_GE(rowsInView, 7.0) << "letter " << a.cx << " x " << a.cy << " px";
        EXPECT_LE(rowsInView, 10.0) << "letter " << a.cx << " x " << a.cy << " px";
    }
    DeleteObject(uiFont);
    ReleaseDC(page, dc);
    DestroyWindow(page);
}

// The identifier list lies inside the display area of its tab control, below the tabs.
TEST_P(GridTemplates, IdentifierListLiesInsideItsTabs) {
    HWND table = create(IDD_SETUP_LIN_ID_TABLE);
    ASSERT_NE(table, nullptr);
    HWND tabs = GetDlgItem(table, IDC_ID_TABLE_TABS);
    ASSERT_NE(tabs, nullptr);
    for (long id = IDS_ID_TABLE_TAB_1; id < IDS_ID_TABLE_TAB_1 + 4; ++id) {
        std::string text = loadString(id);
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(id - IDS_ID_TABLE_TAB_1), reinterpret_cast<LPARAM>(&item));
    }
    RECT area{};
    GetClientRect(tabs, &area);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MapWindowPoints(tabs, table, reinterpret_cast<POINT*>(&area), 2);
    RECT place{};
    GetWindowRect(GetDlgItem(table, IDC_ID_TABLE_PLACE), &place);
    MapWindowPoints(nullptr, table, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_GE(place.left, area.left);
    EXPECT_GE(place.top, area.top) << "the list would cover the tabs";
    EXPECT_LE(place.right, area.right);
    EXPECT_LE(place.bottom, area.bottom);
    DestroyWindow(table);
}

// Pictures for reviewing the layout: each template in a visible window, with the runtime
// texts filled in, saved as <folder>/<name>.png.
TEST_P(GridTemplates, PicturesOfTheTemplates) {
    const char* folder = std::getenv("ZV_TEMPLATE_SHOTS");
    if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "ZV_TEMPLATE_SHOTS is not set";
    HWND host = CreateWindowExA(0, "STATIC", "templates", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    const auto extra = runtimeTexts();
    for (const auto& [templateId, name] : gridTemplates()) {
        HWND dialog = create(templateId, host);
        ASSERT_NE(dialog, nullptr) << name;
        const bool child = (GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) != 0;
        for (const auto& run : extra) {
            if (run.dialog != templateId) continue;
            for (int id = run.firstControl; id < run.firstControl + run.controlCount; ++id) {
                SetDlgItemTextA(dialog, id, run.texts.front().c_str());
            }
        }
        // Placeholders show as frames in the picture.
        for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_BLACKFRAME && className(c) == "Static") {
                ShowWindow(c, SW_SHOW);
            }
        }
        if (!child) SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        ShowWindow(dialog, SW_SHOW);
        RECT r{};
        GetWindowRect(dialog, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        MSG msg;
        for (int i = 0; i < 20; ++i) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(10);
        }
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const size_t width = static_cast<size_t>(w), height = static_cast<size_t>(h);
        std::vector<uint8_t> rgb(width * height * 3);
        const size_t stride = (width * 3 + 3) & ~size_t{3};
        for (size_t y = 0; y < height; ++y) {
            const auto* row = static_cast<const uint8_t*>(bits) + stride * y;
            for (size_t x = 0; x < width; ++x) {
                uint8_t* px = &rgb[(y * width + x) * 3];
                px[0] = row[x * 3 + 2];
                px[1] = row[x * 3 + 1];
                px[2] = row[x * 3];
            }
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        const auto png = zvui::encodePng(static_cast<uint32_t>(w), static_cast<uint32_t>(h), rgb);
        const std::string path = std::string(folder) + "\\" + name + "-" + std::to_string(GetParam()) + ".png";
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr) << path;
        std::fwrite(png.data(), 1, png.size(), file);
        std::fclose(file);
        DestroyWindow(dialog);
    }
    DestroyWindow(host);
}

}  // namespace
}  // namespace zv::wintest
