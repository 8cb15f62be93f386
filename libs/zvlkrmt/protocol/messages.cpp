#include "zvlkrmt/protocol/messages.h"

#include <algorithm>
#include <cstring>

#include "base/bytes.h"

namespace zv::remote {
namespace {

void putSerial(uint8_t* p, size_t off, const Serial& s) { std::memcpy(p + off, s.data(), s.size()); }
Serial getSerial(const uint8_t* p, size_t off) {
    Serial s{};
    std::memcpy(s.data(), p + off, s.size());
    s.back() = '\0';  // always terminated, whatever the peer sent
    return s;
}

}  // namespace

std::vector<uint8_t> HelloMsg::encode() const {
    std::vector<uint8_t> b(28);
    putU16(b.data(), 0, versionMin);
    putU16(b.data(), 2, versionMax);
    putU32(b.data(), 4, receiveWindow);
    putU32(b.data(), 8, maxPayload);
    putSerial(b.data(), 12, serial);
    return b;
}

std::optional<HelloMsg> HelloMsg::decode(const uint8_t* p, size_t n) {
    if (n != 28) return std::nullopt;
    HelloMsg m;
    m.versionMin = getU16(p, 0);
    m.versionMax = getU16(p, 2);
    m.receiveWindow = getU32(p, 4);
    m.maxPayload = getU32(p, 8);
    m.serial = getSerial(p, 12);
    return m;
}

std::vector<uint8_t> HelloAckMsg::encode() const {
    std::vector<uint8_t> b(48);
    putU32(b.data(), 0, static_cast<uint32_t>(result));
    putU16(b.data(), 4, version);
    putU16(b.data(), 6, 0);
    putU32(b.data(), 8, boardType);
    putU32(b.data(), 12, deviceValue);
    putU32(b.data(), 16, state);
    putU32(b.data(), 20, status);
    putU32(b.data(), 24, receiveWindow);
    putU32(b.data(), 28, maxPayload);
    putSerial(b.data(), 32, serial);
    return b;
}

std::optional<HelloAckMsg> HelloAckMsg::decode(const uint8_t* p, size_t n) {
    if (n != 48) return std::nullopt;
    HelloAckMsg m;
    m.result = getI32(p, 0);
    m.version = getU16(p, 4);
    m.boardType = getU32(p, 8);
    m.deviceValue = getU32(p, 12);
    m.state = getU32(p, 16);
    m.status = getU32(p, 20);
    m.receiveWindow = getU32(p, 24);
    m.maxPayload = getU32(p, 28);
    m.serial = getSerial(p, 32);
    return m;
}

std::vector<uint8_t> RequestMsg::encode() const {
    std::vector<uint8_t> b(24);
    putU32(b.data(), 0, id);
    putU32(b.data(), 4, kind);
    putU32(b.data(), 8, param1);
    putU32(b.data(), 12, param2);
    putU32(b.data(), 16, param3);
    putU32(b.data(), 20, param4);
    return b;
}

std::optional<RequestMsg> RequestMsg::decode(const uint8_t* p, size_t n) {
    if (n != 24) return std::nullopt;
    return RequestMsg{getU32(p, 0), getU32(p, 4), getU32(p, 8), getU32(p, 12), getU32(p, 16), getU32(p, 20)};
}

std::vector<uint8_t> RequestDoneMsg::encode() const {
    std::vector<uint8_t> b(28);
    putU32(b.data(), 0, id);
    putU32(b.data(), 4, kind);
    putU32(b.data(), 8, static_cast<uint32_t>(result));
    putU32(b.data(), 12, param1);
    putU32(b.data(), 16, param2);
    putU32(b.data(), 20, param3);
    putU32(b.data(), 24, param4);
    return b;
}

std::optional<RequestDoneMsg> RequestDoneMsg::decode(const uint8_t* p, size_t n) {
    if (n != 28) return std::nullopt;
    return RequestDoneMsg{getU32(p, 0),  getU32(p, 4),  getI32(p, 8), getU32(p, 12),
                          getU32(p, 16), getU32(p, 20), getU32(p, 24)};
}

std::vector<uint8_t> encodeData(const DataMsgHead& head, const uint8_t* data, size_t size) {
    std::vector<uint8_t> b(kDataHead + size);
    putU32(b.data(), 0, head.id);
    putU32(b.data(), 4, head.offset);
    putU32(b.data(), 8, head.total);
    if (size) std::memcpy(b.data() + kDataHead, data, size);
    return b;
}

std::optional<DataMsgHead> decodeDataHead(const uint8_t* p, size_t n) {
    if (n < kDataHead || n - kDataHead > kDataChunk) return std::nullopt;
    DataMsgHead h{getU32(p, 0), getU32(p, 4), getU32(p, 8)};
    // The chunk must lie inside the announced total.
    if (h.offset > h.total || n - kDataHead > h.total - h.offset) return std::nullopt;
    return h;
}

std::vector<uint8_t> encodeMonitor(uint16_t position, const uint8_t* data, size_t size) {
    std::vector<uint8_t> b(kMonitorHead + size);
    putU16(b.data(), 0, position);
    putU16(b.data(), 2, 0);
    if (size) std::memcpy(b.data() + kMonitorHead, data, size);
    return b;
}

std::optional<uint16_t> decodeMonitorHead(const uint8_t* p, size_t n) {
    if (n < kMonitorHead || n - kMonitorHead > kMaxMonitorBlock || (n - kMonitorHead) % kMonitorRecordSize != 0)
        return std::nullopt;
    return getU16(p, 0);
}

std::vector<uint8_t> StatusMsg::encode() const {
    std::vector<uint8_t> b(8);
    putU32(b.data(), 0, state);
    putU32(b.data(), 4, status);
    return b;
}

std::optional<StatusMsg> StatusMsg::decode(const uint8_t* p, size_t n) {
    if (n != 8) return std::nullopt;
    return StatusMsg{getU32(p, 0), getU32(p, 4)};
}

std::vector<uint8_t> encodeU32(uint32_t v) {
    std::vector<uint8_t> b(4);
    putU32(b.data(), 0, v);
    return b;
}

std::optional<uint32_t> decodeU32(const uint8_t* p, size_t n) {
    if (n != 4) return std::nullopt;
    return getU32(p, 0);
}

std::vector<uint8_t> ErrorMsg::encode() const {
    const size_t len = std::min<size_t>(text.size(), 200);
    std::vector<uint8_t> b(4 + len);
    putU32(b.data(), 0, static_cast<uint32_t>(result));
    std::memcpy(b.data() + 4, text.data(), len);
    return b;
}

std::optional<ErrorMsg> ErrorMsg::decode(const uint8_t* p, size_t n) {
    if (n < 4 || n > 204) return std::nullopt;
    ErrorMsg m;
    m.result = getI32(p, 0);
    for (size_t i = 4; i < n; ++i) {
        const char c = static_cast<char>(p[i]);
        m.text.push_back(c >= 0x20 && c < 0x7F ? c : '?');
    }
    return m;
}

std::vector<uint8_t> AdapterAckMsg::encode() const {
    std::vector<uint8_t> b(8);
    putU32(b.data(), 0, static_cast<uint32_t>(result));
    putU32(b.data(), 4, token);
    return b;
}

std::optional<AdapterAckMsg> AdapterAckMsg::decode(const uint8_t* p, size_t n) {
    if (n != 8) return std::nullopt;
    return AdapterAckMsg{getI32(p, 0), getU32(p, 4)};
}

uint16_t agreeVersion(uint16_t peerMin, uint16_t peerMax) {
    const uint16_t hi = std::min(peerMax, kProtocolVersionMax);
    const uint16_t lo = std::max(peerMin, kProtocolVersionMin);
    return hi >= lo ? hi : 0;
}

Serial makeSerial(const std::string& text) {
    Serial s{};
    std::memcpy(s.data(), text.data(), std::min(text.size(), s.size() - 1));
    return s;
}

std::string serialText(const Serial& s) { return std::string(s.data(), strnlen(s.data(), s.size())); }

}  // namespace zv::remote
