// Everything the session does to the world outside itself: windows it posts to, the status
// bar, the configuration file, its one warning box, the transfer dialog and two flags of the
// main window. The Win32 program implements it with window messages; tests record the calls.
//
// Every operation may be called on any thread (the remote library's included) and must not
// wait for the UI thread: posting never blocks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv {

class SessionSink {
public:
    virtual ~SessionSink() = default;

    // Posts to the main window. false when the message could not be posted; the session then
    // releases the reference the message would have carried.
    virtual bool postMain(uint32_t message, uintptr_t wParam, uintptr_t lParam) = 0;
    // Posts to the setup window; false when it is not open.
    virtual bool postSetup(uint32_t message, uintptr_t wParam, uintptr_t lParam) = 0;
    // Posts UM_KEYEMU_SESSION with wParam to the key-emulation panel; false when none is open.
    virtual bool postKeyEmulation(uint32_t wParam) = 0;

    // Status pane 3: the connected analyzer's name (empty for an unknown one).
    virtual void setBoardText(std::string_view text) = 0;
    // The [remote] model and exboard keys of the configuration.
    virtual void writeModelKeys(std::string_view model, std::string_view exboard) = 0;
    // The end-of-measurement warning: caption and text by string number; when argument is
    // given the text is a printf-style format with it as the one number. Shown by the UI
    // thread; this does not wait for it.
    virtual void showWarning(uint32_t captionId, uint32_t textId, std::optional<uint32_t> argument) = 0;

    // The transfer dialog (ProgressDialog).
    virtual bool progressDialogOpen() = 0;
    // Posts it the Cancel command.
    virtual void cancelProgressDialog() = 0;
    // Posts it WM_CLOSE when it is open.
    virtual void closeProgressDialog() = 0;

    // The main window's monitoring flag: set while a monitor measurement runs.
    virtual bool monitoring() = 0;
    // The result the transfer dialog of the last upload ended with (0 while it runs).
    virtual intptr_t uploadDialogResult() = 0;
    // The per-user data folder, where DATAFILE.TMP lives.
    virtual std::string dataFolder() = 0;
};

}  // namespace zv
