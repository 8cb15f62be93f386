// candump log: one CAN frame a line, "(seconds.micro) canN ID#DATA", "ID#R" or "ID#R3" for
// remote frames. Channel 1 is can0, channel 2 is can1 (the replay reads them back so). The
// format has no LIN frames, markers, trigger marks or comments: those are counted.
#include "formats/format_writer.h"

namespace zv {
namespace {

using namespace text_out;

class CandumpWriter final : public FormatWriter {
public:
    using FormatWriter::FormatWriter;

    void begin(const ExportSettings& settings) override { startMicros_ = settings.start.epochMicros; }

    void record(const LogEvent& e, uint64_t ticks) override {
        switch (e.kind) {
            case LogEventKind::CanFrame:
                break;
            case LogEventKind::LinFrame:
            case LogEventKind::LinIncomplete:
                ++counts_.linLeftOut;
                return;
            case LogEventKind::Overrun:
            case LogEventKind::LostData:
                ++counts_.markersLeftOut;
                return;
            case LogEventKind::Unknown:
                ++counts_.unknownLeftOut;
                return;
        }
        if (e.trigger) ++counts_.triggersLost;
        ++counts_.frames;
        const int64_t at = startMicros_ + static_cast<int64_t>(ticks * 200);
        const uint64_t micros = at < 0 ? 0 : static_cast<uint64_t>(at);
        char* p = out_.room(96);
        *p++ = '(';
        p = decimal(p, micros / 1000000);
        *p++ = '.';
        auto fraction = static_cast<uint32_t>(micros % 1000000);
        for (int i = 5; i >= 0; --i) p[i] = static_cast<char>('0' + fraction % 10), fraction /= 10;
        p = text(p + 6, ") can", 5);
        *p++ = static_cast<char>('0' + e.channel - 1);
        *p++ = ' ';
        p = e.extended ? hexDigits(p, e.id, 8) : hexDigits(p, e.id, 3);
        *p++ = '#';
        if (e.remote) {
            *p++ = 'R';
            if (e.dlc != 0) *p++ = static_cast<char>('0' + (e.dlc > 8 ? 8 : e.dlc));
        } else {
            for (int i = 0; i < e.dataCount; ++i) p = hex2(p, e.data[static_cast<size_t>(i)]);
        }
        *p++ = '\n';
        out_.advance(p);
    }

    void end(uint64_t) override {}

private:
    int64_t startMicros_ = 0;
};

}  // namespace

std::unique_ptr<FormatWriter> makeCandumpWriter(ByteOut& out, ExportCounts& counts) {
    return std::make_unique<CandumpWriter>(out, counts);
}

}  // namespace zv
