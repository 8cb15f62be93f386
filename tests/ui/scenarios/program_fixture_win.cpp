#include "program_fixture_win.h"

#include "ui_paths.h"

namespace zvui {

std::string builtFile(std::string_view target) {
    // ZV_UI_PROGRAM runs the scenarios against another build of the program (an older one,
    // to see that a scenario catches the fault it was written for).
    if (target == "ZVLK5MQ") {
        char other[MAX_PATH] = "";
        const DWORD length = GetEnvironmentVariableA("ZV_UI_PROGRAM", other, sizeof other);
        if (length > 0 && length < sizeof other) return std::string(other, length);
    }
    for (const auto& [name, file] : kBuiltFiles) {
        if (name == target) return toWindowsPath(std::string(file));
    }
    return {};
}

std::string installedProgramFolder() {
    // ZV_UI_PROGRAM_FOLDER runs the scenarios against an installed program where it was
    // installed (the package test's installation), instead of copies in the sandbox.
    char folder[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA("ZV_UI_PROGRAM_FOLDER", folder, sizeof folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

std::string englishString(unsigned id) {
    static HMODULE library = LoadLibraryExA(builtFile("zvlk5m1033").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char text[1024] = "";
    if (library) LoadStringA(library, id, text, sizeof text);
    return text;
}

std::string emulatedUsbProfile() {
    return "[remote]\r\nmodel=AN-2400\r\nexboard=EX-NB3BP\r\n"
           "[connection]\r\nmethod=USB\r\nserialNumber=30808001\r\n";
}

void ProgramFixture::SetUp() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Parameterised tests have slashes in their names.
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name) {
        if (c == '/') c = '-';
    }
    sandbox_ = std::make_unique<Sandbox>(toWindowsPath(std::string(kRunsFolder)) + "\\" + name);
    ASSERT_TRUE(sandbox_->redirectUserFolders());
    Sandbox::drawWindowFramesUnderWine();
    // The folders a connect checks first; the scenarios about them remove them again.
    ASSERT_TRUE(makeFolders(bufferFolder()));
    ASSERT_TRUE(makeFolders(screenshotFolder()));
}

std::string ProgramFixture::bufferFolder() const { return sandbox_->documentsFolder() + "\\ZVLK5MQ\\Remote\\Buffer"; }

std::string ProgramFixture::screenshotFolder() const {
    return sandbox_->documentsFolder() + "\\ZVLK5MQ\\Remote\\Screen";
}

void ProgramFixture::TearDown() {
    program_.kill();
    sandbox_.reset();
}

std::string ProgramFixture::programFolder() const {
    const std::string installed = installedProgramFolder();
    return installed.empty() ? sandbox_->programFolder() : installed;
}

void ProgramFixture::installProgram(const std::vector<std::string>& languageLibraryNames) {
    if (!installedProgramFolder().empty()) return;
    ASSERT_FALSE(builtFile("ZVLK5MQ").empty()) << "the build has no ZVLK5MQ target";
    ASSERT_TRUE(sandbox_->addProgramFile(builtFile("ZVLK5MQ"), "ZVLK5MQ.exe"));
    for (const char* library : {"zvlkctrl", "zvlkrmt"}) {
        ASSERT_TRUE(sandbox_->addProgramFile(builtFile(library))) << library;
    }
    for (const std::string& name : languageLibraryNames) {
        const std::string own = builtFile(name.substr(0, name.rfind('.')));
        ASSERT_TRUE(sandbox_->addProgramFile(own.empty() ? builtFile("zvlk5m1033") : own, name)) << name;
    }
    // The help file, where the build makes one: Help opens it beside the program.
    if (const std::string help = builtFile("ZV-LK5MQ.chm"); !help.empty()) {
        ASSERT_TRUE(sandbox_->addProgramFile(help)) << help;
    }
}

void ProgramFixture::writeProfile(const std::string& text) {
    ASSERT_TRUE(makeFolders(sandbox_->dataFolder()));
    ASSERT_TRUE(writeTextFile(sandbox_->dataFolder() + "\\profile.ini", text));
}

HWND ProgramFixture::start(Program& program, const std::vector<std::string>& environment) {
    // Under Wine the program's heap fills what it frees and checks what it hands out: memory
    // used after it was freed then ends the program with an access violation, which the
    // scenarios see as an exit code, instead of passing unnoticed. (Windows ignores this.)
    std::vector<std::string> withHeapChecks{"WINEDEBUG=warn+heap"};
    withHeapChecks.insert(withHeapChecks.end(), environment.begin(), environment.end());
    if (!program.start(programFolder() + "\\ZVLK5MQ.exe", withHeapChecks)) return nullptr;
    return program.waitForMainWindow(15000);
}

HWND ProgramFixture::startMain(const std::vector<std::string>& environment) {
    mainWindow_ = start(program_, environment);
    if (mainWindow_) program_.waitUntilDrawn(mainWindow_, 10000);
    return mainWindow_;
}

bool ProgramFixture::waitForPane(int pane, const std::string& text, DWORD timeoutMs) {
    return waitFor([&] { return statusPaneText(control(kStatusBarId), pane) == text; }, timeoutMs);
}

bool ProgramFixture::connect() {
    postCommand(mainWindow_, 2104);
    return waitForPane(2, englishString(287));
}

std::string ProgramFixture::screenshotPath(const std::string& name) const {
    const std::string folder = toWindowsPath(std::string(kScreensFolder));
    makeFolders(folder);
    return folder + "\\" + name + ".png";
}

}  // namespace zvui
