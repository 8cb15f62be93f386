// The main window's commands: the one table of toolbar entries, the state of the session as
// far as commands care, and the one rule that decides from that state whether a command is
// usable. Menu and toolbar are both set from this rule after every state change, so they
// cannot disagree.
#pragma once

#include <cstdint>
#include <span>

namespace zv::shell {

enum class ConnectionPhase { Disconnected, Connecting, Connected, Disconnecting };

struct CommandState {
    ConnectionPhase connection = ConnectionPhase::Disconnected;
    bool measuring = false;      // a measurement this program started runs; stop is usable
    bool monitorRunning = false; // a monitor measurement has not reported its end yet
    bool analyzerIdle = false;   // since connecting, the analyzer reported no running measurement
    bool uploading = false;      // a capture-buffer upload runs
    bool dataShown = false;      // the capture list shows a loaded data file
    bool numberedFileShown = false;  // the shown file is a numbered buffer file
    bool searchDefined = false;  // the search dialog defined a search

    // Transitions, one per event of the session.
    void connectStarted() { connection = ConnectionPhase::Connecting; }
    void connectFailed();
    void connected();
    void disconnectStarted() { connection = ConnectionPhase::Disconnecting; }
    // A disconnect that could not be started leaves the link as the session reports it.
    void disconnectRefused(bool stillConnected);
    void disconnected();
    void connectionLost();
    void monitorStarted();
    void stopAccepted() { measuring = false; }  // a monitor measurement still ends on its report
    void measurementEnded();
    void uploadStarted() { uploading = true; }
    void uploadFinished() { uploading = false; }
};

bool commandEnabled(int command, const CommandState& state);

// Every command whose menu item or toolbar button follows commandEnabled.
std::span<const int> stateDrivenCommands();

// A toolbar entry; command 0 is a separator.
struct ToolbarEntry {
    int command;
    int image;            // index in toolbar bitmap 103
    uint32_t tooltipId;   // string of the language library
};
std::span<const ToolbarEntry> toolbarEntries();
// The tooltip string of a command's button; 0 when it has none.
uint32_t tooltipFor(int command);

}  // namespace zv::shell
