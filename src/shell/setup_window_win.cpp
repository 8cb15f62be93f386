// The setup window: opening (with the automatic receive), its toolbar and commands, and
// closing (with the automatic send). Files and transfers are in setup_files_win.cpp and
// setup_transfer_win.cpp.
#include "shell/setup_window_win.h"

#include <commctrl.h>

#include "remote/session_messages.h"
#include "resources/ids/setup_window_res.h"
#include "resources/ids/string_ids.h"
#include "resources/program_res.h"
#include "setup/setup_rules.h"
#include "setup/setup_transfer.h"
#include "shell/main_window_win.h"
#include "shell/profile_store_win.h"

namespace zv::shell {
namespace {

constexpr int kToolbarImages = 64;

struct SetupButton {
    int command;
    int image;
    int text;  // index of the button's text (its tool tip)
};
// A command of 0 is a separator.
constexpr SetupButton kSetupButtons[] = {
    {0, 0, 0},
    {IDM_SETUP_OPEN_FILE, 13, 0},
    {IDM_SETUP_SAVE_FILE, 14, 1},
    {0, 0, 0},
    {IDM_SETUP_RECEIVE, 11, 3},
    {IDM_SETUP_SEND, 12, 2},
};

SetupEditorContext makeContext(MainWindow& main) {
    const BoardType board = main.model.boardType.load();
    const BoardInfo* info = findBoard(board);
    SetupEditorContext context{main, main.setup, 0, false, 4000, 0, 0, {}};
    context.boardType = board;
    context.linAvailable = info && info->linAvailable;
    context.linBitRateMinimum = linBitRateMinimum(info ? info->model : std::string_view());
    context.remoteModel = info ? std::string(info->model) : std::string();
    return context;
}

}  // namespace

SetupWindow::SetupWindow(MainWindow& main) : main_(main), context_(makeContext(main)) {}

SetupWindow::~SetupWindow() {
    if (main_.sink) main_.sink->setSetupWindow(nullptr);
}

INT_PTR SetupWindow::run() {
    ModalScope modal(main_);
    return runModal(main_.modules.language, IDD_SETUP_WINDOW, main_.window);
}

bool SetupWindow::onInit() {
    // From now on the session's completions reach this window.
    if (main_.sink) main_.sink->setSetupWindow(window());
    createToolbar();
    const BoardInfo* board = findBoard(context_.boardType);
    setItemText(IDC_SETUP_BOARD_TEXT, board ? std::string(board->text) : std::string());
    setChecked(IDC_SETUP_SYNC, main_.sync.syncSetup);

    // The received copies start from defaults, and so does the working setup: what was
    // neither sent nor saved last time is gone.
    main_.receivedSetup.initDefaults(context_.boardType);
    main_.setup.initDefaults(context_.boardType);
    if (main_.sync.syncSetup && !main_.sync.syncSetupSendOnly && analyzerReady()) receive();
    updateTransferButtons();

    frame_ = std::make_unique<SetupFrame>(context_, main_.commands.connection == ConnectionPhase::Connected);
    frame_->create(window(), IDC_SETUP_FRAME_PLACE);
    SetFocus(GetDlgItem(frame_->window(), IDC_FRAME_TREE));
    return false;
}

void SetupWindow::createToolbar() {
    toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER |
                                   CCS_NOPARENTALIGN | CCS_NORESIZE,
                               0, 0, 640, 20, window(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SETUP_TOOLBAR)),
                               main_.modules.program, nullptr);
    if (!toolbar_) return;  // the window works without it; the commands stay in the keyboard's reach
    SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolbar_, TB_SETINDENT, 0, 0);
    std::string texts;
    for (int id : {IDS_SETUP_TIP_OPEN, IDS_SETUP_TIP_SAVE, IDS_SETUP_TIP_SEND, IDS_SETUP_TIP_RECEIVE})
        texts += loadText(main_, static_cast<UINT>(id)) + '\0';
    texts += '\0';
    SendMessageA(toolbar_, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(texts.data()));
    TBADDBITMAP bitmap{main_.modules.program, IDB_SETUP_TOOLBAR};
    SendMessageA(toolbar_, TB_ADDBITMAP, kToolbarImages, reinterpret_cast<LPARAM>(&bitmap));
    SendMessageA(toolbar_, TB_SETMAXTEXTROWS, 0, 0);
    TBBUTTON buttons[std::size(kSetupButtons)] = {};
    for (size_t i = 0; i < std::size(kSetupButtons); ++i) {
        const SetupButton& b = kSetupButtons[i];
        if (b.command == 0) {
            buttons[i].fsStyle = BTNS_SEP;
            continue;
        }
        buttons[i].iBitmap = b.image;
        buttons[i].idCommand = b.command;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
        buttons[i].iString = b.text;
    }
    SendMessageA(toolbar_, TB_ADDBUTTONSA, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
    // Its right end lines up with the right edge of Close, at y = 4.
    RECT last{}, close{};
    const auto lastIndex = static_cast<WPARAM>(std::size(buttons) - 1);
    if (SendMessageA(toolbar_, TB_GETITEMRECT, lastIndex, reinterpret_cast<LPARAM>(&last)) &&
        GetWindowRect(item(IDC_SETUP_CLOSE), &close)) {
        MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&close), 2);
        SetWindowPos(toolbar_, nullptr, close.right - last.right, 4, last.right, last.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool SetupWindow::analyzerReady() const {
    if (!main_.session || main_.commands.connection != ConnectionPhase::Connected || main_.commands.uploading)
        return false;
    IZVRemote* remote = nullptr;
    if (main_.session->getRemote(&remote) < 0 || !remote) return false;
    const uint32_t status = remote->GetStatus();
    remote->Release();
    return status != remote_api::kStatusMeasuring;
}

void SetupWindow::updateTransferButtons() const {
    if (!toolbar_) return;
    for (int command : {IDM_SETUP_RECEIVE, IDM_SETUP_SEND})
        SendMessageA(toolbar_, TB_SETSTATE, static_cast<WPARAM>(command), MAKELPARAM(TBSTATE_INDETERMINATE, 0));
    if (!analyzerReady()) return;
    for (int command : {IDM_SETUP_RECEIVE, IDM_SETUP_SEND})
        SendMessageA(toolbar_, TB_SETSTATE, static_cast<WPARAM>(command), MAKELPARAM(TBSTATE_ENABLED, 0));
}

bool SetupWindow::onCommand(int id, int, HWND) {
    // Nothing of this window runs while one of its transfers does (a toolbar click that was
    // queued before the transfer dialog opened arrives afterwards).
    if (chain_.kind != Transfer::None) return true;
    switch (id) {
        case IDC_SETUP_CLOSE: PostMessageA(window(), WM_CLOSE, 0, 0); return true;
        case IDM_SETUP_OPEN_FILE: openFile(); return true;
        case IDM_SETUP_SAVE_FILE: saveFile(); return true;
        case IDM_SETUP_RECEIVE:
            if (analyzerReady()) receive();
            updateTransferButtons();
            return true;
        case IDM_SETUP_SEND:
            if (analyzerReady()) send();
            updateTransferButtons();
            return true;
        default: return id == IDOK;
    }
}

bool SetupWindow::onNotify(const NMHDR&, LRESULT&) { return false; }

bool SetupWindow::onMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    switch (message) {
        case WM_CLOSE:
            close();
            break;
        case UM_SETUP_RECEIVED_2000:
        case UM_SETUP_RECEIVED_6000:
        case UM_SETUP_RECEIVED_6100:
        case UM_SETUP_SENT_2000:
        case UM_SETUP_SENT_6000:
        case UM_SETUP_SENT_6100:
            completion(message, wParam);
            break;
        case UM_SETUP_CONNECTION_LOST:
            connectionEnded();
            break;
        default: return false;
    }
    result = TRUE;
    return true;
}

void SetupWindow::close() {
    // A close while a transfer runs, or a second one while the last send runs, waits.
    if (closing_ || chain_.kind != Transfer::None) return;
    closing_ = true;
    const bool sync = checked(IDC_SETUP_SYNC);
    main_.sync.syncSetup = sync;
    {
        PrivateProfileStore store(main_.folders.profile);
        saveSync(store, main_.sync);
    }
    if (sync && analyzerReady()) send();
    end(0);
}

void setupEditorCommand(MainWindow& main) {
    SetupWindow window(main);
    window.run();
}

}  // namespace zv::shell
