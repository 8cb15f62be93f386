// Closing and destroying the main window.
#include "capture/buffer_files.h"
#include "main_window_win.h"
#include "resources/ids/string_ids.h"
#include "shell/keyemu_win.h"

namespace zv::shell {

LRESULT onClose(MainWindow& main, WPARAM, LPARAM) {
    // A dialog or box still open has code waiting on this window's stack: the window closes
    // when the last of them has ended.
    if (main.modalDepth > 0) {
        main.closeDeferred = true;
        return 0;
    }
    // The close asked for already waits for its disconnect.
    if (main.closePending) return 0;
    if (main.session && main.session->connectionState() == 1) {
        const UINT question = analyzerMeasuring(main) ? IDS_CLOSE_WHILE_MEASURING : IDS_CLOSE_WHILE_CONNECTED;
        if (showMessage(main, loadText(main, IDS_APP_TITLE), loadText(main, question), MB_YESNO | MB_ICONQUESTION) !=
            IDYES) {
            return 0;
        }
        // While the question was open the program may have exited; the link may have gone,
        // and then there is nothing left to disconnect.
        if (main.exiting) return 0;
    }
    if (main.session && main.session->connectionState() == 1) {
        // The window closes when the link is closed (UM_REMOTE_CLOSE); a disconnect that
        // cannot even start closes it now.
        main.closePending = true;
        main.commands.disconnectStarted();
        applyCommandState(main);
        if (main.session->disconnect() >= 0) {
            setPaneText(main, kPaneConnection, loadText(main, IDS_STATE_DISCONNECTING));
            return 0;
        }
        main.closePending = false;
    }
    destroyKeyEmulation(main);
    main.session.reset();
    DestroyWindow(main.window);
    return 0;
}

LRESULT onDestroy(MainWindow& main, WPARAM, LPARAM) {
    // Exit posts WM_DESTROY in the middle of a measurement as well, and the program ends
    // without ever destroying the window: the open buffer file gets its last header here.
    // Blocks still on their way are dropped from now on.
    if (main.sink) main.sink->setMonitoring(false);
    if (main.bufferFiles) main.bufferFiles->endMonitoring();
    // The panel lets go of the session as its window goes.
    destroyKeyEmulation(main);
    // Exit posts WM_DESTROY while the session may still hold a connected remote object: end
    // the session before the library is uninitialised under it.
    main.session.reset();
    if (!main.remoteUninitialised) {
        main.remoteUninitialised = true;
        ZVUninitializeRemote();
    }
    PostQuitMessage(0);
    return 0;
}

}  // namespace zv::shell
