// Menu item states of another process. GetMenuState works on another process's menu on
// Windows but not under Wine, where menus belong to their process; so the driver loads its
// probe library into the program and asks there.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>

#include "menu_probe.h"
#include "remote_buffer_win.h"
#include "ui_driver_win.h"

namespace zvui {
namespace {

std::string probePath() {
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + kMenuProbeLibrary;
}

// The base address of a module of another process, or null.
BYTE* remoteModule(DWORD processId, const char* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    BYTE* base = nullptr;
    for (BOOL more = Module32First(snapshot, &entry); more && !base; more = Module32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szModule, name) == 0) base = entry.modBaseAddr;
    }
    CloseHandle(snapshot);
    return base;
}

// Under Wine, CreateRemoteThread itself waits until the program takes the new thread, which a
// program that no longer waits for anything never does: the call is made on a thread of ours,
// given up after 10 s, so that a stuck program fails its test instead of stopping the suite.
struct RemoteThreadCall {
    HANDLE process;
    const void* start;
    void* parameter;
    HANDLE thread = nullptr;
};

DWORD WINAPI createRemoteThread(void* argument) {
    auto* call = static_cast<RemoteThreadCall*>(argument);
    call->thread = CreateRemoteThread(call->process, nullptr, 0,
                                      reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<void*>(call->start)),
                                      call->parameter, 0, nullptr);
    return 0;
}

bool runRemoteThread(HANDLE process, const void* start, void* parameter) {
    // Left to the caller thread when it does not come back: it may still write here.
    auto* call = new RemoteThreadCall{process, start, parameter};
    HANDLE caller = CreateThread(nullptr, 0, createRemoteThread, call, 0, nullptr);
    if (!caller) {
        delete call;
        return false;
    }
    const bool created = WaitForSingleObject(caller, 10000) == WAIT_OBJECT_0;
    CloseHandle(caller);
    if (!created) return false;
    HANDLE thread = call->thread;
    delete call;
    if (!thread) return false;
    const bool done = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return done;
}

// The probe function's address in the program, loading the probe there on first use.
void* remoteProbe(HANDLE process, DWORD processId, HWND window, const char* function = kMenuProbeFunction) {
    static HMODULE local = LoadLibraryA(probePath().c_str());
    if (!local) return nullptr;
    const auto* localFunction = reinterpret_cast<const BYTE*>(GetProcAddress(local, function));
    if (!localFunction) return nullptr;
    BYTE* base = remoteModule(processId, kMenuProbeLibrary);
    if (!base) {
        const std::string path = probePath();
        RemoteBuffer name(window, path.size() + 1);
        // kernel32 lies at the same address in every process, so our LoadLibraryA is theirs.
        const void* loadLibrary =
            reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA"));
        if (!name.write(0, path.c_str(), path.size() + 1) || !runRemoteThread(process, loadLibrary, name.address())) {
            return nullptr;
        }
        base = remoteModule(processId, kMenuProbeLibrary);
        if (!base) return nullptr;
    }
    return base + (localFunction - reinterpret_cast<const BYTE*>(local));
}

}  // namespace

std::vector<int> menuItemStates(HWND window, const std::vector<int>& commands) {
    std::vector<int> states(commands.size(), -1);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
    if (!process) return states;
    for (std::size_t first = 0; first < commands.size(); first += kMenuProbeMaxItems) {
        MenuProbeRequest request{};
        request.window = reinterpret_cast<uintptr_t>(window);
        request.count = static_cast<uint32_t>(std::min<std::size_t>(kMenuProbeMaxItems, commands.size() - first));
        for (uint32_t i = 0; i < request.count; ++i) {
            request.commands[i] = commands[first + i];
            request.states[i] = -1;
        }
        RemoteBuffer buffer(window, sizeof request);
        void* probe = remoteProbe(process, processId, window);
        if (!probe || !buffer.write(0, &request, sizeof request) || !runRemoteThread(process, probe, buffer.address()) ||
            !buffer.read(0, &request, sizeof request)) {
            break;
        }
        for (uint32_t i = 0; i < request.count; ++i) states[first + i] = request.states[i];
    }
    CloseHandle(process);
    return states;
}

int menuItemState(HWND window, int command) { return menuItemStates(window, {command}).front(); }

bool runProbeFunction(HWND window, const char* function, void* request, std::size_t size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
    if (!process) return false;
    RemoteBuffer buffer(window, size);
    void* probe = remoteProbe(process, processId, window, function);
    const bool ran = probe && buffer.write(0, request, size) && runRemoteThread(process, probe, buffer.address()) &&
                     buffer.read(0, request, size);
    CloseHandle(process);
    return ran;
}

std::vector<std::string> menuBarTexts(HWND window) {
    MenuBarProbeRequest request{};
    request.window = reinterpret_cast<uintptr_t>(window);
    std::vector<std::string> texts;
    if (!runProbeFunction(window, kMenuBarProbeFunction, &request, sizeof request)) return texts;
    for (uint32_t i = 0; i < request.count && i < kMenuBarMaxItems; ++i) {
        request.texts[i][kMenuBarTextSize - 1] = '\0';
        texts.emplace_back(request.texts[i]);
    }
    return texts;
}

}  // namespace zvui
