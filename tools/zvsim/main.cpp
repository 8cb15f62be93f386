#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "zvsim_cli.h"

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void onSignal(int) { g_stop = true; }

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::mutex lock;
    zv::tools::ZvsimIo io;
    io.out = [&](const std::string& line) {
        std::lock_guard guard(lock);
        std::fprintf(stdout, "%s\n", line.c_str());
        std::fflush(stdout);
    };
    io.err = [&](const std::string& line) {
        std::lock_guard guard(lock);
        std::fprintf(stderr, "%s\n", line.c_str());
    };
    io.stop = &g_stop;
    return zv::tools::runZvsim(std::vector<std::string>(argv + 1, argv + argc), io);
}
