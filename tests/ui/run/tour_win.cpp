#include "tour_win.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "dialog_read_win.h"
#include "file_dialog_win.h"
#include "pane_recorder_win.h"
#include "resources/ids/batch_conversion_res.h"
#include "resources/ids/progress_dialog_res.h"
#include "resources/ids/search_dialog_res.h"
#include "resources/ids/setup_editor_window_res.h"
#include "setup/setup_page_table.h"
#include "ui_driver_win.h"
#include "ui_paths.h"

namespace zvui {
namespace {

constexpr int kCaptureListId = 1000;
constexpr int kMonitorListId = 1001;
constexpr int kStatusBarId = 1002;
constexpr int kToolbarId = 1003;
constexpr int kSetupTree = 2043;
constexpr uint32_t kChannelOnePage = 10040;
constexpr int kButtonEnabled = TBSTATE_ENABLED;
constexpr const char* kFrameClass = "ZEVRONA_zvlk5m_WindowClass_KeyEmuFrame";

// The bus the built-in analyzer replays: an engine frame every 10 ms, a body frame with an
// extended identifier every 20 ms, a diagnostic request now and then on channel 2.
std::string busLog() {
    std::string log;
    char line[96];
    for (int ms = 0; ms < 1000; ms += 10) {
        std::snprintf(line, sizeof line, "(%d.%06d) can0 123#%02X%02X0000C8000000\n", ms / 1000, (ms % 1000) * 1000,
                      (ms * 7) & 0xFF, (ms / 10) & 0xFF);
        log += line;
        if (ms % 20 == 0) {
            std::snprintf(line, sizeof line, "(%d.%06d) can0 18FEF100#%02X11223344\n", ms / 1000, (ms % 1000) * 1000 + 500,
                          (ms / 20) & 0xFF);
            log += line;
        }
        if (ms % 250 == 0) {
            std::snprintf(line, sizeof line, "(%d.%06d) can1 7DF#0201050000000000\n", ms / 1000, (ms % 1000) * 1000 + 700);
            log += line;
        }
    }
    return log;
}

std::string builtFile(std::string_view target) {
    for (const auto& [name, file] : kBuiltFiles) {
        if (name == target) return toWindowsPath(std::string(file));
    }
    return {};
}

// The language library the program shows: the one of the user's language when the build has
// it, else English.
HMODULE languageLibrary() {
    static HMODULE library = [] {
        char name[32];
        std::snprintf(name, sizeof name, "zvlk5m%u", static_cast<unsigned>(LANGIDFROMLCID(GetUserDefaultLCID())));
        std::string file = builtFile(name);
        if (file.empty()) file = builtFile("zvlk5m1033");
        return LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return library;
}

std::string stringOf(unsigned id) {
    char text[1024] = "";
    if (languageLibrary()) LoadStringA(languageLibrary(), id, text, sizeof text);
    return text;
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The caption of a dialog template of that library, by which the tour finds the program's
// dialog ("Search", in German "Suchen").
std::string captionOf(unsigned templateId) {
    static const bool controls = [] {
        INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)controls;
    HWND dialog = CreateDialogParamA(languageLibrary(), MAKEINTRESOURCEA(templateId), nullptr, quietDialogProc, 0);
    if (!dialog) return "?";
    const std::string caption = windowText(dialog);
    DestroyWindow(dialog);
    return caption;
}

void collectItems(HWND tree, HTREEITEM item, std::vector<HTREEITEM>& items) {
    for (; item; item = reinterpret_cast<HTREEITEM>(sendTo(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        items.push_back(item);
        collectItems(tree, reinterpret_cast<HTREEITEM>(sendTo(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
                     items);
    }
}

class Tour {
public:
    explicit Tour(const TourOptions& options) : options_(options), sandbox_(options.folder) {}

    int run() {
        step("Start", "ZVLK5MQ.exe starts with a profile for the built-in analyzer (AN-2400 + EX-NB3BP).", "tour-1-start",
             [&] { return start(); });
        step("Connect", "Connect (Shift+F5): the status bar says the analyzer is connected and names its model.",
             "tour-2-connected", [&] { return connect(); }, main_);
        step("Setup editor", "The setup editor (command 2012) receives the analyzer's setup and shows the page of CAN channel 1.",
             "tour-3-setup", [&] { return setupEditor(); }, [&] { return editor_; });
        step("Close the setup editor", "Closing the editor sends the setup back to the analyzer.", "",
             [&] { return closeSetupEditor(); });
        step("Monitor", "A monitor measurement runs: the watch list follows identifiers 123 and 18FEF100 while frames arrive.",
             "tour-4-monitor", [&] { return monitor(); }, main_);
        step("Stop", "Stop: the measurement ends and its buffer files are closed.", "", [&] { return stop(); });
        step("Upload", "Upload (Ctrl+R): the analyzer's capture buffer fills the capture list.", "tour-5-upload",
             [&] { return upload(); }, main_);
        step("Search", "Search (frame, identifier 123 on channel 1, any data): the first matching row is selected.",
             "tour-6-search", [&] { return search(); }, main_);
        step("Key emulation", "Key emulation (F8): the analyzer's keypad and its live LCD; Enter opens the analyzer's menu.",
             "tour-7-keys", [&] { return keyEmulation(); }, [&] { return frame_; });
        step("Batch conversion", "Batch conversion (F9) turns the buffer files of the measurement into text files.",
             "tour-8-batch", [&] { return batch(); }, [&] { return batch_; });
        step("Disconnect", "Disconnect (Shift+F6): the status bar says not connected.", "tour-9-disconnected",
             [&] { return disconnect(); }, main_);
        if (!options_.leaveRunning && program_.running()) {
            postCommand(main_, 2124);  // Exit
            program_.waitForExit(10000);
        } else if (program_.running()) {
            std::printf("ZVLK5MQ.exe keeps running (process %lu)\n", static_cast<unsigned long>(program_.processId()));
            program_.detach();
        }
        writeTextFile(options_.html, tourHtml(steps_));
        int failed = 0;
        for (const TourStep& s : steps_) failed += s.passed ? 0 : 1;
        std::printf("tour: %zu steps, %d failed; %s\n", steps_.size(), failed, options_.html.c_str());
        return failed == 0 ? 0 : 1;
    }

private:
    using Check = std::function<std::string()>;  // empty when the step did what it should
    using Target = std::function<HWND()>;

    void step(const std::string& title, const std::string& caption, const std::string& picture, const Check& check,
              HWND window) {
        step(title, caption, picture, check, [&main = main_, window] { return window ? window : main; });
    }

    void step(const std::string& title, const std::string& caption, const std::string& picture, const Check& check,
              const Target& target = {}) {
        TourStep s;
        s.title = title;
        s.caption = caption;
        std::printf("tour: %-17s ", (title + " ...").c_str());
        std::fflush(stdout);
        const auto begin = std::chrono::steady_clock::now();
        if (!program_.running() && !steps_.empty()) {
            s.failure = "the program is not running";
        } else {
            s.failure = check();
        }
        s.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        s.passed = s.failure.empty();
        HWND window = target ? target() : main_;
        if (!picture.empty() && window && IsWindow(window)) {
            s.picture = picture + ".png";
            if (!saveScreenshot(window, options_.screens + "\\" + s.picture)) s.picture.clear();
        }
        std::printf("%s (%.0f ms)%s%s\n", s.passed ? "ok" : "FAILED", s.milliseconds, s.passed ? "" : ": ",
                    s.failure.c_str());
        steps_.push_back(s);
        afterStep();
    }

    // What a failed step left open is closed, so that the next step can go on.
    void afterStep() {
        if (!program_.running()) return;
        for (const MessageBoxInfo& box : messageBoxesOf(program_.processId())) {
            if (box.window != editor_ && box.window != batch_) answerMessageBox(box, IDOK);
        }
    }

    HWND statusBar() const { return GetDlgItem(main_, kStatusBarId); }
    std::string pane(int index) const { return statusPaneText(statusBar(), index); }

    std::string start() {
        for (const char* target : {"ZVLK5MQ", "zvlk5m1033", "zvlkctrl", "zvlkrmt"}) {
            if (builtFile(target).empty() || !sandbox_.addProgramFile(builtFile(target))) return "a program file is missing";
        }
        for (const char* language : {"zvlk5m1031"}) {  // further languages, where the build has them
            if (!builtFile(language).empty()) sandbox_.addProgramFile(builtFile(language));
        }
        // The help file, where the build makes one: Help opens it beside the program.
        if (!builtFile("ZV-LK5MQ.chm").empty()) sandbox_.addProgramFile(builtFile("ZV-LK5MQ.chm"));
        if (!sandbox_.redirectUserFolders()) return "cannot redirect the user folders";
        Sandbox::drawWindowFramesUnderWine();
        const std::string remote = sandbox_.documentsFolder() + "\\ZVLK5MQ\\Remote";
        makeFolders(remote + "\\Buffer");
        makeFolders(remote + "\\Screen");
        makeFolders(sandbox_.dataFolder());
        bufferFolder_ = remote + "\\Buffer";
        writeTextFile(sandbox_.programFolder() + "\\bus.log", busLog());
        writeTextFile(sandbox_.programFolder() + "\\zvlkrmt.ini",
                      "[analyzer]\r\nserial = 30808001\r\nmodel = AN-2400\r\nexboard = EX-NB3BP\r\nreplay = bus.log\r\n");
        writeTextFile(sandbox_.dataFolder() + "\\profile.ini",
                      "[remote]\r\nmodel=AN-2400\r\nexboard=EX-NB3BP\r\n"
                      "[connection]\r\nmethod=USB\r\nserialNumber=30808001\r\n"
                      "[buffer]\r\nblock=1M,10\r\nwarning=no\r\n"
                      "[WatchDataFactor]\r\nNo0ch=Ch-1\r\nNo0frametype=Standard\r\nNo0id=123\r\n"
                      "No1ch=Ch-1\r\nNo1frametype=Extended\r\nNo1id=18FEF100\r\n");
        if (!program_.start(sandbox_.programFolder() + "\\ZVLK5MQ.exe")) return "cannot start ZVLK5MQ.exe";
        main_ = program_.waitForMainWindow(20000);
        if (!main_) return "no main window";
        program_.waitUntilDrawn(main_, 10000);
        return {};
    }

    std::string connect() {
        postCommand(main_, 2104);
        if (!waitFor([&] { return pane(2) == stringOf(287); }, 15000)) return "the status bar says \"" + pane(2) + "\"";
        // The connect stops whatever ran; monitoring is offered once the analyzer is idle.
        if (!waitFor([&] { return toolbarButtonState(GetDlgItem(main_, kToolbarId), 2114) == kButtonEnabled; }, 10000))
            return "start is not offered after the connect";
        if (pane(3).find("AN-2400") == std::string::npos) return "pane 3 says \"" + pane(3) + "\"";
        return {};
    }

    std::string setupEditor() {
        postCommand(main_, 2012);
        editor_ = waitForDialog(program_.processId(), captionOf(IDD_SETUP_WINDOW), 20000);
        if (!editor_) return "no setup window";
        // The receive runs behind the transfer dialog; the tree is there once it has ended.
        if (!waitFor([&] { return !dialogOpen(program_.processId(), captionOf(IDD_PROGRESS)); }, 20000)) return "the receive did not end";
        HWND tree = dialogControl(editor_, kSetupTree);
        std::vector<HTREEITEM> items;
        collectItems(tree, reinterpret_cast<HTREEITEM>(sendTo(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), items);
        const auto table = zv::setupPageItems();
        for (size_t i = 0; i < table.size() && i < items.size(); ++i) {
            if (table[i].key == kChannelOnePage)
                sendTo(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[i]));
        }
        Sleep(300);
        if (!dialogControl(editor_, kSetupTree)) return "the page tree is missing";
        return {};
    }

    std::string closeSetupEditor() {
        if (!editor_) return "no setup window";
        pressDialogButton(editor_, 2);
        if (!waitFor([&] { return !dialogOpen(program_.processId(), captionOf(IDD_SETUP_WINDOW)); }, 30000)) return "the setup window stayed open";
        editor_ = nullptr;
        return {};
    }

    std::string monitor() {
        postCommand(main_, 2114);
        HWND list = GetDlgItem(main_, kMonitorListId);
        if (!waitFor([&] { return toolbarButtonState(GetDlgItem(main_, kToolbarId), 2102) == kButtonEnabled; }, 10000))
            return "the measurement did not start";
        if (!waitFor([&] { return listViewCellText(list, 0, 3) == "123" && listViewCellText(list, 1, 3) == "18FEF100"; }, 10000))
            return "the watch list shows \"" + listViewCellText(list, 0, 3) + "\" and \"" + listViewCellText(list, 1, 3) + "\"";
        Sleep(2500);  // a few seconds of the bus in the buffer
        return {};
    }

    std::string stop() {
        postCommand(main_, 2102);
        if (!waitFor([&] { return toolbarButtonState(GetDlgItem(main_, kToolbarId), 2114) == kButtonEnabled; }, 20000))
            return "the measurement did not end";
        return {};
    }

    std::string upload() {
        // The list shows the last buffer file now; the upload's steps go through pane 1.
        startPaneRecorder(statusBar(), 1);
        postCommand(main_, 1003);
        HWND list = GetDlgItem(main_, kCaptureListId);
        const std::string lastStep = stringOf(2008);
        if (!waitFor([&] {
                for (const std::string& text : recordedPaneTexts(statusBar()))
                    if (text == lastStep) return true;
                return false;
            }, 60000)) {
            return "the upload did not reach its last step";
        }
        if (!waitFor([&] { return listViewItemCount(list) > 100 && !dialogOpen(program_.processId(), captionOf(IDD_PROGRESS)); }, 60000))
            return "the capture list holds " + std::to_string(listViewItemCount(list)) + " rows";
        return {};
    }

    std::string search() {
        HWND list = GetDlgItem(main_, kCaptureListId);
        selectListViewRow(list, 0);
        postCommand(main_, 1008);
        HWND dialog = waitForDialog(program_.processId(), captionOf(IDD_SEARCH), 10000);
        if (!dialog) return "no search dialog";
        chooseComboEntry(dialogControl(dialog, 1286), 2);  // frame by identifier and data
        const int high[2] = {0x1F, 0x04}, middle[2] = {0xFC, 0x8C};  // 0x123 in bits 18-28
        uint8_t cells[32] = {};  // data byte 0 any, then the pattern ends: frames with data
        for (int i = 1; i < 8; ++i) cells[i * 4 + 1] = 0xFF;
        if (!sendValue(dialogControl(dialog, 1289), high, sizeof high) ||
            !sendValue(dialogControl(dialog, 1290), middle, sizeof middle) ||
            !sendValue(dialogControl(dialog, 1293), cells, sizeof cells, 8)) {
            return "the identifier and data fields took no value";
        }
        Sleep(300);
        const std::string shot = options_.screens + "\\tour-6-search-dialog.png";
        saveScreenshot(dialog, shot);
        pressDialogButton(dialog, 1);
        int row = -1;
        if (!waitFor([&] {
                row = static_cast<int>(sendTo(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
                return row > 0 && listViewCellText(list, row, 4) == "123";
            }, 10000)) {
            return "the selected row is " + std::to_string(row);
        }
        return {};
    }

    // Hands DATA to a control of the program in its own memory (WM_USER + 1: fill).
    static bool sendValue(HWND control, const void* data, size_t size, WPARAM wParam = 0) {
        DWORD process = 0;
        GetWindowThreadProcessId(control, &process);
        HANDLE handle = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process);
        if (!handle) return false;
        void* remote = VirtualAllocEx(handle, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        bool ok = remote && WriteProcessMemory(handle, remote, data, size, nullptr) &&
                  sendTo(control, WM_USER + 1, wParam, reinterpret_cast<LPARAM>(remote)) != -1;
        if (remote) VirtualFreeEx(handle, remote, 0, MEM_RELEASE);
        CloseHandle(handle);
        return ok;
    }

    std::string keyEmulation() {
        postCommand(main_, 2000);
        if (!waitFor([&] {
                const auto frames = topWindowsOfClass(kFrameClass, program_.processId());
                frame_ = frames.empty() ? nullptr : frames.front();
                return frame_ && IsWindowVisible(frame_);
            }, 10000)) {
            return "no key-emulation frame";
        }
        HWND panel = GetDlgItem(frame_, 201);
        HWND enter = GetDlgItem(panel, 20032);
        if (!waitFor([&] { return enter && IsWindowEnabled(enter); }, 5000)) return "the keys stay disabled";
        PostMessageA(enter, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        PostMessageA(enter, WM_LBUTTONUP, 0, 0);
        Sleep(800);
        return {};
    }

    std::string batch() {
        if (frame_) {
            postClose(frame_);
            waitFor([&] { return topWindowsOfClass(kFrameClass, program_.processId()).empty(); }, 5000);
            frame_ = nullptr;
        }
        postCommand(main_, 40010);
        batch_ = waitForDialog(program_.processId(), captionOf(IDD_BATCH_CONVERSION), 10000);
        if (!batch_) return "no batch conversion dialog";
        setControlText(dialogControl(batch_, 1008), bufferFolder_);
        pressDialogButton(batch_, 40018);
        HWND files = dialogControl(batch_, 1095);
        if (!waitFor([&] { return sendTo(files, LB_GETCOUNT, 0, 0) > 0; }, 5000)) return "no buffer files in the list";
        pressDialogButton(batch_, 1011);
        if (!waitFor([&] { return IsWindowEnabled(dialogControl(batch_, 1)) != 0; }, 5000)) return "nothing to convert";
        pressDialogButton(batch_, 1);
        const std::string first = bufferFolder_ + "\\00000000.txt";
        if (!waitFor([&] {
                return GetFileAttributesA(first.c_str()) != INVALID_FILE_ATTRIBUTES &&
                       IsWindowEnabled(dialogControl(batch_, 1)) && !IsWindowEnabled(dialogControl(batch_, 2));
            }, 30000)) {
            return "no 00000000.txt";
        }
        return {};
    }

    std::string disconnect() {
        if (batch_) {
            postClose(batch_);
            waitFor([&] { return !dialogOpen(program_.processId(), captionOf(IDD_BATCH_CONVERSION)); }, 10000);
            batch_ = nullptr;
        }
        postCommand(main_, 2105);
        if (!waitFor([&] { return pane(2) == stringOf(20051); }, 10000)) return "the status bar says \"" + pane(2) + "\"";
        return {};
    }

    TourOptions options_;
    Sandbox sandbox_;
    Program program_;
    HWND main_ = nullptr;
    HWND editor_ = nullptr;
    HWND frame_ = nullptr;
    HWND batch_ = nullptr;
    std::string bufferFolder_;
    std::vector<TourStep> steps_;
};

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::string tourHtml(const std::vector<TourStep>& steps) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>ZV-LK5MQ tour</title>\n"
        "<style>body{font-family:sans-serif;max-width:60em;margin:2em auto;color:#222}"
        "section{margin-bottom:2.5em}h2{font-size:1.2em}.failed{color:#b00}img{border:1px solid #ccc;max-width:100%}"
        ".time{color:#666;font-weight:normal;font-size:.9em}</style></head><body>\n"
        "<h1>ZV-LK5MQ: a tour of the program</h1>\n"
        "<p>The program driven through its window against the built-in analyzer, step by step.</p>\n";
    int number = 0;
    for (const TourStep& s : steps) {
        char time[32];
        std::snprintf(time, sizeof time, "%.1f s", s.milliseconds / 1000.0);
        html += "<section><h2>" + std::to_string(++number) + ". " + escaped(s.title) + " <span class=\"time\">" + time +
                "</span></h2>\n<p>" + escaped(s.caption) + "</p>\n";
        if (!s.passed) html += "<p class=\"failed\">This step failed: " + escaped(s.failure) + "</p>\n";
        if (!s.picture.empty()) html += "<img src=\"screens/" + escaped(s.picture) + "\" alt=\"" + escaped(s.title) + "\">\n";
        html += "</section>\n";
    }
    html += "</body></html>\n";
    return html;
}

int runTour(const TourOptions& options) { return Tour(options).run(); }

}  // namespace zvui
