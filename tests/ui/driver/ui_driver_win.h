// The UI test driver: starts ZVLK5MQ.exe in a sandbox of its own and reads and drives its
// window from this (second) process, the way a user would see it. Everything here works on
// Windows and under Wine; controls of the other process are read through messages whose
// buffers live in the target process (VirtualAllocEx / ReadProcessMemory).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zvui {

constexpr const char* kMainWindowClass = "ZEVRONA_ZVLK5MQ";

// "/a/b" -> "Z:\a\b" (Wine maps the Unix root to drive Z:); Windows paths pass unchanged.
std::string toWindowsPath(const std::string& path);
bool makeFolders(const std::string& path);
bool removeTree(const std::string& path);
bool writeTextFile(const std::string& path, const std::string& text);
std::string readTextFile(const std::string& path);

// Keeps a file open for reading and lets no other process write it, as a program that has
// it open does (a read-only attribute would not stop a program run as root under Wine).
class WriteBlock {
public:
    explicit WriteBlock(const std::string& path)
        : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~WriteBlock() { release(); }
    WriteBlock(const WriteBlock&) = delete;
    WriteBlock& operator=(const WriteBlock&) = delete;
    bool held() const { return file_ != INVALID_HANDLE_VALUE; }
    void release() {
        if (held()) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE file_;
};

// ----------------------------------------------------------------------------------------
// Sandbox: a program folder with copies of the program and the DLLs a test wants, and the
// per-user application-data and documents folders the program resolves at start. The program
// takes no command line and reads no environment variable, so the folders are redirected
// where the system looks them up: the "User Shell Folders" of the current user (Wine and
// Windows both read AppData and Personal from there). The previous values come back when the
// sandbox goes away.
class Sandbox {
public:
    explicit Sandbox(std::string root);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // Copies FILE into the program folder (under NAME when given).
    bool addProgramFile(const std::string& file, const std::string& name = {});
    bool redirectUserFolders();
    // Puts the application-data folder elsewhere (a small disk); call redirectUserFolders again.
    void moveAppDataFolder(std::string folder) { appData_ = std::move(folder); }
    // Under Wine on a display without a window manager nobody draws the title bars; Wine
    // draws them itself when asked (a setting of the Wine prefix; nothing on Windows).
    static void drawWindowFramesUnderWine();

    const std::string& root() const { return root_; }
    std::string programFolder() const { return root_ + "\\bin"; }
    std::string appDataFolder() const { return appData_.empty() ? root_ + "\\appdata" : appData_; }
    std::string documentsFolder() const { return root_ + "\\documents"; }
    // Where the program keeps profile.ini and its data.
    std::string dataFolder() const;

private:
    std::string root_;
    std::string appData_;
    std::vector<std::pair<std::string, std::string>> savedFolders_;  // value name, old data
    bool redirected_ = false;
};

// ----------------------------------------------------------------------------------------
// A started program. The destructor ends it when it still runs.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts EXE with the program folder as current directory; EXTRA_ENVIRONMENT entries
    // ("NAME=value") replace or add to this process's environment.
    bool start(const std::string& exe, const std::vector<std::string>& extraEnvironment = {});
    // The visible top-level window of class ZEVRONA_ZVLK5MQ owned by this process.
    HWND waitForMainWindow(DWORD timeoutMs);
    // Waits until the main window has been shown and painted (no pending update region).
    bool waitUntilDrawn(HWND window, DWORD timeoutMs);
    bool waitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    bool running() const;
    void kill();
    // Lets the program run on after this object is gone.
    void detach();

    DWORD processId() const { return processId_; }
    DWORD threadId() const { return threadId_; }
    HANDLE process() const { return process_; }
    // Milliseconds from CreateProcess to the last successful waitForMainWindow/waitUntilDrawn.
    double startedMsAgo() const;

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    LARGE_INTEGER startedAt_{};
};

// Runs a console program (a tool beside the program) in FOLDER, its standard output and error
// into the file OUTPUT; returns its exit code (-1 when it did not run or end within a minute).
int runProgram(const std::string& commandLine, const std::string& folder, const std::string& output);

// Top-level windows of a class (any process, or one process when PROCESS_ID is not 0).
std::vector<HWND> topWindowsOfClass(const char* className, DWORD processId = 0);
// Runs a predicate every 20 ms until it holds or the time is up.
template <typename Predicate>
bool waitFor(Predicate predicate, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (predicate()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
}

// ----------------------------------------------------------------------------------------
// Reading the window.
std::string windowText(HWND window);
std::string className(HWND window);
HWND childById(HWND parent, int id);
// The focused window of the thread that owns WINDOW.
HWND focusedWindowOf(HWND window);
// Moves the keyboard focus of the program's thread to CHILD (by attaching input queues).
bool setFocusIn(HWND child);

// GetMenuState of a command in the window's menu bar; -1 when the item is not found.
int menuItemState(HWND window, int command);
std::vector<int> menuItemStates(HWND window, const std::vector<int>& commands);
bool menuItemEnabled(HWND window, int command);
bool menuItemChecked(HWND window, int command);
// The texts of the top-level items of the window's menu bar ("&File", ...); empty when unread.
std::vector<std::string> menuBarTexts(HWND window);
// TB_GETSTATE of a command; -1 when the toolbar has no such button.
int toolbarButtonState(HWND toolbar, int command);
std::string toolbarTooltip(HWND toolbar, int command);
int toolbarButtonCount(HWND toolbar);
std::string statusPaneText(HWND statusBar, int pane);
int statusPaneCount(HWND statusBar);
std::vector<std::string> listViewHeaders(HWND list);
int listViewColumnWidth(HWND list, int column);
bool setListViewColumnWidth(HWND list, int column, int width);
int listViewItemCount(HWND list);
std::string listViewCellText(HWND list, int row, int column);
int tabCount(HWND tabs);
std::string tabText(HWND tabs, int index);
int selectedTab(HWND tabs);

// ----------------------------------------------------------------------------------------
// Driving the window.
// SendMessageTimeout that gives up on a hung target instead of hanging the test; -1 then.
LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void postCommand(HWND window, int command);
// Brings WINDOW to the foreground and types the keys through the system's input queue, so
// that the target sees them with the real modifier state (accelerators need it).
bool pressKey(HWND window, WORD virtualKey, bool shift = false, bool control = false);
void postClose(HWND window);
// Gives a top-level window a new size, keeping it on the screen.
bool resizeWindow(HWND window, int width, int height);

// ----------------------------------------------------------------------------------------
// Message boxes: dialogs of class #32770 owned by the program's process.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};
MessageBoxInfo waitForMessageBox(DWORD processId, DWORD timeoutMs);
// The first box with this caption whose text has been set (boxes and dialogs share a class).
MessageBoxInfo waitForMessageBox(DWORD processId, const std::string& caption, DWORD timeoutMs);
std::vector<MessageBoxInfo> messageBoxesOf(DWORD processId);
// Presses the button with the given id (IDYES, IDNO, IDOK, IDCANCEL).
bool answerMessageBox(const MessageBoxInfo& box, int buttonId);

// ----------------------------------------------------------------------------------------
// Screenshots of a window as it is on the screen, as PNG.
bool saveScreenshot(HWND window, const std::string& pngPath);

}  // namespace zvui
