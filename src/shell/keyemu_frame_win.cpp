// Key emulation: the top-level frame with its toolbar (save and copy the LCD picture, the
// picture format, the main window) in a rebar above the panel.
#include "shell/keyemu_win.h"

#include <commctrl.h>

#include <iterator>
#include <string>

#include "resources/ids/string_ids.h"
#include "resources/program_res.h"
#include "shell/main_window_win.h"

namespace zv::shell {

namespace {

struct FrameButton {
    int command;  // 0: separator
    int image;    // of bitmap 116
    int text;     // string index among the six texts
    BYTE style;
    BYTE state;
};

constexpr FrameButton kFrameButtons[] = {
    {kCmdSavePicture, 14, 0, BTNS_BUTTON, 0},
    {kCmdCopyPicture, 16, 1, BTNS_BUTTON, 0},
    {0, 0, 0, BTNS_SEP, 0},
    {kCmdImageMono, 8, 2, BTNS_CHECKGROUP, TBSTATE_ENABLED},
    {kCmdImageMonoFramed, 9, 3, BTNS_CHECKGROUP, TBSTATE_ENABLED},
    {kCmdImageColourFramed, 10, 4, BTNS_CHECKGROUP, TBSTATE_ENABLED},
    {0, 0, 0, BTNS_SEP, 0},
    {kCmdMainWindowFront, 18, 5, BTNS_BUTTON, TBSTATE_ENABLED},
};

int commandOfImageMode(int mode) {
    return mode == 1 ? kCmdImageMonoFramed : mode == 2 ? kCmdImageColourFramed : kCmdImageMono;
}

}  // namespace

// The frame keeps its panel object alive: the panel's window goes before the frame's last
// message, which still tells the panel.
KeyEmuFrame::KeyEmuFrame(KeyEmuWindow& panel) : panel_(panel) { panel_.addRef(); }

KeyEmuFrame::~KeyEmuFrame() { panel_.release(); }

bool KeyEmuFrame::createWindow() {
    if (window_) return true;
    CreateWindowExA(WS_EX_TOOLWINDOW, kKeyEmuFrameClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0,
                    640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    return window_ != nullptr;
}

void KeyEmuFrame::enablePictureButtons(bool enabled) {
    if (!toolbar_) return;
    for (int command : {kCmdSavePicture, kCmdCopyPicture})
        SendMessageA(toolbar_, TB_ENABLEBUTTON, static_cast<WPARAM>(command), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

void KeyEmuFrame::createToolbar() {
    MainWindow& main = panel_.main();
    rebar_ = CreateWindowExA(0, REBARCLASSNAMEA, "",
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT | RBS_BANDBORDERS |
                                 CCS_NODIVIDER,
                             0, 0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kKeyEmuRebarId)),
                             GetModuleHandleA(nullptr), nullptr);
    if (!rebar_) return;
    toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN |
                                   CCS_NORESIZE,
                               0, 0, 0, 0, rebar_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kKeyEmuToolbarId)),
                               GetModuleHandleA(nullptr), nullptr);
    if (!toolbar_) return;
    SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    std::string texts;
    for (UINT id = IDS_KEYEMU_TIP_SAVE; id <= IDS_KEYEMU_TIP_MAIN_WINDOW; ++id) texts += loadText(main, id) + '\0';
    texts += '\0';
    SendMessageA(toolbar_, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(texts.data()));
    TBADDBITMAP bitmap{main.modules.program, IDB_SETUP_TOOLBAR};
    SendMessageA(toolbar_, TB_ADDBITMAP, SETUP_TOOLBAR_IMAGE_COUNT, reinterpret_cast<LPARAM>(&bitmap));
    TBBUTTON buttons[std::size(kFrameButtons)] = {};
    for (size_t i = 0; i < std::size(kFrameButtons); ++i) {
        const FrameButton& b = kFrameButtons[i];
        buttons[i].fsStyle = b.style;
        if (b.command == 0) continue;
        buttons[i].iBitmap = b.image;
        buttons[i].idCommand = b.command;
        buttons[i].fsState = b.state;
        buttons[i].iString = b.text;
    }
    SendMessageA(toolbar_, TB_ADDBUTTONSA, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SendMessageA(toolbar_, TB_SETMAXTEXTROWS, 0, 0);  // the texts are tooltips only
    SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
    SIZE size{};
    SendMessageA(toolbar_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    const DWORD buttonSize = static_cast<DWORD>(SendMessageA(toolbar_, TB_GETBUTTONSIZE, 0, 0));

    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_TEXT;
    band.fStyle = RBBS_BREAK | RBBS_CHILDEDGE | RBBS_NOGRIPPER;
    band.lpText = const_cast<char*>("");
    band.hwndChild = toolbar_;
    band.cx = static_cast<UINT>(size.cx);
    band.cxMinChild = static_cast<UINT>(size.cx);
    band.cyMinChild = HIWORD(buttonSize);
    SendMessageA(rebar_, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void KeyEmuFrame::fit() {
    HWND panel = panel_.panel();
    if (!panel) return;
    RECT rebar{};
    if (rebar_) GetWindowRect(rebar_, &rebar);
    const int rebarHeight = rebar.bottom - rebar.top;
    RECT panelRect{};
    GetWindowRect(panel, &panelRect);
    RECT frame{0, 0, panelRect.right - panelRect.left, panelRect.bottom - panelRect.top + rebarHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_EXSTYLE)));
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(panel, nullptr, 0, rebarHeight, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool KeyEmuFrame::onCreate() {
    MainWindow& main = panel_.main();
    SetWindowTextA(window_, loadText(main, IDS_KEYEMU_TITLE).c_str());
    createToolbar();
    if (!panel_.createPanel(window_)) return false;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window_, &placement)) {
        placement.rcNormalPosition = {};
        placement.showCmd = SW_HIDE;
        SetWindowPlacement(window_, &placement);
    }
    if (HMENU menu = GetSystemMenu(window_, FALSE)) {
        for (int command : {SC_RESTORE, SC_MAXIMIZE, SC_MINIMIZE, SC_SIZE}) DeleteMenu(menu, static_cast<UINT>(command), MF_BYCOMMAND);
    }
    if (toolbar_) SendMessageA(toolbar_, TB_CHECKBUTTON, static_cast<WPARAM>(commandOfImageMode(panel_.imageMode())), TRUE);
    fit();
    return true;
}

void KeyEmuFrame::onCommand(int command) {
    MainWindow& main = panel_.main();
    const auto enabled = [&](int id) { return toolbar_ && SendMessageA(toolbar_, TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0); };
    KeyEmuLcd* lcd = panel_.lcd();
    const keyemu::ExportFormat format = keyemu::exportFormatForImageMode(panel_.imageMode());
    switch (command) {
        case kCmdSavePicture:
            if (enabled(command) && lcd) {
                std::string path;
                const int32_t saved = lcd->save(main.screenshotFolder, format, &path);
                if (saved < 0) {
                    // A full disk or a folder that cannot be made: the user must learn that
                    // the picture is not there.
                    ModalScope modal(main);
                    MessageBoxA(window_,
                                formatTextWith(main, IDS_SCREENSHOT_SAVE_FAILED_TEXT_FMT, fileFailureText(path, saved)).c_str(),
                                loadText(main, IDS_KEYEMU_TITLE).c_str(), MB_OK | MB_ICONWARNING);
                }
            }
            break;
        case kCmdCopyPicture:
            if (enabled(command) && lcd) lcd->copy(panel_.panel(), format);
            break;
        case kCmdImageMono: panel_.setImageMode(0); break;
        case kCmdImageMonoFramed: panel_.setImageMode(1); break;
        case kCmdImageColourFramed: panel_.setImageMode(2); break;
        case kCmdMainWindowFront:
            if (IsIconic(main.window)) ShowWindow(main.window, SW_RESTORE);
            SetForegroundWindow(main.window);
            break;
        default: break;
    }
}

LRESULT KeyEmuFrame::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return onCreate() ? 0 : -1;
        case WM_NCDESTROY: {
            toolbar_ = rebar_ = nullptr;
            const LRESULT result = DefWindowProcA(window_, message, wParam, lParam);
            panel_.frameGone(this);
            return result;
        }
        case WM_ERASEBKGND:
            return 1;  // the rebar and the panel cover the client area
        case WM_SIZE:
            if (rebar_) SendMessageA(rebar_, WM_SIZE, wParam, lParam);
            return 0;
        case WM_SETFOCUS:
            if (panel_.panel()) SetFocus(panel_.panel());
            return 0;
        case WM_SETTINGCHANGE:
        case WM_STYLECHANGED:
        case WM_THEMECHANGED:
            DefWindowProcA(window_, message, wParam, lParam);
            fit();
            return 0;
        case WM_COMMAND:
            if (lParam == 0 || reinterpret_cast<HWND>(lParam) == toolbar_) {
                onCommand(LOWORD(wParam));
                return 0;
            }
            return DefWindowProcA(window_, message, wParam, lParam);
        case UM_KEYEMU_RUN:
            if (panel_.panel()) PostMessageA(panel_.panel(), UM_KEYEMU_RUN, wParam, lParam);
            return 0;
        default:
            return DefWindowProcA(window_, message, wParam, lParam);
    }
}

}  // namespace zv::shell
