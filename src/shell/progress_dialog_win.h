// The transfer dialog (template 0x73) of capture-buffer uploads and setup transfers: the text
// of the current step, a progress bar and a Cancel button that appears once the long transfer
// starts. It is modal; while it is open its handle is in MainWindow::progressDialog and with
// the session's sink, so that the main window's handlers and the session can reach it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "shell/dialog_win.h"

namespace zv::shell {

struct MainWindow;

// How the dialog ended: Cancel, or closed once the transfer was over.
constexpr INT_PTR kProgressCancelled = IDCANCEL;
constexpr INT_PTR kProgressClosed = IDOK;

class ProgressDialog final : public Dialog {
public:
    explicit ProgressDialog(MainWindow& main) : main_(main) {}

    // Runs the dialog over OWNER (the main window when null); returns how it ended (-1 when
    // it could not be created).
    INT_PTR run(HWND owner = nullptr);

    // What the main window's handlers do with the open dialog.
    static void showStep(HWND dialog, const std::string& text, bool cancellable);
    static void setProgress(HWND dialog, uint32_t done, uint32_t total);
    static void resetProgress(HWND dialog);
    static void showCancel(HWND dialog);
    static void finish(HWND dialog);

protected:
    bool onInit() override;
    bool onCommand(int id, int code, HWND control) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void forget();

    MainWindow& main_;
};

}  // namespace zv::shell
