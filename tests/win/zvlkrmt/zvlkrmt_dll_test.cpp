// zvlkrmt.dll as the program loads it: LoadLibraryA, the four exports by their plain names,
// the built-in USB analyzer, a setup image into memory and a capture block into a file handle
// through OnReceiveBlock. Only the DLL is linked in, not the library's sources.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "remote/zvremote.h"

namespace {

using InitializeFn = int32_t(ZV_CALL*)();
using UninitializeFn = void(ZV_CALL*)();
using CreateFn = int32_t(ZV_CALL*)(IZVRemote**);
using EnumFn = uint32_t(ZV_CALL*)(int32_t, ZVUsbDeviceCallback, void*);

std::string besideProgram(const char* name) {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    dir.resize(dir.find_last_of("\\/") + 1);
    return dir + name;
}

// The program's side, reduced to what the test looks at.
class Callback final : public IZVRemoteCallback {
public:
    int32_t ZV_CALL OnDeviceType(uint32_t boardType, uint32_t) override {
        std::lock_guard lock(mutex_);
        deviceType = boardType;
        return 1;
    }
    void ZV_CALL OnDeviceChanged() override {}
    void ZV_CALL OnStateChanged() override {}
    void ZV_CALL OnRequestDone(IZVRemoteRequest* r) override {
        std::lock_guard lock(mutex_);
        ++completions;
        lastResult = r->result;
        lastParam4 = r->param4;
        cond_.notify_all();
    }
    void ZV_CALL OnProgress(IZVRemoteRequest*, uint32_t, uint32_t) override {}
    void ZV_CALL OnDisconnected() override {}
    void ZV_CALL OnStatusChanged(uint32_t) override {}
    void ZV_CALL Notify7() override {}
    void ZV_CALL OnScreenChanged() override {}
    void ZV_CALL Notify9(uint32_t, uint32_t, uint32_t) override {}
    void ZV_CALL OnMonitorData(uint32_t, const uint8_t*, uint32_t) override {}
    void ZV_CALL Notify11(uint32_t) override {}
    // As the program does: the bytes go to the file handle in data.
    int32_t ZV_CALL OnReceiveBlock(IZVRemoteRequest* r, uint32_t, const uint8_t* data, uint32_t* bytes) override {
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(r->data), data, *bytes, &written, nullptr))
            return static_cast<int32_t>(0x80070000u | (GetLastError() & 0xFFFFu));
        *bytes = written;
        return 0;
    }
    int32_t ZV_CALL Query13(uint32_t, uint32_t, uint32_t) override { return 0; }
    int32_t ZV_CALL Query14(uint32_t, uint32_t) override { return 0; }

    // Submits and waits for the completion; its result.
    int32_t run(IZVRemote* remote, IZVRemoteRequest* r) {
        std::unique_lock lock(mutex_);
        const int before = completions;
        lock.unlock();
        const int32_t submitted = remote->Submit(r);
        if (submitted < 0) return submitted;
        lock.lock();
        if (!cond_.wait_for(lock, std::chrono::seconds(10), [&] { return completions > before; }))
            return static_cast<int32_t>(0x80070102u);
        return lastResult;
    }

    std::mutex mutex_;
    std::condition_variable cond_;
    uint32_t deviceType = 0;
    int completions = 0;
    int32_t lastResult = 0;
    uint32_t lastParam4 = 0;
};

struct Found {
    std::vector<std::pair<int32_t, std::string>> devices;
};

int32_t ZV_CALL collect(const ZVUsbDeviceRecord* d, void* context) {
    static_cast<Found*>(context)->devices.emplace_back(d->kind, d->serialNumber);
    return 1;
}

TEST(ZvlkrmtDll, UsbAnalyzerFromLoadToUninitialise) {
    // A configuration file beside the DLL adds a second analyzer.
    const std::string ini = besideProgram("zvlkrmt.ini");
    {
        HANDLE f = CreateFileA(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        const char text[] = "[analyzer]\r\nserial = 30808002\r\nmodel = AN-1400\r\n";
        DWORD written = 0;
        WriteFile(f, text, sizeof text - 1, &written, nullptr);
        CloseHandle(f);
    }
    HMODULE dll = LoadLibraryA(besideProgram("zvlkrmt.dll").c_str());
    ASSERT_NE(dll, nullptr) << GetLastError();
    auto initialize = reinterpret_cast<InitializeFn>(reinterpret_cast<void*>(GetProcAddress(dll, "ZVInitializeRemote")));
    auto uninitialize = reinterpret_cast<UninitializeFn>(reinterpret_cast<void*>(GetProcAddress(dll, "ZVUninitializeRemote")));
    auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(dll, "ZVCreateRemote")));
    auto enumerate = reinterpret_cast<EnumFn>(reinterpret_cast<void*>(GetProcAddress(dll, "ZVEnumUSBDevicesEx")));
    ASSERT_TRUE(initialize && uninitialize && create && enumerate);

    ASSERT_EQ(initialize(), 0);
    Found all, an2400;
    EXPECT_EQ(enumerate(-1, collect, &all), 2u);
    EXPECT_EQ(enumerate(73731, collect, &an2400), 1u);
    ASSERT_EQ(an2400.devices.size(), 1u);
    EXPECT_EQ(an2400.devices[0].second, "30808001");
    ASSERT_EQ(all.devices.size(), 2u);
    EXPECT_EQ(all.devices[1], std::make_pair(73730, std::string("30808002")));

    IZVRemote* remote = nullptr;
    ASSERT_EQ(create(&remote), 0);
    Callback cb;
    ConnectionSettings settings;
    std::memset(&settings, 0, sizeof settings);
    settings.recordSize = sizeof settings;
    settings.method = 9;
    settings.minusOne = -1;
    std::strcpy(settings.serialPort, "COM1");
    std::strcpy(settings.usbSerialNumber, "30808001");
    settings.baudRate = 115200;
    ASSERT_EQ(remote->SetConnection(&settings), 0);
    ASSERT_EQ(remote->Advise(&cb), 0);
    ASSERT_EQ(remote->Open(), 0);

    auto request = [&](uint32_t kind, uint32_t p1 = 0, uintptr_t p2 = 0, uint32_t p3 = 0) {
        IZVRemoteRequest* r = nullptr;
        EXPECT_EQ(remote->CreateRequest(&r), 0);
        r->kind = kind;
        r->param1 = p1;
        r->param2 = p2;
        r->param3 = p3;
        return r;
    };
    auto run = [&](IZVRemoteRequest* r) {
        const int32_t result = cb.run(remote, r);
        r->Release();
        return result;
    };

    ASSERT_EQ(run(request(1)), 0);
    EXPECT_EQ(remote->GetState(), 1);
    EXPECT_EQ(cb.deviceType, 73763u);

    // The setup image into memory: the "STUP" wrapper of the AN-2400 layout.
    std::vector<uint8_t> buffer(0x10000);
    IZVRemoteRequest* setup = request(5, 0x2000, reinterpret_cast<uintptr_t>(buffer.data()), 0x10000);
    setup->data = reinterpret_cast<uintptr_t>(buffer.data());
    EXPECT_EQ(run(setup), 0);
    EXPECT_EQ(cb.lastParam4, 1824u);
    EXPECT_EQ(std::memcmp(buffer.data(), "STUP", 4), 0);

    // A short measurement, then its records into a file through OnReceiveBlock.
    EXPECT_EQ(run(request(4, 1)), 0);
    Sleep(200);
    EXPECT_EQ(run(request(4, 0)), 0);
    const std::string path = besideProgram("zvlkrmt_dll_test.tmp");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    IZVRemoteRequest* upload = request(5, 0x8101, 0, 0xC00000);
    upload->data = reinterpret_cast<uintptr_t>(file);
    EXPECT_EQ(run(upload), 0);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    CloseHandle(file);
    DeleteFileA(path.c_str());
    EXPECT_GT(cb.lastParam4, 0u);
    EXPECT_EQ(static_cast<uint64_t>(size.QuadPart), cb.lastParam4);
    EXPECT_EQ(cb.lastParam4 % 32, 0u);

    EXPECT_EQ(run(request(2)), 0);
    EXPECT_EQ(remote->Close(), 0);
    EXPECT_EQ(remote->GetState(), 0);
    EXPECT_EQ(remote->Release(), 0u);
    uninitialize();
    EXPECT_TRUE(FreeLibrary(dll));
    DeleteFileA(ini.c_str());
}

}  // namespace
