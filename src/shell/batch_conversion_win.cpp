// Command 40010, the batch conversion dialog (template 0x70): a folder, its "*.DT" files, the
// format and options, and a batch that converts the selected files one after another, each on
// a worker thread, into text or CSV files, or exports them as the logs of other CAN/LIN tools,
// beside them. The folder, the format and two options live in [CVT].
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture.h"
#include "capture/file_system.h"
#include "conversion/print_out.h"
#include "formats/export.h"
#include "resources/ids/batch_conversion_res.h"
#include "resources/ids/command_ids.h"
#include "resources/ids/string_ids.h"
#include "shell/dialog_win.h"
#include "shell/folder_browser_win.h"
#include "shell/main_window_win.h"

namespace zv::shell {
namespace {

constexpr int kFileDone = 1024;     // WM_COMMAND from the worker: one file is done
constexpr size_t kMaxBatch = 4096;
constexpr const char* kSection = "CVT";

// The entries of the format drop-down, in their order: the value of the "FORMAT" key (the
// names zvdconv's --format takes) and, for the logs of other tools, the export format. The CSV
// check box stands for the second entry.
struct FormatChoice {
    const char* key;
    std::optional<ExportFormat> exportFormat;
};
constexpr FormatChoice kFormats[] = {
    {"txt", std::nullopt},
    {"csv", std::nullopt},
    {"asc", ExportFormat::Asc},
    {"blf", ExportFormat::Blf},
    {"candump", ExportFormat::Candump},
    {"pcapng", ExportFormat::Pcapng},
};
constexpr int kFormatCount = static_cast<int>(std::size(kFormats));
constexpr int kFormatText = 0;
constexpr int kFormatCsv = 1;

std::string programFolder() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    folder.erase(folder.find_last_of("\\/") + 1);
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

// The input path with its extension replaced (or, without one, appended).
std::string outputPathFor(const std::string& input, const char* extension) {
    const size_t slash = input.find_last_of("\\/");
    const size_t dot = input.find_last_of('.');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? input.substr(0, dot) : input;
    return stem + extension;
}

class BatchDialog final : public Dialog {
public:
    explicit BatchDialog(MainWindow& main) : main_(main) {}
    ~BatchDialog() override { joinWorker(); }

    void run() {
        ModalScope modal(main_);
        runModal(main_.modules.language, IDD_BATCH_CONVERSION, main_.window);
    }

protected:
    bool onInit() override {
        fillCombo(IDC_BATCH_CHANNELS, {"CH1&CH2", "CH1", "CH2"});
        selectCombo(IDC_BATCH_CHANNELS, std::clamp(profileNumber("CH"), 0, 2));
        fillCombo(IDC_BATCH_HEX, {"OFF", "ON"});
        selectCombo(IDC_BATCH_HEX, std::clamp(profileNumber("HEX"), 0, 1));
        for (int i = 0; i < kFormatCount; ++i)
            addComboEntry(IDC_BATCH_FORMAT, loadText(main_, static_cast<UINT>(IDS_CONVERSION_FORMAT_FIRST + i)));
        selectCombo(IDC_BATCH_FORMAT, storedFormat());
        char folder[MAX_PATH] = {};
        GetPrivateProfileStringA(kSection, "PATH", programFolder().c_str(), folder, sizeof folder,
                                 main_.folders.profile.c_str());
        setItemText(IDC_BATCH_FOLDER, folder);
        fillList();
        enableItem(IDC_BATCH_STOP, false);
        setChecked(IDC_BATCH_DELTA_T, main_.deltaTime);
        setChecked(IDC_BATCH_CSV, formatChoice() == kFormatCsv);
        applyFormat();
        updateStart();
        return true;
    }

    bool onCommand(int id, int code, HWND control) override {
        switch (id) {
            case IDC_BATCH_FILES:
                if (code == LBN_SELCHANGE) updateStart();
                return true;
            case IDC_BATCH_SELECT_ALL:
            case IDC_BATCH_SELECT_NONE:
                SendDlgItemMessageA(window(), IDC_BATCH_FILES, LB_SETSEL, id == IDC_BATCH_SELECT_ALL, -1);
                updateStart();
                return true;
            case IDC_BATCH_CSV:
                selectCombo(IDC_BATCH_FORMAT, checked(IDC_BATCH_CSV) ? kFormatCsv : kFormatText);
                applyFormat();
                return true;
            case IDC_BATCH_FORMAT:
                if (code == CBN_SELCHANGE) {
                    setChecked(IDC_BATCH_CSV, formatChoice() == kFormatCsv);
                    applyFormat();
                }
                return true;
            case IDC_BATCH_BROWSE: {
                std::string folder = itemText(IDC_BATCH_FOLDER);
                if (browseForFolder(window(), folder)) {
                    setItemText(IDC_BATCH_FOLDER, folder);
                    writeProfile("PATH", folder);
                }
                fillList();
                return true;
            }
            case IDC_BATCH_REFRESH: fillList(); return true;
            case IDC_BATCH_START: start(); return true;
            case IDC_BATCH_STOP:
                // Escape arrives as Stop too: only a usable Stop stops.
                if (control || IsWindowEnabled(item(IDC_BATCH_STOP))) stop();
                return true;
            case IDC_BATCH_CLOSE: close(); return true;
            case kFileDone: fileDone(); return true;
            default: return false;
        }
    }
    bool onMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) override {
        if (message != WM_CLOSE) return false;
        close();
        result = TRUE;
        return true;
    }

private:
    int profileNumber(const char* key) const {
        return static_cast<int>(GetPrivateProfileIntA(kSection, key, 0, main_.folders.profile.c_str()));
    }
    void writeProfile(const char* key, const std::string& value) const {
        WritePrivateProfileStringA(kSection, key, value.c_str(), main_.folders.profile.c_str());
    }
    // The entry of the "FORMAT" key; text when there is none (profiles of older versions).
    int storedFormat() const {
        char value[16] = {};
        GetPrivateProfileStringA(kSection, "FORMAT", "", value, sizeof value, main_.folders.profile.c_str());
        for (int i = 0; i < kFormatCount; ++i) {
            if (std::string_view(value) == kFormats[i].key) return i;
        }
        return kFormatText;
    }
    int formatChoice() const {
        const int i = comboSelection(IDC_BATCH_FORMAT);
        return i >= 0 && i < kFormatCount ? i : kFormatText;
    }
    // The format the controls give: an export format from the drop-down, otherwise text or
    // CSV as the CSV check box says.
    int chosenFormat() const {
        const int i = formatChoice();
        if (kFormats[i].exportFormat) return i;
        return checked(IDC_BATCH_CSV) ? kFormatCsv : kFormatText;
    }
    // The options a format does not use are disabled: deltaT applies to text only, the raw
    // LIN values to text and CSV, the CSV box (the CSV entry) to the choice between those two.
    void applyFormat() const {
        const int format = formatChoice();
        const bool textual = !kFormats[format].exportFormat;
        enableItem(IDC_BATCH_CSV, textual);
        enableItem(IDC_BATCH_DELTA_T, textual && !checked(IDC_BATCH_CSV));
        enableItem(IDC_BATCH_HEX, textual && position_ < 0);
    }

    void fillList() const {
        HWND list = item(IDC_BATCH_FILES);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        WIN32_FIND_DATAA found{};
        HANDLE search = FindFirstFileA((itemText(IDC_BATCH_FOLDER) + "\\*.DT").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        updateStart();
    }
    void updateStart() const {
        if (position_ >= 0) return;
        enableItem(IDC_BATCH_START, SendDlgItemMessageA(window(), IDC_BATCH_FILES, LB_GETSELCOUNT, 0, 0) > 0);
    }
    void enableInputs(bool on) const {
        for (int id : {IDC_BATCH_BROWSE, IDC_BATCH_START, IDC_BATCH_FORMAT, IDC_BATCH_CHANNELS, IDC_BATCH_FILES,
                       IDC_BATCH_REFRESH, IDC_BATCH_SELECT_ALL, IDC_BATCH_SELECT_NONE})
            enableItem(id, on);
        enableItem(IDC_BATCH_HEX, on && !kFormats[formatChoice()].exportFormat);
    }

    void start() {
        enableInputs(false);
        options_ = {comboSelection(IDC_BATCH_CHANNELS), comboSelection(IDC_BATCH_HEX) == 1, checked(IDC_BATCH_CSV),
                    checked(IDC_BATCH_DELTA_T)};
        options_.channelSelection = std::max(options_.channelSelection, 0);
        format_ = chosenFormat();
        if (position_ < 0) {
            std::vector<int> selected(kMaxBatch);
            const LRESULT n = SendDlgItemMessageA(window(), IDC_BATCH_FILES, LB_GETSELITEMS, kMaxBatch,
                                                  reinterpret_cast<LPARAM>(selected.data()));
            selected.resize(static_cast<size_t>(std::max<LRESULT>(n, 0)));
            if (!selected.empty()) {
                batch_ = std::move(selected);
                position_ = 0;
                SendDlgItemMessageA(window(), IDC_BATCH_TOTAL_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(batch_.size()));
                SendDlgItemMessageA(window(), IDC_BATCH_TOTAL_PROGRESS, PBM_SETSTEP, 1, 0);
                SendDlgItemMessageA(window(), IDC_BATCH_TOTAL_PROGRESS, PBM_SETPOS, 0, 0);
                enableItem(IDC_BATCH_STOP, true);
                startJob(batch_[0]);
            } else {
                enableInputs(true);
                updateStart();
            }
        } else {
            position_ = static_cast<int>(batch_.size());  // ends after the file in work
        }
        writeProfile("CH", std::to_string(options_.channelSelection));
        writeProfile("HEX", options_.hex ? "1" : "0");
        writeProfile("FORMAT", kFormats[format_].key);
    }

    void startJob(int listIndex) {
        char name[MAX_PATH] = {};
        SendDlgItemMessageA(window(), IDC_BATCH_FILES, LB_GETTEXT, static_cast<WPARAM>(listIndex), reinterpret_cast<LPARAM>(name));
        job_.inputPath = itemText(IDC_BATCH_FOLDER) + "\\" + name;
        jobExport_ = kFormats[format_].exportFormat;
        job_.outputPath = outputPathFor(job_.inputPath, jobExport_ ? exportExtension(*jobExport_)
                                                        : options_.csv ? ".csv"
                                                                       : ".txt");
        job_.options = options_;
        name_ = name;
        conversionWriter().resetCancel();
        exportCancel_.store(false, std::memory_order_release);
        worker_ = CreateThread(nullptr, 0, workerMain, this, 0, nullptr);
        if (!worker_) PostMessageA(window(), WM_COMMAND, kFileDone, 0);  // the file is passed over
    }

    static DWORD WINAPI workerMain(LPVOID context) {
        auto* self = static_cast<BatchDialog*>(context);
        HWND dialog = self->window();
        HWND bar = GetDlgItem(dialog, IDC_BATCH_FILE_PROGRESS);
        if (!prepareConversion(self->job_)) {
            const std::string text = self->name_ + "\n" + loadText(self->main_, IDS_CONVERSION_NOT_A_DATA_FILE);
            MessageBoxA(dialog, text.c_str(), loadText(self->main_, IDS_CONVERSION_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
        } else {
            const ConversionProgress progress = [bar](uint64_t done, uint64_t total) {
                // Scaled to 16 bits for the bar; posted, so that the worker never waits for the dialog.
                const uint64_t scale = total > 0xFFFF ? total / 0xFFFF + 1 : 1;
                PostMessageA(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total / scale));
                PostMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(done / scale), 0);
            };
            Result error = kOk;
            const ConvertResult result = self->jobExport_ ? self->runExport(progress, &error) : runConversion(progress, &error);
            // An output that could not be created or written whole is not a converted file; it
            // never took the output's name, so an earlier conversion of the file is still there.
            if (result == ConvertResult::OutputNotOpen || result == ConvertResult::WriteFailed) {
                const std::string output = self->job_.outputPath.substr(self->job_.outputPath.find_last_of('\\') + 1);
                const std::string text = output + "\n" + loadText(self->main_, IDS_CONVERSION_OUTPUT_FAILED) + "\n\n" +
                                         systemErrorText(error);
                MessageBoxA(dialog, text.c_str(), loadText(self->main_, IDS_CONVERSION_CAPTION).c_str(),
                            MB_OK | MB_ICONWARNING);
            }
        }
        PostMessageA(bar, PBM_SETPOS, 0, 0);
        // Posted, not sent: the dialog joins this thread before it starts the next one.
        PostMessageA(dialog, WM_COMMAND, kFileDone, 0);
        return 0;
    }

    // The prepared input as a log of another tool, with the start zvdconv takes by default.
    // Stop leaves a shorter log that ends properly.
    ConvertResult runExport(const ConversionProgress& progress, Result* error) {
        const CCapture& capture = captureForUse(kCaptureUseConversion);
        ExportSettings settings;
        settings.start = defaultLogStart(capture, fileModificationMicros(job_.inputPath).value_or(0));
        settings.channelSelection = job_.options.channelSelection;
        settings.sourceName = name_;
        settings.application = "ZV-LK5MQ";
        settings.cancel = &exportCancel_;
        ExportCounts counts;
        return exportToFile(capture, *jobExport_, settings, job_.outputPath, counts, progress, error);
    }

    void cancelJob() {
        conversionWriter().cancel();
        exportCancel_.store(true, std::memory_order_release);
    }

    void joinWorker() {
        if (!worker_) return;
        WaitForSingleObject(worker_, INFINITE);
        CloseHandle(worker_);
        worker_ = nullptr;
    }

    void fileDone() {
        joinWorker();
        if (position_ < 0) return;
        ++position_;
        SendDlgItemMessageA(window(), IDC_BATCH_TOTAL_PROGRESS, PBM_STEPIT, 0, 0);
        if (position_ < static_cast<int>(batch_.size())) {
            startJob(batch_[static_cast<size_t>(position_)]);
            return;
        }
        position_ = -1;
        enableInputs(true);
        SendDlgItemMessageA(window(), IDC_BATCH_TOTAL_PROGRESS, PBM_SETPOS, 0, 0);
        enableItem(IDC_BATCH_STOP, false);
        updateStart();
    }

    void stop() {
        enableItem(IDC_BATCH_STOP, false);
        if (position_ >= 0) {
            cancelJob();
            position_ = static_cast<int>(batch_.size());
        }
    }

    // A batch in work is stopped and its worker waited for: it writes into this dialog.
    void close() {
        if (position_ >= 0) {
            cancelJob();
            position_ = static_cast<int>(batch_.size());
        }
        joinWorker();
        position_ = -1;
        writeProfile("PATH", itemText(IDC_BATCH_FOLDER));
        writeProfile("CH", std::to_string(std::max(comboSelection(IDC_BATCH_CHANNELS), 0)));
        writeProfile("HEX", comboSelection(IDC_BATCH_HEX) == 1 ? "1" : "0");
        writeProfile("FORMAT", kFormats[chosenFormat()].key);
        end(0);
    }

    MainWindow& main_;
    ConversionJob job_;
    ConversionOptions options_;
    int format_ = kFormatText;                // of the batch, an entry of kFormats
    std::optional<ExportFormat> jobExport_;  // of the file in work: nothing for text and CSV
    std::atomic<bool> exportCancel_{false};
    std::string name_;
    std::vector<int> batch_;
    int position_ = -1;
    HANDLE worker_ = nullptr;
};

}  // namespace

void batchConversionCommand(MainWindow& main) {
    BatchDialog dialog(main);
    dialog.run();
}

}  // namespace zv::shell
