// A top-level test window holding custom controls of zvlkctrl.dll, loaded and registered the
// way the program does it. Records every WM_NOTIFY the controls send to it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "zvlkctrl/zvlkctrl_win.h"

namespace zv::wintest {

struct Notice {
    int id;
    int code;
    bool operator==(const Notice&) const = default;
};

// The library, loaded once for the whole program; null when it did not load.
HMODULE controlLibrary();
// Frees the library completely (no control may exist) and loads it again; false when the
// library stayed loaded or did not load again.
bool unloadAndReloadControlLibrary(bool& classesGoneWhileUnloaded);
VRX_RegisterControlsFn registerControls();

// Handles the messages that are waiting (posted ones and sent ones from other threads).
void pump();

class ControlHost : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A child control of the host; styles added to WS_CHILD | WS_VISIBLE | WS_TABSTOP.
    HWND add(const char* className, int id, int x, int y, int width, int height, DWORD style = 0,
             DWORD exStyle = 0);
    HWND hex(int id, int kind, int y = 10);
    HWND bits(int id, int count, int y = 10, DWORD style = 0);

    void focus(HWND control);
    static void typeText(HWND control, const char* text);
    static void key(HWND control, WPARAM vk);
    static void clickAt(HWND control, int x);
    static void clickRightEnd(HWND control);

    std::vector<Notice>& notices();

    HWND host_ = nullptr;
};

// Reads a hexadecimal input's byte sequence; returns the count the control reports.
int readBytes(HWND control, uint8_t* out, int capacity);
void showBytes(HWND control, const uint8_t* bytes, int count);
// Mask and value of a bit-pattern field.
void readBits(HWND control, int& mask, int& value);
void showBits(HWND control, int mask, int value);

}  // namespace zv::wintest
