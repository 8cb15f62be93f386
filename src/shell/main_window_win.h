// MainWindow: the program's one top-level window and the state it owns. Its window
// procedure hands each message to one handler (main_window_win.cpp); the handlers live in
// the files named after what they deal with.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/board_type.h"
#include "capture/watch_list.h"
#include "remote/czvremote5m.h"
#include "remote/session_sink_win.h"
#include "remote/zvremote.h"
#include "search/search_condition.h"
#include "setup/setup_areas.h"
#include "shell/command_state.h"
#include "shell/app_folders.h"
#include "shell/config_store.h"

namespace zv {
class BufferFiles;
class CCapture;
class LoadedDataFile;
}

namespace zv::shell {

class KeyEmuWindow;

constexpr const char* kMainWindowClass = "ZEVRONA_ZVLK5MQ";
constexpr int kMainWindowWidth = 745;
constexpr int kMainWindowHeight = 500;

// Control ids of the main window's children.
constexpr int kCaptureListId = 1000;
constexpr int kMonitorListId = 1001;
constexpr int kStatusBarId = 1002;
constexpr int kToolbarId = 1003;
constexpr int kTabControlId = 1005;

constexpr int kPaneTransfer = 1;
constexpr int kPaneConnection = 2;
constexpr int kPaneModel = 3;

// What the program entry hands to the window at creation.
struct ProgramModules {
    HINSTANCE program = nullptr;
    HINSTANCE language = nullptr;
    HFONT uiFont = nullptr;
};

struct MainWindow {
    explicit MainWindow(const ProgramModules& programModules);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    ProgramModules modules;
    HWND window = nullptr;
    HWND toolbar = nullptr;
    HWND statusBar = nullptr;
    HWND tabs = nullptr;
    HWND captureList = nullptr;
    HWND monitorList = nullptr;

    // The session and what it shares with the program. The session is created at window
    // creation and deleted on close; it is null afterwards.
    CurrentModel model;
    SetupWorkspace setup;          // the working setup the setup editor edits
    SetupWorkspace receivedSetup;  // the areas as the session received them
    WatchList watchList;
    std::unique_ptr<BufferFiles> bufferFiles;
    // The settings of profile.ini; the session's active connection settings are a copy
    // taken at creation and after the preferences dialog.
    AppFolders folders;
    std::string screenshotFolder;  // where key emulation saves pictures
    BufferConfig buffer;           // the [buffer] record; monitoring writes into its folder
    SyncSettings sync;             // the [miscellaneous] synchronisation flags
    ConnectionSettings connection = remote_api::defaultConnectionSettings();
    std::unique_ptr<Win32SessionSink> sink;
    std::unique_ptr<CZVRemote5m> session;

    CommandState commands;
    bool monitoring = false;
    bool keyEmulationActive = false;
    // The key-emulation panel (one reference), from the first command 2000 until its window goes.
    KeyEmuWindow* keyEmulation = nullptr;
    bool closePending = false;
    bool disconnectAfterStop = false;
    bool deltaTime = false;
    bool captureHasData = false;
    intptr_t uploadDialogResult = 0;
    bool remoteUninitialised = false;

    // The data file shown in the capture list (data_file_commands_win.cpp): its loaded image,
    // its path (empty for the uploaded working file) and its number when the name is a
    // numbered buffer file name, else -1.
    std::unique_ptr<LoadedDataFile> display;
    std::string shownPath;
    int32_t shownNumber = -1;
    int selectedRow = -1;
    // DATAFILE.TMP holds the shown bytes (its copy at opening succeeded); save-as copies it
    // then, and the shown file itself otherwise.
    bool workingFileIsShown = false;

    // What the last monitor measurement could not write into its buffer files, told once it
    // has ended (monitor_commands_win.cpp).
    struct BufferWriteReport {
        uint64_t records = 0;
        std::string path;
        int32_t result = 0;
    } bufferWriteReport;

    // The search condition of the capture list, held between openings of the search dialog.
    SearchConditionStore search;

    // The transfer dialog of an upload while it is open (upload_commands_win.cpp).
    HWND progressDialog = nullptr;

    // Modal dialogs and message boxes of the window that are open now. Their loops run on the
    // stack of the code that opened them, which goes on with this window's state when they
    // return: while one is open the window takes no command and does not close; a close
    // asked for meanwhile waits for the last of them (closeDeferred).
    int modalDepth = 0;
    bool closeDeferred = false;
    // Exit was chosen: WM_DESTROY is on its way and no command is taken any more.
    bool exiting = false;
};

// Counts a modal dialog or box of the main window for as long as it is open; when the last
// one ends, a close that arrived meanwhile is posted again.
class ModalScope {
public:
    explicit ModalScope(MainWindow& main);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    MainWindow& main_;
};

// Whether a command arriving now is carried out: not while a modal dialog or box of the
// window is open, not after Exit, and for the commands that follow the session only in the
// states whose menu item and button offer them. Posted commands (scripts, other windows) are
// held to the same rule as clicks.
bool commandTakenNow(const MainWindow& main, int command);

// Registers the window class; false on failure.
bool registerMainWindowClass(HINSTANCE program);
// Creates the centred, visible main window; null on failure.
HWND createMainWindow(const ProgramModules& modules);

// Texts of the language library; empty when the string is missing.
std::string loadText(const MainWindow& main, UINT id);
// A printf-style string of the language library with one number.
std::string formatText(const MainWindow& main, UINT id, unsigned long number);
// A printf-style string of the language library with one text (%s).
std::string formatTextWith(const MainWindow& main, UINT id, const std::string& argument);
// The system's words for a failed operation's result followed by "(error 0x8007....)", or
// only the number when the system has no words for it.
std::string systemErrorText(int32_t result);
// What a message about a failed file operation says after its first sentence: the file (or
// folder), an empty line, the system's words.
std::string fileFailureText(const std::string& path, int32_t result);
// A message box owned by the window, counted as one of its modal boxes.
int showMessage(MainWindow& main, const std::string& caption, const std::string& text, UINT flags);
void setPaneText(const MainWindow& main, int pane, const std::string& text);
// Pane 3: the model and option board of the active model settings.
void showModelText(const MainWindow& main);

// Sets every state-driven menu item and toolbar button from main.commands.
void applyCommandState(MainWindow& main);

// Handlers, one per message (main_window_*.cpp, session_*.cpp).
LRESULT onCreate(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onSize(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onSetFocus(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onNotify(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onCommand(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onClose(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onDestroy(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onRequestDone(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onConnectionState(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onRemoteClose(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onUploadDone(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onUploadStep(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onTransferProgress(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onConnectionLost(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onMeasurementEnded(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onMonitorFileClosed(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onSessionWarning(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onBoardText(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onStopRequested(MainWindow& main, WPARAM wParam, LPARAM lParam);
LRESULT onBufferWriteReport(MainWindow& main, WPARAM wParam, LPARAM lParam);

// Resolves the folders, reads profile.ini (creating missing keys) and the watch list, and
// hands the connection settings to the session (main_window_config_win.cpp).
void loadStartupConfiguration(MainWindow& main);
// Makes SETTINGS the window's active records (model, connection, buffer, folders, flags);
// the session takes the connection with its applySettings.
void takeSettings(MainWindow& main, const AppSettings& settings);

// Children (main_window_children_win.cpp).
bool createToolbar(MainWindow& main);
bool createStatusBar(MainWindow& main);
bool createTabControl(MainWindow& main);
bool createCaptureList(MainWindow& main);
bool createMonitorList(MainWindow& main);
void showTab(MainWindow& main, int tab);
// Replaces the capture list's first column: "deltaT" or "Time", width 60.
void setTimeColumn(MainWindow& main, bool delta);

// Session commands (session_commands_win.cpp).
void connectCommand(MainWindow& main);
void disconnectCommand(MainWindow& main);
// Returns the session's result: a refused stop changes nothing.
int32_t stopCommand(MainWindow& main);
void disconnectNow(MainWindow& main);
void cancelTransferCommand(MainWindow& main);
bool analyzerMeasuring(const MainWindow& main);
// The library's own view of the link, which it updates before it completes the requests of a
// link that broke.
bool analyzerLinked(const MainWindow& main);

// Monitor measurement (monitor_commands_win.cpp): command 2114 and timer 1.
constexpr UINT_PTR kMonitorTimer = 1;
void startMonitorCommand(MainWindow& main);
// The session or the analyzer refused the start of the monitor measurement: the window goes
// back to connected and idle, the buffer file made for it is deleted while it holds no record,
// and with TELL a box names the result.
void monitorStartRefused(MainWindow& main, int32_t result, bool tell);
LRESULT onTimer(MainWindow& main, WPARAM wParam, LPARAM lParam);
// Ends monitoring on the window's side when the measurement is over (or the link is gone):
// timer 1, the last file finished and shown, a last refresh of the monitor list.
void endMonitor(MainWindow& main);

// Upload of the capture buffer with its transfer dialog (upload_commands_win.cpp).
void uploadCommand(MainWindow& main);

// Data files in the capture list (data_file_commands_win.cpp): commands 1007, 40014,
// 2401/2402, and the display after an upload or a monitor measurement.
void openDataFileCommand(MainWindow& main);
void saveDataFileAsCommand(MainWindow& main);
void stepBufferFileCommand(MainWindow& main, int delta);
void showUploadedFile(MainWindow& main);
// Shows a numbered buffer file as stepping does (after monitoring); false when it cannot.
bool showBufferFile(MainWindow& main, const std::string& path, int32_t number);
// Empties the capture list, forgets the shown file, clears panes 1 and 0.
void clearCaptureDisplay(MainWindow& main);

// The capture list's notifications (capture_view_win.cpp): cell texts, selection. True when
// the notification was handled; result is the answer then.
bool captureListNotify(MainWindow& main, const NMHDR& header, LPARAM lParam, LRESULT& result);

// The monitor list (monitor_view_win.cpp): 16 numbered rows with empty cells, and the
// refresh from the watch slots and the monitoring counters.
void resetMonitorList(MainWindow& main);
void refreshMonitorList(MainWindow& main);

// Search in the capture list (search_dialog_win.cpp): command 1008 and find previous / next
// (1009 / 1010) with the condition it defined.
void searchCommand(MainWindow& main);
void findCommand(MainWindow& main, bool forward);

// Batch conversion (batch_conversion_win.cpp): command 40010.
void batchConversionCommand(MainWindow& main);

// Dialogs (preferences_dialog_win.cpp, watch_dialog_win.cpp): commands 2019 and 40020.
void preferencesCommand(MainWindow& main);
void watchSettingsCommand(MainWindow& main);

}  // namespace zv::shell
