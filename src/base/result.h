// Result codes in HRESULT form: negative is failure, zero or positive success.
#pragma once

#include <cstdint>

namespace zv {

using Result = int32_t;

constexpr Result kOk = 0;
constexpr Result kFalse = 1;
constexpr Result kPointerMissing = static_cast<Result>(0x80004003u);   // the remote object is missing
constexpr Result kFail = static_cast<Result>(0x80004005u);
constexpr Result kOutOfMemory = static_cast<Result>(0x8007000Eu);
constexpr Result kInvalidData = static_cast<Result>(0x8007000Du);
constexpr Result kBufferFileLimit = static_cast<Result>(0x80070012u); // no more buffer files

inline bool failed(Result r) { return r < 0; }
inline bool succeeded(Result r) { return r >= 0; }

// A Windows (or errno-style) error e as a result code: 0x80070000 | (e & 0xFFFF).
constexpr Result resultFromSystemError(uint32_t error) {
    return static_cast<Result>(0x80070000u | (error & 0xFFFFu));
}

}  // namespace zv
