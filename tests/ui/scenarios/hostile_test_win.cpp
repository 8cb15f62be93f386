// The program against a hostile analyzer (the built-in analyzer's hostile mode): whatever the
// analyzer breaks, the program says what it was, goes to the disconnected state and leaves
// every buffer file complete.
//
// HostileCampaign.Cases plays the cases scripts/hostile lists in the environment (read by this
// test, not by the program), and is skipped without them:
//   ZV_HOSTILE_CASES  cases separated by blanks, each KIND:MOMENT:SEED (hostile, hostile-at and
//                     hostile-seed of zvlkrmt.ini; hostile-after follows from the seed)
// Each case prints a line "[ HOSTILE  ] kind moment seed after: outcome", and the test fails
// when a case did.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>

#include "dialog_read_win.h"
#include "measurement_fixture_win.h"

namespace zvui {
namespace {

constexpr int kExitCommand = 2124;
constexpr int kLinkLostCaption = 20057;
constexpr unsigned kStoppedAnswering = 20066;
constexpr unsigned kMalformedFrame = 20062;
constexpr unsigned kWrongLength = 20063;
constexpr unsigned kUnexpectedCompletion = 20064;
constexpr unsigned kUnrequestedData = 20065;
constexpr unsigned kConnectTimeout = 9019;
const std::set<int> kDisconnected = {2104, 2019, 1007};
const char* const kSetupCaption = "Setup";

// The library notices silence within two seconds.
const std::string kQuickLibrary = "answer-timeout = 2000\r\nkeep-alive = 500\r\n";

// One case: what the analyzer does, where, and the bytes of its choices.
struct HostileCase {
    std::string kind;
    std::string moment;
    unsigned long seed = 1;
    unsigned long after = 0;
};

// What a case came to.
struct Outcome {
    std::vector<std::string> texts;  // the message boxes, in order
    bool disconnected = false;       // the window came to the disconnected state
    bool answering = true;           // its window answered throughout
    bool crashed = false;            // the program ended before it was closed
    DWORD exitCode = 0;
    size_t files = 0;
    std::string fileProblems;
    std::string leftOpen;            // the dialogs still open when Exit did not end it
};

class Hostile : public MeasurementFixture {
protected:
    // Answers every message box that is open (with OK, or Yes for a question) and records
    // its text; the setup window and the transfer dialog are left alone.
    void answerBoxes(Outcome& outcome) {
        for (const MessageBoxInfo& box : messageBoxesOf(program_.processId())) {
            if (box.text.empty() || answered_.count(box.window) || box.caption == kSetupCaption ||
                box.caption == "Transfer")
                continue;
            answered_.insert(box.window);
            outcome.texts.push_back(box.text);
            answerMessageBox(box, GetDlgItem(box.window, IDYES) ? IDYES : IDOK);
        }
    }

    bool isDisconnected() {
        std::set<int> usable;
        std::string disagreement;
        return readUsable(usable, disagreement) && usable == kDisconnected;
    }

    // Waits (answering boxes) until the window is disconnected and no box has come for a
    // moment, or the time is up.
    bool settleDisconnected(Outcome& outcome, DWORD timeoutMs) {
        ULONGLONG quietSince = 0;
        return waitFor(
            [&] {
                const size_t before = outcome.texts.size();
                answerBoxes(outcome);
                if (!program_.running()) return true;
                if (outcome.texts.size() != before || !isDisconnected()) {
                    quietSince = 0;
                    return false;
                }
                if (quietSince == 0) quietSince = GetTickCount64();
                return GetTickCount64() - quietSince >= 700;
            },
            timeoutMs);
    }

    bool expectText(const Outcome& outcome, unsigned id) const {
        for (const std::string& text : outcome.texts) {
            if (text == englishString(id)) return true;
        }
        return false;
    }

    // Drives the program to the case's moment against the hostile analyzer, and on until the
    // link has ended (or, for random bytes that the link survived, until a disconnect); then
    // closes the program and checks the buffer files.
    Outcome play(const HostileCase& c) {
        Outcome outcome;
        answered_.clear();
        for (const std::string& name : bufferFileNames()) DeleteFileA((bufferFolder() + "\\" + name).c_str());
        // Before an upload the program measures for a second; without the monitor information
        // it would fetch at the end (block 0x8100, a receive of the capture memory too) the
        // act comes with the upload itself.
        configureAnalyzer(std::string(c.moment == "upload" ? "monitor-ready = no\r\n" : "") +
                              "fixed-rate = 20000\r\nhostile = " + c.kind + "\r\nhostile-at = " + c.moment +
                              "\r\nhostile-after = " + std::to_string(c.after) + "\r\nhostile-seed = " +
                              std::to_string(c.seed) + "\r\n",
                          kQuickLibrary);
        // Small files, so that a flood while monitoring reaches the file limit at once.
        writeProfileWith("[buffer]\r\nblock=1M,2\r\nwarning=no\r\n");
        if (!startMain()) {
            outcome.crashed = true;
            return outcome;
        }
        postCommand(mainWindow_, 2104);
        // The connect under way (or already failed with a box).
        waitFor([&] { return !program_.running() || !isDisconnected() || !messageBoxesOf(program_.processId()).empty(); },
                5000);
        if (c.moment != "connect") {
            // Up to the moment the link is whole, unless the act came early.
            waitFor([&] {
                answerBoxes(outcome);
                std::set<int> usable;
                std::string disagreement;
                return !program_.running() || isDisconnected() ||
                       (readUsable(usable, disagreement) && usable == std::set<int>{2105, 1003, 1007, 2114});
            }, 15000);
        }
        if (c.moment == "monitor") {
            postCommand(mainWindow_, 2114);
        } else if (c.moment == "upload") {
            // A second of records in the capture memory, then its upload.
            postCommand(mainWindow_, 2114);
            Sleep(1000);
            postCommand(mainWindow_, 2102);
            waitFor([&] {
                answerBoxes(outcome);
                return !program_.running() || toolbarButtonState(control(kToolbarId), 1003) == kButtonEnabled;
            }, 15000);
            postCommand(mainWindow_, 1003);
        } else if (c.moment == "setup") {
            // The editor receives the analyzer's setup as it opens and sends it as it closes.
            postCommand(mainWindow_, 2012);
            // A receive that fails shows its box before the window.
            HWND editor = nullptr;
            waitFor([&] {
                answerBoxes(outcome);
                editor = waitForDialog(program_.processId(), kSetupCaption, 0);
                return editor || !program_.running();
            }, 20000);
            if (editor) {
                // Its receive: the transfer dialog comes and goes (or the link ends first).
                bool seen = false;
                const ULONGLONG opened = GetTickCount64();
                waitFor([&] {
                    answerBoxes(outcome);
                    seen = seen || dialogOpen(program_.processId(), "Transfer");
                    return !program_.running() || isDisconnected() ||
                           (seen ? !dialogOpen(program_.processId(), "Transfer") : GetTickCount64() - opened > 3000);
                }, 15000);
                // Close sends; a send that failed leaves the window open, and the next Close
                // (disconnected by then) only closes it.
                for (int press = 0; press < 3 && program_.running() && dialogOpen(program_.processId(), kSetupCaption);
                     ++press) {
                    pressDialogButton(editor, 2);
                    waitFor([&] {
                        answerBoxes(outcome);
                        return !program_.running() || !dialogOpen(program_.processId(), kSetupCaption);
                    }, 20000);
                }
            }
        }
        // Random bytes may leave the link whole: a shorter look then.
        outcome.disconnected = settleDisconnected(outcome, c.kind == "random" ? 8000 : 20000) && program_.running() &&
                               isDisconnected();
        if (!outcome.disconnected && program_.running()) {
            // Random bytes the link lived through: stop what runs and disconnect.
            postCommand(mainWindow_, 2102);
            waitFor([&] {
                answerBoxes(outcome);
                return toolbarButtonState(control(kToolbarId), 2105) == kButtonEnabled &&
                       toolbarButtonState(control(kToolbarId), 2102) != kButtonEnabled;
            }, 10000);
            postCommand(mainWindow_, 2105);
            settleDisconnected(outcome, 20000);
        }
        outcome.answering = program_.running() && sendTo(mainWindow_, WM_NULL, 0, 0) != -1;
        if (program_.running()) {
            postCommand(mainWindow_, kExitCommand);
            waitFor([&] {
                answerBoxes(outcome);
                return !program_.running();
            }, 20000);
            if (!program_.waitForExit(0, &outcome.exitCode)) {
                outcome.answering = false;
                for (const MessageBoxInfo& box : messageBoxesOf(program_.processId()))
                    outcome.leftOpen += "[" + box.caption + ": " + box.text + "] ";
                saveScreenshot(mainWindow_, sandbox_->root() + "\\not-ended.png");
                program_.kill();
            }
        } else {
            outcome.crashed = true;
            program_.waitForExit(0, &outcome.exitCode);
        }
        for (const BufferFileCheck& check : checkBufferFiles()) {
            ++outcome.files;
            if (!check.problem.empty()) outcome.fileProblems += check.name + ": " + check.problem + "; ";
        }
        return outcome;
    }

    // The text a case of KIND at MOMENT must show; 0 for random bytes, which may show any.
    static unsigned expectedText(const HostileCase& c) {
        if (c.kind == "malformed") return kMalformedFrame;
        if (c.kind == "wrong-length") return kWrongLength;
        if (c.kind == "unsolicited" || c.kind == "twice") return kUnexpectedCompletion;
        if (c.kind == "flood") return kUnrequestedData;
        if (c.kind == "silence") return c.moment == "connect" ? kConnectTimeout : kStoppedAnswering;
        return 0;
    }

    // Empty when the outcome is what the case must come to; else what went wrong.
    std::string verdict(const HostileCase& c, const Outcome& o) const {
        std::string wrong;
        if (o.crashed) wrong += "the program ended by itself; ";
        if (!o.answering) wrong += "the window stopped answering or Exit did not end it " + o.leftOpen + "; ";
        if (o.exitCode != 0) wrong += "exit code " + std::to_string(o.exitCode) + "; ";
        if (!o.disconnected && c.kind != "random") wrong += "not disconnected; ";
        const unsigned expected = expectedText(c);
        // A head announcing a length other than the payload's breaks the payload check too.
        const bool named = expected == 0 || expectText(o, expected) ||
                           (expected == kWrongLength && expectText(o, kMalformedFrame));
        if (!named) wrong += "no box names the problem; ";
        if (!o.fileProblems.empty()) wrong += "files: " + o.fileProblems;
        return wrong;
    }

    std::set<HWND> answered_;
};

// ---- the short scenarios of the UI suite ----------------------------------------------------

TEST_F(Hostile, AMalformedFrameWhileMonitoringIsNamedAndTheFilesStayComplete) {
    configureAnalyzer("fixed-rate = 20000\r\nhostile = malformed\r\nhostile-at = monitor\r\nhostile-after = 40\r\n");
    writeProfileWith("[buffer]\r\nblock=1M,10\r\nwarning=no\r\n");
    ASSERT_TRUE(startMain());
    connectAndWaitForIdle();
    startMonitoring();
    ASSERT_FALSE(HasFatalFailure());

    const MessageBoxInfo box = waitForMessageBox(program_.processId(), 15000);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(box.caption, englishString(kLinkLostCaption));
    EXPECT_EQ(box.text, englishString(kMalformedFrame));
    // Disconnected while the box is still up, the file finished.
    EXPECT_EQ(usableSessionCommands(), kDisconnected);
    ASSERT_TRUE(answerMessageBox(box, IDOK));
    const std::vector<BufferFileCheck> files = checkBufferFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].problem, "");
    EXPECT_GT(files[0].records, 0u);
}

TEST_F(Hostile, ACompletionSentTwiceDuringAnUploadIsNamedAndCompletesNothingElse) {
    configureAnalyzer("fixed-rate = 5000\r\nhostile = twice\r\nhostile-at = upload\r\n");
    writeProfileWith("");
    ASSERT_TRUE(startMain());
    connectAndWaitForIdle();
    postCommand(mainWindow_, 1003);
    // The upload fails with the problem, and the window says what ended the link.
    const std::vector<MessageBoxInfo> boxes = collectMessageBoxes(2, 15000);
    std::vector<std::string> texts;
    for (const MessageBoxInfo& box : boxes) texts.push_back(box.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), englishString(kUnexpectedCompletion)), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), englishFormatted(20047, 0xA0000011u)), texts.end());
    EXPECT_TRUE(waitForUsable(kDisconnected));
}

TEST_F(Hostile, ACompletionOfARequestNeverMadeFailsTheConnectWithItsName) {
    configureAnalyzer("hostile = unsolicited\r\nhostile-at = connect\r\n");
    writeProfileWith("");
    ASSERT_TRUE(startMain());
    postCommand(mainWindow_, 2104);
    const std::vector<MessageBoxInfo> boxes = collectMessageBoxes(1, 10000);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, englishString(kUnexpectedCompletion));
    EXPECT_TRUE(waitForUsable(kDisconnected));
}

TEST_F(Hostile, ASilentAnalyzerIsLeftAfterTheTimeOutWithItsName) {
    configureAnalyzer("hostile = silence\r\nhostile-at = idle\r\nhostile-after = 1000\r\n", kQuickLibrary);
    writeProfileWith("");
    ASSERT_TRUE(startMain());
    connectAndWaitForIdle();
    const MessageBoxInfo box = waitForMessageBox(program_.processId(), 10000);
    ASSERT_TRUE(box.window);
    EXPECT_EQ(box.text, englishString(kStoppedAnswering));
    EXPECT_EQ(usableSessionCommands(), kDisconnected);
    ASSERT_TRUE(answerMessageBox(box, IDOK));
}

// ---- the campaign of scripts/hostile --------------------------------------------------------

std::vector<HostileCase> campaignCases() {
    char text[32768] = "";
    const DWORD length = GetEnvironmentVariableA("ZV_HOSTILE_CASES", text, sizeof text);
    std::vector<HostileCase> cases;
    if (length == 0 || length >= sizeof text) return cases;
    std::istringstream words{std::string(text, length)};
    std::string word;
    while (words >> word) {
        HostileCase c;
        const size_t a = word.find(':'), b = word.find(':', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        c.kind = word.substr(0, a);
        c.moment = word.substr(a + 1, b - a - 1);
        c.seed = std::strtoul(word.c_str() + b + 1, nullptr, 10);
        // Where within its moment the act comes, from the seed: ms after the connect, monitor
        // blocks, bytes of the capture memory (a second of records is about 640 KB), bytes of
        // the setup areas (received and sent, about 31 KB).
        std::mt19937 g(static_cast<unsigned>(c.seed * 7919u + static_cast<unsigned>(c.moment.size())));
        if (c.moment == "idle") c.after = 200 + g() % 3000;
        else if (c.moment == "monitor") c.after = g() % 60;
        else if (c.moment == "upload") c.after = g() % 2 ? 0 : g() % 600000;
        else if (c.moment == "setup") c.after = g() % 2 ? 0 : g() % 31000;
        cases.push_back(c);
    }
    return cases;
}

class HostileCampaign : public Hostile {};

TEST_F(HostileCampaign, Cases) {
    const std::vector<HostileCase> cases = campaignCases();
    if (cases.empty()) GTEST_SKIP() << "no ZV_HOSTILE_CASES";
    int failures = 0;
    for (const HostileCase& c : cases) {
        const ULONGLONG begin = GetTickCount64();
        const Outcome o = play(c);
        const std::string wrong = verdict(c, o);
        std::string texts;
        for (const std::string& t : o.texts) texts += (texts.empty() ? "\"" : " | \"") + t + "\"";
        std::printf("[ HOSTILE  ] %s %s seed %lu after %lu: %s; %s; boxes: %s; exit %lu; %lu files%s; %.1f s\n",
                    c.kind.c_str(), c.moment.c_str(), c.seed, c.after, wrong.empty() ? "ok" : "FAILED",
                    o.disconnected ? "disconnected" : "link survived", texts.empty() ? "none" : texts.c_str(),
                    static_cast<unsigned long>(o.exitCode), static_cast<unsigned long>(o.files),
                    o.fileProblems.empty() ? " complete" : "",
                    static_cast<double>(GetTickCount64() - begin) / 1000.0);
        if (!wrong.empty()) {
            std::printf("[ HOSTILE  ]   %s\n", wrong.c_str());
            ++failures;
        }
        std::fflush(stdout);
        program_.kill();
    }
    EXPECT_EQ(failures, 0) << failures << " of " << cases.size() << " cases failed";
}

}  // namespace
}  // namespace zvui
