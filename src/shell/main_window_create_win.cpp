// WM_CREATE: menu, children, session, configuration, in the order the rest relies on.
#include "main_window_win.h"
#include "shell/keyemu_win.h"

#include <commctrl.h>

#include "resources/ids/command_ids.h"
#include "resources/ids/menu_ids.h"
#include "resources/ids/string_ids.h"

namespace zv::shell {
namespace {

LRESULT failCreation(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_ICONERROR);
    return -1;
}

void createSession(MainWindow& main) {
    // The folders are known only after the configuration is read; the sink learns them then.
    main.sink = std::make_unique<Win32SessionSink>(main.window, main.modules.language, std::string(), std::string());
    main.session = std::make_unique<CZVRemote5m>(
        *main.sink, SessionContext{main.model, main.receivedSetup, *main.bufferFiles, main.connection});
}

}  // namespace

void showModelText(const MainWindow& main) {
    const BoardInfo* board = findBoard(main.model.boardType.load());
    setPaneText(main, kPaneModel, board ? std::string(board->text) : std::string());
}

LRESULT onCreate(MainWindow& main, WPARAM, LPARAM) {
    if (HMENU menu = LoadMenuA(main.modules.language, MAKEINTRESOURCEA(IDR_MAIN_MENU))) {
        SetMenu(main.window, menu);
    }
    if (!createToolbar(main)) return failCreation("Error - ToolBarCreate", "ZVLK5MQ Toolbar");
    if (!createStatusBar(main)) return failCreation("Error - CreateStatusBar", "ZVLK5MQ Statusbar");
    if (!createTabControl(main)) return failCreation("Error - CreateTabControl", "ZVLK5MQ Statusbar");
    if (!createCaptureList(main)) return failCreation("Error - CreateListView", "ZVLK5MQ Statusbar");
    if (!createMonitorList(main)) return -1;
    ShowWindow(main.monitorList, SW_HIDE);

    createSession(main);
    if (!main.session) return failCreation("Error - new CZVRemote5m", "ZVLK5MQ");

    main.commands = CommandState{};
    applyCommandState(main);
    CheckMenuItem(GetMenu(main.window), IDM_DELTA_TIME, static_cast<UINT>(MF_BYCOMMAND | MF_UNCHECKED));
    main.deltaTime = false;
    SetWindowTextA(main.window, loadText(main, IDS_APP_TITLE).c_str());

    loadStartupConfiguration(main);
    main.setup.initDefaults(main.model.boardType.load());
    main.receivedSetup.initDefaults(main.model.boardType.load());

    setPaneText(main, kPaneConnection, loadText(main, IDS_STATE_NOT_CONNECTED));
    main.session->createRemote();
    main.monitoring = false;
    main.closePending = false;
    main.keyEmulationActive = false;
    registerKeyEmulationClasses(main.modules.program);  // without them command 2000 shows nothing

    showModelText(main);
    // The lists draw over the tab control's page area.
    SetWindowPos(main.tabs, main.captureList, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(main.tabs, main.monitorList, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return 0;
}

}  // namespace zv::shell
