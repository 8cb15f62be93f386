#include "zvlkrmt/api/remote_object.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <thread>

#include "zvlkrmt/api/library.h"
#include "zvlkrmt/api/request_object.h"
#include "zvlkrmt/transport/serial_port.h"
#include "zvlkrmt/transport/tcp_transport.h"

namespace zv::remote_api {
namespace {

std::atomic<long> liveRemotes{0};

// The remote object whose callback the current thread is running (the client's thread, inside
// a notification), so that a last Release there does not join the thread it runs on.
thread_local const RemoteObject* insideCallbackOf = nullptr;

class CallbackScope {
public:
    explicit CallbackScope(const RemoteObject* remote) : saved_(insideCallbackOf) { insideCallbackOf = remote; }
    ~CallbackScope() { insideCallbackOf = saved_; }
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;

private:
    const RemoteObject* saved_;
};

// A text field of the settings record, never read past its end.
template <size_t N>
std::string text(const char (&field)[N]) {
    return std::string(field, static_cast<size_t>(std::find(field, field + N, '\0') - field));
}

IZVRemoteRequest* outer(const remote::RequestPtr& r) { return static_cast<IZVRemoteRequest*>(r->context); }

remote::Connector usbConnector(std::shared_ptr<UsbDevices> devices, std::string serial) {
    return [devices = std::move(devices), serial = std::move(serial)](std::unique_ptr<remote::Transport>& out) {
        const auto analyzer = devices->open(serial);
        if (!analyzer) return kUnknownUsbDevice;
        auto [pc, device] = remote::makePipePair();
        analyzer->attach(std::move(device));
        out = std::move(pc);
        return kOk;
    };
}

remote::Connector lanConnector(remote::TcpEndpoint endpoint, int timeoutMs) {
    return [endpoint = std::move(endpoint), timeoutMs](std::unique_ptr<remote::Transport>& out) {
        return remote::openTcpTransport(endpoint, timeoutMs, out);
    };
}

remote::Connector serialConnector(remote::SerialPortSettings port) {
    return [port = std::move(port)](std::unique_ptr<remote::Transport>& out) {
        return remote::openSerialTransport(port, out);
    };
}

}  // namespace

// Counts itself under way for the time of the call, so that Advise can wait for it; and marks
// the thread as inside a notification of this object (see Release).
class RemoteObject::Notification {
public:
    explicit Notification(RemoteObject& remote) : remote_(remote), scope_(&remote) {
        std::lock_guard lock(remote_.adviseMutex_);
        callback = remote_.callback_;
        if (callback) ++remote_.notificationsUnderWay_;
    }
    ~Notification() {
        if (!callback) return;
        std::lock_guard lock(remote_.adviseMutex_);
        if (--remote_.notificationsUnderWay_ == 0) remote_.adviseIdle_.notify_all();
    }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    IZVRemoteCallback* callback = nullptr;

private:
    RemoteObject& remote_;
    CallbackScope scope_;
};

RemoteObject* RemoteObject::create() {
    try {
        return new RemoteObject();
    } catch (...) {
        return nullptr;
    }
}

RemoteObject::RemoteObject() : settings_(defaultConnectionSettings()) {
    client_ = new remote::RemoteClient(static_cast<remote::RemoteCallback&>(*this));
    liveRemotes.fetch_add(1);
}

RemoteObject::~RemoteObject() {
    // No notification starts from here on; the client ends the link and joins its thread.
    {
        std::unique_lock lock(adviseMutex_);
        adviseLocked(nullptr, lock);
    }
    delete client_;
    liveRemotes.fetch_sub(1);
}

long RemoteObject::liveCount() { return liveRemotes.load(); }

uint32_t ZV_CALL RemoteObject::AddRef() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t ZV_CALL RemoteObject::Release() {
    const uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left != 0) return left;
    if (insideCallbackOf == this) {
        // Released from inside its own notification: the client's thread cannot join itself,
        // so the object ends on a thread of its own once the notification has returned.
        std::thread([this] { delete this; }).detach();
    } else {
        delete this;
    }
    return 0;
}

int32_t ZV_CALL RemoteObject::CreateRequest(IZVRemoteRequest** request) {
    if (!request) return kPointerMissing;
    *request = RequestObject::create();
    return *request ? kOk : kOutOfMemory;
}

int32_t ZV_CALL RemoteObject::SetConnection(const ConnectionSettings* settings) {
    if (!settings) return kPointerMissing;
    if (settings->recordSize != kConnectionSettingsSize) return kBadArgument;
    std::lock_guard lock(mutex_);
    settings_ = *settings;
    return kOk;
}

int32_t ZV_CALL RemoteObject::Reserved4() { return kNotImplemented; }
int32_t ZV_CALL RemoteObject::Reserved11() { return kNotImplemented; }

int32_t ZV_CALL RemoteObject::Advise(IZVRemoteCallback* callback) {
    std::unique_lock lock(adviseMutex_);
    adviseLocked(callback, lock);
    return kOk;
}

void RemoteObject::adviseLocked(IZVRemoteCallback* callback, std::unique_lock<std::mutex>& lock) {
    callback_ = callback;
    // From inside a notification the one under way is the caller's own: it cannot be waited for.
    if (insideCallbackOf == this) return;
    adviseIdle_.wait(lock, [this] { return notificationsUnderWay_ == 0; });
}

int32_t ZV_CALL RemoteObject::SetScreenInterval(int32_t milliseconds) {
    return client_->setScreenInterval(milliseconds);
}

int32_t ZV_CALL RemoteObject::Open() {
    try {
        return open();
    } catch (...) {
        return kOutOfMemory;
    }
}

Result RemoteObject::open() {
    ConnectionSettings s;
    {
        std::lock_guard lock(mutex_);
        s = settings_;
    }
    const auto devices = usbDevices();
    const LibrarySettings limits = devices->settings();
    remote::ClientOptions options;
    options.answerTimeoutMs = limits.answerTimeoutMs;
    options.keepAliveMs = limits.keepAliveMs;
    remote::Connector connector;
    switch (s.method) {
        case kMethodUsb:
            options.serial = text(s.usbSerialNumber);
            options.lineBytesPerSecond = devices->lineSpeed(options.serial);
            connector = usbConnector(devices, options.serial);
            break;
        case kMethodLan:
            // The adapter reaches the analyzer over a serial line of the settings' speed.
            options.lineBytesPerSecond = std::max<uint32_t>(s.baudRate / 10, 1);
            connector = lanConnector({text(s.host), text(s.dataService), text(s.controlService)},
                                     limits.answerTimeoutMs);
            break;
        case kMethodSerial: {
            remote::SerialPortSettings port;
            port.port = text(s.serialPort);
            port.baudRate = s.baudRate;
            port.parity = s.parity;
            port.xControl = s.xControl != 0;
            // Settings a port cannot take are refused here rather than at the connect.
            if (const Result r = remote::checkSerialSettings(port); failed(r)) return r;
            options.lineBytesPerSecond = std::max<uint32_t>(port.baudRate / 10, 1);
            connector = serialConnector(std::move(port));
            break;
        }
        default: return kBadArgument;
    }
    client_->setOptions(options);
    client_->setConnector(std::move(connector));
    return kOk;
}

int32_t ZV_CALL RemoteObject::Close() {
    client_->close();
    return kOk;
}

int32_t ZV_CALL RemoteObject::Submit(IZVRemoteRequest* request) {
    if (!request) return kPointerMissing;
    try {
        return submit(request);
    } catch (...) {
        return kOutOfMemory;
    }
}

Result RemoteObject::submit(IZVRemoteRequest* request) {
    // The library's reference on the request lives exactly as long as the client request: the
    // client drops it after OnRequestDone has returned, or when Close drops the request.
    request->AddRef();
    remote::RequestPtr r(new remote::ClientRequest, [request](remote::ClientRequest* p) {
        delete p;
        request->Release();
    });
    r->context = request;
    r->kind = request->kind;
    r->param1 = request->param1;
    r->param3 = request->param3;
    switch (request->kind) {
        case kRequestReceive:
            // param2 is the memory to receive into; 0 hands the bytes to OnReceiveBlock.
            r->memory = reinterpret_cast<uint8_t*>(request->param2);
            r->param2 = r->memory ? 1 : 0;
            break;
        case kRequestSend: {
            const uintptr_t from = request->param2 ? request->param2 : request->data;
            if (request->param3 && !from) return kPointerMissing;
            const auto* bytes = reinterpret_cast<const uint8_t*>(from);
            if (request->param3) r->sendData.assign(bytes, bytes + request->param3);
            break;
        }
        default:
            // Kind 8 carries the date and time in the low 32 bits of param1 ... param4.
            r->param2 = static_cast<uint32_t>(request->param2);
            r->param4 = request->param4;
            break;
    }
    return client_->submit(r);
}

int32_t ZV_CALL RemoteObject::Cancel() { return client_->cancel(); }

int32_t ZV_CALL RemoteObject::GetState() { return client_->state(); }

uint32_t ZV_CALL RemoteObject::GetStatus() { return client_->status(); }

int32_t ZV_CALL RemoteObject::ReadScreen(uint8_t* buffer, uint32_t size) {
    if (!buffer) return kPointerMissing;
    client_->readScreen(buffer, std::min<size_t>(size, kScreenImageBytes));
    return kOk;
}

uint32_t RemoteObject::onDeviceType(uint32_t boardType, uint32_t value) {
    Notification n(*this);
    return n.callback ? static_cast<uint32_t>(n.callback->OnDeviceType(boardType, value) != 0) : 1;
}

void RemoteObject::onStateChanged() {
    Notification n(*this);
    if (n.callback) n.callback->OnStateChanged();
}

void RemoteObject::onRequestDone(const remote::RequestPtr& r) {
    Notification n(*this);
    IZVRemoteRequest* request = outer(r);
    request->result = r->result;
    switch (r->kind) {
        case kRequestMeasurement: request->param2 = r->param2; break;  // monitor data ready
        case kRequestReceive: request->param4 = r->param4; break;      // bytes received
        case kRequestWaitEvent:
            request->param2 = r->param2;  // the event occurred
            request->param3 = r->param3;  // end reason
            break;
        default: break;
    }
    if (n.callback) n.callback->OnRequestDone(request);
}

void RemoteObject::onProgress(const remote::RequestPtr& r, uint32_t done, uint32_t total) {
    Notification n(*this);
    if (n.callback) n.callback->OnProgress(outer(r), done, total);
}

void RemoteObject::onDisconnected(Result reason) {
    Notification n(*this);
    if (!n.callback) return;
    // Slot 11 carries the result the link ended with, right before the loss is reported, so
    // that the program can name the problem (a callback that does not care ignores it).
    n.callback->Notify11(static_cast<uint32_t>(reason));
    n.callback->OnDisconnected();
}

void RemoteObject::onStatusChanged(uint32_t status) {
    Notification n(*this);
    if (n.callback) n.callback->OnStatusChanged(status);
}

void RemoteObject::onScreenChanged() {
    Notification n(*this);
    if (n.callback) n.callback->OnScreenChanged();
}

void RemoteObject::onMonitorData(uint32_t position, const uint8_t* data, uint32_t bytes) {
    Notification n(*this);
    if (n.callback) n.callback->OnMonitorData(position, data, bytes);
}

Result RemoteObject::onReceiveBlock(const remote::RequestPtr& r, const uint8_t* data, uint32_t& bytes) {
    Notification n(*this);
    IZVRemoteCallback* cb = n.callback;
    if (!cb) {
        // Nobody to take the bytes: the transfer ends rather than losing them quietly.
        bytes = 0;
        return kPointerMissing;
    }
    return cb->OnReceiveBlock(outer(r), 0, data, &bytes);
}

}  // namespace zv::remote_api
