#include "zvlkctrl/zvlkctrl_win.h"

#include "zvlkctrl/controls_win.h"

#include <cstring>

namespace zv::ctrl {

namespace {

// The library's own module: global classes belong to the module that registers them.
HINSTANCE ownModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ownModule), &module);
    return module;
}

bool registerClass(HINSTANCE module, const char* name, WNDPROC proc) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(module, name, &existing)) return true;  // a second call is harmless
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = module;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_IBEAM));
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void notifyParent(HWND hwnd, int code) {
    HWND parent = GetParent(hwnd);
    if (parent == nullptr) return;
    NMHDR nm{};
    nm.hwndFrom = hwnd;
    nm.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    nm.code = static_cast<UINT>(code);
    SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(nm.idFrom), reinterpret_cast<LPARAM>(&nm));
}

bool focusChained(HWND hwnd, int nextId) {
    if (nextId == 0) return false;
    HWND next = GetDlgItem(GetParent(hwnd), nextId);
    if (next == nullptr || next == hwnd || !IsWindowEnabled(next) || !IsWindowVisible(next))
        return false;
    SetFocus(next);
    return true;
}

LRESULT dialogCode(LPARAM lParam, bool chained) {
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (chained && msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
    return code;
}

bool copyToClipboard(HWND hwnd, const std::string& text) {
    if (!OpenClipboard(hwnd)) return false;
    bool ok = false;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (mem != nullptr) {
        if (void* p = GlobalLock(mem)) {
            std::memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(mem);
            ok = SetClipboardData(CF_TEXT, mem) != nullptr;
        }
        if (!ok) GlobalFree(mem);  // on success the clipboard owns it
    }
    CloseClipboard();
    return ok;
}

std::string clipboardText(HWND hwnd) {
    constexpr size_t kMaxPasted = 512;  // far more than any control holds
    std::string text;
    if (!OpenClipboard(hwnd)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        const SIZE_T size = GlobalSize(data);
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            // The handle's size bounds the read even when the text lacks its terminating zero.
            for (SIZE_T i = 0; i < size && i < kMaxPasted && p[i] != '\0'; ++i) text += p[i];
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool editKeyOf(WPARAM vk, EditKey& key) {
    switch (vk) {
    case VK_LEFT: key = EditKey::Left; return true;
    case VK_RIGHT: key = EditKey::Right; return true;
    case VK_HOME: key = EditKey::Home; return true;
    case VK_END: key = EditKey::End; return true;
    case VK_DELETE: key = EditKey::Delete; return true;
    case VK_BACK: key = EditKey::Back; return true;
    case VK_RETURN: key = EditKey::Enter; return true;
    default: return false;
    }
}

}  // namespace zv::ctrl

extern "C" BOOL WINAPI VRX_RegisterControls(HINSTANCE /*caller*/) {
    HINSTANCE module = zv::ctrl::ownModule();
    if (module == nullptr) return FALSE;
    const bool hex = zv::ctrl::registerClass(module, zv::ctrl::kHexInputClass, zv::ctrl::hexInputProc);
    const bool bits = zv::ctrl::registerClass(module, zv::ctrl::kBitPatternClass, zv::ctrl::bitPatternProc);
    return hex && bits ? TRUE : FALSE;
}

// Classes of a DLL outlive it unless it removes them: a FreeLibrary while the process goes on
// would leave both classes pointing at unloaded code. (At process exit there is nothing to do.)
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        UnregisterClassA(zv::ctrl::kHexInputClass, module);
        UnregisterClassA(zv::ctrl::kBitPatternClass, module);
    }
    return TRUE;
}
