#include "control_host_win.h"

namespace zv::wintest {

namespace {

constexpr const char* kHostClass = "ZvCtrlTestHost";
std::vector<Notice> g_notices;

LRESULT CALLBACK hostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY) {
        const NMHDR* nm = reinterpret_cast<const NMHDR*>(lParam);
        g_notices.push_back({static_cast<int>(nm->idFrom), static_cast<int>(nm->code)});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool registerHost() {
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = hostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = kHostClass;
        return RegisterClassExA(&wc) != 0;
    }();
    return registered;
}

}  // namespace

static HMODULE g_library = nullptr;

HMODULE controlLibrary() {
    if (g_library == nullptr) g_library = LoadLibraryA("zvlkctrl.dll");
    return g_library;
}

bool unloadAndReloadControlLibrary(bool& classesGoneWhileUnloaded) {
    if (g_library == nullptr) return false;
    FreeLibrary(g_library);
    g_library = nullptr;
    if (GetModuleHandleA("zvlkctrl.dll") != nullptr) return false;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    classesGoneWhileUnloaded = !GetClassInfoExA(GetModuleHandleA(nullptr), ctrl::kHexInputClass, &wc) &&
                               !GetClassInfoExA(GetModuleHandleA(nullptr), ctrl::kBitPatternClass, &wc);
    return controlLibrary() != nullptr;
}

VRX_RegisterControlsFn registerControls() {
    HMODULE library = controlLibrary();
    if (library == nullptr) return nullptr;
    return reinterpret_cast<VRX_RegisterControlsFn>(
        reinterpret_cast<void*>(GetProcAddress(library, "VRX_RegisterControls")));
}

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// One host window for the whole program: creating and destroying a top-level window costs
// seconds under Wine. Each test starts with it empty, of the same size and active.
HWND sharedHost() {
    static HWND host = CreateWindowExA(0, kHostClass, "zvlkctrl test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                       40, 40, 420, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return host;
}

BOOL CALLBACK destroyChild(HWND child, LPARAM) {
    DestroyWindow(child);
    return TRUE;
}

void ControlHost::SetUp() {
    VRX_RegisterControlsFn reg = registerControls();
    ASSERT_NE(reg, nullptr) << "zvlkctrl.dll or its export VRX_RegisterControls is missing";
    ASSERT_TRUE(reg(GetModuleHandleA(nullptr)));
    ASSERT_TRUE(registerHost());
    host_ = sharedHost();
    ASSERT_NE(host_, nullptr);
    MoveWindow(host_, 40, 40, 420, 300, TRUE);
    SetForegroundWindow(host_);
    SetFocus(host_);
    pump();
    g_notices.clear();
}

void ControlHost::TearDown() {
    if (host_ != nullptr) {
        SetFocus(host_);
        EnumChildWindows(host_, destroyChild, 0);
    }
    pump();
}

HWND ControlHost::add(const char* className, int id, int x, int y, int width, int height,
                      DWORD style, DWORD exStyle) {
    HWND hwnd = CreateWindowExA(exStyle, className, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style,
                                x, y, width, height, host_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(hwnd, nullptr) << className;
    return hwnd;
}

HWND ControlHost::hex(int id, int kind, int y) {
    HWND h = add(ctrl::kHexInputClass, id, 10, y, kind == 8 ? 200 : 80, 22);
    EXPECT_EQ(SendMessageA(h, ctrl::kMsgConfigure, 0, kind), TRUE);
    return h;
}

HWND ControlHost::bits(int id, int count, int y, DWORD style) {
    HWND h = add(ctrl::kBitPatternClass, id, 220, y, 150, 22, style);
    EXPECT_EQ(SendMessageA(h, ctrl::kMsgConfigure, 0, count), TRUE);
    return h;
}

void ControlHost::focus(HWND control) {
    SetFocus(control);
    pump();
}

void ControlHost::typeText(HWND control, const char* text) {
    for (; *text; ++text) SendMessageA(control, WM_CHAR, static_cast<unsigned char>(*text), 1);
}

void ControlHost::key(HWND control, WPARAM vk) {
    SendMessageA(control, WM_KEYDOWN, vk, 1);
    SendMessageA(control, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

void ControlHost::clickAt(HWND control, int x) {
    const LPARAM at = MAKELPARAM(x, 10);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(control, WM_LBUTTONUP, 0, at);
}

void ControlHost::clickRightEnd(HWND control) {
    RECT rc{};
    GetClientRect(control, &rc);
    clickAt(control, rc.right - 3);
}

std::vector<Notice>& ControlHost::notices() { return g_notices; }

int readBytes(HWND control, uint8_t* out, int capacity) {
    return static_cast<int>(SendMessageA(control, ctrl::kMsgGetBytes, static_cast<WPARAM>(capacity),
                                         reinterpret_cast<LPARAM>(out)));
}

void showBytes(HWND control, const uint8_t* bytes, int count) {
    SendMessageA(control, ctrl::kMsgSetBytes, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(bytes));
}

void readBits(HWND control, int& mask, int& value) {
    int v[2] = {-1, -1};
    SendMessageA(control, ctrl::kMsgGetValue, 0, reinterpret_cast<LPARAM>(v));
    mask = v[0];
    value = v[1];
}

void showBits(HWND control, int mask, int value) {
    int v[2] = {mask, value};
    SendMessageA(control, ctrl::kMsgSetValue, 0, reinterpret_cast<LPARAM>(v));
}

}  // namespace zv::wintest
