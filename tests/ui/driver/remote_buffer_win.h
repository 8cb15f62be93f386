// Memory in another process, for the control messages that take a pointer: the control
// writes into its own address space, so the buffer must live there.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace zvui {

class RemoteBuffer {
public:
    RemoteBuffer(HWND windowOfProcess, std::size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool valid() const { return address_ != nullptr; }
    char* address() const { return static_cast<char*>(address_); }
    bool write(std::size_t offset, const void* data, std::size_t size);
    bool read(std::size_t offset, void* data, std::size_t size) const;
    // The NUL-terminated text at OFFSET (at most the rest of the buffer).
    std::string readText(std::size_t offset) const;

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    std::size_t size_ = 0;
};

// SendMessageTimeout that gives up on a hung target instead of hanging the test.
LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs FUNCTION of the probe library (zvuiprobe.dll) inside WINDOW's process on a copy of
// REQUEST (SIZE bytes), and copies the answer back; false when it could not run.
bool runProbeFunction(HWND window, const char* function, void* request, std::size_t size);

}  // namespace zvui
