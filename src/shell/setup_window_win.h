// The setup window (template 0x192, command 2012): a modal dialog with a small toolbar (open,
// save, receive, send), the board's name, the synchronisation check box and the page frame.
// It exchanges the working setup with setup files and with the analyzer; the analyzer
// transfers run area by area, driven by the session's completion messages, behind the
// transfer dialog.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/result.h"
#include "shell/dialog_win.h"
#include "shell/setup_frame_win.h"
#include "shell/setup_page_win.h"

namespace zv::shell {

struct MainWindow;

class SetupWindow final : public Dialog {
public:
    explicit SetupWindow(MainWindow& main);
    ~SetupWindow() override;

    INT_PTR run();

protected:
    bool onInit() override;
    bool onCommand(int id, int code, HWND control) override;
    bool onNotify(const NMHDR& header, LRESULT& result) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    enum class Transfer { None, Receive, Send };
    struct Chain {
        Transfer kind = Transfer::None;
        bool waiting = false;    // the transfer dialog is open for it
        bool completed = false;
        Result failure = kOk;    // why it ended early; kOk while it runs or when it completed
    };

    void createToolbar();
    void updateTransferButtons() const;
    // A transfer may start: connected, not uploading, and the analyzer is not measuring.
    bool analyzerReady() const;
    void close();

    // Setup files (setup_files_win.cpp).
    void openFile();
    void saveFile();

    // Analyzer transfers (setup_transfer_win.cpp). Each runs its whole chain behind the
    // transfer dialog and returns whether it completed; failures are reported here.
    bool receive();
    bool send();
    bool runChain(Transfer kind);
    // Ends the chain once its dialog has closed: resets it and reports a failure.
    bool finishChain();
    Result requestArea(Transfer kind, uint32_t area);
    void completion(UINT message, WPARAM wParam);
    void endChain(Result failure);
    void closeTransferDialog() const;
    void connectionEnded();
    void takeOverReceived();

    MainWindow& main_;
    SetupEditorContext context_;
    std::unique_ptr<SetupFrame> frame_;
    HWND toolbar_ = nullptr;
    Chain chain_;
    bool closing_ = false;
};

// Command 2012.
void setupEditorCommand(MainWindow& main);

}  // namespace zv::shell
