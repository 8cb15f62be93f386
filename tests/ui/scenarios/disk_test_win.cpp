// A full disk and a folder that vanishes under the program, during each operation that writes
// files: monitoring into the buffer files, the upload into DATAFILE.TMP, save-as, the LCD
// picture, and conversion in the program and in zvdconv. Each time the failure must be told
// with the file or folder and the system's reason, nothing that was there before may be
// damaged, no cut-short file may be left under a name the user chose, and monitoring goes on.
//
// A full disk needs a small one: ZV_DISK_FOLDER names the (Windows) path of an empty, small
// file system, which ./test and scripts/disk mount for the run. Without it those cases are
// skipped with the reason; the vanished-folder cases need none.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "base/board_type.h"
#include "base/bytes.h"
#include "capture/capture_record.h"
#include "capture/data_file_writer.h"
#include "dialog_read_win.h"
#include "file_dialog_win.h"
#include "measurement_fixture_win.h"
#include "setup/data_info.h"

namespace zvui {
namespace {

constexpr int kStopCommand = 2102;
constexpr int kUploadCommand = 1003;
constexpr int kOpenCommand = 1007;
constexpr int kSaveAsCommand = 40014;
constexpr int kBatchCommand = 40010;
constexpr int kKeyEmulationCommand = 2000;
constexpr int kSavePictureCommand = 2126;
constexpr int kSaveSetupCommand = 2128;
constexpr unsigned kFileErrorCaption = 9034;
constexpr unsigned kBufferFilesCaption = 9022;
constexpr unsigned kBufferWriteFailed = 20069;
constexpr unsigned kNotWrittenFormat = 20070;
constexpr unsigned kWarningCaption = 20057;
constexpr unsigned kDataFileSaveFailed = 20067;
constexpr unsigned kUploadFileFailed = 20068;
constexpr unsigned kScreenshotFailed = 20071;
constexpr unsigned kConversionCaption = 20055;
constexpr unsigned kConversionOutputFailed = 13027;
constexpr char kDiskFull[] = "(error 0x80070070)";
constexpr char kPathNotFound[] = "(error 0x80070003)";

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A data file of an EX-NB3BP with COUNT CAN records.
std::string dataFile(uint32_t count) {
    constexpr zv::BoardType kBoard = 73763;
    const size_t header = zv::dataFileHeaderSize(kBoard);
    std::string bytes(header + count * zv::kCaptureRecordSize, '\0');
    auto* at = reinterpret_cast<uint8_t*>(bytes.data());
    zv::composeDataFileHeader(at, kBoard, zv::composeDataInfoBlock(kBoard), count * zv::kCaptureRecordSize);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* r = at + header + i * zv::kCaptureRecordSize;
        r[0] = 1;  // channel 1
        zv::putU32(r, 4, (i % 60) << 16);
        r[10] = r[11] = 8;
        zv::putU32(r, 12, (0x100 + i % 0x400) << 18);
    }
    return bytes;
}

bool writeBinary(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

class Disk : public MeasurementFixture {
protected:
    void TearDown() override {
        MeasurementFixture::TearDown();
        // The small disk is shared by the cases: empty it for the next one (the mount point
        // itself stays, which is all removeTree leaves of it).
        if (!disk_.empty()) removeTree(disk_);
    }

    std::string bufferFolder() const override {
        return bufferFolder_.empty() ? MeasurementFixture::bufferFolder() : bufferFolder_;
    }

    // The small disk; false (why in skipReason_) when there is none. A folder on a disk of
    // more than 64 MiB is refused: the cases fill the whole disk they are given.
    bool useSmallDisk() {
        const char* folder = std::getenv("ZV_DISK_FOLDER");
        if (!folder || !*folder) {
            skipReason_ = "ZV_DISK_FOLDER is not set (mounting one needs root; ./test and scripts/disk mount a 2 MiB tmpfs)";
            return false;
        }
        const std::string path = toWindowsPath(folder);
        ULARGE_INTEGER total{};
        if (!exists(path) || !GetDiskFreeSpaceExA(path.c_str(), nullptr, &total, nullptr)) {
            skipReason_ = "ZV_DISK_FOLDER " + path + " cannot be read";
            return false;
        }
        if (total.QuadPart > (64ull << 20)) {
            skipReason_ = "ZV_DISK_FOLDER " + path + " is on a disk of " + std::to_string(total.QuadPart >> 20) +
                          " MiB, not a small one (not mounted?): it is not filled";
            return false;
        }
        disk_ = path;
        return true;
    }

    // Fills the small disk with one file until only about LEAVE bytes are free.
    void fillDisk(uint64_t leave) {
        const std::string path = disk_ + "\\filler.bin";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const std::string chunk(65536, 'F');
        uint64_t total = 0;
        for (DWORD size : {65536u, 4096u, 512u}) {
            for (;;) {
                DWORD written = 0;
                const BOOL ok = WriteFile(file, chunk.data(), size, &written, nullptr);
                total += written;
                if (!ok || written < size) break;
            }
        }
        bool cut = true;
        if (leave > 0) {
            LARGE_INTEGER end{};
            end.QuadPart = static_cast<LONGLONG>(total > leave ? total - leave : 0);
            cut = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
        }
        CloseHandle(file);
        ASSERT_TRUE(cut) << "the filler could not be cut: " << GetLastError();
        ASSERT_GE(total, leave) << "the disk had no room to fill";
    }
    void emptyDisk() { DeleteFileA((disk_ + "\\filler.bin").c_str()); }

    // Monitoring of the built-in analyzer at RECORDS a second into FOLDER, in files of 1 MiB.
    void monitorInto(const std::string& folder, const std::string& records) {
        ASSERT_TRUE(makeFolders(folder));
        bufferFolder_ = folder;
        configureAnalyzer("fixed-rate = " + records + "\r\n");
        writeProfileWith("[buffer]\r\npath=" + folder + "\r\nblock=1M,10\r\nwarning=no\r\n");
        ASSERT_TRUE(startMain());
        connectAndWaitForIdle();
    }

    // The records not written as the status bar counts them while monitoring; 0 when it
    // shows none.
    unsigned long notWrittenShown() {
        const std::string pane = statusPaneText(control(kStatusBarId), 1);
        const std::string prefix = englishFormatted(kNotWrittenFormat, 0).substr(0, 13);  // "not written: "
        const size_t at = pane.find(prefix);
        return at == std::string::npos ? 0 : std::strtoul(pane.c_str() + at + prefix.size(), nullptr, 10);
    }

    // Stops the measurement and expects the one box about records that were not written, with
    // at least the count the status bar showed before the stop.
    void stopAndExpectLostRecordsReported(const std::string& named, const char* reason) {
        const unsigned long shown = notWrittenShown();
        EXPECT_GT(shown, 0u);
        postCommand(mainWindow_, kStopCommand);
        const std::vector<MessageBoxInfo> boxes = collectMessageBoxes(3, 8000);
        ASSERT_TRUE(waitForMeasurementEnd());
        const MessageBoxInfo* report = nullptr;
        for (const MessageBoxInfo& box : boxes) {
            std::printf("[ BOX      ] %s: %s\n", box.caption.c_str(), box.text.c_str());
            if (box.caption == englishString(kBufferFilesCaption)) report = &box;
        }
        ASSERT_NE(report, nullptr) << "no box about the buffer files among " << boxes.size();
        EXPECT_EQ(boxes.size(), 1u) << "one box, and only one, tells what happened";
        const unsigned long lost = std::strtoul(report->text.c_str(), nullptr, 10);
        EXPECT_GE(lost, shown);
        std::printf("[ FIGURE   ] records not written: %lu (%lu in the status bar before the stop)\n", lost, shown);
        EXPECT_EQ(report->text.substr(0, report->text.find("\n\n")), englishFormatted(kBufferWriteFailed, lost));
        EXPECT_TRUE(contains(report->text, "\n\n" + named)) << report->text;
        EXPECT_TRUE(contains(report->text, reason)) << report->text;
    }

    // Every numbered file left opens with each record its header counts.
    void expectFilesOpen() {
        const std::vector<BufferFileCheck> checks = checkBufferFiles();
        EXPECT_FALSE(checks.empty());
        for (const BufferFileCheck& check : checks) EXPECT_EQ(check.problem, "") << check.name;
    }

    // The message box with this caption, answered with OK.
    MessageBoxInfo answerBox(unsigned caption, DWORD timeoutMs = 10000) {
        MessageBoxInfo box = waitForMessageBox(program_.processId(), englishString(caption), timeoutMs);
        if (box.window) {
            answerMessageBox(box, IDOK);
            waitFor([&] { return !IsWindow(box.window); }, 5000);
        }
        return box;
    }

    // A save command of WINDOW, PATH typed into its save-file dialog, a replace confirmed.
    void saveThrough(HWND window, int command, const std::string& path) {
        postCommand(window, command);
        HWND dialog = waitForDialogTitled(program_.processId(), englishString(20045), 10000);
        ASSERT_TRUE(dialog) << "no save-file dialog";
        ASSERT_TRUE(chooseFileInDialog(dialog, path));
        // The dialog asks before replacing a file: the box with a Yes button.
        if (exists(path)) {
            waitFor([&] {
                for (const MessageBoxInfo& box : messageBoxesOf(program_.processId()))
                    if (GetDlgItem(box.window, IDYES) && answerMessageBox(box, IDYES)) return true;
                return false;
            }, 5000);
        }
        ASSERT_TRUE(waitForDialogGone(program_.processId(), englishString(20045), 10000));
    }

    void openDataFile(const std::string& path, int rows) {
        postCommand(mainWindow_, kOpenCommand);
        HWND dialog = waitForDialogTitled(program_.processId(), englishString(20044), 10000);
        ASSERT_TRUE(dialog) << "no open-file dialog";
        ASSERT_TRUE(chooseFileInDialog(dialog, path));
        ASSERT_TRUE(waitFor([&] { return listViewItemCount(control(kCaptureListId)) == rows; }, 10000));
    }

    std::string disk_;
    std::string skipReason_;
    std::string bufferFolder_;
};

#define REQUIRE_SMALL_DISK() \
    if (!useSmallDisk()) GTEST_SKIP() << "no small disk: " << skipReason_

// ---- Monitoring ---------------------------------------------------------------------------

TEST_F(Disk, MonitoringOntoAFullDiskGoesOnCountsTheLostRecordsAndKeepsItsFiles) {
    REQUIRE_SMALL_DISK();
    ASSERT_NO_FATAL_FAILURE(monitorInto(disk_ + "\\buffer", "20000"));
    // Room for about half a file; scripts/disk tries many other levels.
    const char* level = std::getenv("ZV_DISK_LEAVE_KIB");
    ASSERT_NO_FATAL_FAILURE(fillDisk((level && *level ? std::strtoull(level, nullptr, 10) : 600) * 1024));
    // Without room for the first file the measurement is not started, and says why.
    postCommand(mainWindow_, 2114);
    MessageBoxInfo refused;
    ASSERT_TRUE(waitFor([&] {
        std::set<int> usable;
        std::string disagreement;
        if (readUsable(usable, disagreement) && usable == std::set<int>{2105, 2102}) return true;
        refused = waitForMessageBox(program_.processId(), englishString(kBufferFilesCaption), 0);
        return refused.window != nullptr;
    }, 10000)) << "neither monitoring nor a box";
    if (refused.window) {
        EXPECT_EQ(refused.text, englishFormatted(9051, 0x80070070ul));
        answerMessageBox(refused, IDOK);
        EXPECT_TRUE(waitForUsable({2105, 1003, 1007, 2114}));
        EXPECT_TRUE(bufferFileNames().empty());
        std::printf("[ FIGURE   ] records not written: 0 (no room for the first file: not started)\n");
        return;
    }
    HWND status = control(kStatusBarId);
    ASSERT_TRUE(waitFor([&] { return contains(statusPaneText(status, 1), "not written:"); }, 20000))
        << statusPaneText(status, 1);
    // Monitoring goes on (the record count still rises) and no box stops it.
    const std::string before = statusPaneText(status, 1);
    ASSERT_TRUE(waitFor([&] { return statusPaneText(status, 1) != before; }, 5000));
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
    stopAndExpectLostRecordsReported(disk_ + "\\buffer\\0000000", kDiskFull);
    expectFilesOpen();
}

TEST_F(Disk, ABufferFolderThatVanishesWhileMonitoringIsNamedAndMonitoringGoesOn) {
    const std::string folder = sandbox_->root() + "\\buffer";
    ASSERT_NO_FATAL_FAILURE(monitorInto(folder, "20000"));
    startMonitoring();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(waitFor([&] { return readBinaryFile(folder + "\\00000000.DT").size() > 100000; }, 20000));
    // The folder goes away under the program (moved elsewhere: the open file moves with it).
    const std::string moved = sandbox_->root() + "\\moved";
    ASSERT_TRUE(MoveFileA(folder.c_str(), moved.c_str())) << GetLastError();
    HWND status = control(kStatusBarId);
    ASSERT_TRUE(waitFor([&] { return contains(statusPaneText(status, 1), "not written:"); }, 20000))
        << statusPaneText(status, 1);
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
    stopAndExpectLostRecordsReported(folder + "\n", kPathNotFound);
    EXPECT_FALSE(exists(folder));  // not made again behind the user's back
    bufferFolder_ = moved;
    expectFilesOpen();
}

// ---- Upload -------------------------------------------------------------------------------

TEST_F(Disk, AnUploadOntoAFullDiskKeepsThePreviousUpload) {
    REQUIRE_SMALL_DISK();
    // The data folder, where DATAFILE.TMP lives, on the small disk.
    sandbox_->moveAppDataFolder(disk_ + "\\appdata");
    ASSERT_TRUE(sandbox_->redirectUserFolders());
    configureAnalyzer("fixed-rate = 5000\r\n");
    writeProfileWith("[buffer]\r\nwarning=no\r\n");
    ASSERT_TRUE(startMain());
    connectAndWaitForIdle();
    startMonitoring();
    ASSERT_FALSE(HasFatalFailure());
    Sleep(1000);
    postCommand(mainWindow_, kStopCommand);
    ASSERT_TRUE(waitForMeasurementEnd());
    collectMessageBoxes(1, 500);

    const std::string working = sandbox_->dataFolder() + "\\DATAFILE.TMP";
    postCommand(mainWindow_, kUploadCommand);
    ASSERT_TRUE(waitFor([&] { return listViewItemCount(control(kCaptureListId)) > 0; }, 20000));
    const std::string earlier = readBinaryFile(working);
    ASSERT_GT(earlier.size(), 100000u);

    ASSERT_NO_FATAL_FAILURE(fillDisk(earlier.size() / 2));
    postCommand(mainWindow_, kUploadCommand);
    const std::vector<MessageBoxInfo> boxes = collectMessageBoxes(1, 20000);
    ASSERT_EQ(boxes.size(), 1u) << "the failed upload was not reported; DATAFILE.TMP has "
                                << readBinaryFile(working).size() << " bytes, " << earlier.size() << " before";
    const MessageBoxInfo& box = boxes[0];
    EXPECT_EQ(box.caption, englishString(kWarningCaption));
    EXPECT_EQ(box.text.substr(0, box.text.find("\n\n")), englishFormattedText(kUploadFileFailed, "").substr(0, box.text.find("\n\n")));
    EXPECT_TRUE(contains(box.text, working + "\n\n")) << box.text;
    EXPECT_TRUE(contains(box.text, kDiskFull)) << box.text;
    // The transfer dialog stays for the user to close.
    if (HWND transfer = waitForDialog(program_.processId(), "Transfer", 3000)) pressDialogButton(transfer, IDCANCEL);
    EXPECT_TRUE(readBinaryFile(working) == earlier) << "DATAFILE.TMP changed";
    EXPECT_FALSE(exists(working + ".new"));
    EXPECT_TRUE(waitForUsable({2105, 1003, 1007, 2114}));
}

TEST_F(Disk, AnUploadIntoADataFolderThatVanishedNamesTheFolder) {
    configureAnalyzer("fixed-rate = 5000\r\n");
    writeProfileWith("[buffer]\r\nwarning=no\r\n");
    ASSERT_TRUE(startMain());
    connectAndWaitForIdle();
    ASSERT_TRUE(removeTree(sandbox_->dataFolder()));
    postCommand(mainWindow_, kUploadCommand);
    const MessageBoxInfo box = answerBox(kWarningCaption);
    ASSERT_TRUE(box.window) << "the failed upload was not reported";
    const std::string working = sandbox_->dataFolder() + "\\DATAFILE.TMP";
    EXPECT_EQ(box.text, englishFormattedText(kUploadFileFailed, working + "\n\n" + box.text.substr(box.text.rfind("\n\n") + 2)));
    EXPECT_TRUE(contains(box.text, kPathNotFound)) << box.text;
    EXPECT_TRUE(waitForUsable({2105, 1003, 1007, 2114}));
    EXPECT_FALSE(exists(sandbox_->dataFolder()));
}

// ---- Save as ------------------------------------------------------------------------------

TEST_F(Disk, SaveAsOntoAFullDiskLeavesTheFileOfThatNameAsItWas) {
    REQUIRE_SMALL_DISK();
    writeProfile(emulatedUsbProfile());
    ASSERT_TRUE(startMain());
    const std::string source = sandbox_->root() + "\\source.DT";
    ASSERT_TRUE(writeBinary(source, dataFile(6000)));  // about 190 KiB
    ASSERT_NO_FATAL_FAILURE(openDataFile(source, 6000));

    const std::string target = disk_ + "\\saved.DT";
    const std::string old(5000, 'o');
    ASSERT_TRUE(writeBinary(target, old));
    ASSERT_NO_FATAL_FAILURE(fillDisk(64 * 1024));
    ASSERT_NO_FATAL_FAILURE(saveThrough(mainWindow_, kSaveAsCommand, target));
    const MessageBoxInfo box = answerBox(kWarningCaption);
    ASSERT_TRUE(box.window) << "the failed save was not reported";
    EXPECT_EQ(box.text, englishFormattedText(kDataFileSaveFailed, target + "\n\n" + box.text.substr(box.text.rfind("\n\n") + 2)));
    EXPECT_TRUE(contains(box.text, kDiskFull)) << box.text;
    EXPECT_TRUE(readBinaryFile(target) == old) << "the existing file changed";
    EXPECT_FALSE(exists(target + ".new"));

    // With room again the same save goes through.
    emptyDisk();
    ASSERT_NO_FATAL_FAILURE(saveThrough(mainWindow_, kSaveAsCommand, target));
    EXPECT_TRUE(waitFor([&] { return readBinaryFile(target) == readBinaryFile(source); }, 5000));
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
}

// ---- Setup file ---------------------------------------------------------------------------

TEST_F(Disk, ASetupFileSavedOntoAFullDiskLeavesTheFileOfThatNameAsItWas) {
    REQUIRE_SMALL_DISK();
    configureAnalyzer("");
    writeProfileWith("[miscellaneous]\r\nsyncSetup=no\r\n");
    ASSERT_TRUE(startMain());
    postCommand(mainWindow_, 2012);
    HWND editor = waitForDialog(program_.processId(), "Setup", 20000);
    ASSERT_NE(editor, nullptr);

    const std::string target = disk_ + "\\setup.SU";
    const std::string old(3000, 's');
    ASSERT_TRUE(writeBinary(target, old));
    ASSERT_NO_FATAL_FAILURE(fillDisk(4096));  // a setup file takes about 16 KiB
    ASSERT_NO_FATAL_FAILURE(saveThrough(editor, kSaveSetupCommand, target));
    const MessageBoxInfo box = answerBox(kFileErrorCaption);
    ASSERT_TRUE(box.window) << "the failed save was not reported";
    EXPECT_TRUE(contains(box.text, "\n\n" + target + "\n\n")) << box.text;
    EXPECT_TRUE(contains(box.text, kDiskFull)) << box.text;
    EXPECT_TRUE(readBinaryFile(target) == old) << "the existing setup file changed";
    EXPECT_FALSE(exists(target + ".new"));

    emptyDisk();
    ASSERT_NO_FATAL_FAILURE(saveThrough(editor, kSaveSetupCommand, target));
    EXPECT_TRUE(waitFor([&] { return readBinaryFile(target).size() == 15824; }, 5000));
    pressDialogButton(editor, IDCANCEL);
    EXPECT_TRUE(waitFor([&] { return !dialogOpen(program_.processId(), "Setup"); }, 20000));
}

// ---- LCD picture --------------------------------------------------------------------------

TEST_F(Disk, AnLcdPictureThatFindsNoRoomIsReportedAndLeavesNoFile) {
    REQUIRE_SMALL_DISK();
    const std::string pictures = disk_ + "\\pictures";
    ASSERT_TRUE(makeFolders(pictures));
    configureAnalyzer("");
    writeProfileWith("[buffer]\r\nwarning=no\r\n[keyEmulation]\r\npath=" + pictures + "\r\n");
    ASSERT_TRUE(startMain());
    connectAndWaitForIdle();
    postCommand(mainWindow_, kKeyEmulationCommand);
    std::vector<HWND> frames;
    ASSERT_TRUE(waitFor([&] { return (frames = topWindowsOfClass("ZEVRONA_zvlk5m_WindowClass_KeyEmuFrame", program_.processId())).size() == 1; }, 10000));
    HWND frame = frames[0];
    Sleep(1000);  // the first picture of the LCD

    ASSERT_NO_FATAL_FAILURE(fillDisk(0));
    PostMessageA(frame, WM_COMMAND, kSavePictureCommand, 0);
    const MessageBoxInfo box = answerBox(102);
    ASSERT_TRUE(box.window) << "the failed save was not reported";
    EXPECT_TRUE(contains(box.text, "\n\n" + pictures + "\\ZV")) << box.text;
    EXPECT_TRUE(contains(box.text, kDiskFull)) << box.text;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((pictures + "\\*.bmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left behind: " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);

    // A folder that vanished is made again: the next picture is saved.
    emptyDisk();
    ASSERT_TRUE(removeTree(pictures));
    PostMessageA(frame, WM_COMMAND, kSavePictureCommand, 0);
    EXPECT_TRUE(waitFor([&] {
        WIN32_FIND_DATAA any{};
        HANDLE again = FindFirstFileA((pictures + "\\*.bmp").c_str(), &any);
        if (again == INVALID_HANDLE_VALUE) return false;
        FindClose(again);
        return true;
    }, 5000));
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
}

// ---- Conversion ---------------------------------------------------------------------------

TEST_F(Disk, ConversionOntoAFullDiskKeepsTheEarlierOutputInTheProgramAndInZvdconv) {
    REQUIRE_SMALL_DISK();
    writeProfile(emulatedUsbProfile());
    ASSERT_TRUE(startMain());
    const std::string folder = disk_ + "\\data";
    ASSERT_TRUE(makeFolders(folder));
    ASSERT_TRUE(writeBinary(folder + "\\a.DT", dataFile(3000)));  // some 300 KiB of text
    const std::string earlier = "an earlier conversion\r\n";
    ASSERT_TRUE(writeTextFile(folder + "\\a.txt", earlier));
    ASSERT_TRUE(writeTextFile(folder + "\\a.csv", earlier));
    ASSERT_NO_FATAL_FAILURE(fillDisk(32 * 1024));

    postCommand(mainWindow_, kBatchCommand);
    HWND dialog = waitForDialog(program_.processId(), "Batch Conversion", 10000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(setControlText(dialogControl(dialog, 1008), folder));
    ASSERT_TRUE(pressDialogButton(dialog, 40018));
    ASSERT_TRUE(waitFor([&] { return sendTo(dialogControl(dialog, 1095), LB_GETCOUNT, 0, 0) == 1; }, 5000));
    ASSERT_TRUE(pressDialogButton(dialog, 1011));
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(dialogControl(dialog, 1)); }, 5000));
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    const MessageBoxInfo box = answerBox(kConversionCaption, 20000);
    ASSERT_TRUE(box.window) << "the failed conversion was not reported";
    EXPECT_TRUE(contains(box.text, "a.txt\n" + englishString(kConversionOutputFailed) + "\n\n")) << box.text;
    EXPECT_TRUE(contains(box.text, kDiskFull)) << box.text;
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(dialogControl(dialog, 1)); }, 10000));
    pressDialogButton(dialog, IDCANCEL);
    EXPECT_EQ(readTextFile(folder + "\\a.txt"), earlier);
    EXPECT_FALSE(exists(folder + "\\a.txt.new"));

    const std::string log = sandbox_->root() + "\\zvdconv.log";
    EXPECT_EQ(runProgram("\"" + builtFile("zvdconv") + "\" --csv a.DT", folder, log), 1);
    const std::string said = readTextFile(log);
    EXPECT_TRUE(contains(said, "a.csv could not be written completely: 0x80070070 (disk full)")) << said;
    EXPECT_EQ(readTextFile(folder + "\\a.csv"), earlier);
    EXPECT_FALSE(exists(folder + "\\a.csv.new"));

    // Into a folder that is gone: named as such, nothing made.
    const std::string log2 = sandbox_->root() + "\\zvdconv-gone.log";
    EXPECT_EQ(runProgram("\"" + builtFile("zvdconv") + "\" --csv -o gone\\b.csv a.DT", folder, log2), 1);
    EXPECT_TRUE(contains(readTextFile(log2), "cannot be created: 0x80070003 (folder not found)")) << readTextFile(log2);
}

}  // namespace
}  // namespace zvui
