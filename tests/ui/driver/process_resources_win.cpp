#include "process_resources_win.h"

#include <psapi.h>

#include <cstring>
#include <vector>

namespace zvui {
namespace {

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryProcessInformation = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

constexpr ULONG kSystemHandleInformation = 16;
constexpr ULONG kProcessBasicInformation = 0;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004u);

template <typename Function>
Function ntdllFunction(const char* name) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

// The handles of the system's handle list that belong to the process. Each entry begins with
// the owner's process id (16 bits on Windows, followed by 16 bits that are normally 0; 32 on
// Wine); the entries are 16 bytes on 32-bit systems, 24 on 64-bit ones.
int64_t handlesFromSystemList(DWORD processId) {
    static const auto query = ntdllFunction<QuerySystemInformation>("NtQuerySystemInformation");
    if (!query) return -1;
    std::vector<uint8_t> buffer(1u << 20);
    for (;;) {
        ULONG length = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length);
        if (status == kInfoLengthMismatch && buffer.size() < (256u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status < 0) return -1;
        break;
    }
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const size_t entrySize = sizeof(void*) == 8 ? 24 : 16;
    const size_t first = sizeof(void*);  // the count, padded to the entries' alignment
    int64_t owned = 0;
    for (size_t i = 0; i < count && first + (i + 1) * entrySize <= buffer.size(); ++i) {
        uint32_t owner = 0;
        std::memcpy(&owner, buffer.data() + first + i * entrySize, sizeof owner);
        if (owner == processId) ++owned;
    }
    return owned;
}

// Wine keeps each process's GDI objects in a table of its own that the PEB points to (the
// GdiSharedHandleTable field), 65,536 entries of 24 bytes; a live object's entry has a type
// (byte 14), a freed one has it cleared.
int64_t gdiObjectsFromHandleTable(HANDLE process) {
    static const auto query = ntdllFunction<QueryProcessInformation>("NtQueryInformationProcess");
    if (!query || sizeof(void*) != 8) return -1;
    struct {
        LONG exitStatus;
        void* peb;
        ULONG_PTR affinity;
        LONG priority;
        ULONG_PTR processId;
        ULONG_PTR parentId;
    } basic{};
    if (query(process, kProcessBasicInformation, &basic, sizeof basic, nullptr) < 0 || !basic.peb) return -1;
    constexpr size_t kTableField = 0xF8;  // of the 64-bit PEB
    void* table = nullptr;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, static_cast<uint8_t*>(basic.peb) + kTableField, &table, sizeof table, &got) ||
        !table) {
        return -1;
    }
    constexpr size_t kEntries = 0x10000;
    constexpr size_t kEntrySize = 24;
    std::vector<uint8_t> entries(kEntries * kEntrySize);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), &got) || got != entries.size()) return -1;
    int64_t live = 0;
    for (size_t i = 0; i < kEntries; ++i) live += entries[i * kEntrySize + 14] != 0 ? 1 : 0;
    return live;
}

struct WindowCount {
    DWORD processId;
    int64_t count;
};

BOOL CALLBACK countChild(HWND, LPARAM lParam) {
    ++reinterpret_cast<WindowCount*>(lParam)->count;
    return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM lParam) {
    auto* windows = reinterpret_cast<WindowCount*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != windows->processId) return TRUE;
    ++windows->count;
    EnumChildWindows(window, countChild, lParam);
    return TRUE;
}

}  // namespace

ProcessResources readProcessResources(HANDLE process, DWORD processId) {
    ProcessResources r;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        r.read = true;
        r.workingSet = memory.WorkingSetSize;
        r.privateBytes = memory.PagefileUsage;
    }
    DWORD handles = 0;
    r.handles = GetProcessHandleCount(process, &handles) && handles > 0 ? static_cast<int64_t>(handles)
                                                                         : handlesFromSystemList(processId);
    SetLastError(ERROR_SUCCESS);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    r.gdiObjects = gdi > 0 || GetLastError() == ERROR_SUCCESS ? static_cast<int64_t>(gdi) : gdiObjectsFromHandleTable(process);
    WindowCount windows{processId, 0};
    EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&windows));
    r.windows = windows.count;
    return r;
}

}  // namespace zvui
