#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "zvremote_cli.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#ifdef ZVREMOTE_STATIC_LIBRARY
#include "zvlkrmt/api/library.h"
#endif

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onSignal(int) { g_stop = true; }

zv::ClockTime localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
#ifdef _WIN32
    localtime_s(&t, &now);
#else
    localtime_r(&now, &t);
#endif
    zv::ClockTime c;
    c.year = static_cast<uint16_t>(t.tm_year + 1900);
    c.month = static_cast<uint16_t>(t.tm_mon + 1);
    c.dayOfWeek = static_cast<uint16_t>(t.tm_wday);
    c.day = static_cast<uint16_t>(t.tm_mday);
    c.hour = static_cast<uint16_t>(t.tm_hour);
    c.minute = static_cast<uint16_t>(t.tm_min);
    c.second = static_cast<uint16_t>(t.tm_sec);
    return c;
}

#ifdef ZVREMOTE_STATIC_LIBRARY
// The library linked in reads its configuration where the DLL would: beside the program.
void useConfigBesideProgram(const char* argv0) {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || program.empty()) program = std::filesystem::absolute(argv0 ? argv0 : "", ec);
    if (!ec && program.has_parent_path()) zv::remote_api::setConfigPath((program.parent_path() / "zvlkrmt.ini").string());
}
#endif

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
#ifdef ZVREMOTE_STATIC_LIBRARY
    useConfigBesideProgram(argc > 0 ? argv[0] : nullptr);
#endif
    zv::tools::ZvremoteIo io;
    io.standardOutput = [](std::string_view s) {
        std::fwrite(s.data(), 1, s.size(), stdout);
        std::fflush(stdout);
    };
    io.standardError = [](std::string_view s) {
        std::fwrite(s.data(), 1, s.size(), stderr);
        std::fflush(stderr);
    };
#ifdef _WIN32
    io.stderrIsTerminal = _isatty(_fileno(stderr)) != 0;
#else
    io.stderrIsTerminal = isatty(fileno(stderr)) != 0;
#endif
    io.localTime = localTime;
    io.stop = &g_stop;
    return zv::tools::runZvremote(std::vector<std::string>(argv + 1, argv + argc), io);
}
