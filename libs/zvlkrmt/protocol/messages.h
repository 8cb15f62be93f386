// The messages of the link between the remote library (PC) and an analyzer, and their payloads.
// Every payload is little-endian with fixed offsets; decode() refuses a payload of the wrong
// size instead of guessing, so a hostile peer can only end the link.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace zv::remote {

// Protocol versions this code speaks (the Hello exchange picks the highest both know).
constexpr uint16_t kProtocolVersionMin = 1;
constexpr uint16_t kProtocolVersionMax = 1;

enum class MsgType : uint8_t {
    Hello = 0x01,           // PC -> analyzer: versions, receive window, wanted serial number
    HelloAck = 0x02,        // analyzer -> PC: result, version, device type, state, status
    Request = 0x10,         // PC -> analyzer: one request (kind, id, four parameters)
    RequestDone = 0x11,     // analyzer -> PC: completion of a request
    BlockData = 0x12,       // analyzer -> PC: bytes of a receive (kind 5), flow-controlled
    SendData = 0x13,        // PC -> analyzer: bytes of a send (kind 6), flow-controlled
    Cancel = 0x14,          // PC -> analyzer: end the transfer of a request
    Credit = 0x15,          // either way: the receiver consumed bytes of flow-controlled data
    Status = 0x20,          // analyzer -> PC: state and status flags changed
    MonitorData = 0x21,     // analyzer -> PC: a monitor block with its stream position, flow-controlled
    Screen = 0x22,          // analyzer -> PC: the 1920-byte screen image
    ScreenInterval = 0x23,  // PC -> analyzer: periodic screen updates (ms, -1 = off)
    Ping = 0x30,            // either way: keep-alive
    Pong = 0x31,
    Error = 0x3F,           // either way: the sender ends the link, with a result code
    // LAN adapter handshake (control and data connections, before the Hello exchange).
    AdapterOpen = 0x40,
    AdapterAck = 0x41,
    AdapterAttach = 0x42,
    AdapterAttached = 0x43,
};

// Request kinds, as the session submits them.
enum RequestKind : uint32_t {
    kKindConnect = 1,
    kKindDisconnect = 2,
    kKindKey = 3,
    kKindMeasurement = 4,
    kKindReceive = 5,
    kKindSend = 6,
    kKindSetClock = 8,
    kKindWaitEvent = 9,
};

// Block codes of receive and send requests.
constexpr uint32_t kBlockSetupImage = 0x2000;
constexpr uint32_t kBlockCanTables = 0x6000;
constexpr uint32_t kBlockLinTables = 0x6100;
constexpr uint32_t kBlockDataInfo = 0x8100;
constexpr uint32_t kBlockRecords = 0x8101;
constexpr uint32_t kBlockRecordHead = 0x8102;
constexpr uint32_t kBlockTrailer = 0x8103;
constexpr uint32_t kEventMeasurementEnded = 0x202;
constexpr uint32_t kStatusMeasuring = 0x100;
constexpr size_t kScreenBytes = 1920;
constexpr size_t kMaxMonitorBlock = 8192;
constexpr size_t kMonitorRecordSize = 32;  // monitor blocks carry whole records only
constexpr size_t kDataChunk = 65536;

// Result codes of the library and of the analyzer.
constexpr Result kTimeout = static_cast<Result>(0x80070102u);
constexpr Result kHostNotFound = static_cast<Result>(0x80072AF9u);
constexpr Result kCancelled = static_cast<Result>(0x800704C7u);
constexpr Result kLinkLost = static_cast<Result>(0x80072746u);       // the peer went away (connection reset)
constexpr Result kConnectionRefused = static_cast<Result>(0x8007274Du);  // nobody listens
constexpr Result kRefusedNotReady = static_cast<Result>(0xA0000001u);
constexpr Result kRefusedBusy = static_cast<Result>(0xA0000004u);
constexpr Result kRefusedVersion = static_cast<Result>(0xA0000009u);
constexpr Result kProtocolError = static_cast<Result>(0x8007000Du);  // malformed frame or message
// The other ways an analyzer can break the protocol, each ending the link with its own code so
// that the program can name the problem: a length no frame or message of its type can have; a
// completion (or data) for a request never made on this link, or for one already completed; and
// monitor data while the analyzer itself reports no measurement (a flood nobody asked for).
constexpr Result kWrongLength = static_cast<Result>(0xA0000010u);
constexpr Result kUnexpectedCompletion = static_cast<Result>(0xA0000011u);
constexpr Result kUnrequestedData = static_cast<Result>(0xA0000012u);
constexpr Result kNotConnected = static_cast<Result>(0x800708CAu);   // no link to an analyzer
constexpr Result kBusyRequest = static_cast<Result>(0x800700AAu);    // another transfer runs
constexpr Result kBadBlock = static_cast<Result>(0x80070057u);       // unknown block, wrong tag or size
constexpr Result kBufferTooSmall = static_cast<Result>(0x8007007Au);
constexpr Result kDestinationFull = static_cast<Result>(0x80070070u);  // a short write: disk full

using Serial = std::array<char, 16>;

struct HelloMsg {
    uint16_t versionMin = kProtocolVersionMin;
    uint16_t versionMax = kProtocolVersionMax;
    uint32_t receiveWindow = 0;  // bytes of flow-controlled data the PC accepts unacknowledged
    uint32_t maxPayload = 0;
    Serial serial{};             // the analyzer asked for (USB); empty = whichever answers
    std::vector<uint8_t> encode() const;
    static std::optional<HelloMsg> decode(const uint8_t* p, size_t n);
};

struct HelloAckMsg {
    Result result = kOk;
    uint16_t version = 0;
    uint32_t boardType = 0;
    uint32_t deviceValue = 0;
    uint32_t state = 0;
    uint32_t status = 0;
    uint32_t receiveWindow = 0;
    uint32_t maxPayload = 0;
    Serial serial{};
    std::vector<uint8_t> encode() const;
    static std::optional<HelloAckMsg> decode(const uint8_t* p, size_t n);
};

struct RequestMsg {
    uint32_t id = 0;
    uint32_t kind = 0;
    uint32_t param1 = 0, param2 = 0, param3 = 0, param4 = 0;
    std::vector<uint8_t> encode() const;
    static std::optional<RequestMsg> decode(const uint8_t* p, size_t n);
};

struct RequestDoneMsg {
    uint32_t id = 0;
    uint32_t kind = 0;
    Result result = kOk;
    uint32_t param1 = 0, param2 = 0, param3 = 0, param4 = 0;
    std::vector<uint8_t> encode() const;
    static std::optional<RequestDoneMsg> decode(const uint8_t* p, size_t n);
};

// BlockData and SendData: u32 request id, u32 offset, u32 total, then the bytes.
constexpr size_t kDataHead = 12;
struct DataMsgHead {
    uint32_t id = 0;
    uint32_t offset = 0;
    uint32_t total = 0;
};
std::vector<uint8_t> encodeData(const DataMsgHead& head, const uint8_t* data, size_t size);
std::optional<DataMsgHead> decodeDataHead(const uint8_t* p, size_t n);

// MonitorData: u16 stream position, u16 zero, then at most 8192 bytes of whole records (a
// piece of a record would shift every record after it in the buffer file).
constexpr size_t kMonitorHead = 4;
std::vector<uint8_t> encodeMonitor(uint16_t position, const uint8_t* data, size_t size);
std::optional<uint16_t> decodeMonitorHead(const uint8_t* p, size_t n);

struct StatusMsg {
    uint32_t state = 0;
    uint32_t status = 0;
    std::vector<uint8_t> encode() const;
    static std::optional<StatusMsg> decode(const uint8_t* p, size_t n);
};

// Payloads of one u32 (Cancel: request id; Credit: bytes; Ping/Pong: token;
// ScreenInterval: signed ms; AdapterAttach/AdapterAttached: token).
std::vector<uint8_t> encodeU32(uint32_t v);
std::optional<uint32_t> decodeU32(const uint8_t* p, size_t n);

// Error: i32 result, then a text of at most 200 characters.
struct ErrorMsg {
    Result result = kFail;
    std::string text;
    std::vector<uint8_t> encode() const;
    static std::optional<ErrorMsg> decode(const uint8_t* p, size_t n);
};

// AdapterAck: i32 result, u32 session token.
struct AdapterAckMsg {
    Result result = kOk;
    uint32_t token = 0;
    std::vector<uint8_t> encode() const;
    static std::optional<AdapterAckMsg> decode(const uint8_t* p, size_t n);
};

// The version both sides speak, or 0 when the ranges do not meet.
uint16_t agreeVersion(uint16_t peerMin, uint16_t peerMax);

Serial makeSerial(const std::string& text);
std::string serialText(const Serial& s);

}  // namespace zv::remote
