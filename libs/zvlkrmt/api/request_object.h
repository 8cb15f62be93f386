// The request object the library hands out: the shared request fields behind an operation
// table, reference counted. The last Release deletes it, on whichever thread that happens.
#pragma once

#include <atomic>
#include <cstdint>

#include "remote/zvremote.h"

namespace zv::remote_api {

class RequestObject final : public IZVRemoteRequest {
public:
    // Starts with one reference, the caller's.
    static RequestObject* create();

    uint32_t ZV_CALL AddRef() override;
    uint32_t ZV_CALL Release() override;

    // How many request objects exist in the process (for leak checks in tests).
    static long liveCount();

private:
    RequestObject() = default;
    ~RequestObject() = default;

    std::atomic<uint32_t> refs_{1};
};

}  // namespace zv::remote_api
