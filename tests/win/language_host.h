// The language library and the control library loaded from beside the test program, the
// custom controls registered as the program does before it creates any template, and a
// hidden top-level window that owns the templates the tests create.
#pragma once

#include <windows.h>

#include <string>

namespace zv::wintest {

std::string besideThisProgram(const char* file);

// A dialog procedure that only accepts the initialisation.
INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM);

struct LanguageHost {
    HMODULE library = nullptr;   // zvlk5m1033.dll
    HMODULE controls = nullptr;  // zvlkctrl.dll
    bool controlsRegistered = false;
    HWND owner = nullptr;

    void open();
    void close();
    // The template TEMPLATE_ID of the library, created hidden under PARENT (the owner when null).
    HWND create(long templateId, HWND parent = nullptr) const;
    std::string loadString(long id) const;
};

}  // namespace zv::wintest
