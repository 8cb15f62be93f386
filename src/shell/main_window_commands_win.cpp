// WM_COMMAND: one handler per command, found in one table. Commands whose windows come
// later say so in a message box for now.
#include "main_window_win.h"
#include "resources/ids/about_dialog_res.h"
#include "resources/ids/command_ids.h"
#include "resources/ids/string_ids.h"
#include "shell/keyemu_win.h"
#include "shell/setup_window_win.h"

namespace zv::shell {
namespace {

using CommandHandler = void (*)(MainWindow&);

void connect(MainWindow& main) {
    connectCommand(main);
    main.disconnectAfterStop = false;
}

void disconnect(MainWindow& main) { disconnectCommand(main); }
void stop(MainWindow& main) { stopCommand(main); }
void cancelTransfer(MainWindow& main) { cancelTransferCommand(main); }
void upload(MainWindow& main) { uploadCommand(main); }
void startMonitor(MainWindow& main) { startMonitorCommand(main); }
void openDataFile(MainWindow& main) { openDataFileCommand(main); }
void saveDataFileAs(MainWindow& main) { saveDataFileAsCommand(main); }
void previousBufferFile(MainWindow& main) { stepBufferFileCommand(main, -1); }
void nextBufferFile(MainWindow& main) { stepBufferFileCommand(main, +1); }
void preferences(MainWindow& main) { preferencesCommand(main); }
void watchSettings(MainWindow& main) { watchSettingsCommand(main); }
void setupEditor(MainWindow& main) { setupEditorCommand(main); }
void search(MainWindow& main) { searchCommand(main); }
void batchConversion(MainWindow& main) { batchConversionCommand(main); }
void findPrevious(MainWindow& main) { findCommand(main, false); }
void findNext(MainWindow& main) { findCommand(main, true); }

void exitProgram(MainWindow& main) {
    // No question and no disconnect: the window goes as it is. Commands still in the queue
    // behind it are not carried out.
    main.exiting = true;
    PostMessageA(main.window, WM_DESTROY, 0, 0);
}

void toggleDeltaTime(MainWindow& main) {
    main.deltaTime = !main.deltaTime;
    CheckMenuItem(GetMenu(main.window), IDM_DELTA_TIME,
                  static_cast<UINT>(MF_BYCOMMAND | (main.deltaTime ? MF_CHECKED : MF_UNCHECKED)));
    setTimeColumn(main, main.deltaTime);
}

INT_PTR CALLBACK aboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void about(MainWindow& main) {
    ModalScope modal(main);
    DialogBoxParamA(main.modules.language, MAKEINTRESOURCEA(IDD_ABOUT), main.window, aboutProcedure, 0);
}

void help(MainWindow& main);

struct CommandEntry {
    int command;
    CommandHandler handler;
};

constexpr CommandEntry kCommands[] = {
    {IDM_UPLOAD_BUFFER, upload},
    {IDM_CANCEL_TRANSFER, cancelTransfer},
    {IDM_OPEN_DATA_FILE, openDataFile},
    {IDM_FIND, search},
    {IDM_FIND_PREVIOUS, findPrevious},
    {IDM_FIND_NEXT, findNext},
    {IDM_KEY_EMULATION, keyEmulationCommand},
    {IDM_SETUP_EDITOR, setupEditor},
    {IDM_PREFERENCES, preferences},
    {IDM_STOP_MEASUREMENT, stop},
    {IDM_CONNECT, connect},
    {IDM_DISCONNECT, disconnect},
    {IDM_START_MONITOR, startMonitor},
    {IDM_EXIT, exitProgram},
    {IDM_HELP, help},
    {IDM_PREVIOUS_BUFFER_FILE, previousBufferFile},
    {IDM_NEXT_BUFFER_FILE, nextBufferFile},
    {IDM_BATCH_CONVERSION, batchConversion},
    {IDM_ABOUT, about},
    {IDM_SAVE_DATA_FILE_AS, saveDataFileAs},
    {IDM_DELTA_TIME, toggleDeltaTime},
    {IDM_WATCH_SETTINGS, watchSettings},
};

}  // namespace

LRESULT onCommand(MainWindow& main, WPARAM wParam, LPARAM lParam) {
    const int command = LOWORD(wParam);
    for (const CommandEntry& entry : kCommands) {
        if (entry.command == command) {
            if (commandTakenNow(main, command)) entry.handler(main);
            return 0;
        }
    }
    return DefWindowProcA(main.window, WM_COMMAND, wParam, lParam);
}

}  // namespace zv::shell

#include "html_help_win.h"

namespace zv::shell {
namespace {

// The help file lies beside the program.
void help(MainWindow& main) {
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(main.modules.program, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::string file(path, length);
    file = file.substr(0, file.find_last_of('\\') + 1) + "ZV-LK5MQ.chm";
    showHtmlHelp(main.window, file.c_str());
}

}  // namespace
}  // namespace zv::shell
