#include "setup/setup_dump.h"

#include <cstdio>

#include "base/bytes.h"

namespace zv {
namespace {

// Every record starts with its size; the tables leave it implicit.
constexpr setup::FieldDef kRecordSizeField{"recordSize", 0, 4};

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

}  // namespace

void forEachField(const setup::RecordDef& def, const std::string& path, size_t base,
                  const std::function<void(const FieldSite&)>& visit) {
    visit({childPath(path, kRecordSizeField.name), &def, base, &kRecordSizeField, base, -1});
    for (const setup::FieldDef& f : def.fields)
        for (unsigned i = 0; i < f.count; ++i) {
            const int index = f.count > 1 ? int(i) : -1;
            visit({childPath(path, f.name, index), &def, base, &f, base + f.offset + size_t{i} * f.stride, index});
        }
    for (const setup::ChildDef& c : def.children)
        for (unsigned i = 0; i < c.count; ++i)
            forEachField(*c.def, childPath(path, c.name, c.count > 1 ? int(i) : -1),
                         base + c.offset + size_t{i} * c.def->size, visit);
}

std::string fieldDumpText(const setup::FieldDef& f, const uint8_t* bytes, size_t at) {
    switch (f.width) {
        case 1: return std::to_string(getU8(bytes, at));
        case 2: return std::to_string(getU16(bytes, at));
        case 4: return f.isSigned ? std::to_string(getI32(bytes, at)) : std::to_string(getU32(bytes, at));
        default: break;
    }
    std::string out;
    char buffer[4];
    for (size_t i = 0; i < f.width; ++i) {
        std::snprintf(buffer, sizeof buffer, i ? " %02x" : "%02x", bytes[at + i]);
        out += buffer;
    }
    return out;
}

void appendRecordDump(const setup::RecordDef& def, const uint8_t* record, const std::string& path,
                      std::string& out) {
    forEachField(def, path, 0, [&](const FieldSite& site) {
        out.append(site.path).append(" = ").append(fieldDumpText(*site.field, record, site.offset)).append(1, '\n');
    });
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
