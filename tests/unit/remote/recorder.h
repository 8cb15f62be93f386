// A callback for the remote client's tests: records every notification under a lock, lets the
// test wait for a condition with a deadline, and can hold the client's I/O thread inside a
// progress report while the test acts on the transfer.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "zvlkrmt/client/remote_client.h"

namespace zv::remote::test {

class Recorder : public RemoteCallback {
public:
    struct Done {
        uint32_t kind;
        Result result;
        uint32_t param1, param2, param3, param4;
        RequestPtr request;
    };

    uint32_t onDeviceType(uint32_t boardType, uint32_t value) override {
        std::lock_guard lock(mutex_);
        deviceTypes.push_back(boardType);
        deviceValue = value;
        cond_.notify_all();
        return 1;
    }
    void onStateChanged() override { bump(stateChanges); }
    void onRequestDone(const RequestPtr& r) override {
        std::function<void(const RequestPtr&)> then;
        {
            std::lock_guard lock(mutex_);
            done.push_back({r->kind, r->result, r->param1, r->param2, r->param3, r->param4, r});
            then = afterDone;
            cond_.notify_all();
        }
        if (then) then(r);
    }
    void onProgress(const RequestPtr&, uint32_t d, uint32_t total) override {
        std::unique_lock lock(mutex_);
        progress.emplace_back(d, total);
        cond_.notify_all();
        // The deadline only frees a test that failed before it let go.
        cond_.wait_for(lock, std::chrono::seconds(60), [&] { return !holdProgress_; });
    }
    void onDisconnected(Result reason) override {
        std::lock_guard lock(mutex_);
        ++disconnects;
        disconnectReason = reason;
        cond_.notify_all();
    }
    void onStatusChanged(uint32_t s) override {
        std::lock_guard lock(mutex_);
        statuses.push_back(s);
        cond_.notify_all();
    }
    void onScreenChanged() override { bump(screenChanges); }
    void onMonitorData(uint32_t position, const uint8_t* data, uint32_t bytes) override {
        std::lock_guard lock(mutex_);
        monitor.push_back({position, bytes});
        if (keepMonitorBytes) monitorBytes.insert(monitorBytes.end(), data, data + bytes);
        cond_.notify_all();
    }
    Result onReceiveBlock(const RequestPtr&, const uint8_t* data, uint32_t& bytes) override {
        std::lock_guard lock(mutex_);
        if (failWrites) {
            bytes = 0;
            return static_cast<Result>(0x80070005u);  // access denied
        }
        if (shortWrites) {
            bytes /= 2;  // "succeeds" but takes only half
            file.insert(file.end(), data, data + bytes);
            return kOk;
        }
        file.insert(file.end(), data, data + bytes);
        return kOk;
    }

    // Waits until pred() (evaluated under the lock) holds; false after the deadline. The
    // deadline only ends a test that would otherwise hang: a loaded machine running the test
    // under Wine or a sanitizer takes seconds for what takes milliseconds here.
    bool waitFor(const std::function<bool()>& pred, int ms = kDeadlineMs) {
        std::unique_lock lock(mutex_);
        return cond_.wait_for(lock, std::chrono::milliseconds(ms), pred);
    }
    // Waits for the n-th completion (1-based) and returns a copy of it.
    Done waitDone(size_t n, int ms = kDeadlineMs) {
        std::unique_lock lock(mutex_);
        if (!cond_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return done.size() >= n; }))
            return Done{0, static_cast<Result>(0xDEADBEEFu), 0, 0, 0, 0, nullptr};
        return done[n - 1];
    }
    // While on, the client's I/O thread stays inside every progress report until the hold is
    // lifted: the transfer reported cannot end meanwhile, however slow the machine, and once
    // the link's window is used up the analyzer waits for credit. Lift it before the client
    // goes away.
    void holdProgress(bool on) {
        std::lock_guard lock(mutex_);
        holdProgress_ = on;
        cond_.notify_all();
    }
    template <typename F>
    auto locked(F&& f) {
        std::lock_guard lock(mutex_);
        return f();
    }

    std::vector<uint32_t> deviceTypes;
    uint32_t deviceValue = 0;
    int stateChanges = 0;
    int disconnects = 0;
    Result disconnectReason = kOk;
    int screenChanges = 0;
    std::vector<Done> done;
    std::vector<std::pair<uint32_t, uint32_t>> progress;
    std::vector<uint32_t> statuses;
    struct Block {
        uint32_t position, bytes;
    };
    std::vector<Block> monitor;
    std::vector<uint8_t> monitorBytes;
    bool keepMonitorBytes = true;  // off for floods: their blocks are counted, not kept
    std::vector<uint8_t> file;
    bool failWrites = false;
    bool shortWrites = false;
    std::function<void(const RequestPtr&)> afterDone;

private:
    void bump(int& counter) {
        std::lock_guard lock(mutex_);
        ++counter;
        cond_.notify_all();
    }
    static constexpr int kDeadlineMs = 20000;
    std::mutex mutex_;
    std::condition_variable cond_;
    bool holdProgress_ = false;
};

inline RequestPtr request(uint32_t kind, uint32_t p1 = 0, uint32_t p2 = 0, uint32_t p3 = 0, uint32_t p4 = 0) {
    auto r = std::make_shared<ClientRequest>();
    r->kind = kind;
    r->param1 = p1;
    r->param2 = p2;
    r->param3 = p3;
    r->param4 = p4;
    return r;
}

}  // namespace zv::remote::test
