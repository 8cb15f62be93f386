// The setup window's exchanges with the analyzer. A chain requests its first area here and
// runs the transfer dialog; every further area is requested from the completion message of
// the one before. A chain that cannot start, or fails on the way (a refused area, a lost
// link), closes the dialog and says so; a receive that did not complete changes nothing.
#include <array>

#include "remote/session_messages.h"
#include "resources/ids/string_ids.h"
#include "setup/setup_transfer.h"
#include "shell/main_window_win.h"
#include "shell/progress_dialog_win.h"
#include "shell/setup_window_win.h"

namespace zv::shell {
namespace {

constexpr uint32_t kSendKey = 0x8017;
constexpr int kSendKeyPresses = 4;
constexpr Result kLinkGone = static_cast<Result>(0x80072746u);  // the analyzer's link ended

}  // namespace

bool SetupWindow::receive() { return runChain(Transfer::Receive); }

bool SetupWindow::send() {
    // The page in view keeps edits in its controls until it stores them.
    if (frame_) frame_->storeCurrent();
    for (int i = 0; i < kSendKeyPresses; ++i) main_.session->sendKey(kSendKey);
    return runChain(Transfer::Send);
}

bool SetupWindow::runChain(Transfer kind) {
    if (!main_.session || setupAreas(context_.boardType).empty()) return false;
    updateTransferButtons();
    chain_ = Chain{kind};
    if (kind == Transfer::Receive) main_.session->resetSetupBytesReceived();
    const Result started = requestArea(kind, setupAreas(context_.boardType).front());
    if (failed(started)) {
        chain_.failure = started;
    } else {
        chain_.waiting = true;
        ProgressDialog dialog(main_);
        dialog.run(window());
        chain_.waiting = false;
    }
    // The dialog closed: the chain completed or failed, or the user closed the dialog early;
    // then the areas still on their way go on arriving and the chain ends with the last.
    if (!chain_.completed && chain_.failure == kOk) return false;
    return finishChain();
}

bool SetupWindow::finishChain() {
    const Chain ended = chain_;
    chain_ = Chain{};
    updateTransferButtons();
    if (ended.failure == kOk) return ended.completed;
    const UINT textId = ended.kind == Transfer::Receive ? IDS_SETUP_RECEIVE_FAILED_FMT : IDS_SETUP_SEND_FAILED_FMT;
    MessageBoxA(window(), formatText(main_, textId, static_cast<uint32_t>(ended.failure)).c_str(),
                loadText(main_, IDS_SETUP_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
    return false;
}

Result SetupWindow::requestArea(Transfer kind, uint32_t area) {
    if (!main_.session) return kLinkGone;
    if (kind == Transfer::Receive) return main_.session->receiveBlock(area);
    const std::vector<uint8_t> wrapper = setupAreaWrapper(main_.setup, context_.boardType, area);
    if (wrapper.empty()) return kOk;
    return main_.session->sendBlock(area, wrapper.data(), static_cast<uint32_t>(wrapper.size()));
}

void SetupWindow::completion(UINT message, WPARAM wParam) {
    const std::optional<SetupCompletion> done = setupCompletionOf(message);
    const Transfer kind = done && done->received ? Transfer::Receive : Transfer::Send;
    // Completions of a chain that has ended (failed, or another kind) are not this chain's.
    if (!done || chain_.kind != kind) return;
    const auto result = static_cast<Result>(static_cast<uint32_t>(wParam));
    if (failed(result)) {
        endChain(result);
        return;
    }
    if (const uint32_t next = nextSetupArea(context_.boardType, done->area)) {
        const Result requested = requestArea(kind, next);
        if (failed(requested)) endChain(requested);
        return;
    }
    // The last area: a receive takes everything over and shows it; the session has closed
    // the transfer dialog already, a send closes it here.
    if (kind == Transfer::Receive) {
        takeOverReceived();
        if (frame_) frame_->postRefreshCurrent();
    }
    chain_.completed = true;
    if (chain_.waiting) closeTransferDialog();
    else finishChain();
}

void SetupWindow::endChain(Result failure) {
    chain_.failure = failure;
    if (chain_.waiting) closeTransferDialog();
    else finishChain();
}

void SetupWindow::closeTransferDialog() const {
    if (main_.progressDialog) PostMessageA(main_.progressDialog, WM_CLOSE, 0, 0);
}

void SetupWindow::takeOverReceived() {
    takeOverReceivedSetup(main_.receivedSetup, main_.setup, context_.boardType);
}

void SetupWindow::connectionEnded() {
    if (chain_.kind != Transfer::None && !chain_.completed && chain_.failure == kOk) endChain(kLinkGone);
    updateTransferButtons();
    if (!frame_) return;
    frame_->connectionEnded();
    frame_->postRefreshCurrent();
}

}  // namespace zv::shell
