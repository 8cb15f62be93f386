// A line for the serial tests: wraps one end of a byte pipe and damages what is written
// through it, reproducibly from a seed: dropped bytes, flipped bits, doubled bytes, stray bytes
// and bursts of loss, handed on in arbitrary pieces. Reads pass through untouched.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

#include "zvlkrmt/transport/transport.h"

namespace zv::remote::test {

struct Noise {
    double drop = 0.0;     // per byte
    double flip = 0.0;     // per byte: one bit inverted
    double repeat = 0.0;   // per byte: sent twice
    double insert = 0.0;   // per byte: a random byte put before it
    double burst = 0.0;    // per write: up to 64 bytes lost in one go
};

class NoisyLine : public Transport {
public:
    NoisyLine(std::unique_ptr<Transport> inner, Noise noise, uint32_t seed)
        : inner_(std::move(inner)), noise_(noise), random_(seed) {}

    Result write(const uint8_t* data, size_t size) override {
        std::vector<uint8_t> out;
        {
            std::lock_guard lock(mutex_);
            out.reserve(size + size / 8 + 8);
            std::uniform_real_distribution<double> u(0.0, 1.0);
            size_t burstAt = size, burstLength = 0;
            if (size > 0 && u(random_) < noise_.burst) {
                burstAt = random_() % size;
                burstLength = 1 + random_() % 64;
            }
            for (size_t i = 0; i < size; ++i) {
                if (i >= burstAt && i < burstAt + burstLength) continue;
                if (u(random_) < noise_.insert) out.push_back(static_cast<uint8_t>(random_()));
                if (u(random_) < noise_.drop) continue;
                uint8_t b = data[i];
                if (u(random_) < noise_.flip) b = static_cast<uint8_t>(b ^ (1u << (random_() % 8)));
                out.push_back(b);
                if (u(random_) < noise_.repeat) out.push_back(b);
            }
        }
        // In pieces of random sizes, as a serial driver hands them on.
        size_t at = 0;
        while (at < out.size()) {
            size_t n = 0;
            {
                std::lock_guard lock(mutex_);
                n = std::min<size_t>(out.size() - at, 1 + random_() % 700);
            }
            if (const Result r = inner_->write(out.data() + at, n); r < 0) return r;
            at += n;
        }
        written_ += size;
        return 0;
    }

    Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        return inner_->read(buffer, capacity, got, timeoutMs);
    }
    void close() override { inner_->close(); }

    uint64_t bytesWritten() const { return written_; }
    // Changes the noise from the next write on (drop = 1 cuts the line).
    void setNoise(Noise noise) {
        std::lock_guard lock(mutex_);
        noise_ = noise;
    }

private:
    std::unique_ptr<Transport> inner_;
    Noise noise_;
    std::mutex mutex_;
    std::mt19937 random_;
    std::atomic<uint64_t> written_{0};
};

// Records every byte written through it (to look at the line).
class TapLine : public Transport {
public:
    explicit TapLine(std::unique_ptr<Transport> inner) : inner_(std::move(inner)) {}
    Result write(const uint8_t* data, size_t size) override {
        {
            std::lock_guard lock(mutex_);
            bytes_.insert(bytes_.end(), data, data + size);
        }
        return inner_->write(data, size);
    }
    Result read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        return inner_->read(buffer, capacity, got, timeoutMs);
    }
    void close() override { inner_->close(); }
    std::vector<uint8_t> bytes() const {
        std::lock_guard lock(mutex_);
        return bytes_;
    }

private:
    std::unique_ptr<Transport> inner_;
    mutable std::mutex mutex_;
    std::vector<uint8_t> bytes_;
};

}  // namespace zv::remote::test
