#include "remote/zvremote.h"

#include <cstring>

namespace zv::remote_api {

ConnectionSettings defaultConnectionSettings() {
    ConnectionSettings s;
    std::memset(&s, 0, sizeof s);
    s.recordSize = kConnectionSettingsSize;
    s.method = kMethodUsb;
    std::memcpy(s.serialPort, "COM1", 5);
    s.minusOne = -1;
    std::memcpy(s.usbSerialNumber, "30808001", 9);
    s.baudRate = 115200;
    s.parity = 0;
    s.xControl = 0;
    return s;
}

}  // namespace zv::remote_api
