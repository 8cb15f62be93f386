// A language library and the control library loaded from beside the test program, the
// custom controls registered as the program does before it creates any template, and a
// hidden top-level window that owns the templates the tests create.
#pragma once

#include <windows.h>

#include <string>

namespace zv::wintest {

std::string besideThisProgram(const char* file);

// A dialog procedure that only accepts the initialisation.
INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM);

// The locales that have a language library; the tests of a library run for each of them.
constexpr int kLanguageLocales[] = {1033, 1031};
// "zvlk5m1031.dll" for 1031
std::string languageLibraryFile(int locale);

struct LanguageHost {
    int locale = 0;
    HMODULE library = nullptr;   // zvlk5m<locale>.dll
    HMODULE controls = nullptr;  // zvlkctrl.dll
    bool controlsRegistered = false;
    HWND owner = nullptr;

    void open(int languageLocale = 1033);
    void close();
    // The template TEMPLATE_ID of the library, created hidden under PARENT (the owner when null).
    HWND create(long templateId, HWND parent = nullptr) const;
    std::string loadString(long id) const;
};

// One open host per locale, opened on first use and kept until closeLanguageHosts().
LanguageHost& languageHost(int locale);
void closeLanguageHosts();

}  // namespace zv::wintest
