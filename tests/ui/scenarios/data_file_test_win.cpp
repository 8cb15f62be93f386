// Data files in the capture list: opening one through the open-file dialog, its cells and
// status bar, the deltaT column, a file that is no data file, save-as, stepping through the
// numbered buffer files and the selected row.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/board_type.h"
#include "base/bytes.h"
#include "base/file_io.h"
#include "capture/capture.h"
#include "capture/capture_record.h"
#include "capture/cell_text.h"
#include "capture/data_file_writer.h"
#include "dialog_read_win.h"
#include "file_dialog_win.h"
#include "lan_analyzer_win.h"
#include "pane_probe.h"
#include "pane_recorder_win.h"
#include "remote_buffer_win.h"
#include "measurement_fixture_win.h"
#include "program_fixture_win.h"
#include "setup/data_info.h"

namespace zvui {
namespace {

constexpr zv::BoardType kBoard = 73763;  // EX-NB3BP: "MDCL" records with analog inputs

constexpr int kOpenCommand = 1007;
constexpr int kSaveAsCommand = 40014;
constexpr int kPreviousCommand = 2401;
constexpr int kNextCommand = 2402;
constexpr int kDeltaTimeCommand = 40018;

uint32_t stamp(int minutes, int seconds, int hundredths, int fraction) {
    return static_cast<uint32_t>(minutes << 24 | seconds << 16 | hundredths << 8 | fraction);
}

zv::CaptureRecordBytes canRecord(uint8_t channel, uint32_t time, uint32_t identifier, bool extended, uint8_t dlc) {
    zv::CaptureRecordBytes r{};
    r[0] = channel;
    zv::putU32(r.data(), 4, time);
    r[10] = dlc;
    r[11] = static_cast<uint8_t>((extended ? 0x80 : 0) | dlc);
    zv::putU32(r.data(), 12, extended ? identifier : identifier << 18);
    for (uint8_t i = 0; i < dlc; ++i) r[16 + i] = static_cast<uint8_t>(0x11 * (i + 1));
    return r;
}

zv::CaptureRecordBytes linRecord(uint32_t time, uint8_t pid, uint16_t status) {
    zv::CaptureRecordBytes r{};
    r[0] = 3;
    r[1] = 0x90;  // trigger mark and EXT
    zv::putU16(r.data(), 2, status);
    zv::putU32(r.data(), 4, time);
    zv::putU16(r.data(), 8, 155);  // AI1 +1.6 V
    r[10] = 3;                     // two data bytes and the checksum
    r[11] = 0;
    zv::putU32(r.data(), 12, 0x55u << 24 | 0x55u << 16 | static_cast<uint32_t>(pid) << 8);
    r[16] = 0xA1;
    r[17] = 0xB2;
    r[18] = 0xC3;
    return r;
}

zv::CaptureRecordBytes lostDataMarker(uint32_t time) {
    zv::CaptureRecordBytes r{};
    r[0] = 0x41;
    zv::putU32(r.data(), 4, time);
    return r;
}

// A data file as monitoring writes it: header for the board, then the records.
std::vector<uint8_t> dataFileBytes(const std::vector<zv::CaptureRecordBytes>& records) {
    const size_t header = zv::dataFileHeaderSize(kBoard);
    std::vector<uint8_t> bytes(header + records.size() * zv::kCaptureRecordSize);
    zv::DataInfoBlock info = zv::composeDataInfoBlock(kBoard);
    // As the analyzer fills it in: operation mode 0, channel layout 9, analog inputs measured.
    info.bytes[16] = 0;
    info.bytes[17] = 9;
    info.bytes[26] = 1;
    zv::composeDataFileHeader(bytes.data(), kBoard, info, static_cast<uint32_t>(records.size() * zv::kCaptureRecordSize));
    for (size_t i = 0; i < records.size(); ++i) {
        std::copy(records[i].begin(), records[i].end(), bytes.begin() + static_cast<ptrdiff_t>(header + i * 32));
    }
    return bytes;
}

// Records of every kind, with time stamps that make the differences borrow.
std::vector<zv::CaptureRecordBytes> mixedRecords(size_t count) {
    std::vector<zv::CaptureRecordBytes> records;
    for (size_t i = 0; i < count; ++i) {
        const int n = static_cast<int>(i);
        const uint32_t time = stamp(1 + n / 60, n % 60, (n * 37) % 100, (n * 13) % 50);
        switch (i % 5) {
            case 0:
                records.push_back(canRecord(1, time, 0x7FF, false, 8));
                break;
            case 1:
                records.push_back(canRecord(2, time, 0x12345678, true, static_cast<uint8_t>(n % 9)));
                break;
            case 2:
                records.push_back(linRecord(time, 0x3C, static_cast<uint16_t>(n % 2 ? 0x0006 : 0)));
                break;
            case 3:
                records.push_back(lostDataMarker(time));
                break;
            default:
                records.push_back(canRecord(1, time, 0x123, false, 2));
                break;
        }
    }
    return records;
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    zv::FileImage image;
    if (!zv::readWholeFile(path, image)) return {};
    return std::vector<uint8_t>(image.bytes.get(), image.bytes.get() + image.size);
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    return zv::writeWholeFile(path, bytes.data(), bytes.size()) >= 0;
}

class DataFile : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        installProgram();
        writeProfile(emulatedUsbProfile());
        ASSERT_TRUE(startMain());
        list_ = control(kCaptureListId);
        status_ = control(kStatusBarId);
        toolbar_ = control(kToolbarId);
    }

    std::string workingFile() const { return sandbox_->dataFolder() + "\\DATAFILE.TMP"; }
    std::string sandboxFile(const std::string& name) const { return sandbox_->root() + "\\" + name; }

    // Command 1007, the path typed into the open-file dialog, OK.
    void openThroughDialog(const std::string& path) {
        postCommand(mainWindow_, kOpenCommand);
        HWND dialog = waitForDialogTitled(program_.processId(), englishString(20044), 10000);
        ASSERT_TRUE(dialog) << "no open-file dialog";
        ASSERT_TRUE(chooseFileInDialog(dialog, path));
        ASSERT_TRUE(waitForDialogGone(program_.processId(), englishString(20044), 10000));
    }

    void openAndWaitForRows(const std::string& path, int rows) {
        openThroughDialog(path);
        ASSERT_TRUE(waitFor([&] { return listViewItemCount(list_) == rows; }, 10000))
            << "rows: " << listViewItemCount(list_);
    }

    // The error box of a file command: its caption and text, answered with OK.
    std::pair<std::string, std::string> answerErrorBox() { return answerBox(englishString(9034)); }

    std::pair<std::string, std::string> answerBox(const std::string& caption) {
        MessageBoxInfo box;
        waitFor(
            [&] {
                for (const MessageBoxInfo& b : messageBoxesOf(program_.processId())) {
                    if (b.caption == caption && !b.text.empty()) {  // the text comes after the frame
                        box = b;
                        return true;
                    }
                }
                return false;
            },
            10000);
        if (!box.window) return {};
        answerMessageBox(box, IDOK);
        waitFor([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, 5000);
        return {box.caption, box.text};
    }

    bool paneShows(int pane, const std::string& text) {
        return waitFor([&] { return statusPaneText(status_, pane) == text; }, 5000);
    }

    bool buttonEnabled(int command) { return toolbarButtonState(toolbar_, command) == kButtonEnabled; }

    HWND list_ = nullptr;
    HWND status_ = nullptr;
    HWND toolbar_ = nullptr;
};

TEST_F(DataFile, OpenShowsEveryRecordWithTheCellsOfTheCoreAndTheStatusBar) {
    const std::vector<uint8_t> bytes = dataFileBytes(mixedRecords(120));
    const std::string path = sandboxFile("trace.DT");
    ASSERT_TRUE(writeBytes(path, bytes));
    ASSERT_NO_FATAL_FAILURE(openAndWaitForRows(path, 120));

    zv::CCapture expected;
    ASSERT_TRUE(expected.load(bytes.data(), bytes.size()));
    // Literal cells first, so that a fault shared with the core's formatter still shows.
    EXPECT_EQ(listViewCellText(list_, 0, 0), "01:00:000");
    EXPECT_EQ(listViewCellText(list_, 0, 4), "7FF");
    EXPECT_EQ(listViewCellText(list_, 1, 4), "12345678");
    EXPECT_EQ(listViewCellText(list_, 3, 1), "LOSTDATA");
    EXPECT_EQ(listViewCellText(list_, 3, 4), "");
    EXPECT_EQ(listViewCellText(list_, 7, 4), "(3C) [ 3C ]");
    EXPECT_EQ(listViewCellText(list_, 7, 18), "T");
    EXPECT_EQ(listViewCellText(list_, 2, 19), "  +1.6");
    EXPECT_EQ(listViewCellText(list_, 2, 23), "1000");
    for (int row : {0, 1, 2, 3, 4, 57, 58, 119}) {
        for (int column = 0; column < zv::kCaptureListColumns; ++column) {
            EXPECT_EQ(listViewCellText(list_, row, column),
                      zv::captureCellText(expected, static_cast<uint32_t>(row), column, zv::TimeColumnMode::Absolute))
                << "row " << row << " column " << column;
        }
    }

    EXPECT_TRUE(paneShows(0, "EX-NB3BP"));
    EXPECT_TRUE(paneShows(1, "119 / 119 [trace.DT]"));
    // What is shown is what save-as will save.
    EXPECT_EQ(fileBytes(workingFile()), bytes);
    EXPECT_TRUE(buttonEnabled(kSaveAsCommand));
    EXPECT_TRUE(menuItemEnabled(mainWindow_, kSaveAsCommand));
    // Not a numbered name: no stepping.
    EXPECT_FALSE(buttonEnabled(kPreviousCommand));
    EXPECT_FALSE(buttonEnabled(kNextCommand));
}

TEST_F(DataFile, DeltaTimeRetitlesTheFirstColumnAndShowsDifferences) {
    const std::vector<uint8_t> bytes = dataFileBytes(mixedRecords(10));
    const std::string path = sandboxFile("delta.DT");
    ASSERT_TRUE(writeBytes(path, bytes));
    ASSERT_NO_FATAL_FAILURE(openAndWaitForRows(path, 10));
    zv::CCapture expected;
    ASSERT_TRUE(expected.load(bytes.data(), bytes.size()));

    postCommand(mainWindow_, kDeltaTimeCommand);
    ASSERT_TRUE(waitFor([&] { return listViewHeaders(list_).front() == "deltaT"; }, 5000));
    EXPECT_TRUE(menuItemChecked(mainWindow_, kDeltaTimeCommand));
    EXPECT_EQ(listViewCellText(list_, 0, 0), " --:--:---");
    // Row 4 follows the lost-data marker of row 3: the marker is its predecessor.
    for (int row = 1; row < 10; ++row) {
        EXPECT_EQ(listViewCellText(list_, row, 0),
                  zv::captureCellText(expected, static_cast<uint32_t>(row), 0, zv::TimeColumnMode::Difference))
            << row;
    }
    // The other columns keep their texts.
    EXPECT_EQ(listViewCellText(list_, 0, 4), "7FF");

    postCommand(mainWindow_, kDeltaTimeCommand);
    ASSERT_TRUE(waitFor([&] { return listViewHeaders(list_).front() == "Time"; }, 5000));
    EXPECT_EQ(listViewCellText(list_, 0, 0), "01:00:000");
}

TEST_F(DataFile, AFileThatIsNoDataFileChangesNothing) {
    const std::vector<uint8_t> bytes = dataFileBytes(mixedRecords(7));
    const std::string good = sandboxFile("good.DT");
    ASSERT_TRUE(writeBytes(good, bytes));
    ASSERT_NO_FATAL_FAILURE(openAndWaitForRows(good, 7));
    ASSERT_TRUE(paneShows(1, "6 / 6 [good.DT]"));

    // The right signature, but the record chunk runs one byte past the end.
    std::vector<uint8_t> damaged = dataFileBytes(mixedRecords(3));
    damaged.pop_back();
    const std::string bad = sandboxFile("damaged.DT");
    ASSERT_TRUE(writeBytes(bad, damaged));
    const std::string text = sandboxFile("notes.DT");
    ASSERT_TRUE(writeTextFile(text, "just some text, no data file\r\n"));

    for (const std::string& path : {bad, text}) {
        ASSERT_NO_FATAL_FAILURE(openThroughDialog(path));
        const auto [caption, message] = answerErrorBox();
        EXPECT_EQ(caption, englishString(9034)) << path;
        EXPECT_EQ(message, englishString(9036)) << path;
        EXPECT_EQ(listViewItemCount(list_), 7) << path;
        EXPECT_EQ(listViewCellText(list_, 0, 4), "7FF") << path;
        EXPECT_EQ(statusPaneText(status_, 1), "6 / 6 [good.DT]") << path;
        EXPECT_EQ(statusPaneText(status_, 0), "EX-NB3BP") << path;
        EXPECT_EQ(fileBytes(workingFile()), bytes) << path;
        EXPECT_TRUE(buttonEnabled(kSaveAsCommand)) << path;
    }
}

TEST_F(DataFile, SaveAsWritesTheShownBytes) {
    const std::vector<uint8_t> bytes = dataFileBytes(mixedRecords(25));
    const std::string path = sandboxFile("source.DT");
    ASSERT_TRUE(writeBytes(path, bytes));
    ASSERT_NO_FATAL_FAILURE(openAndWaitForRows(path, 25));

    const std::string saved = sandboxFile("copy.DT");
    postCommand(mainWindow_, kSaveAsCommand);
    HWND dialog = waitForDialogTitled(program_.processId(), englishString(20045), 10000);
    ASSERT_TRUE(dialog) << "no save-file dialog";
    ASSERT_TRUE(chooseFileInDialog(dialog, saved));
    ASSERT_TRUE(waitForDialogGone(program_.processId(), englishString(20045), 10000));
    ASSERT_TRUE(waitFor([&] { return fileBytes(saved) == bytes; }, 5000));
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
}

TEST_F(DataFile, AWorkingFileThatCannotBeWrittenIsReportedAndSaveAsStillSavesTheShownFile) {
    // A folder in the place of DATAFILE.TMP: no copy can go there.
    ASSERT_TRUE(makeFolders(workingFile()));
    const std::vector<uint8_t> bytes = dataFileBytes(mixedRecords(12));
    const std::string path = sandboxFile("kept.DT");
    ASSERT_TRUE(writeBytes(path, bytes));
    ASSERT_NO_FATAL_FAILURE(openThroughDialog(path));
    const auto [caption, message] = answerBox(englishString(20057));
    EXPECT_EQ(caption, englishString(20057));
    // The box names the file and the system's reason.
    const std::string first = englishFormattedText(20067, "");
    EXPECT_EQ(message.substr(0, first.size()), first) << message;
    EXPECT_NE(message.find(workingFile() + "\n\n"), std::string::npos) << message;
    EXPECT_NE(message.find("(error 0x8007"), std::string::npos) << message;
    EXPECT_EQ(readTextFile(workingFile() + ".new"), "");  // no half-written copy left
    // The file is shown all the same.
    ASSERT_TRUE(waitFor([&] { return listViewItemCount(list_) == 12; }, 5000));
    EXPECT_TRUE(paneShows(1, "11 / 11 [kept.DT]"));

    const std::string saved = sandboxFile("saved.DT");
    postCommand(mainWindow_, kSaveAsCommand);
    HWND dialog = waitForDialogTitled(program_.processId(), englishString(20045), 10000);
    ASSERT_TRUE(dialog) << "no save-file dialog";
    ASSERT_TRUE(chooseFileInDialog(dialog, saved));
    ASSERT_TRUE(waitForDialogGone(program_.processId(), englishString(20045), 10000));
    EXPECT_TRUE(waitFor([&] { return fileBytes(saved) == bytes; }, 5000));
}

TEST_F(DataFile, AFileWithoutRecordsShowsNoRowsAndCannotBeSaved) {
    const std::string path = sandboxFile("empty.DT");
    ASSERT_TRUE(writeBytes(path, dataFileBytes({})));
    ASSERT_NO_FATAL_FAILURE(openThroughDialog(path));
    EXPECT_TRUE(paneShows(1, "0 / 0 [empty.DT]"));
    EXPECT_TRUE(paneShows(0, "EX-NB3BP"));
    EXPECT_EQ(listViewItemCount(list_), 0);
    EXPECT_FALSE(buttonEnabled(kSaveAsCommand));
    EXPECT_FALSE(menuItemEnabled(mainWindow_, kSaveAsCommand));
    EXPECT_TRUE(messageBoxesOf(program_.processId()).empty());
}

TEST_F(DataFile, StepsThroughTheNumberedBufferFiles) {
    // 00000000.DT holds 3 records, 00000001.DT 4, 00000002.DT 5.
    std::vector<std::vector<uint8_t>> files;
    for (int number = 0; number < 3; ++number) {
        files.push_back(dataFileBytes(mixedRecords(static_cast<size_t>(3 + number))));
        char name[16];
        std::snprintf(name, sizeof name, "\\%08d.DT", number);
        ASSERT_TRUE(writeBytes(bufferFolder() + name, files.back()));
    }
    ASSERT_NO_FATAL_FAILURE(openAndWaitForRows(bufferFolder() + "\\00000001.DT", 4));
    EXPECT_TRUE(paneShows(1, "3 / 3 [00000001.DT]"));
    EXPECT_TRUE(buttonEnabled(kPreviousCommand));
    EXPECT_TRUE(buttonEnabled(kNextCommand));

    postCommand(mainWindow_, kPreviousCommand);
    EXPECT_TRUE(paneShows(1, "2 / 2 [00000000.DT]"));
    EXPECT_EQ(listViewItemCount(list_), 3);
    EXPECT_EQ(fileBytes(workingFile()), files[0]);

    // Nothing below 00000000.DT.
    postCommand(mainWindow_, kPreviousCommand);
    EXPECT_EQ(answerErrorBox().second, englishString(9035));
    EXPECT_EQ(statusPaneText(status_, 1), "2 / 2 [00000000.DT]");

    postCommand(mainWindow_, kNextCommand);
    EXPECT_TRUE(paneShows(1, "3 / 3 [00000001.DT]"));
    postCommand(mainWindow_, kNextCommand);
    EXPECT_TRUE(paneShows(1, "4 / 4 [00000002.DT]"));
    EXPECT_EQ(listViewItemCount(list_), 5);

    // Past the newest file: the error box, and the shown file stays.
    postCommand(mainWindow_, kNextCommand);
    const auto [caption, message] = answerErrorBox();
    EXPECT_EQ(caption, englishString(9034));
    EXPECT_EQ(message, englishString(9035));
    EXPECT_EQ(statusPaneText(status_, 1), "4 / 4 [00000002.DT]");
    EXPECT_EQ(listViewItemCount(list_), 5);
    EXPECT_EQ(fileBytes(workingFile()), files[2]);
}

TEST_F(DataFile, SelectingARowShowsItInTheStatusBar) {
    const std::string path = sandboxFile("select.DT");
    ASSERT_TRUE(writeBytes(path, dataFileBytes(mixedRecords(30))));
    ASSERT_NO_FATAL_FAILURE(openAndWaitForRows(path, 30));

    ASSERT_TRUE(selectListViewRow(list_, 2));
    EXPECT_TRUE(paneShows(1, "2 / 29 [select.DT]"));
    ASSERT_TRUE(selectListViewRow(list_, 17));
    EXPECT_TRUE(paneShows(1, "17 / 29 [select.DT]"));
}


// ---- Search -------------------------------------------------------------------------------

constexpr int kFindCommand = 1008;
constexpr int kFindPreviousCommand = 1009;
constexpr int kFindNextCommand = 1010;

int selectedRowOf(HWND list) { return static_cast<int>(sendTo(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }

// Sends a value message whose pointer must lie in the program's memory.
bool sendValue(HWND control, UINT message, WPARAM wParam, const void* data, size_t size) {
    RemoteBuffer buffer(control, size);
    return buffer.valid() && buffer.write(0, data, size) &&
           sendTo(control, message, wParam, reinterpret_cast<LPARAM>(buffer.address())) != -1;
}

TEST_F(DataFile, SearchFindsForwardAndBackwardCountsAndKeepsTheConditionOnlyOnCancel) {
    const std::string path = sandboxFile("search.DT");
    ASSERT_TRUE(writeBytes(path, dataFileBytes(mixedRecords(50))));
    openAndWaitForRows(path, 50);

    // A frame with the standard identifier 123 and at least one data byte: rows 4, 9, ... 49.
    postCommand(mainWindow_, kFindCommand);
    HWND dialog = waitForDialog(program_.processId(), "Search", 10000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(chooseComboEntry(dialogControl(dialog, 1286), 2));
    const int high[2] = {0x1F, 0x04}, middle[2] = {0xFC, 0x8C};  // bits 18-28 of 0x123 << 18
    ASSERT_TRUE(sendValue(dialogControl(dialog, 1289), 0x401, 0, high, sizeof high));
    ASSERT_TRUE(sendValue(dialogControl(dialog, 1290), 0x401, 0, middle, sizeof middle));
    uint8_t cells[32] = {};
    for (int i = 1; i < 8; ++i) cells[i * 4 + 1] = 0xFF;  // byte 0 any, then the pattern ends
    ASSERT_TRUE(sendValue(dialogControl(dialog, 1293), 0x401, 8, cells, sizeof cells));
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    ASSERT_TRUE(waitFor([&] { return selectedRowOf(list_) == 4; }, 5000))
        << selectedRowOf(list_) << " " << (messageBoxesOf(program_.processId()).empty() ? std::string() : messageBoxesOf(program_.processId())[0].text);
    postCommand(mainWindow_, kFindNextCommand);
    ASSERT_TRUE(waitFor([&] { return selectedRowOf(list_) == 9; }, 5000)) << selectedRowOf(list_);
    postCommand(mainWindow_, kFindPreviousCommand);
    ASSERT_TRUE(waitFor([&] { return selectedRowOf(list_) == 4; }, 5000)) << selectedRowOf(list_);

    // Counting from the row below the selected one: rows 9 to 49.
    postCommand(mainWindow_, kFindCommand);
    dialog = waitForDialog(program_.processId(), "Search", 10000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(comboSelection(dialogControl(dialog, 1286)), 2);  // the condition was kept
    ASSERT_TRUE(chooseComboEntry(dialogControl(dialog, 1287), 1));
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    EXPECT_EQ(answerBox(englishString(20037)).second, englishFormatted(20038, 9));

    // Cancel keeps the condition; the close box forgets it at the next opening.
    postCommand(mainWindow_, kFindCommand);
    dialog = waitForDialog(program_.processId(), "Search", 10000);
    ASSERT_TRUE(pressDialogButton(dialog, 2));
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); }, 5000));  // the press is posted
    postCommand(mainWindow_, kFindCommand);
    dialog = waitForDialog(program_.processId(), "Search", 10000);
    EXPECT_EQ(comboSelection(dialogControl(dialog, 1286)), 2);
    EXPECT_EQ(comboSelection(dialogControl(dialog, 1287)), 1);
    postClose(dialog);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); }, 5000));
    postCommand(mainWindow_, kFindCommand);
    dialog = waitForDialog(program_.processId(), "Search", 10000);
    EXPECT_EQ(comboSelection(dialogControl(dialog, 1286)), 0);

    // A time window no record falls in: minute 59.
    ASSERT_TRUE(chooseComboEntry(dialogControl(dialog, 1286), 4));
    ASSERT_TRUE(setControlText(dialogControl(dialog, 2276), "59"));
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    EXPECT_EQ(answerBox(englishString(20037)).second, englishString(20036));
}

// Row 0 matches nothing searched below; row n >= 1 is of kind (n - 1) % 8 and stamped at
// second n, so that a row of zvdconv's text output names its record by its seconds.
std::vector<zv::CaptureRecordBytes> searchRecords(int count) {
    std::vector<zv::CaptureRecordBytes> records;
    records.push_back(canRecord(2, 0, 0x7FF, false, 1));
    for (int n = 1; n < count; ++n) {
        const uint32_t time = stamp(0, n, 0, 0);
        zv::CaptureRecordBytes r{};
        switch ((n - 1) % 8) {
            case 0: r = canRecord(1, time, 0x123, false, 2); break;
            case 1: r = canRecord(2, time, 0x18FEF100, true, 8); break;
            case 2: r = canRecord(1, time, 0, false, 0), r[0] = 3, r[10] = 3, r[13] = 0x3C; break;  // LIN, no error
            case 3: r = canRecord(1, time, 0x321, false, 0), r[11] |= 0x40; break;                  // remote
            case 4: r = canRecord(2, time, 0, false, 0), r[0] = 4, r[10] = 3, r[13] = 0x3C, zv::putU16(r.data(), 2, 0x1000); break;
            case 5: r = canRecord(1, time, 0x123, false, 2), r[1] = 0x80; break;                    // trigger mark
            case 6: r = canRecord(2, time, 0x321, true, 0), r[11] |= 0x40; break;                   // remote, channel 2
            default: r = canRecord(1, time, 0x7FF, false, 0), r[1] = 0x10; break;                   // EXT high
        }
        records.push_back(r);
    }
    return records;
}

TEST_F(DataFile, EachSearchKindVisitsTheRowsZvdconvFindsForwardsAndBackwards) {
    constexpr int kRows = 41;
    const std::string path = sandboxFile("kinds.DT");
    ASSERT_TRUE(writeBytes(path, dataFileBytes(searchRecords(kRows))));
    openAndWaitForRows(path, kRows);

    const std::string noMatch = englishString(20036);
    // The row selected after a find command, or -1 once the no-match box was answered.
    auto foundAfter = [&](int command, int previous) {
        postCommand(mainWindow_, command);
        int row = previous;
        bool box = false;
        waitFor([&] {
            row = selectedRowOf(list_);
            for (const MessageBoxInfo& b : messageBoxesOf(program_.processId())) box = box || b.text == noMatch;
            return row != previous || box;
        }, 5000);
        if (box) {
            EXPECT_EQ(answerBox(englishString(20037)).second, noMatch);
        }
        return box ? -1 : row;
    };
    auto rowsOfKinds = [&](std::initializer_list<int> kinds) {
        std::vector<int> rows;
        for (int n = 1; n < kRows; ++n) {
            if (std::find(kinds.begin(), kinds.end(), (n - 1) % 8) != kinds.end()) rows.push_back(n);
        }
        return rows;
    };
    std::vector<int> window;  // 00:2*.**
    for (int n = 20; n < 30; ++n) window.push_back(n);

    struct Kind {
        std::string condition;
        std::vector<int> rows;
        std::function<void(HWND)> fill;
    };
    const int remoteHigh[2] = {0x1F, 0x0C}, remoteMiddle[2] = {0xFC, 0x84};  // 0x321 << 18
    const Kind kinds[] = {
        {"trigger", rowsOfKinds({5}), [](HWND) {}},
        {"lin-error=S", rowsOfKinds({4}), [](HWND page) { ASSERT_TRUE(setCheckBox(dialogControl(page, 1299), true)); }},
        {"frame id=0x123 data=??", rowsOfKinds({0, 5}),
         [](HWND page) {
             const int high[2] = {0x1F, 0x04}, middle[2] = {0xFC, 0x8C};
             ASSERT_TRUE(sendValue(dialogControl(page, 1289), 0x401, 0, high, sizeof high));
             ASSERT_TRUE(sendValue(dialogControl(page, 1290), 0x401, 0, middle, sizeof middle));
             uint8_t cells[32] = {};
             for (int i = 1; i < 8; ++i) cells[i * 4 + 1] = 0xFF;
             ASSERT_TRUE(sendValue(dialogControl(page, 1293), 0x401, 8, cells, sizeof cells));
         }},
        {"remote id=0x321", rowsOfKinds({3}),
         [&](HWND page) {
             ASSERT_TRUE(sendValue(dialogControl(page, 1307), 0x401, 0, remoteHigh, sizeof remoteHigh));
             ASSERT_TRUE(sendValue(dialogControl(page, 1308), 0x401, 0, remoteMiddle, sizeof remoteMiddle));
         }},
        {"time=00:2*.**", window,
         [](HWND page) {
             ASSERT_TRUE(setControlText(dialogControl(page, 2276), "00"));
             ASSERT_TRUE(setControlText(dialogControl(page, 2277), "2*"));
             ASSERT_TRUE(setControlText(dialogControl(page, 2278), "**"));
         }},
        {"ext=1", rowsOfKinds({7}), [](HWND page) { ASSERT_TRUE(chooseComboEntry(dialogControl(page, 1303), 1)); }},
    };

    for (int kind = 0; kind < 6; ++kind) {
        const Kind& k = kinds[kind];
        SCOPED_TRACE(k.condition);
        ASSERT_GE(k.rows.size(), 2u);

        // zvdconv prints the rows as the text conversion writes them: "MMSSHHm ...".
        std::string output;
        ASSERT_EQ(runTool(builtFile("zvdconv"), {"--find", k.condition, "-o", "-", path}, output), 0) << output;
        std::vector<int> tool;
        for (size_t at = 0; at < output.size();) {
            const size_t end = std::min(output.find('\n', at), output.size());
            const std::string line = output.substr(at, end - at);
            if (line.size() > 8 && line[7] == ' ' && line.find_first_not_of("0123456789") == 7) tool.push_back(std::stoi(line.substr(2, 2)));
            at = end + 1;
        }
        EXPECT_EQ(tool, k.rows) << output;

        // The dialog, leaving with OK (forward) from row 0, then find next until no match.
        ASSERT_TRUE(selectListViewRow(list_, 0));
        postCommand(mainWindow_, kFindCommand);
        HWND dialog = waitForDialog(program_.processId(), "Search", 10000);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(chooseComboEntry(dialogControl(dialog, 1286), kind));
        ASSERT_TRUE(chooseComboEntry(dialogControl(dialog, 1287), 0));
        ASSERT_NO_FATAL_FAILURE(k.fill(dialog));
        ASSERT_TRUE(pressDialogButton(dialog, 1));
        ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); }, 5000));
        std::vector<int> forward;
        int row = 0;
        ASSERT_TRUE(waitFor([&] { return (row = selectedRowOf(list_)) != 0; }, 5000));
        while (row >= 0 && forward.size() <= k.rows.size()) {
            forward.push_back(row);
            row = foundAfter(kFindNextCommand, row);
        }
        EXPECT_EQ(forward, k.rows);

        // Find previous from the last match back to the first, then no match.
        std::vector<int> backward{selectedRowOf(list_)};
        for (row = backward.back(); (row = foundAfter(kFindPreviousCommand, row)) >= 0 && backward.size() <= k.rows.size();)
            backward.push_back(row);
        EXPECT_EQ(std::vector<int>(backward.rbegin(), backward.rend()), k.rows);
    }

    // Button 1083 leaves the dialog with a backward search: from the last row to the last
    // record of the window.
    ASSERT_TRUE(selectListViewRow(list_, kRows - 1));
    postCommand(mainWindow_, kFindCommand);
    HWND dialog = waitForDialog(program_.processId(), "Search", 10000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(chooseComboEntry(dialogControl(dialog, 1286), 4));
    ASSERT_TRUE(pressDialogButton(dialog, 1083));
    EXPECT_TRUE(waitFor([&] { return selectedRowOf(list_) == 29; }, 5000)) << selectedRowOf(list_);
}

// Prints the time from a find-next command to the selected match when the only match is the
// last of 375,000 rows (a 12 MiB file), as the user waits for it.
TEST_F(DataFile, FindNextAcrossALargeFileReachesTheLastRow) {
    constexpr int kRows = 375000;
    std::vector<zv::CaptureRecordBytes> records(kRows, canRecord(1, stamp(1, 2, 3, 4), 0x100, false, 8));
    records.back()[1] = 0x80;  // the only trigger mark
    const std::string path = sandboxFile("large.DT");
    ASSERT_TRUE(writeBytes(path, dataFileBytes(records)));
    openAndWaitForRows(path, kRows);

    postCommand(mainWindow_, kFindCommand);
    HWND dialog = waitForDialog(program_.processId(), "Search", 10000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(chooseComboEntry(dialogControl(dialog, 1286), 0));
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    ASSERT_TRUE(waitFor([&] { return selectedRowOf(list_) == kRows - 1; }, 10000)) << selectedRowOf(list_);

    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(selectListViewRow(list_, 0));
        ASSERT_TRUE(paneShows(1, "0 / 374999 [large.DT]")) << statusPaneText(status_, 1);
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        postCommand(mainWindow_, kFindNextCommand);
        // Polled in the status bar: asking the list for its selected row would walk the rows.
        while (statusPaneText(status_, 1) != "374999 / 374999 [large.DT]") {
            QueryPerformanceCounter(&end);
            ASSERT_LT(static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart), 10.0);
        }
        QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    std::printf("[ FIGURE   ] find next over %d rows to the last one: median %.1f ms, slowest %.1f ms (of %zu)\n", kRows,
                times[times.size() / 2], times.back(), times.size());
}

// ---- Batch conversion ------------------------------------------------------------------------

constexpr int kBatchCommand = 40010;
constexpr int kBatchFormat = 4151;
constexpr int kFormatAsc = 2;  // Text, CSV, ASC, ...

int64_t sizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// The list order of NAMES in a list box of the program (each found by its text).
std::vector<std::string> inListOrder(HWND list, const std::vector<std::string>& names) {
    std::vector<std::string> ordered(names.size());
    for (const std::string& name : names) {
        const LRESULT at = sendTo(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
        if (at < 0 || static_cast<size_t>(at) >= ordered.size()) return {};
        ordered[static_cast<size_t>(at)] = name;
    }
    return ordered;
}

TEST_F(DataFile, BatchConvertsTheSelectedFilesInOrderStopsAfterTheFileInWorkExportsAndKeepsItsKeys) {
    const std::string folder = sandboxFile("batch");
    ASSERT_TRUE(makeFolders(folder));
    // The list shows the files in the order the system finds them; the big one goes second.
    ASSERT_TRUE(writeBytes(folder + "\\a.DT", dataFileBytes(mixedRecords(300))));
    ASSERT_TRUE(writeBytes(folder + "\\b.DT", dataFileBytes(mixedRecords(200))));
    ASSERT_TRUE(writeBytes(folder + "\\c.DT", dataFileBytes(mixedRecords(250))));
    postCommand(mainWindow_, kBatchCommand);
    HWND dialog = waitForDialog(program_.processId(), "Batch Conversion", 10000);
    ASSERT_NE(dialog, nullptr);
    HWND list = dialogControl(dialog, 1095);
    ASSERT_TRUE(setControlText(dialogControl(dialog, 1008), folder));
    ASSERT_TRUE(pressDialogButton(dialog, 40018));
    ASSERT_TRUE(waitFor([&] { return sendTo(list, LB_GETCOUNT, 0, 0) == 3; }, 5000));
    const std::vector<std::string> names = inListOrder(list, {"a.DT", "b.DT", "c.DT"});
    ASSERT_EQ(names.size(), 3u);
    ASSERT_TRUE(writeBytes(folder + "\\" + names[1], dataFileBytes(mixedRecords(1000000))));
    const auto output = [&](size_t i, const char* extension) {
        return folder + "\\" + names[i].substr(0, names[i].size() - 3) + extension;
    };
    const auto idle = [&] { return IsWindowEnabled(dialogControl(dialog, 1)) && !IsWindowEnabled(dialogControl(dialog, 2)); };

    // All three, in list order, the batch bar stepping once for each and back to 0 at the end.
    ASSERT_TRUE(pressDialogButton(dialog, 1011));
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(dialogControl(dialog, 1)); }, 5000));
    HWND batchBar = dialogControl(dialog, 1097);
    ASSERT_TRUE(startPaneRecorder(batchBar, static_cast<int>(kProbeProgressPositions)));
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    ASSERT_TRUE(waitFor([&] { return sizeOf(output(2, ".txt")) > 0 && idle(); }, 60000));
    const int64_t whole[3] = {sizeOf(output(0, ".txt")), sizeOf(output(1, ".txt")), sizeOf(output(2, ".txt"))};
    EXPECT_GT(whole[1], whole[0]);
    EXPECT_EQ(recordedPaneTexts(batchBar), (std::vector<std::string>{"pos 0", "pos 1", "pos 2", "pos 3", "pos 0"}));

    // Stop while the second file converts: the first whole, the second shortened, no third.
    for (size_t i = 0; i < 3; ++i) DeleteFileA(output(i, ".txt").c_str());
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    // An output is written under a temporary name beside its own until it is complete.
    ASSERT_TRUE(waitFor([&] { return sizeOf(output(1, ".txt.new")) > 0; }, 30000));
    ASSERT_TRUE(pressDialogButton(dialog, 2));
    ASSERT_TRUE(waitFor(idle, 30000));
    EXPECT_EQ(sizeOf(output(0, ".txt")), whole[0]);
    EXPECT_LT(sizeOf(output(1, ".txt")), whole[1]);
    EXPECT_EQ(sizeOf(output(2, ".txt")), -1);
    EXPECT_EQ(sizeOf(output(1, ".txt.new")), -1);

    // CSV: the deltaT box is disabled and the outputs are named .csv.
    ASSERT_TRUE(setCheckBox(dialogControl(dialog, 1025), true));
    EXPECT_FALSE(IsWindowEnabled(dialogControl(dialog, 1026)));
    ASSERT_TRUE(pressDialogButton(dialog, 1012));  // posted: wait for it before selecting
    ASSERT_TRUE(waitFor([&] { return sendTo(list, LB_GETSELCOUNT, 0, 0) == 0; }, 5000));
    ASSERT_TRUE(sendTo(list, LB_SETSEL, TRUE, 2) != -1);
    sendTo(dialog, WM_COMMAND, MAKEWPARAM(1095, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    ASSERT_TRUE(waitFor([&] { return sizeOf(output(2, ".csv")) > 0 && idle(); }, 30000));
    EXPECT_EQ(sizeOf(output(0, ".csv")), -1);

    // An output another program holds open is named in a box, and the batch goes on.
    HANDLE holder = CreateFileA(output(0, ".csv").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(pressDialogButton(dialog, 1011));
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    const auto [boxCaption, boxText] = answerBox(englishString(20055));
    EXPECT_NE(boxText.find(names[0].substr(0, 1) + ".csv"), std::string::npos) << boxText;
    ASSERT_TRUE(waitFor(idle, 60000));
    CloseHandle(holder);
    EXPECT_GT(sizeOf(output(2, ".csv")), 0);

    // ASC: the CSV box, deltaT and the raw values do not apply; the selected files become the
    // logs zvdconv writes of them, with the same start (the header names the writer).
    ASSERT_TRUE(chooseComboEntry(dialogControl(dialog, kBatchFormat), kFormatAsc));
    EXPECT_FALSE(buttonChecked(dialogControl(dialog, 1025)));
    for (const int id : {1025, 1026, 1030}) EXPECT_FALSE(IsWindowEnabled(dialogControl(dialog, id))) << id;
    ASSERT_TRUE(pressDialogButton(dialog, 1012));
    ASSERT_TRUE(waitFor([&] { return sendTo(list, LB_GETSELCOUNT, 0, 0) == 0; }, 5000));
    for (const int i : {0, 2}) ASSERT_TRUE(sendTo(list, LB_SETSEL, TRUE, i) != -1);
    sendTo(dialog, WM_COMMAND, MAKEWPARAM(1095, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    ASSERT_TRUE(pressDialogButton(dialog, 1));
    ASSERT_TRUE(waitFor([&] { return sizeOf(output(2, ".asc")) > 0 && idle(); }, 30000));
    EXPECT_EQ(sizeOf(output(1, ".asc")), -1);
    for (const size_t i : {size_t{0}, size_t{2}}) {
        const std::string theirs = sandbox_->root() + "\\" + names[i] + ".asc", log = theirs + ".log";
        ASSERT_EQ(runProgram("\"" + builtFile("zvdconv") + "\" --format asc -o \"" + theirs + "\" " + names[i], folder, log), 0)
            << readTextFile(log);
        std::string ours = readTextFile(output(i, ".asc"));
        const size_t writer = ours.find("// ZV-LK5MQ export of " + names[i] + ";");
        ASSERT_NE(writer, std::string::npos) << ours.substr(0, 300);
        ours.replace(writer, 11, "// zvdconv");
        const std::string expected = readTextFile(theirs);
        const size_t at = static_cast<size_t>(std::mismatch(ours.begin(), ours.end(), expected.begin(), expected.end()).first - ours.begin());
        EXPECT_TRUE(ours == expected) << names[i] << " from byte " << at << ": \"" << ours.substr(at, 60) << "\" instead of \""
                                      << expected.substr(std::min(at, expected.size()), 60) << "\"";
    }

    // Closing keeps the folder and the options in [CVT]; the format comes back on reopening.
    ASSERT_TRUE(chooseComboEntry(dialogControl(dialog, 1013), 2));
    postClose(dialog);
    ASSERT_TRUE(waitFor([&] { return !dialogOpen(program_.processId(), "Batch Conversion"); }, 10000));
    char value[MAX_PATH] = {};
    const std::string profile = sandbox_->dataFolder() + "\\profile.ini";
    GetPrivateProfileStringA("CVT", "PATH", "", value, sizeof value, profile.c_str());
    EXPECT_EQ(std::string(value), folder);
    GetPrivateProfileStringA("CVT", "CH", "", value, sizeof value, profile.c_str());
    EXPECT_EQ(std::string(value), "2");
    GetPrivateProfileStringA("CVT", "FORMAT", "", value, sizeof value, profile.c_str());
    EXPECT_EQ(std::string(value), "asc");
    postCommand(mainWindow_, kBatchCommand);
    dialog = waitForDialog(program_.processId(), "Batch Conversion", 10000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(sendTo(dialogControl(dialog, kBatchFormat), CB_GETCURSEL, 0, 0), kFormatAsc);
    EXPECT_FALSE(IsWindowEnabled(dialogControl(dialog, 1030)));
    postClose(dialog);
    ASSERT_TRUE(waitFor([&] { return !dialogOpen(program_.processId(), "Batch Conversion"); }, 10000));
}

}  // namespace
}  // namespace zvui
