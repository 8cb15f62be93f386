// The library's process-wide state behind its exports: the initialisation count, the
// configuration file and the USB analyzers it lists.
#pragma once

#include <memory>
#include <string>

#include "base/result.h"
#include "zvlkrmt/api/usb_devices.h"

namespace zv::remote_api {

// Where the configuration file is (the DLL passes zvlkrmt.ini beside itself; elsewhere the
// caller does); empty for none. Read at the first initialisation after the call.
void setConfigPath(const std::string& path);

// Reference counted: the first call reads the configuration file, the last uninitialise drops
// the device list (analyzers still connected live on until their links end). A broken file
// leaves the default analyzer; its error is kept for configError().
Result initializeLibrary();
void uninitializeLibrary();

// The device list of the initialised library; without initialisation, a list with the
// default analyzer made for the call.
std::shared_ptr<UsbDevices> usbDevices();

// Why the configuration file was not taken at the last initialisation (empty when it was).
std::string configError();

}  // namespace zv::remote_api
