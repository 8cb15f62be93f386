#include "setup/setup_dump.h"

#include <cstdio>

#include "base/bytes.h"

namespace zv {
namespace {

std::string indexed(std::string_view name, unsigned index) {
    std::string s(name);
    const size_t at = s.find("[]");
    if (at != std::string::npos) s.replace(at, 2, "[" + std::to_string(index) + "]");
    return s;
}

void appendField(const setup::FieldDef& f, const uint8_t* record, size_t at, const std::string& name,
                 std::string& out) {
    out += name;
    out += " = ";
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
    out += path + ".recordSize = " + std::to_string(getU32(record, 0)) + '\n';
    for (const setup::FieldDef& f : def.fields)
        for (unsigned i = 0; i < f.count; ++i)
            appendField(f, record, f.offset + size_t{i} * f.stride,
                        path + '.' + (f.count > 1 ? indexed(f.name, i) : std::string(f.name)), out);
    for (const setup::ChildDef& c : def.children)
        for (unsigned i = 0; i < c.count; ++i) {
            std::string name = path + '.' + std::string(c.name);
            if (c.count > 1) name += "[" + std::to_string(i) + "]";
            appendRecordDump(*c.def, record + c.offset + size_t{i} * c.def->size, name, out);
        }
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
