#include "remote/czvremote5m.h"

#include <algorithm>
#include <array>
#include <utility>

#include "capture/buffer_files.h"
#include "capture/file_system.h"
#include "remote/session_messages.h"
#include "setup/setup_areas.h"

namespace zv {
namespace {

using namespace zv::remote_api;

constexpr uint8_t kDataFileSignature[16] = {'Z', 'E', 'V', 'R', 'O', 'N', 'A', ' ', 'D', 'A', 'T', 'A', ' ', ' ', ' ', '\0'};
constexpr uint32_t kUploadSteps[4] = {kUploadStepInformation, kUploadStepSummary, kUploadStepRecords,
                                      kUploadStepTrailer};

// The option-board name the configuration stores for an ExBoardCode.
std::string_view exBoardName(uint32_t exBoardCode) {
    switch (exBoardCode) {
        case 7: return "EX-NB2A";
        case 8: return "EX-NB2AP";
        case 20: return "EX-NB3BP";
        default: return "";
    }
}

int uploadIndexOf(uint32_t code) {
    for (int i = 0; i < 4; ++i)
        if (kUploadBlocks[i] == code) return i;
    return -1;
}

uint32_t setupMessage(uint32_t code, bool received) {
    switch (code) {
        case kAreaSetupImage: return received ? UM_SETUP_RECEIVED_2000 : UM_SETUP_SENT_2000;
        case kAreaCanTransmitTables: return received ? UM_SETUP_RECEIVED_6000 : UM_SETUP_SENT_6000;
        case kAreaLinTransmitTables: return received ? UM_SETUP_RECEIVED_6100 : UM_SETUP_SENT_6100;
        default: return 0;
    }
}

uintptr_t resultParam(Result r) { return static_cast<uintptr_t>(static_cast<uint32_t>(r)); }

}  // namespace

uint32_t transferProgressParam(uint32_t done, uint32_t total) {
    if (total >= 0x7FFFu) {
        const unsigned shift = total < 0x7FFFFFu ? 8 : 16;
        total >>= shift;
        done >>= shift;
    }
    return ((total & 0xFFFFu) << 16) | (done & 0xFFFFu);
}

std::optional<EndReasonText> endReasonText(uint32_t code) {
    if (code >= 4 && code <= 9) return EndReasonText{kStringEndReasonFirst + (code - 4), std::nullopt};
    if (code >= 0xF000 && code <= 0xF7FF) return EndReasonText{kStringEndReasonF000, code - 0xF000};
    if (code >= 0xF800 && code <= 0xFFFF) return EndReasonText{kStringEndReasonF800, code - 0xF800};
    if (code >= 0x10000 && code <= 0x1003F) return EndReasonText{kStringEndReason10000, code - 0x10000};
    return std::nullopt;
}

uint32_t linkEndText(int32_t result) {
    switch (result) {
        case remote_api::kResultTimeout: return kStringLinkStoppedAnswering;
        case remote_api::kResultMalformedFrame: return kStringLinkMalformedFrame;
        case remote_api::kResultWrongLength: return kStringLinkWrongLength;
        case remote_api::kResultUnexpectedCompletion: return kStringLinkUnexpectedCompletion;
        case remote_api::kResultUnrequestedData: return kStringLinkUnrequestedData;
        default: return kStringLinkLost;
    }
}

CZVRemote5m::CZVRemote5m(SessionSink& sink, const SessionContext& context) : sink_(sink), context_(context) {}

CZVRemote5m::~CZVRemote5m() {
    // The remote first. A message still on its way may hold a reference of its own and keep
    // the library's thread running, so the session unadvises itself before it lets go: once
    // Advise returns, no notification is under way or can start.
    if (IZVRemote* remote = remote_.exchange(nullptr)) {
        remote->Advise(nullptr);
        remote->Release();
    }
    IZVRemoteRequest* current = nullptr;
    std::map<IZVRemoteRequest*, TransferBuffer> buffers;
    {
        std::lock_guard lock(requestMutex_);
        current = std::exchange(current_, nullptr);
        buffers.swap(buffers_);
    }
    if (current) current->Release();
    for (auto& entry : buffers) entry.first->Release();
    std::lock_guard lock(uploadMutex_);
    if (upload_.file) upload_.file->close();
    if (upload_.request) upload_.request->Release();
    upload_ = Upload{};
}

// --- requests --------------------------------------------------------------------------------

IZVRemote* CZVRemote5m::takeRemoteReference() const {
    IZVRemote* remote = remote_.load();
    if (remote) remote->AddRef();
    return remote;
}

void CZVRemote5m::setCurrent(IZVRemoteRequest* request) {
    request->AddRef();
    IZVRemoteRequest* old = nullptr;
    {
        std::lock_guard lock(requestMutex_);
        old = std::exchange(current_, request);
    }
    if (old) old->Release();
}

bool CZVRemote5m::clearCurrentIf(IZVRemoteRequest* request) {
    {
        std::lock_guard lock(requestMutex_);
        if (!request || current_ != request) return false;
        current_ = nullptr;
    }
    request->Release();
    return true;
}

std::optional<CZVRemote5m::TransferBuffer> CZVRemote5m::takeBuffer(IZVRemoteRequest* request) {
    std::optional<TransferBuffer> buffer;
    {
        std::lock_guard lock(requestMutex_);
        auto it = buffers_.find(request);
        if (it == buffers_.end()) return std::nullopt;
        buffer = std::move(it->second);
        buffers_.erase(it);
    }
    request->Release();
    return buffer;
}

Result CZVRemote5m::submit(IZVRemote* remote, const std::function<void(IZVRemoteRequest&)>& fill, bool makeCurrent,
                           std::optional<TransferBuffer> buffer) {
    IZVRemoteRequest* request = nullptr;
    Result r = remote->CreateRequest(&request);
    if (failed(r)) return r;
    if (!request) return kPointerMissing;
    fill(*request);
    // Everything the completion looks for is in place before the library can complete it.
    if (buffer) {
        request->AddRef();
        std::lock_guard lock(requestMutex_);
        buffers_.insert_or_assign(request, std::move(*buffer));
    }
    if (makeCurrent) setCurrent(request);
    r = remote->Submit(request);
    if (failed(r)) {
        if (makeCurrent) clearCurrentIf(request);
        takeBuffer(request);
    }
    request->Release();
    return r;
}

Result CZVRemote5m::createRemote(RemoteFactory factory) {
    if (remote()) return applySettings();
    IZVRemote* remote = nullptr;
    const Result r = factory ? factory(&remote) : kPointerMissing;
    if (failed(r)) return r;
    if (!remote) return kPointerMissing;
    remote_.store(remote);
    return applySettings();
}

Result CZVRemote5m::applySettings() {
    const BoardType boardType = context_.model.boardType.load();
    if (isSupportedBoard(boardType)) {
        std::lock_guard lock(lock_);
        deviceInfo_.boardType = boardType;
        deviceInfo_.exBoardCode = context_.model.exBoardCode.load();
    }
    OnDeviceChanged();
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    const Result r = remote->SetConnection(&context_.connection);
    if (succeeded(r)) remote->Advise(this);
    return r;
}

Result CZVRemote5m::connect() {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    Result r = remote->Open();
    if (failed(r)) return r;
    // A close still on its way for the link before this one must leave this one alone.
    linkNumber_.fetch_add(1);
    linkEndResult_.store(0);
    r = submit(remote, [](IZVRemoteRequest& q) { q.kind = kRequestConnect; }, false);
    if (failed(r)) remote->Close();
    return r;
}

Result CZVRemote5m::disconnect() {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    return submit(remote, [](IZVRemoteRequest& q) { q.kind = kRequestDisconnect; }, false);
}

Result CZVRemote5m::startMeasurement() {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    return submit(remote, [](IZVRemoteRequest& q) {
        q.kind = kRequestMeasurement;
        q.param1 = 1;
    }, false);
}

Result CZVRemote5m::stopMeasurement() {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    return submit(remote, [](IZVRemoteRequest& q) {
        q.kind = kRequestMeasurement;
        q.param1 = 0;
    }, false);
}

Result CZVRemote5m::sendKey(uint32_t code) {
    IZVRemote* remote = this->remote();
    if (!remote) return kOk;
    submit(remote, [code](IZVRemoteRequest& q) {
        q.kind = kRequestKey;
        q.param1 = code;
    }, false);
    return kOk;
}

Result CZVRemote5m::setClock(const ClockTime& t) {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    auto pair = [](uint16_t low, uint16_t high) { return static_cast<uint32_t>(low) | static_cast<uint32_t>(high) << 16; };
    return submit(remote, [&](IZVRemoteRequest& q) {
        q.kind = kRequestSetClock;
        q.param1 = pair(t.year, t.month);
        q.param2 = pair(t.dayOfWeek, t.day);
        q.param3 = pair(t.hour, t.minute);
        q.param4 = pair(t.second, t.milliseconds);
    }, false);
}

Result CZVRemote5m::receiveBlock(uint32_t code, uint32_t capacity) {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    if (capacity == 0) return resultFromSystemError(kErrorInvalidParameter);
    TransferBuffer buffer{BufferUse::SetupReceive, std::make_unique<uint8_t[]>(capacity), capacity};
    const uintptr_t memory = reinterpret_cast<uintptr_t>(buffer.bytes.get());
    return submit(remote, [&](IZVRemoteRequest& q) {
        q.kind = kRequestReceive;
        q.data = memory;
        q.param1 = code;
        q.param2 = memory;
        q.param3 = capacity;
    }, true, std::move(buffer));
}

Result CZVRemote5m::sendBlock(uint32_t code, const uint8_t* data, uint32_t length) {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    if (!data || length == 0) return resultFromSystemError(kErrorInvalidParameter);
    TransferBuffer buffer{BufferUse::SetupSend, std::make_unique<uint8_t[]>(length), length};
    std::copy(data, data + length, buffer.bytes.get());
    const uintptr_t memory = reinterpret_cast<uintptr_t>(buffer.bytes.get());
    return submit(remote, [&](IZVRemoteRequest& q) {
        q.kind = kRequestSend;
        q.data = memory;
        q.param1 = code;
        q.param2 = memory;
        q.param3 = length;
    }, true, std::move(buffer));
}

Result CZVRemote5m::startMonitorInformation() {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    monitorReceive_.store(true);
    TransferBuffer buffer{BufferUse::MonitorInformation, std::make_unique<uint8_t[]>(kMonitorInformationCapacity),
                          kMonitorInformationCapacity};
    const uintptr_t memory = reinterpret_cast<uintptr_t>(buffer.bytes.get());
    return submit(remote, [&](IZVRemoteRequest& q) {
        q.kind = kRequestReceive;
        q.data = memory;
        q.param1 = kMonitorInformationBlock;
        q.param2 = memory;
        q.param3 = kMonitorInformationCapacity;
    }, true, std::move(buffer));
}

Result CZVRemote5m::cancelCurrent() {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    {
        std::lock_guard lock(requestMutex_);
        if (!current_) return kFalse;
    }
    return remote->Cancel();
}

// --- upload ----------------------------------------------------------------------------------

void CZVRemote5m::setUploadFileOpener(UploadFileOpener opener) {
    std::lock_guard lock(uploadMutex_);
    uploadOpener_ = opener ? std::move(opener) : UploadFileOpener(createUploadFile);
}

bool CZVRemote5m::uploadRunning() const {
    std::lock_guard lock(uploadMutex_);
    return upload_.file != nullptr;
}

Result CZVRemote5m::startUpload() {
    monitorReceive_.store(false);
    if (!remote()) return kPointerMissing;
    UploadFileOpener opener;
    {
        std::lock_guard lock(uploadMutex_);
        if (upload_.file) return kResultBusy;
        opener = uploadOpener_;
    }
    std::unique_ptr<UploadFile> file;
    const std::string path = joinPath(sink_.dataFolder(), kUploadFileName);
    const std::string temporaryPath = temporaryPathFor(path);
    Result r = opener(temporaryPath, file);
    if (failed(r)) return r;
    if (!file) return kFail;
    // Room for the signature, which is written once everything else arrived.
    static constexpr std::array<uint8_t, 16> kZeros{};
    r = file->write(kZeros.data(), kZeros.size());
    if (failed(r)) {
        file->close();
        realFileSystem().remove(temporaryPath);
        return r;
    }
    UploadFile* raw = file.get();
    {
        std::lock_guard lock(uploadMutex_);
        if (upload_.file) {
            file->close();
            realFileSystem().remove(temporaryPath);
            return kResultBusy;
        }
        upload_ = Upload{};
        upload_.file = std::move(file);
        upload_.temporaryPath = temporaryPath;
        upload_.path = path;
    }
    r = submitUploadBlock(0, raw);
    std::lock_guard lock(uploadMutex_);
    if (upload_.file.get() != raw) return r;  // already completed, and its step posted
    if (failed(r)) {
        // Refused at once: the caller reports it; no UM_UPLOAD_DONE.
        upload_.file->close();
        realFileSystem().remove(upload_.temporaryPath);
        if (upload_.request) upload_.request->Release();
        upload_ = Upload{};
        return r;
    }
    postUploadStepLocked(0);
    return r;
}

Result CZVRemote5m::submitUploadBlock(int index, UploadFile* file) {
    IZVRemote* remote = this->remote();
    if (!remote) return kPointerMissing;
    IZVRemoteRequest* request = nullptr;
    Result r = remote->CreateRequest(&request);
    if (failed(r)) return r;
    if (!request) return kPointerMissing;
    request->kind = kRequestReceive;
    request->data = reinterpret_cast<uintptr_t>(file);
    request->param1 = kUploadBlocks[index];
    request->param2 = 0;  // into a file
    request->param3 = kUploadCapacities[index];
    {
        std::lock_guard lock(uploadMutex_);
        request->AddRef();
        if (upload_.request) upload_.request->Release();
        upload_.request = request;
        upload_.index = index;
    }
    setCurrent(request);
    r = remote->Submit(request);
    if (failed(r)) {
        clearCurrentIf(request);
        std::lock_guard lock(uploadMutex_);
        if (upload_.request == request) {
            upload_.request = nullptr;
            request->Release();
        }
    }
    request->Release();
    return r;
}

void CZVRemote5m::postUploadStepLocked(int index) {
    if (upload_.postedIndex >= index) return;
    upload_.postedIndex = index;
    sink_.postMain(UM_UPLOAD_STEP, kUploadSteps[index], 0);
}

void CZVRemote5m::finishUploadLocked(Result result) {
    if (upload_.file) {
        const Result closed = upload_.file->close();
        if (succeeded(result) && failed(closed)) result = closed;
        if (succeeded(result)) result = replaceFile(upload_.temporaryPath, upload_.path);
        // A failed, cancelled or unplaceable upload is no data file: the last complete one stays.
        if (failed(result)) realFileSystem().remove(upload_.temporaryPath);
    }
    if (upload_.request) upload_.request->Release();
    upload_ = Upload{};
    sink_.postMain(UM_UPLOAD_DONE, resultParam(result), 0);
}

void CZVRemote5m::completeUploadBlock(IZVRemoteRequest& request) {
    UploadFile* file = nullptr;
    int next = -1;
    {
        std::lock_guard lock(uploadMutex_);
        if (!upload_.file || upload_.request != &request) return;  // not this upload's block
        const int index = upload_.index;
        const Result result = request.result;
        postUploadStepLocked(index);
        upload_.request = nullptr;
        request.Release();  // the library holds the request for the length of the callback
        if (failed(result)) {
            finishUploadLocked(result);
            return;
        }
        if (index == 3) {
            UploadFile& f = *upload_.file;
            Result r = f.setEndHere();
            if (succeeded(r)) r = f.seekToStart();
            if (succeeded(r)) r = f.write(kDataFileSignature, sizeof kDataFileSignature);
            finishUploadLocked(r);
            return;
        }
        file = upload_.file.get();
        next = index + 1;
    }
    const Result r = submitUploadBlock(next, file);
    std::lock_guard lock(uploadMutex_);
    if (upload_.file.get() != file) return;  // the next block completed meanwhile
    if (failed(r)) {
        finishUploadLocked(r);
        return;
    }
    postUploadStepLocked(next);
}

// --- services --------------------------------------------------------------------------------

uint32_t CZVRemote5m::addReference() { return references_.fetch_add(1) + 1; }

uint32_t CZVRemote5m::referenceCount() const { return references_.load(); }

Result CZVRemote5m::getRemote(IZVRemote** out) {
    if (!out) return kPointerMissing;
    *out = takeRemoteReference();
    return *out ? kOk : kPointerMissing;
}

BoardType CZVRemote5m::getBoardType(uint32_t* exBoardCode) const {
    std::lock_guard lock(lock_);
    if (exBoardCode) *exBoardCode = deviceInfo_.exBoardCode;
    return deviceInfo_.boardType;
}

DeviceInfo CZVRemote5m::deviceInfo() const {
    std::lock_guard lock(lock_);
    return deviceInfo_;
}

bool CZVRemote5m::hasCurrentRequest() const {
    std::lock_guard lock(requestMutex_);
    return current_ != nullptr;
}

void CZVRemote5m::setScreenInterval(int32_t milliseconds) {
    std::optional<int32_t> call;
    {
        std::lock_guard lock(lock_);
        if (milliseconds < 0) {
            if (screenInterval_ != kScreenUpdatesOff) {
                screenInterval_ = kScreenUpdatesOff;
                call = kScreenUpdatesOff;
            }
        } else if (milliseconds != screenInterval_) {
            screenInterval_ = milliseconds;
            call = milliseconds;
        }
        if (!screenUpdatesEnabled_) call.reset();
    }
    if (!call) return;
    if (IZVRemote* remote = takeRemoteReference()) {
        remote->SetScreenInterval(*call);
        remote->Release();
    }
}

void CZVRemote5m::releaseRequestMessage(uintptr_t lParam) {
    if (auto* request = reinterpret_cast<IZVRemoteRequest*>(lParam)) request->Release();
}

void CZVRemote5m::closeRemoteMessage(uintptr_t lParam) {
    if (auto* remote = reinterpret_cast<IZVRemote*>(lParam)) {
        remote->Close();
        remote->Release();
    }
}

void CZVRemote5m::closeRemoteMessage(uintptr_t wParam, uintptr_t lParam) {
    auto* remote = reinterpret_cast<IZVRemote*>(lParam);
    if (!remote) return;
    if (static_cast<uint32_t>(wParam) == linkNumber_.load()) {
        remote->Close();
        // A link closed here reports no state change of its own when the close overtook the
        // library's end of it: without this the session would stay connected to a closed link,
        // and a close of the window would ask to disconnect it again and again.
        OnStateChanged();
    }
    remote->Release();
}

// --- callbacks -------------------------------------------------------------------------------

int32_t ZV_CALL CZVRemote5m::OnDeviceType(uint32_t boardType, uint32_t value) {
    const BoardInfo* board = findBoard(boardType);
    {
        std::lock_guard lock(lock_);
        deviceInfo_ = DeviceInfo{};
        deviceInfo_.boardType = boardType;
        // The option board is part of the board type: keep the pair consistent.
        deviceInfo_.exBoardCode = board ? board->exBoardCode : 0;
        deviceInfo_.value = value;
    }
    if (!board) return 0;
    sink_.setBoardText(board->text);
    context_.model.boardType.store(boardType);
    // The configuration must read back as this board: its exboard name comes from the board,
    // not from whatever option board was current before.
    context_.model.exBoardCode.store(board->exBoardCode);
    sink_.writeModelKeys(board->model, exBoardName(board->exBoardCode));
    return 1;
}

void ZV_CALL CZVRemote5m::OnDeviceChanged() { sink_.postKeyEmulation(kKeyEmuModelChanged); }

void ZV_CALL CZVRemote5m::OnStateChanged() {
    IZVRemote* remote = takeRemoteReference();
    const int32_t state = remote ? remote->GetState() : 0;
    connectionState_.store(state);
    sink_.postKeyEmulation(kKeyEmuConnectionChanged);
    const int32_t again = remote ? remote->GetState() : 0;
    if (remote) remote->Release();
    sink_.postMain(UM_CONNECTION_STATE, 0, static_cast<uintptr_t>(static_cast<uint32_t>(again)));
}

void CZVRemote5m::postReference(uint32_t message, IZVRemoteRequest* request) {
    request->AddRef();
    if (!sink_.postMain(message, 0, reinterpret_cast<uintptr_t>(request))) request->Release();
}

void CZVRemote5m::postRemoteClose() {
    IZVRemote* remote = takeRemoteReference();
    if (!remote) return;
    if (!sink_.postMain(UM_REMOTE_CLOSE, linkNumber_.load(), reinterpret_cast<uintptr_t>(remote))) {
        // Nobody will close it on the UI thread: the library takes a close from a callback.
        remote->Close();
        remote->Release();
    }
}

void ZV_CALL CZVRemote5m::OnRequestDone(IZVRemoteRequest* request) {
    if (!request) return;
    postReference(UM_REQUEST_DONE, request);
    if (!remote()) return;
    switch (request->kind) {
        case kRequestConnect:
            if (succeeded(request->result)) break;
            postRemoteClose();
            break;
        case kRequestDisconnect: postRemoteClose(); break;
        case kRequestMeasurement: completeMeasurement(*request); break;
        case kRequestReceive: completeReceive(*request); break;
        case kRequestSend: completeSend(*request); break;
        case kRequestWaitEvent: completeWaitEvent(*request); break;
        default: break;
    }
}

void CZVRemote5m::completeMeasurement(IZVRemoteRequest& request) {
    if (!sink_.monitoring()) return;
    // A refused start measures nothing: no information to fetch, no end to wait for. The main
    // window takes back the measurement it prepared.
    if (request.param1 != 0 && failed(request.result)) return;
    if (request.param2 != 0) {
        startMonitorInformation();
    } else if (request.param1 != 0) {
        IZVRemote* remote = this->remote();
        if (!remote) return;
        submit(remote, [](IZVRemoteRequest& q) {
            q.kind = kRequestWaitEvent;
            q.param1 = kEventMeasurementEnded;
            q.param2 = 0;
        }, false);
    }
}

void CZVRemote5m::completeReceive(IZVRemoteRequest& request) {
    clearCurrentIf(&request);
    if (std::optional<TransferBuffer> buffer = takeBuffer(&request)) {
        if (buffer->use == BufferUse::MonitorInformation) {
            completeMonitorInformation(request, *buffer);
            return;
        }
        const uint32_t message = setupMessage(request.param1, true);
        if (message == 0) return;
        // The count comes from the library; never read past what the buffer holds. A failed
        // read (a lost link) is decoded too, into the received copies only: the setup window
        // learns the result from wParam, ends its chain and takes nothing over.
        const uint32_t bytes = std::min(request.param4, buffer->capacity);
        ProcessSetupBlock(buffer->bytes.get(), bytes, request.param1);
        buffer.reset();
        sink_.postSetup(message, static_cast<uint32_t>(request.result), 0);
        return;
    }
    if (uploadIndexOf(request.param1) >= 0) completeUploadBlock(request);
}

void CZVRemote5m::completeSend(IZVRemoteRequest& request) {
    clearCurrentIf(&request);
    takeBuffer(&request);
    if (const uint32_t message = setupMessage(request.param1, false))
        sink_.postSetup(message, static_cast<uint32_t>(request.result), 0);
}

void CZVRemote5m::completeWaitEvent(IZVRemoteRequest& request) {
    if (request.param2 == 0 || request.param1 != kEventMeasurementEnded) return;
    if (const std::optional<EndReasonText> text = endReasonText(request.param3))
        sink_.showWarning(kStringEndReasonCaption, text->textId, text->argument);
    sink_.postMain(UM_MEASUREMENT_ENDED, 0, 0);
}

void CZVRemote5m::completeMonitorInformation(IZVRemoteRequest& request, TransferBuffer& buffer) {
    monitorReceive_.store(false);
    BufferFiles& files = context_.bufferFiles;
    const bool ok = succeeded(request.result);
    const uint32_t bytes = std::min(request.param4, buffer.capacity);
    // An empty answer carries no block: keep the one the files have.
    if (ok && bytes > 0) files.setDataInfo(buffer.bytes.get(), bytes);
    if (sink_.monitoring()) {
        if (ok) return;
        files.finishBufferFile();
    } else {
        files.finishBufferFile();
        // The measurement ended before the block arrived: the file written last gets it.
        const LastWrittenFile last = files.lastWrittenFile();
        if (ok && bytes > 0 && last.number >= 0)
            rewriteDataFileHeader(last.path, context_.model.boardType.load(), files.dataInfo());
    }
    sink_.postMain(UM_MONITOR_FILE_CLOSED, 0, 0);
}

void ZV_CALL CZVRemote5m::OnProgress(IZVRemoteRequest* request, uint32_t done, uint32_t total) {
    {
        std::lock_guard lock(requestMutex_);
        if (!request || request != current_) return;
    }
    sink_.postMain(UM_TRANSFER_PROGRESS, transferProgressParam(done, total), reinterpret_cast<uintptr_t>(request));
}

void ZV_CALL CZVRemote5m::OnDisconnected() {
    connectionState_.store(0);
    const uint32_t reason = linkEndResult_.exchange(0);
    if (IZVRemote* remote = this->remote()) {
        remote->Close();
        sink_.postMain(UM_CONNECTION_LOST, reason, 0);
    }
    if (sink_.uploadDialogResult() == 0 && sink_.progressDialogOpen()) sink_.cancelProgressDialog();
}

void ZV_CALL CZVRemote5m::OnStatusChanged(uint32_t flags) {
    if ((flags & kStatusMeasuring) == 0) sink_.postMain(UM_MEASUREMENT_ENDED, 0, 0);
}

void ZV_CALL CZVRemote5m::Notify7() {}

void ZV_CALL CZVRemote5m::OnScreenChanged() { sink_.postKeyEmulation(kKeyEmuScreenChanged); }

void ZV_CALL CZVRemote5m::Notify9(uint32_t, uint32_t, uint32_t) {}

void ZV_CALL CZVRemote5m::OnMonitorData(uint32_t block, const uint8_t* data, uint32_t bytes) {
    if (!data || bytes == 0 || !sink_.monitoring()) return;
    context_.bufferFiles.appendMonitorBlock(block, data, bytes);
}

// Our library calls it with the result a link ended with, right before OnDisconnected.
void ZV_CALL CZVRemote5m::Notify11(uint32_t result) { linkEndResult_.store(result); }

int32_t ZV_CALL CZVRemote5m::OnReceiveBlock(IZVRemoteRequest* request, uint32_t, const uint8_t* data,
                                            uint32_t* bytes) {
    if (!request || !bytes || uploadIndexOf(request->param1) < 0) return kOk;
    std::lock_guard lock(uploadMutex_);
    // Only the block in transfer, into the file this session opened for it.
    if (!upload_.file || upload_.request != request || request->data != reinterpret_cast<uintptr_t>(upload_.file.get()))
        return kOk;
    if (*bytes == 0) return kOk;
    if (!data) {
        *bytes = 0;
        return resultFromSystemError(kErrorInvalidParameter);
    }
    const Result r = upload_.file->write(data, *bytes);
    if (failed(r)) *bytes = 0;
    return r;
}

int32_t ZV_CALL CZVRemote5m::Query13(uint32_t, uint32_t, uint32_t) { return 0; }

int32_t ZV_CALL CZVRemote5m::Query14(uint32_t, uint32_t) { return 0; }

void ZV_CALL CZVRemote5m::ProcessSetupBlock(const uint8_t* data, uint32_t bytes, uint32_t code) {
    const BoardType boardType = context_.model.boardType.load();
    const BoardInfo* board = findBoard(boardType);
    const bool canOnly = board && board->layout == SetupLayout::CanOnly;
    SetupWorkspace& setup = context_.setup;
    const size_t available = data ? bytes : 0;
    // The received area goes straight into the working copy: what parsed stays even when a
    // later record fails, as the setup window expects of a receive.
    switch (code) {
        case kAreaSetupImage:
            if (!board || !data) break;
            if (canOnly)
                parseSetupWrapper(setup.canOnlyImage, data, available, boardType);
            else
                parseSetupWrapper(setup.image, data, available, boardType);
            break;
        case kAreaCanTransmitTables:
            if (data) parseCanTablesWrapper(setup.canTables, data, available, boardType);
            if (canOnly) sink_.closeProgressDialog();
            break;
        case kAreaLinTransmitTables:
            if (data) parseLinTablesWrapper(setup.linTables, data, available, boardType);
            sink_.closeProgressDialog();
            break;
        default: break;
    }
    setupBytesReceived_.fetch_add(bytes);
}

}  // namespace zv
