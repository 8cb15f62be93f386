#include "formats/export.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "capture/capture_test_files.h"
#include "formats/fast_deflate.h"

namespace zv {
namespace {

using testfiles::Bytes;
using testfiles::hexBytes;
using testfiles::join;

// A trigger-marked CAN frame just before the hour wraps, an extended remote frame after the
// wrap, a clean LIN frame, one with a parity mark, a lost-data marker made on the PC, and a
// CAN frame a second later.
Bytes records() {
    return join({
        hexBytes("01 80 0000 | 2D633B3B | 0000 | 02 02 | 0000FC1F | 1234 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("02 00 0000 | 00000000 | 0000 | 00 C3 | F0DEBC1A | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("04 00 0000 | 00010000 | 0000 | 03 00 | 00BC5555 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("04 00 0200 | 00020000 | 0000 | 03 00 | 00BC5555 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("41 00 0000 | 00000000 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("01 00 0000 | 00000100 | 0000 | 00 00 | 00008C04 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
    });
}

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        image_ = testfiles::dataFile("MDCL", records());
        ASSERT_TRUE(capture_.load(image_.data(), image_.size()));
        settings_.start.epochMicros = 1709280000000000;  // 2024-03-01 08:00:00 UTC
        settings_.start.local = CivilTime{2024, 3, 1, 8, 0, 0, 0, 5};
        settings_.sourceName = "run.DT";
    }
    std::string run(ExportFormat format) {
        MemorySink sink;
        EXPECT_EQ(exportCapture(capture_, format, settings_, sink, counts_), ExportResult::Completed);
        return std::string(sink.text());
    }

    Bytes image_;
    CCapture capture_;
    ExportSettings settings_;
    ExportCounts counts_;
};

TEST_F(Export, AscLines) {
    EXPECT_EQ(run(ExportFormat::Asc),
              "date Fri Mar 01 08:00:00.000 2024\n"
              "base hex  timestamps absolute\n"
              "no internal events logged\n"
              "// zvdconv export of run.DT; time 0 is the first record\n"
              "Begin Triggerblock Fri Mar 01 08:00:00.000 2024\n"
              "   0.000000 Start of measurement\n"
              "//    0.000000 trigger mark\n"
              "   0.000000 1  7FF             Rx   d 2 12 34\n"
              "   0.001000 2  1ABCDEF0x       Rx   r 3\n"
              "   0.011000 L2 3C              Rx   2 A1 A2 checksum = A3\n"
              "//    0.021000 L2 3C              Rx   2 A1 A2 checksum = A3 (error marks: identifier; status E)\n"
              "//    0.021000 lost-data marker: records are missing here\n"
              "   1.001000 1  123             Rx   d 0\n"
              "End TriggerBlock\n");
    EXPECT_EQ(counts_.frames, 4u);
    EXPECT_EQ(counts_.comments, 2u);
    EXPECT_EQ(counts_.spanTicks, 5005u);
    EXPECT_EQ(exportLeftOutText(ExportFormat::Asc, counts_), "");
}

TEST_F(Export, CandumpLinesAndWhatIsLeftOut) {
    EXPECT_EQ(run(ExportFormat::Candump),
              "(1709280000.000000) can0 7FF#1234\n"
              "(1709280000.001000) can1 1ABCDEF0#R3\n"
              "(1709280001.001000) can0 123#\n");
    EXPECT_EQ(exportLeftOutText(ExportFormat::Candump, counts_),
              "2 LIN records, 1 marker record left out; 1 trigger mark not kept (candump cannot hold them)");
    // One channel: the other's records are not written, but the time still runs from them.
    settings_.channelSelection = 2;
    EXPECT_EQ(run(ExportFormat::Candump), "(1709280000.001000) can1 1ABCDEF0#R3\n");
}

// BLF objects as read back: type, time stamp and body.
struct BlfObject {
    uint32_t type;
    uint64_t ns;
    std::vector<uint8_t> body;
};

std::vector<BlfObject> blfObjects(const std::string& file, uint32_t& declaredObjects) {
    const auto* p = reinterpret_cast<const uint8_t*>(file.data());
    std::vector<BlfObject> objects;
    EXPECT_EQ(file.substr(0, 4), "LOGG");
    EXPECT_EQ(getU32(p, 4), 144u);
    EXPECT_EQ(getU32(p, 16), file.size());  // file size, low word
    declaredObjects = getU32(p, 32);
    for (size_t at = 144; at + 32 <= file.size();) {
        EXPECT_EQ(file.substr(at, 4), "LOBJ");
        const uint32_t size = getU32(p, at + 8);
        EXPECT_EQ(getU32(p, at + 12), 10u);  // log container
        EXPECT_EQ(getU16(p, at + 16), 2u);   // zlib
        std::vector<uint8_t> plain(getU32(p, at + 24));
        uLongf length = static_cast<uLongf>(plain.size());
        EXPECT_EQ(uncompress(plain.data(), &length, p + at + 32, size - 32), Z_OK);
        for (size_t o = 0; o + 32 <= plain.size();) {
            const uint32_t objectSize = getU32(plain.data(), o + 8);
            EXPECT_EQ(getU32(plain.data(), o + 16), 2u);  // nanoseconds
            objects.push_back({getU32(plain.data(), o + 12), getU32(plain.data(), o + 24) | uint64_t{getU32(plain.data(), o + 28)} << 32,
                               std::vector<uint8_t>(plain.begin() + static_cast<std::ptrdiff_t>(o + 32),
                                                    plain.begin() + static_cast<std::ptrdiff_t>(o + objectSize))});
            o += objectSize + objectSize % 4;
        }
        at += size + size % 4;
    }
    return objects;
}

TEST_F(Export, BlfObjects) {
    const std::string file = run(ExportFormat::Blf);
    ASSERT_GE(file.size(), 144u);
    const auto* h = reinterpret_cast<const uint8_t*>(file.data());
    EXPECT_EQ(getU16(h, 40), 2024);  // start: year, month, weekday, day, hour
    EXPECT_EQ(getU16(h, 42), 3);
    EXPECT_EQ(getU16(h, 46), 1);
    uint32_t declared = 0;
    const std::vector<BlfObject> objects = blfObjects(file, declared);
    ASSERT_EQ(objects.size(), 7u);
    EXPECT_EQ(declared, 7u);
    std::vector<uint32_t> types;
    for (const BlfObject& o : objects) types.push_back(o.type);
    EXPECT_EQ(types, (std::vector<uint32_t>{65, 1, 1, 11, 65, 65, 1}));  // text: trigger, LIN error, marker
    // The remote frame on channel 2: flags 0x80, DLC 3, the extended bit in the identifier.
    EXPECT_EQ(objects[2].ns, 1000000u);
    EXPECT_EQ(hexBytes("0200 80 03 F0DEBC9A 0000000000000000"), objects[2].body);
    // The LIN frame: channel 2, ID 3C, two bytes, checksum A3.
    EXPECT_EQ(objects[3].ns, 11000000u);
    EXPECT_EQ(hexBytes("0200 3C 02 A1A2000000000000 00 00 00 00 A300 00 00"), objects[3].body);
    const std::string text(objects[4].body.begin() + 16, objects[4].body.end());
    EXPECT_EQ(text, "LIN 2 ID 3C: error marks: identifier; status E");
    EXPECT_EQ(objects[6].ns, 1001000000u);
}

TEST_F(Export, PcapngBlocks) {
    const std::string file = run(ExportFormat::Pcapng);
    const auto* p = reinterpret_cast<const uint8_t*>(file.data());
    std::vector<uint16_t> links;
    std::vector<std::string> packets, comments;
    std::vector<uint64_t> times;
    for (size_t at = 0; at + 12 <= file.size();) {
        const uint32_t type = getU32(p, at), length = getU32(p, at + 4);
        ASSERT_EQ(length % 4, 0u);
        ASSERT_EQ(getU32(p, at + length - 4), length);
        if (type == 1) links.push_back(getU16(p, at + 8));
        if (type == 6) {
            const uint32_t captured = getU32(p, at + 20);
            times.push_back(uint64_t{getU32(p, at + 12)} << 32 | getU32(p, at + 16));
            packets.push_back(file.substr(at + 28, captured));
            const size_t options = at + 28 + (captured + 3) / 4 * 4;
            comments.push_back(options + 4 < at + length ? file.substr(options + 4, getU16(p, options + 2)) : "");
        }
        at += length;
    }
    EXPECT_EQ(getU32(p, 0), 0x0A0D0D0Au);
    EXPECT_EQ(links, (std::vector<uint16_t>{227, 227, 212}));  // CH1 CAN, CH2 CAN, CH2 LIN
    ASSERT_EQ(packets.size(), 5u);
    EXPECT_EQ(packets[1], std::string("\xDA\xBC\xDE\xF0\x03\0\0\0\0\0\0\0\0\0\0\0", 16));  // extended, remote
    // Two bytes; A3 is neither checksum of them, so the checksum type is unknown (0).
    EXPECT_EQ(packets[2], std::string("\x01\0\0\0\x20\xBC\xA3\x00\xA1\xA2", 10));
    EXPECT_EQ(static_cast<uint8_t>(packets[3][7]), 0x04);  // parity error
    EXPECT_EQ(comments[0], "trigger mark");
    EXPECT_EQ(comments[3], "error marks: identifier; status E");
    EXPECT_EQ(comments[4], "records were lost before this frame");
    EXPECT_EQ(times[2], 1709280000011000u);
    EXPECT_EQ(counts_.markersLeftOut, 0u);
}

TEST_F(Export, DefaultStartIsTheModificationTimeLessTheSpan) {
    // The file was written when its last record came, 1.001 s after the first.
    EXPECT_EQ(defaultLogStart(capture_, 1709280001001000).epochMicros, 1709280000000000);
}

TEST(FastDeflate, AnyInflaterReadsItBack) {
    // Records of 48 bytes that repeat the one before except for a few bytes, runs longer than
    // the longest match, a region whose distance reaches before the data, one beyond the
    // window, and one without matches.
    std::vector<uint8_t> data(200000);
    uint32_t seed = 16;
    for (size_t i = 0; i < data.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        data[i] = i >= 48 && (seed >> 16) % 8 != 0 ? data[i - 48] : static_cast<uint8_t>(seed >> 24);
    }
    std::fill(data.begin() + 1000, data.begin() + 3000, uint8_t{0x55});
    const std::vector<DeflateRegion> regions = {{0, 48}, {5000, 1}, {90000, 40000}, {120000, 0}, {150000, 32768}};
    for (const size_t size : {size_t{0}, size_t{1}, size_t{47}, data.size()}) {
        std::vector<uint8_t> packed = {0xAB};  // appended after what is there
        appendFastDeflate(data.data(), size, regions, packed);
        std::vector<uint8_t> plain(size + 1);
        uLongf length = static_cast<uLongf>(plain.size());
        ASSERT_EQ(uncompress(plain.data(), &length, packed.data() + 1, static_cast<uLong>(packed.size() - 1)), Z_OK);
        ASSERT_EQ(length, size);
        EXPECT_TRUE(std::equal(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size), plain.begin()));
    }
    // Records that mostly repeat the one before shrink to well under half.
    std::vector<uint8_t> packed;
    appendFastDeflate(data.data(), 5000, {{0, 48}}, packed);
    EXPECT_LT(packed.size(), 2500u);
}

// Takes 100,000 bytes, then refuses.
class FailingSink final : public OutputSink {
public:
    bool isOpen() const override { return true; }
    char* beginBlock(size_t minimum, size_t& available) override {
        block.resize(std::max<size_t>(minimum, 50000));
        available = block.size();
        return block.data();
    }
    bool commitBlock(size_t used) override { return (written += used) <= 100000; }
    std::vector<char> block;
    size_t written = 0;
};

TEST(ExportFailures, RefusedOutputIsReported) {
    Bytes many;
    const Bytes some = records();
    for (int i = 0; i < 20000; ++i) many.insert(many.end(), some.begin(), some.end());
    const Bytes image = testfiles::dataFile("MDCL", many);
    CCapture capture;
    ASSERT_TRUE(capture.load(image.data(), image.size()));
    for (const ExportFormat format : {ExportFormat::Asc, ExportFormat::Blf, ExportFormat::Candump, ExportFormat::Pcapng}) {
        FailingSink sink;
        ExportCounts counts;
        EXPECT_EQ(exportCapture(capture, format, ExportSettings{}, sink, counts), ExportResult::WriteFailed);
    }
}

// A stop ends the log after the record in work: shorter, but whole for its readers.
TEST(ExportStop, EndsTheLogWhereItStopped) {
    Bytes many;
    const Bytes some = records();
    for (int i = 0; i < 20000; ++i) many.insert(many.end(), some.begin(), some.end());
    const Bytes image = testfiles::dataFile("MDCL", many);
    CCapture capture;
    ASSERT_TRUE(capture.load(image.data(), image.size()));
    std::atomic<bool> stop{false};
    ExportSettings settings;
    settings.cancel = &stop;
    // Raised at the first progress report after the start (65,536 records).
    const ConversionProgress progress = [&stop](uint64_t done, uint64_t) {
        if (done > 0) stop = true;
    };
    ExportCounts counts;

    MemorySink asc;
    ASSERT_EQ(exportCapture(capture, ExportFormat::Asc, settings, asc, counts, progress), ExportResult::Cancelled);
    const std::string text(asc.text());
    EXPECT_EQ(text.substr(text.size() - 17), "End TriggerBlock\n");
    EXPECT_LT(counts.frames, 80000u);  // of 80,000 frames in all

    stop = false;
    MemorySink blf;
    ASSERT_EQ(exportCapture(capture, ExportFormat::Blf, settings, blf, counts, progress), ExportResult::Cancelled);
    uint32_t declared = 0;
    const size_t objects = blfObjects(std::string(blf.text()), declared).size();
    EXPECT_EQ(declared, objects);
    EXPECT_LT(objects, 140000u);
    EXPECT_GT(objects, 0u);
}

}  // namespace
}  // namespace zv
