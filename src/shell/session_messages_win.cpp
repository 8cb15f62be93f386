// The messages the session posts to the main window. Messages that carry a reference are
// released here whatever else happens, so that no request or remote object outlives its
// message.
#include <memory>

#include "main_window_win.h"
#include "shell/progress_dialog_win.h"
#include "remote/session_messages.h"
#include "resources/ids/command_ids.h"
#include "resources/ids/string_ids.h"

namespace zv::shell {
namespace {

// The session names the link's end by these numbers of the language library.
static_assert(kStringLinkLost == IDS_CONNECTION_LOST && kStringLinkStoppedAnswering == IDS_LINK_STOPPED_ANSWERING &&
              kStringLinkMalformedFrame == IDS_LINK_MALFORMED_FRAME && kStringLinkWrongLength == IDS_LINK_WRONG_LENGTH &&
              kStringLinkUnexpectedCompletion == IDS_LINK_UNEXPECTED_COMPLETION &&
              kStringLinkUnrequestedData == IDS_LINK_UNREQUESTED_DATA);

UINT connectFailureText(int32_t result) {
    switch (static_cast<uint32_t>(result)) {
        case 0x80070102u: return IDS_CONNECT_TIMEOUT;
        case 0x80072AF9u: return IDS_CONNECT_HOST_NOT_FOUND;
        case 0xA0000001u: return IDS_CONNECT_NOT_READY;
        case 0xA0000004u: return IDS_CONNECT_BUSY;
        case 0xA0000009u: return IDS_CONNECT_WRONG_VERSION;
        default:
            // An analyzer that broke the protocol while answering: named as on a lost link.
            if (const uint32_t text = linkEndText(result); text != IDS_CONNECTION_LOST) return text;
            return IDS_CONNECT_FAILED_FMT;
    }
}

// Failures that only the connection settings can mend: the text names what the settings
// gave (a serial number, a port) and the box offers to open them; 0 for any other failure.
UINT settingsFailureText(const ConnectionSettings& connection, int32_t result, std::string& named) {
    const auto code = static_cast<uint32_t>(result);
    if (connection.method == remote_api::kMethodUsb && result == remote_api::kResultNoSuchAnalyzer) {
        named = fieldText(connection.usbSerialNumber);
        return IDS_CONNECT_NO_SUCH_SERIAL_TEXT_FMT;
    }
    // CreateFile's answer for a port name the system does not know.
    if (connection.method == remote_api::kMethodSerial && (code == 0x80070002u || code == 0x80070003u)) {
        named = fieldText(connection.serialPort);
        return IDS_CONNECT_NO_SUCH_PORT_TEXT_FMT;
    }
    return 0;
}

void connectDone(MainWindow& main, int32_t result) {
    if (result < 0) {
        std::string named;
        if (const UINT text = settingsFailureText(main.connection, result, named)) {
            const int answer = showMessage(main, loadText(main, IDS_APP_TITLE), formatTextWith(main, text, named),
                                           MB_YESNO | MB_ICONWARNING);
            // Posted, so that the preferences open by the rules of every command: not after
            // Exit, not over another dialog, and only while disconnected.
            if (answer == IDYES) PostMessageA(main.window, WM_COMMAND, IDM_PREFERENCES, 0);
        } else {
            const UINT failure = connectFailureText(result);
            showMessage(main, "ZV-LK5MQ",
                        failure == IDS_CONNECT_FAILED_FMT ? formatText(main, failure, static_cast<uint32_t>(result))
                                                          : loadText(main, failure),
                        MB_OK | MB_ICONWARNING);
        }
        main.commands.connectFailed();
        applyCommandState(main);
        setPaneText(main, kPaneConnection, loadText(main, IDS_STATE_NOT_CONNECTED));
        return;
    }
    main.commands.connected();
    applyCommandState(main);
    // Whatever the analyzer was doing, a fresh connection starts from a stopped measurement.
    // The program's own request, not the user's command: stop is grey at this point.
    PostMessageA(main.window, UM_STOP_REQUESTED, 0, 0);
    setPaneText(main, kPaneConnection, loadText(main, IDS_STATE_CONNECTED));
}

void disconnectDone(MainWindow& main) {
    // A measurement the analyzer never reported as ended is over with the link.
    endMonitor(main);
    main.commands.disconnected();
    applyCommandState(main);
    setPaneText(main, kPaneConnection, loadText(main, IDS_STATE_NOT_CONNECTED));
}

// An analyzer that was not measuring has nothing to report after the stop that follows a
// connect, so it never says that its measurement ended; without this the monitor command
// would stay grey for the whole connection. A completed stop with the analyzer idle counts
// as the end then. Not while monitoring: the records still on their way would be cut off,
// and the analyzer reports that end itself once it has sent them.
void stopDone(MainWindow& main, const IZVRemoteRequest& request) {
    if (request.param1 != 0 || request.result < 0 || main.monitoring) return;
    if (main.commands.connection != ConnectionPhase::Connected || analyzerMeasuring(main)) return;
    onMeasurementEnded(main, 0, 0);
}

// A start the analyzer refused. Without the link the lost link's own box says why, after the
// measurement has been taken back here all the same.
void startDone(MainWindow& main, const IZVRemoteRequest& request) {
    if (request.param1 == 0 || request.result >= 0 || !main.monitoring) return;
    monitorStartRefused(main, request.result, analyzerLinked(main));
}

}  // namespace

LRESULT onRequestDone(MainWindow& main, WPARAM, LPARAM lParam) {
    const auto* request = reinterpret_cast<const IZVRemoteRequest*>(lParam);
    if (main.session && request) {
        if (request->kind == remote_api::kRequestConnect) connectDone(main, request->result);
        if (request->kind == remote_api::kRequestDisconnect) disconnectDone(main);
        if (request->kind == remote_api::kRequestMeasurement) {
            startDone(main, *request);
            stopDone(main, *request);
        }
    }
    CZVRemote5m::releaseRequestMessage(static_cast<uintptr_t>(lParam));
    return 1;
}

LRESULT onConnectionState(MainWindow& main, WPARAM, LPARAM lParam) {
    if ((lParam & 3) != 0 && main.progressDialog) PostMessageA(main.progressDialog, WM_CLOSE, 0, 0);
    return 0;
}

LRESULT onRemoteClose(MainWindow& main, WPARAM wParam, LPARAM lParam) {
    if (main.session)
        main.session->closeRemoteMessage(static_cast<uintptr_t>(wParam), static_cast<uintptr_t>(lParam));
    else
        CZVRemote5m::closeRemoteMessage(static_cast<uintptr_t>(lParam));
    if (main.closePending) {
        main.closePending = false;
        PostMessageA(main.window, WM_CLOSE, 0, 0);
    }
    return 0;
}

LRESULT onConnectionLost(MainWindow& main, WPARAM wParam, LPARAM) {
    // The window is disconnected from here on, also for what arrives while the box is open.
    main.commands.connectionLost();
    applyCommandState(main);
    setPaneText(main, kPaneConnection, loadText(main, IDS_STATE_NOT_CONNECTED));
    // No end of the measurement will be reported over a broken link: keep what was received,
    // with its header, and show it.
    endMonitor(main);
    main.disconnectAfterStop = false;
    // The session cancels an open transfer dialog when the link breaks; a link that broke
    // before the dialog had opened leaves that to this message.
    ProgressDialog::finish(main.progressDialog);
    if (main.sink) main.sink->postSetup(UM_SETUP_CONNECTION_LOST, 0, 0);
    // The library names what ended the link (wParam, its result): silence or the protocol
    // problem the analyzer caused; anything else is the lost link.
    showMessage(main, loadText(main, IDS_WARNING_CAPTION),
                loadText(main, linkEndText(static_cast<int32_t>(static_cast<uint32_t>(wParam)))),
                MB_OK | MB_ICONWARNING);
    return 0;
}

LRESULT onMonitorFileClosed(MainWindow&, WPARAM, LPARAM) { return 0; }

LRESULT onSessionWarning(MainWindow& main, WPARAM, LPARAM lParam) {
    const std::unique_ptr<SessionWarning> warning(reinterpret_cast<SessionWarning*>(lParam));
    if (warning) showMessage(main, warning->caption, warning->text, MB_OK | MB_ICONWARNING);
    return 0;
}

LRESULT onBoardText(MainWindow& main, WPARAM, LPARAM) {
    if (main.sink) setPaneText(main, kPaneModel, main.sink->boardText());
    return 0;
}

LRESULT onStopRequested(MainWindow& main, WPARAM, LPARAM) {
    // Only over a link: a stop asked for by a connect that has since failed goes nowhere.
    if (main.session && main.commands.connection == ConnectionPhase::Connected) stopCommand(main);
    return 0;
}

}  // namespace zv::shell
