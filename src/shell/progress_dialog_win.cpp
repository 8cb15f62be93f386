#include "shell/progress_dialog_win.h"

#include <commctrl.h>

#include "resources/ids/progress_dialog_res.h"
#include "shell/main_window_win.h"

namespace zv::shell {

INT_PTR ProgressDialog::run(HWND owner) {
    ModalScope modal(main_);
    return runModal(main_.modules.language, IDD_PROGRESS, owner ? owner : main_.window);
}

bool ProgressDialog::onInit() {
    // Cancel is offered only for the long transfer; the short steps finish on their own.
    showItem(IDC_PROGRESS_CANCEL, false);
    SendMessageA(item(IDC_PROGRESS_BAR), PBM_SETRANGE32, 0, 0);
    main_.progressDialog = window();
    if (main_.sink) main_.sink->setProgressDialog(window());
    return true;
}

bool ProgressDialog::onCommand(int id, int, HWND control) {
    if (id != IDC_PROGRESS_CANCEL) return false;
    // Escape arrives as the hidden button's Cancel; before the long transfer the user has
    // nothing to cancel. The session's own Cancel (a lost link) comes without a control.
    if (control && !IsWindowVisible(item(IDC_PROGRESS_CANCEL))) return true;
    // After a failed upload the button only closes the dialog: by now another request may be
    // the session's current one.
    if (main_.commands.uploading) cancelTransferCommand(main_);
    forget();
    end(kProgressCancelled);
    return true;
}

bool ProgressDialog::onMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    if (message == WM_CLOSE) {
        forget();
        end(kProgressClosed);
        result = TRUE;
        return true;
    }
    if (message == WM_DESTROY) forget();
    return false;
}

// Once ended, the dialog must no longer be found: a late step or a lost link would otherwise
// write to, or press Cancel in, a window on its way out.
void ProgressDialog::forget() {
    if (main_.progressDialog == window()) main_.progressDialog = nullptr;
    if (main_.sink) main_.sink->setProgressDialog(nullptr);
}

void ProgressDialog::showStep(HWND dialog, const std::string& text, bool cancellable) {
    if (!dialog) return;
    SetDlgItemTextA(dialog, IDC_PROGRESS_STEP, text.c_str());
    if (cancellable) showCancel(dialog);
}

void ProgressDialog::setProgress(HWND dialog, uint32_t done, uint32_t total) {
    if (!dialog) return;
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    SendMessageA(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total));
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(done), 0);
}

void ProgressDialog::resetProgress(HWND dialog) {
    if (dialog) SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
}

void ProgressDialog::showCancel(HWND dialog) {
    if (dialog) ShowWindow(GetDlgItem(dialog, IDC_PROGRESS_CANCEL), SW_SHOW);
}

void ProgressDialog::finish(HWND dialog) {
    if (dialog) SendMessageA(dialog, WM_CLOSE, 0, 0);
}

}  // namespace zv::shell
