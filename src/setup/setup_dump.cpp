#include "setup/setup_dump.h"

#include <cstdio>

#include "base/bytes.h"

namespace zv {
namespace {

// "path" + "." + name, with "[]" in name replaced by "[index]" when index is given.
std::string childPath(const std::string& path, std::string_view name, int index = -1) {
    std::string s;
    s.reserve(path.size() + name.size() + 8);
    s.append(path).append(1, '.');
    const size_t at = name.find("[]");
    if (index < 0) {
        s.append(name);
    } else if (at == std::string_view::npos) {
        s.append(name).append(1, '[').append(std::to_string(index)).append(1, ']');
    } else {
        s.append(name.substr(0, at)).append(1, '[').append(std::to_string(index)).append(1, ']');
        s.append(name.substr(at + 2));
    }
    return s;
}

void appendField(const setup::FieldDef& f, const uint8_t* record, size_t at, const std::string& name,
                 std::string& out) {
    out.append(name).append(" = ");
    char buffer[16];
    switch (f.width) {
        case 1: out += std::to_string(getU8(record, at)); break;
        case 2: out += std::to_string(getU16(record, at)); break;
        case 4:
            out += f.isSigned ? std::to_string(getI32(record, at)) : std::to_string(getU32(record, at));
            break;
        default:
            for (size_t i = 0; i < f.width; ++i) {
                std::snprintf(buffer, sizeof buffer, i ? " %02x" : "%02x", record[at + i]);
                out += buffer;
            }
    }
    out += '\n';
}

}  // namespace

void appendRecordDump(const setup::RecordDef& def, const uint8_t* record, const std::string& path,
                      std::string& out) {
    out.append(path).append(".recordSize = ").append(std::to_string(getU32(record, 0))).append(1, '\n');
    for (const setup::FieldDef& f : def.fields)
        for (unsigned i = 0; i < f.count; ++i)
            appendField(f, record, f.offset + size_t{i} * f.stride,
                        childPath(path, f.name, f.count > 1 ? int(i) : -1), out);
    for (const setup::ChildDef& c : def.children)
        for (unsigned i = 0; i < c.count; ++i)
            appendRecordDump(*c.def, record + c.offset + size_t{i} * c.def->size,
                             childPath(path, c.name, c.count > 1 ? int(i) : -1), out);
}

std::string dumpSetup(const SetupWorkspace& setup, BoardType boardType) {
    std::string out;
    const BoardInfo* board = findBoard(boardType);
    if (!board) return out;
    if (board->layout == SetupLayout::CanOnly)
        appendRecordDump(setup.canOnlyImage.def(), setup.canOnlyImage.data(), "SetupImageCanOnly", out);
    else
        appendRecordDump(setup.image.def(), setup.image.data(), "SetupImage", out);
    appendRecordDump(setup.canTables.def(), setup.canTables.data(), "CanTransmitTables", out);
    if (board->layout == SetupLayout::DualProtocol)
        appendRecordDump(setup.linTables.def(), setup.linTables.data(), "LinTransmitTables", out);
    return out;
}

}  // namespace zv
