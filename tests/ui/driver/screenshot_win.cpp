// Screenshots: the window's rectangle copied from the screen, written as PNG.
#include <cstdio>
#include <vector>

#include "png_writer.h"
#include "ui_driver_win.h"

namespace zvui {

bool saveScreenshot(HWND window, const std::string& pngPath) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    Sleep(200);  // let the window manager of the display finish its part of the drawing

    RECT rect{};
    if (!GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
    }
    std::vector<uint8_t> rgb;
    if (copied) {
        const auto* pixels = static_cast<const uint8_t*>(bits);
        const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        rgb.reserve(count * 3);
        for (std::size_t i = 0; i < count; ++i) {
            rgb.push_back(pixels[i * 4 + 2]);
            rgb.push_back(pixels[i * 4 + 1]);
            rgb.push_back(pixels[i * 4]);
        }
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied) return false;

    const std::vector<uint8_t> png =
        encodePng(static_cast<uint32_t>(width), static_cast<uint32_t>(height), rgb);
    FILE* file = std::fopen(pngPath.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace zvui
