#include "zvremote_cli.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>

#include "base/board_type.h"
#include "base/bytes.h"
#include "base/file_io.h"
#include "capture/buffer_files.h"
#include "capture/file_system.h"
#include "capture/watch_list.h"
#include "keyemu/lcd_picture.h"
#include "remote/session_messages.h"
#include "remote/session_sink.h"
#include "remote/zvremote.h"
#include "setup/setup_areas.h"
#include "setup/setup_file.h"

namespace zv::tools {
namespace {

using namespace zv::remote_api;
using SteadyClock = std::chrono::steady_clock;

// How long a connect refused as busy is tried again.
constexpr int kBusyRetryMs = 2000;

// What the library reports when the analyzer's end of the link went away.
constexpr Result kLinkLost = static_cast<Result>(0x80072746u);

constexpr const char* kUsage =
    "usage: zvremote CONNECTION COMMAND [OPTIONS]\n"
    "       zvremote list\n"
    "       zvremote screen --from FILE.raw [--format 0|1|2|3] -o FILE.bmp\n"
    "\n"
    "Scripts an analyzer through the remote library.\n"
    "\n"
    "connection:\n"
    "  --usb SERIAL                      a USB analyzer by serial number (e.g. 30808001)\n"
    "  --lan HOST:DATA:CONTROL           an analyzer behind an XB-40 LAN adapter\n"
    "  --serial PORT[,BAUD[,PARITY]]     a serial port (BAUD 115200, PARITY none|odd|even)\n"
    "\n"
    "commands:\n"
    "  list                              the USB analyzers the library knows\n"
    "  info                              model, option board and status of the analyzer\n"
    "  upload -o FILE.DT                 the capture buffer into a data file\n"
    "  setup receive -o FILE.SU          the analyzer's setup into a setup file\n"
    "  setup send FILE.SU                a setup file to the analyzer\n"
    "  start | stop                      start or stop a measurement\n"
    "  monitor --seconds S --dir DIR [--block SIZE,COUNT]\n"
    "                                    a monitor measurement into numbered buffer files\n"
    "                                    (SIZE 1M|2M|4M|8M of records per file, COUNT 2..2000\n"
    "                                    files at most; default 1M,10); the numbered files\n"
    "                                    already in DIR are replaced\n"
    "  key CODE...                       key presses: a key value (0x8014) or a name: enter,\n"
    "                                    menu, up, down, left, right, pageup, pagedown, start,\n"
    "                                    stop, shift, k0 ... k9\n"
    "  screen [--format 0|1|2|3] [--raw] -o FILE\n"
    "                                    the analyzer's LCD as a 256 x 80 bitmap file, as the\n"
    "                                    key-emulation panel saves it: format 0 monochrome (the\n"
    "                                    default), 1 monochrome with a frame, 2 colour, 3 colour\n"
    "                                    with a frame; --raw: the 1920-byte screen image as read\n"
    "  screen --from FILE.raw [--format 0|1|2|3] -o FILE.bmp\n"
    "                                    a saved screen image as a bitmap file, without an\n"
    "                                    analyzer\n"
    "  clock [YYYY-MM-DD HH:MM:SS]       set the analyzer's clock (default: this PC's time)\n"
    "\n"
    "Exit status: 0 done, 1 failed (no analyzer, refused, time-out, lost link, file error),\n"
    "2 usage.\n";

std::string hex32(uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "0x%08X", v);
    return s;
}

std::string hexCode(uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "0x%X", v);
    return s;
}

// --- the session's outside world ----------------------------------------------------------------

// The key-emulation panel's screen-changed notification, as the tool records it.
constexpr uint32_t kScreenChangedEvent = 0xFFFF0004u;

// What the session posted, in order. A completed request is copied at once and its reference
// given back, so nothing the library owns outlives the callback that posted it.
struct Event {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    uintptr_t lParam = 0;
    uint32_t kind = 0;
    Result result = kOk;
    uint32_t param1 = 0;
    uintptr_t param2 = 0;
    uint32_t param3 = 0;
    uint32_t param4 = 0;
    bool taken = false;
};

class ToolSink final : public SessionSink {
public:
    ~ToolSink() override { closeRemotes(); }

    bool postMain(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        Event e;
        e.message = message;
        e.wParam = wParam;
        e.lParam = lParam;
        if (message == UM_REQUEST_DONE) {
            if (const auto* r = reinterpret_cast<const IZVRemoteRequest*>(lParam)) {
                e.kind = r->kind;
                e.result = r->result;
                e.param1 = r->param1;
                e.param2 = r->param2;
                e.param3 = r->param3;
                e.param4 = r->param4;
            }
            CZVRemote5m::releaseRequestMessage(lParam);
            e.lParam = 0;
        }
        push(std::move(e));
        return true;
    }
    bool postSetup(uint32_t message, uintptr_t wParam, uintptr_t lParam) override {
        Event e;
        e.message = message;
        e.wParam = wParam;
        e.lParam = lParam;
        push(std::move(e));
        return true;
    }
    bool postKeyEmulation(uint32_t wParam) override {
        // Only the screen matters here; kept apart from the window messages.
        if (wParam == kKeyEmuScreenChanged) {
            Event e;
            e.message = kScreenChangedEvent;
            push(std::move(e));
        }
        return true;
    }
    void setBoardText(std::string_view text) override {
        std::lock_guard lock(mutex_);
        boardText_ = text;
    }
    void writeModelKeys(std::string_view, std::string_view) override {}
    void showWarning(uint32_t, uint32_t textId, std::optional<uint32_t> argument) override {
        std::lock_guard lock(mutex_);
        endReasons_.push_back(argument ? hexCode(textId) + "/" + std::to_string(*argument) : hexCode(textId));
    }
    bool progressDialogOpen() override { return false; }
    void cancelProgressDialog() override {}
    void closeProgressDialog() override {}
    bool monitoring() override { return monitoring_.load(); }
    intptr_t uploadDialogResult() override { return 0; }
    std::string dataFolder() override {
        std::lock_guard lock(mutex_);
        return folder_;
    }

    void setMonitoring(bool on) { monitoring_.store(on); }
    void setDataFolder(std::string folder) {
        std::lock_guard lock(mutex_);
        folder_ = std::move(folder);
    }
    std::string boardText() const {
        std::lock_guard lock(mutex_);
        return boardText_;
    }
    // Wakes a wait so that it looks at flags kept outside the sink.
    void wake() {
        std::lock_guard lock(mutex_);
        ++activity_;
        cond_.notify_all();
    }
    size_t eventCount() const {
        std::lock_guard lock(mutex_);
        return events_.size();
    }

    // Waits until `done` (called under the lock with the events) says so; false when
    // `until` passed or nothing at all happened for silenceMs first. The links the session
    // asks to close are closed on this thread, as the main window would.
    template <typename Done>
    bool wait(Done done, int silenceMs, std::optional<SteadyClock::time_point> until = std::nullopt) {
        closeRemotes();
        std::unique_lock lock(mutex_);
        uint64_t seen = activity_;
        auto quietSince = SteadyClock::now();
        while (!done(events_)) {
            auto limit = quietSince + std::chrono::milliseconds(silenceMs);
            if (until && *until < limit) limit = *until;
            if (!cond_.wait_until(lock, limit, [&] { return activity_ != seen; })) return false;
            seen = activity_;
            quietSince = SteadyClock::now();
            if (hasRemoteClose_) {
                lock.unlock();
                closeRemotes();
                lock.lock();
            }
        }
        return true;
    }

    // Closes and releases the remote objects of UM_REMOTE_CLOSE, as the main window does.
    void closeRemotes() {
        std::vector<uintptr_t> remotes;
        {
            std::lock_guard lock(mutex_);
            if (!hasRemoteClose_) return;
            hasRemoteClose_ = false;
            for (Event& e : events_) {
                if (e.message == UM_REMOTE_CLOSE && e.lParam) {
                    remotes.push_back(e.lParam);
                    e.lParam = 0;
                }
            }
        }
        for (const uintptr_t r : remotes) CZVRemote5m::closeRemoteMessage(r);
    }

    SteadyClock::time_point lastActivity() const {
        std::lock_guard lock(mutex_);
        return lastActivity_;
    }

    std::vector<std::string> endReasons() const {
        std::lock_guard lock(mutex_);
        return endReasons_;
    }

private:
    void push(Event e) {
        std::lock_guard lock(mutex_);
        lastActivity_ = SteadyClock::now();
        if (e.message == UM_REMOTE_CLOSE) hasRemoteClose_ = true;
        events_.push_back(std::move(e));
        ++activity_;
        cond_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable cond_;
    std::deque<Event> events_;
    uint64_t activity_ = 0;
    SteadyClock::time_point lastActivity_{};
    bool hasRemoteClose_ = false;
    std::atomic<bool> monitoring_{false};
    std::string folder_;
    std::string boardText_;
    std::vector<std::string> endReasons_;
};

// --- command line ---------------------------------------------------------------------------

struct Options {
    ConnectionSettings connection = defaultConnectionSettings();
    std::string linkText;  // how the link is named in messages
    bool haveConnection = false;
    std::vector<std::string> command;  // the command and its arguments
};

template <size_t N>
bool copyText(char (&field)[N], const std::string& text) {
    if (text.empty() || text.size() >= N || text.find('\0') != std::string::npos) return false;
    std::fill(field, field + N, '\0');
    std::copy(text.begin(), text.end(), field);
    return true;
}

std::optional<uint32_t> parseNumber(const std::string& s, uint64_t max = 0xFFFFFFFFu) {
    if (s.empty()) return std::nullopt;
    size_t i = 0;
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        i = 2;
    }
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (v > max) return std::nullopt;
    }
    return static_cast<uint32_t>(v);
}

std::vector<std::string> split(const std::string& s, char by) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = s.find(by, start);
        parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

// Returns an error text; empty when the option was taken.
std::string parseConnection(const std::string& option, const std::string& value, Options& o) {
    ConnectionSettings& c = o.connection;
    if (option == "--usb") {
        c.method = kMethodUsb;
        if (!copyText(c.usbSerialNumber, value)) return "--usb takes a serial number of 1 to 15 characters";
        o.linkText = "USB analyzer " + value;
    } else if (option == "--lan") {
        // HOST:DATA:CONTROL, split from the right so that the host may hold colons.
        const size_t second = value.rfind(':');
        const size_t first = second == std::string::npos || second == 0 ? std::string::npos : value.rfind(':', second - 1);
        if (first == std::string::npos) return "--lan takes HOST:DATA:CONTROL";
        c.method = kMethodLan;
        if (!copyText(c.host, value.substr(0, first)) || !copyText(c.dataService, value.substr(first + 1, second - first - 1)) ||
            !copyText(c.controlService, value.substr(second + 1)))
            return "--lan takes HOST:DATA:CONTROL";
        o.linkText = "LAN analyzer " + value;
    } else {
        const std::vector<std::string> parts = split(value, ',');
        if (parts.size() > 3) return "--serial takes PORT[,BAUD[,PARITY]]";
        c.method = kMethodSerial;
        if (!copyText(c.serialPort, parts[0])) return "--serial takes PORT[,BAUD[,PARITY]]";
        if (parts.size() > 1) {
            const std::optional<uint32_t> baud = parseNumber(parts[1]);
            if (!baud || *baud == 0) return "--serial: the baud rate must be a positive number";
            c.baudRate = *baud;
        }
        if (parts.size() > 2) {
            static const char* const kParities[] = {"none", "odd", "even"};
            const auto* at = std::find(std::begin(kParities), std::end(kParities), parts[2]);
            if (at == std::end(kParities)) return "--serial: parity is none, odd or even";
            c.parity = static_cast<uint32_t>(at - std::begin(kParities));
        }
        o.linkText = "serial analyzer on " + parts[0];
    }
    if (o.haveConnection) return "give one connection only";
    o.haveConnection = true;
    return {};
}

std::string parseOptions(const std::vector<std::string>& args, Options& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--usb" || a == "--lan" || a == "--serial") {
            if (i + 1 >= args.size()) return "missing value for " + a;
            if (std::string e = parseConnection(a, args[++i], o); !e.empty()) return e;
        } else {
            o.command.push_back(a);
        }
    }
    return {};
}

struct KeyName {
    const char* name;
    uint32_t value;
};
constexpr KeyName kKeyNames[] = {
    {"left", 0x8010},  {"right", 0x8011},  {"up", 0x8012},    {"down", 0x8013},   {"enter", 0x8014},
    {"pageup", 0x8015}, {"pagedown", 0x8016}, {"menu", 0x8017}, {"start", 0x8021}, {"stop", 0x8022},
    {"shift", 0xFFFFFFFFu},
};

std::optional<uint32_t> parseKey(const std::string& text) {
    for (const KeyName& k : kKeyNames)
        if (text == k.name) return k.value;
    if (text.size() == 2 && text[0] == 'k' && text[1] >= '0' && text[1] <= '9')
        return 0x8000u | static_cast<uint32_t>(text[1] - '0');
    return parseNumber(text);
}

// --- commands -------------------------------------------------------------------------------

enum class Command { List, Info, Upload, SetupReceive, SetupSend, Start, Stop, Monitor, Key, Screen, Clock };

struct Plan {
    Command command = Command::Info;
    std::string path;
    double seconds = 0;
    std::string folder;
    int blockSizeIndex = 0;
    int blockCount = 10;
    std::vector<uint32_t> keys;
    std::optional<ClockTime> clock;
    // screen: the export format, or the image as read; a saved image to convert offline.
    keyemu::ExportFormat format = keyemu::exportFormatForImageMode(0);
    bool raw = false;
    std::string from;
};

// "-o FILE" as the only arguments.
std::string parseOutput(const std::vector<std::string>& rest, const std::string& what, std::string& path) {
    if (rest.size() != 2 || rest[0] != "-o" || rest[1].empty()) return what + " takes -o FILE";
    path = rest[1];
    return {};
}

// screen [--format N] [--raw] [--from FILE] -o FILE, each option at most once.
std::string parseScreen(const std::vector<std::string>& rest, Plan& p) {
    bool haveFormat = false;
    for (size_t i = 0; i < rest.size(); ++i) {
        const std::string& a = rest[i];
        if (a == "--raw") {
            if (p.raw) return "screen: --raw given twice";
            p.raw = true;
            continue;
        }
        if (a != "--format" && a != "--from" && a != "-o") return "unknown screen option " + a;
        if (i + 1 >= rest.size() || rest[i + 1].empty()) return "missing value for " + a;
        const std::string& v = rest[++i];
        if (a == "--format") {
            if (haveFormat) return "screen: --format given twice";
            if (v.size() != 1 || v[0] < '0' || v[0] > '3') return "--format takes 0, 1, 2 or 3";
            p.format = static_cast<keyemu::ExportFormat>(v[0] - '0');
            haveFormat = true;
        } else {
            std::string& field = a == "-o" ? p.path : p.from;
            if (!field.empty()) return "screen: " + a + " given twice";
            field = v;
        }
    }
    if (p.path.empty()) return "screen takes -o FILE";
    if (p.raw && haveFormat) return "screen --raw writes the screen image as read: it takes no --format";
    if (p.raw && !p.from.empty()) return "screen --from makes a bitmap file: it takes no --raw";
    return {};
}

std::string parseBlock(const std::string& text, Plan& p) {
    const std::vector<std::string> parts = split(text, ',');
    static const char* const kSizes[] = {"1M", "2M", "4M", "8M"};
    if (parts.size() != 2) return "--block takes SIZE,COUNT, e.g. 1M,10";
    const auto* size = std::find(std::begin(kSizes), std::end(kSizes), parts[0]);
    if (size == std::end(kSizes)) return "--block: SIZE is 1M, 2M, 4M or 8M";
    const std::optional<uint32_t> count = parseNumber(parts[1], 100000);
    if (!count || *count < 2 || *count > 2000) return "--block: COUNT is 2 to 2000";
    p.blockSizeIndex = static_cast<int>(size - std::begin(kSizes));
    p.blockCount = static_cast<int>(*count);
    return {};
}

std::string parseSeconds(const std::string& text, double& seconds) {
    // Digits with at most one decimal point; no exponents, signs or blanks.
    bool point = false, digit = false;
    for (const char c : text) {
        if (c == '.' && !point) point = true;
        else if (c >= '0' && c <= '9') digit = true;
        else return "--seconds takes a number of seconds";
    }
    if (!digit) return "--seconds takes a number of seconds";
    seconds = std::strtod(text.c_str(), nullptr);
    if (seconds <= 0 || seconds > 7 * 86400.0) return "--seconds takes more than 0 and at most a week";
    return {};
}

std::string parseCommand(const std::vector<std::string>& words, Plan& p) {
    if (words.empty()) return "no command";
    const std::string& c = words[0];
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    auto none = [&](Command command) -> std::string {
        p.command = command;
        return rest.empty() ? std::string() : c + " takes no arguments";
    };
    if (c == "list") return none(Command::List);
    if (c == "info") return none(Command::Info);
    if (c == "start") return none(Command::Start);
    if (c == "stop") return none(Command::Stop);
    if (c == "upload") {
        p.command = Command::Upload;
        return parseOutput(rest, "upload", p.path);
    }
    if (c == "screen") {
        p.command = Command::Screen;
        return parseScreen(rest, p);
    }
    if (c == "setup") {
        if (!rest.empty() && rest[0] == "receive") {
            p.command = Command::SetupReceive;
            return parseOutput({rest.begin() + 1, rest.end()}, "setup receive", p.path);
        }
        if (rest.size() == 2 && rest[0] == "send" && !rest[1].empty()) {
            p.command = Command::SetupSend;
            p.path = rest[1];
            return {};
        }
        return "setup takes receive -o FILE.SU or send FILE.SU";
    }
    if (c == "key") {
        p.command = Command::Key;
        if (rest.empty()) return "key takes one or more key codes";
        for (const std::string& k : rest) {
            const std::optional<uint32_t> value = parseKey(k);
            if (!value) return "unknown key " + k;
            p.keys.push_back(*value);
        }
        return {};
    }
    if (c == "clock") {
        p.command = Command::Clock;
        if (rest.empty()) return {};
        std::string text = rest[0];
        if (rest.size() == 2) text += " " + rest[1];
        ClockTime t;
        if (rest.size() > 2 || !parseClockTime(text, t)) return "clock takes YYYY-MM-DD HH:MM:SS";
        p.clock = t;
        return {};
    }
    if (c == "monitor") {
        p.command = Command::Monitor;
        for (size_t i = 0; i < rest.size(); i += 2) {
            if (i + 1 >= rest.size()) return "missing value for " + rest[i];
            const std::string& v = rest[i + 1];
            if (rest[i] == "--seconds") {
                if (std::string e = parseSeconds(v, p.seconds); !e.empty()) return e;
            } else if (rest[i] == "--dir") {
                if (v.empty()) return "--dir takes a folder";
                p.folder = v;
            } else if (rest[i] == "--block") {
                if (std::string e = parseBlock(v, p); !e.empty()) return e;
            } else {
                return "unknown monitor option " + rest[i];
            }
        }
        if (p.seconds <= 0 || p.folder.empty()) return "monitor takes --seconds S --dir DIR";
        return {};
    }
    return "unknown command " + c;
}

struct FoundDevice {
    int32_t kind;
    std::string serial;
};

// The library's enumeration callback (stdcall on 32-bit Windows, like every library call).
int32_t ZV_CALL collectUsbDevice(const ZVUsbDeviceRecord* device, void* context) {
    if (device && device->serialNumber)
        static_cast<std::vector<FoundDevice>*>(context)->push_back({device->kind, device->serialNumber});
    return 1;
}

// --- one run --------------------------------------------------------------------------------

// The outcome of a wait: the event waited for, or why there is none.
struct Waited {
    std::optional<Event> event;
    Result failure = kOk;
};

class Runner {
public:
    Runner(const ZvremoteIo& io, const Options& options, const Plan& plan)
        : io_(io), options_(options), plan_(plan), files_(realFileSystem(), &watch_) {}
    ~Runner() { shutDown(); }
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    int run();

private:
    void say(const std::string& line) const {
        if (io_.standardOutput) io_.standardOutput(line + "\n");
    }
    void note(const std::string& line) const {
        if (io_.standardError) io_.standardError("zvremote: " + line + "\n");
    }
    bool failWith(const std::string& what, Result r) {
        endProgress();
        error_ = what + ": " + describeResult(r);
        return false;
    }
    bool failWith(const std::string& what) {
        endProgress();
        error_ = what;
        return false;
    }

    bool list();
    bool connect();
    void shutDown();
    // From here on the waits look only at what the session posts from now on.
    void mark() { from_ = sink_.eventCount(); }
    std::optional<Event> take(std::deque<Event>& events, uint32_t message,
                              const std::function<bool(const Event&)>& match = nullptr);
    // The result the link ended with when it was lost (kLinkLost when the library named none).
    std::optional<Result> lostIn(const std::deque<Event>& events) const;
    // Waits for a message (progressLabel: draw the transfers' progress meanwhile). A lost link
    // gives the message a moment, then fails with the link-lost code; silence is a time-out.
    Waited waitFor(uint32_t message, const std::function<bool(const Event&)>& match, const char* progressLabel = nullptr,
                   int silenceMs = 0);
    Waited waitDone(uint32_t kind, std::optional<uint32_t> param1 = std::nullopt, const char* progressLabel = nullptr,
                    int silenceMs = 0);
    // A request's completion, its failure named with what.
    bool completed(uint32_t kind, std::optional<uint32_t> param1, const std::string& what,
                   const char* progressLabel = nullptr);
    void drawProgress(const char* label, uint32_t step, uintptr_t wParam);
    void endProgress();
    // How long a wait may go before it looks at the stop flag again (none: no look).
    std::optional<SteadyClock::time_point> stopPoll(bool interruptible) const {
        if (!interruptible || !io_.stop) return std::nullopt;
        return SteadyClock::now() + std::chrono::milliseconds(100);
    }
    BoardType board() const { return model_.boardType.load(); }
    bool idleAnalyzer(const char* what);

    bool info();
    bool upload();
    bool setupReceive();
    bool setupSend();
    bool measurement(bool start);
    bool monitor();
    bool keys();
    bool screen();
    bool clock();

    const ZvremoteIo& io_;
    const Options& options_;
    const Plan& plan_;
    ToolSink sink_;
    CurrentModel model_;
    SetupWorkspace setup_;
    WatchList watch_;
    BufferFiles files_;
    std::unique_ptr<CZVRemote5m> session_;
    bool initialised_ = false;
    bool connected_ = false;
    size_t from_ = 0;
    uint32_t uploadStep_ = 0;
    bool progressShown_ = false;
    std::atomic<bool> limitReached_{false};
    std::string error_;
};

std::optional<Event> Runner::take(std::deque<Event>& events, uint32_t message,
                                  const std::function<bool(const Event&)>& match) {
    for (size_t i = from_; i < events.size(); ++i) {
        Event& e = events[i];
        if (e.taken || e.message != message || (match && !match(e))) continue;
        e.taken = true;
        return e;
    }
    return std::nullopt;
}

std::optional<Result> Runner::lostIn(const std::deque<Event>& events) const {
    for (size_t i = from_; i < events.size(); ++i) {
        if (events[i].message == UM_CONNECTION_LOST)
            return events[i].wParam ? static_cast<Result>(static_cast<uint32_t>(events[i].wParam)) : kLinkLost;
    }
    return std::nullopt;
}

void Runner::drawProgress(const char* label, uint32_t step, uintptr_t wParam) {
    if (!io_.stderrIsTerminal || !io_.standardError || !label) return;
    const uint32_t total = static_cast<uint32_t>(wParam >> 16) & 0xFFFFu;
    const uint32_t done = static_cast<uint32_t>(wParam) & 0xFFFFu;
    const uint32_t percent = total ? std::min<uint32_t>(100, done * 100 / total) : 0;
    constexpr uint32_t kWidth = 30;
    std::string bar(kWidth, '.');
    std::fill(bar.begin(), bar.begin() + static_cast<std::ptrdiff_t>(percent * kWidth / 100), '#');
    char line[128];
    if (step)
        std::snprintf(line, sizeof line, "\r%s %u/4 [%s] %3u%%", label, step, bar.c_str(), percent);
    else
        std::snprintf(line, sizeof line, "\r%s [%s] %3u%%", label, bar.c_str(), percent);
    io_.standardError(line);
    progressShown_ = true;
}

void Runner::endProgress() {
    if (progressShown_ && io_.standardError) io_.standardError("\n");
    progressShown_ = false;
}

Waited Runner::waitFor(uint32_t message, const std::function<bool(const Event&)>& match, const char* progressLabel,
                       int silenceMs) {
    Waited w;
    std::optional<SteadyClock::time_point> grace;
    std::vector<std::pair<uint32_t, uintptr_t>> shown;  // step or 0, progress
    std::optional<Result> lost;
    // A transfer (the waits with a progress display) ends early on Ctrl+C: it is cancelled
    // and completes with the cancelled code.
    bool cancelled = false;
    auto interrupted = [&] { return progressLabel && !cancelled && io_.stop && io_.stop->load(); };
    const int silence = silenceMs > 0 ? silenceMs : io_.silenceLimitMs;
    const auto begin = SteadyClock::now();
    for (;;) {
        const bool answered = sink_.wait(
            [&](std::deque<Event>& events) {
                w.event = take(events, message, match);
                if (progressLabel) {
                    while (auto s = take(events, UM_UPLOAD_STEP)) uploadStep_ = static_cast<uint32_t>(s->wParam);
                    while (auto p = take(events, UM_TRANSFER_PROGRESS)) shown.emplace_back(uploadStep_, p->wParam);
                }
                lost = lostIn(events);
                return w.event.has_value() || (lost && !grace) || !shown.empty() || interrupted();
            },
            silence, grace ? grace : stopPoll(progressLabel != nullptr));
        for (const auto& [step, progress] : shown) drawProgress(progressLabel, step, progress);
        shown.clear();
        if (w.event) {
            if (progressLabel) endProgress();
            return w;
        }
        if (interrupted()) {
            cancelled = true;
            const Result r = session_->cancelCurrent();
            if (failed(r) || r == kFalse) {
                endProgress();
                w.failure = kResultCancelled;
                return w;
            }
            continue;
        }
        if (!answered && !grace && progressLabel && io_.stop &&
            SteadyClock::now() - std::max(begin, sink_.lastActivity()) < std::chrono::milliseconds(silence))
            continue;  // only a look at the stop flag
        if (lost && !grace) {
            // The library completes what was pending before it reports the loss: give a
            // message still on its way a moment.
            grace = SteadyClock::now() + std::chrono::milliseconds(500);
            continue;
        }
        if (answered) continue;
        endProgress();
        w.failure = lost ? *lost : kResultTimeout;
        if (lost) connected_ = false;
        return w;
    }
}

Waited Runner::waitDone(uint32_t kind, std::optional<uint32_t> param1, const char* progressLabel, int silenceMs) {
    return waitFor(UM_REQUEST_DONE, [&](const Event& e) { return e.kind == kind && (!param1 || e.param1 == *param1); },
                   progressLabel, silenceMs);
}

bool Runner::completed(uint32_t kind, std::optional<uint32_t> param1, const std::string& what,
                       const char* progressLabel) {
    const Waited w = waitDone(kind, param1, progressLabel);
    if (!w.event) return failWith(what, w.failure);
    if (failed(w.event->result)) return failWith(what, w.event->result);
    return true;
}

bool Runner::list() {
    const Result r = ZVInitializeRemote();
    if (failed(r)) return failWith("cannot initialise the remote library", r);
    initialised_ = true;
    std::vector<FoundDevice> found;
    ZVEnumUSBDevicesEx(-1, collectUsbDevice, &found);
    for (const FoundDevice& f : found) {
        // The device kind is the board code without its option-board digit.
        std::string model = "unknown model";
        for (const BoardInfo* b = boardsBegin(); b != boardsEnd(); ++b)
            if (static_cast<int32_t>(b->code & ~0xF0u) == f.kind) model = std::string(b->model);
        say(f.serial + "  " + model + " (kind " + std::to_string(f.kind) + ")");
    }
    if (found.empty()) note("no USB analyzers");
    return true;
}

bool Runner::connect() {
    Result r = ZVInitializeRemote();
    if (failed(r)) return failWith("cannot initialise the remote library", r);
    initialised_ = true;
    session_ = std::make_unique<CZVRemote5m>(sink_, SessionContext{model_, setup_, files_, options_.connection});
    r = session_->createRemote();
    if (failed(r)) return failWith("cannot create the remote object", r);
    // An analyzer notices a PC's link end a moment after the PC closed it, so a command right
    // after another may find it still busy with the previous one: ask again for a while.
    const auto busyUntil = SteadyClock::now() + std::chrono::milliseconds(kBusyRetryMs);
    for (;;) {
        mark();
        r = session_->connect();
        if (failed(r)) return failWith("cannot open the link to the " + options_.linkText, r);
        const Waited w = waitDone(kRequestConnect);
        if (!w.event) return failWith("cannot connect to the " + options_.linkText, w.failure);
        if (w.event->result == kResultRefused4 && SteadyClock::now() < busyUntil) {
            sink_.wait([](std::deque<Event>&) { return false; }, 100);  // closes the refused link meanwhile
            continue;
        }
        if (failed(w.event->result)) return failWith("cannot connect to the " + options_.linkText, w.event->result);
        break;
    }
    connected_ = true;
    setup_.initDefaults(board());
    return true;
}

void Runner::shutDown() {
    endProgress();
    if (session_) {
        if (connected_ && session_->connectionState() == 1) {
            mark();
            if (succeeded(session_->disconnect())) waitDone(kRequestDisconnect, std::nullopt, nullptr, 5000);
        }
        connected_ = false;
        sink_.closeRemotes();
        // The library must not call back into a session being destroyed.
        IZVRemote* remote = nullptr;
        if (succeeded(session_->getRemote(&remote)) && remote) {
            remote->Close();
            remote->Release();
        }
        session_.reset();
    }
    sink_.closeRemotes();
    if (initialised_) ZVUninitializeRemote();
    initialised_ = false;
}

bool Runner::idleAnalyzer(const char* what) {
    IZVRemote* remote = nullptr;
    if (failed(session_->getRemote(&remote)) || !remote) return failWith(std::string("cannot ") + what, kPointerMissing);
    const uint32_t status = remote->GetStatus();
    remote->Release();
    // The analyzer takes no setup while it measures.
    if (status == kStatusMeasuring) return failWith(std::string("cannot ") + what + ": the analyzer is measuring (stop it first)");
    return true;
}

bool Runner::info() {
    const DeviceInfo d = session_->deviceInfo();
    IZVRemote* remote = nullptr;
    uint32_t status = 0;
    int32_t state = 0;
    if (succeeded(session_->getRemote(&remote)) && remote) {
        status = remote->GetStatus();
        state = remote->GetState();
        remote->Release();
    }
    const BoardInfo* b = findBoard(d.boardType);
    say("analyzer:     " + (b ? std::string(b->text) : std::string("unsupported")) + " (board type " +
        std::to_string(d.boardType) + ")");
    say("option board: code " + std::to_string(d.exBoardCode));
    say("device value: " + hex32(d.value));
    say("link:         " + options_.linkText + (state == 1 ? ", connected" : ", state " + std::to_string(state)));
    say("status:       " + hex32(status) + ((status & kStatusMeasuring) ? " (measuring)" : " (idle)"));
    return true;
}

bool Runner::upload() {
    namespace fs = std::filesystem;
    const fs::path out(plan_.path);
    const fs::path folder = out.has_parent_path() ? out.parent_path() : fs::path(".");
    sink_.setDataFolder(folder.string());
    mark();
    uploadStep_ = 0;
    Result r = session_->startUpload();
    if (failed(r)) return failWith("cannot start the upload", r);
    const Waited w = waitFor(UM_UPLOAD_DONE, nullptr, "upload");
    r = w.event ? static_cast<Result>(static_cast<uint32_t>(w.event->wParam)) : w.failure;
    const fs::path temporary = folder / kUploadFileName;
    if (failed(r)) {
        // The session keeps no partial data: an earlier DATAFILE.TMP beside the output stays.
        return failWith("upload failed", r);
    }
    std::error_code ec;
    if (fs::absolute(temporary, ec).lexically_normal() != fs::absolute(out, ec).lexically_normal()) {
        fs::rename(temporary, out, ec);
        if (ec) {
            // Some systems do not replace a file by renaming.
            std::error_code ignored;
            fs::remove(out, ignored);
            ec.clear();
            fs::rename(temporary, out, ec);
        }
        if (ec) return failWith("cannot name the uploaded file " + out.string(), resultFromErrorCode(ec));
    }
    const auto size = fs::file_size(out, ec);
    say("uploaded " + (ec ? std::string("the capture buffer") : std::to_string(size) + " bytes") + " into " + out.string());
    return true;
}

bool Runner::setupReceive() {
    if (!idleAnalyzer("receive the setup")) return false;
    const BoardInfo* b = findBoard(board());
    if (!b) return failWith("the analyzer's board type " + std::to_string(board()) + " has no setup");
    const bool canOnly = b->layout == SetupLayout::CanOnly;
    struct Area {
        uint32_t code, bytes, message;
    };
    std::vector<Area> areas = {{kAreaSetupImage, canOnly ? 1056u : 1824u, UM_SETUP_RECEIVED_2000},
                               {kAreaCanTransmitTables, 7056u, UM_SETUP_RECEIVED_6000}};
    if (!canOnly) areas.push_back({kAreaLinTransmitTables, 6928u, UM_SETUP_RECEIVED_6100});
    setup_.initDefaults(board());
    for (const Area& a : areas) {
        const std::string name = "setup area " + hexCode(a.code);
        mark();
        session_->resetSetupBytesReceived();
        const Result r = session_->receiveBlock(a.code);
        if (failed(r)) return failWith("cannot request " + name, r);
        if (!completed(kRequestReceive, a.code, "cannot receive " + name, "setup receive")) return false;
        // The session decodes the area before it posts this.
        const Waited decoded = waitFor(a.message, nullptr);
        if (!decoded.event) return failWith("cannot receive " + name, decoded.failure);
        const uint32_t got = session_->setupBytesReceived();
        if (got != a.bytes)
            return failWith(name + ": the analyzer sent " + std::to_string(got) + " bytes instead of " +
                            std::to_string(a.bytes));
    }
    if (canOnly) importFromCanOnly(setup_.canOnlyImage, setup_.image);
    const Result r = writeSetupFile(plan_.path, board(), setup_);
    if (r != kOk) return failWith("cannot write " + plan_.path, failed(r) ? r : kFail);
    say("received the setup of the " + std::string(b->text) + " into " + plan_.path);
    return true;
}

bool Runner::setupSend() {
    if (!idleAnalyzer("send the setup")) return false;
    const SetupFileLoadResult loaded = readSetupFile(plan_.path, board(), setup_);
    if (!loaded.ok) return failWith(plan_.path + ": " + (loaded.reason.empty() ? "not a setup file" : loaded.reason));
    const std::vector<uint8_t> image = composeSetupFile(setup_, board());
    if (image.empty()) return failWith("the analyzer's board type " + std::to_string(board()) + " has no setup");
    // As the program does before a send: the menu key four times brings the analyzer's
    // panel back to its first page.
    for (int i = 0; i < 4; ++i) {
        mark();
        session_->sendKey(0x8017);
        if (!completed(kRequestKey, 0x8017u, "cannot prepare the analyzer for the setup")) return false;
    }
    size_t at = kSetupFileMagicSize;
    while (at + kWrapperHeaderSize <= image.size()) {
        const uint32_t tag = getU32(image.data(), at);
        const size_t length = kWrapperHeaderSize + getU32(image.data(), at + 4);
        const uint32_t code = tag == kTagSetup ? kAreaSetupImage : tag == kTagCanTables ? kAreaCanTransmitTables
                                                                                           : kAreaLinTransmitTables;
        if (length > image.size() - at) return failWith("internal error: a setup wrapper runs past the file");
        const std::string name = "setup area " + hexCode(code);
        mark();
        const Result r = session_->sendBlock(code, image.data() + at, static_cast<uint32_t>(length));
        if (failed(r)) return failWith("cannot send " + name, r);
        if (!completed(kRequestSend, code, "the analyzer did not take " + name, "setup send")) return false;
        at += length;
    }
    say("sent " + plan_.path + " to the " + sink_.boardText());
    return true;
}

bool Runner::measurement(bool start) {
    mark();
    const Result r = start ? session_->startMeasurement() : session_->stopMeasurement();
    const char* what = start ? "cannot start the measurement" : "cannot stop the measurement";
    if (failed(r)) return failWith(what, r);
    if (!completed(kRequestMeasurement, start ? 1u : 0u, what)) return false;
    say(start ? "measurement started" : "measurement stopped");
    return true;
}

bool Runner::monitor() {
    BufferSettings settings;
    settings.flags = kBufferFlagFullStop;  // no append: the numbered files of the folder are replaced
    settings.blockSizeIndex = plan_.blockSizeIndex;
    settings.blockCount = plan_.blockCount;
    settings.folder = plan_.folder;
    if (const Result r = realFileSystem().createFolders(settings.folder); failed(r))
        return failWith("cannot create " + settings.folder, r);
    files_.setLimitHandler([this] {
        limitReached_ = true;
        sink_.wake();
    });
    Result r = files_.startBufferFiles(settings, board());
    if (failed(r)) return failWith("cannot start the buffer files in " + settings.folder, r);
    sink_.setMonitoring(true);
    mark();
    const size_t started = from_;
    r = session_->startMeasurement();
    bool ok = true;
    bool informationExpected = false;
    if (failed(r)) {
        ok = failWith("cannot start the monitor measurement", r);
    } else {
        const Waited w = waitDone(kRequestMeasurement, 1u);
        if (!w.event || failed(w.event->result)) {
            ok = failWith("cannot start the monitor measurement", w.event ? w.event->result : w.failure);
        } else {
            informationExpected = w.event->param2 != 0;
        }
    }
    bool ended = false, lost = false;
    Result lostWith = kLinkLost;
    if (ok) {
        const auto begin = SteadyClock::now();
        const auto until = begin + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(plan_.seconds));
        for (;;) {
            const auto tick = std::min(until, SteadyClock::now() + std::chrono::milliseconds(500));
            sink_.wait(
                [&](std::deque<Event>& events) {
                    for (size_t i = started; i < events.size(); ++i) {
                        if (events[i].message == UM_MEASUREMENT_ENDED) ended = true;
                        if (events[i].message == UM_CONNECTION_LOST) {
                            lost = true;
                            if (events[i].wParam) lostWith = static_cast<Result>(static_cast<uint32_t>(events[i].wParam));
                        }
                    }
                    return ended || lost || limitReached_.load() || (io_.stop && io_.stop->load());
                },
                io_.silenceLimitMs, tick);
            if (io_.stderrIsTerminal && io_.standardError) {
                const BufferCounters c = files_.counters();
                char line[160];
                std::snprintf(line, sizeof line, "\rmonitor %.1f s: %llu records, %u lost-data markers",
                              std::chrono::duration<double>(SteadyClock::now() - begin).count(),
                              static_cast<unsigned long long>(c.recordsReceived), c.lostDataMarkers);
                io_.standardError(line);
                progressShown_ = true;
            }
            if (ended || lost || limitReached_.load() || (io_.stop && io_.stop->load()) || SteadyClock::now() >= until) break;
        }
        endProgress();
        if (limitReached_.load()) note("the buffer file limit of " + std::to_string(plan_.blockCount) + " files was reached");
        if (lost) {
            connected_ = false;
            ok = failWith("lost the link to the " + options_.linkText + " during the monitor measurement", lostWith);
        } else if (!ended) {
            mark();
            r = session_->stopMeasurement();
            if (failed(r)) {
                ok = failWith("cannot stop the monitor measurement", r);
            } else {
                // The blocks sent before the stop are in when the analyzer reports the end.
                const Waited w = waitDone(kRequestMeasurement, 0u);
                if (!w.event || failed(w.event->result))
                    ok = failWith("cannot stop the monitor measurement", w.event ? w.event->result : w.failure);
                else
                    waitFor(UM_MEASUREMENT_ENDED, nullptr, nullptr, 3000);
            }
        }
        if (informationExpected && !lost) {
            // The data-information block the files carry; it is asked for at the start.
            from_ = started;
            waitDone(kRequestReceive, kMonitorInformationBlock, nullptr, 3000);
        }
    }
    sink_.setMonitoring(false);
    const Result finished = files_.endMonitoring();
    const BufferCounters c = files_.counters();
    const BufferFolderScan scan = scanBufferFolder(realFileSystem(), settings.folder);
    char line[200];
    std::snprintf(line, sizeof line, "monitor: %llu records in %u files in %s, %u lost-data markers",
                  static_cast<unsigned long long>(c.recordsReceived), scan.count, settings.folder.c_str(),
                  c.lostDataMarkers);
    say(line);
    for (const std::string& reason : sink_.endReasons()) note("the analyzer ended the measurement (warning " + reason + ")");
    if (c.recordsNotWritten > 0) {
        // Records that reached the PC but no file: the measurement is not whole.
        const BufferWriteFailure w = files_.firstWriteFailure();
        const std::string what = std::to_string(c.recordsNotWritten) + " records could not be written, the first into " + w.path;
        if (ok) return failWith(what, w.result);
        note(what + ": " + describeResult(w.result));
    }
    if (ok && failed(finished)) return failWith("cannot finish the last buffer file", finished);
    return ok;
}

bool Runner::keys() {
    for (const uint32_t value : plan_.keys) {
        mark();
        session_->sendKey(value);
        if (!completed(kRequestKey, value, "key " + hex32(value) + " failed")) return false;
    }
    say("sent " + std::to_string(plan_.keys.size()) + (plan_.keys.size() == 1 ? " key" : " keys"));
    return true;
}

bool Runner::screen() {
    mark();
    session_->setScreenInterval(300);
    const Waited w = waitFor(kScreenChangedEvent, nullptr, nullptr, std::min(io_.silenceLimitMs, 5000));
    session_->setScreenInterval(kScreenUpdatesOff);
    if (!w.event) return failWith("no screen from the " + options_.linkText, w.failure);
    std::array<uint8_t, kScreenImageBytes> image{};
    IZVRemote* remote = nullptr;
    Result r = session_->getRemote(&remote);
    if (failed(r) || !remote) return failWith("cannot read the screen", r);
    r = remote->ReadScreen(image.data(), kScreenImageBytes);
    remote->Release();
    if (failed(r)) return failWith("cannot read the screen", r);
    if (plan_.raw) {
        r = writeWholeFile(plan_.path, image.data(), image.size());
    } else {
        keyemu::LcdPicture picture;
        picture.show(image.data(), image.size());
        const std::vector<uint8_t> file = keyemu::bitmapFile(picture, plan_.format);
        r = writeWholeFile(plan_.path, file.data(), file.size());
    }
    if (failed(r)) return failWith("cannot write " + plan_.path, r);
    say("saved the screen into " + plan_.path);
    return true;
}

bool Runner::clock() {
    ClockTime t;
    if (plan_.clock) {
        t = *plan_.clock;
    } else if (io_.localTime) {
        t = io_.localTime();
    } else {
        return failWith("no local time to set");
    }
    mark();
    const Result r = session_->setClock(t);
    if (failed(r)) return failWith("cannot set the clock", r);
    if (!completed(kRequestSetClock, std::nullopt, "the analyzer did not take the clock")) return false;
    char line[80];
    std::snprintf(line, sizeof line, "clock set to %04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    say(line);
    return true;
}

int Runner::run() {
    bool ok;
    if (plan_.command == Command::List) {
        ok = list();
    } else {
        ok = connect();
        if (ok) {
            switch (plan_.command) {
                case Command::Info: ok = info(); break;
                case Command::Upload: ok = upload(); break;
                case Command::SetupReceive: ok = setupReceive(); break;
                case Command::SetupSend: ok = setupSend(); break;
                case Command::Start: ok = measurement(true); break;
                case Command::Stop: ok = measurement(false); break;
                case Command::Monitor: ok = monitor(); break;
                case Command::Key: ok = keys(); break;
                case Command::Screen: ok = screen(); break;
                case Command::Clock: ok = clock(); break;
                case Command::List: break;
            }
        }
    }
    shutDown();
    if (ok) return kZvremoteOk;
    note(error_);
    return kZvremoteFailed;
}

// screen --from: a saved screen image into a bitmap file, without the library.
int convertScreen(const Plan& plan, const ZvremoteIo& io) {
    auto fail = [&](const std::string& why) {
        if (io.standardError) io.standardError("zvremote: " + why + "\n");
        return kZvremoteFailed;
    };
    FileImage image;
    if (!readWholeFile(plan.from, image)) return fail("cannot read " + plan.from);
    // A short file is a transfer cut off, a longer one something else: neither is a screen.
    if (image.size != keyemu::kScreenImageSize)
        return fail(plan.from + " has " + std::to_string(image.size) + " bytes: a screen image has exactly " +
                    std::to_string(keyemu::kScreenImageSize));
    keyemu::LcdPicture picture;
    picture.show(image.bytes.get(), image.size);
    const std::vector<uint8_t> file = keyemu::bitmapFile(picture, plan.format);
    if (const Result r = writeWholeFile(plan.path, file.data(), file.size()); failed(r))
        return fail("cannot write " + plan.path + ": " + describeResult(r));
    if (io.standardOutput) io.standardOutput("converted " + plan.from + " into " + plan.path + "\n");
    return kZvremoteOk;
}

int daysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::string describeResult(Result result) {
    const uint32_t u = static_cast<uint32_t>(result);
    std::string meaning;
    switch (u) {
        case 0x80070102u: meaning = "time-out: the analyzer does not answer"; break;
        case 0x80072AF9u: meaning = "host not found"; break;
        case 0x800704C7u: meaning = "cancelled"; break;
        case 0xA0000001u: meaning = "refused: the analyzer is not ready"; break;
        case 0x8007048Fu: meaning = "no analyzer with this serial number is attached"; break;
        case 0xA0000004u: meaning = "refused: the analyzer is busy with another PC"; break;
        case 0xA0000009u: meaning = "refused: the analyzer is not compatible"; break;
        case 0x80004003u: meaning = "no remote object"; break;
        case 0x80004005u: meaning = "failed"; break;
        case 0x80072746u: meaning = "the link to the analyzer was lost"; break;
        case 0x8007274Du: meaning = "connection refused: nothing listens there"; break;
        case 0x8007000Du: meaning = "invalid data: a malformed frame or file"; break;
        case 0xA0000010u: meaning = "protocol error: a message with a wrong length"; break;
        case 0xA0000011u: meaning = "protocol error: a completion of a request never made, or a second one"; break;
        case 0xA0000012u: meaning = "protocol error: monitor data while no measurement runs"; break;
        case 0x8007000Eu: meaning = "out of memory"; break;
        case 0x800708CAu: meaning = "not connected"; break;
        case 0x800700AAu: meaning = "busy: another transfer runs"; break;
        case 0x80070057u: meaning = "refused: invalid parameter"; break;
        case 0x80070070u: meaning = "disk full"; break;
        case 0x80070002u: meaning = "file not found"; break;
        case 0x80070003u: meaning = "path not found"; break;
        case 0x80070005u: meaning = "access denied"; break;
        case 0x80070012u: meaning = "buffer file limit reached"; break;
        default:
            if ((u & 0xFFFF0000u) == 0x80070000u) meaning = "system error " + std::to_string(u & 0xFFFFu);
            break;
    }
    return meaning.empty() ? hex32(u) : hex32(u) + " (" + meaning + ")";
}

bool parseClockTime(std::string_view text, ClockTime& out) {
    // YYYY-MM-DD HH:MM:SS, every field with exactly its digits.
    constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
    if (text.size() != kShape.size()) return false;
    for (size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return false;
    }
    auto number = [&](size_t at, size_t n) {
        int v = 0;
        for (size_t i = 0; i < n; ++i) v = v * 10 + (text[at + i] - '0');
        return v;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return false;
    if (hour > 23 || minute > 59 || second > 59) return false;
    // Day of the week, 0 = Sunday (Sakamoto's method).
    static const int kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int y = month < 3 ? year - 1 : year;
    const int weekday = (y + y / 4 - y / 100 + y / 400 + kOffsets[month - 1] + day) % 7;
    out = ClockTime{};
    out.year = static_cast<uint16_t>(year);
    out.month = static_cast<uint16_t>(month);
    out.dayOfWeek = static_cast<uint16_t>(weekday);
    out.day = static_cast<uint16_t>(day);
    out.hour = static_cast<uint16_t>(hour);
    out.minute = static_cast<uint16_t>(minute);
    out.second = static_cast<uint16_t>(second);
    return true;
}

int runZvremote(const std::vector<std::string>& args, const ZvremoteIo& io) {
    auto usage = [&](const std::string& why) {
        if (io.standardError) io.standardError("zvremote: " + why + "\n" + kUsage);
        return kZvremoteUsage;
    };
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            if (io.standardOutput) io.standardOutput(kUsage);
            return kZvremoteOk;
        }
    }
    Options options;
    if (std::string e = parseOptions(args, options); !e.empty()) return usage(e);
    Plan plan;
    if (std::string e = parseCommand(options.command, plan); !e.empty()) return usage(e);
    if (plan.command == Command::List && options.haveConnection) return usage("list takes no connection");
    if (plan.command == Command::Screen && !plan.from.empty()) {
        if (options.haveConnection) return usage("screen --from converts a saved image: it takes no connection");
        return convertScreen(plan, io);
    }
    if (plan.command != Command::List && !options.haveConnection)
        return usage("give the analyzer: --usb SERIAL, --lan HOST:DATA:CONTROL or --serial PORT");
    Runner runner(io, options, plan);
    return runner.run();
}

}  // namespace zv::tools
