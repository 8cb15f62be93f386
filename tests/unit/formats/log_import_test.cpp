#include "formats/log_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/capture_test_files.h"
#include "conversion/rate_text.h"
#include "formats/export.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

using testfiles::Bytes;
using testfiles::hexBytes;
using testfiles::join;

// CAN frames on both channels (the first trigger-marked, just before the hour wraps), clean
// and error-marked LIN frames, a lost-data marker, and frames seconds later.
Bytes records() {
    return join({
        hexBytes("01 80 0000 | 2D633B3B | 0000 | 02 02 | 0000FC1F | 1234 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("02 00 0000 | 00000000 | 0000 | 00 C3 | F0DEBC1A | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("04 00 0000 | 01010000 | 0000 | 03 00 | 003C5555 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("04 00 0200 | 00020000 | 0000 | 03 00 | 003C5555 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("41 00 0000 | 00000000 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("01 00 0000 | 31000100 | 0000 | 08 08 | 00008C04 | 0102 0304 0506 0708 0000 | 0000 0000 0000"),
        hexBytes("02 00 0000 | 00070200 | 0000 | 00 80 | 78563412 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
    });
}

// The frames of a capture as a format keeps them: each record normalised through the one
// mapping (trigger marks and inputs dropped), with its time after the first frame.
struct Frame {
    CaptureRecordBytes bytes;
    uint64_t ticks;
    bool operator==(const Frame&) const = default;
};

std::vector<Frame> framesOf(const CCapture& c, bool withLin) {
    std::vector<Frame> frames;
    MonotonicClock clock;
    std::optional<uint64_t> first;
    for (uint32_t i = 0; i < c.count(); ++i) {
        const CaptureRecord r = c.record(i);
        const uint64_t t = r.isMarker() ? clock.now() : clock.next(r.timeStamp());
        const LogEvent e = logEventOf(r, c.recordTag());
        const bool lin = e.kind == LogEventKind::LinFrame && e.linErrors == 0;
        if (e.kind != LogEventKind::CanFrame && !(lin && withLin)) continue;
        if (!first) first = t;
        Frame f{};
        recordOf(e, 0, f.bytes);
        f.ticks = t - *first;
        frames.push_back(f);
    }
    return frames;
}

class Import : public ::testing::Test {
protected:
    ImportResult import(LogFormat format, std::string_view log, const ImportSettings& settings = {}) {
        MemoryLogInput input(log);
        auto reader = makeLogReader(format, input, [this](const LogProblem& p) { problems_.push_back(p); });
        return importLog(*reader, input, settings, out_, counts_).result;
    }
    const CCapture& load() {
        EXPECT_TRUE(file_.loadFile(out_));
        return file_.capture();
    }

    test::TempDir dir_;
    std::string out_ = dir_.file("out.DT");
    ImportCounts counts_;
    std::vector<LogProblem> problems_;
    LoadedDataFile file_;
};

TEST_F(Import, OurOwnExportsComeBackAsTheSameFrames) {
    const Bytes image = testfiles::dataFile(testfiles::dualDinf(0), "MDCL", records());
    CCapture original;
    ASSERT_TRUE(original.load(image.data(), image.size()));
    ExportSettings settings;
    settings.start = logStartFromEpoch(1709280000000000);
    const std::pair<ExportFormat, LogFormat> formats[] = {
        {ExportFormat::Asc, LogFormat::Asc}, {ExportFormat::Blf, LogFormat::Blf}, {ExportFormat::Candump, LogFormat::Candump}};
    for (const auto& [exportFormat, logFormat] : formats) {
        SCOPED_TRACE(logFormatName(logFormat));
        MemorySink sink;
        ExportCounts exported;
        ASSERT_EQ(exportCapture(original, exportFormat, settings, sink, exported), ExportResult::Completed);
        ASSERT_EQ(import(logFormat, sink.text()), ImportResult::Completed);
        EXPECT_TRUE(problems_.empty());
        const bool withLin = logFormat != LogFormat::Candump;
        const std::vector<Frame> expected = framesOf(original, withLin);
        EXPECT_EQ(counts_.records, expected.size());
        EXPECT_EQ(framesOf(load(), true), expected);
        EXPECT_EQ(file_.capture().recordTag(), kTagMdcl);
        file_.release();
    }
}

TEST_F(Import, ChannelsStampsBitRatesAndWhatIsLeftOut) {
    ImportSettings settings;
    settings.channels = *parseChannelMap("3=1,2=2");
    settings.bitRates = *parseBitRates("1=500k,2=19.2k");
    ASSERT_EQ(import(LogFormat::Asc,
                     "date Tue Mar 05 08:59:58.500 2024\n"
                     "base hex  timestamps absolute\n"
                     "   1.000000 3  123             Rx   d 1 11\n"
                     "   1.000100 1  124             Rx   d 0\n"
                     "   1.000300 L2 21              Rx   1 42 checksum = 9C\n"
                     "   2.000000 CANFD   3 Rx 123 ...\n"
                     "   2.000000 3  ErrorFrame\n"
                     "   1.900000 3  125             Rx   d 0\n"
                     "   2.000000 4  126             Rx   d 0\n"
                     "   2.5 3  12345           Rx   d 0\n",
                     settings),
              ImportResult::Completed);
    ASSERT_EQ(problems_.size(), 1u);
    EXPECT_EQ(problems_[0].line, 10u);
    EXPECT_EQ(counts_.records, 3u);
    EXPECT_EQ(counts_.canFd, 1u);
    EXPECT_EQ(counts_.errorFrames, 1u);
    EXPECT_EQ(counts_.backwards, 1u);
    EXPECT_EQ(counts_.unmapped, (std::map<uint32_t, uint64_t>{{1, 1}, {4, 1}}));
    const std::string text = importLeftOutText(counts_);
    EXPECT_NE(text.find("1 frame of log channel 4 left out"), std::string::npos) << text;
    EXPECT_NE(text.find("1 CAN FD frame left out"), std::string::npos) << text;

    const CCapture& c = load();
    ASSERT_EQ(c.count(), 3u);
    // 08:59:58.500 plus 1 s: the stamps run on over the full hour.
    EXPECT_EQ(c.record(0).timeStamp(), ticksStamp(59 * 300000 + 59 * 5000 + 2500));
    EXPECT_EQ(c.record(0).source(), kSourceCan1);
    EXPECT_EQ(c.record(1).source(), kSourceLin2);
    EXPECT_EQ(c.record(1).timeStamp(), ticksStamp(59 * 300000 + 59 * 5000 + 2501 + 1));  // 0.3 ms: to the step
    EXPECT_EQ(c.record(2).timeStamp(), 0x00003200u);  // 00:00.50, wrapped; the earlier 1.9 s became 2.0 s
    EXPECT_EQ(canChannelBitRateText(c.dataInfo().canChannel(0)), "500k");
    EXPECT_EQ(c.dataInfo().channelProtocol(1), 2);
    EXPECT_EQ(getU32(c.dataInfo().linChannel(1), lin_channel_field::kBitRate), 192000u);
}

TEST_F(Import, AFailedImportLeavesNoOutputAndKeepsAnOldOne) {
    testfiles::writeFile(out_, {1, 2, 3});
    EXPECT_EQ(import(LogFormat::Blf, "not a BLF file"), ImportResult::NotALog);
    EXPECT_EQ(import(LogFormat::Asc, "nothing of the format\n"), ImportResult::NotALog);
    EXPECT_EQ(testfiles::readFile(out_), std::string("\x01\x02\x03", 3));
    EXPECT_FALSE(std::filesystem::exists(out_ + "~import"));
    out_ = dir_.file("missing/out.DT");
    EXPECT_EQ(import(LogFormat::Candump, "(1.0) can0 123#\n"), ImportResult::WriteFailed);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("missing")));
}

TEST(ImportSettings, BitRatesAndChannelMaps) {
    uint8_t channel[32] = {};
    ASSERT_TRUE(setCanBitRate(channel, 5000000));
    EXPECT_EQ(canChannelBitRateText(channel), "500k");
    ASSERT_TRUE(setCanBitRate(channel, 333000));  // "33.3k" names the preset
    EXPECT_EQ(channel[can_channel_field::kBitRateCode], 1);
    for (const uint32_t rate : {100000u, 200000u, 8000000u, 9600000u, 10000000u}) {
        ASSERT_TRUE(setCanBitRate(channel, rate)) << rate;
        EXPECT_EQ(canChannelBitRate(channel), rate);
        const int pts = channel[can_channel_field::kPts], pbs1 = channel[can_channel_field::kPbs1],
                  pbs2 = channel[can_channel_field::kPbs2];
        EXPECT_TRUE(pts >= 1 && pts <= 8 && pbs1 <= 8 && pbs2 <= pbs1 && pbs2 >= 2) << rate;
    }
    EXPECT_FALSE(setCanBitRate(channel, 50000));     // 5 kbit/s
    EXPECT_FALSE(setCanBitRate(channel, 12000000));  // 1.2 Mbit/s

    EXPECT_EQ(parseBitRates("1=500k,2=19.2k"), (std::array<uint32_t, 2>{5000000, 192000}));
    EXPECT_EQ(parseBitRates("2=1M"), (std::array<uint32_t, 2>{0, 10000000}));
    for (const char* bad : {"", "3=500k", "1=", "1=500x", "1=500k,", "1=1k,1=2k", "1=0"}) EXPECT_FALSE(parseBitRates(bad)) << bad;
    EXPECT_EQ(parseChannelMap("3=1,4=2"), (std::map<uint32_t, int>{{3, 1}, {4, 2}}));
    for (const char* bad : {"", "0=1", "3=3", "3=1,3=2", "3", "3=1,"}) EXPECT_FALSE(parseChannelMap(bad)) << bad;
}

}  // namespace
}  // namespace zv
