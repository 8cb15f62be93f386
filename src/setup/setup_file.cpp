#include "setup/setup_file.h"

#include <cerrno>
#include <cstring>
#include <memory>

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

SetupFileLoadResult readSetupFile(const std::string& path, BoardType boardType, SetupWorkspace& working) {
    FileImage bytes;
    if (!readWholeFile(path, bytes)) {
        SetupFileLoadResult result;
        result.reason = "cannot read " + path + ": " + std::strerror(errno);
        return result;
    }
    return loadSetupFile(bytes.bytes.get(), bytes.size, boardType, working);
}

Result writeSetupFile(const std::string& path, BoardType boardType, SetupWorkspace& working) {
    const std::vector<uint8_t> image = composeSetupFile(working, boardType);
    if (image.empty()) return kFalse;
    return writeWholeFile(path, image.data(), image.size());
}

}  // namespace zv
