// The hostile analyzer: at one chosen moment of each link it breaks the protocol in one chosen
// way, so that the remote library and the program can be held to a peer that misbehaves. Every
// frame an emulated analyzer sends passes through a HostileLink; without a hostile kind it goes
// out unchanged.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "zvlkrmt/protocol/link.h"

namespace zv::emu {

// Where in a link a frame belongs.
enum class LinkMoment : uint8_t { Connect, Idle, Monitor, Upload, Setup };

struct HostileConfig {
    enum class Kind : uint8_t {
        None,
        Malformed,    // one frame with a broken head or check, or out of sequence
        WrongLength,  // one frame or message whose length disagrees with its payload
        Unsolicited,  // a completion for a request never made
        Twice,        // a request's completion sent two times
        Flood,        // monitor blocks as fast as the link takes, without credit
        Silence,      // nothing more is sent; the link stays open
        Random,       // a few frames replaced by random bytes or mutated
    };
    Kind kind = Kind::None;
    LinkMoment at = LinkMoment::Idle;
    // When the act comes within its moment: idle, milliseconds after the connect (500);
    // monitor, monitor blocks sent before it (4); upload, bytes of the capture memory sent
    // before it, setup, bytes of setup areas received or sent (0: at the transfer's first
    // frame). The connect's act is its answer.
    std::optional<uint64_t> after;
    uint64_t seed = 1;  // picks the variant of the act (and the random bytes)
};

bool parseHostileKind(std::string_view text, HostileConfig::Kind& out);
bool parseHostileMoment(std::string_view text, LinkMoment& out);
const char* hostileKindName(HostileConfig::Kind kind);
const char* linkMomentName(LinkMoment moment);
uint64_t hostileAfter(const HostileConfig& config);

class HostileLink {
public:
    using Log = std::function<void(const std::string&)>;

    HostileLink(const HostileConfig& config, remote::FrameLink& link, Log log);
    ~HostileLink();
    HostileLink(const HostileLink&) = delete;
    HostileLink& operator=(const HostileLink&) = delete;

    // Sends a frame that belongs to moment (none: to no moment of its own), unless the act,
    // once its moment has come, does something else with it. Any thread.
    Result send(remote::MsgType type, const std::vector<uint8_t>& payload, std::optional<LinkMoment> moment);
    // A request of the PC arrived (reader thread, before it is handled): its id is known from
    // now on, and a completion held back to arrive twice goes out now.
    void requestArrived(uint32_t id);
    // The engine's tick: the idle moment, when idle says nothing runs, and the deadline of a
    // completion held back.
    void tick(bool idle);
    // Ends the flood and waits for it (the link has ended).
    void stop();

private:
    struct Write {
        remote::MsgType type;
        std::vector<uint8_t> payload;
        std::function<void(std::vector<uint8_t>&)> mutate;  // none: sent as it is
    };

    bool momentReachedLocked(LinkMoment moment) const;
    // Counts the frame into its moment's progress: ahead, what came before it (a send's data
    // before its completion), else what it carries itself.
    void countLocked(remote::MsgType type, const std::vector<uint8_t>& payload, LinkMoment moment, bool ahead);
    std::vector<Write> actLocked(remote::MsgType type, const std::vector<uint8_t>& payload, LinkMoment moment);
    std::vector<Write> randomizeLocked(remote::MsgType type, const std::vector<uint8_t>& payload);
    std::vector<Write> duplicateLocked(remote::MsgType type, const std::vector<uint8_t>& payload);
    std::vector<uint8_t> unsolicitedCompletionLocked();
    void startFloodLocked();
    void floodLoop(std::vector<uint8_t> block);
    void write(const std::vector<Write>& writes);
    uint64_t random(uint64_t below);
    void log(const std::string& what);

    const HostileConfig config_;
    remote::FrameLink& link_;
    Log log_;

    std::mutex mutex_;
    std::mt19937_64 rng_;
    bool fired_ = false;
    std::atomic<bool> silent_{false};
    int randomLeft_ = 0;           // frames still to be mutated (random)
    bool floodPending_ = false;    // flood: starts once the frame of the act has gone out
    bool duplicateNext_ = false;   // twice: the next completion goes out two times
    std::optional<Write> held_;
    std::chrono::steady_clock::time_point heldSince_;
    std::vector<uint8_t> lastCompletion_;
    std::vector<uint8_t> lastMonitor_;
    uint32_t highestId_ = 0;
    bool connected_ = false;
    std::chrono::steady_clock::time_point connectedAt_;
    uint64_t monitorBlocks_ = 0;
    uint64_t uploadBytes_ = 0;
    uint64_t setupBytes_ = 0;
    std::atomic<bool> stopFlood_{false};
    std::thread flood_;
};

}  // namespace zv::emu
