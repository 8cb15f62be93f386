// The readers of other tools' logs (ZV_FUZZ_FORMAT 0 ASC, 1 BLF, 2 candump): any input is read
// to its end without reading past it, every item handed out is a frame a record can hold or a
// counted kind, every problem names a line (text) or an offset inside the input (BLF), and the
// items' times become records as the import stamps them.
#include <cstdint>
#include <cstdlib>

#include "formats/log_import.h"
#include "formats/log_reader.h"

#ifndef ZV_FUZZ_FORMAT
#error "ZV_FUZZ_FORMAT names the format"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto format = static_cast<zv::LogFormat>(ZV_FUZZ_FORMAT);
    const bool text = format != zv::LogFormat::Blf;
    uint64_t problems = 0;
    zv::MemoryLogInput input(data, size);
    const auto reader = zv::makeLogReader(format, input, [&](const zv::LogProblem& p) {
        ++problems;
        if (text ? p.line == 0 || p.line > size + 1 : p.line != 0 || p.offset > size) std::abort();
        if (p.what.empty()) std::abort();
    });
    zv::LogItem item;
    zv::LogTicks ticks;
    uint64_t items = 0, last = 0;
    while (reader->next(item)) {
        ++items;
        if (item.channel == 0) std::abort();
        const uint64_t t = ticks.next(item.timeNs);
        if (t < last) std::abort();
        last = t;
        if (item.kind != zv::LogItemKind::Frame) continue;
        zv::LogEvent e = item.event;
        if (e.dataCount > 8 || e.dlc > 15) std::abort();
        if (e.kind == zv::LogEventKind::CanFrame) {
            if (e.id > (e.extended ? 0x1FFFFFFFu : 0x7FFu)) std::abort();
            if (e.remote ? e.dataCount != 0 : e.dataCount != (e.dlc > 8 ? 8 : e.dlc)) std::abort();
        } else if (e.kind != zv::LogEventKind::LinFrame || e.id > 0x3F) {
            std::abort();
        }
        e.channel = static_cast<uint8_t>(item.channel % 2 + 1);
        zv::CaptureRecordBytes record;
        if (!zv::recordOf(e, zv::ticksStamp(t), record)) std::abort();
    }
    if (items != reader->counts().items || problems != reader->counts().malformed) std::abort();
    if (items > 0 && !reader->recognized()) std::abort();
    return 0;
}
