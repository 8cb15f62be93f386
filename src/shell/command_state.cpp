#include "command_state.h"

#include "resources/ids/command_ids.h"
#include "resources/ids/string_ids.h"

namespace zv::shell {
namespace {

constexpr ToolbarEntry kToolbar[] = {
    {IDM_OPEN_DATA_FILE, 4, IDS_TIP_OPEN_DATA_FILE},
    {IDM_SAVE_DATA_FILE_AS, 12, IDS_TIP_SAVE_DATA_FILE_AS},
    {IDM_PREVIOUS_BUFFER_FILE, 18, IDS_TIP_PREVIOUS_BUFFER_FILE},
    {IDM_NEXT_BUFFER_FILE, 19, IDS_TIP_NEXT_BUFFER_FILE},
    {0, 0, 0},
    {IDM_CONNECT, 0, IDS_TIP_CONNECT},
    {IDM_DISCONNECT, 1, IDS_TIP_DISCONNECT},
    {IDM_UPLOAD_BUFFER, 2, IDS_TIP_UPLOAD_BUFFER},
    {IDM_PREFERENCES, 8, IDS_TIP_PREFERENCES},
    {0, 0, 0},
    {IDM_START_MONITOR, 13, IDS_TIP_START_MONITOR},
    {IDM_STOP_MEASUREMENT, 14, IDS_TIP_STOP_MEASUREMENT},
    {IDM_SETUP_EDITOR, 15, IDS_TIP_SETUP_EDITOR},
    {0, 0, 0},
    {IDM_FIND, 5, IDS_TIP_FIND},
    {IDM_FIND_PREVIOUS, 6, IDS_TIP_FIND_PREVIOUS},
    {IDM_FIND_NEXT, 7, IDS_TIP_FIND_NEXT},
    {0, 0, 0},
    {IDM_BATCH_CONVERSION, 10, IDS_TIP_BATCH_CONVERSION},
    {IDM_KEY_EMULATION, 11, IDS_TIP_KEY_EMULATION},
    {IDM_WATCH_SETTINGS, 16, IDS_TIP_WATCH_SETTINGS},
};

constexpr int kStateDriven[] = {
    IDM_CONNECT,        IDM_DISCONNECT,    IDM_PREFERENCES,          IDM_UPLOAD_BUFFER,
    IDM_START_MONITOR,  IDM_STOP_MEASUREMENT, IDM_OPEN_DATA_FILE,    IDM_SAVE_DATA_FILE_AS,
    IDM_FIND,           IDM_FIND_PREVIOUS, IDM_FIND_NEXT,            IDM_PREVIOUS_BUFFER_FILE,
    IDM_NEXT_BUFFER_FILE, IDM_KEY_EMULATION, IDM_CANCEL_TRANSFER,
};

}  // namespace

void CommandState::connectFailed() {
    connection = ConnectionPhase::Disconnected;
    measuring = false;
    analyzerIdle = false;
}

void CommandState::connected() {
    connection = ConnectionPhase::Connected;
    measuring = false;
    // Monitoring waits until the analyzer reports that nothing runs (after the stop that
    // follows every connect).
    analyzerIdle = false;
}

void CommandState::disconnectRefused(bool stillConnected) {
    connection = stillConnected ? ConnectionPhase::Connected : ConnectionPhase::Disconnected;
}

void CommandState::disconnected() {
    connection = ConnectionPhase::Disconnected;
    measuring = false;
    monitorRunning = false;
    analyzerIdle = false;
}

void CommandState::connectionLost() {
    disconnected();
    uploading = false;
}

void CommandState::monitorStarted() {
    measuring = true;
    monitorRunning = true;
    analyzerIdle = false;
}

void CommandState::measurementEnded() {
    monitorRunning = false;
    if (connection == ConnectionPhase::Connected) {
        measuring = false;
        analyzerIdle = true;
    }
}

bool commandEnabled(int command, const CommandState& state) {
    const bool disconnected = state.connection == ConnectionPhase::Disconnected;
    const bool connected = state.connection == ConnectionPhase::Connected;
    const bool busy = state.uploading || state.measuring;
    switch (command) {
        case IDM_CONNECT:
        case IDM_PREFERENCES:
            return disconnected && !state.uploading;
        case IDM_DISCONNECT:
            return connected && !state.uploading;
        case IDM_UPLOAD_BUFFER:
            // Not while a stopped monitor measurement is still ending: its end shows the last
            // buffer file through DATAFILE.TMP, which the upload is writing.
            return connected && !busy && !state.monitorRunning;
        case IDM_START_MONITOR:
            return connected && state.analyzerIdle && !busy;
        case IDM_STOP_MEASUREMENT:
            return state.measuring && !state.uploading;
        case IDM_OPEN_DATA_FILE:
            return state.connection != ConnectionPhase::Connecting && !busy;
        case IDM_SAVE_DATA_FILE_AS:
        case IDM_FIND:
            return state.dataShown && !busy;
        case IDM_FIND_PREVIOUS:
        case IDM_FIND_NEXT:
            // Connecting greys these two; find, save-as and the neighbouring files stay.
            return state.dataShown && state.searchDefined && !busy && state.connection != ConnectionPhase::Connecting;
        case IDM_PREVIOUS_BUFFER_FILE:
        case IDM_NEXT_BUFFER_FILE:
            // Only a numbered file has neighbours: the uploaded working file has no number.
            return state.numberedFileShown && !busy;
        case IDM_KEY_EMULATION:
            return !state.uploading;
        case IDM_CANCEL_TRANSFER:
            return state.uploading;
        default:
            return true;  // setup editor, conversion, watch settings, view, help, exit
    }
}

std::span<const int> stateDrivenCommands() { return kStateDriven; }

std::span<const ToolbarEntry> toolbarEntries() { return kToolbar; }

uint32_t tooltipFor(int command) {
    for (const ToolbarEntry& entry : kToolbar) {
        if (entry.command == command && command != 0) return entry.tooltipId;
    }
    return 0;
}

}  // namespace zv::shell
