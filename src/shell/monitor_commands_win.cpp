// Command 2114 and timer 1: the monitor measurement into the numbered buffer files, and what
// the window does when it ends.
#include <algorithm>

#include "capture/buffer_files.h"
#include "main_window_win.h"
#include "remote/session_messages.h"
#include "resources/ids/command_ids.h"
#include "resources/ids/string_ids.h"

namespace zv::shell {
namespace {

constexpr UINT kMonitorRefreshMs = 1000;

// The buffer-file writer always stops at the file limit and never appends: a measurement
// starts with an empty folder.
BufferSettings bufferSettingsOf(const MainWindow& main) {
    BufferSettings settings;
    settings.flags = (main.buffer.flags | kBufferFlagFullStop) & ~kBufferFlagAppend;
    settings.blockSizeIndex = static_cast<int>(main.buffer.blockSizeIndex);
    settings.blockCount = static_cast<int>(main.buffer.blockCount);
    settings.folder = main.buffer.folder;
    return settings;
}

// False when the user declined or the folder does not allow a measurement.
bool bufferFolderAllowsStart(MainWindow& main, const BufferSettings& settings) {
    const MonitorPrecheckResult check = checkBufferFolderBeforeMonitor(realFileSystem(), settings);
    switch (check.decision) {
        case MonitorPrecheck::Start: return true;
        case MonitorPrecheck::AskDeleteExisting:
            return showMessage(main, loadText(main, IDS_BUFFER_FILES_CAPTION), loadText(main, IDS_BUFFER_FILES_EXIST),
                               MB_YESNO | MB_ICONQUESTION) == IDYES;
        case MonitorPrecheck::NumberRangeExhausted:
            showMessage(main, loadText(main, IDS_MEASUREMENT_CAPTION), loadText(main, IDS_BUFFER_NUMBERS_USED_UP),
                        MB_OK | MB_ICONWARNING);
            return false;
        case MonitorPrecheck::FileLimitReached:
            showMessage(main, loadText(main, IDS_MEASUREMENT_CAPTION), loadText(main, IDS_BUFFER_FILES_FULL),
                        MB_OK | MB_ICONWARNING);
            return false;
    }
    return false;
}

void setMonitoring(MainWindow& main, bool on) {
    main.monitoring = on;
    if (main.sink) main.sink->setMonitoring(on);
}

}  // namespace

void startMonitorCommand(MainWindow& main) {
    // Reached through onCommand only, which has checked the state.
    if (!main.session) return;
    const BufferSettings settings = bufferSettingsOf(main);
    if (!bufferFolderAllowsStart(main, settings)) return;
    // The question about the existing files ran a message loop: the link may have changed.
    if (main.exiting || !commandEnabled(IDM_START_MONITOR, main.commands)) return;

    showTab(main, 1);
    clearCaptureDisplay(main);

    // The writer calls this on the library's thread when the folder is full: post only.
    const HWND window = main.window;
    main.bufferFiles->setLimitHandler([window] { PostMessageA(window, UM_STOP_REQUESTED, 0, 0); });
    const Result prepared = main.bufferFiles->startBufferFiles(settings, main.model.boardType.load());
    if (prepared < 0) {
        // Nothing could be written: a measurement now would only lose its data.
        main.bufferFiles->endMonitoring();
        showMessage(main, loadText(main, IDS_BUFFER_FILES_CAPTION),
                    formatText(main, IDS_BUFFER_START_FAILED_FMT, static_cast<uint32_t>(prepared)),
                    MB_OK | MB_ICONWARNING);
        return;
    }
    setMonitoring(main, true);
    main.watchList.clearHasData();

    SetTimer(main.window, kMonitorTimer, kMonitorRefreshMs, nullptr);
    resetMonitorList(main);
    setPaneText(main, kPaneTransfer, "");
    setPaneText(main, 0, "");

    const Result started = main.session->startMeasurement();
    if (started < 0) {
        monitorStartRefused(main, started, true);
        return;
    }
    main.commands.monitorStarted();
    applyCommandState(main);
}

void monitorStartRefused(MainWindow& main, int32_t result, bool tell) {
    if (!main.monitoring) return;
    // Nothing was measured: no timer, no open file, and no empty file left in the folder.
    KillTimer(main.window, kMonitorTimer);
    setMonitoring(main, false);
    main.bufferFiles->abandonMonitoring();
    main.commands.measurementEnded();
    applyCommandState(main);
    if (!tell) return;
    showMessage(main, loadText(main, IDS_MEASUREMENT_CAPTION),
                formatText(main, IDS_MONITOR_START_FAILED_FMT, static_cast<uint32_t>(result)),
                MB_OK | MB_ICONWARNING);
}

LRESULT onTimer(MainWindow& main, WPARAM wParam, LPARAM) {
    if (wParam == kMonitorTimer && main.monitoring) refreshMonitorList(main);
    return 0;
}

void endMonitor(MainWindow& main) {
    if (!main.monitoring) return;
    KillTimer(main.window, kMonitorTimer);
    // Later blocks are dropped from here on; the open file gets its header.
    if (main.sink) main.sink->setMonitoring(false);
    main.bufferFiles->endMonitoring();
    refreshMonitorList(main);
    const LastWrittenFile last = main.bufferFiles->lastWrittenFile();
    // A buffer folder that vanished while monitoring took the last file with it: the report
    // below says so, a box about a file that cannot be read would only confuse.
    if (last.number >= 0 && !last.path.empty() && GetFileAttributesA(last.path.c_str()) != INVALID_FILE_ATTRIBUTES)
        showBufferFile(main, last.path, last.number);
    main.monitoring = false;
    // Once per measurement, and only after the end has been dealt with: a box per failed
    // block would stop monitoring, and one inside the handlers of the end would run its loop
    // in the middle of their state changes.
    const BufferWriteFailure failure = main.bufferFiles->firstWriteFailure();
    if (failure.result < 0) {
        main.bufferWriteReport = {main.bufferFiles->counters().recordsNotWritten, failure.path, failure.result};
        PostMessageA(main.window, UM_BUFFER_WRITE_REPORT, 0, 0);
    }
}

LRESULT onBufferWriteReport(MainWindow& main, WPARAM, LPARAM) {
    const MainWindow::BufferWriteReport report = main.bufferWriteReport;
    main.bufferWriteReport = {};
    if (report.result >= 0 || main.exiting) return 0;
    const auto records = static_cast<unsigned long>(std::min<uint64_t>(report.records, 0xFFFFFFFFu));
    showMessage(main, loadText(main, IDS_BUFFER_FILES_CAPTION),
                formatText(main, IDS_BUFFER_WRITE_FAILED_FMT, records) + "\n\n" + fileFailureText(report.path, report.result),
                MB_OK | MB_ICONWARNING);
    return 0;
}

LRESULT onMeasurementEnded(MainWindow& main, WPARAM, LPARAM) {
    endMonitor(main);
    // Without a link the analyzer's end changes no command.
    main.commands.measurementEnded();
    applyCommandState(main);
    if (main.disconnectAfterStop) {
        main.disconnectAfterStop = false;
        disconnectNow(main);
    }
    return 0;
}

}  // namespace zv::shell
