// The program's folders and how they are formed: the per-user data folder that holds
// profile.ini and DATAFILE.TMP, the documents folder, and the default folders of the
// numbered buffer files and of key-emulation screenshots. The rules are portable; the Win32
// side (app_folders_win.h) asks the system for the raw folders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zv {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Paths the program hands to the system hold at most 259 characters and the NUL.
constexpr size_t kMaxPathChars = 259;

constexpr std::string_view kMakerFolder = "ZEVRONA";
constexpr std::string_view kProductFolder = "ZVLK5MQ";
constexpr std::string_view kProfileFileName = "profile.ini";
constexpr std::string_view kWorkingDataFileName = "DATAFILE.TMP";

// What the system told us; an empty text is a folder it could not name.
struct FolderSources {
    std::string programFile;       // full path of the program file
    std::string applicationData;   // the user's application data folder
    std::string documents;         // the user's documents folder
    std::string currentDirectory;
};

struct AppFolders {
    std::string program;            // folder of the program file
    std::string data;               // application data + ZEVRONA + ZVLK5MQ, else the program folder
    bool dataIsPerUser = false;     // data lies under the application data folder (create it)
    std::string documents;          // documents folder, else the current directory
    std::string currentDirectory;
    std::string defaultBuffer;      // documents + ZVLK5MQ + Remote + Buffer
    std::string defaultScreenshot;  // documents + ZVLK5MQ + Remote + Screen
    std::string profile;            // data + profile.ini
    std::string workingDataFile;    // data + DATAFILE.TMP
    char separator = kPathSeparator;  // the one the folders above were joined with
};

// Appends one piece with exactly one separator between the two; an empty folder gives the
// piece. With '\\' as the separator a '/' counts as one too, as it does on Windows.
std::string appendPath(std::string_view folder, std::string_view piece, char separator = kPathSeparator);

// The folder part of a file path: up to the last separator, a root ("C:\\", "/") kept whole;
// empty when the path names no folder.
std::string folderOfFile(std::string_view path, char separator = kPathSeparator);

// The buffer and screenshot folders formed from a base folder (the documents folder, or the
// current directory when the profile's path is empty).
std::string bufferFolderUnder(std::string_view base, char separator = kPathSeparator);
std::string screenshotFolderUnder(std::string_view base, char separator = kPathSeparator);

AppFolders resolveFolders(const FolderSources& sources, char separator = kPathSeparator);

// The folders to create, parents first, so that the whole path exists: every prefix of the
// path that ends before a separator, and the path itself, without the root ("C:\\",
// "\\\\server\\share", "/") that cannot be created.
std::vector<std::string> folderChain(std::string_view path, char separator = kPathSeparator);

}  // namespace zv
