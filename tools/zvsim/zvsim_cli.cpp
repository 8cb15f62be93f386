#include "zvsim_cli.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "emulator/analyzer.h"
#include "emulator/config.h"
#include "emulator/server/adapter_server.h"

namespace zv::tools {
namespace {

constexpr const char* kUsage =
    "usage: zvsim (--model AN-2400 --exboard EX-NB3BP | --board CODE) [--listen HOST]\n"
    "             [--data-port P] [--control-port Q] [--serial TEXT] [--config FILE]\n"
    "             [--seed N] [--rate RECORDS_PER_S] [--replay CANDUMP.LOG]\n"
    "             [--throttle BYTES_PER_S|usb-full|lan|serial:BAUD] [--fault FAULT]...\n"
    "faults: refuse=0xA0000001|0xA0000004|0xA0000009, stall=connect|requests,\n"
    "        drop=upload|monitor|setup[:BYTES], skip-monitor=N, type=CODE";

}  // namespace

int runZvsim(const std::vector<std::string>& args, ZvsimIo& io) {
    emu::AnalyzerConfig config;
    std::string model, exBoard, board, host = "127.0.0.1", dataPort = "0", controlPort = "0", configFile;
    std::vector<std::pair<std::string, std::string>> settings;
    auto usage = [&](const std::string& why) {
        if (!why.empty()) io.err("zvsim: " + why);
        io.err(kUsage);
        return 2;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            io.out(kUsage);
            return 0;
        }
        if (i + 1 >= args.size()) return usage("missing value for " + a);
        const std::string& v = args[++i];
        if (a == "--model") model = v;
        else if (a == "--exboard") exBoard = v;
        else if (a == "--board") board = v;
        else if (a == "--listen") host = v;
        else if (a == "--data-port") dataPort = v;
        else if (a == "--control-port") controlPort = v;
        else if (a == "--config") configFile = v;
        else if (a == "--serial") settings.emplace_back("serial", v);
        else if (a == "--seed") settings.emplace_back("seed", v);
        else if (a == "--rate") settings.emplace_back("fixed-rate", v);
        else if (a == "--throttle") settings.emplace_back("throttle", v);
        else if (a == "--fault") settings.emplace_back("fault", v);
        else if (a == "--replay") settings.emplace_back("replay", v);
        else return usage("unknown option " + a);
    }
    // The configuration file first; the command line overrides it.
    if (!configFile.empty()) {
        std::ifstream in(configFile, std::ios::binary);
        if (!in) {
            io.err("zvsim: cannot read " + configFile);
            return 1;
        }
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        if (!emu::loadConfigText(config, text.str(), error)) {
            io.err("zvsim: " + configFile + ": " + error);
            return 1;
        }
    }
    if (!board.empty()) {
        std::string error;
        if (!emu::applySetting(config, "board", board, error)) return usage(error);
    } else if (!model.empty() || !exBoard.empty()) {
        config.boardType = emu::boardFromNames(model, exBoard.empty() ? "EX-NB3BP" : exBoard);
        if (config.boardType == 0) return usage("no supported analyzer " + model + " + " + exBoard);
    }
    for (const auto& [key, value] : settings) {
        std::string error;
        if (!emu::applySetting(config, key, value, error)) return usage(error);
    }

    emu::Analyzer analyzer(config);
    analyzer.setLog([&io](const std::string& line) { io.out("zvsim: " + line); });
    emu::AdapterServer server(analyzer);
    if (const Result r = server.start(host, dataPort, controlPort); failed(r)) {
        char line[160];
        std::snprintf(line, sizeof line, "zvsim: cannot listen on %s (data %s, control %s): 0x%08X", host.c_str(),
                      dataPort.c_str(), controlPort.c_str(), static_cast<unsigned>(r));
        io.err(line);
        return 1;
    }
    const BoardInfo* info = findBoard(config.boardType);
    char line[256];
    std::snprintf(line, sizeof line, "zvsim: %s (%u) serial %s listening on %s data %u control %u",
                  info ? std::string(info->text).c_str() : "unsupported board", config.boardType,
                  config.serial.c_str(), host.c_str(), server.dataPort(), server.controlPort());
    io.out(line);
    while (!io.stop || !io.stop->load()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.stop();
    io.out("zvsim: stopped");
    return 0;
}

}  // namespace zv::tools
