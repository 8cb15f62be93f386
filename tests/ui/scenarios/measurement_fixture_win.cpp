#include "measurement_fixture_win.h"

#include <algorithm>
#include <cstdio>

#include "capture/capture.h"

namespace zvui {

std::string englishFormatted(unsigned id, unsigned long number) {
    char text[1024];
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    std::snprintf(text, sizeof text, englishString(id).c_str(), number);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return text;
}

std::string englishFormattedText(unsigned id, const std::string& argument) {
    char text[2048];
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    std::snprintf(text, sizeof text, englishString(id).c_str(), argument.c_str());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return text;
}

std::string readBinaryFile(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

uint32_t littleEndian32(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[offset + static_cast<size_t>(i)]);
    return value;
}

void MeasurementFixture::SetUp() {
    ProgramFixture::SetUp();
    installProgram();
}

void MeasurementFixture::configureAnalyzer(const std::string& settings, const std::string& library) {
    ASSERT_TRUE(writeTextFile(sandbox_->programFolder() + "\\zvlkrmt.ini",
                              (library.empty() ? "" : "[library]\r\n" + library) + "[analyzer]\r\nserial = 30808001\r\nmodel = AN-2400\r\nexboard = EX-NB3BP\r\n" + settings));
}

void MeasurementFixture::writeProfileWith(const std::string& extra) { writeProfile(emulatedUsbProfile() + extra); }

bool MeasurementFixture::readUsable(std::set<int>& usable, std::string& disagreement) {
    const std::vector<int> commands(std::begin(kSessionCommands), std::end(kSessionCommands));
    const std::vector<int> menu = menuItemStates(mainWindow_, commands);
    usable.clear();
    disagreement.clear();
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const int button = toolbarButtonState(control(kToolbarId), commands[i]);
        const bool buttonUsable = button == kButtonEnabled;
        const bool buttonGrey = button >= 0 && (button & (kButtonEnabled | kButtonIndeterminate)) == kButtonIndeterminate;
        const bool itemUsable = menu[i] >= 0 && (menu[i] & (MF_GRAYED | MF_DISABLED)) == 0;
        if (buttonUsable == buttonGrey || buttonUsable != itemUsable) {
            disagreement += std::to_string(commands[i]) + " (button " + std::to_string(button) + ", menu " +
                            std::to_string(menu[i]) + ") ";
        }
        if (buttonUsable) usable.insert(commands[i]);
    }
    return disagreement.empty();
}

std::set<int> MeasurementFixture::usableSessionCommands() {
    std::set<int> usable;
    std::string disagreement;
    EXPECT_TRUE(readUsable(usable, disagreement)) << "toolbar and menu disagree: " << disagreement;
    return usable;
}

bool MeasurementFixture::waitForUsable(const std::set<int>& usable, DWORD timeoutMs) {
    std::set<int> now;
    std::string disagreement;
    if (waitFor([&] { return readUsable(now, disagreement) && now == usable; }, timeoutMs)) return true;
    std::string text;
    for (int command : now) text += std::to_string(command) + " ";
    ADD_FAILURE() << "usable now: " << text << (disagreement.empty() ? "" : "; disagreeing: ") << disagreement;
    return false;
}

void MeasurementFixture::connectAndWaitForIdle() {
    ASSERT_TRUE(connect());
    // A connect stops whatever ran; monitoring is offered once the analyzer reports no measurement.
    ASSERT_TRUE(waitForUsable({2105, 1003, 1007, 2114}));
}

void MeasurementFixture::startMonitoring() {
    postCommand(mainWindow_, 2114);
    ASSERT_TRUE(waitForUsable({2105, 2102}));
    EXPECT_EQ(selectedTab(control(kTabControlId)), 1);
    EXPECT_TRUE(IsWindowVisible(control(kMonitorListId)));
    EXPECT_FALSE(IsWindowVisible(control(kCaptureListId)));
}

bool MeasurementFixture::waitForMeasurementEnd(DWORD timeoutMs) {
    return waitFor([&] { return toolbarButtonState(control(kToolbarId), 2114) == kButtonEnabled; }, timeoutMs);
}

std::vector<MessageBoxInfo> MeasurementFixture::collectMessageBoxes(size_t expected, DWORD timeoutMs) {
    std::vector<MessageBoxInfo> boxes;
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (boxes.size() < expected && GetTickCount64() < end) {
        // Message boxes only: the transfer dialog is a dialog of the same class without OK.
        MessageBoxInfo box;
        for (const MessageBoxInfo& open : messageBoxesOf(program_.processId())) {
            if (GetDlgItem(open.window, IDOK)) box = open;
        }
        if (!box.window) {
            Sleep(50);
            continue;
        }
        boxes.push_back(box);
        answerMessageBox(box, IDOK);
        waitFor([&] { return !IsWindow(box.window); }, 3000);
    }
    return boxes;
}

std::vector<std::string> MeasurementFixture::bufferFileNames() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((bufferFolder() + "\\*.DT").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<MeasurementFixture::BufferFileCheck> MeasurementFixture::checkBufferFiles() {
    std::vector<BufferFileCheck> checks;
    const std::string converter = builtFile("zvdconv");
    for (const std::string& name : bufferFileNames()) {
        BufferFileCheck check{name, 0, {}, -1, {}};
        const std::string path = bufferFolder() + "\\" + name;
        const std::string bytes = readBinaryFile(path);
        zv::LoadedDataFile file;
        if (bytes.size() < kDualHeaderSize) {
            check.problem = "only " + std::to_string(bytes.size()) + " bytes";
        } else if (bytes.substr(0, 16) != std::string("ZEVRONA DATA   \0", 16)) {
            check.problem = "no data-file signature";
        } else if (const uint32_t counted = littleEndian32(bytes, kRecordBytesOffset);
                   counted % 32 != 0 || bytes.size() != kDualHeaderSize + counted) {
            check.problem = "counts " + std::to_string(counted) + " record bytes in " + std::to_string(bytes.size()) +
                            " bytes";
        } else if (check.records = counted / 32; !file.loadFile(path)) {
            check.problem = std::string("does not load: ") + zv::dataFileStatusText(file.status());
        } else if (file.capture().count() != check.records) {
            check.problem = "loads with " + std::to_string(file.capture().count()) + " records";
        } else {
            check.analogInputs = file.capture().analogInputs();
            const std::string info = sandbox_->root() + "\\" + name + ".info";
            const int code = runProgram("\"" + converter + "\" --info " + name, bufferFolder(), info);
            const std::string text = readTextFile(info);
            check.info = text;
            const std::string records = "records:        " + std::to_string(check.records);
            const size_t at = text.find(records);
            if (code != 0) check.problem = "zvdconv --info: exit code " + std::to_string(code) + ": " + text;
            else if (at == std::string::npos || (text[at + records.size()] != '\r' && text[at + records.size()] != '\n'))
                check.problem = "zvdconv --info: " + text;
        }
        checks.push_back(std::move(check));
    }
    return checks;
}

}  // namespace zvui
