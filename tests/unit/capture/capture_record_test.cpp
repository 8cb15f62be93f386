#include "capture/capture_record.h"

#include <gtest/gtest.h>

#include <string>

#include "capture/capture_test_files.h"
#include "setup/data_info.h"

namespace zv {
namespace {

using testfiles::Bytes;
using testfiles::hexBytes;

// Field order of every record below:
// source lines status | timeStamp (fraction, hundredths, seconds, minutes) | AI1 | byteCount frameInfo |
// identifier | data[10] | AI2 AI3 AI4

TEST(CaptureTime, AbsoluteDigitsAndMillisecondDigit) {
    // 12:34.56, fraction 49 -> millisecond digit 9; fraction 4 -> 0.
    const TimeDigits t = absoluteTime(0x0C223831u);
    EXPECT_EQ(t, (TimeDigits{12, 34, 56, 9}));
    EXPECT_EQ(absoluteTime(0x0C223804u).millis, 0);
    EXPECT_EQ(absoluteTime(0x0C223805u).millis, 1);
}

TEST(CaptureTime, DifferenceBorrowsFromEveryDigit) {
    // 00:00.00 digit 0 after 59:59.99 digit 9: every borrow cascades, the minute borrow is dropped.
    EXPECT_EQ(timeDifference(0x00000000u, 0x3B3B6331u), (TimeDigits{0, 0, 0, 1}));
    // 01:00.00 digit 0 after 00:59.99 digit 9 -> 00:00.00 digit 1 as well.
    EXPECT_EQ(timeDifference(0x01000000u, 0x003B6331u), (TimeDigits{0, 0, 0, 1}));
    // No borrow: 02:10.50 digit 7 minus 01:05.20 digit 3.
    EXPECT_EQ(timeDifference(0x020A3223u, 0x0105140Fu), (TimeDigits{1, 5, 30, 4}));
    // Borrow only from the hundredths: 00:01.00 digit 2 minus 00:00.99 digit 5.
    EXPECT_EQ(timeDifference(0x0001000Au, 0x00006319u), (TimeDigits{0, 0, 0, 7}));
    // The same stamp gives zero; an earlier stamp wraps within the hour.
    EXPECT_EQ(timeDifference(0x05060708u, 0x05060708u), (TimeDigits{0, 0, 0, 0}));
    EXPECT_EQ(timeDifference(0x01000000u, 0x02000000u), (TimeDigits{59, 0, 0, 0}));
}

TEST(CaptureRecordCan, StandardIdentifierIsShiftedExtendedIsWhole) {
    // Standard 7FF is stored as 7FF << 18 = 1FFC0000.
    const Bytes standard = hexBytes("01 00 0000 | 00000000 | 0000 | 02 02 | 0000FC1F | 1234 0000 0000 0000 0000 | 0000 0000 0000");
    const CaptureRecord s(standard.data());
    EXPECT_EQ(s.kind(), RecordKind::Can);
    EXPECT_FALSE(s.isExtended());
    EXPECT_EQ(s.canIdentifier(), 0x7FFu);
    EXPECT_EQ(s.dlc(), 2);
    EXPECT_EQ(s.canDataCount(), 2);
    EXPECT_EQ(s.statusLetter(), 'G');

    const Bytes extended = hexBytes("02 00 0000 | 00000000 | 0000 | 08 C8 | F0DEBC1A | 0102 0304 0506 0708 0000 | 0000 0000 0000");
    const CaptureRecord e(extended.data());
    EXPECT_TRUE(e.isExtended());
    EXPECT_TRUE(e.isRemote());
    EXPECT_EQ(e.canIdentifier(), 0x1ABCDEF0u);
    EXPECT_EQ(e.dlc(), 8);
    EXPECT_EQ(e.canDataCount(), 0);  // remote frames show no data
    EXPECT_EQ(e.channelDigit(), '2');
}

TEST(CaptureRecordCan, ByteCountBeyondEightOrNegativeIsClamped) {
    const Bytes many = hexBytes("01 00 0000 | 00000000 | 0000 | 7F 08 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000");
    EXPECT_EQ(CaptureRecord(many.data()).canDataCount(), 8);
    const Bytes negative = hexBytes("01 00 0000 | 00000000 | 0000 | FF 08 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000");
    EXPECT_EQ(CaptureRecord(negative.data()).canDataCount(), 0);
}

TEST(CaptureRecordChannel, DigitsAndKinds) {
    const uint8_t sources[] = {1, 2, 3, 4, 0x40, 0x41, 0, 5};
    const char digits[] = {'1', '2', '1', '2', '?', '?', '?', '?'};
    const RecordKind kinds[] = {RecordKind::Can,     RecordKind::Can,      RecordKind::Lin, RecordKind::Lin,
                                RecordKind::Overrun, RecordKind::LostData, RecordKind::Can, RecordKind::Can};
    for (size_t i = 0; i < sizeof sources; ++i) {
        CaptureRecordBytes b{};
        b[0] = sources[i];
        const CaptureRecord r(b);
        EXPECT_EQ(r.channelDigit(), digits[i]) << int(sources[i]);
        EXPECT_EQ(r.kind(), kinds[i]) << int(sources[i]);
    }
    CaptureRecordBytes lin2{};
    lin2[0] = 4;
    EXPECT_EQ(CaptureRecord(lin2).linChannelIndex(), 1);
}

TEST(CaptureRecordLin, IdentifierFields) {
    // SB 55, SF 66, PID BC -> ID 3C.
    const Bytes b = hexBytes("03 00 0000 | 00000000 | 0000 | 01 00 | 00BC6655 | A100 0000 0000 0000 0000 | 0000 0000 0000");
    const CaptureRecord r(b.data());
    EXPECT_EQ(r.sb(), 0x55);
    EXPECT_EQ(r.sf(), 0x66);
    EXPECT_EQ(r.pid(), 0xBC);
    EXPECT_EQ(r.linId(), 0x3C);
}

TEST(CaptureRecordLin, DataBytesAndChecksum) {
    // byteCount 3, frameInfo 0: two data bytes and the checksum data[2].
    const Bytes withSum = hexBytes("03 00 0000 | 00000000 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000");
    const CaptureRecord a(withSum.data());
    EXPECT_EQ(a.linDataCount(), 2);
    EXPECT_TRUE(a.hasChecksum());
    EXPECT_EQ(a.checksum(), 0xA3);
    EXPECT_EQ(a.linType(), LinType::Frame);

    // frameInfo 1: three data bytes, no checksum, no type.
    const Bytes noSum = hexBytes("03 00 0000 | 00000000 | 0000 | 03 01 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000");
    const CaptureRecord b(noSum.data());
    EXPECT_EQ(b.linDataCount(), 3);
    EXPECT_FALSE(b.hasChecksum());
    EXPECT_EQ(b.linType(), LinType::None);

    // byteCount 0 with frameInfo 0: nothing received after the PID.
    const Bytes empty = hexBytes("03 00 0000 | 00000000 | 0000 | 00 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000");
    EXPECT_EQ(CaptureRecord(empty.data()).linDataCount(), 0);
    EXPECT_FALSE(CaptureRecord(empty.data()).hasChecksum());

    // byteCount 9: eight data bytes and the checksum data[8].
    const Bytes full = hexBytes("03 00 0000 | 00000000 | 0000 | 09 00 | 00BC6655 | 0102 0304 0506 0708 0900 | 0000 0000 0000");
    EXPECT_EQ(CaptureRecord(full.data()).linDataCount(), 8);
    EXPECT_EQ(CaptureRecord(full.data()).checksum(), 0x09);
}

TEST(CaptureRecordLin, OversizedByteCountStaysInsideTheRecord) {
    // byteCount 127 would put the checksum 110 bytes past the data area; it is taken from the
    // last data byte and only eight data bytes are shown.
    const Bytes b = hexBytes("03 00 0000 | 00000000 | 0000 | 7F 00 | 00BC6655 | 0102 0304 0506 0708 090A | 0000 0000 0000");
    const CaptureRecord r(b.data());
    EXPECT_EQ(r.linDataCount(), 8);
    EXPECT_EQ(r.checksum(), 0x0A);
    EXPECT_FALSE(r.checksumMarked());
}

TEST(CaptureRecordLin, TypesOfNegativeByteCounts) {
    CaptureRecordBytes b{};
    b[0] = 3;
    const CaptureRecord r(b);
    b[10] = 0xFF;  // -1
    EXPECT_EQ(r.linType(), LinType::Frame);
    EXPECT_EQ(r.statusLetter(), 'R');
    b[10] = 0xFE;  // -2
    EXPECT_EQ(r.linType(), LinType::Illegal);
    EXPECT_EQ(r.statusLetter(), 0);
    b[10] = 0xFD;  // -3
    EXPECT_EQ(r.linType(), LinType::Illegal);
    b[10] = 0x80;  // -128
    EXPECT_EQ(r.linType(), LinType::Illegal);
    EXPECT_EQ(r.linDataCount(), 0);
    EXPECT_FALSE(r.hasChecksum());
}

struct LetterCase {
    uint16_t status;
    int8_t byteCount;
    uint8_t frameInfo;
    char letter;
};

TEST(CaptureRecordLin, StatusLetters) {
    const LetterCase cases[] = {
        {0x0000, 2, 0, 'G'},  {0x0800, 2, 0, 'B'},  {0x1000, 2, 0, 'S'}, {0x2000, 2, 0, 'P'},
        {0x4000, 2, 0, 'C'},  {0x8000, 2, 0, 'L'},  {0xF800, 2, 0, 'O'}, {0x1800, 2, 0, 'E'},
        {0x0004, 2, 0, 'E'},  {0x07FF, 2, 0, 'E'},  {0x0801, 2, 0, 'B'},  // marks with a code: the code wins
        {0x0000, 3, 1, 0},    {0x0800, 3, 1, 'B'},  {0x0800, 3, 2, 0},    {0x0000, 3, 2, 0},
        {0x0000, -1, 0, 'R'}, {0x8000, -1, 0, 'R'}, {0x8000, -2, 0, 0},  {0x0800, -1, 0, 'B'},
        {0x0004, -2, 0, 'E'}, {0x0000, -3, 0, 0},
    };
    for (const LetterCase& c : cases) {
        CaptureRecordBytes b{};
        b[0] = 4;
        putU16(b.data(), 2, c.status);
        b[10] = static_cast<uint8_t>(c.byteCount);
        b[11] = c.frameInfo;
        EXPECT_EQ(CaptureRecord(b).statusLetter(), c.letter)
            << std::hex << "status " << c.status << " byteCount " << std::dec << int(c.byteCount) << " frameInfo "
            << int(c.frameInfo);
    }
    CaptureRecordBytes marker{};
    marker[0] = 0x41;
    EXPECT_EQ(CaptureRecord(marker).statusLetter(), 0);
}

TEST(CaptureRecordLin, ErrorMarks) {
    CaptureRecordBytes b{};
    b[0] = 3;
    b[10] = 3;  // two data bytes and the checksum (received byte 2)
    const CaptureRecord r(b);
    putU16(b.data(), 2, 0x0004);
    EXPECT_TRUE(r.byteMarked(0));
    EXPECT_FALSE(r.byteMarked(1));
    EXPECT_FALSE(r.sfMarked());
    putU16(b.data(), 2, 0x0010);  // bit 4 = received byte 2 = byteCount + 1
    EXPECT_TRUE(r.checksumMarked());
    putU16(b.data(), 2, 0x0003);
    EXPECT_TRUE(r.sfMarked());
    EXPECT_TRUE(r.idMarked());
    putU16(b.data(), 2, 0x0400);  // bit 10: received byte 8, the last one with a mark
    EXPECT_TRUE(r.byteMarked(8));
    putU16(b.data(), 2, 0x0800);  // bit 11 belongs to the error code
    EXPECT_FALSE(r.byteMarked(9));
}

TEST(CaptureRecordLines, ExtTriggerAndDigitalInputs) {
    CaptureRecordBytes b{};
    b[0] = 1;
    const CaptureRecord r(b);
    b[1] = 0x90;  // trigger + EXT/DI1
    EXPECT_EQ(r.extDigit(), '1');
    EXPECT_TRUE(r.trigger(kTagMdcl));
    EXPECT_FALSE(r.trigger(kTagMonc));  // MONC reads the trigger from the status word
    char di[4];
    r.diDigits(di);
    EXPECT_EQ(std::string(di, 4), "1000");
    b[1] = 0x0A;  // DI2, DI4
    r.diDigits(di);
    EXPECT_EQ(std::string(di, 4), "0101");
    EXPECT_EQ(r.extDigit(), '0');
    b[1] = 0x61;  // reserved bits only
    r.diDigits(di);
    EXPECT_EQ(std::string(di, 4), "0000");
    putU16(b.data(), 2, 0x0080);
    EXPECT_TRUE(r.trigger(kTagMonc));
    EXPECT_FALSE(r.trigger(kTagMdcl));
}

TEST(CaptureRecordAnalog, VoltsWithOneDecimal) {
    struct Case {
        int16_t v;
        const char* text;
    };
    const Case cases[] = {
        {0, "   0.0"},     {155, "  +1.6"},    {-155, "  -1.5"},   {1000, " +10.0"},    {12000, " +99.9"},
        {32767, " +99.9"}, {-32768, " -99.9"}, {4, "   0.0"},     {5, "  +0.1"},       {-6, "  -0.1"},
        {994, "  +9.9"},   {995, " +10.0"},    {9984, " +99.8"},   {9994, " +99.9"},    {-9994, " -99.9"},
        {-995, "  -9.9"},  {-996, " -10.0"},  {-1006, " -10.1"}, {-10006, " -99.9"},  {-5, "   0.0"},
    };
    for (const Case& c : cases) {
        char out[6];
        analogText(c.v, out);
        EXPECT_EQ(std::string(out, 6), c.text) << c.v;
    }
    // AI1 at 8, AI2..AI4 at 26, 28, 30.
    const Bytes b = hexBytes("01 00 0000 | 00000000 | 9B00 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 65FF E803 E02E");
    const CaptureRecord r(b.data());
    EXPECT_EQ(r.analog(0), 155);
    EXPECT_EQ(r.analog(1), -155);
    EXPECT_EQ(r.analog(2), 1000);
    EXPECT_EQ(r.analog(3), 12000);
}

TEST(LinTableLength, OnlyWithTheIdentifierTable) {
    Bytes block = testfiles::dualDinf();
    DataInfoBlock summary = dataFileSummaryDefaults();
    ASSERT_TRUE(mergeDataInfoBlock(summary, block.data(), block.size()));
    EXPECT_EQ(linTableLength(summary, 0, 0x3C), -1);

    const size_t lin2 = testfiles::dinf::kLinChannel[1];
    block[lin2 + testfiles::dinf::kUseIdTable] = 1;
    block[lin2 + testfiles::dinf::kFirstIdEntry + 4 * 0x3C] = 0xF5;  // only the low four bits count
    summary = dataFileSummaryDefaults();
    ASSERT_TRUE(mergeDataInfoBlock(summary, block.data(), block.size()));
    EXPECT_EQ(linTableLength(summary, 1, 0x3C), 5);
    EXPECT_EQ(linTableLength(summary, 1, 0x3C | 0xC0), 5);  // a PID reads as its ID
    EXPECT_EQ(linTableLength(summary, 0, 0x3C), -1);

    // The CAN-only form has no LIN channels.
    const DataInfoBlock canOnly = composeDataInfoBlock(65555);
    EXPECT_EQ(linTableLength(canOnly, 0, 0), -1);
}

}  // namespace
}  // namespace zv
