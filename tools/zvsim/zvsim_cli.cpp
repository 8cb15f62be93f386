#include "zvsim_cli.h"

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "emulator/analyzer.h"
#include "emulator/config.h"
#include "emulator/server/adapter_server.h"
#include "emulator/server/serial_server.h"
#include "zvlkrmt/transport/pseudo_terminal.h"
#include "zvlkrmt/transport/serial_port.h"

namespace zv::tools {
namespace {

constexpr const char* kUsage =
    "usage: zvsim (--model AN-2400 --exboard EX-NB3BP | --board CODE)\n"
    "             [--listen HOST] [--data-port P] [--control-port Q]\n"
    "             [--serial DEVICE[,BAUD[,none|odd|even[,xon]]]]\n"
    "             [--serial-number TEXT] [--config FILE]\n"
    "             [--seed N] [--rate RECORDS_PER_S] [--replay LOG.asc|.blf|.log]\n"
    "             [--throttle BYTES_PER_S|usb-full|lan|serial:BAUD] [--fault FAULT]...\n"
    "             [--key-log FILE] [--stats FILE] [--hostile KIND [--hostile-at MOMENT]\n"
    "             [--hostile-after N] [--hostile-seed S]]\n"
    "--serial serves on a serial device (e.g. /dev/ttyUSB0 or COM3) instead of the LAN\n"
    "adapter; --serial pty creates a pseudo-terminal and prints the port name for the PC.\n"
    "--key-log appends every key value the PC sends to FILE, a line each (0x00008014).\n"
    "--replay plays the CAN and LIN frames of an ASC, BLF or candump log (any name but .asc\n"
    "and .blf is read as candump) over and over instead of generated traffic, each stamped\n"
    "with the log's own time after its first frame, to the 0.2 ms step.\n"
    "--stats appends a line to FILE for each measurement streamed to a PC, when its stream\n"
    "can change no more: records generated, sent, left out before the last block sent (and\n"
    "the gaps the PC sees of them), unsent after it, and the CRC-32 of the records sent.\n"
    "faults: refuse=0xA0000001|0xA0000004|0xA0000009, refuse-monitor=CODE,\n"
    "        stall=connect|requests|monitor:BYTES, drop=upload|monitor|setup[:BYTES],\n"
    "        skip-monitor=N, type=CODE\n"
    "--hostile breaks the protocol once on every link, at MOMENT (connect, idle, monitor,\n"
    "upload, setup; default idle): KIND malformed (a broken frame head or check, or a\n"
    "sequence gap), wrong-length (a length that disagrees with the payload, shorter,\n"
    "longer or absurd), unsolicited (a completion for a request never made), twice (a\n"
    "completion sent two times), flood (monitor blocks without credit, as fast as the link\n"
    "takes them), silence (nothing more, the link left open) or random (a few frames of\n"
    "random bytes or mutated). --hostile-after N: idle, N ms after the connect (500);\n"
    "monitor, after N monitor blocks (4); upload, setup, after N bytes of the transfer (0).\n"
    "--hostile-seed S picks the variant and the random bytes (1).";

// DEVICE[,BAUD[,PARITY[,xon]]], as zvremote takes the port.
bool parseSerialLine(const std::string& text, remote::SerialPortSettings& out, std::string& error) {
    std::vector<std::string> parts;
    size_t at = 0;
    for (;;) {
        const size_t comma = text.find(',', at);
        parts.push_back(text.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    out = {};
    out.port = parts[0];
    bool ok = !out.port.empty() && parts.size() <= 4;
    if (ok && parts.size() > 1) {
        char* end = nullptr;
        const unsigned long baud = std::strtoul(parts[1].c_str(), &end, 10);
        ok = !parts[1].empty() && *end == 0 && baud > 0 && baud <= 4000000;
        out.baudRate = static_cast<uint32_t>(baud);
    }
    if (ok && parts.size() > 2) {
        if (parts[2] == "none") out.parity = 0;
        else if (parts[2] == "odd") out.parity = 1;
        else if (parts[2] == "even") out.parity = 2;
        else ok = false;
    }
    if (ok && parts.size() > 3) {
        ok = parts[3] == "xon";
        out.xControl = ok;
    }
    if (!ok) error = "bad serial line " + text + " (DEVICE[,BAUD[,none|odd|even[,xon]]])";
    return ok;
}

std::string hex(Result r) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(r));
    return text;
}

}  // namespace

namespace {

// Serves the analyzer on a serial line until *io.stop is set.
int serveSerial(emu::Analyzer& analyzer, const remote::SerialPortSettings& serial, const std::string& boardText,
                ZvsimIo& io) {
    std::unique_ptr<remote::Transport> line;
    std::string port = serial.port;
    Result r = kOk;
    if (serial.port == "pty") {
#ifdef _WIN32
        r = remote::kInvalidArgument;
#else
        r = remote::openPseudoTerminal(line, port);
#endif
    } else {
        r = remote::openSerialPort(serial, line);
    }
    if (failed(r)) {
        io.err("zvsim: cannot open serial line " + serial.port + ": " + hex(r) +
               (serial.port == "pty" ? " (no pseudo-terminals here)" : ""));
        return 1;
    }
    static const char* const kParity[] = {"none", "odd", "even"};
    io.out("zvsim: " + boardText + " (" + std::to_string(analyzer.boardType()) + ") serial " +
           analyzer.config().serial + " on serial line " + port + " " + std::to_string(serial.baudRate) + " baud, parity " +
           kParity[serial.parity] + (serial.xControl ? ", XON/XOFF" : ""));
    if (serial.port == "pty") io.out("zvsim: port name for the PC: " + port);
    emu::SerialServer server(analyzer, std::move(line), remote::serialStreamOptions(serial));
    server.start();
    while (!io.stop || !io.stop->load()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.stop();
    io.out("zvsim: stopped");
    return 0;
}

}  // namespace

int runZvsim(const std::vector<std::string>& args, ZvsimIo& io) {
    emu::AnalyzerConfig config;
    std::string model, exBoard, board, host = "127.0.0.1", dataPort = "0", controlPort = "0", configFile;
    std::vector<std::pair<std::string, std::string>> settings;
    std::string serialLine, statsFile;
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
        else if (a == "--serial-number") settings.emplace_back("serial", v);
        else if (a == "--serial") serialLine = v;
        else if (a == "--seed") settings.emplace_back("seed", v);
        else if (a == "--rate") settings.emplace_back("fixed-rate", v);
        else if (a == "--throttle") settings.emplace_back("throttle", v);
        else if (a == "--fault") settings.emplace_back("fault", v);
        else if (a == "--replay") settings.emplace_back("replay", v);
        else if (a == "--key-log") settings.emplace_back("key-log", v);
        else if (a == "--stats") statsFile = v;
        else if (a == "--hostile") settings.emplace_back("hostile", v);
        else if (a == "--hostile-at") settings.emplace_back("hostile-at", v);
        else if (a == "--hostile-after") settings.emplace_back("hostile-after", v);
        else if (a == "--hostile-seed") settings.emplace_back("hostile-seed", v);
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

    remote::SerialPortSettings serial;
    if (!serialLine.empty()) {
        std::string error;
        if (!parseSerialLine(serialLine, serial, error)) return usage(error);
    }

    emu::Analyzer analyzer(config);
    analyzer.setLog([&io](const std::string& line) { io.out("zvsim: " + line); });
    if (!statsFile.empty()) {
        // Opened for each line, so that another process may read the file at any time and a
        // killed zvsim leaves every line it wrote.
        analyzer.setStreamReport([&io, statsFile](const emu::StreamReport& r) {
            const std::string line = emu::streamReportText(r);
            std::FILE* f = std::fopen(statsFile.c_str(), "ab");
            const bool written = f && std::fputs((line + "\n").c_str(), f) >= 0;
            if ((f && std::fclose(f) != 0) || !written) io.err("zvsim: cannot append to " + statsFile);
            io.out("zvsim: " + line);
        });
    }
    const BoardInfo* info = findBoard(config.boardType);
    const std::string boardText = info ? std::string(info->text) : std::string("unsupported board");
    if (!serialLine.empty()) return serveSerial(analyzer, serial, boardText, io);
    emu::AdapterServer server(analyzer);
    if (const Result r = server.start(host, dataPort, controlPort); failed(r)) {
        char line[160];
        std::snprintf(line, sizeof line, "zvsim: cannot listen on %s (data %s, control %s): 0x%08X", host.c_str(),
                      dataPort.c_str(), controlPort.c_str(), static_cast<unsigned>(r));
        io.err(line);
        return 1;
    }
    char line[256];
    std::snprintf(line, sizeof line, "zvsim: %s (%u) serial %s listening on %s data %u control %u",
                  boardText.c_str(), config.boardType,
                  config.serial.c_str(), host.c_str(), server.dataPort(), server.controlPort());
    io.out(line);
    if (const emu::HostileConfig& h = config.faults.hostile; h.kind != emu::HostileConfig::Kind::None) {
        io.out(std::string("zvsim: hostile ") + emu::hostileKindName(h.kind) + " at " + emu::linkMomentName(h.at) +
               ", after " + std::to_string(emu::hostileAfter(h)) + ", seed " + std::to_string(h.seed));
    }
    while (!io.stop || !io.stop->load()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.stop();
    io.out("zvsim: stopped");
    return 0;
}

}  // namespace zv::tools
