// Converting any record area: every byteCount (beyond 8 or negative), status and frameInfo, in
// MONC and MDCL files with and without analog inputs and LIN identifier tables, with each of
// the 24 option sets, must convert without a crash or a read outside the record area, into
// the rows the plain snprintf formatter makes; every list cell is built. The export formats
// take the same records; candump accounts for every one of them.
//
// Input: a data file as it is (when it starts with the signature), or one flag byte followed by
// a record area. Flags: bit 0 MDCL (else MONC), bit 1 analog inputs, bits 2-3 identifier tables
// of LIN channels 1-2, bits 4-5 LIN protocol of channels 1-2, bits 6-7 with the record count
// the option set (one a run, so that the fuzzer steers the choice like any other byte).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../common/printf_rows.h"
#include "../unit/capture/capture_test_files.h"
#include "capture/capture.h"
#include "capture/cell_text.h"
#include "conversion/print_out.h"
#include "formats/export.h"

namespace {

using namespace zv;

std::vector<uint8_t> wrapRecordArea(const uint8_t* data, size_t size) {
    const uint8_t flags = data[0];
    std::vector<uint8_t> dinf = testfiles::dualDinf((flags & 2) ? 1 : 0);
    for (int channel = 0; channel < 2; ++channel) {
        const size_t lin = testfiles::dinf::kLinChannel[channel];
        if (flags & (4 << channel)) {
            dinf[lin + testfiles::dinf::kUseIdTable] = 1;
            for (size_t id = 0; id < 64; ++id) dinf[lin + testfiles::dinf::kFirstIdEntry + 4 * id] = static_cast<uint8_t>(id * 7);
        }
        if (flags & (16 << channel)) dinf[testfiles::dinf::kChannelProtocol[channel]] = 2;
    }
    const std::vector<uint8_t> records(data + 1, data + size);
    return testfiles::dataFile(dinf, (flags & 1) ? "MDCL" : "MONC", records);
}

ConversionOptions optionSet(unsigned n) {
    ConversionOptions o;
    o.channelSelection = static_cast<int>(n % 3);
    o.hex = (n / 3) % 2 != 0;
    o.csv = (n / 6) % 2 != 0;
    o.deltaT = (n / 12) % 2 != 0;
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool isFile = size >= kDataFileSignatureSize && std::memcmp(data, kDataFileSignature, kDataFileSignatureSize) == 0;
    // An exact-size heap copy: the record area ends where the allocation ends.
    const std::vector<uint8_t> image = isFile ? std::vector<uint8_t>(data, data + size) : wrapRecordArea(data, size);
    CCapture capture;
    if (!capture.load(image.data(), image.size())) {
        if (!isFile) std::abort();
        return 0;
    }

    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&capture);
    writer.setBannerTime(BannerTime{2024, 1, 2, 3, 4, 5});
    MemorySink sink;
    writer.setOutput(&sink);
    const ConversionOptions options = optionSet(((isFile ? 0u : data[0] >> 6) + capture.count()) % 24u);
    writer.setOptions(options);
    if (writer.convert(nullptr, kPageLimit) != ConvertResult::Completed) std::abort();
    if (capture.count() > 0) {

        // The rows after the column header must equal the reference formatter's.
        const RowContext context = RowContext::make(capture, options);
        std::string expected = std::string(columnHeader(capture.recordTag(), context.analog, options.csv)) + "\r\n";
        uint32_t previous = 0;
        for (uint32_t i = 0; i < capture.count(); ++i) {
            const CaptureRecord r = capture.record(i);
            if (channelSelected(r.source(), options.channelSelection)) {
                reference::appendRow(expected, context, r, previous, i > 0);
                expected += "\r\n";
            }
            previous = r.timeStamp();
        }
        const std::string_view text = sink.text();
        if (text.size() < expected.size() || text.compare(text.size() - expected.size(), expected.size(), expected) != 0)
            std::abort();
    }

    // Every cell of both lists, into a full and a short buffer.
    char cell[kCellTextCapacity];
    char shortCell[4];
    for (uint32_t row = 0; row < capture.count(); ++row) {
        for (int column = 0; column < kCaptureListColumns; ++column) {
            for (const TimeColumnMode mode : {TimeColumnMode::Absolute, TimeColumnMode::Difference}) {
                if (captureCellText(capture, row, column, mode, cell, sizeof cell) >= sizeof cell) std::abort();
                if (captureCellText(capture, row, column, mode, shortCell, sizeof shortCell) >= sizeof shortCell)
                    std::abort();
            }
        }
        for (int column = 0; column < kMonitorListColumns; ++column)
            if (monitorCellText(static_cast<int>(row % 16), capture.record(row), column, capture.dataInfo(), cell,
                                sizeof cell) >= sizeof cell)
                std::abort();
    }

    ExportSettings settings;
    settings.start = logStartFromEpoch(int64_t{1709280000} * 1000000);
    for (const ExportFormat format : {ExportFormat::Asc, ExportFormat::Blf, ExportFormat::Candump, ExportFormat::Pcapng}) {
        sink.clear();
        ExportCounts counts;
        if (exportCapture(capture, format, settings, sink, counts) != ExportResult::Completed) std::abort();
        if (format == ExportFormat::Candump &&
            counts.frames + counts.linLeftOut + counts.markersLeftOut + counts.unknownLeftOut != capture.count())
            std::abort();
    }
    return 0;
}
