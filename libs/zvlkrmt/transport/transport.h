// A byte stream to an analyzer: TCP through the LAN adapter, or the in-process pair that
// connects the library to its built-in emulated analyzers. Writes and reads may run on
// different threads; close() may be called from any thread and wakes a blocked read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "base/result.h"

namespace zv::remote {

class Transport {
public:
    virtual ~Transport() = default;
    // Writes all bytes, or fails (kLinkLost once the peer or close() ended the stream).
    virtual Result write(const uint8_t* data, size_t size) = 0;
    // Waits up to timeoutMs for bytes: kOk with got > 0, kTimeout with got == 0 when none came,
    // kLinkLost when the stream ended.
    virtual Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) = 0;
    virtual void close() = 0;
};

// Two connected in-process endpoints. bytesPerSecond > 0 throttles each direction (the link
// speed of a USB or serial analyzer); 0 is unthrottled.
std::pair<std::unique_ptr<Transport>, std::unique_ptr<Transport>> makePipePair(uint64_t bytesPerSecond = 0);

// Paces the writes of any transport to bytesPerSecond (reads pass through).
std::unique_ptr<Transport> makeThrottled(std::unique_ptr<Transport> inner, uint64_t bytesPerSecond);

}  // namespace zv::remote
