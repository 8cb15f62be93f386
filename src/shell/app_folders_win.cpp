#include "shell/app_folders_win.h"

#include <windows.h>

namespace zv {
namespace {

constexpr int kFolderApplicationData = 0x001A;  // CSIDL_APPDATA
constexpr int kFolderDocuments = 0x0005;        // CSIDL_PERSONAL

using GetFolderPathFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

// The folder from the first library that has the folder-path service and answers. Older
// systems only have it in the redistributable "ShFolder.dll", so the service is looked up
// at run time rather than linked.
std::string shellFolder(int folder) {
    for (const char* library : {"Shell32.dll", "ShFolder.dll"}) {
        HMODULE module = LoadLibraryA(library);
        if (!module) continue;
        const auto getFolderPath =
            reinterpret_cast<GetFolderPathFunction>(reinterpret_cast<void*>(GetProcAddress(module, "SHGetFolderPathA")));
        char path[MAX_PATH + 1] = {};
        const bool found = getFolderPath && SUCCEEDED(getFolderPath(nullptr, folder, nullptr, 0, path));
        FreeLibrary(module);
        if (found && path[0] != '\0') return path;
    }
    return {};
}

std::string programFile() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    // A path that filled the buffer was cut; better no program folder than a wrong one.
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(path, n);
}

std::string currentDirectory() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, path);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(path, n);
}

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

FolderSources queryFolderSources() {
    FolderSources sources;
    sources.programFile = programFile();
    sources.applicationData = shellFolder(kFolderApplicationData);
    sources.documents = shellFolder(kFolderDocuments);
    sources.currentDirectory = currentDirectory();
    return sources;
}

bool createFolderChain(const std::string& path) {
    for (const std::string& folder : folderChain(path, '\\')) {
        // An existing folder (or a drive the chain steps over) is fine; whether the whole
        // chain worked shows at the end.
        if (!isFolder(folder)) CreateDirectoryA(folder.c_str(), nullptr);
    }
    return isFolder(path);
}

AppFolders resolveAppFolders() {
    AppFolders folders = resolveFolders(queryFolderSources(), '\\');
    if (folders.dataIsPerUser) createFolderChain(folders.data);
    return folders;
}

}  // namespace zv
