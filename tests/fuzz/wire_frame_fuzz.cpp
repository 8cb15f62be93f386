// The link's frame decoder and message decoders against arbitrary peer bytes: strict mode (one
// bad frame ends the link) and resync mode (a serial line), with the input cut at arbitrary
// points. Nothing may read outside the input, allocate beyond the frame bound, or hang.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/protocol/wire.h"

namespace {

using namespace zv::remote;

void decodeMessage(const FrameView& f) {
    const uint8_t* p = f.payload;
    const size_t n = f.size;
    switch (static_cast<MsgType>(f.type)) {
        case MsgType::Hello: (void)HelloMsg::decode(p, n); break;
        case MsgType::HelloAck: (void)HelloAckMsg::decode(p, n); break;
        case MsgType::Request: (void)RequestMsg::decode(p, n); break;
        case MsgType::RequestDone: (void)RequestDoneMsg::decode(p, n); break;
        case MsgType::BlockData:
        case MsgType::SendData:
            if (const auto h = decodeDataHead(p, n)) {
                if (h->offset > h->total || n - kDataHead > h->total - h->offset) std::abort();
            }
            break;
        case MsgType::MonitorData:
            if (decodeMonitorHead(p, n) &&
                (n - kMonitorHead > kMaxMonitorBlock || (n - kMonitorHead) % kMonitorRecordSize != 0))
                std::abort();
            break;
        case MsgType::Status: (void)StatusMsg::decode(p, n); break;
        case MsgType::Error: (void)ErrorMsg::decode(p, n); break;
        case MsgType::AdapterAck: (void)AdapterAckMsg::decode(p, n); break;
        default: (void)decodeU32(p, n); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte chooses the pieces the bytes arrive in.
    const size_t piece = (data[0] % 37) + 1;
    std::vector<uint8_t> input(data + 1, data + size);

    for (const bool resync : {false, true}) {
        FrameDecoder decoder(4096, resync);
        size_t frames = 0;
        for (size_t at = 0; at < input.size(); at += piece) {
            const size_t n = input.size() - at < piece ? input.size() - at : piece;
            std::vector<uint8_t> chunk(input.begin() + static_cast<std::ptrdiff_t>(at),
                                       input.begin() + static_cast<std::ptrdiff_t>(at + n));
            const DecodeError e = decoder.feed(chunk.data(), chunk.size(), [&](const FrameView& f) {
                if (f.size > 4096) std::abort();
                decodeMessage(f);
                ++frames;
                return true;
            });
            if (e != DecodeError::None) {
                if (resync) std::abort();  // resync mode never gives up
                break;
            }
        }
        // Each frame needs at least 20 bytes of input.
        if (frames * (kFrameHeadSize + kFrameTailSize) > input.size()) std::abort();
    }
    return 0;
}
