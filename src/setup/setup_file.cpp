#include "setup/setup_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

namespace zv {
namespace {

std::string offsetText(size_t offset) { return "at offset " + std::to_string(offset); }

}  // namespace

SetupFileLoadResult loadSetupFile(const uint8_t* file, size_t length, BoardType boardType,
                                  SetupWorkspace& working) {
    SetupFileLoadResult result;
    const BoardInfo* board = findBoard(boardType);
    if (!board) {
        result.ok = true;  // nothing to load into without a known board
        return result;
    }
    if (length < kSetupFileMagicSize) {
        result.reason = "file too short for a setup file (" + std::to_string(length) + " bytes)";
        return result;
    }
    if (std::memcmp(file, kSetupFileMagic, kSetupFileMagicSize) != 0) {
        result.reason = "not a setup file: magic does not match";
        return result;
    }

    auto scratch = std::make_unique<SetupWorkspace>();
    scratch->initDefaults(boardType);
    size_t position = kSetupFileMagicSize;
    const bool canOnly = board->layout == SetupLayout::CanOnly;

    const size_t image = canOnly ? parseSetupWrapper(scratch->canOnlyImage, file + position, length - position, boardType)
                                 : parseSetupWrapper(scratch->image, file + position, length - position, boardType);
    if (image == 0) {
        result.reason = std::string("invalid \"STUP\" wrapper (") + (canOnly ? "CAN-only" : "dual-protocol") +
                        " layout) " + offsetText(position);
        return result;
    }
    position += image;

    const size_t can = parseCanTablesWrapper(scratch->canTables, file + position, length - position, boardType);
    if (can == 0) {
        result.reason = "invalid or missing \"STBC\" wrapper " + offsetText(position);
        return result;
    }
    position += can;

    if (!canOnly) {
        const size_t lin = parseLinTablesWrapper(scratch->linTables, file + position, length - position, boardType);
        if (lin == 0) {
            result.reason = "invalid or missing \"STBL\" wrapper " + offsetText(position);
            return result;
        }
        position += lin;
        working.image = scratch->image;
    } else {
        // Records the CAN-only layout lacks come back as defaults, the rest from the file.
        working.canOnlyImage = scratch->canOnlyImage;
        working.image = scratch->image;
        importFromCanOnly(working.canOnlyImage, working.image);
    }
    working.canTables = scratch->canTables;
    working.linTables = scratch->linTables;
    result.ok = true;
    result.changed = true;
    result.consumed = position;
    return result;
}

std::vector<uint8_t> composeSetupFile(SetupWorkspace& working, BoardType boardType) {
    std::vector<uint8_t> out;
    const BoardInfo* board = findBoard(boardType);
    if (!board) return out;
    const bool canOnly = board->layout == SetupLayout::CanOnly;
    out.resize(canOnly ? kSetupFileSizeCanOnly : kSetupFileSizeDual);
    uint8_t* p = out.data();
    std::memcpy(p, kSetupFileMagic, kSetupFileMagicSize);
    p += kSetupFileMagicSize;
    if (canOnly) {
        exportToCanOnly(working.image, working.canOnlyImage);
        p += composeWrapper(kTagSetup, working.canOnlyImage, p);
    } else {
        p += composeWrapper(kTagSetup, working.image, p);
    }
    p += composeWrapper(kTagCanTables, working.canTables, p);
    if (!canOnly) composeWrapper(kTagLinTables, working.linTables, p);
    return out;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    // A folder opens for reading on some systems and reports a meaningless size.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        errno = ec ? ec.value() : EISDIR;
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        try {
            bytes.resize(static_cast<size_t>(size));
            ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
        } catch (const std::bad_alloc&) {
            errno = ENOMEM;
            ok = false;
        }
    }
    std::fclose(f);
    if (!ok) bytes.clear();
    return ok;
}

Result writeWholeFile(const std::string& path, const uint8_t* bytes, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return resultFromSystemError(static_cast<uint32_t>(errno ? errno : EIO));
    const bool written = std::fwrite(bytes, 1, size, f) == size;
    const int writeError = errno;
    const bool closed = std::fclose(f) == 0;
    if (written && closed) return kOk;
    std::remove(path.c_str());  // never leave a truncated setup behind
    return resultFromSystemError(static_cast<uint32_t>(writeError ? writeError : EIO));
}

SetupFileLoadResult readSetupFile(const std::string& path, BoardType boardType, SetupWorkspace& working) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) {
        SetupFileLoadResult result;
        result.reason = "cannot read " + path + ": " + std::strerror(errno);
        return result;
    }
    return loadSetupFile(bytes.data(), bytes.size(), boardType, working);
}

Result writeSetupFile(const std::string& path, BoardType boardType, SetupWorkspace& working) {
    const std::vector<uint8_t> image = composeSetupFile(working, boardType);
    if (image.empty()) return kFalse;
    return writeWholeFile(path, image.data(), image.size());
}

}  // namespace zv
