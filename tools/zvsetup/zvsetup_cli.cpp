#include "zvsetup_cli.h"

#include <memory>
#include <optional>
#include <string_view>

#include "base/board_type.h"
#include "setup/setup_dump.h"
#include "setup/setup_fields.h"
#include "setup/setup_file.h"

namespace zv::tools {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

constexpr const char* kToolHelp =
    "usage: zvsetup COMMAND [OPTIONS]\n"
    "\n"
    "Creates, checks, prints and edits analyzer setup files (.ST, .SU).\n"
    "\n"
    "commands:\n"
    "  new      --board CODE [-o FILE]                  default setup file for a board\n"
    "  check    --board CODE FILE                       load FILE as the program does\n"
    "  dump     --board CODE FILE                       print every field of the loaded setup\n"
    "  convert  --board CODE FILE --to CODE2 -o OUT     re-save a setup for another board\n"
    "  get      --board CODE FILE PATH...               fields as the setup pages show them\n"
    "  set      --board CODE FILE -o OUT PATH=TEXT...   type fields as on the setup pages, save\n"
    "  diff     --board CODE FILE_A FILE_B              the fields that differ\n"
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

constexpr const char* kGetHelp =
    "usage: zvsetup get --board CODE FILE PATH...\n"
    "Loads FILE as `check` does and prints each field named by a PATH as `dump` names it\n"
    "(\"SetupImage.ChannelSettings.CanChannelGroup.CanChannel1.baseFrequency\"), one line each.\n"
    "Fields a setup page edits show as the page shows them (\"1.25M\", \"9600\", identifiers in\n"
    "hexadecimal, data bytes as entered); the others as `dump` prints them. EX-NB2A boards\n"
    "name their image \"SetupImageCanOnly\". A PATH that names no field is an error (exit 1)\n"
    "and nothing is printed.\n";

constexpr const char* kSetHelp =
    "usage: zvsetup set --board CODE FILE -o OUT PATH=TEXT...\n"
    "Loads FILE, reads each TEXT in order as the field's setup page reads it and saves the\n"
    "result to OUT (\"-\" for standard output). Typed fields are clamped and rounded as on the\n"
    "page (\"1.25M\", \"19.2k\"; a bit-timing value clamps all four timing fields; a CAN\n"
    "identifier is hexadecimal and goes into the field its entry's frame type uses:\n"
    "identifier11 for types 0 and 2, identifier29 for 1 and 3); choices take their entry\n"
    "number. Fields without a page take a decimal or 0x number within their width,\n"
    "byte strings their bytes as `dump` prints them. An unknown PATH, a recordSize, a TEXT the\n"
    "field cannot take or a change the file would not keep is an error (exit 1) and OUT is\n"
    "not written.\n";

constexpr const char* kDiffHelp =
    "usage: zvsetup diff --board CODE FILE_A FILE_B\n"
    "Loads both files as `check` does and prints each field that differs as\n"
    "\"PATH: A -> B\" with the texts `get` shows (when those agree, the stored values follow\n"
    "in brackets). Exit 0 when no field differs, 1 when some do or a file does not load.\n";

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

// Loads FILES[INDEX] into SETUP by board CODE's rules.
int loadFile(const Options& o, size_t index, SetupWorkspace& setup, CommandOutput& output) {
    setup.initDefaults(*o.board);
    const SetupFileLoadResult r = readSetupFile(o.files[index], *o.board, setup);
    if (!r.ok) {
        output.err += "zvsetup: " + o.files[index] + ": " + r.reason + "\n";
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
    if (int rc = loadFile(o, 0, *setup, output)) return rc;
    if (dump) output.out += dumpSetup(*setup, *o.board);
    return kExitOk;
}

int commandGet(const Options& o, CommandOutput& output) {
    if (!o.board) return usage(output, "get: --board is required", kGetHelp);
    if (o.files.size() < 2) return usage(output, "get: FILE and at least one PATH are required", kGetHelp);
    if (!supportedBoard(o.board, "--board", output)) return kExitBadInput;
    auto setup = std::make_unique<SetupWorkspace>();
    if (int rc = loadFile(o, 0, *setup, output)) return rc;
    std::string lines;
    for (size_t i = 1; i < o.files.size(); ++i) {
        std::string error;
        const std::optional<std::string> text = getSetupField(*setup, *o.board, o.files[i], error);
        if (!text) {
            output.err += "zvsetup: " + error + "\n";
            return kExitBadInput;
        }
        lines += *text + "\n";
    }
    output.out += lines;
    return kExitOk;
}

int commandSet(const Options& o, CommandOutput& output) {
    if (!o.board) return usage(output, "set: --board is required", kSetHelp);
    if (o.files.size() < 2) return usage(output, "set: FILE and at least one PATH=TEXT are required", kSetHelp);
    if (o.outputPath.empty()) return usage(output, "set: -o OUT is required", kSetHelp);
    for (size_t i = 1; i < o.files.size(); ++i)
        if (o.files[i].find('=') == std::string::npos)
            return usage(output, "set: '" + o.files[i] + "' is not PATH=TEXT", kSetHelp);
    if (!supportedBoard(o.board, "--board", output)) return kExitBadInput;
    auto setup = std::make_unique<SetupWorkspace>();
    if (int rc = loadFile(o, 0, *setup, output)) return rc;
    for (size_t i = 1; i < o.files.size(); ++i) {
        const std::string& assignment = o.files[i];
        const size_t equals = assignment.find('=');
        std::string error;
        if (!setSetupField(*setup, *o.board, std::string_view(assignment).substr(0, equals),
                           std::string_view(assignment).substr(equals + 1), error)) {
            output.err += "zvsetup: " + error + "\n";
            return kExitBadInput;
        }
    }
    const std::vector<uint8_t> file = composeSetupFile(*setup, *o.board);
    // A group's child count or the like can make a file our own loader reads differently:
    // such a change is refused rather than saved.
    auto reloaded = std::make_unique<SetupWorkspace>();
    reloaded->initDefaults(*o.board);
    const SetupFileLoadResult back = loadSetupFile(file.data(), file.size(), *o.board, *reloaded);
    const std::vector<std::string> lost =
        back.ok ? diffSetupFields(*setup, *reloaded, *o.board) : std::vector<std::string>{"the whole file"};
    if (!back.ok || !lost.empty()) {
        output.err += "zvsetup: the saved file would not load back as set:\n";
        for (const std::string& line : lost) output.err += "  " + line + "\n";
        return kExitBadInput;
    }
    return writeOutput(file, o.outputPath, output);
}

int commandDiff(const Options& o, CommandOutput& output) {
    if (!o.board) return usage(output, "diff: --board is required", kDiffHelp);
    if (o.files.size() != 2) return usage(output, "diff: exactly two files are required", kDiffHelp);
    if (!supportedBoard(o.board, "--board", output)) return kExitBadInput;
    auto a = std::make_unique<SetupWorkspace>();
    auto b = std::make_unique<SetupWorkspace>();
    if (int rc = loadFile(o, 0, *a, output)) return rc;
    if (int rc = loadFile(o, 1, *b, output)) return rc;
    const std::vector<std::string> lines = diffSetupFields(*a, *b, *o.board);
    for (const std::string& line : lines) output.out += line + "\n";
    return lines.empty() ? kExitOk : kExitBadInput;
}

int commandConvert(const Options& o, CommandOutput& output) {
    if (!o.board || !o.to) return usage(output, "convert: --board and --to are required", kConvertHelp);
    if (o.files.size() != 1) return usage(output, "convert: exactly one FILE is required", kConvertHelp);
    if (o.outputPath.empty()) return usage(output, "convert: -o OUT is required", kConvertHelp);
    if (!supportedBoard(o.board, "--board", output) || !supportedBoard(o.to, "--to", output))
        return kExitBadInput;
    auto setup = std::make_unique<SetupWorkspace>();
    if (int rc = loadFile(o, 0, *setup, output)) return rc;
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
                       : command == "get"     ? kGetHelp
                       : command == "set"     ? kSetHelp
                       : command == "diff"    ? kDiffHelp
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
    if (command == "get") return commandGet(o, output);
    if (command == "set") return commandSet(o, output);
    if (command == "diff") return commandDiff(o, output);
    return commandConvert(o, output);
}

}  // namespace zv::tools
