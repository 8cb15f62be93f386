// The setup window's file commands: open a setup file into the working setup, save the working
// setup as a setup file. A file that does not load changes nothing; a save that fails says
// which file and why.
#include <windows.h>

#include <commdlg.h>

#include <cstdio>

#include "resources/ids/string_ids.h"
#include "setup/setup_file.h"
#include "shell/main_window_win.h"
#include "shell/setup_window_win.h"

namespace zv::shell {
namespace {

// Pairs of description and pattern, ended by an empty pair.
constexpr char kOpenFilter[] = "Setup files(*.ST;*.SU)\0*.ST;*.SU\0\0";
constexpr char kSaveFilter[] = "SU files(*.SU)\0*.SU\0\0";

OPENFILENAMEA setupFileDialog(HWND owner, const char* filter, const char* extension, const std::string& title,
                              char* path, DWORD pathSize) {
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = pathSize;
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = extension;
    return dialog;
}

}  // namespace

void SetupWindow::openFile() {
    char path[260] = {};
    const std::string title = loadText(main_, IDS_OPEN_DATA_FILE_TITLE);
    OPENFILENAMEA dialog = setupFileDialog(window(), kOpenFilter, "ST", title, path, sizeof path);
    char fileTitle[64] = {};
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = sizeof fileTitle;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetOpenFileNameA(&dialog)) return;
    // The page in view keeps edits in its controls; they are the working setup's until the
    // file replaces it.
    if (frame_) frame_->storeCurrent();
    const SetupFileLoadResult loaded = readSetupFile(path, context_.boardType, main_.setup);
    if (!loaded.ok) {
        MessageBoxA(window(), loadText(main_, IDS_DATA_FILE_UNREADABLE).c_str(),
                    loadText(main_, IDS_FILE_ERROR_CAPTION).c_str(), MB_OK | MB_ICONERROR);
        return;
    }
    if (frame_) frame_->postRefreshCurrent();
}

void SetupWindow::saveFile() {
    char path[260] = {};
    const std::string title = loadText(main_, IDS_SAVE_DATA_FILE_TITLE);
    OPENFILENAMEA dialog = setupFileDialog(window(), kSaveFilter, "SU", title, path, sizeof path);
    // A new file is the usual case: the dialog asks before replacing one, not for one to exist.
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetSaveFileNameA(&dialog)) return;
    if (frame_) frame_->storeCurrent();
    const Result written = writeSetupFile(path, context_.boardType, main_.setup);
    if (written == kOk) return;
    const std::string reason = failed(written) ? systemErrorText(written) : loadText(main_, IDS_SETUP_NO_LAYOUT);
    MessageBoxA(window(), formatTextWith(main_, IDS_SETUP_SAVE_FAILED_TEXT_FMT, std::string(path) + "\n\n" + reason).c_str(),
                loadText(main_, IDS_FILE_ERROR_CAPTION).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace zv::shell
