#include "monkey_win.h"

#include <commctrl.h>

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "program_fixture_win.h"
#include "remote_buffer_win.h"

namespace zvui {
namespace {

// Every command of the main window a user can reach, Exit and Help left out: Exit ends the
// run (it is the last step of every run), Help hands over to another program.
constexpr int kCommands[] = {1003, 1006, 1007, 1008, 1009, 1010, 2000, 2012, 2019, 2102, 2104,
                             2105, 2114, 2401, 2402, 40010, 40012, 40014, 40018, 40020};
// The commands that move the session from state to state come up more often.
constexpr int kSessionCommands[] = {2104, 2105, 2114, 2102, 1003, 1006};
constexpr int kToolbarCommands[] = {1007, 40014, 2401, 2402, 2104, 2105, 1003, 2019, 2114, 2102,
                                    2012, 1008, 1009, 1010, 40010, 2000, 40020};
constexpr int kKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END, VK_TAB,
                         VK_RETURN, VK_ESCAPE, VK_SPACE, VK_F5, VK_F8, VK_F9, VK_DELETE};
constexpr int kBoxButtons[] = {IDOK, IDCANCEL, IDYES, IDNO};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool number(std::string_view text, int& out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    while (!(line = trimmed(line)).empty()) {
        const std::size_t blank = line.find_first_of(" \t");
        out.push_back(line.substr(0, blank));
        if (blank == std::string_view::npos) break;
        line.remove_prefix(blank);
    }
    return out;
}

bool parseLine(const std::vector<std::string_view>& w, Step& step) {
    auto num = [&](std::size_t i, int& out) { return i < w.size() && number(w[i], out); };
    if (w[0] == "cmd" && w.size() == 2) return step.kind = StepKind::Command, num(1, step.value);
    if (w[0] == "key" && w.size() == 2) return step.kind = StepKind::Key, num(1, step.value);
    if (w[0] == "box" && w.size() == 4 && (w[2] == "press" || w[2] == "choose")) {
        step.kind = w[2] == "press" ? StepKind::BoxPress : StepKind::BoxChoose;
        return num(1, step.waitMs) && num(3, step.value);
    }
    if (w[0] == "click" && w.size() >= 3) {
        if (w[1] == "toolbar" && w.size() == 3) return step.kind = StepKind::ClickToolbar, num(2, step.value);
        if (w[1] == "tab" && w.size() == 3) return step.kind = StepKind::ClickTab, num(2, step.value);
        if (w[1] == "list" && w.size() == 5) {
            step.kind = StepKind::ClickList;
            return num(2, step.value) && num(3, step.x) && num(4, step.y);
        }
        return false;
    }
    if (w[0] == "panel" && w.size() == 2) return step.kind = StepKind::Panel, num(1, step.value);
    if (w[0] == "close" && w.size() == 1) return step.kind = StepKind::Close, true;
    if (w[0] == "wait" && w.size() == 2) return step.kind = StepKind::Wait, num(1, step.value);
    return false;
}

// EnumChildWindows: the enabled, visible buttons into the vector LIST points at.
BOOL CALLBACK collectButton(HWND child, LPARAM list) {
    char name[32] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Button") == 0 && IsWindowVisible(child) && IsWindowEnabled(child)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    }
    return TRUE;
}

}  // namespace

std::string describeStep(const Step& step) {
    char hex[16];
    switch (step.kind) {
        case StepKind::Command: return "cmd " + std::to_string(step.value);
        case StepKind::Key:
            std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(step.value));
            return std::string("key ") + hex;
        case StepKind::BoxPress:
            return "box " + std::to_string(step.waitMs) + " press " + std::to_string(step.value);
        case StepKind::BoxChoose:
            return "box " + std::to_string(step.waitMs) + " choose " + std::to_string(step.value);
        case StepKind::ClickToolbar: return "click toolbar " + std::to_string(step.value);
        case StepKind::ClickList:
            return "click list " + std::to_string(step.value) + " " + std::to_string(step.x) + " " +
                   std::to_string(step.y);
        case StepKind::ClickTab: return "click tab " + std::to_string(step.value);
        case StepKind::Close: return "close";
        case StepKind::Wait: return "wait " + std::to_string(step.value);
        case StepKind::Panel: return "panel " + std::to_string(step.value);
    }
    return "?";
}

bool parseSteps(std::string_view text, std::vector<Step>& steps, std::string& error) {
    std::vector<Step> parsed;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        std::vector<std::string_view> w = words(line);
        if (w.empty()) continue;
        Step step;
        int pace = -1;
        // An optional "pace MS" at the end.
        if (w.size() >= 3 && w[w.size() - 2] == "pace") {
            if (!number(w.back(), pace) || pace < 0) pace = -2;
            w.resize(w.size() - 2);
        }
        if (pace == -2 || !parseLine(w, step)) {
            error = "line " + std::to_string(lineNumber) + ": " + std::string(trimmed(line));
            return false;
        }
        step.paceMs = pace >= 0 ? pace : 0;
        parsed.push_back(step);
    }
    steps = std::move(parsed);
    return true;
}

std::string formatSteps(const std::vector<Step>& steps) {
    std::string text;
    for (const Step& step : steps) {
        text += describeStep(step);
        if (step.paceMs > 0) text += " pace " + std::to_string(step.paceMs);
        text += "\r\n";
    }
    return text;
}

std::vector<Step> randomSteps(uint32_t seed, std::size_t count, int panelPerMille) {
    std::mt19937 random(seed);
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
    auto pick = [&](const auto& table) { return table[below(static_cast<int>(std::size(table)))]; };
    std::vector<Step> steps;
    steps.reserve(count);
    while (steps.size() < count) {
        Step step;
        // The panel's share first, so that the other steps keep their order for a seed when
        // the share is the usual one.
        if (panelPerMille > kPanelStepsPerMille && below(1000) < panelPerMille) {
            step = {StepKind::Panel, below(39)};
            step.paceMs = 50 + below(150);
            steps.push_back(step);
            continue;
        }
        const int roll = below(1000);
        if (roll < 170) {
            step = {StepKind::Command, pick(kSessionCommands)};
        } else if (roll < 340) {
            step = {StepKind::Command, pick(kCommands)};
        } else if (roll < 520) {
            step = {StepKind::Key, pick(kKeys)};
        } else if (roll < 640) {
            step = {StepKind::BoxPress, pick(kBoxButtons), 200};
        } else if (roll < 760) {
            step = {StepKind::BoxChoose, below(8), 200};
        } else if (roll < 860) {
            step = {StepKind::ClickToolbar, pick(kToolbarCommands)};
        } else if (roll < 930) {
            step = {StepKind::ClickList, below(2), 0, below(1000), below(1000)};
        } else if (roll < 960) {
            step = {StepKind::ClickTab, below(2)};
        } else if (roll < 968) {
            step = {StepKind::Close};
        } else if (roll < 990) {
            step = {StepKind::Panel, below(39)};
        } else {
            step = {StepKind::Wait, 200 + below(1800)};
        }
        // A fast user: now and then a burst without a pause, mostly a tenth of a second or so.
        const int pace = below(10);
        step.paceMs = pace < 3 ? 0 : pace < 9 ? 50 + below(150) : 300 + below(700);
        steps.push_back(step);
    }
    return steps;
}

const char* stateName(SessionState state) {
    switch (state) {
        case SessionState::Disconnected: return "disconnected";
        case SessionState::Connecting: return "connecting";
        case SessionState::Connected: return "connected";
        case SessionState::Monitoring: return "monitoring";
        case SessionState::Uploading: return "uploading";
        case SessionState::Disconnecting: return "disconnecting";
    }
    return "?";
}

bool StepPlayer::answers(DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

SessionState StepPlayer::readState() const {
    HWND statusBar = GetDlgItem(main_, kStatusBarId);
    HWND toolbar = GetDlgItem(main_, kToolbarId);
    const std::string pane = statusPaneText(statusBar, 2);
    static const std::string connecting = englishString(603);
    static const std::string connected = englishString(287);
    static const std::string disconnecting = englishString(604);
    if (pane == connecting) return SessionState::Connecting;
    if (pane == disconnecting) return SessionState::Disconnecting;
    if (pane != connected) return SessionState::Disconnected;
    if (toolbarButtonState(toolbar, 2102) == kButtonEnabled) return SessionState::Monitoring;
    // Disconnect is grey while connected only during an upload.
    if (toolbarButtonState(toolbar, 2105) != kButtonEnabled) return SessionState::Uploading;
    return SessionState::Connected;
}

HWND StepPlayer::visibleDialog(DWORD waitMs) const {
    HWND found = nullptr;
    waitFor(
        [&] {
            // The topmost one: a box opened over a dialog is the one a user sees.
            for (HWND window : topWindowsOfClass("#32770", processId_)) {
                if (IsWindowVisible(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        waitMs);
    return found;
}

void StepPlayer::pressBoxButton(HWND box, int id) const {
    HWND button = GetDlgItem(box, id);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void StepPlayer::chooseBoxButton(HWND box, int choice) const {
    std::vector<HWND> buttons;
    // Every enabled, visible button anywhere in the dialog (its pages included).
    EnumChildWindows(box, collectButton, reinterpret_cast<LPARAM>(&buttons));
    const std::size_t index = static_cast<std::size_t>(choice) % (buttons.size() + 1);
    if (index == buttons.size()) {
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    }
    HWND button = buttons[index];
    HWND parent = GetParent(button);
    PostMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void StepPlayer::clickToolbar(int command) const {
    HWND toolbar = GetDlgItem(main_, kToolbarId);
    const LRESULT index = sendTo(toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(command), 0);
    if (index < 0) return;
    RemoteBuffer buffer(toolbar, sizeof(RECT));
    if (!buffer.valid() || !sendTo(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(buffer.address()))) {
        return;
    }
    RECT rect{};
    if (!buffer.read(0, &rect, sizeof rect)) return;
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(toolbar, WM_MOUSEMOVE, 0, at);
    PostMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(toolbar, WM_LBUTTONUP, 0, at);
}

void StepPlayer::clickList(int list, int x, int y) const {
    HWND control = GetDlgItem(main_, list == 0 ? kCaptureListId : kMonitorListId);
    RECT client{};
    if (!control || !GetClientRect(control, &client)) return;
    const LPARAM at = MAKELPARAM(client.right * x / 1000, client.bottom * y / 1000);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
}

void StepPlayer::clickTab(int tab) const {
    HWND tabs = GetDlgItem(main_, kTabControlId);
    RemoteBuffer buffer(tabs, sizeof(RECT));
    if (!buffer.valid() ||
        !sendTo(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(buffer.address()))) {
        return;
    }
    RECT rect{};
    if (!buffer.read(0, &rect, sizeof rect)) return;
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(tabs, WM_LBUTTONUP, 0, at);
}

void StepPlayer::postKey(int virtualKey) const {
    HWND target = focusedWindowOf(main_);
    if (!target) target = main_;
    const auto key = static_cast<WPARAM>(virtualKey);
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

void StepPlayer::playPanel(int what) const {
    const std::vector<HWND> frames = topWindowsOfClass("ZEVRONA_zvlk5m_WindowClass_KeyEmuFrame", processId_);
    if (frames.empty()) return;
    HWND frame = frames.front();
    if (what == 36) {
        postClose(frame);
    } else if (what == 37 || what == 38) {
        PostMessageA(frame, WM_COMMAND, what == 37 ? 2126 : 2119, 0);
    } else if (HWND key = GetDlgItem(GetDlgItem(frame, 201), 20000 + what)) {
        PostMessageA(key, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        PostMessageA(key, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    }
}

void StepPlayer::play(const Step& step) {
    switch (step.kind) {
        case StepKind::Command: postCommand(main_, step.value); break;
        case StepKind::Key: postKey(step.value); break;
        case StepKind::BoxPress:
            if (HWND box = visibleDialog(static_cast<DWORD>(step.waitMs))) pressBoxButton(box, step.value);
            break;
        case StepKind::BoxChoose:
            if (HWND box = visibleDialog(static_cast<DWORD>(step.waitMs))) chooseBoxButton(box, step.value);
            break;
        case StepKind::ClickToolbar: clickToolbar(step.value); break;
        case StepKind::ClickList: clickList(step.value, step.x, step.y); break;
        case StepKind::ClickTab: clickTab(step.value); break;
        case StepKind::Close: postClose(main_); break;
        case StepKind::Wait: Sleep(static_cast<DWORD>(step.value)); break;
        case StepKind::Panel: playPanel(step.value); break;
    }
    if (step.paceMs > 0) Sleep(static_cast<DWORD>(step.paceMs));
}

}  // namespace zvui
