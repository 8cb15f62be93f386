// The remote object the library hands out: IZVRemote over the portable client. Requests are
// copied into client requests at Submit and their results copied back before OnRequestDone;
// every notification of the client goes to the advised callback, on the client's thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "remote/zvremote.h"
#include "zvlkrmt/client/remote_client.h"

namespace zv::remote_api {

// Refused arguments (a record of the wrong size, an unknown connection method).
constexpr Result kBadArgument = static_cast<Result>(0x80070057u);
// Operations the library does not offer (slots 4 and 11).
constexpr Result kNotImplemented = static_cast<Result>(0x80004001u);
// A USB serial number no analyzer has: a code of its own, so that the program names the number
// instead of asking the user to wait for an analyzer that is not there.
constexpr Result kUnknownUsbDevice = kResultNoSuchAnalyzer;

class RemoteObject final : public IZVRemote, private remote::RemoteCallback {
public:
    // Starts with one reference, the caller's; null when out of memory.
    static RemoteObject* create();

    uint32_t ZV_CALL AddRef() override;
    uint32_t ZV_CALL Release() override;
    int32_t ZV_CALL CreateRequest(IZVRemoteRequest** request) override;
    int32_t ZV_CALL SetConnection(const ConnectionSettings* settings) override;
    int32_t ZV_CALL Reserved4() override;
    int32_t ZV_CALL Advise(IZVRemoteCallback* callback) override;
    int32_t ZV_CALL SetScreenInterval(int32_t milliseconds) override;
    int32_t ZV_CALL Open() override;
    int32_t ZV_CALL Close() override;
    int32_t ZV_CALL Submit(IZVRemoteRequest* request) override;
    int32_t ZV_CALL Cancel() override;
    int32_t ZV_CALL Reserved11() override;
    int32_t ZV_CALL GetState() override;
    uint32_t ZV_CALL GetStatus() override;
    int32_t ZV_CALL ReadScreen(uint8_t* buffer, uint32_t size) override;

    // How many remote objects exist in the process (for leak checks in tests).
    static long liveCount();

private:
    RemoteObject();
    ~RemoteObject() override;

    // The client's notifications, passed on to the advised callback.
    uint32_t onDeviceType(uint32_t boardType, uint32_t value) override;
    void onStateChanged() override;
    void onRequestDone(const remote::RequestPtr& request) override;
    void onProgress(const remote::RequestPtr& request, uint32_t done, uint32_t total) override;
    void onDisconnected(Result reason) override;
    void onStatusChanged(uint32_t status) override;
    void onScreenChanged() override;
    void onMonitorData(uint32_t position, const uint8_t* data, uint32_t bytes) override;
    Result onReceiveBlock(const remote::RequestPtr& request, const uint8_t* data, uint32_t& bytes) override;

    Result submit(IZVRemoteRequest* request);
    Result open();

    // One notification on its way to the advised callback. Advise waits until none is under
    // way, so that a caller that unadvised may destroy its callback object at once.
    class Notification;
    void adviseLocked(IZVRemoteCallback* callback, std::unique_lock<std::mutex>& lock);

    std::atomic<uint32_t> refs_{1};
    std::mutex adviseMutex_;
    std::condition_variable adviseIdle_;
    IZVRemoteCallback* callback_ = nullptr;  // adviseMutex_
    int notificationsUnderWay_ = 0;          // adviseMutex_
    std::mutex mutex_;
    ConnectionSettings settings_;
    // Owned. A plain pointer on purpose: it stays valid while the client is destroyed, when a
    // notification already under way may still call GetState or GetStatus.
    remote::RemoteClient* client_ = nullptr;
};

}  // namespace zv::remote_api
