// Data files in the capture list: open, save as, neighbouring buffer files, the uploaded file.
#include <windows.h>

#include <commdlg.h>
#include <commctrl.h>

#include "capture/buffer_files.h"
#include "capture/capture.h"
#include "capture/cell_text.h"
#include "main_window_win.h"
#include "resources/ids/string_ids.h"

namespace zv::shell {
namespace {

constexpr int kPaneOption = 0;
constexpr int kPaneRows = 1;

// The filter of both file dialogs: pairs of description and pattern, ended by an empty pair.
constexpr char kDataFileFilter[] = "DT files(*.DT)\0*.DT\0\0";
constexpr char kDataFileExtension[] = "DT";

OPENFILENAMEA fileDialogFor(MainWindow& main, char* path, DWORD pathSize, const std::string& title) {
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = main.window;
    dialog.lpstrFilter = kDataFileFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = pathSize;
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = kDataFileExtension;
    return dialog;
}

void showFileError(MainWindow& main, UINT text) {
    showMessage(main, loadText(main, IDS_FILE_ERROR_CAPTION), loadText(main, text), MB_OK | MB_ICONERROR);
}

// Names the file that could not be written and why; the file of that name is as it was.
void showSaveError(MainWindow& main, const std::string& path, Result result) {
    showMessage(main, loadText(main, IDS_WARNING_CAPTION),
                formatTextWith(main, IDS_DATA_FILE_SAVE_FAILED_TEXT_FMT, fileFailureText(path, result)),
                MB_OK | MB_ICONWARNING);
}

// Whether two paths name the same file, as the system resolves them.
bool sameFile(const std::string& first, const std::string& second) {
    char fullFirst[MAX_PATH] = "";
    char fullSecond[MAX_PATH] = "";
    const DWORD a = GetFullPathNameA(first.c_str(), MAX_PATH, fullFirst, nullptr);
    const DWORD b = GetFullPathNameA(second.c_str(), MAX_PATH, fullSecond, nullptr);
    if (a == 0 || a >= MAX_PATH || b == 0 || b >= MAX_PATH) return false;
    return lstrcmpiA(fullFirst, fullSecond) == 0;
}

// Puts the display's records into the capture list and writes the status bar.
void showCaptureFile(MainWindow& main) {
    const CCapture& capture = main.display->capture();
    main.selectedRow = -1;
    main.captureHasData = true;
    SendMessageA(main.captureList, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(main.captureList, LVM_SETITEMCOUNT, static_cast<WPARAM>(capture.count()), 0);
    InvalidateRect(main.captureList, nullptr, TRUE);
    setPaneText(main, kPaneOption, analyzerOptionText(capture.recordTag(), capture.analogInputs()));
    setPaneText(main, kPaneRows, loadedFileStatusText(capture, main.shownPath));
}

void setFileCommands(MainWindow& main, bool withRecords, bool numbered) {
    main.commands.dataShown = withRecords;
    main.commands.numberedFileShown = numbered;
    applyCommandState(main);
}

// Loads path and, only when it is a data file, makes it the shown file: a file that cannot be
// shown leaves the list, the status bar and DATAFILE.TMP as they were.
bool showDataFile(MainWindow& main, const std::string& path, int32_t number) {
    auto loaded = std::make_unique<LoadedDataFile>();
    if (!loaded->loadFile(path)) {
        showFileError(main, IDS_DATA_FILE_UNREADABLE);
        return false;
    }
    main.display = std::move(loaded);
    main.shownPath = path;
    main.shownNumber = number;

    // Save-as copies the working file, so it must hold what is shown.
    const std::string& working = main.folders.workingDataFile;
    if (sameFile(path, working)) {
        main.workingFileIsShown = true;
    } else {
        // A copy that fails half-way leaves the working file as it was, not cut short.
        const Result copied = copyFileReplacing(path, working);
        main.workingFileIsShown = succeeded(copied);
        if (!main.workingFileIsShown) showSaveError(main, working, copied);
    }

    showCaptureFile(main);
    setFileCommands(main, main.display->capture().count() > 0, number >= 0);
    return true;
}

std::string bufferFilePath(const MainWindow& main, int32_t number) {
    return appendPath(main.buffer.folder, bufferFileName(number), '\\');
}

bool fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

void openDataFileCommand(MainWindow& main) {
    char path[MAX_PATH] = "";
    const std::string title = loadText(main, IDS_OPEN_DATA_FILE_TITLE);
    OPENFILENAMEA dialog = fileDialogFor(main, path, sizeof path, title);
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    {
        ModalScope modal(main);
        if (!GetOpenFileNameA(&dialog)) return;
    }
    // The check and the load are one read: what was checked is what is shown.
    showDataFile(main, path, bufferFileNumber(fileNameOnly(path)));
}

void saveDataFileAsCommand(MainWindow& main) {
    if (!main.display) return;  // nothing shown, nothing to save
    char path[MAX_PATH] = "";
    const std::string title = loadText(main, IDS_SAVE_DATA_FILE_TITLE);
    OPENFILENAMEA dialog = fileDialogFor(main, path, sizeof path, title);
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    {
        ModalScope modal(main);
        if (!GetSaveFileNameA(&dialog)) return;
    }
    // Should the working file have missed its copy, the shown file is the one that holds
    // the shown bytes.
    const std::string source =
        main.workingFileIsShown || main.shownPath.empty() ? main.folders.workingDataFile : main.shownPath;
    // What was shown when the dialog opened may have gone meanwhile (a measurement ended).
    if (!main.display) return;
    if (sameFile(source, path)) return;  // saving a file over itself leaves it as it is
    // Written beside the chosen name and renamed: a full disk or a vanished folder leaves a
    // file of that name as it was, and no truncated one.
    const Result copied = copyFileReplacing(source, path);
    if (failed(copied)) showSaveError(main, path, copied);
}

void stepBufferFileCommand(MainWindow& main, int delta) {
    if (!main.display || main.shownNumber < 0) return;
    const int64_t number = static_cast<int64_t>(main.shownNumber) + delta;
    if (number < 0 || number > kLastBufferFileNumber ||
        !fileExists(bufferFilePath(main, static_cast<int32_t>(number)))) {
        showFileError(main, IDS_NO_NEIGHBOUR_FILE);
        return;
    }
    showDataFile(main, bufferFilePath(main, static_cast<int32_t>(number)), static_cast<int32_t>(number));
}

void showUploadedFile(MainWindow& main) {
    main.display.reset();
    auto loaded = std::make_unique<LoadedDataFile>();
    const bool ok = loaded->loadFile(main.folders.workingDataFile);
    main.shownPath.clear();
    main.shownNumber = -1;
    if (!ok) {
        clearCaptureDisplay(main);
        return;
    }
    main.display = std::move(loaded);
    main.workingFileIsShown = true;
    showCaptureFile(main);
    setFileCommands(main, main.display->capture().count() > 0, false);
}

bool showBufferFile(MainWindow& main, const std::string& path, int32_t number) {
    return showDataFile(main, path, number);
}

void clearCaptureDisplay(MainWindow& main) {
    SendMessageA(main.captureList, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(main.captureList, LVM_SETITEMCOUNT, 0, 0);
    main.display.reset();
    main.shownPath.clear();
    main.shownNumber = -1;
    main.selectedRow = -1;
    main.captureHasData = false;
    main.workingFileIsShown = false;
    setPaneText(main, kPaneRows, "");
    setPaneText(main, kPaneOption, "");
    setFileCommands(main, false, false);
}

}  // namespace zv::shell
