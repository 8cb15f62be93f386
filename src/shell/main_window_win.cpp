// MainWindow's window procedure: one handler per message, found in one table.
#include "main_window_win.h"

#include <commctrl.h>
#include <cstdio>
#include <vector>

#include "capture/buffer_files.h"
#include "capture/capture.h"
#include "remote/session_messages.h"
#include "resources/ids/string_ids.h"

namespace zv::shell {
namespace {

using Handler = LRESULT (*)(MainWindow&, WPARAM, LPARAM);

struct MessageEntry {
    UINT message;
    Handler handler;
};

constexpr MessageEntry kMessages[] = {
    {WM_CREATE, onCreate},
    {WM_SIZE, onSize},
    {WM_SETFOCUS, onSetFocus},
    {WM_NOTIFY, onNotify},
    {WM_COMMAND, onCommand},
    {WM_TIMER, onTimer},
    {WM_CLOSE, onClose},
    {WM_DESTROY, onDestroy},
    {UM_REQUEST_DONE, onRequestDone},
    {UM_CONNECTION_STATE, onConnectionState},
    {UM_REMOTE_CLOSE, onRemoteClose},
    {UM_UPLOAD_DONE, onUploadDone},
    {UM_UPLOAD_STEP, onUploadStep},
    {UM_TRANSFER_PROGRESS, onTransferProgress},
    {UM_CONNECTION_LOST, onConnectionLost},
    {UM_MEASUREMENT_ENDED, onMeasurementEnded},
    {UM_MONITOR_FILE_CLOSED, onMonitorFileClosed},
    {UM_SESSION_WARNING, onSessionWarning},
    {UM_BOARD_TEXT, onBoardText},
    {UM_STOP_REQUESTED, onStopRequested},
    {UM_BUFFER_WRITE_REPORT, onBufferWriteReport},
};

MainWindow* mainWindowOf(HWND window) {
    return reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* main = new MainWindow(*static_cast<const ProgramModules*>(create->lpCreateParams));
        main->window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(main));
    }
    MainWindow* main = mainWindowOf(window);
    if (message == WM_NCDESTROY) {
        // The window state goes with the window; the session first, should close not have
        // deleted it.
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (main) main->session.reset();
        delete main;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (main) {
        for (const MessageEntry& entry : kMessages) {
            if (entry.message == message) return entry.handler(*main, wParam, lParam);
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

MainWindow::MainWindow(const ProgramModules& programModules)
    : modules(programModules), bufferFiles(std::make_unique<BufferFiles>(realFileSystem(), &watchList)) {}

MainWindow::~MainWindow() {
    // The session refers to the buffer files: it goes first.
    session.reset();
}

bool registerMainWindowClass(HINSTANCE program) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProcedure;
    windowClass.hInstance = program;
    windowClass.hIcon = LoadIconA(program, MAKEINTRESOURCEA(101));
    windowClass.hIconSm = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(101), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExA(&windowClass) != 0;
}

HWND createMainWindow(const ProgramModules& modules) {
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
    // The title is set from the language library during creation.
    return CreateWindowExA(0, kMainWindowClass, kMainWindowClass, WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top,
                           kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, modules.program,
                           const_cast<ProgramModules*>(&modules));
}

std::string loadText(const MainWindow& main, UINT id) {
    char text[1024] = "";
    LoadStringA(main.modules.language, id, text, sizeof text);
    return text;
}

std::string formatText(const MainWindow& main, UINT id, unsigned long number) {
    const std::string format = loadText(main, id);
    // The strings are checked to take exactly one number; a missing one shows as empty.
    std::vector<char> text(format.size() + 32, '\0');
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    std::snprintf(text.data(), text.size(), format.c_str(), number);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return text.data();
}

std::string formatTextWith(const MainWindow& main, UINT id, const std::string& argument) {
    const std::string format = loadText(main, id);
    std::vector<char> text(format.size() + argument.size() + 1, '\0');
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    std::snprintf(text.data(), text.size(), format.c_str(), argument.c_str());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return text.data();
}

std::string systemErrorText(int32_t result) {
    const DWORD code = (static_cast<uint32_t>(result) & 0xFFFF0000u) == 0x80070000u
                           ? static_cast<DWORD>(result) & 0xFFFFu
                           : static_cast<DWORD>(result);
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    std::string reason(text, n);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
    char number[32];
    std::snprintf(number, sizeof number, "error 0x%08X", static_cast<unsigned>(result));
    // The number too: it is what a support request can look up.
    return reason.empty() ? std::string(number) : reason + " (" + number + ")";
}

std::string fileFailureText(const std::string& path, int32_t result) {
    return path + "\n\n" + systemErrorText(result);
}

int showMessage(MainWindow& main, const std::string& caption, const std::string& text, UINT flags) {
    ModalScope modal(main);
    return MessageBoxA(main.window, text.c_str(), caption.c_str(), flags);
}

ModalScope::ModalScope(MainWindow& main) : main_(main) { ++main_.modalDepth; }

ModalScope::~ModalScope() {
    if (--main_.modalDepth > 0 || !main_.closeDeferred) return;
    main_.closeDeferred = false;
    PostMessageA(main_.window, WM_CLOSE, 0, 0);
}

bool commandTakenNow(const MainWindow& main, int command) {
    if (main.exiting || main.modalDepth > 0) return false;
    return commandEnabled(command, main.commands);
}

void setPaneText(const MainWindow& main, int pane, const std::string& text) {
    SendMessageA(main.statusBar, SB_SETTEXTA, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text.c_str()));
}

void applyCommandState(MainWindow& main) {
    HMENU menu = GetMenu(main.window);
    for (int command : stateDrivenCommands()) {
        const bool enabled = commandEnabled(command, main.commands);
        if (menu) {
            EnableMenuItem(menu, static_cast<UINT>(command), static_cast<UINT>(MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)));
        }
        // Grey is the indeterminate state; a greyed button is also disabled so that a click
        // does nothing.
        if (main.toolbar && SendMessageA(main.toolbar, TB_COMMANDTOINDEX, static_cast<WPARAM>(command), 0) >= 0) {
            SendMessageA(main.toolbar, TB_SETSTATE, static_cast<WPARAM>(command),
                         MAKELPARAM(enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE, 0));
        }
    }
}

}  // namespace zv::shell
