// Test doubles for the session: a sink that records every call under a lock, and a remote
// object whose results the test sets and whose requests the test completes by hand. Both
// count references, so that a test can check that each one taken was given back.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "remote/czvremote5m.h"
#include "remote/session_messages.h"
#include "remote/session_sink.h"
#include "remote/zvremote.h"

namespace zv::test {

enum class Target { Main, Setup, KeyEmulation };

struct Posted {
    Target target;
    uint32_t message;
    uintptr_t wParam;
    uintptr_t lParam;
};

class RecordingSink final : public SessionSink {
public:
    // Releases what unhandled messages still carry.
    ~RecordingSink() override { drain(); }

    bool postMain(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        return record({Target::Main, message, wParam, lParam}, acceptMain);
    }
    bool postSetup(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        return record({Target::Setup, message, wParam, lParam}, setupOpen);
    }
    bool postKeyEmulation(uint32_t wParam) override {
        return record({Target::KeyEmulation, UM_KEYEMU_SESSION, wParam, 0}, panelOpen);
    }
    void setBoardText(std::string_view text) override {
        std::lock_guard lock(mutex_);
        boardTexts.emplace_back(text);
    }
    void writeModelKeys(std::string_view model, std::string_view exboard) override {
        std::lock_guard lock(mutex_);
        modelKeys.emplace_back(std::string(model) + "|" + std::string(exboard));
    }
    void showWarning(uint32_t captionId, uint32_t textId, std::optional<uint32_t> argument) override {
        std::lock_guard lock(mutex_);
        warnings.push_back({captionId, textId, argument});
    }
    bool progressDialogOpen() override { return progressOpen.load(); }
    void cancelProgressDialog() override { ++progressCancels; }
    void closeProgressDialog() override {
        if (progressOpen.load()) ++progressCloses;
    }
    bool monitoring() override { return monitoringFlag.load(); }
    intptr_t uploadDialogResult() override { return dialogResult.load(); }
    std::string dataFolder() override {
        std::lock_guard lock(mutex_);
        return folder;
    }

    // What the windows would do with each message: releases the reference it carries.
    void handle(const Posted& p) {
        if (p.target != Target::Main) return;
        if (p.message == UM_REQUEST_DONE) CZVRemote5m::releaseRequestMessage(p.lParam);
        if (p.message == UM_REMOTE_CLOSE) CZVRemote5m::closeRemoteMessage(p.lParam);
    }
    std::vector<Posted> drain() {
        std::vector<Posted> taken;
        {
            std::lock_guard lock(mutex_);
            taken.swap(posted_);
        }
        for (const Posted& p : taken) handle(p);
        return taken;
    }
    // Drops the recorded messages without handling them (the test handled them itself).
    void forget() {
        std::lock_guard lock(mutex_);
        posted_.clear();
    }
    // The messages to one target, in order, without handling them.
    std::vector<Posted> messages(Target target = Target::Main) const {
        std::lock_guard lock(mutex_);
        std::vector<Posted> out;
        for (const Posted& p : posted_)
            if (p.target == target) out.push_back(p);
        return out;
    }
    std::vector<uint32_t> numbers(Target target = Target::Main) const {
        std::vector<uint32_t> out;
        for (const Posted& p : messages(target)) out.push_back(p.message);
        return out;
    }
    std::vector<uintptr_t> wParams(uint32_t message) const {
        std::vector<uintptr_t> out;
        for (const Posted& p : messages(Target::Main))
            if (p.message == message) out.push_back(p.wParam);
        return out;
    }
    // Waits until done() holds, checking at each post and every few milliseconds (counters
    // that change without a post are waited for too).
    bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (done()) return true;
            std::unique_lock lock(mutex_);
            if (cond_.wait_until(lock, std::min(end, std::chrono::steady_clock::now() + std::chrono::milliseconds(5))) ==
                    std::cv_status::timeout &&
                std::chrono::steady_clock::now() >= end) {
                lock.unlock();
                return done();
            }
        }
    }
    bool waitForMessage(uint32_t message, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        return waitFor([&] { return !wParams(message).empty(); }, limit);
    }

    struct Warning {
        uint32_t caption, text;
        std::optional<uint32_t> argument;
    };

    std::atomic<bool> acceptMain{true};
    std::atomic<bool> setupOpen{true};
    std::atomic<bool> panelOpen{true};
    std::atomic<bool> progressOpen{false};
    std::atomic<bool> monitoringFlag{false};
    std::atomic<intptr_t> dialogResult{0};
    std::atomic<int> progressCancels{0};
    std::atomic<int> progressCloses{0};
    std::string folder;
    std::vector<std::string> boardTexts;
    std::vector<std::string> modelKeys;
    std::vector<Warning> warnings;

private:
    bool record(const Posted& p, const std::atomic<bool>& open) {
        if (!open.load()) return false;
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(p);
        }
        cond_.notify_all();
        return true;
    }

    mutable std::mutex mutex_;
    std::condition_variable_any cond_;
    std::vector<Posted> posted_;
};

// Counts live references of every fake object.
struct ReferenceLedger {
    std::atomic<int> live{0};
};

class FakeRequest final : public IZVRemoteRequest {
public:
    explicit FakeRequest(ReferenceLedger& ledger) : ledger_(ledger) { ledger_.live++; }
    uint32_t ZV_CALL AddRef() override {
        ledger_.live++;
        return ++refs_;
    }
    uint32_t ZV_CALL Release() override {
        ledger_.live--;
        const uint32_t left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    uint32_t refs() const { return refs_.load(); }

private:
    ~FakeRequest() = default;
    ReferenceLedger& ledger_;
    std::atomic<uint32_t> refs_{1};
};

// A remote object driven by the test: Submit keeps the request (with a reference) until the
// test completes it through complete().
class FakeRemote final : public IZVRemote {
public:
    uint32_t ZV_CALL AddRef() override { return ++refs; }
    uint32_t ZV_CALL Release() override { return --refs; }  // owned by the test
    int32_t ZV_CALL CreateRequest(IZVRemoteRequest** request) override {
        ++creates;
        if (zv::failed(createResult)) {
            *request = nullptr;
            return createResult;
        }
        *request = new FakeRequest(ledger);
        return 0;
    }
    int32_t ZV_CALL SetConnection(const ConnectionSettings* settings) override {
        lastSettings = *settings;
        return setConnectionResult;
    }
    int32_t ZV_CALL Reserved4() override { return 0; }
    int32_t ZV_CALL Advise(IZVRemoteCallback* cb) override {
        callback = cb;
        return 0;
    }
    int32_t ZV_CALL SetScreenInterval(int32_t ms) override {
        std::lock_guard lock(mutex);
        intervals.push_back(ms);
        return 0;
    }
    int32_t ZV_CALL Open() override {
        ++opens;
        return openResult;
    }
    int32_t ZV_CALL Close() override {
        ++closes;
        state = 0;  // as the library: a closed link is no longer connected
        return 0;
    }
    int32_t ZV_CALL Submit(IZVRemoteRequest* request) override {
        std::lock_guard lock(mutex);
        if (!submitResults.empty()) {
            const int32_t r = submitResults.front();
            submitResults.pop_front();
            if (zv::failed(r)) return r;
        }
        request->AddRef();
        pending.push_back(request);
        submitted.push_back({request->kind, request->param1, request->param2, request->param3, request->data});
        return 0;
    }
    int32_t ZV_CALL Cancel() override {
        ++cancels;
        return 0;
    }
    int32_t ZV_CALL Reserved11() override { return 0; }
    int32_t ZV_CALL GetState() override { return state; }
    uint32_t ZV_CALL GetStatus() override { return 0; }
    int32_t ZV_CALL ReadScreen(uint8_t*, uint32_t) override { return 0; }

    // The oldest pending request, or null.
    IZVRemoteRequest* oldest() {
        std::lock_guard lock(mutex);
        return pending.empty() ? nullptr : pending.front();
    }
    // Completes the oldest pending request as the library would: fields, callback, release.
    void complete(int32_t result, const std::function<void(IZVRemoteRequest&)>& fill = {}) {
        IZVRemoteRequest* r = nullptr;
        {
            std::lock_guard lock(mutex);
            if (pending.empty()) return;
            r = pending.front();
            pending.pop_front();
        }
        r->result = result;
        if (fill) fill(*r);
        callback->OnRequestDone(r);
        r->Release();
    }

    struct Submitted {
        uint32_t kind, param1;
        uintptr_t param2;
        uint32_t param3;
        uintptr_t data;
    };

    ReferenceLedger ledger;
    std::atomic<uint32_t> refs{1};
    IZVRemoteCallback* callback = nullptr;
    ConnectionSettings lastSettings{};
    int32_t createResult = 0;
    int32_t setConnectionResult = 0;
    int32_t openResult = 0;
    std::atomic<int32_t> state{0};
    std::atomic<int> creates{0}, opens{0}, closes{0}, cancels{0};
    std::mutex mutex;
    std::deque<int32_t> submitResults;  // results of the next submissions (0: accept)
    std::deque<IZVRemoteRequest*> pending;
    std::vector<Submitted> submitted;
    std::vector<int32_t> intervals;
};

}  // namespace zv::test
