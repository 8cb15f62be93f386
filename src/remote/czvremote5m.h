// CZVRemote5m: the program's one session with the analyzer. It owns the remote library's
// object, builds and submits every request, keeps the current request (the one a progress
// display and Cancel refer to), chains the four transfers of a capture-buffer upload into
// DATAFILE.TMP, identifies the connected model, and turns each library notification into a
// message through its SessionSink.
//
// Threads: operations run on the UI thread; callbacks arrive on the library's threads. What
// both sides touch is guarded here: the current request and the transfer buffers by one
// mutex, the upload by another, the screen-update fields and DeviceInfo by the lock the
// key-emulation panel reads through, the connection state and flags are atomics. No lock is
// held while the session calls into the remote object or posts a message that carries a
// reference, so the library may call back from inside any call the session makes.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/board_type.h"
#include "base/clock_time.h"
#include "base/result.h"
#include "remote/session_sink.h"
#include "remote/upload_file.h"
#include "remote/zvremote.h"

namespace zv {

class BufferFiles;
struct SetupWorkspace;

// The program's current analyzer model (the model settings of the configuration).
struct CurrentModel {
    std::atomic<BoardType> boardType{kDefaultBoardType};
    std::atomic<uint32_t> exBoardCode{kDefaultExBoardCode};
};

// What the session shares with the rest of the program. `setup` holds the setup areas as
// received: the setup receive completion writes it on the library's thread, and the setup
// window reads it only after the UM_SETUP_RECEIVED_* message of that receive, taking a
// complete receive over into its working copies.
struct SessionContext {
    CurrentModel& model;
    SetupWorkspace& setup;
    BufferFiles& bufferFiles;
    const ConnectionSettings& connection;
};

// 868 bytes, as the key-emulation panel and the library know it.
struct DeviceInfo {
    uint32_t recordSize = sizeof(DeviceInfo);
    BoardType boardType = kDefaultBoardType;
    uint32_t exBoardCode = kDefaultExBoardCode;
    uint32_t value = 0;  // the value reported with the board type
    std::array<uint8_t, 852> reserved{};
};
static_assert(sizeof(DeviceInfo) == 868);


using RemoteFactory = std::function<Result(IZVRemote** remote)>;

// UM_TRANSFER_PROGRESS's wParam: both counts scaled to 16 bits by the same shift.
uint32_t transferProgressParam(uint32_t done, uint32_t total);

// The text of the end-of-measurement warning for a reason code, and the number it is
// formatted with; nothing for codes that show no warning.
struct EndReasonText {
    uint32_t textId;
    std::optional<uint32_t> argument;
    bool operator==(const EndReasonText&) const = default;
};
std::optional<EndReasonText> endReasonText(uint32_t code);

// The text that says why a link ended, for the result the library ended it with: the
// analyzer's silence or the protocol problem it caused; any other result (the link broke, or
// none was reported) is the lost link.
uint32_t linkEndText(int32_t result);

// Capture-buffer blocks of an upload, in transfer order.
constexpr uint32_t kUploadBlocks[4] = {0x8100, 0x8102, 0x8101, 0x8103};
constexpr uint32_t kUploadCapacities[4] = {0x10000, 0x10000, 0xC00000, 0x10000};
constexpr uint32_t kSetupReceiveCapacity = 0x10000;
constexpr uint32_t kMonitorInformationBlock = 0x8100;
constexpr uint32_t kMonitorInformationCapacity = 0x10000;
constexpr char kUploadFileName[] = "DATAFILE.TMP";
constexpr int32_t kScreenUpdatesOff = -1;
constexpr Result kResultBusy = static_cast<Result>(0x800700AAu);  // an upload already runs

class CZVRemote5m : public IZVRemoteCallback {
public:
    CZVRemote5m(SessionSink& sink, const SessionContext& context);
    CZVRemote5m(const CZVRemote5m&) = delete;
    CZVRemote5m& operator=(const CZVRemote5m&) = delete;

    // IZVRemoteCallback, in slot order.
    int32_t ZV_CALL OnDeviceType(uint32_t boardType, uint32_t value) override;
    void ZV_CALL OnDeviceChanged() override;
    void ZV_CALL OnStateChanged() override;
    void ZV_CALL OnRequestDone(IZVRemoteRequest* request) override;
    void ZV_CALL OnProgress(IZVRemoteRequest* request, uint32_t done, uint32_t total) override;
    void ZV_CALL OnDisconnected() override;
    void ZV_CALL OnStatusChanged(uint32_t flags) override;
    void ZV_CALL Notify7() override;
    void ZV_CALL OnScreenChanged() override;
    void ZV_CALL Notify9(uint32_t a, uint32_t b, uint32_t c) override;
    void ZV_CALL OnMonitorData(uint32_t block, const uint8_t* data, uint32_t bytes) override;
    void ZV_CALL Notify11(uint32_t a) override;
    int32_t ZV_CALL OnReceiveBlock(IZVRemoteRequest* request, uint32_t value, const uint8_t* data,
                                   uint32_t* bytes) override;
    int32_t ZV_CALL Query13(uint32_t a, uint32_t b, uint32_t c) override;
    int32_t ZV_CALL Query14(uint32_t a, uint32_t b) override;
    // Decodes a received setup area into the working setup of the current family.
    virtual void ZV_CALL ProcessSetupBlock(const uint8_t* data, uint32_t bytes, uint32_t code);
    // Releases the current request and the remote object. Close the link first: the library
    // must not call back into a session being destroyed.
    virtual ~CZVRemote5m();

    // Operations of the main window and the setup window (UI thread). Each returns the
    // library's result, or 0x80004003 when there is no remote object.
    Result createRemote(RemoteFactory factory = [](IZVRemote** remote) { return ZVCreateRemote(remote); });
    Result applySettings();
    Result connect();
    Result disconnect();
    Result startMeasurement();
    Result stopMeasurement();
    // The submission's result is not reported; 0 without a remote object.
    Result sendKey(uint32_t code);
    Result setClock(const ClockTime& time);
    // Receives a setup area into a buffer of the session's own (freed at completion); the
    // request becomes current.
    Result receiveBlock(uint32_t code, uint32_t capacity = kSetupReceiveCapacity);
    // Sends a copy of data as a setup area; the request becomes current.
    Result sendBlock(uint32_t code, const uint8_t* data, uint32_t length);
    // Uploads the capture buffer into DATAFILE.TMP in the data folder.
    Result startUpload();
    // 1 when no request is current.
    Result cancelCurrent();

    // Services for the key-emulation panel (any thread).
    uint32_t addReference();
    uint32_t referenceCount() const;
    // out gets the remote object with a new reference; 0x80004003 and null without one.
    Result getRemote(IZVRemote** out);
    BoardType getBoardType(uint32_t* exBoardCode = nullptr) const;
    // Milliseconds, or a negative value to stop screen updates.
    void setScreenInterval(int32_t milliseconds);

    // State for the windows and the tools.
    int32_t connectionState() const { return connectionState_.load(); }
    DeviceInfo deviceInfo() const;
    bool hasCurrentRequest() const;
    bool uploadRunning() const;
    // Bytes of setup areas received since the last reset (the setup window resets it before
    // each transfer).
    uint32_t setupBytesReceived() const { return setupBytesReceived_.load(); }
    void resetSetupBytesReceived() { setupBytesReceived_.store(0); }
    // Where DATAFILE.TMP is created; tests put a failing file in.
    void setUploadFileOpener(UploadFileOpener opener);

    // What the main window's handlers do with the reference a message carries: the request
    // of UM_REQUEST_DONE is released, the remote of UM_REMOTE_CLOSE closed and released.
    static void releaseRequestMessage(uintptr_t lParam);
    static void closeRemoteMessage(uintptr_t lParam);
    // UM_REMOTE_CLOSE while the session exists: wParam names the link the close was posted
    // for. A close that arrives after the next connect has started is for a link that is gone
    // already and must not end the new one; its reference is released all the same.
    void closeRemoteMessage(uintptr_t wParam, uintptr_t lParam);

private:
    enum class BufferUse { SetupReceive, SetupSend, MonitorInformation };
    struct TransferBuffer {
        BufferUse use;
        std::unique_ptr<uint8_t[]> bytes;
        uint32_t capacity;
    };
    struct Upload {
        std::unique_ptr<UploadFile> file;
        // The file is written under a temporary name and takes the name of the working file
        // only when complete: a failed or cancelled upload leaves the previous one as it was.
        std::string temporaryPath;
        std::string path;
        IZVRemoteRequest* request = nullptr;  // the block in transfer, with a reference
        int index = -1;                       // its place in kUploadBlocks
        int postedIndex = -1;                 // the last block whose step was posted
    };

    IZVRemote* remote() const { return remote_.load(); }
    IZVRemote* takeRemoteReference() const;

    // CreateRequest, fill, Submit, release the creating reference. A request that becomes
    // current is made current before Submit, so that its completion always finds it.
    Result submit(IZVRemote* remote, const std::function<void(IZVRemoteRequest&)>& fill, bool makeCurrent,
                  std::optional<TransferBuffer> buffer = std::nullopt);
    void setCurrent(IZVRemoteRequest* request);
    // Clears the current request when it is this one; true if it was.
    bool clearCurrentIf(IZVRemoteRequest* request);
    std::optional<TransferBuffer> takeBuffer(IZVRemoteRequest* request);

    void postReference(uint32_t message, IZVRemoteRequest* request);
    void postRemoteClose();
    void completeReceive(IZVRemoteRequest& request);
    void completeSend(IZVRemoteRequest& request);
    void completeMeasurement(IZVRemoteRequest& request);
    void completeWaitEvent(IZVRemoteRequest& request);
    void completeMonitorInformation(IZVRemoteRequest& request, TransferBuffer& buffer);
    Result startMonitorInformation();

    // Upload chain.
    Result submitUploadBlock(int index, UploadFile* file);
    void completeUploadBlock(IZVRemoteRequest& request);
    void postUploadStepLocked(int index);
    void finishUploadLocked(Result result);

    SessionSink& sink_;
    SessionContext context_;
    UploadFileOpener uploadOpener_ = createUploadFile;

    std::atomic<uint32_t> references_{1};
    std::atomic<uint32_t> linkNumber_{0};  // counts connects: which link a UM_REMOTE_CLOSE is for
    std::atomic<IZVRemote*> remote_{nullptr};
    std::atomic<int32_t> connectionState_{0};
    std::atomic<uint32_t> linkEndResult_{0};  // from Notify11, for the next OnDisconnected
    std::atomic<bool> monitorReceive_{false};
    std::atomic<uint32_t> setupBytesReceived_{0};

    mutable std::mutex requestMutex_;  // current request and transfer buffers
    IZVRemoteRequest* current_ = nullptr;
    std::map<IZVRemoteRequest*, TransferBuffer> buffers_;  // each key holds a reference

    mutable std::mutex uploadMutex_;
    Upload upload_;

    mutable std::mutex lock_;  // DeviceInfo and the screen-update fields
    DeviceInfo deviceInfo_;
    bool screenUpdatesEnabled_ = true;
    int32_t screenInterval_ = kScreenUpdatesOff;
};

}  // namespace zv
