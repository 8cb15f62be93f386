// Connect, disconnect, stop and cancel: the commands that go through the session.
#include "main_window_win.h"
#include "resources/ids/command_ids.h"
#include "resources/ids/string_ids.h"
#include "shell/app_folders_win.h"

namespace zv::shell {
namespace {

// A folder the session writes into must be there before connecting: a missing one is
// offered for creation, anything else in the way stops the connect without a word.
bool folderReady(MainWindow& main, const std::string& folder, UINT tabLabel, UINT missingText) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    const std::string caption = formatTextWith(main, IDS_FOLDER_MISSING_CAPTION_TEXT_FMT, loadText(main, tabLabel));
    if (showMessage(main, caption, formatTextWith(main, missingText, folder), MB_OKCANCEL | MB_ICONWARNING) != IDOK) {
        return false;
    }
    if (createFolderChain(folder)) return true;
    // The user asked for the folder: a name the file system refuses (under Wine without a
    // UTF-8 locale, any name outside ASCII) must not end the connect without a word.
    showMessage(main, caption, formatTextWith(main, IDS_FOLDER_NOT_CREATED_TEXT_FMT, folder), MB_OK | MB_ICONWARNING);
    return false;
}

}  // namespace

bool analyzerMeasuring(const MainWindow& main) {
    if (!main.session) return false;
    IZVRemote* remote = nullptr;
    if (main.session->getRemote(&remote) < 0 || !remote) return false;
    const bool measuring = (remote->GetStatus() & remote_api::kStatusMeasuring) != 0;
    remote->Release();
    return measuring;
}

bool analyzerLinked(const MainWindow& main) {
    if (!main.session) return false;
    IZVRemote* remote = nullptr;
    if (main.session->getRemote(&remote) < 0 || !remote) return false;
    const bool linked = remote->GetState() == 1;
    remote->Release();
    return linked;
}

void connectCommand(MainWindow& main) {
    if (!main.session || main.session->connectionState() != 0) return;
    if (!folderReady(main, main.buffer.folder, IDS_PREF_TAB_BUFFER, IDS_BUFFER_FOLDER_MISSING_TEXT_FMT) ||
        !folderReady(main, main.screenshotFolder, IDS_PREF_TAB_SCREENSHOT,
                     IDS_SCREEN_FOLDER_MISSING_TEXT_FMT)) {
        return;
    }
    // The folder questions ran message loops of their own.
    if (main.exiting || !main.session || main.session->connectionState() != 0 ||
        !commandEnabled(IDM_CONNECT, main.commands)) {
        return;
    }
    main.commands.connectStarted();
    applyCommandState(main);
    const Result result = main.session->connect();
    if (result < 0) {
        showMessage(main, loadText(main, IDS_WARNING_CAPTION),
                    formatText(main, IDS_CONNECT_REFUSED_AT_ONCE_FMT, static_cast<uint32_t>(result)),
                    MB_OK | MB_ICONWARNING);
        main.commands.connectFailed();
        applyCommandState(main);
        return;
    }
    setPaneText(main, kPaneConnection, loadText(main, IDS_STATE_CONNECTING));
}

void disconnectNow(MainWindow& main) {
    if (!main.session) return;
    main.commands.disconnectStarted();
    applyCommandState(main);
    if (main.session->disconnect() < 0) {
        main.commands.disconnectRefused(main.session->connectionState() == 1);
        applyCommandState(main);
        return;
    }
    setPaneText(main, kPaneConnection, loadText(main, IDS_STATE_DISCONNECTING));
}

void disconnectCommand(MainWindow& main) {
    if (!analyzerMeasuring(main)) {
        disconnectNow(main);
        return;
    }
    // A running measurement is stopped first; the disconnect follows when it has ended.
    if (showMessage(main, loadText(main, IDS_APP_TITLE), loadText(main, IDS_DISCONNECT_WHILE_MEASURING),
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    // The answer counts for the link as it is now: it may have gone, or the measurement
    // ended, while the question was open.
    if (main.exiting || !commandEnabled(IDM_DISCONNECT, main.commands)) return;
    if (!analyzerMeasuring(main)) {
        disconnectNow(main);
        return;
    }
    if (stopCommand(main) >= 0) main.disconnectAfterStop = true;
}

int32_t stopCommand(MainWindow& main) {
    if (!main.session) return kPointerMissing;
    const Result result = main.session->stopMeasurement();
    if (result >= 0) {
        main.commands.stopAccepted();
        applyCommandState(main);
    }
    return result;
}

void cancelTransferCommand(MainWindow& main) {
    if (main.session) main.session->cancelCurrent();
    main.captureHasData = false;
    setPaneText(main, kPaneTransfer, "");
}

}  // namespace zv::shell
