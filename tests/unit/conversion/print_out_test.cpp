#include "conversion/print_out.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "capture/capture_test_files.h"
#include "support/temp_dir.h"

namespace zv {
namespace {

using testfiles::Bytes;
using testfiles::hexBytes;
using testfiles::join;

const BannerTime kTime{2024, 3, 5, 9, 7, 2};  // "2024-03-05 9:07:02", 18 characters

struct Converted {
    std::string text;
    ConvertResult result;
};

Converted convertImage(const Bytes& image, const ConversionOptions& options, uint32_t pageLimit = kPageLimit) {
    CCapture capture;
    EXPECT_TRUE(capture.load(image.data(), image.size()));
    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&capture);
    writer.setOptions(options);
    writer.setBannerTime(kTime);
    MemorySink sink;
    writer.setOutput(&sink);
    const ConvertResult result = writer.convert(nullptr, pageLimit);
    return {std::string(sink.text()), result};
}

// The lines of a converted text; every line must end with CR LF.
std::vector<std::string> lines(std::string_view text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "text does not end with CR LF";
            break;
        }
        out.emplace_back(text.substr(start, end - start));
        EXPECT_EQ(out.back().find('\n'), std::string::npos) << "bare line feed in " << out.back();
        EXPECT_EQ(out.back().find('\r'), std::string::npos) << "bare carriage return in " << out.back();
        start = end + 2;
    }
    return out;
}

std::vector<std::string> tail(const std::vector<std::string>& v, size_t from) {
    return std::vector<std::string>(v.begin() + static_cast<std::ptrdiff_t>(std::min(from, v.size())), v.end());
}

ConversionOptions text() { return {}; }
ConversionOptions csv() {
    ConversionOptions o;
    o.csv = true;
    return o;
}

// MONC records: a standard data frame, an extended remote frame, an overrun marker, an extended
// data frame of eight bytes. Times 01:02:03 digit 4, 01:02:04 digit 0, 01:02:05, 01:02:06.
Bytes moncRecords() {
    return join({
        hexBytes("01 00 0000 | 14 03 02 01 | 0000 | 02 02 | 00008C04 | 1234 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("02 00 0000 | 00 04 02 01 | 0000 | 00 C8 | F0DEBC1A | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("40 00 0000 | 00 05 02 01 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("01 00 0000 | 00 06 02 01 | 0000 | 08 88 | 01000000 | 0102 0304 0506 0708 0000 | 0000 0000 0000"),
    });
}

// CH1 on preset 7, CH2 on its own timing: 16 MHz over 16 time quanta.
Bytes moncDinf() {
    Bytes d = testfiles::dualDinf(0);
    d[testfiles::dinf::kCanChannel[0] + testfiles::dinf::kBitRateCode] = 7;
    const size_t ch2 = testfiles::dinf::kCanChannel[1];
    d[ch2 + testfiles::dinf::kBitRateCode] = 0;
    putU32(d.data(), ch2 + testfiles::dinf::kBaseFrequency, 160000000);
    d[ch2 + testfiles::dinf::kPts] = 5;
    d[ch2 + testfiles::dinf::kPbs1] = 5;
    d[ch2 + testfiles::dinf::kPbs2] = 5;
    d[ch2 + testfiles::dinf::kSjw] = 2;
    return d;
}

TEST(TextConversion, MoncFileWhole) {
    const Converted c = convertImage(testfiles::dataFile(moncDinf(), "MONC", moncRecords()), text());
    EXPECT_EQ(c.result, ConvertResult::Completed);
    const std::vector<std::string> expected = {
        "*=[ZVDCONV]======[2024-03-05 9:07:02]=*",
        "*  CH1 PROTOCOL: CAN                  *",
        "*      BAUDRATE:500k                  *",
        "*  CH2 PROTOCOL: CAN                  *",
        "*      BAUDRATE:1M                    *",
        "*        BASEFREQ:16M                 *",
        "*        PTS     :5                   *",
        "*        PBS1    :5                   *",
        "*        PBS2    :5                   *",
        "*        SJW     :2                   *",
        "*=====================================*",
        "",
        "--TM---CH------ID--TYPE--DLC------DATA-------ST",
        // TM       CH  ID           type, DLC       data (16)            G at 46
        "0102034 " "1 " "     123 " "DATA    2 " "1234            " " G",
        "0102040 " "2 " "1ABCDEF0 " "REMOTE  8" "                 " " G",
        "0102050 " "  --OVERRUN--",
        "0102060 " "1 " "00000001 " "DATA    8 " "0102030405060708" " G",
    };
    EXPECT_EQ(lines(c.text), expected);
    EXPECT_EQ(lines(c.text)[13].size(), 47u);
    EXPECT_EQ(lines(c.text)[13][46], 'G');
}

TEST(TextConversion, DeltaTimeColumn) {
    ConversionOptions o;
    o.deltaT = true;
    const Converted c = convertImage(testfiles::dataFile("MONC", moncRecords()), o);
    const std::vector<std::string> rows = tail(lines(c.text), 18);  // banner, two custom channels, closing, empty line, header
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].substr(0, 8), "------- ");
    EXPECT_EQ(rows[1].substr(0, 8), "0000006 ");  // 01:02:04.0 - 01:02:03.4
    EXPECT_EQ(rows[2], "0000010   --OVERRUN--");
    EXPECT_EQ(rows[3].substr(0, 8), "0000010 ");
}

TEST(CsvConversion, MoncFile) {
    const Converted c = convertImage(testfiles::dataFile("MONC", moncRecords()), csv());
    const std::vector<std::string> expected = {
        "TM,dT,CH,ID,TYPE,DLC,D0,D1,D2,D3,D4,D5,D6,D7,ST",
        "01:02.034,-------,1,123,DATA,2,12,34,,,,,,,G",
        "01:02.040,00:00.006,2,1ABCDEF0,REMOTE, 8,,,,,,,,,G",
        "01:02.050,00:00.010,--OVERRUN--",
        "01:02.060,00:00.010,1,00000001,DATA,8,01,02,03,04,05,06,07,08,G",
    };
    EXPECT_EQ(lines(c.text), expected);
}

// MDCL records, all at 00:00:00: a CAN frame with EXT set and the LIN cases of the SB/SF/ID field.
Bytes mdclRecords() {
    return join({
        hexBytes("01 10 0000 | 00000000 | 0000 | 02 02 | 0000FC1F | 1234 0000 0000 0000 0000 | 0000 0000 0000"),  // CAN
        hexBytes("03 00 0000 | 00000000 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),  // plain
        hexBytes("04 00 0200 | 00000000 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),  // ID mark
        hexBytes("03 00 0100 | 00000000 | 0000 | FE 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),  // -2, SF mark
        hexBytes("03 00 0000 | 00000000 | 0000 | FD 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),  // -3
        hexBytes("03 00 0000 | 00000000 | 0000 | 02 02 | 00BC6655 | C1C2 0000 0000 0000 0000 | 0000 0000 0000"),  // bytes only
        hexBytes("03 00 0000 | 00000000 | 0000 | FF 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),  // -1
        hexBytes("03 00 1400 | 00000000 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),  // byte marks
        hexBytes("41 00 0000 | 00000000 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),  // lost data
    });
}

TEST(TextConversion, MdclRowsWithAndWithoutHex) {
    const Bytes image = testfiles::dataFile(testfiles::dualDinf(0), "MDCL", mdclRecords());
    const std::vector<std::string> expectedOff = {
        // TM       CH   10-18        19-28 / 19-48 ...                        29-44                45-48   49-51  52-54
        "0000000 " "1 " "     7FF " "DATA    2 " "1234            " "      G" "  1",
        "0000000 " "1 " "5566-3C  " "FRAME     " "A1A2            " "  A3" "  G" "  0",
        "0000000 " "2 " "5566-##  " "FRAME     " "A1A2            " "  A3" "  E" "  0",
        "0000000 " "1 " "55##-    " "ILLEGAL                       " "  E" "  0",
        "0000000 " "1 " "55       " "ILLEGAL                       " "   " "  0",
        "0000000 " "1 " "         " "          " "C1C2            " "    " "   " "  0",
        "0000000 " "1 " "5566-3C  " "FRAME                         " "  R" "  0",
        "0000000 " "1 " "5566-3C  " "FRAME     " "##A2            " "  ##" "  E" "  0",
        "0000000 " "  --LOSTDATA--",
    };
    const Converted off = convertImage(image, text());
    const std::vector<std::string> all = lines(off.text);
    ASSERT_GE(all.size(), 9u);
    EXPECT_EQ(all[all.size() - 10], "--TM---CH------ID--TYPE--DLC------DATA---------C--ST-EXT");
    EXPECT_EQ(tail(all, all.size() - 9), expectedOff);
    EXPECT_EQ(expectedOff[0].size(), 55u);

    ConversionOptions hex;
    hex.hex = true;
    const std::vector<std::string> rows = tail(lines(convertImage(image, hex).text), all.size() - 9);
    EXPECT_EQ(rows[1], "0000000 " "1 " "5566-BC  " "FRAME     " "A1A2            " "  A3" "  G" "  0");
    EXPECT_EQ(rows[2], "0000000 " "2 " "5566-BC  " "FRAME     " "A1A2            " "  A3" "  E" "  0");
    EXPECT_EQ(rows[3], "0000000 " "1 " "5566-    " "ILLEGAL                       " "  E" "  0");
    EXPECT_EQ(rows[7], "0000000 " "1 " "5566-BC  " "FRAME     " "A1A2            " "  A3" "  E" "  0");
}

TEST(TextConversion, MdclBannerWithLinChannelAndIdentifierTable) {
    Bytes dinf = testfiles::dualDinf(0);
    dinf[testfiles::dinf::kChannelProtocol[1]] = 2;
    const size_t lin2 = testfiles::dinf::kLinChannel[1];
    putU32(dinf.data(), lin2 + testfiles::dinf::kLinBitRate, 24005);
    dinf[lin2 + testfiles::dinf::kUseIdTable] = 1;
    dinf[lin2 + testfiles::dinf::kFirstIdEntry + 4 * 0x3C] = 2;
    const Bytes records = join({
        hexBytes("04 00 0000 | 00000000 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("04 00 0000 | 00000000 | 0000 | FF 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
    });
    const std::vector<std::string> all = lines(convertImage(testfiles::dataFile(dinf, "MDCL", records), text()).text);
    const std::vector<std::string> expected = {
        "*=[ZVDCONVL]=====[2024-03-05 9:07:02]=*",
        "*  CH1 PROTOCOL: CAN                  *",
        "*      BAUDRATE:125k                  *",
        "*  CH2 PROTOCOL: LIN                  *",
        "*      BAUDRATE:2400.5                *",
        "*=====================================*",
        "",
        "--TM---CH------ID--TYPE--DLC------DATA---------C--ST-EXT",
        "0000000 " "2 " "5566-3C  " "FRAME   2 " "A1A2            " "  A3" "  G" "  0",
        "0000000 " "2 " "5566-3C  " "FRAME   2                     " "  R" "  0",
    };
    EXPECT_EQ(all, expected);
}

TEST(TextConversion, AnalogColumns) {
    const Bytes record =
        hexBytes("01 1E 0000 | 00000000 | 9B00 | 02 02 | 0000FC1F | 1234 0000 0000 0000 0000 | 65FF E803 E02E");
    const std::vector<std::string> all =
        lines(convertImage(testfiles::dataFile(testfiles::dualDinf(1), "MDCL", record), text()).text);
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2],
              "--TM---CH------ID--TYPE--DLC------DATA---------C--ST-EXT--AI1---AI2---AI3---AI4-DI1234");
    const std::string row = "0000000 " "1 " "     7FF " "DATA    2 " "1234            " "      G" "  1"
                            "  +1.6" "  -1.5" " +10.0" " +99.9" "   1111";
    EXPECT_EQ(all.back(), row);
    EXPECT_EQ(row.size(), 86u);
}

TEST(CsvConversion, MdclRows) {
    const Bytes image = testfiles::dataFile(testfiles::dualDinf(0), "MDCL", mdclRecords());
    const std::vector<std::string> expected = {
        "TM,dT,CH,SB,SF,ID,TYPE,DLC,D0,D1,D2,D3,D4,D5,D6,D7,C,ST,EXT,TRG",
        "00:00.000,-------,1,,,7FF,DATA,2,12,34,,,,,,,,G,1,",
        "00:00.000,00:00.000,1,55,66,3C,FRAME,,A1,A2,,,,,,,A3,G,0,",
        "00:00.000,00:00.000,2,55,66,##,FRAME,,A1,A2,,,,,,,A3,E,0,",
        "00:00.000,00:00.000,1,55,##,,ILLEGAL,,,,,,,,,,,E,0,",
        "00:00.000,00:00.000,1,55,,,ILLEGAL,,,,,,,,,,,,0,",
        "00:00.000,00:00.000,1,,,,,,C1,C2,,,,,,,,,0,",
        "00:00.000,00:00.000,1,55,66,3C,FRAME,,,,,,,,,,,R,0,",
        "00:00.000,00:00.000,1,55,66,3C,FRAME,,##,A2,,,,,,,##,E,0,",
        "00:00.000,00:00.000,--LOSTDATA--",
    };
    EXPECT_EQ(lines(convertImage(image, csv()).text), expected);

    ConversionOptions hex = csv();
    hex.hex = true;
    const std::vector<std::string> rows = lines(convertImage(image, hex).text);
    EXPECT_EQ(rows[2], "00:00.000,00:00.000,1,55,66,BC,FRAME,,A1,A2,,,,,,,A3,G,0,");
    EXPECT_EQ(rows[3], "00:00.000,00:00.000,2,55,66,BC,FRAME,,A1,A2,,,,,,,A3,E,0,");
    EXPECT_EQ(rows[4], "00:00.000,00:00.000,1,55,66,,ILLEGAL,,,,,,,,,,,E,0,");
}

TEST(CsvConversion, MdclWithAnalogInputsTriggerAndTableLength) {
    Bytes dinf = testfiles::dualDinf(1);
    const size_t lin1 = testfiles::dinf::kLinChannel[0];
    dinf[lin1 + testfiles::dinf::kUseIdTable] = 1;
    dinf[lin1 + testfiles::dinf::kFirstIdEntry + 4 * 0x3C] = 8;
    const Bytes records = join({
        hexBytes("02 9E 0000 | 00000000 | 9B00 | 00 C8 | F0DEBC1A | 0000 0000 0000 0000 0000 | 65FF E803 E02E"),
        hexBytes("03 00 0000 | 00000000 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
    });
    const std::vector<std::string> expected = {
        "TM,dT,CH,SB,SF,ID,TYPE,DLC,D0,D1,D2,D3,D4,D5,D6,D7,C,ST,EXT,TRG,AI1,AI2,AI3,AI4,DI1234",
        "00:00.000,-------,2,,,1ABCDEF0,REMOTE,8,,,,,,,,,,G,1,T,  +1.6,  -1.5, +10.0, +99.9,1111",
        "00:00.000,00:00.000,1,55,66,3C,FRAME,8,A1,A2,,,,,,,A3,G,0,,   0.0,   0.0,   0.0,   0.0,0000",
    };
    EXPECT_EQ(lines(convertImage(testfiles::dataFile(dinf, "MDCL", records), csv()).text), expected);
}

// Channel 1 at 00:00.10, channel 2 at 00:00.30, channel 1 at 00:00.70.
Bytes threeChannelRecords() {
    return join({
        hexBytes("01 00 0000 | 00 0A 00 00 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("04 00 0000 | 00 1E 00 00 | 0000 | FD 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("41 00 0000 | 00 28 00 00 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("03 00 0000 | 00 46 00 00 | 0000 | FD 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
    });
}

TEST(ChannelSelection, LeftOutRecordsStillCountAsPredecessors) {
    ConversionOptions ch1 = csv();
    ch1.channelSelection = 1;
    const std::vector<std::string> rows1 = lines(convertImage(testfiles::dataFile("MDCL", threeChannelRecords()), ch1).text);
    ASSERT_EQ(rows1.size(), 4u);  // header, CH1 row, marker, CH1 row
    EXPECT_EQ(rows1[1].substr(0, 20), "00:00.100,-------,1,");
    EXPECT_EQ(rows1[2], "00:00.400,00:00.100,--LOSTDATA--");
    EXPECT_EQ(rows1[3].substr(0, 22), "00:00.700,00:00.300,1,");

    ConversionOptions ch2 = csv();
    ch2.channelSelection = 2;
    const std::vector<std::string> rows2 = lines(convertImage(testfiles::dataFile("MDCL", threeChannelRecords()), ch2).text);
    ASSERT_EQ(rows2.size(), 3u);
    // The first row written is the second record: its difference is measured from the first.
    EXPECT_EQ(rows2[1].substr(0, 22), "00:00.300,00:00.200,2,");

    ConversionOptions delta;
    delta.deltaT = true;
    delta.channelSelection = 1;
    const std::vector<std::string> text1 = lines(convertImage(testfiles::dataFile("MDCL", threeChannelRecords()), delta).text);
    EXPECT_EQ(text1.back().substr(0, 10), "0000300 1 ");
}

TEST(ConversionWithoutRecords, TextHasBannerOnlyCsvIsEmpty) {
    const Bytes image = testfiles::dataFile(testfiles::dualDinf(0), "MDCL", {});
    const std::vector<std::string> all = lines(convertImage(image, text()).text);
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all[0].substr(0, 12), "*=[ZVDCONVL]");
    EXPECT_EQ(all[5], "*=====================================*");
    EXPECT_EQ(all[6], "");
    const Converted c = convertImage(image, csv());
    EXPECT_EQ(c.text, "");
    EXPECT_EQ(c.result, ConvertResult::Completed);
}

TEST(Banner, DatePlacement) {
    EXPECT_EQ(bannerLine(kTagMonc, kTime), "*=[ZVDCONV]======[2024-03-05 9:07:02]=*");
    EXPECT_EQ(bannerLine(kTagMdcl, BannerTime{2024, 12, 31, 23, 59, 59}), "*=[ZVDCONVL]====[2024-12-31 23:59:59]=*");
    EXPECT_EQ(bannerLine(kTagMonc, BannerTime{999, 1, 1, 0, 0, 0}), "*=[ZVDCONV]=======[999-01-01 0:00:00]=*");
}

TEST(Banner, SourceDateEpochIsUtc) {
    const auto same = [](const BannerTime& a, const BannerTime& b) {
        return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
               a.second == b.second;
    };
    EXPECT_TRUE(same(bannerTimeUtc(0), BannerTime{1970, 1, 1, 0, 0, 0}));
    EXPECT_TRUE(same(bannerTimeUtc(951782400), BannerTime{2000, 2, 29, 0, 0, 0}));
    EXPECT_TRUE(same(bannerTimeUtc(1700000000), BannerTime{2023, 11, 14, 22, 13, 20}));
    EXPECT_TRUE(same(bannerTimeUtc(4107542399), BannerTime{2100, 2, 28, 23, 59, 59}));
    EXPECT_TRUE(same(bannerTimeUtc(253402300799), BannerTime{9999, 12, 31, 23, 59, 59}));
    EXPECT_EQ(parseSourceDateEpoch("1700000000"), 1700000000);
    EXPECT_EQ(parseSourceDateEpoch("0"), 0);
    EXPECT_FALSE(parseSourceDateEpoch(""));
    EXPECT_FALSE(parseSourceDateEpoch("-1"));
    EXPECT_FALSE(parseSourceDateEpoch("17e8"));
    EXPECT_FALSE(parseSourceDateEpoch(" 1"));
    EXPECT_FALSE(parseSourceDateEpoch("253402300800"));
}

Bytes manyRecords(uint32_t n) {
    Bytes records(static_cast<size_t>(n) * 32, 0);
    for (uint32_t i = 0; i < n; ++i) {
        records[i * 32] = 1;
        records[i * 32 + 4] = static_cast<uint8_t>(i % 50);
    }
    return records;
}

TEST(PageCounting, StopsWhenThePageLimitIsReached) {
    // CSV: the header and 65 rows fill the first page; with the limit 1 nothing more is written.
    const Converted c = convertImage(testfiles::dataFile("MDCL", manyRecords(70)), csv(), 1);
    EXPECT_EQ(c.result, ConvertResult::PageLimit);
    EXPECT_EQ(lines(c.text).size(), 66u);
    const Converted all = convertImage(testfiles::dataFile("MDCL", manyRecords(70)), csv(), 2);
    EXPECT_EQ(all.result, ConvertResult::Completed);
    EXPECT_EQ(lines(all.text).size(), 71u);
}

TEST(PageCounting, CountersRestartAfterEachPageAndConversion) {
    const Bytes image = testfiles::dataFile("MDCL", manyRecords(140));
    CCapture capture;
    ASSERT_TRUE(capture.load(image.data(), image.size()));
    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&capture);
    writer.setOptions(csv());
    MemorySink sink;
    writer.setOutput(&sink);
    uint32_t pagesSeen = 0;
    uint32_t linesSeen = 0;
    // 141 lines: two full pages and 9 lines; the counters are read at the last progress report.
    const ConvertResult r = writer.convert(
        [&](uint64_t done, uint64_t total) {
            if (done == total) {
                pagesSeen = writer.pageCount();
                linesSeen = writer.linesOnPage();
            }
        },
        kPageLimit);
    EXPECT_EQ(r, ConvertResult::Completed);
    EXPECT_EQ(pagesSeen, 2u);
    EXPECT_EQ(linesSeen, 9u);
    EXPECT_EQ(writer.pageCount(), 0u);  // reset when the conversion ends
}

TEST(Cancel, RequestBeforeTheFirstRecordWritesNoRow) {
    const Bytes image = testfiles::dataFile("MDCL", manyRecords(10));
    CCapture capture;
    ASSERT_TRUE(capture.load(image.data(), image.size()));
    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&capture);
    writer.setOptions(csv());
    MemorySink sink;
    writer.setOutput(&sink);
    EXPECT_EQ(writer.convert([&](uint64_t, uint64_t) { writer.cancel(); }, kPageLimit), ConvertResult::Cancelled);
    EXPECT_EQ(lines(sink.text()).size(), 1u);  // the header
    // The request was honoured and is gone: the next conversion runs through.
    sink.clear();
    EXPECT_EQ(writer.convert(nullptr, kPageLimit), ConvertResult::Completed);
    EXPECT_EQ(lines(sink.text()).size(), 11u);
}

TEST(Cancel, FromAnotherThreadEndsAfterAWholeRow) {
    const uint32_t n = 400000;
    const Bytes image = testfiles::dataFile("MDCL", manyRecords(n));
    CCapture capture;
    ASSERT_TRUE(capture.load(image.data(), image.size()));
    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&capture);
    writer.setOptions(csv());
    MemorySink sink;
    writer.setOutput(&sink);
    std::atomic<bool> started{false};
    ConvertResult result = ConvertResult::Completed;
    std::thread worker([&] {
        result = writer.convert([&](uint64_t done, uint64_t) {
            if (done > 0) started.store(true);
        }, kPageLimit);
    });
    while (!started.load()) std::this_thread::yield();
    writer.cancel();
    worker.join();
    EXPECT_EQ(result, ConvertResult::Cancelled);
    const std::vector<std::string> rows = lines(sink.text());
    EXPECT_GT(rows.size(), 1u);
    EXPECT_LT(rows.size(), n + 1u);
    EXPECT_EQ(rows.back().size(), rows[2].size());  // ended after a whole row
}

// Takes 300,000 bytes, then refuses.
class FailingSink final : public OutputSink {
public:
    bool isOpen() const override { return true; }
    char* beginBlock(size_t minimum, size_t& available) override {
        block.resize(std::max<size_t>(minimum, 100000));
        available = block.size();
        return block.data();
    }
    bool commitBlock(size_t used) override {
        written += used;
        return written <= 300000;
    }
    std::vector<char> block;
    size_t written = 0;
};

TEST(ConversionFailures, OutputNotOpenAndWriteFailure) {
    const Bytes image = testfiles::dataFile("MDCL", manyRecords(50000));
    CCapture capture;
    ASSERT_TRUE(capture.load(image.data(), image.size()));
    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&capture);
    EXPECT_EQ(writer.convert(nullptr, kPageLimit), ConvertResult::OutputNotOpen);
    FileSink closed;
    writer.setOutput(&closed);
    EXPECT_EQ(writer.convert(nullptr, kPageLimit), ConvertResult::OutputNotOpen);
    EXPECT_TRUE(writer.endLine());  // no open output: stop

    FailingSink failing;
    writer.setOutput(&failing);
    EXPECT_EQ(writer.convert(nullptr, kPageLimit), ConvertResult::WriteFailed);
    EXPECT_LE(failing.written, 400000u);  // stopped at the first refused block

    test::TempDir dir;
    EXPECT_EQ(convertToFile(writer, dir.file("no/such/folder/out.txt"), nullptr), ConvertResult::OutputNotOpen);
}

TEST(ConversionToFile, SameBytesAsInMemoryAndReplacesTheFile) {
    const Bytes image = testfiles::dataFile(testfiles::dualDinf(1), "MDCL", mdclRecords());
    CCapture capture;
    ASSERT_TRUE(capture.load(image.data(), image.size()));
    CPrintOutCaptureDataCanFrame writer;
    writer.setSource(&capture);
    writer.setBannerTime(kTime);
    test::TempDir dir;
    const std::string path = dir.file("out.txt");
    testfiles::writeFile(path, Bytes(100000, 'x'));
    ASSERT_EQ(convertToFile(writer, path, nullptr), ConvertResult::Completed);
    MemorySink memory;
    writer.setOutput(&memory);
    ASSERT_EQ(writer.convert(nullptr, kPageLimit), ConvertResult::Completed);
    EXPECT_EQ(testfiles::readFile(path), memory.text());
}

TEST(ConversionJob, PrepareAndRun) {
    test::TempDir dir;
    const std::string input = dir.file("in.DT");
    const std::string notData = dir.file("not.DT");
    testfiles::writeFile(input, testfiles::dataFile("MONC", moncRecords()));
    testfiles::writeFile(notData, hexBytes("00 01 02"));
    ConversionJob job;
    job.inputPath = notData;
    job.outputPath = dir.file("not.csv");
    EXPECT_FALSE(prepareConversion(job));

    job.inputPath = input;
    job.outputPath = dir.file("in.csv");
    job.options = csv();
    ASSERT_TRUE(prepareConversion(job));
    uint64_t lastDone = 0;
    EXPECT_EQ(runConversion([&](uint64_t done, uint64_t) { lastDone = done; }), ConvertResult::Completed);
    EXPECT_EQ(lastDone, 4u);
    releaseImages(2);
    EXPECT_EQ(lines(testfiles::readFile(job.outputPath)).size(), 5u);
}

TEST(CellTextOfTheWriter, MatchesTheCaptureList) {
    const Bytes image = testfiles::dataFile("MONC", moncRecords());
    CCapture capture;
    ASSERT_TRUE(capture.load(image.data(), image.size()));
    CPrintOutCaptureDataCanFrame writer;
    char cell[32];
    writer.cellText(capture, 1, 4, TimeColumnMode::Absolute, cell, sizeof cell);
    EXPECT_STREQ(cell, "1ABCDEF0");
    writer.cellText(capture, 0, 0, TimeColumnMode::Difference, cell, sizeof cell);
    EXPECT_STREQ(cell, " --:--:---");
}

}  // namespace
}  // namespace zv
