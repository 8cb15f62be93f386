// Command 1003: the upload of the analyzer's capture buffer into DATAFILE.TMP, its transfer
// dialog, and the session's messages about it (step, progress, done).
#include "capture/file_system.h"
#include "main_window_win.h"
#include "remote/session_messages.h"
#include "resources/ids/command_ids.h"
#include "resources/ids/string_ids.h"
#include "shell/progress_dialog_win.h"

namespace zv::shell {
namespace {

constexpr int32_t kResultCancelled = static_cast<int32_t>(0x800704C7u);

UINT uploadStepText(WPARAM step) {
    switch (step) {
        case kUploadStepInformation: return IDS_UPLOAD_STEP_1;
        case kUploadStepRecords: return IDS_UPLOAD_STEP_2;
        case kUploadStepSummary: return IDS_UPLOAD_STEP_3;
        case kUploadStepTrailer: return IDS_UPLOAD_STEP_4;
        default: return 0;
    }
}

void setUploadDialogResult(MainWindow& main, intptr_t result) {
    main.uploadDialogResult = result;
    if (main.sink) main.sink->setUploadDialogResult(result);
}

// Whether an upload failed at its file rather than at the link: the data folder missing,
// full, or not writable.
bool isFileFailure(int32_t result) {
    switch (systemErrorOf(result)) {
        case kErrorFileNotFound:
        case kErrorPathNotFound:
        case kErrorAccessDenied:
        case 19:  // write-protected medium
        case kErrorWriteFault:
        case kErrorDiskFull:
        case 223:  // file too large
            return true;
        default:
            return false;
    }
}

void showUploadFailure(MainWindow& main, int32_t result) {
    if (isFileFailure(result)) {
        showMessage(main, loadText(main, IDS_WARNING_CAPTION),
                    formatTextWith(main, IDS_UPLOAD_FILE_FAILED_TEXT_FMT,
                                   fileFailureText(main.folders.workingDataFile, result)),
                    MB_OK | MB_ICONWARNING);
        return;
    }
    showMessage(main, "ZV-LK5MQ", formatText(main, IDS_UPLOAD_FAILED_FMT, static_cast<uint32_t>(result)),
                MB_OK | MB_ICONWARNING);
}

}  // namespace

void uploadCommand(MainWindow& main) {
    // Reached through onCommand only, which has checked the state.
    if (!main.session) return;
    clearCaptureDisplay(main);
    showTab(main, 0);
    main.commands.uploadStarted();
    applyCommandState(main);

    setUploadDialogResult(main, 0);
    const Result result = main.session->startUpload();
    if (result < 0) {
        main.commands.uploadFinished();
        applyCommandState(main);
        // Nothing would ever end the dialog: say why instead of opening it.
        showUploadFailure(main, result);
        return;
    }
    ProgressDialog dialog(main);
    setUploadDialogResult(main, dialog.run());
}

LRESULT onUploadStep(MainWindow& main, WPARAM wParam, LPARAM) {
    const UINT text = uploadStepText(wParam);
    if (text == 0) return 0;
    const std::string step = loadText(main, text);
    setPaneText(main, kPaneTransfer, step);
    // The block of the records is the long one: it may be cancelled.
    ProgressDialog::showStep(main.progressDialog, step, wParam == kUploadStepRecords);
    return 0;
}

LRESULT onTransferProgress(MainWindow& main, WPARAM wParam, LPARAM) {
    const auto packed = static_cast<uint32_t>(wParam);
    ProgressDialog::setProgress(main.progressDialog, packed & 0xFFFFu, packed >> 16);
    return 0;
}

LRESULT onUploadDone(MainWindow& main, WPARAM wParam, LPARAM) {
    const auto result = static_cast<int32_t>(static_cast<uint32_t>(wParam));
    ProgressDialog::resetProgress(main.progressDialog);
    if (result >= 0 || result == kResultCancelled) {
        ProgressDialog::finish(main.progressDialog);
    } else {
        showUploadFailure(main, result);
        // The dialog stays for the user to close; a failure before the long step would leave
        // it without a button.
        ProgressDialog::showCancel(main.progressDialog);
    }
    main.commands.uploadFinished();
    applyCommandState(main);
    if (result >= 0) showUploadedFile(main);
    return 0;
}

}  // namespace zv::shell
