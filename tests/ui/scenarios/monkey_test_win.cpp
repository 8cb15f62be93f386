// The program under random use and under recorded step lists: whatever arrives in whatever
// order, it keeps running, keeps answering, and Exit ends it cleanly.
//
// Environment (read by this test, not by the program):
//   ZV_MONKEY_SEED   the seed of the first run (default: a fixed seed per analyzer profile)
//   ZV_MONKEY_RUNS   runs per profile, each with the next seed (default 1)
//   ZV_MONKEY_STEPS  steps per run (default 60)
//   ZV_REPLAY_RUNS   how often the recorded step lists are replayed (default 1)
//   ZV_REPLAY_FILE   a step list to replay instead of the recorded ones
//   ZV_MONKEY_HOLD   seconds to leave a hung program alone for a debugger (default 0)
// A failing run prints its seed and leaves its steps in the sandbox as steps.txt, which the
// replay test plays when named in ZV_REPLAY_FILE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "measurement_fixture_win.h"
#include "monkey_win.h"
#include "ui_paths.h"

namespace zvui {
namespace {

unsigned long environmentNumber(const char* name, unsigned long fallback) {
    char text[32] = "";
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return fallback;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    return end && *end == '\0' ? value : fallback;
}

std::string environmentText(const char* name) {
    char text[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    return length > 0 && length < sizeof text ? std::string(text, length) : std::string();
}

// Under Wine a crash opens a dialog of the debugger and keeps the process alive until it is
// closed; without the dialog the debugger writes the backtrace to the program's standard
// error and the process ends, which is what a test wants to see.
void quietCrashDebuggerUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineDbg", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    const DWORD off = 0;
    RegSetValueExA(key, "ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    RegCloseKey(key);
}

enum class Start { Disconnected, Connected, Monitoring, SetupEditor, KeyEmulation };

// An analyzer and a place to start from.
struct Profile {
    const char* name;
    const char* analyzer;  // lines of zvlkrmt.ini's analyzer section
    const char* library;   // lines of its [library] section
    Start start;
};

// A library that notices a silent analyzer within a few seconds, so that a stalled link ends
// within a run.
constexpr const char* kQuickTimeouts = "answer-timeout = 1500\r\nkeep-alive = 500\r\n";

const Profile kProfiles[] = {
    {"Disconnected", "fixed-rate = 3000\r\n", "", Start::Disconnected},
    {"Connected", "fixed-rate = 3000\r\n", "", Start::Connected},
    {"Monitoring", "fixed-rate = 20000\r\n", "", Start::Monitoring},
    // Uploads and connects take long enough over a slow line to be interrupted.
    {"SlowLink", "fixed-rate = 3000\r\nthrottle = serial:115200\r\n", "", Start::Connected},
    {"RefusedConnect", "fault = refuse=0xA0000004\r\n", "", Start::Disconnected},
    {"LinkLostWhileMonitoring", "fixed-rate = 20000\r\nfault = drop=monitor:300000\r\n", "", Start::Monitoring},
    {"LinkLostDuringUpload", "fixed-rate = 20000\r\nthrottle = usb-full\r\nfault = drop=upload:65536\r\n", "",
     Start::Connected},
    // Keys and answers in the setup editor's tree and pages.
    {"SetupEditor", "fixed-rate = 3000\r\n", "", Start::SetupEditor},
    // The setup editor opening over a slow line: its receive ends in the third area.
    {"LinkLostDuringSetup", "fixed-rate = 3000\r\nthrottle = serial:115200\r\nfault = drop=setup:9000\r\n", "",
     Start::SetupEditor},
    // Clicks on the key-emulation panel while measurements start and stop from its keys.
    {"KeyEmulation", "fixed-rate = 3000\r\n", "", Start::KeyEmulation},
    {"StalledLink", "fixed-rate = 3000\r\nfault = stall=requests\r\n", kQuickTimeouts, Start::Disconnected},
    {"StalledConnect", "fault = stall=connect\r\n", kQuickTimeouts, Start::Disconnected},
};

void PrintTo(const Profile& profile, std::ostream* out) { *out << profile.name; }

// Connection states seen over all runs of this process, for the summary.
std::map<SessionState, int>& statesSeen() {
    static std::map<SessionState, int> seen;
    return seen;
}

class Monkey : public MeasurementFixture {
protected:
    void SetUp() override {
        MeasurementFixture::SetUp();
        quietCrashDebuggerUnderWine();
    }

    // Starts the program and brings it into START; false (with a failure) when it cannot.
    bool startIn(Start start) {
        if (!startMain()) {
            ADD_FAILURE() << "the program did not start";
            return false;
        }
        if (start == Start::Disconnected) return true;
        connectAndWaitForIdle();
        if (HasFatalFailure()) return false;
        if (start == Start::Monitoring) {
            startMonitoring();
            if (HasFatalFailure()) return false;
        }
        // The random steps meet the setup window while its exchange runs.
        if (start == Start::SetupEditor) postCommand(mainWindow_, 2012);
        if (start == Start::KeyEmulation) postCommand(mainWindow_, 2000);
        return true;
    }

    // Plays STEPS. After each step the program must still run and its window must answer
    // within 5 s. A program that ends with exit code 0 was closed by a step (the
    // close box answered Yes) and is started again. False when it crashed or hung; the
    // failure names the step.
    bool playAll(const std::vector<Step>& steps, const std::string& label) {
        StepPlayer player(mainWindow_, program_.processId());
        enum class Ended { No, Closed, Failed };
        // A program that has ended (or is ending: its window is gone and the process follows
        // within moments) must have ended with exit code 0, closed by a step; it is started
        // again for the steps still to come.
        auto ended = [&](std::size_t i, DWORD waitMs) {
            if (program_.running() && !program_.waitForExit(waitMs)) return Ended::No;
            DWORD code = 0;
            program_.waitForExit(0, &code);
            if (code != 0) {
                keepSteps(steps, label);
                ADD_FAILURE() << label << ": the program ended with exit code 0x" << std::hex << code << std::dec
                              << " at step " << i + 1 << " (" << describeStep(steps[i]) << ")";
                return Ended::Failed;
            }
            if (!startMain()) {
                ADD_FAILURE() << label << ": the program did not start again after step " << i + 1;
                return Ended::Failed;
            }
            player = StepPlayer(mainWindow_, program_.processId());
            return Ended::Closed;
        };
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const ULONGLONG stepStart = GetTickCount64();
            player.play(steps[i]);
            ++statesSeen()[player.readState()];
            const ULONGLONG took = GetTickCount64() - stepStart;
            if (took > 2000 + static_cast<ULONGLONG>(steps[i].paceMs + steps[i].waitMs) +
                           (steps[i].kind == StepKind::Wait ? static_cast<ULONGLONG>(steps[i].value) : 0)) {
                std::printf("[ SLOW     ] %s: step %zu (%s) took %llu ms\n", label.c_str(), i + 1,
                            describeStep(steps[i]).c_str(), took);
                std::fflush(stdout);
            }
            const Ended now = ended(i, 0);
            if (now == Ended::Failed) return false;
            if (now == Ended::Closed) continue;
            if (!player.answers()) {
                const Ended later = ended(i, 5000);
                if (later == Ended::Failed) return false;
                if (later == Ended::Closed) continue;
                keepSteps(steps, label);
                saveScreenshot(mainWindow_, screenshotPath("monkey-hang"));
                ADD_FAILURE() << label << ": the window stopped answering by step " << i + 1 << " ("
                              << describeStep(steps[i]) << ")";
                holdForInspection();
                return false;
            }
        }
        if (!player.answers() && ended(steps.size() - 1, 5000) != Ended::Closed) {
            keepSteps(steps, label);
            ADD_FAILURE() << label << ": the window does not answer after the last step";
            return false;
        }
        return true;
    }

    // Answers whatever dialog or box is open, as a user does before choosing Exit from the
    // menu (which a modal box makes unreachable): Cancel, else No, else OK, else the close box.
    bool closeOpenDialogs() {
        for (int attempt = 0; attempt < 40; ++attempt) {
            HWND open = nullptr;
            for (HWND window : topWindowsOfClass("#32770", program_.processId())) {
                if (IsWindowVisible(window)) {
                    open = window;
                    break;
                }
            }
            if (!open) {
                // Gone for a moment is not gone: a box may follow the one just answered.
                Sleep(300);
                if (messageBoxesOf(program_.processId()).empty()) return true;
                continue;
            }
            bool pressed = false;
            for (int id : {IDCANCEL, IDNO, IDOK}) {
                HWND button = GetDlgItem(open, id);
                if (button && IsWindowVisible(button) && IsWindowEnabled(button)) {
                    PostMessageA(open, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
                    pressed = true;
                    break;
                }
            }
            if (!pressed) PostMessageA(open, WM_SYSCOMMAND, SC_CLOSE, 0);
            waitFor([&] { return !IsWindowVisible(open); }, 1000);
        }
        return messageBoxesOf(program_.processId()).empty();
    }

    // Exit ends the program with exit code 0 once the dialogs are answered.
    bool exitsCleanly(const std::string& label) {
        if (!closeOpenDialogs()) {
            saveScreenshot(mainWindow_, screenshotPath("monkey-dialogs"));
            ADD_FAILURE() << label << ": a dialog or box of the program does not close";
            return false;
        }
        if (!program_.running()) {
            // Answering a close question may have ended it already.
            DWORD code = 1;
            program_.waitForExit(0, &code);
            EXPECT_EQ(code, 0u) << label;
            return code == 0;
        }
        postCommand(mainWindow_, 2124);
        DWORD code = 1;
        if (!program_.waitForExit(20000, &code)) {
            saveScreenshot(mainWindow_, screenshotPath("monkey-exit"));
            ADD_FAILURE() << label << ": Exit did not end the program";
            return false;
        }
        if (code != 0) {
            ADD_FAILURE() << label << ": Exit ended the program with exit code 0x" << std::hex << code;
            return false;
        }
        return true;
    }

    // ZV_MONKEY_HOLD seconds: a hung program is left as it is for that long, to look at it
    // with a debugger.
    void holdForInspection() {
        const unsigned long seconds = environmentNumber("ZV_MONKEY_HOLD", 0);
        if (seconds == 0) return;
        std::printf("[ HOLD     ] process %lu (0x%lx) for %lu s\n", program_.processId(), program_.processId(), seconds);
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(seconds * 1000));
    }

    void keepSteps(const std::vector<Step>& steps, const std::string& label) {
        const std::string path = sandbox_->root() + "\\steps.txt";
        writeTextFile(path, "# " + label + "\r\n" + formatSteps(steps));
        std::printf("[ STEPS    ] %s: %s\n", label.c_str(), path.c_str());
    }
};

class MonkeyProfile : public Monkey, public ::testing::WithParamInterface<Profile> {};

TEST_P(MonkeyProfile, RandomInputNeverCrashesOrHangsAndExitEndsTheProgram) {
    const Profile& profile = GetParam();
    unsigned long profileIndex = 0;
    while (profileIndex + 1 < std::size(kProfiles) && std::string(kProfiles[profileIndex].name) != profile.name) {
        ++profileIndex;
    }
    const unsigned long firstSeed = environmentNumber("ZV_MONKEY_SEED", 7001 + 100 * profileIndex);
    const unsigned long runs = environmentNumber("ZV_MONKEY_RUNS", 1);
    const unsigned long stepCount = environmentNumber("ZV_MONKEY_STEPS", 60);
    for (unsigned long run = 0; run < runs; ++run) {
        const auto seed = static_cast<uint32_t>(firstSeed + run);
        const std::string label = std::string(profile.name) + " seed " + std::to_string(seed);
        std::printf("[ SEED     ] %s, %lu steps\n", label.c_str(), stepCount);
        std::fflush(stdout);
        statesSeen().clear();
        program_.kill();
        // Each run starts with an empty buffer folder: no question before monitoring.
        removeTree(bufferFolder());
        makeFolders(bufferFolder());
        configureAnalyzer(profile.analyzer, profile.library);
        writeProfileWith("");
        if (!startIn(profile.start)) return;
        const int panelShare = profile.start == Start::KeyEmulation ? 400 : kPanelStepsPerMille;
        const bool played = playAll(randomSteps(seed, stepCount, panelShare), label);
        if (played && !exitsCleanly(label)) keepSteps(randomSteps(seed, stepCount, panelShare), label);
        std::string states;
        for (const auto& [state, count] : statesSeen()) states += std::string(" ") + stateName(state) + "=" + std::to_string(count);
        std::printf("[ STATES   ] %s:%s\n", label.c_str(), states.c_str());
        if (HasFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Analyzers, MonkeyProfile, ::testing::ValuesIn(kProfiles),
                         [](const ::testing::TestParamInfo<Profile>& param) { return std::string(param.param.name); });

// The step lists that once broke the program, replayed from the state they were recorded in:
// connected, a monitor measurement of 5 s stopped, 4 s later the steps, one every ~0.15 s.
TEST_F(Monkey, RecordedStepListsReplayWithoutACrashOrHang) {
    std::string file = environmentText("ZV_REPLAY_FILE");
    if (file.empty()) file = toWindowsPath(std::string(kStepsFolder)) + "\\disconnect-after-monitoring.steps";
    std::vector<Step> steps;
    std::string error;
    ASSERT_TRUE(parseSteps(readTextFile(file), steps, error)) << file << ": " << error;
    ASSERT_FALSE(steps.empty()) << file;
    for (Step& step : steps) {
        if (step.paceMs == 0) step.paceMs = 150;
    }
    const unsigned long runs = environmentNumber("ZV_REPLAY_RUNS", 1);
    for (unsigned long run = 0; run < runs; ++run) {
        const std::string label = "replay " + std::to_string(run + 1) + " of " + std::to_string(runs);
        std::printf("[ REPLAY   ] %s\n", label.c_str());
        std::fflush(stdout);
        program_.kill();
        removeTree(bufferFolder());
        makeFolders(bufferFolder());
        configureAnalyzer("");
        writeProfileWith("");
        if (!startIn(Start::Monitoring)) return;
        Sleep(5000);
        postCommand(mainWindow_, 2102);
        Sleep(4000);
        if (!playAll(steps, label) || !exitsCleanly(label)) return;
    }
}

}  // namespace
}  // namespace zvui
