// "VRX_HexInput" through its messages, as the setup and search pages drive it.
#include <cstring>
#include <string>

#include "control_host_win.h"

namespace zv::wintest {
namespace {

using ctrl::kMsgConfigure;
using ctrl::kMsgGetBytes;
using ctrl::kMsgGetValue;
using ctrl::kMsgSetValue;

class HexInputWindow : public ControlHost {};

TEST_F(HexInputWindow, ClassesAreGlobalAndRegisteringAgainIsHarmless) {
    VRX_RegisterControlsFn reg = registerControls();
    ASSERT_NE(reg, nullptr);
    EXPECT_TRUE(reg(GetModuleHandleA(nullptr)));
    EXPECT_TRUE(reg(nullptr));
    for (const char* name : {ctrl::kHexInputClass, ctrl::kBitPatternClass}) {
        // Found through the program's own module handle: a global class.
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), name, &wc)) << name;
        EXPECT_NE(wc.style & CS_GLOBALCLASS, 0u) << name;
    }
}

// A library freed while the process goes on takes its classes along: windows created later
// must not reach into unloaded code.
TEST_F(HexInputWindow, FreeingTheLibraryRemovesItsClasses) {
    bool gone = false;
    ASSERT_TRUE(unloadAndReloadControlLibrary(gone));
    EXPECT_TRUE(gone);
    VRX_RegisterControlsFn reg = registerControls();
    ASSERT_NE(reg, nullptr);
    ASSERT_TRUE(reg(GetModuleHandleA(nullptr)));
    HWND h = hex(1, 8);
    const uint8_t b = 0x42;
    showBytes(h, &b, 1);
    uint8_t out = 0;
    EXPECT_EQ(readBytes(h, &out, 1), 1);
    EXPECT_EQ(out, 0x42);
}

TEST_F(HexInputWindow, OnlyKinds1_5_6_8Configure) {
    HWND h = add(ctrl::kHexInputClass, 100, 10, 10, 200, 22);
    for (int kind : {1, 5, 6, 8}) EXPECT_EQ(SendMessageA(h, kMsgConfigure, 0, kind), TRUE) << kind;
    const uint8_t bytes[3] = {1, 2, 3};
    showBytes(h, bytes, 3);
    for (LPARAM bad : {LPARAM{0}, LPARAM{2}, LPARAM{7}, LPARAM{9}, LPARAM{-1}})
        EXPECT_EQ(SendMessageA(h, kMsgConfigure, 0, bad), FALSE) << bad;
    if constexpr (sizeof(LPARAM) > 4) {
        // 8 in the low 32 bits is not kind 8.
        EXPECT_EQ(SendMessageA(h, kMsgConfigure, 0, static_cast<LPARAM>(0x100000008LL)), FALSE);
    }
    uint8_t out[8] = {};
    EXPECT_EQ(readBytes(h, out, 8), 3) << "a refused kind leaves the control as it was";
}

TEST_F(HexInputWindow, PatternCellsReadBackAsSet) {
    HWND h = hex(1293, 8);
    const uint8_t cells[32] = {0xFF, 0x12, 0, 0, 0xF0, 0x30, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0,
                               0x0F, 0x0A, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0};
    EXPECT_EQ(SendMessageA(h, kMsgSetValue, 8, reinterpret_cast<LPARAM>(cells)), TRUE);
    uint8_t back[32];
    std::memset(back, 0xEE, sizeof back);
    EXPECT_EQ(SendMessageA(h, kMsgGetValue, 8, reinterpret_cast<LPARAM>(back)), 8);
    EXPECT_EQ(0, std::memcmp(cells, back, sizeof cells));
    EXPECT_EQ(SendMessageA(h, kMsgSetValue, 8, 0), FALSE) << "no pointer, no change";
}

TEST_F(HexInputWindow, OneByteFilledWithNoBytesHoldsNoValue) {
    HWND h = hex(401, 1);
    const uint8_t b = 0x3C;
    showBytes(h, &b, 1);
    uint8_t out = 0;
    EXPECT_EQ(readBytes(h, &out, 1), 1);
    EXPECT_EQ(out, 0x3C);
    showBytes(h, &b, 0);
    out = 0x77;
    EXPECT_EQ(readBytes(h, &out, 1), 0);
    EXPECT_EQ(out, 0x77);
}

TEST_F(HexInputWindow, EightDataBytesAsASequence) {
    HWND h = hex(1223, 8);
    const uint8_t data[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    showBytes(h, data, 3);
    uint8_t out[8] = {};
    EXPECT_EQ(readBytes(h, out, 8), 3);
    EXPECT_EQ(0, std::memcmp(out, data, 3));
    showBytes(h, data, 8);
    uint8_t two[2] = {};
    EXPECT_EQ(readBytes(h, two, 2), 2) << "never more than the capacity";
    EXPECT_EQ(readBytes(h, nullptr, 8), 0);
}

TEST_F(HexInputWindow, TwoPartFieldsTakeTwoValues) {
    for (int kind : {5, 6}) {
        HWND h = hex(1192 + kind, kind);
        const int pair[2] = {0x12, 0xFE};
        EXPECT_EQ(SendMessageA(h, kMsgSetValue, 0, reinterpret_cast<LPARAM>(pair)), TRUE);
        int back[2] = {-1, -1};
        EXPECT_EQ(SendMessageA(h, kMsgGetValue, 0, reinterpret_cast<LPARAM>(back)), 2) << kind;
        EXPECT_EQ(back[0], 0x12);
        EXPECT_EQ(back[1], 0xFE);
    }
}

TEST_F(HexInputWindow, TypedKeysEditTheBytes) {
    HWND h = hex(1223, 8);
    focus(h);
    typeText(h, "1aB2");
    uint8_t out[8] = {};
    ASSERT_EQ(readBytes(h, out, 8), 2);
    EXPECT_EQ(out[0], 0x1A);
    EXPECT_EQ(out[1], 0xB2);
    typeText(h, "zx!");  // not hexadecimal digits; no pattern either
    EXPECT_EQ(readBytes(h, out, 8), 2);
    key(h, VK_BACK);
    EXPECT_EQ(readBytes(h, out, 8), 1) << "backspace empties the byte before the caret";
    key(h, VK_HOME);
    key(h, VK_DELETE);
    EXPECT_EQ(readBytes(h, out, 8), 0);
    key(h, VK_END);
    typeText(h, "9");
    EXPECT_EQ(readBytes(h, out, 8), 8) << "the last byte typed; the empty ones before it read 0";
    EXPECT_EQ(out[7], 0x09);
    EXPECT_EQ(out[0], 0);
}

TEST_F(HexInputWindow, PatternTypingGivesDontCareDigits) {
    HWND h = hex(1293, 8);
    uint8_t cells[32] = {};
    for (int i = 0; i < 8; ++i) cells[i * 4 + 1] = 0xFF;
    SendMessageA(h, kMsgSetValue, 8, reinterpret_cast<LPARAM>(cells));
    focus(h);
    typeText(h, "4x*p");
    SendMessageA(h, kMsgGetValue, 8, reinterpret_cast<LPARAM>(cells));
    EXPECT_EQ(cells[0], 0xF0);  // "4x"
    EXPECT_EQ(cells[1], 0x40);
    EXPECT_EQ(cells[4], 0);     // "xx": any byte
    EXPECT_EQ(cells[5], 0);
    EXPECT_EQ(cells[8], 0);     // "P1": extra pattern 1
    EXPECT_EQ(cells[9], 1);
    EXPECT_EQ(cells[13], 0xFF) << "the rest still ends the pattern";
}

TEST_F(HexInputWindow, ClickPutsTheCaretOnTheByteUnderIt) {
    HWND h = hex(1223, 8);
    clickRightEnd(h);
    EXPECT_EQ(GetFocus(), h) << "a click takes the focus";
    typeText(h, "F");
    uint8_t out[8] = {};
    ASSERT_EQ(readBytes(h, out, 8), 8);
    EXPECT_EQ(out[7], 0x0F) << "the click landed on the low digit of the last byte";
}

TEST_F(HexInputWindow, FocusNotifiesTheParent) {
    HWND a = hex(401, 1, 10);
    HWND b = hex(402, 1, 40);
    focus(a);
    focus(b);
    const std::vector<Notice> expected{{401, ctrl::kNotifyGotFocus},
                                       {401, ctrl::kNotifyLostFocus},
                                       {402, ctrl::kNotifyGotFocus}};
    EXPECT_EQ(notices(), expected);
}

TEST_F(HexInputWindow, ChainedPairsPassTheFocusOn) {
    HWND first = hex(1193, 5, 10);
    HWND second = hex(1194, 5, 40);
    HWND third = hex(1195, 5, 70);
    EXPECT_EQ(SendMessageA(first, kMsgGetBytes, ctrl::kChainParam, 1194), TRUE);
    EXPECT_EQ(SendMessageA(second, kMsgGetBytes, ctrl::kChainParam, 1195), TRUE);
    focus(first);
    typeText(first, "0102");
    EXPECT_EQ(GetFocus(), second) << "typing the last digit moves on";
    int pair[2] = {};
    EXPECT_EQ(SendMessageA(first, kMsgGetValue, 0, reinterpret_cast<LPARAM>(pair)), 2);
    EXPECT_EQ(pair[1], 2);
    // Enter is wanted only by a chained field, and moves on.
    MSG enter{second, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_NE(SendMessageA(second, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE, 0);
    enter.hwnd = third;
    EXPECT_EQ(SendMessageA(third, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE, 0);
    key(second, VK_RETURN);
    EXPECT_EQ(GetFocus(), third);
    // The end of an unchained field keeps the focus; Tab is left to the dialog.
    typeText(third, "ABCD");
    EXPECT_EQ(GetFocus(), third);
    EXPECT_EQ(SendMessageA(third, WM_GETDLGCODE, 0, 0) & (DLGC_WANTTAB | DLGC_WANTALLKEYS), 0);
    EXPECT_NE(SendMessageA(third, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS, 0);
}

std::string clipboard(HWND owner) {
    std::string text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

TEST_F(HexInputWindow, CtrlCAndCtrlVGoThroughTheClipboard) {
    HWND from = hex(1293, 8, 10);
    HWND to = hex(1294, 8, 40);
    const uint8_t cells[32] = {0xFF, 0xA5, 0, 0, 0xF0, 0x30, 0, 0, 0, 3, 0, 0, 0, 0xFF, 0, 0};
    SendMessageA(from, kMsgSetValue, 4, reinterpret_cast<LPARAM>(cells));
    uint8_t blank[32] = {};
    SendMessageA(to, kMsgSetValue, 8, reinterpret_cast<LPARAM>(blank));
    focus(from);
    typeText(from, "\x03");
    EXPECT_EQ(clipboard(host_), "A5 3x P3 -- -- -- -- --");
    focus(to);
    typeText(to, "\x16");
    uint8_t back[32] = {};
    SendMessageA(to, kMsgGetValue, 8, reinterpret_cast<LPARAM>(back));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(back[i * 4], cells[i * 4]) << i;
        EXPECT_EQ(back[i * 4 + 1], cells[i * 4 + 1]) << i;
    }
    // A bit-pattern field takes pasted bits the same way.
    HWND field = bits(2269, 9);
    if (OpenClipboard(host_)) {
        EmptyClipboard();
        HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 12);
        std::memcpy(GlobalLock(mem), "1 0 x 1\r\n", 10);
        GlobalUnlock(mem);
        SetClipboardData(CF_TEXT, mem);
        CloseClipboard();
    }
    SendMessageA(field, WM_PASTE, 0, 0);
    int mask = 0, value = 0;
    readBits(field, mask, value);
    EXPECT_EQ(mask, 0b1011);
    EXPECT_EQ(value, 0b1001);
}

// The classes work in dialog templates of any module, as the language library uses them.
TEST_F(HexInputWindow, DialogTemplatesCreateBothControls) {
    alignas(4) WORD buf[512] = {};
    WORD* p = buf;
    auto* dlg = reinterpret_cast<DLGTEMPLATE*>(p);
    dlg->style = WS_CHILD | DS_CONTROL;
    dlg->cdit = 2;
    dlg->cx = 200;
    dlg->cy = 60;
    p = reinterpret_cast<WORD*>(dlg + 1);
    *p++ = 0;  // no menu
    *p++ = 0;  // default class
    *p++ = 0;  // no title
    const struct { const char* cls; WORD id; short y; } items[] = {
        {ctrl::kHexInputClass, 1293, 5}, {ctrl::kBitPatternClass, 1289, 25}};
    for (const auto& item : items) {
        p = reinterpret_cast<WORD*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3});
        auto* it = reinterpret_cast<DLGITEMTEMPLATE*>(p);
        it->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        it->x = 5;
        it->y = item.y;
        it->cx = 150;
        it->cy = 14;
        it->id = item.id;
        p = reinterpret_cast<WORD*>(it + 1);
        for (const char* c = item.cls; *c; ++c) *p++ = static_cast<WORD>(*c);
        *p++ = 0;
        *p++ = 0;  // no text
        *p++ = 0;  // no creation data
    }
    HWND page = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dlg, host_, nullptr, 0);
    ASSERT_NE(page, nullptr);
    HWND hexInput = GetDlgItem(page, 1293);
    HWND bitField = GetDlgItem(page, 1289);
    ASSERT_NE(hexInput, nullptr);
    ASSERT_NE(bitField, nullptr);
    EXPECT_EQ(SendMessageA(hexInput, kMsgConfigure, 0, 8), TRUE);
    EXPECT_EQ(SendMessageA(bitField, kMsgConfigure, 0, 5), TRUE);
    DestroyWindow(page);
}

}  // namespace
}  // namespace zv::wintest
