#include "remote/session_sink_win.h"

#include <commctrl.h>

#include <utility>

#include "remote/number_format.h"
#include "remote/session_messages.h"

namespace zv {

Win32SessionSink::Win32SessionSink(HWND mainWindow, HINSTANCE language, std::string profilePath, std::string dataFolder)
    : mainWindow_(mainWindow),
      language_(language),
      profilePath_(std::move(profilePath)),
      dataFolder_(std::move(dataFolder)) {}

void Win32SessionSink::setDataFolder(std::string folder) {
    std::lock_guard lock(mutex_);
    dataFolder_ = std::move(folder);
}

void Win32SessionSink::setProfilePath(std::string path) {
    std::lock_guard lock(mutex_);
    profilePath_ = std::move(path);
}

std::string Win32SessionSink::dataFolder() {
    std::lock_guard lock(mutex_);
    return dataFolder_;
}

bool Win32SessionSink::postMain(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    return mainWindow_ && PostMessageA(mainWindow_, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

bool Win32SessionSink::postSetup(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
    const HWND window = setupWindow_.load();
    return window && PostMessageA(window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

bool Win32SessionSink::postKeyEmulation(uint32_t wParam) {
    const HWND window = keyEmulationWindow_.load();
    return window && PostMessageA(window, UM_KEYEMU_SESSION, wParam, 0);
}

void Win32SessionSink::setBoardText(std::string_view text) {
    {
        std::lock_guard lock(mutex_);
        boardText_.assign(text);
    }
    postMain(UM_BOARD_TEXT, 0, 0);
}

std::string Win32SessionSink::boardText() const {
    std::lock_guard lock(mutex_);
    return boardText_;
}

void Win32SessionSink::writeModelKeys(std::string_view model, std::string_view exboard) {
    std::string path;
    {
        std::lock_guard lock(mutex_);
        path = profilePath_;
    }
    if (path.empty()) return;
    const std::string modelText(model), exboardText(exboard);
    WritePrivateProfileStringA("remote", "model", modelText.c_str(), path.c_str());
    WritePrivateProfileStringA("remote", "exboard", exboardText.c_str(), path.c_str());
}

std::string Win32SessionSink::loadString(uint32_t id) const {
    char buffer[kMessageTextLimit + 1] = {};
    const int n = LoadStringA(language_, id, buffer, static_cast<int>(sizeof buffer));
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

void Win32SessionSink::showWarning(uint32_t captionId, uint32_t textId, std::optional<uint32_t> argument) {
    const std::string caption = loadString(captionId);
    std::string text = loadString(textId);
    if (argument) text = formatWithNumber(text, *argument);
    if (text.size() > kMessageTextLimit) text.resize(kMessageTextLimit);
    auto* warning = new SessionWarning{caption, std::move(text)};
    if (!postMain(UM_SESSION_WARNING, 0, reinterpret_cast<uintptr_t>(warning))) delete warning;
}

bool Win32SessionSink::progressDialogOpen() {
    const HWND dialog = progressDialog_.load();
    return dialog && IsWindow(dialog);
}

void Win32SessionSink::cancelProgressDialog() {
    const HWND dialog = progressDialog_.load();
    if (dialog && IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kCommandCancel, 0), 0);
}

void Win32SessionSink::closeProgressDialog() {
    const HWND dialog = progressDialog_.load();
    if (dialog && IsWindow(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
}

}  // namespace zv
