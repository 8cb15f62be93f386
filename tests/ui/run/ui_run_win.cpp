// zv_ui_run: what ./run does with the program. Starts ZVLK5MQ.exe in a sandbox under the
// given folder with a profile for the library's built-in USB analyzer, connects, saves a
// screenshot of the connected window and closes the program again (or leaves it open).
//
//   zv_ui_run.exe --folder DIR --screenshot FILE.png [--leave-running]
//   zv_ui_run.exe --tour --folder DIR --screens DIR --html FILE [--leave-running]
// The second form is the guided tour (tour_win.h).
#include <cstdio>
#include <cstring>
#include <string>

#include "tour_win.h"
#include "ui_driver_win.h"
#include "ui_paths.h"

namespace zvui {
namespace {

constexpr int kStatusBarId = 1002;
constexpr int kWideWidth = 960;  // the 24 columns take 920 pixels

std::string builtFile(std::string_view target) {
    for (const auto& [name, file] : kBuiltFiles) {
        if (name == target) return toWindowsPath(std::string(file));
    }
    return {};
}

// A string of the language library the program loads: the one of the user's locale when it
// was built (the German one under a German locale), else the English one.
std::string stringOf(unsigned id) {
    static HMODULE library = [] {
        char target[16];
        std::snprintf(target, sizeof target, "zvlk5m%04u", static_cast<unsigned>(GetUserDefaultLCID()));
        const std::string own = builtFile(target);
        return LoadLibraryExA((own.empty() ? builtFile("zvlk5m1033") : own).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    char text[1024] = "";
    if (library) LoadStringA(library, id, text, sizeof text);
    return text;
}

int fail(const char* what) {
    std::fprintf(stderr, "zv_ui_run: %s\n", what);
    return 1;
}

int run(const std::string& folder, const std::string& screenshot, bool leaveRunning) {
    Sandbox sandbox(folder);
    for (const char* target : {"ZVLK5MQ", "zvlk5m1033", "zvlk5m1031", "zvlkctrl", "zvlkrmt"}) {
        if (builtFile(target).empty() || !sandbox.addProgramFile(builtFile(target))) return fail("a program file is missing");
    }
    if (!sandbox.redirectUserFolders()) return fail("cannot redirect the user folders");
    Sandbox::drawWindowFramesUnderWine();
    const std::string documents = sandbox.documentsFolder() + "\\ZVLK5MQ\\Remote";
    makeFolders(documents + "\\Buffer");
    makeFolders(documents + "\\Screen");
    makeFolders(sandbox.dataFolder());
    writeTextFile(sandbox.dataFolder() + "\\profile.ini",
                  "[remote]\r\nmodel=AN-2400\r\nexboard=EX-NB3BP\r\n"
                  "[connection]\r\nmethod=USB\r\nserialNumber=30808001\r\n");

    Program program;
    if (!program.start(sandbox.programFolder() + "\\ZVLK5MQ.exe")) return fail("cannot start ZVLK5MQ.exe");
    HWND window = program.waitForMainWindow(20000);
    if (!window) return fail("no main window");
    program.waitUntilDrawn(window, 10000);
    std::printf("main window drawn %.0f ms after the start\n", program.startedMsAgo());

    HWND status = GetDlgItem(window, kStatusBarId);
    postCommand(window, 2104);
    const bool connected = waitFor([&] { return statusPaneText(status, 2) == stringOf(287); }, 15000);
    std::printf("status bar: \"%s\" | \"%s\"\n", statusPaneText(status, 2).c_str(), statusPaneText(status, 3).c_str());
    if (!connected) return fail("the connect to the built-in analyzer did not complete");
    Sleep(500);  // the stop that follows the connect, and its repaint
    if (!saveScreenshot(window, screenshot)) return fail("cannot save the screenshot");
    std::printf("screenshot: %s\n", screenshot.c_str());
    // All 24 columns of the capture list need more room than the first size gives them.
    const std::string wide = screenshot.substr(0, screenshot.rfind('.')) + "-wide.png";
    if (!resizeWindow(window, kWideWidth, 500) || !program.waitUntilDrawn(window, 5000) || !saveScreenshot(window, wide)) {
        return fail("cannot save the screenshot of the widened window");
    }
    std::printf("screenshot: %s\n", wide.c_str());

    if (leaveRunning) {
        std::printf("ZVLK5MQ.exe keeps running (process %lu)\n", static_cast<unsigned long>(program.processId()));
        program.detach();
        return 0;
    }
    postCommand(window, 2105);
    waitFor([&] { return statusPaneText(status, 2) == stringOf(20051); }, 10000);
    postCommand(window, 2124);
    if (!program.waitForExit(10000)) return fail("the program did not end after Exit");
    return 0;
}

}  // namespace
}  // namespace zvui

int main(int argc, char** argv) {
    std::string folder;
    std::string screenshot;
    zvui::TourOptions tour;
    bool touring = false;
    bool leaveRunning = false;
    const char* usage =
        "usage: zv_ui_run --folder DIR --screenshot FILE.png [--leave-running]\n"
        "       zv_ui_run --tour --folder DIR --screens DIR --html FILE [--leave-running]\n";
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (std::strcmp(argv[i], "--folder") == 0 && more) {
            folder = argv[++i];
        } else if (std::strcmp(argv[i], "--screenshot") == 0 && more) {
            screenshot = argv[++i];
        } else if (std::strcmp(argv[i], "--screens") == 0 && more) {
            tour.screens = argv[++i];
        } else if (std::strcmp(argv[i], "--html") == 0 && more) {
            tour.html = argv[++i];
        } else if (std::strcmp(argv[i], "--tour") == 0) {
            touring = true;
        } else if (std::strcmp(argv[i], "--leave-running") == 0) {
            leaveRunning = true;
        } else {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
    }
    if (touring) {
        if (folder.empty() || tour.screens.empty() || tour.html.empty()) {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
        tour.folder = folder;
        tour.leaveRunning = leaveRunning;
        return zvui::runTour(tour);
    }
    if (folder.empty() || screenshot.empty()) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    return zvui::run(folder, screenshot, leaveRunning);
}
