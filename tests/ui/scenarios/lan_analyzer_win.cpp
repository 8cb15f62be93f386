#include "lan_analyzer_win.h"

#include <cstdio>

namespace zvui {
namespace {

// A child process with standard output and error into a pipe of ours.
HANDLE startWithPipe(const std::string& command, HANDLE& output) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write = nullptr;
    if (!CreatePipe(&output, &write, &inherit, 0)) return nullptr;
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string line = command;
    PROCESS_INFORMATION info{};
    const BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    CloseHandle(write);
    if (!started) return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

// Appends what the pipe holds now; false when it is broken.
bool drain(HANDLE pipe, std::string& text) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    while (available > 0) {
        char chunk[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) || got == 0) return false;
        text.append(chunk, got);
        available = got < available ? available - got : 0;
    }
    return true;
}

}  // namespace

LanAnalyzer::~LanAnalyzer() { kill(); }

void LanAnalyzer::kill() {
    if (process_) {
        TerminateProcess(process_, 0);
        WaitForSingleObject(process_, 5000);
        CloseHandle(process_);
        process_ = nullptr;
    }
    if (output_) CloseHandle(output_);
    output_ = nullptr;
    printed_.clear();
}

bool LanAnalyzer::start(const std::string& exe, const std::string& model, const std::string& exBoard) {
    return start(exe, {"--model", model, "--exboard", exBoard}, 0, 0);
}

bool LanAnalyzer::start(const std::string& exe, const std::vector<std::string>& options, unsigned data,
                        unsigned control) {
    kill();
    std::string command = "\"" + exe + "\" --listen 127.0.0.1 --data-port " + std::to_string(data) +
                          " --control-port " + std::to_string(control);
    for (const std::string& option : options) command += " \"" + option + "\"";
    process_ = startWithPipe(command, output_);
    return process_ && readPorts();
}

std::string LanAnalyzer::takeOutput() {
    if (output_) drain(output_, printed_);
    std::string text;
    text.swap(printed_);
    return text;
}

std::string LanAnalyzer::connection() const {
    return "127.0.0.1:" + std::to_string(dataPort) + ":" + std::to_string(controlPort);
}

std::string LanAnalyzer::profileSection() const {
    return "[connection]\r\nmethod=XB-40\r\nhost=127.0.0.1\r\ndService=" + std::to_string(dataPort) +
           "\r\ncService=" + std::to_string(controlPort) + "\r\n";
}

// "zvsim: ... listening on 127.0.0.1 data N control M"
bool LanAnalyzer::readPorts() {
    const ULONGLONG end = GetTickCount64() + 10000;
    while (GetTickCount64() < end) {
        if (!drain(output_, printed_)) return false;
        const size_t at = printed_.find(" data ");
        if (at != std::string::npos && printed_.find('\n', at) != std::string::npos)
            return std::sscanf(printed_.c_str() + at, " data %u control %u", &dataPort, &controlPort) == 2;
        Sleep(20);
    }
    return false;
}

int runTool(const std::string& exe, const std::vector<std::string>& arguments, std::string& output, DWORD timeoutMs) {
    std::string command = "\"" + exe + "\"";
    for (const std::string& a : arguments)
        command += a.find_first_of(" \t") == std::string::npos && !a.empty() ? " " + a : " \"" + a + "\"";
    HANDLE pipe = nullptr;
    HANDLE process = startWithPipe(command, pipe);
    if (!process) {
        if (pipe) CloseHandle(pipe);
        return -1;
    }
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    DWORD code = STILL_ACTIVE;
    while (GetTickCount64() < end) {
        drain(pipe, output);
        if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0) break;
    }
    drain(pipe, output);
    if (!GetExitCodeProcess(process, &code) || code == STILL_ACTIVE) {
        TerminateProcess(process, 1);
        code = static_cast<DWORD>(-1);
    }
    CloseHandle(process);
    CloseHandle(pipe);
    return static_cast<int>(code);
}

}  // namespace zvui
