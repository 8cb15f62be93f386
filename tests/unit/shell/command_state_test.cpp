// Which commands are usable in which session state: the rule both the menu and the toolbar
// follow.
#include <gtest/gtest.h>

#include <set>

#include "shell/command_state.h"

namespace zv::shell {
namespace {

constexpr int kSessionCommands[] = {2104, 2105, 1003, 2019, 1007, 40014, 2114, 2102};

std::set<int> enabledOf(const CommandState& state, std::initializer_list<int> commands) {
    std::set<int> enabled;
    for (int command : commands) {
        if (commandEnabled(command, state)) enabled.insert(command);
    }
    return enabled;
}

std::set<int> enabledSessionCommands(const CommandState& state) {
    std::set<int> enabled;
    for (int command : kSessionCommands) {
        if (commandEnabled(command, state)) enabled.insert(command);
    }
    return enabled;
}

TEST(CommandState, AtStartOnlyTheCommandsWithoutAnAnalyzerOrDataAreUsable) {
    const CommandState start;
    EXPECT_EQ(enabledOf(start, {1007, 2104, 2019, 2012, 40010, 2000, 40020, 40014, 2401, 2402, 2105, 1003, 2114,
                                2102, 1008, 1009, 1010, 1006}),
              (std::set<int>{1007, 2104, 2019, 2012, 40010, 2000, 40020}));
    // View, help and exit never depend on the session.
    for (int command : {40018, 40012, 2326, 2124}) EXPECT_TRUE(commandEnabled(command, start)) << command;
}

TEST(CommandState, ConnectingBlocksTheSessionCommandsButKeepsShownData) {
    CommandState state;
    state.connectStarted();
    EXPECT_TRUE(enabledSessionCommands(state).empty());
    state.dataShown = true;
    EXPECT_EQ(enabledOf(state, {40014, 1008, 1007}), (std::set<int>{40014, 1008}));

    state.connectFailed();
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2104, 2019, 1007, 40014}));
}

TEST(CommandState, MonitoringWaitsUntilTheAnalyzerReportsTheEndOfItsMeasurement) {
    CommandState state;
    state.connectStarted();
    state.connected();
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2105, 1003, 1007}));
    state.measurementEnded();
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2105, 1003, 1007, 2114}));
}

TEST(CommandState, AMonitorMeasurementCanOnlyBeStoppedOrDisconnected) {
    CommandState state;
    state.connected();
    state.measurementEnded();
    state.dataShown = true;
    state.numberedFileShown = true;
    state.monitorStarted();
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2105, 2102}));
    EXPECT_EQ(enabledOf(state, {1008, 2401, 2402}), std::set<int>{});

    // Stopping frees open at once; upload and monitoring wait for the reported end, which
    // shows the last buffer file through the working file an upload would be writing.
    state.stopAccepted();
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2105, 1007, 40014}));
    state.measurementEnded();
    EXPECT_TRUE(commandEnabled(2114, state));
    EXPECT_TRUE(commandEnabled(1003, state));
}

TEST(CommandState, DisconnectingKeepsOpenUsableAndEndsInTheStartState) {
    CommandState state;
    state.connected();
    state.disconnectStarted();
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{1007}));
    state.disconnected();
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2104, 2019, 1007}));
}

TEST(CommandState, ARefusedDisconnectLeavesTheLinkAsTheSessionReportsIt) {
    CommandState state;
    state.connected();
    state.disconnectStarted();
    state.disconnectRefused(true);
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2105, 1003, 1007}));
    state.disconnectStarted();
    state.disconnectRefused(false);
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2104, 2019, 1007}));
}

TEST(CommandState, AnUploadBlocksEverySessionCommandAndKeyEmulation) {
    CommandState state;
    state.connected();
    state.uploadStarted();
    EXPECT_TRUE(enabledSessionCommands(state).empty());
    EXPECT_FALSE(commandEnabled(2000, state));
    EXPECT_TRUE(commandEnabled(1006, state));
    EXPECT_TRUE(commandEnabled(2012, state));
    state.uploadFinished();
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2105, 1003, 1007}));
    EXPECT_TRUE(commandEnabled(2000, state));
}

TEST(CommandState, ALostLinkEndsUploadAndMeasurementAndOffersConnectAgain) {
    CommandState state;
    state.connected();
    state.measurementEnded();
    state.monitorStarted();
    state.uploadStarted();
    state.connectionLost();
    EXPECT_EQ(enabledSessionCommands(state), (std::set<int>{2104, 2019, 1007}));
    EXPECT_TRUE(commandEnabled(2000, state));
}

TEST(CommandState, TheEndOfAMeasurementWhileDisconnectedChangesNothing) {
    CommandState state;
    const std::set<int> before = enabledSessionCommands(state);
    state.measurementEnded();
    EXPECT_EQ(enabledSessionCommands(state), before);
    EXPECT_FALSE(state.analyzerIdle);
}

TEST(CommandState, SearchNeedsDataAndNextAndPreviousADefinedSearch) {
    CommandState state;
    state.dataShown = true;
    EXPECT_EQ(enabledOf(state, {1008, 1009, 1010}), (std::set<int>{1008}));
    state.searchDefined = true;
    EXPECT_EQ(enabledOf(state, {1008, 1009, 1010}), (std::set<int>{1008, 1009, 1010}));
}

// Every state of a session, reached through its events, with every command whose menu item
// and toolbar button follow the state. Shown data is a numbered buffer file with a defined
// search, so that each data-dependent command shows whether the state lets it through.
struct StateRow {
    const char* name;
    void (*reach)(CommandState&);
    std::set<int> usable;
};

std::set<int> enabledStateDriven(const CommandState& state) {
    std::set<int> enabled;
    for (int command : stateDrivenCommands()) {
        if (commandEnabled(command, state)) enabled.insert(command);
    }
    return enabled;
}

void showNumberedFile(CommandState& state) {
    state.dataShown = true;
    state.numberedFileShown = true;
    state.searchDefined = true;
}

const StateRow kStateTable[] = {
    {"disconnected", [](CommandState& s) { showNumberedFile(s); },
     {2104, 2019, 1007, 40014, 1008, 1009, 1010, 2401, 2402, 2000}},
    {"connecting",
     [](CommandState& s) {
         showNumberedFile(s);
         s.connectStarted();
     },
     {40014, 1008, 2401, 2402, 2000}},
    {"connect failed",
     [](CommandState& s) {
         showNumberedFile(s);
         s.connectStarted();
         s.connectFailed();
     },
     {2104, 2019, 1007, 40014, 1008, 1009, 1010, 2401, 2402, 2000}},
    {"connected, stop after connect pending",
     [](CommandState& s) {
         s.connectStarted();
         s.connected();
     },
     {2105, 1003, 1007, 2000}},
    {"connected, idle",
     [](CommandState& s) {
         s.connected();
         s.stopAccepted();
         s.measurementEnded();
         showNumberedFile(s);
     },
     {2105, 1003, 1007, 2114, 40014, 1008, 1009, 1010, 2401, 2402, 2000}},
    {"measuring",
     [](CommandState& s) {
         s.connected();
         s.measurementEnded();
         s.monitorStarted();
     },
     {2102, 2105, 2000}},
    {"stopping",
     [](CommandState& s) {
         s.connected();
         s.measurementEnded();
         s.monitorStarted();
         s.stopAccepted();
     },
     {2105, 1007, 2000}},
    {"measurement ended, last file shown",
     [](CommandState& s) {
         s.connected();
         s.measurementEnded();
         s.monitorStarted();
         s.stopAccepted();
         s.measurementEnded();
         showNumberedFile(s);
     },
     {2105, 1003, 1007, 2114, 40014, 1008, 1009, 1010, 2401, 2402, 2000}},
    {"disconnecting",
     [](CommandState& s) {
         s.connected();
         s.measurementEnded();
         showNumberedFile(s);
         s.disconnectStarted();
     },
     {1007, 40014, 1008, 1009, 1010, 2401, 2402, 2000}},
    {"disconnected again",
     [](CommandState& s) {
         s.connected();
         s.measurementEnded();
         s.disconnectStarted();
         s.disconnected();
     },
     {2104, 2019, 1007, 2000}},
    {"uploading", [](CommandState& s) {
         s.connected();
         s.measurementEnded();
         s.uploadStarted();
     },
     {1006}},
    {"upload done",
     [](CommandState& s) {
         s.connected();
         s.measurementEnded();
         s.uploadStarted();
         s.uploadFinished();
     },
     {2105, 1003, 1007, 2114, 2000}},
    {"link lost while monitoring",
     [](CommandState& s) {
         s.connected();
         s.measurementEnded();
         s.monitorStarted();
         s.connectionLost();
     },
     {2104, 2019, 1007, 2000}},
    // The session reports the lost link first and the broken upload after it: the upload's
    // end must not bring back the commands of a connection.
    {"link lost during an upload, then its end",
     [](CommandState& s) {
         s.connected();
         s.measurementEnded();
         s.uploadStarted();
         s.connectionLost();
         s.uploadFinished();
     },
     {2104, 2019, 1007, 2000}},
};

TEST(CommandStateTable, EachStateOffersExactlyItsCommands) {
    for (const StateRow& row : kStateTable) {
        SCOPED_TRACE(row.name);
        CommandState state;
        row.reach(state);
        EXPECT_EQ(enabledStateDriven(state), row.usable);
    }
}

TEST(CommandStateTable, TheUploadedFileHasNoNeighbours) {
    CommandState state;
    state.dataShown = true;
    EXPECT_EQ(enabledOf(state, {40014, 1008, 2401, 2402}), (std::set<int>{40014, 1008}));
}

TEST(ToolbarTable, HasTheTwentyOneEntriesInOrderWithTheirImagesAndTooltips) {
    struct Expected {
        int command, image;
        uint32_t tooltip;
    };
    const Expected expected[] = {{1007, 4, 5},   {40014, 12, 6}, {2401, 18, 20}, {2402, 19, 21}, {0, 0, 0},
                                 {2104, 0, 7},   {2105, 1, 8},   {1003, 2, 9},   {2019, 8, 10},  {0, 0, 0},
                                 {2114, 13, 16}, {2102, 14, 17}, {2012, 15, 18}, {0, 0, 0},      {1008, 5, 11},
                                 {1009, 6, 12},  {1010, 7, 13},  {0, 0, 0},      {40010, 10, 14}, {2000, 11, 15},
                                 {40020, 16, 19}};
    ASSERT_EQ(toolbarEntries().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ToolbarEntry& entry = toolbarEntries()[i];
        EXPECT_EQ(entry.command, expected[i].command) << i;
        if (entry.command == 0) continue;
        EXPECT_EQ(entry.image, expected[i].image) << entry.command;
        EXPECT_EQ(tooltipFor(entry.command), expected[i].tooltip) << entry.command;
    }
    EXPECT_EQ(tooltipFor(0), 0u);
    EXPECT_EQ(tooltipFor(2124), 0u);
}

}  // namespace
}  // namespace zv::shell
