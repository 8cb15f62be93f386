#include "zvsetup_cli.h"

#include <memory>
#include <optional>
#include <string_view>

#include "base/board_type.h"
#include "setup/setup_dump.h"
#include "setup/setup_file.h"

namespace zv::tools {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

constexpr const char* kToolHelp =
    "usage: zvsetup COMMAND [OPTIONS]\n"
    "\n"
    "Creates, checks and prints analyzer setup files (.ST, .SU).\n"
    "\n"
    "commands:\n"
    "  new      --board CODE [-o FILE]                  default setup file for a board\n"
    "  check    --board CODE FILE                       load FILE as the program does\n"
    "  dump     --board CODE FILE                       print every field of the loaded setup\n"
    "  convert  --board CODE FILE --to CODE2 -o OUT     re-save a setup for another board\n"
    "\n"
    "CODE is a board type, decimal or 0x...:\n";

constexpr const char* kNewHelp =
    "usage: zvsetup new --board CODE [-o FILE]\n"
    "Writes the default setup file of board CODE (the working setup initialised as when the\n"
    "setup window opens, then saved): 15824 bytes for dual-protocol boards, 8128 bytes for\n"
    "EX-NB2A boards. Without -o the file goes to standard output.\n";

constexpr const char* kCheckHelp =
    "usage: zvsetup check --board CODE FILE\n"
    "Loads FILE with the rules the program applies while board CODE is connected. Exit 0 when\n"
    "it loads; otherwise exit 1 with a one-line reason on standard error.\n";

constexpr const char* kDumpHelp =
    "usage: zvsetup dump --board CODE FILE\n"
    "Loads FILE as `check` does and prints every field, one \"record.field = value\" line each:\n"
    "the setup image of the board's layout, the CAN and (dual-protocol boards) LIN transmit\n"
    "tables. Numbers are decimal, byte strings hexadecimal.\n";

constexpr const char* kConvertHelp =
    "usage: zvsetup convert --board CODE FILE --to CODE2 -o OUT\n"
    "Loads FILE with board CODE's rules and saves it with board CODE2's, e.g. between the\n"
    "dual-protocol and the CAN-only (EX-NB2A) layout. Records the CAN-only layout lacks (LIN\n"
    "channels, LIN schedule, LIN transmit tables) are dropped on the way to CAN-only and come\n"
    "back as CODE2's defaults on the way to dual-protocol, where the image also takes the\n"
    "dual-protocol layout code (9).\n";

struct Options {
    std::optional<BoardType> board;
    std::optional<BoardType> to;
    std::string outputPath;
    std::vector<std::string> files;
    bool help = false;
};

std::string boardList() {
    std::string s;
    for (const BoardInfo* b = boardsBegin(); b != boardsEnd(); ++b)
        s += "  " + std::to_string(b->code) + "  " + std::string(b->text) + "\n";
    return s;
}

// Parses the options after the command word. Returns an error text, empty on success.
std::string parseOptions(const std::vector<std::string>& args, Options& o) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* what) -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            (void)what;
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--board" || a == "--to") {
            auto v = value(a.c_str());
            if (!v) return a + " needs a board code";
            auto code = parseBoardCode(*v);
            if (!code) return "not a board code: '" + *v + "'";
            (a == "--board" ? o.board : o.to) = *code;
        } else if (a == "-o" || a == "--output") {
            auto v = value(a.c_str());
            if (!v) return a + " needs a file name";
            o.outputPath = *v;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            return "unknown option '" + a + "'";
        } else {
            o.files.push_back(a);
        }
    }
    return {};
}

int usage(CommandOutput& output, const std::string& message, const char* help) {
    output.err += "zvsetup: " + message + "\n" + help;
    return kExitUsage;
}

// Requires a supported board; reports a clear error otherwise.
bool supportedBoard(std::optional<BoardType> code, const char* option, CommandOutput& output) {
    if (isSupportedBoard(*code)) return true;
    output.err += "zvsetup: unsupported board type " + std::to_string(*code) + " (" + option +
                  "); supported:\n" + boardList();
    return false;
}

int writeOutput(const std::vector<uint8_t>& bytes, const std::string& path, CommandOutput& output) {
    if (path.empty() || path == "-") {
        output.out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return kExitOk;
    }
    const Result r = writeWholeFile(path, bytes.data(), bytes.size());
    if (failed(r)) {
        output.err += "zvsetup: cannot write " + path + "\n";
        return kExitBadInput;
    }
    return kExitOk;
}

int loadInto(const Options& o, SetupWorkspace& setup, CommandOutput& output) {
    setup.initDefaults(*o.board);
    const SetupFileLoadResult r = readSetupFile(o.files[0], *o.board, setup);
    if (!r.ok) {
        output.err += "zvsetup: " + o.files[0] + ": " + r.reason + "\n";
        return kExitBadInput;
    }
    return kExitOk;
}

int commandNew(const Options& o, CommandOutput& output) {
    if (!o.board) return usage(output, "new: --board is required", kNewHelp);
    if (!o.files.empty()) return usage(output, "new: unexpected argument '" + o.files[0] + "'", kNewHelp);
    if (!supportedBoard(o.board, "--board", output)) return kExitBadInput;
    auto setup = std::make_unique<SetupWorkspace>();
    setup->initDefaults(*o.board);
    return writeOutput(composeSetupFile(*setup, *o.board), o.outputPath, output);
}

int commandCheckOrDump(const Options& o, bool dump, CommandOutput& output) {
    const char* help = dump ? kDumpHelp : kCheckHelp;
    if (!o.board) return usage(output, "--board is required", help);
    if (o.files.size() != 1) return usage(output, "exactly one FILE is required", help);
    if (!supportedBoard(o.board, "--board", output)) return kExitBadInput;
    auto setup = std::make_unique<SetupWorkspace>();
    if (int rc = loadInto(o, *setup, output)) return rc;
    if (dump) output.out += dumpSetup(*setup, *o.board);
    return kExitOk;
}

int commandConvert(const Options& o, CommandOutput& output) {
    if (!o.board || !o.to) return usage(output, "convert: --board and --to are required", kConvertHelp);
    if (o.files.size() != 1) return usage(output, "convert: exactly one FILE is required", kConvertHelp);
    if (o.outputPath.empty()) return usage(output, "convert: -o OUT is required", kConvertHelp);
    if (!supportedBoard(o.board, "--board", output) || !supportedBoard(o.to, "--to", output))
        return kExitBadInput;
    auto setup = std::make_unique<SetupWorkspace>();
    if (int rc = loadInto(o, *setup, output)) return rc;
    if (isDualProtocolBoard(*o.to)) {
        uint8_t* image = setup->image.data();
        image[9] = 9;  // dual-protocol layout code
        if (isCanOnlyBoard(*o.board)) setup::initRecord(setup::kBoardFeatures, image + 1408, {*o.to});
    }
    return writeOutput(composeSetupFile(*setup, *o.to), o.outputPath, output);
}

}  // namespace

int runZvsetup(const std::vector<std::string>& args, CommandOutput& output) {
    if (args.empty()) return usage(output, "no command given", (std::string(kToolHelp) + boardList()).c_str());
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        output.out += kToolHelp + boardList();
        return kExitOk;
    }
    Options o;
    const std::string error = parseOptions(args, o);
    const char* help = command == "new"     ? kNewHelp
                       : command == "check" ? kCheckHelp
                       : command == "dump"  ? kDumpHelp
                       : command == "convert" ? kConvertHelp
                                              : nullptr;
    if (!help) return usage(output, "unknown command '" + command + "'", kToolHelp);
    if (o.help) {
        output.out += help;
        return kExitOk;
    }
    if (!error.empty()) return usage(output, command + ": " + error, help);
    if (command == "new") return commandNew(o, output);
    if (command == "check") return commandCheckOrDump(o, false, output);
    if (command == "dump") return commandCheckOrDump(o, true, output);
    return commandConvert(o, output);
}

}  // namespace zv::tools
