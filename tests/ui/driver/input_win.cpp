// Commands and keys sent to the program.
#include <algorithm>

#include "ui_driver_win.h"

namespace zvui {

void postCommand(HWND window, int command) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void postClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

bool resizeWindow(HWND window, int width, int height) {
    const int left = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int top = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    if (!SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER)) return false;
    return waitFor(
        [&] {
            RECT rect{};
            return GetWindowRect(window, &rect) && rect.right - rect.left == width && rect.bottom - rect.top == height;
        },
        5000);
}

bool pressKey(HWND window, WORD virtualKey, bool shift, bool control) {
    SetForegroundWindow(window);
    if (!waitFor([&] { return GetForegroundWindow() == window; }, 2000)) return false;
    INPUT inputs[6]{};
    UINT count = 0;
    auto key = [&](WORD vk, bool up) {
        INPUT& input = inputs[count++];
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    };
    if (shift) key(VK_SHIFT, false);
    if (control) key(VK_CONTROL, false);
    key(virtualKey, false);
    key(virtualKey, true);
    if (control) key(VK_CONTROL, true);
    if (shift) key(VK_SHIFT, true);
    return SendInput(count, inputs, sizeof(INPUT)) == count;
}

}  // namespace zvui
