// The program entry: one instance, the language library of the user's locale, the remote
// library, the main window and the one message loop.
#include <string>

#include <windows.h>

#include <commctrl.h>

#include "html_help_win.h"
#include "keyemu_win.h"
#include "language_library.h"
#include "main_window_win.h"
#include "remote/zvremote.h"
#include "resources/ids/string_ids.h"
#include "ui_font.h"

#include "zvlkctrl/zvlkctrl_win.h"

namespace zv::shell {
namespace {

constexpr int kAcceleratorTable = 140;

// A running instance is brought to the front instead of starting a second one.
bool activateRunningInstance() {
    HWND running = FindWindowA(kMainWindowClass, nullptr);
    if (!running) return false;
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(running));
    return true;
}

HINSTANCE loadLanguageLibrary(uint32_t userLocale) {
    for (uint32_t locale : languageLocalesToTry(userLocale)) {
        if (HINSTANCE library = LoadLibraryA(languageLibraryName(locale).c_str())) return library;
    }
    return nullptr;
}

HFONT createUiFont(HINSTANCE language) {
    char text[256] = "";
    LoadStringA(language, IDS_UI_FONT, text, sizeof text);
    const std::optional<UiFontSpec> parsed = parseUiFont(text);
    if (!parsed) return nullptr;
    HDC screen = GetDC(nullptr);
    const int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTA font{};
    font.lfHeight = fontHeightForPoints(parsed->points, dotsPerInch);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, parsed->face.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

int runMessageLoop(HWND window, HACCEL accelerators) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Accelerators first, whichever child has the focus; then the dialog keys.
        // The key-emulation frame has its own (copy, save), and the main window's do not reach it.
        if (translateKeyEmulationAccelerator(message)) continue;
        if (accelerators && !keyEmulationMessage(message) && TranslateAcceleratorA(window, accelerators, &message)) continue;
        if (IsDialogMessageA(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int runProgram(HINSTANCE program) {
    if (activateRunningInstance()) return 0;
    const uint32_t locale = GetUserDefaultLCID();

    INITCOMMONCONTROLSEX controls{sizeof controls, 0x4FF};
    if (!InitCommonControlsEx(&controls)) {
        MessageBoxA(nullptr, "Error - InitCommonControlsEx", "", MB_ICONERROR);
        return 0;
    }
    if (ZVInitializeRemote() < 0) {
        // The caption string comes from the language library, which is not loaded yet.
        MessageBoxA(nullptr, "Error - ZVInitializeRemote", "", MB_ICONERROR);
        return 0;
    }
    ProgramModules modules;
    modules.program = program;
    modules.language = loadLanguageLibrary(locale);
    if (!modules.language) return 0;
    modules.uiFont = createUiFont(modules.language);
    if (!modules.uiFont) return 0;

    if (!registerMainWindowClass(program)) return 0;
    VRX_RegisterControls(program);
    VRX_RegisterControls(modules.language);
    HWND window = createMainWindow(modules);
    if (!window) return -1;

    HACCEL accelerators = LoadAcceleratorsA(program, MAKEINTRESOURCEA(kAcceleratorTable));
    initialiseHtmlHelp();
    const int exitCode = runMessageLoop(window, accelerators);
    closeHtmlHelp();
    FreeLibrary(modules.language);
    return exitCode;
}

}  // namespace
}  // namespace zv::shell

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return zv::shell::runProgram(instance); }
