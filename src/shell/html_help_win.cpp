#include "html_help_win.h"

namespace zv::shell {
namespace {

constexpr UINT kDisplayTopic = 0x0000;
constexpr UINT kCloseAll = 0x0012;
constexpr UINT kInitialize = 0x001C;
constexpr UINT kUninitialize = 0x001D;

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

HMODULE library = nullptr;
HtmlHelpFunction htmlHelp = nullptr;
DWORD_PTR cookie = 0;

bool load() {
    if (htmlHelp) return true;
    if (!library) library = LoadLibraryA("hhctrl.ocx");
    if (library) htmlHelp = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
    return htmlHelp != nullptr;
}

}  // namespace

void initialiseHtmlHelp() {
    if (load()) htmlHelp(nullptr, nullptr, kInitialize, reinterpret_cast<DWORD_PTR>(&cookie));
}

void closeHtmlHelp() {
    if (!htmlHelp) return;
    htmlHelp(nullptr, nullptr, kCloseAll, 0);
    htmlHelp(nullptr, nullptr, kUninitialize, cookie);
}

void showHtmlHelp(HWND owner, const char* file) {
    if (load()) htmlHelp(owner, file, kDisplayTopic, 0);
}

}  // namespace zv::shell
