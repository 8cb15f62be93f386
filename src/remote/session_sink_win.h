// The session's sink in the Win32 program: window messages to the main window, the setup
// window, the key-emulation panel and the transfer dialog, status pane 3, the warning box
// with texts of the language library, and the [remote] keys of profile.ini.
//
// Nothing here waits for the UI thread: the UI thread itself waits for the library's threads
// when it ends a session, so pane 3, the warning box and the transfer dialog's Cancel are
// posted to the windows concerned.
//
// The windows other than the main window come and go while the library's threads post to
// them, so their handles, like the two flags, are atomics that the UI thread sets.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "remote/session_sink.h"

namespace zv {

// The end-of-measurement warning on its way to the UI thread (UM_SESSION_WARNING).
struct SessionWarning {
    std::string caption;
    std::string text;
};

class Win32SessionSink final : public SessionSink {
public:
    // language: the module of the language library; profilePath: profile.ini. Pane 3 is set
    // by the main window on UM_BOARD_TEXT.
    Win32SessionSink(HWND mainWindow, HINSTANCE language, std::string profilePath, std::string dataFolder);

    void setSetupWindow(HWND window) { setupWindow_.store(window); }
    void setKeyEmulationWindow(HWND window) { keyEmulationWindow_.store(window); }
    void setProgressDialog(HWND dialog) { progressDialog_.store(dialog); }
    void setMonitoring(bool on) { monitoring_.store(on); }
    void setUploadDialogResult(intptr_t result) { uploadDialogResult_.store(result); }
    void setDataFolder(std::string folder);
    void setProfilePath(std::string path);

    bool postMain(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;
    bool postSetup(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;
    bool postKeyEmulation(uint32_t wParam) override;
    void setBoardText(std::string_view text) override;
    void writeModelKeys(std::string_view model, std::string_view exboard) override;
    void showWarning(uint32_t captionId, uint32_t textId, std::optional<uint32_t> argument) override;
    bool progressDialogOpen() override;
    void cancelProgressDialog() override;
    void closeProgressDialog() override;
    bool monitoring() override { return monitoring_.load(); }
    intptr_t uploadDialogResult() override { return uploadDialogResult_.load(); }
    std::string dataFolder() override;

    // The text of the last setBoardText, for UM_BOARD_TEXT.
    std::string boardText() const;

private:
    std::string loadString(uint32_t id) const;

    const HWND mainWindow_;
    const HINSTANCE language_;
    std::atomic<HWND> setupWindow_{nullptr};
    std::atomic<HWND> keyEmulationWindow_{nullptr};
    std::atomic<HWND> progressDialog_{nullptr};
    std::atomic<bool> monitoring_{false};
    std::atomic<intptr_t> uploadDialogResult_{0};
    mutable std::mutex mutex_;  // the two paths and the board text
    std::string profilePath_;
    std::string dataFolder_;
    std::string boardText_;
};

}  // namespace zv
