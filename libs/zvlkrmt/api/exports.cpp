// The four exports of the remote library. Nothing is thrown across them.
#include "remote/zvremote.h"
#include "zvlkrmt/api/library.h"
#include "zvlkrmt/api/remote_object.h"

using namespace zv::remote_api;

extern "C" {

int32_t ZV_CALL ZVInitializeRemote(void) {
    try {
        return initializeLibrary();
    } catch (...) {
        return zv::kOutOfMemory;
    }
}

void ZV_CALL ZVUninitializeRemote(void) {
    try {
        uninitializeLibrary();
    } catch (...) {
    }
}

int32_t ZV_CALL ZVCreateRemote(IZVRemote** remote) {
    if (!remote) return zv::kPointerMissing;
    *remote = RemoteObject::create();
    return *remote ? zv::kOk : zv::kOutOfMemory;
}

uint32_t ZV_CALL ZVEnumUSBDevicesEx(int32_t kind, ZVUsbDeviceCallback callback, void* context) {
    if (!callback) return 0;
    try {
        uint32_t listed = 0;
        for (const UsbDevices::Listed& d : usbDevices()->list()) {
            if (kind != -1 && d.kind != kind) continue;
            const ZVUsbDeviceRecord record{sizeof(ZVUsbDeviceRecord), d.kind, d.serial.c_str()};
            ++listed;
            if (callback(&record, context) == 0) break;
        }
        return listed;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
