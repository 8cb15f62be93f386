// What a process holds, read from another process: memory, kernel handles, GDI objects and
// windows. Windows answers through the documented calls; Wine 8 leaves some of them as stubs
// (GetProcessHandleCount gives 0, GetGuiResources fails with ERROR_CALL_NOT_IMPLEMENTED),
// so each figure falls back to what Wine does keep: the system's handle list, and the
// process's own GDI handle table that its PEB points to.
#pragma once

#include <windows.h>

#include <cstdint>

namespace zvui {

struct ProcessResources {
    bool read = false;              // the memory counters were read (the process is there)
    uint64_t workingSet = 0;        // bytes resident
    uint64_t privateBytes = 0;      // bytes committed for the process alone (PagefileUsage)
    int64_t handles = -1;           // kernel object handles; -1 when unknown
    int64_t gdiObjects = -1;        // live GDI objects; -1 when unknown
    int64_t windows = -1;           // windows of the process, top-level and children (USER objects)
};

// PROCESS must allow PROCESS_QUERY_INFORMATION and PROCESS_VM_READ (a handle of
// CreateProcess does).
ProcessResources readProcessResources(HANDLE process, DWORD processId);

}  // namespace zvui
