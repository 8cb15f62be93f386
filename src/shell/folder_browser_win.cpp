#include "shell/folder_browser_win.h"

#include <shlobj.h>

namespace zv::shell {
namespace {

int CALLBACK browseCallback(HWND browser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, start);
    // A typed name that is no folder keeps the browser open for another try.
    if (message == BFFM_VALIDATEFAILEDA) return 1;
    return 0;
}

}  // namespace

bool browseForFolder(HWND owner, std::string& folder) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char name[MAX_PATH] = "";
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pszDisplayName = name;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE;
    info.lpfn = browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(folder.c_str());
    bool chosen = false;
    if (LPITEMIDLIST list = SHBrowseForFolderA(&info)) {
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(list, path) && path[0] != '\0') {
            folder = path;
            chosen = true;
        }
        CoTaskMemFree(list);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}


}  // namespace zv::shell
