// "VRX_BitPattern" through its messages, as the condition, search and signal pages drive it.
#include "control_host_win.h"

namespace zv::wintest {
namespace {

using ctrl::kMsgConfigure;
using ctrl::kMsgGetBytes;

class BitPatternWindow : public ControlHost {};

TEST_F(BitPatternWindow, FourToNineBitsConfigure) {
    HWND h = add(ctrl::kBitPatternClass, 2269, 10, 10, 150, 22);
    for (int n = 4; n <= 9; ++n) EXPECT_EQ(SendMessageA(h, kMsgConfigure, 0, n), TRUE) << n;
    showBits(h, 0x1FF, 0x0AA);
    for (LPARAM bad : {LPARAM{0}, LPARAM{3}, LPARAM{10}, LPARAM{32}, LPARAM{-5}})
        EXPECT_EQ(SendMessageA(h, kMsgConfigure, 0, bad), FALSE) << bad;
    int mask = 0, value = 0;
    readBits(h, mask, value);
    EXPECT_EQ(mask, 0x1FF) << "a refused width leaves the value";
    EXPECT_EQ(value, 0x0AA);
}

TEST_F(BitPatternWindow, ValueReadsBackAsSet) {
    for (int n : {4, 5, 8, 9}) {
        HWND h = bits(1000 + n, n);
        const int all = (1 << n) - 1;
        for (int mask : {0, all, 1, 1 << (n - 1), all & 0x55}) {
            const int value = all & 0x1A5 & mask;
            showBits(h, mask, value);
            int m = -1, v = -1;
            readBits(h, m, v);
            EXPECT_EQ(m, mask) << n;
            EXPECT_EQ(v, value) << n;
        }
        DestroyWindow(h);
    }
}

TEST_F(BitPatternWindow, TypedKeysSetBitsLeftToRight) {
    HWND h = bits(2272, 5);
    focus(h);
    typeText(h, "1x0 1");
    int mask = 0, value = 0;
    readBits(h, mask, value);
    // The leftmost cell is bit 0.
    EXPECT_EQ(mask, 0b10101);
    EXPECT_EQ(value, 0b10001);
    key(h, VK_HOME);
    typeText(h, "-");
    key(h, VK_END);
    key(h, VK_DELETE);
    readBits(h, mask, value);
    EXPECT_EQ(mask, 0b00100);
    EXPECT_EQ(value, 0);
    key(h, VK_LEFT);
    typeText(h, "1");
    key(h, VK_BACK);  // back over the bit just typed: don't-care again
    readBits(h, mask, value);
    EXPECT_EQ(mask, 0b00100);
    typeText(h, "27?");
    readBits(h, mask, value);
    EXPECT_EQ(mask, 0b00100) << "other characters are ignored";
}

TEST_F(BitPatternWindow, MostSignificantFirstStyle) {
    HWND h = bits(1289, 9, 10, ctrl::kStyleMsbLeft);
    focus(h);
    typeText(h, "1");
    int mask = 0, value = 0;
    readBits(h, mask, value);
    EXPECT_EQ(mask, 0x100);
    EXPECT_EQ(value, 0x100);
}

TEST_F(BitPatternWindow, ClicksSelectAndThenStepTheBit) {
    HWND h = bits(1213, 4);
    clickRightEnd(h);  // takes the focus and selects bit 3
    EXPECT_EQ(GetFocus(), h);
    int mask = 0, value = 0;
    readBits(h, mask, value);
    EXPECT_EQ(mask, 0);
    clickRightEnd(h);  // x -> 0
    readBits(h, mask, value);
    EXPECT_EQ(mask, 0x8);
    EXPECT_EQ(value, 0);
    SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(146, 10));  // 0 -> 1
    readBits(h, mask, value);
    EXPECT_EQ(value, 0x8);
}

TEST_F(BitPatternWindow, ChainedFieldsPassTheFocusAfterTheLastBitOrOnEnter) {
    const int ids[4] = {2171, 2170, 2168, 2169};
    HWND f[4];
    for (int i = 0; i < 4; ++i) f[i] = bits(ids[i], i == 0 ? 5 : 8, 10 + 30 * i);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(SendMessageA(f[i], kMsgGetBytes, ctrl::kChainParam, ids[i + 1]), TRUE);
    EXPECT_EQ(SendMessageA(f[3], kMsgGetBytes, 1, ids[0]), FALSE) << "only wParam 2 chains";
    focus(f[0]);
    typeText(f[0], "1111");
    EXPECT_EQ(GetFocus(), f[0]);
    typeText(f[0], "0");
    EXPECT_EQ(GetFocus(), f[1]);
    key(f[1], VK_RETURN);
    EXPECT_EQ(GetFocus(), f[2]);
    // The pages store on the loss of focus: each field reported it in order.
    const std::vector<Notice> expected{{2171, -7}, {2171, -8}, {2170, -7}, {2170, -8}, {2168, -7}};
    EXPECT_EQ(notices(), expected);
    int mask = 0, value = 0;
    readBits(f[0], mask, value);
    EXPECT_EQ(mask, 0x1F);
    EXPECT_EQ(value, 0x0F);
    // The last field is not chained: it keeps the focus, and Enter goes to the dialog.
    focus(f[3]);
    typeText(f[3], "00000000");
    EXPECT_EQ(GetFocus(), f[3]);
    MSG enter{f[3], WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_EQ(SendMessageA(f[3], WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE, 0);
    // A chain to a missing or hidden field does not lose the focus.
    SendMessageA(f[3], kMsgGetBytes, ctrl::kChainParam, 4242);
    key(f[3], VK_RETURN);
    EXPECT_EQ(GetFocus(), f[3]);
    ShowWindow(f[0], SW_HIDE);
    SendMessageA(f[3], kMsgGetBytes, ctrl::kChainParam, ids[0]);
    key(f[3], VK_RETURN);
    EXPECT_EQ(GetFocus(), f[3]);
}

}  // namespace
}  // namespace zv::wintest
