#include "zvlkrmt/api/request_object.h"

#include <new>

namespace zv::remote_api {
namespace {
std::atomic<long> live{0};
}

RequestObject* RequestObject::create() {
    auto* r = new (std::nothrow) RequestObject();
    if (r) live.fetch_add(1);
    return r;
}

uint32_t ZV_CALL RequestObject::AddRef() {
    return refs_.fetch_add(1, std::memory_order_relaxed) + 1;
}

uint32_t ZV_CALL RequestObject::Release() {
    const uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
        delete this;
        live.fetch_sub(1);
    }
    return left;
}

long RequestObject::liveCount() { return live.load(); }

}  // namespace zv::remote_api
