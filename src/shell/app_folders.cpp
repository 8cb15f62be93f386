#include "shell/app_folders.h"

namespace zv {
namespace {

bool isSeparator(char c, char separator) { return c == separator || (separator == '\\' && c == '/'); }

// Length of the root of a path, which belongs to no folder to be created: "C:\\" or "C:",
// "\\\\server\\share\\", a leading separator; 0 for a relative path.
size_t rootLength(std::string_view path, char separator) {
    if (separator == '\\') {
        if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && isSeparator(path[2], separator) ? 3 : 2;
        if (path.size() >= 2 && isSeparator(path[0], separator) && isSeparator(path[1], separator)) {
            // Server and share name, then the separator after them if there is one.
            size_t at = 2;
            for (int piece = 0; piece < 2; ++piece) {
                while (at < path.size() && !isSeparator(path[at], separator)) ++at;
                if (piece == 0 && at < path.size()) ++at;
            }
            return at < path.size() ? at + 1 : at;
        }
    }
    return !path.empty() && isSeparator(path[0], separator) ? 1 : 0;
}

}  // namespace

std::string appendPath(std::string_view folder, std::string_view piece, char separator) {
    while (!piece.empty() && isSeparator(piece.front(), separator)) piece.remove_prefix(1);
    std::string out(folder);
    if (!out.empty() && !isSeparator(out.back(), separator)) out += separator;
    out += piece;
    return out;
}

std::string folderOfFile(std::string_view path, char separator) {
    size_t last = path.size();
    while (last > 0 && !isSeparator(path[last - 1], separator)) --last;
    if (last == 0) {
        // "C:ZVLK5MQ.exe" still names the drive's current folder.
        return separator == '\\' && path.size() >= 2 && path[1] == ':' ? std::string(path.substr(0, 2)) : std::string();
    }
    const size_t root = rootLength(path, separator);
    return std::string(path.substr(0, last <= root ? root : last - 1));
}

std::string bufferFolderUnder(std::string_view base, char separator) {
    return appendPath(appendPath(appendPath(base, kProductFolder, separator), "Remote", separator), "Buffer", separator);
}

std::string screenshotFolderUnder(std::string_view base, char separator) {
    return appendPath(appendPath(appendPath(base, kProductFolder, separator), "Remote", separator), "Screen", separator);
}

AppFolders resolveFolders(const FolderSources& sources, char separator) {
    AppFolders f;
    f.separator = separator;
    f.program = folderOfFile(sources.programFile, separator);
    f.dataIsPerUser = !sources.applicationData.empty();
    f.data = f.dataIsPerUser
                 ? appendPath(appendPath(sources.applicationData, kMakerFolder, separator), kProductFolder, separator)
                 : f.program;
    f.currentDirectory = sources.currentDirectory;
    f.documents = sources.documents.empty() ? sources.currentDirectory : sources.documents;
    f.defaultBuffer = bufferFolderUnder(f.documents, separator);
    f.defaultScreenshot = screenshotFolderUnder(f.documents, separator);
    f.profile = appendPath(f.data, kProfileFileName, separator);
    f.workingDataFile = appendPath(f.data, kWorkingDataFileName, separator);
    return f;
}

std::vector<std::string> folderChain(std::string_view path, char separator) {
    while (path.size() > rootLength(path, separator) && isSeparator(path.back(), separator)) path.remove_suffix(1);
    std::vector<std::string> chain;
    const size_t root = rootLength(path, separator);
    for (size_t i = root; i < path.size(); ++i) {
        // Doubled separators name no folder of their own.
        if (isSeparator(path[i], separator) && i > root && !isSeparator(path[i - 1], separator))
            chain.emplace_back(path.substr(0, i));
    }
    if (path.size() > root) chain.emplace_back(path);
    return chain;
}

}  // namespace zv
