// The interface of the remote library zvlkrmt.dll: its four exports, the objects it hands out
// (IZVRemote, IZVRemoteRequest), the callback interface the program implements for it
// (IZVRemoteCallback) and the records both sides share. These are binary interfaces: the slot
// order of every operation table and the offsets of every record are fixed, so that the
// program and the library can be built apart. COM-style: operation tables first, stdcall on
// 32-bit Windows. Portable: the native build uses the same declarations, so the session and
// the library's objects are tested without Windows.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define ZV_CALL __stdcall
#else
#define ZV_CALL
#endif

struct IZVRemoteCallback;
struct IZVRemoteRequest;

// Connection settings handed to IZVRemote::SetConnection (copied by the library).
struct ConnectionSettings {
    uint32_t recordSize;            // always 1396
    uint32_t method;                // 0 serial port, 2 LAN through the XB-40 adapter, 9 USB
    char serialPort[260];           // "COM1"
    char host[1025];                // host name or address of the XB-40 adapter
    char dataService[32];           // data port of the adapter (name or number)
    char controlService[32];        // control port of the adapter
    uint8_t zero1357[3];
    int32_t minusOne;               // always -1
    char usbSerialNumber[16];       // "30808001"
    uint32_t zero1380;
    uint32_t baudRate;              // 115200
    uint32_t parity;                // 0 none, 1 odd, 2 even
    uint32_t xControl;              // software flow control: 0 off, 1 on
};

// The device record given to the ZVEnumUSBDevicesEx callback.
struct ZVUsbDeviceRecord {
    uint32_t recordSize;
    int32_t kind;                   // 73730 AN-1400, 73731 AN-2400
    const char* serialNumber;
};

// A request: an operation table (AddRef, Release) followed by the shared fields. On 32-bit
// Windows every field is 32 bits wide; elsewhere the two that may carry a handle or a pointer
// (data, param2) are pointer-sized.
struct IZVRemoteRequest {
    virtual uint32_t ZV_CALL AddRef() = 0;
    virtual uint32_t ZV_CALL Release() = 0;

    uint32_t kind;      // 1 connect, 2 disconnect, 3 key, 4 start/stop, 5 receive, 6 send, 8 clock, 9 wait
    int32_t result;     // completion result
    uintptr_t data;     // kind 5: file handle or buffer; kind 6: buffer to send
    uint32_t param1;
    uintptr_t param2;
    uint32_t param3;
    uint32_t param4;

protected:
    IZVRemoteRequest() : kind(0), result(0), data(0), param1(0), param2(0), param3(0), param4(0) {}
    ~IZVRemoteRequest() = default;
};

struct IZVRemote {
    virtual uint32_t ZV_CALL AddRef() = 0;                                       // 0
    virtual uint32_t ZV_CALL Release() = 0;                                      // 1
    virtual int32_t ZV_CALL CreateRequest(IZVRemoteRequest** request) = 0;       // 2
    virtual int32_t ZV_CALL SetConnection(const ConnectionSettings* settings) = 0;  // 3
    virtual int32_t ZV_CALL Reserved4() = 0;                                     // 4
    virtual int32_t ZV_CALL Advise(IZVRemoteCallback* callback) = 0;             // 5
    virtual int32_t ZV_CALL SetScreenInterval(int32_t milliseconds) = 0;         // 6
    virtual int32_t ZV_CALL Open() = 0;                                          // 7
    virtual int32_t ZV_CALL Close() = 0;                                         // 8
    virtual int32_t ZV_CALL Submit(IZVRemoteRequest* request) = 0;               // 9
    virtual int32_t ZV_CALL Cancel() = 0;                                        // 10
    virtual int32_t ZV_CALL Reserved11() = 0;                                    // 11
    virtual int32_t ZV_CALL GetState() = 0;                                      // 12
    virtual uint32_t ZV_CALL GetStatus() = 0;                                    // 13
    virtual int32_t ZV_CALL ReadScreen(uint8_t* buffer, uint32_t size) = 0;      // 14

protected:
    ~IZVRemote() = default;
};

// Implemented by the program; called on the library's threads.
struct IZVRemoteCallback {
    virtual int32_t ZV_CALL OnDeviceType(uint32_t boardType, uint32_t value) = 0;   // 0
    virtual void ZV_CALL OnDeviceChanged() = 0;                                     // 1
    virtual void ZV_CALL OnStateChanged() = 0;                                      // 2
    virtual void ZV_CALL OnRequestDone(IZVRemoteRequest* request) = 0;              // 3
    virtual void ZV_CALL OnProgress(IZVRemoteRequest* request, uint32_t done, uint32_t total) = 0;  // 4
    virtual void ZV_CALL OnDisconnected() = 0;                                      // 5
    virtual void ZV_CALL OnStatusChanged(uint32_t flags) = 0;                       // 6
    virtual void ZV_CALL Notify7() = 0;                                             // 7
    virtual void ZV_CALL OnScreenChanged() = 0;                                     // 8
    virtual void ZV_CALL Notify9(uint32_t a, uint32_t b, uint32_t c) = 0;           // 9
    virtual void ZV_CALL OnMonitorData(uint32_t block, const uint8_t* data, uint32_t bytes) = 0;  // 10
    virtual void ZV_CALL Notify11(uint32_t a) = 0;                                  // 11: the result a link ended with, before OnDisconnected
    virtual int32_t ZV_CALL OnReceiveBlock(IZVRemoteRequest* request, uint32_t value, const uint8_t* data,
                                           uint32_t* bytes) = 0;                    // 12
    virtual int32_t ZV_CALL Query13(uint32_t a, uint32_t b, uint32_t c) = 0;        // 13
    virtual int32_t ZV_CALL Query14(uint32_t a, uint32_t b) = 0;                    // 14

protected:
    ~IZVRemoteCallback() = default;
};

typedef int32_t(ZV_CALL* ZVUsbDeviceCallback)(const ZVUsbDeviceRecord* device, void* context);

extern "C" {
int32_t ZV_CALL ZVInitializeRemote(void);
void ZV_CALL ZVUninitializeRemote(void);
int32_t ZV_CALL ZVCreateRemote(IZVRemote** remote);
// Lists the USB analyzers of a kind (-1: all) until the callback returns 0; returns the count
// listed.
uint32_t ZV_CALL ZVEnumUSBDevicesEx(int32_t kind, ZVUsbDeviceCallback callback, void* context);
}

namespace zv::remote_api {

constexpr uint32_t kConnectionSettingsSize = 1396;
constexpr uint32_t kMethodSerial = 0;
constexpr uint32_t kMethodLan = 2;
constexpr uint32_t kMethodUsb = 9;

constexpr int32_t kUsbKindAn1400 = 73730;
constexpr int32_t kUsbKindAn2400 = 73731;

// Request kinds and their block codes.
constexpr uint32_t kRequestConnect = 1;
constexpr uint32_t kRequestDisconnect = 2;
constexpr uint32_t kRequestKey = 3;
constexpr uint32_t kRequestMeasurement = 4;
constexpr uint32_t kRequestReceive = 5;
constexpr uint32_t kRequestSend = 6;
constexpr uint32_t kRequestSetClock = 8;
constexpr uint32_t kRequestWaitEvent = 9;
constexpr uint32_t kEventMeasurementEnded = 0x202;
constexpr uint32_t kStatusMeasuring = 0x100;
constexpr uint32_t kScreenImageBytes = 1920;

// Result codes of the library.
constexpr int32_t kResultTimeout = static_cast<int32_t>(0x80070102u);
constexpr int32_t kResultHostNotFound = static_cast<int32_t>(0x80072AF9u);
constexpr int32_t kResultCancelled = static_cast<int32_t>(0x800704C7u);
constexpr int32_t kResultRefused1 = static_cast<int32_t>(0xA0000001u);
constexpr int32_t kResultRefused4 = static_cast<int32_t>(0xA0000004u);
constexpr int32_t kResultRefused9 = static_cast<int32_t>(0xA0000009u);
// A USB connect to a serial number that no attached analyzer has (the system's "device not
// connected", 1167): nothing to wait for, unlike 0xA0000001 of an analyzer still starting up.
constexpr int32_t kResultNoSuchAnalyzer = static_cast<int32_t>(0x8007048Fu);
constexpr int32_t kResultLinkLost = static_cast<int32_t>(0x80072746u);
// The analyzer broke the protocol and the library ended the link: a malformed frame, a
// message of a wrong length, a completion of a request never made (or a second one), monitor
// data while no measurement runs. The library reports the result a link ended with through
// IZVRemoteCallback::Notify11, right before OnDisconnected.
constexpr int32_t kResultMalformedFrame = static_cast<int32_t>(0x8007000Du);
constexpr int32_t kResultWrongLength = static_cast<int32_t>(0xA0000010u);
constexpr int32_t kResultUnexpectedCompletion = static_cast<int32_t>(0xA0000011u);
constexpr int32_t kResultUnrequestedData = static_cast<int32_t>(0xA0000012u);

// Settings with the defaults: USB, "COM1", 115200 baud, no parity, serial number "30808001".
ConnectionSettings defaultConnectionSettings();

}  // namespace zv::remote_api

// The layouts are shared with binaries built apart: check them where they are declared.
static_assert(sizeof(ConnectionSettings) == 1396);
static_assert(offsetof(ConnectionSettings, method) == 4);
static_assert(offsetof(ConnectionSettings, serialPort) == 8);
static_assert(offsetof(ConnectionSettings, host) == 268);
static_assert(offsetof(ConnectionSettings, dataService) == 1293);
static_assert(offsetof(ConnectionSettings, controlService) == 1325);
static_assert(offsetof(ConnectionSettings, zero1357) == 1357);
static_assert(offsetof(ConnectionSettings, minusOne) == 1360);
static_assert(offsetof(ConnectionSettings, usbSerialNumber) == 1364);
static_assert(offsetof(ConnectionSettings, zero1380) == 1380);
static_assert(offsetof(ConnectionSettings, baudRate) == 1384);
static_assert(offsetof(ConnectionSettings, parity) == 1388);
static_assert(offsetof(ConnectionSettings, xControl) == 1392);
static_assert(offsetof(ZVUsbDeviceRecord, kind) == 4);
static_assert(offsetof(ZVUsbDeviceRecord, serialNumber) == 8);

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
static_assert(offsetof(IZVRemoteRequest, kind) == sizeof(void*));
#if UINTPTR_MAX == 0xFFFFFFFFu
// 32-bit: the operation table and seven 32-bit fields.
static_assert(offsetof(IZVRemoteRequest, result) == 8);
static_assert(offsetof(IZVRemoteRequest, data) == 12);
static_assert(offsetof(IZVRemoteRequest, param1) == 16);
static_assert(offsetof(IZVRemoteRequest, param2) == 20);
static_assert(offsetof(IZVRemoteRequest, param3) == 24);
static_assert(offsetof(IZVRemoteRequest, param4) == 28);
static_assert(sizeof(IZVRemoteRequest) == 32);
#else
// 64-bit: the same order, data and param2 widened to pointers.
static_assert(offsetof(IZVRemoteRequest, result) == 12);
static_assert(offsetof(IZVRemoteRequest, data) == 16);
static_assert(offsetof(IZVRemoteRequest, param1) == 24);
static_assert(offsetof(IZVRemoteRequest, param2) == 32);
static_assert(offsetof(IZVRemoteRequest, param3) == 40);
static_assert(offsetof(IZVRemoteRequest, param4) == 44);
static_assert(sizeof(IZVRemoteRequest) == 48);
#endif
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
