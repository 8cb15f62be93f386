// The fixture of every UI scenario: a fresh sandbox (program folder, data folders), the
// program started in it, and its main window's controls at hand.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui_driver_win.h"

namespace zvui {

// Control ids of the main window's children.
constexpr int kCaptureListId = 1000;
constexpr int kMonitorListId = 1001;
constexpr int kStatusBarId = 1002;
constexpr int kToolbarId = 1003;
constexpr int kTabControlId = 1005;

// Toolbar button states as TB_GETSTATE reports them.
constexpr int kButtonEnabled = 0x04;        // TBSTATE_ENABLED
constexpr int kButtonIndeterminate = 0x10;  // TBSTATE_INDETERMINATE: our "grey"

// A profile.ini that connects to the library's built-in analyzer over USB.
std::string emulatedUsbProfile();

// The built file of a target (ZVLK5MQ, zvlk5m1033, zvlk5m1031, zvlkctrl, zvlkrmt), or the
// help file "ZV-LK5MQ.chm"; empty when the build has no such target.
std::string builtFile(std::string_view target);

// The folder ZV_UI_PROGRAM_FOLDER names (an installed program), or empty.
std::string installedProgramFolder();

// A string of the English language library, loaded the way the program loads it.
std::string englishString(unsigned id);

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program with its control and remote libraries and the listed language libraries:
    // by default the English and the German one. A name the build has no library of (a
    // locale without one) gets a copy of the English library; the help file too, when the
    // build has one. Nothing with ZV_UI_PROGRAM_FOLDER: the program is started where it was
    // installed.
    void installProgram(const std::vector<std::string>& languageLibraryNames = {"zvlk5m1033.dll",
                                                                                 "zvlk5m1031.dll"});
    // Where the program starts from: the sandbox's program folder or ZV_UI_PROGRAM_FOLDER.
    std::string programFolder() const;
    void writeProfile(const std::string& text);
    // Starts the program; returns its visible main window or null.
    HWND start(Program& program, const std::vector<std::string>& environment = {});
    HWND startMain(const std::vector<std::string>& environment = {});

    // Waits until status pane 2 shows TEXT.
    bool waitForPane(int pane, const std::string& text, DWORD timeoutMs = 10000);
    bool connect();

    // The default buffer and screenshot folders of the sandbox's documents folder.
    virtual std::string bufferFolder() const;
    std::string screenshotFolder() const;

    HWND control(int id) const { return GetDlgItem(mainWindow_, id); }
    std::string screenshotPath(const std::string& name) const;

    std::unique_ptr<Sandbox> sandbox_;
    Program program_;
    HWND mainWindow_ = nullptr;
};

}  // namespace zvui
