// Whole-file reads and writes shared by the setup, capture and tool code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/result.h"

namespace zv {

// A whole file read into memory.
struct FileImage {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
};

// Reads a regular file whole (binary). False when it cannot be opened, sized, allocated or
// read, or is no regular file (errno tells why).
bool readWholeFile(const std::string& path, FileImage& image);

// Creates or replaces path with the bytes. A failed create, write or close is returned as a
// result code and leaves no truncated file behind.
Result writeWholeFile(const std::string& path, const uint8_t* bytes, size_t size);

}  // namespace zv
