#include "remote_buffer_win.h"

#include <vector>

namespace zvui {

RemoteBuffer::RemoteBuffer(HWND windowOfProcess, std::size_t size) : size_(size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(windowOfProcess, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_) {
        address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
}

RemoteBuffer::~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
}

bool RemoteBuffer::write(std::size_t offset, const void* data, std::size_t size) {
    SIZE_T done = 0;
    return valid() && offset + size <= size_ &&
           WriteProcessMemory(process_, address() + offset, data, size, &done) && done == size;
}

bool RemoteBuffer::read(std::size_t offset, void* data, std::size_t size) const {
    SIZE_T done = 0;
    return valid() && offset + size <= size_ &&
           ReadProcessMemory(process_, address() + offset, data, size, &done) && done == size;
}

std::string RemoteBuffer::readText(std::size_t offset) const {
    if (offset >= size_) return {};
    std::vector<char> text(size_ - offset + 1, '\0');
    if (!read(offset, text.data(), size_ - offset)) return {};
    return std::string(text.data());
}

LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
    return static_cast<LRESULT>(result);
}

}  // namespace zvui
