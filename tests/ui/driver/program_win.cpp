// Starting, finding and ending the program under test.
#include "ui_driver_win.h"

#include <algorithm>
#include <cstring>

namespace zvui {
namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// This process's environment with EXTRA entries replacing those of the same name, as the
// double-NUL-terminated block CreateProcess takes.
std::string environmentBlock(const std::vector<std::string>& extra) {
    std::vector<std::string> entries;
    if (char* strings = GetEnvironmentStringsA()) {
        for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1) entries.emplace_back(entry);
        FreeEnvironmentStringsA(strings);
    }
    auto nameOf = [](const std::string& entry) {
        // Entries like "=C:=C:\" keep their leading '='.
        const std::size_t equals = entry.find('=', 1);
        std::string name = entry.substr(0, equals);
        std::transform(name.begin(), name.end(), name.begin(), [](char c) {
            return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        });
        return name;
    };
    for (const std::string& add : extra) {
        const std::string name = nameOf(add);
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::string& entry) { return nameOf(entry) == name; }),
                      entries.end());
        entries.push_back(add);
    }
    std::string block;
    for (const std::string& entry : entries) {
        block += entry;
        block += '\0';
    }
    block += '\0';
    return block;
}

double millisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

Program::~Program() {
    kill();
    if (process_) CloseHandle(process_);
}

bool Program::start(const std::string& exe, const std::vector<std::string>& extraEnvironment) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\"";
    std::string environment = environmentBlock(extraEnvironment);
    const std::string folder = folderOf(exe);
    QueryPerformanceCounter(&startedAt_);
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, environment.data(),
                        folder.c_str(), &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    threadId_ = info.dwThreadId;
    return true;
}

namespace {

struct WindowSearch {
    const char* wantedClass;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search->processId == 0 || owner == search->processId) && className(window) == search->wantedClass) {
        search->found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> topWindowsOfClass(const char* wantedClass, DWORD processId) {
    WindowSearch search{wantedClass, processId, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::waitForMainWindow(DWORD timeoutMs) {
    HWND found = nullptr;
    waitFor(
        [&] {
            for (HWND window : topWindowsOfClass(kMainWindowClass, processId_)) {
                if (IsWindowVisible(window)) {
                    found = window;
                    return true;
                }
            }
            return !running();
        },
        timeoutMs);
    return found;
}

bool Program::waitUntilDrawn(HWND window, DWORD timeoutMs) {
    return waitFor(
        [&] {
            DWORD_PTR ignored = 0;
            // A reply to WM_NULL means the window's thread is back in its message loop; an
            // empty update region that the first paint has been done.
            return IsWindowVisible(window) &&
                   SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored) != 0 &&
                   !GetUpdateRect(window, nullptr, FALSE);
        },
        timeoutMs);
}

bool Program::waitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_) return true;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(process_, exitCode);
    return true;
}

bool Program::running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Program::kill() {
    if (running()) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
}

void Program::detach() {
    if (process_) CloseHandle(process_);
    process_ = nullptr;
}

double Program::startedMsAgo() const { return millisecondsSince(startedAt_); }

int runProgram(const std::string& commandLine, const std::string& folder, const std::string& output) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return -1;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    DWORD code = static_cast<DWORD>(-1);
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, folder.c_str(),
                       &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    return static_cast<int>(code);
}

}  // namespace zvui
