// The look of both controls, checked on their painted pixels: don't-care bits stand out in
// their own colour, empty bytes are grey, a disabled control has no dark text. With
// ZV_CTRL_SCREENSHOT set to a file name, a gallery of states is saved there as a BMP.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "control_host_win.h"

namespace zv::wintest {
namespace {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgra;

    template <typename Pred>
    int count(Pred pred) const {
        int n = 0;
        for (uint32_t p : bgra) {
            const int b = static_cast<int>(p & 0xFF), g = static_cast<int>((p >> 8) & 0xFF),
                      r = static_cast<int>((p >> 16) & 0xFF);
            if (pred(r, g, b)) ++n;
        }
        return n;
    }
};

// Paints the control into a 32-bit DIB through WM_PRINTCLIENT.
Pixels render(HWND control) {
    Pixels px;
    RECT rc{};
    GetClientRect(control, &rc);
    px.width = rc.right;
    px.height = rc.bottom;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = px.width;
    bi.bmiHeader.biHeight = -px.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    px.bgra.assign(p, p + px.width * px.height);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return px;
}

bool bluish(int r, int g, int b) { return b > 150 && r < 90 && g < 150; }
bool dark(int r, int g, int b) { return r < 60 && g < 60 && b < 60; }
bool midGrey(int r, int g, int b) {
    return r > 90 && r < 200 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
}

class ControlLook : public ControlHost {};

TEST_F(ControlLook, DontCareBitsHaveTheirOwnColour) {
    HWND h = bits(1, 8);
    EXPECT_GT(render(h).count(bluish), 10) << "eight don't-care bits";
    showBits(h, 0xFF, 0x5A);
    const Pixels set = render(h);
    EXPECT_EQ(set.count(bluish), 0) << "no don't-care bit left";
    EXPECT_GT(set.count(dark), 10);
}

TEST_F(ControlLook, EmptyBytesAreGreyAndDisabledControlsHaveNoDarkText) {
    HWND h = hex(1, 1);
    const Pixels empty = render(h);
    EXPECT_EQ(empty.count(dark), 0) << "an empty byte shows no dark digits";
    const uint8_t b = 0x88;
    showBytes(h, &b, 1);
    EXPECT_GT(render(h).count(dark), 10);
    EnableWindow(h, FALSE);
    EXPECT_EQ(render(h).count(dark), 0);
    EXPECT_GT(render(h).count(midGrey), 10);
}

TEST_F(ControlLook, CaretCellIsHighlightedOnlyWithTheFocus) {
    HWND h = bits(1, 6);
    showBits(h, 0x3F, 0);
    const COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
    auto highlighted = [hl](int r, int g, int b) {
        return r == GetRValue(hl) && g == GetGValue(hl) && b == GetBValue(hl);
    };
    EXPECT_EQ(render(h).count(highlighted), 0);
    focus(h);
    ASSERT_EQ(GetFocus(), h);
    EXPECT_GT(render(h).count(highlighted), 20);
}

// --- gallery for the eye ------------------------------------------------------------------

bool writeBmp(const char* path, HDC source, int x, int y, int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + imageSize;
    bool ok = false;
    if (FILE* f = std::fopen(path, "wb")) {
        ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, imageSize, 1, f) == 1;
        ok = std::fclose(f) == 0 && ok;
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    return ok;
}

TEST_F(ControlLook, GalleryOfStates) {
    const char* shot = std::getenv("ZV_CTRL_SCREENSHOT");
    MoveWindow(host_, 40, 40, 560, 380, TRUE);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    int y = 12;
    auto row = [&](const char* label, HWND control) {
        HWND text = add("STATIC", -1, 12, y + 4, 250, 16);
        SetWindowTextA(text, label);
        SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        MoveWindow(control, 270, y, 240, 22, TRUE);
        y += 30;
    };
    HWND data = hex(10, 8);
    const uint8_t bytes[3] = {0x11, 0x2A, 0xF0};
    showBytes(data, bytes, 3);
    row("Eight data bytes, three entered", data);

    HWND pattern = hex(11, 8);
    const uint8_t cells[32] = {0xFF, 0x12, 0, 0, 0xF0, 0x30, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0,
                               0, 3, 0, 0, 0x3C, 0x08, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0};
    SendMessageA(pattern, ctrl::kMsgSetValue, 8, reinterpret_cast<LPARAM>(cells));
    row("Data pattern: byte, 3x, any, P1, P3, partial", pattern);

    HWND one = hex(12, 1);
    row("One byte, empty", one);

    HWND pair = hex(13, 5);
    const int values[2] = {0x12, 0xFE};
    SendMessageA(pair, ctrl::kMsgSetValue, 0, reinterpret_cast<LPARAM>(values));
    row("Two-part field", pair);

    HWND edged = add(ctrl::kHexInputClass, 14, 0, 0, 10, 10, 0, WS_EX_CLIENTEDGE);
    SendMessageA(edged, ctrl::kMsgConfigure, 0, 1);
    const uint8_t b = 0x7E;
    showBytes(edged, &b, 1);
    row("One byte, client edge from the template", edged);

    HWND five = bits(20, 5);
    showBits(five, 0x1A, 0x08);
    row("Five bits: x 0 x 1 0 (bit 0 on the left)", five);

    HWND nine = bits(21, 9);
    showBits(nine, 0x1F3, 0x0A1);
    row("Nine bits, focused, caret on bit 2", nine);

    HWND msb = bits(22, 8, 10, ctrl::kStyleMsbLeft);
    showBits(msb, 0xF0, 0xA0);
    row("Eight bits, most significant left", msb);

    HWND offBits = bits(23, 5);
    showBits(offBits, 0x0F, 0x05);
    EnableWindow(offBits, FALSE);
    row("Disabled bit field", offBits);

    HWND offHex = hex(24, 8);
    showBytes(offHex, bytes, 2);
    EnableWindow(offHex, FALSE);
    row("Disabled data bytes", offHex);

    focus(nine);
    key(nine, VK_RIGHT);
    key(nine, VK_RIGHT);
    UpdateWindow(host_);
    pump();
    Sleep(300);
    pump();
    EXPECT_EQ(y, 12 + 10 * 30);
    if (shot == nullptr || *shot == '\0') return;  // nobody asked for the picture
    // The client area only: without a window manager the frame is not drawn.
    RECT cr{};
    GetClientRect(host_, &cr);
    POINT origin{0, 0};
    ClientToScreen(host_, &origin);
    HDC screen = GetDC(nullptr);
    EXPECT_TRUE(writeBmp(shot, screen, origin.x, origin.y, cr.right, cr.bottom));
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace zv::wintest
