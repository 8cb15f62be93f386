// Key emulation against the built-in analyzer (which logs every key value it receives) and
// against zvsim: key values, Shift, auto-repeat, the start and stop keys, a link lost while a
// key is held, the LCD picture on the clipboard and in a file, and the panel's figures.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dialog_read_win.h"
#include "lan_analyzer_win.h"
#include "measurement_fixture_win.h"
#include "pane_probe.h"
#include "pane_recorder_win.h"
#include "program_fixture_win.h"

namespace zvui {
namespace {

constexpr const char* kFrameClass = "ZEVRONA_zvlk5m_WindowClass_KeyEmuFrame";
constexpr int kKeyEmulationCommand = 2000;
constexpr int kPanelId = 201;
constexpr int kLcdId = 30000;
constexpr int kShift = 20023, kKey5 = 20005, kKey7 = 20007, kKey8 = 20008, kRun = 20020, kStop = 20019,
              kUp = 20027, kDown = 20028, kEnter = 20032;

class KeyEmulation : public MeasurementFixture {
protected:
    std::string keyLogPath() const { return sandbox_->programFolder() + "\\keys.log"; }

    void startConnected(const std::string& settings = {}) {
        configureAnalyzer("key-log = keys.log\r\n" + settings);
        writeProfileWith("[buffer]\r\nwarning=no\r\n");
        ASSERT_TRUE(startMain());
        connectAndWaitForIdle();
    }

    std::vector<HWND> frames() const { return topWindowsOfClass(kFrameClass, program_.processId()); }

    void openPanel() {
        postCommand(mainWindow_, kKeyEmulationCommand);
        ASSERT_TRUE(waitFor([&] { return frames().size() == 1 && IsWindowVisible(frames()[0]); }, 10000));
        frame_ = frames()[0];
        panel_ = childById(frame_, kPanelId);
        ASSERT_NE(panel_, nullptr);
        ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(key(kKey5)); }, 5000)) << "keys stay disabled";
    }

    HWND key(int id) const { return GetDlgItem(panel_, id); }

    static void click(HWND key) {
        PostMessageA(key, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(key, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }

    void pcKey(WORD virtualKey, bool down) const {
        PostMessageA(panel_, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, down ? 1 : static_cast<LPARAM>(0xC0000001));
    }

    std::vector<std::string> keyLog() const {
        std::vector<std::string> lines;
        const std::string text = readTextFile(keyLogPath());
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find('\n', at), text.size());
            if (end > at) lines.push_back(text.substr(at, end - at));
            at = end + 1;
        }
        return lines;
    }

    // Waits until the log has COUNT lines and returns the lines after the first SKIP.
    std::vector<std::string> logAfter(size_t skip, size_t count, DWORD timeoutMs = 5000) const {
        std::vector<std::string> lines;
        waitFor([&] { return (lines = keyLog()).size() >= count; }, timeoutMs);
        return std::vector<std::string>(lines.begin() + static_cast<ptrdiff_t>(std::min(skip, lines.size())), lines.end());
    }

    HWND frame_ = nullptr;
    HWND panel_ = nullptr;
};

using Lines = std::vector<std::string>;

TEST_F(KeyEmulation, KeysSendTheirValuesWithShiftForOneKeyRepeatWhenHeldAndTheFrameOpensOnce) {
    startConnected();
    ASSERT_FALSE(HasFatalFailure());
    openPanel();
    ASSERT_FALSE(HasFatalFailure());

    HWND toolbar = GetDlgItem(GetDlgItem(frame_, 101), 102);
    EXPECT_EQ(toolbarButtonState(toolbar, 2126), kButtonEnabled);
    EXPECT_EQ(toolbarButtonState(toolbar, 2119), kButtonEnabled);

    // Shift, then 5: Shift's own value, then 5 shifted; the next 5 is plain again.
    click(key(kShift));
    click(key(kKey5));
    EXPECT_EQ(logAfter(0, 2), (Lines{"0xFFFFFFFF", "0x00008085"}));
    click(key(kKey5));
    EXPECT_EQ(logAfter(2, 3), (Lines{"0x00008005"}));

    // The PC keyboard: Shift held while 5 goes down and up, then 5 alone.
    // (Each step waits for the analyzer: a key posts its news to the panel, which reads the
    // Shift key's state when it gets them, as with a person typing.)
    pcKey(VK_SHIFT, true);
    EXPECT_EQ(logAfter(3, 4), (Lines{"0xFFFFFFFF"}));
    pcKey('5', true);
    EXPECT_EQ(logAfter(4, 5), (Lines{"0x00008085"}));
    pcKey('5', false);
    pcKey(VK_SHIFT, false);
    pcKey('5', true);
    pcKey('5', false);
    EXPECT_EQ(logAfter(5, 6), (Lines{"0x00008005"}));

    // Held for 300 ms: one press. Held for 1.2 s: the press, then repeats from 700 ms on.
    PostMessageA(key(kKey8), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    Sleep(300);
    PostMessageA(key(kKey8), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(logAfter(6, 7), (Lines{"0x00008008"}));
    PostMessageA(key(kKey7), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    Sleep(1200);
    PostMessageA(key(kKey7), WM_LBUTTONUP, 0, 0);
    Sleep(200);
    const Lines held = logAfter(7, 9);
    ASSERT_GE(held.size(), 2u);
    EXPECT_EQ(held[0], "0x00008007");
    for (size_t i = 1; i < held.size(); ++i) EXPECT_EQ(held[i], "0x00008107") << i;
    EXPECT_LE(held.size(), 12u);  // at most one repeat per 50 ms tick after 700 ms
    std::printf("[ figures  ] a key held 1.2 s sent its press and %zu repeats\n", held.size() - 1);

    const std::string shot = screenshotPath("key-emulation");
    EXPECT_TRUE(saveScreenshot(frame_, shot)) << shot;

    // Opening again restores the minimised frame and makes no second one.
    ShowWindow(frame_, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(frame_) != 0; }, 5000));
    postCommand(mainWindow_, kKeyEmulationCommand);
    EXPECT_TRUE(waitFor([&] { return !IsIconic(frame_); }, 5000));
    EXPECT_EQ(frames().size(), 1u);

    // Closing the frame lets the panel go; the next command opens a new one.
    postClose(frame_);
    ASSERT_TRUE(waitFor([&] { return frames().empty(); }, 5000));
    openPanel();
    EXPECT_NE(frames()[0], nullptr);
}

TEST_F(KeyEmulation, RunAndStopKeysStartAndStopFromThePcAndALostLinkReleasesAHeldKey) {
    startConnected("fixed-rate = 20000\r\n");
    ASSERT_FALSE(HasFatalFailure());
    openPanel();
    ASSERT_FALSE(HasFatalFailure());

    // Outside a measurement the run key starts one from the PC and sends nothing.
    click(key(kRun));
    ASSERT_TRUE(waitForUsable({2105, 2102}));
    // During it: the run key is sent; the stop key stops it from the PC.
    ASSERT_TRUE(waitFor([&] {
        click(key(kRun));
        return logAfter(0, 1, 500) == Lines{"0x00008021"};
    }, 10000)) << "the run key during a measurement was not sent";
    click(key(kStop));
    ASSERT_TRUE(waitForMeasurementEnd());
    EXPECT_EQ(keyLog(), (Lines{"0x00008021"}));
    // And outside a measurement the stop key is sent.
    click(key(kStop));
    EXPECT_EQ(logAfter(1, 2), (Lines{"0x00008022"}));
}

TEST_F(KeyEmulation, ALinkLostWhileAKeyIsHeldReleasesAndDisablesIt) {
    startConnected("fixed-rate = 20000\r\nfault = drop=monitor:300000\r\n");
    ASSERT_FALSE(HasFatalFailure());
    openPanel();
    ASSERT_FALSE(HasFatalFailure());
    startMonitoring();
    ASSERT_FALSE(HasFatalFailure());

    PostMessageA(key(kKey7), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    const MessageBoxInfo box = waitForMessageBox(program_.processId(), 15000);
    ASSERT_TRUE(box.window);
    EXPECT_TRUE(waitFor([&] { return !IsWindowEnabled(key(kKey7)); }, 5000));
    HWND toolbar = GetDlgItem(GetDlgItem(frame_, 101), 102);
    EXPECT_NE(toolbarButtonState(toolbar, 2126) & kButtonEnabled, kButtonEnabled);  // save and copy: grey
    EXPECT_NE(toolbarButtonState(toolbar, 2119) & kButtonEnabled, kButtonEnabled);
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    // Released: no repeats after the link went, and the button's own release changes nothing.
    const size_t sent = keyLog().size();
    Sleep(500);
    PostMessageA(key(kKey7), WM_LBUTTONUP, 0, 0);
    Sleep(200);
    EXPECT_EQ(keyLog().size(), sent);
    // Connected again, the key works.
    connectAndWaitForIdle();
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(key(kKey7)) != 0; }, 5000));
    click(key(kKey7));
    const Lines after = logAfter(sent, sent + 1);
    EXPECT_EQ(after, (Lines{"0x00008007"}));
}

TEST_F(KeyEmulation, AnAn1100ShowsItsOwnKeypadWithSmallerKeys) {
    ASSERT_TRUE(writeTextFile(sandbox_->programFolder() + "\\zvlkrmt.ini",
                              "[analyzer]\r\nserial = 30808001\r\nmodel = AN-1100\r\nexboard = EX-NB2A\r\n"));
    writeProfileWith("[buffer]\r\nwarning=no\r\n");
    ASSERT_TRUE(startMain());
    connectAndWaitForIdle();
    ASSERT_FALSE(HasFatalFailure());
    openPanel();
    ASSERT_FALSE(HasFatalFailure());
    RECT panel{}, shift{};
    GetClientRect(panel_, &panel);
    GetClientRect(key(kShift), &shift);
    EXPECT_EQ(panel.right, 581);
    EXPECT_EQ(panel.bottom, 371);
    EXPECT_EQ(shift.right, 39);  // cells of 39 x 25 (the AN-1400/2400 keys are 43 x 27)
    EXPECT_EQ(shift.bottom, 25);
    EXPECT_TRUE(saveScreenshot(frame_, screenshotPath("key-emulation-an1100")));
}

// The LCD area of the panel as it is on the screen (the frame is in front).
std::vector<uint8_t> lcdPixels(HWND lcd) {
    RECT window;
    GetWindowRect(lcd, &window);
    const RECT r{0, 0, window.right - window.left, window.bottom - window.top};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right, r.bottom, screen, window.left, window.top, SRCCOPY);
    const auto* bytes = static_cast<const uint8_t*>(bits);
    std::vector<uint8_t> pixels(bytes, bytes + static_cast<size_t>(r.right) * static_cast<size_t>(r.bottom) * 4);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    const std::string text = readBinaryFile(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST_F(KeyEmulation, ThePictureSavedAndCopiedIsTheAnalyzersScreenInTheChosenFormat) {
    LanAnalyzer analyzer;
    ASSERT_TRUE(analyzer.start(builtFile("zvsim")));
    ASSERT_TRUE(sandbox_->addProgramFile(builtFile("zvremote")));  // beside the remote library
    ASSERT_TRUE(makeFolders(sandbox_->root() + "\\pictures"));  // a connect requires it
    writeProfile("[remote]\r\nmodel=AN-2400\r\nexboard=EX-NB3BP\r\n" + analyzer.profileSection() + "[keyEmulation]\r\npath=" + sandbox_->root() + "\\pictures\r\n");
    ASSERT_TRUE(startMain());
    connectAndWaitForIdle();
    ASSERT_FALSE(HasFatalFailure());
    openPanel();
    ASSERT_FALSE(HasFatalFailure());
    HWND lcd = GetDlgItem(panel_, kLcdId);
    ASSERT_NE(lcd, nullptr);

    // How many screen changes reach the panel in 3 s of a measurement (the record count moves).
    startMonitoring();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(startPaneRecorder(panel_, static_cast<int>(kProbeScreenNotifications)));
    Sleep(3000);
    const size_t screens = recordedPaneTexts(panel_).size();
    std::printf("[ FIGURE   ] LCD refreshes reaching the panel during a measurement: %.1f per second\n",
                static_cast<double>(screens) / 3.0);
    EXPECT_GE(screens, 3u);
    postCommand(mainWindow_, 2102);
    ASSERT_TRUE(waitForMeasurementEnd());

    // Enter opens the analyzer's menu, the cursor keys move in it: the time from each click
    // until the LCD on the screen has changed.
    Sleep(500);
    std::vector<double> times;
    for (int k : {kEnter, kDown, kDown, kUp, kDown, kUp, kUp}) {
        const std::vector<uint8_t> before = lcdPixels(lcd);
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        click(key(k));
        ASSERT_TRUE(waitFor([&] { return lcdPixels(lcd) != before; }, 5000)) << "the LCD did not change for " << k;
        QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
        Sleep(200);
    }
    std::sort(times.begin(), times.end());
    std::printf("[ FIGURE   ] key click to the changed LCD on the screen: median %.0f ms, slowest %.0f ms (of %zu)\n",
                times[times.size() / 2], times.back(), times.size());

    // The menu page stays as it is: save in colour with a frame, copy the same.
    Sleep(500);
    HWND toolbar = GetDlgItem(GetDlgItem(frame_, 101), 102);
    ASSERT_NE(toolbar, nullptr);
    PostMessageA(frame_, WM_COMMAND, 8123, reinterpret_cast<LPARAM>(toolbar));
    PostMessageA(frame_, WM_COMMAND, 2126, reinterpret_cast<LPARAM>(toolbar));
    const std::string folder = sandbox_->root() + "\\pictures";
    std::string saved;
    ASSERT_TRUE(waitFor([&] {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\ZV*.bmp").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        saved = folder + "\\" + found.cFileName;
        FindClose(search);
        return fileBytes(saved).size() == 10310;
    }, 5000)) << "no picture in " << folder;
    // A second save in the same second keeps the first picture.
    PostMessageA(frame_, WM_COMMAND, 2126, reinterpret_cast<LPARAM>(toolbar));
    PostMessageA(frame_, WM_COMMAND, 2126, reinterpret_cast<LPARAM>(toolbar));
    EXPECT_TRUE(waitFor([&] {
        int count = 0;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\ZV*.bmp").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return false;
        do ++count; while (FindNextFileA(search, &found));
        FindClose(search);
        return count == 3;
    }, 5000));

    PostMessageA(frame_, WM_COMMAND, 2119, reinterpret_cast<LPARAM>(toolbar));
    std::vector<uint8_t> clipboard;
    ASSERT_TRUE(waitFor([&] {
        if (!IsClipboardFormatAvailable(CF_DIB) || !OpenClipboard(nullptr)) return false;
        if (HANDLE data = GetClipboardData(CF_DIB)) {
            const auto* bytes = static_cast<const uint8_t*>(GlobalLock(data));
            if (bytes) clipboard.assign(bytes, bytes + GlobalSize(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return clipboard.size() >= 10296;
    }, 5000));
    const std::vector<uint8_t> file = fileBytes(saved);
    ASSERT_EQ(file.size(), 10310u);
    EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), clipboard.begin())) << "clipboard and file differ";
    const std::string copied = screenshotPath("key-emulation-picture");
    CopyFileA(saved.c_str(), (copied.substr(0, copied.size() - 4) + ".bmp").c_str(), FALSE);

    // zvremote reads the same screen from the analyzer once the program has let it go.
    postCommand(mainWindow_, 2105);
    ASSERT_TRUE(waitForUsable({2104, 2019, 1007}));
    std::string output;
    const std::string fromTool = sandbox_->root() + "\\tool.bmp";
    ASSERT_EQ(runTool(sandbox_->programFolder() + "\\zvremote.exe", {"--lan", analyzer.connection(), "screen", "--format", "3", "-o", fromTool},
                      output),
              0)
        << output;
    EXPECT_EQ(fileBytes(fromTool), file) << output;
}

}  // namespace
}  // namespace zvui
