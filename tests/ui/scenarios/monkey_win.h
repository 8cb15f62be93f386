// The random-input test and the replay of recorded step lists: steps that a fast user or a
// script sends to the program (commands, keys, answers to whatever box or dialog is open,
// clicks on the toolbar, the tabs and the lists, closing the window), played from this
// process, with a check after every step that the program still runs and every few steps
// that its window still answers.
//
// A step list is text, one step a line ('#' starts a comment):
//   cmd N                 WM_COMMAND N posted to the main window
//   key VK                WM_KEYDOWN VK then WM_KEYUP posted to the program's focused window
//   box MS press ID       if a dialog or message box of the program is visible within MS ms,
//                         its button ID is clicked (WM_COMMAND with BN_CLICKED)
//   box MS choose K       as above, the K-th enabled button (modulo their count plus one;
//                         the one past the last is the close box)
//   click toolbar N       a mouse click on the toolbar button of command N
//   click list L X Y      a mouse click on list L (0 capture, 1 monitor) at X, Y per mille
//                         of its client area
//   click tab T           a mouse click on tab T
//   close                 WM_CLOSE to the main window (the title bar's close box)
//   panel K               on the key-emulation panel, if one is open: K 0..35 clicks the key
//                         with id 20000 + K, 36 closes the frame, 37 saves the picture, 38
//                         copies it
//   wait MS               nothing for MS ms
// "pace MS" after a step sets the pause that follows it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zvui {

enum class StepKind { Command, Key, BoxPress, BoxChoose, ClickToolbar, ClickList, ClickTab, Close, Wait, Panel };

struct Step {
    StepKind kind = StepKind::Wait;
    int value = 0;      // command, key, button id, choice, list or tab index, milliseconds
    int waitMs = 0;     // how long a box step looks for a box
    int x = 0, y = 0;   // per mille of a list's client area
    int paceMs = 0;     // the pause after the step
};

std::string describeStep(const Step& step);
// Parses a step list; false with the line's number and text in ERROR on a line it cannot read.
bool parseSteps(std::string_view text, std::vector<Step>& steps, std::string& error);
std::string formatSteps(const std::vector<Step>& steps);

// The steps of one random run: a fixed sequence for a seed, so that a failing run replays.
// Which button a box step presses depends on the box that is open when it is played.
// PANEL_PER_MILLE of the steps are panel steps.
constexpr int kPanelStepsPerMille = 22;
std::vector<Step> randomSteps(uint32_t seed, std::size_t count, int panelPerMille = kPanelStepsPerMille);

// What the program looked like while the steps ran.
enum class SessionState { Disconnected, Connecting, Connected, Monitoring, Uploading, Disconnecting };
const char* stateName(SessionState state);

// Plays steps against one running program.
class StepPlayer {
public:
    StepPlayer(HWND mainWindow, DWORD processId) : main_(mainWindow), processId_(processId) {}

    // Plays one step and the pause after it.
    void play(const Step& step);
    // WM_NULL with a time-out: false when the window does not answer within TIMEOUT.
    bool answers(DWORD timeoutMs = 5000) const;
    // The connection state the window shows (pane 2, the stop button, the transfer dialog).
    SessionState readState() const;
    HWND mainWindow() const { return main_; }

private:
    HWND visibleDialog(DWORD waitMs) const;
    void pressBoxButton(HWND box, int id) const;
    void chooseBoxButton(HWND box, int choice) const;
    void clickToolbar(int command) const;
    void clickList(int list, int x, int y) const;
    void clickTab(int tab) const;
    void postKey(int virtualKey) const;
    void playPanel(int what) const;

    HWND main_;
    DWORD processId_;
};

}  // namespace zvui
