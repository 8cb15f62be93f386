#include "zvlkrmt/api/library.h"

#include <mutex>

namespace zv::remote_api {
namespace {

struct LibraryState {
    std::mutex mutex;
    int initCount = 0;
    std::string configPath;
    std::string configError;
    std::shared_ptr<UsbDevices> devices;
};

// Never destroyed: the DLL may be unloaded with the library still initialised, and joining
// emulator threads while the loader holds its lock would hang the process.
LibraryState& state() {
    static LibraryState* s = new LibraryState;
    return *s;
}

}  // namespace

void setConfigPath(const std::string& path) {
    LibraryState& s = state();
    std::lock_guard lock(s.mutex);
    s.configPath = path;
}

Result initializeLibrary() {
    LibraryState& s = state();
    std::lock_guard lock(s.mutex);
    if (s.initCount++ > 0) return kOk;
    auto devices = std::make_shared<UsbDevices>();
    std::string error;
    devices->loadFile(s.configPath, error);
    s.configError = error;
    s.devices = std::move(devices);
    return kOk;
}

void uninitializeLibrary() {
    std::shared_ptr<UsbDevices> old;
    {
        LibraryState& s = state();
        std::lock_guard lock(s.mutex);
        if (s.initCount == 0) return;
        if (--s.initCount > 0) return;
        old = std::move(s.devices);
    }
    // The emulated analyzers end outside the lock (their threads are joined here).
}

std::shared_ptr<UsbDevices> usbDevices() {
    LibraryState& s = state();
    std::lock_guard lock(s.mutex);
    if (s.devices) return s.devices;
    return std::make_shared<UsbDevices>();
}

std::string configError() {
    LibraryState& s = state();
    std::lock_guard lock(s.mutex);
    return s.configError;
}

}  // namespace zv::remote_api
