#include "capture/cell_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/capture_test_files.h"

namespace zv {
namespace {

using testfiles::Bytes;
using testfiles::hexBytes;
using testfiles::join;

// All 24 capture-list cells of one row.
std::vector<std::string> rowCells(const CCapture& c, uint32_t row, TimeColumnMode mode = TimeColumnMode::Absolute) {
    std::vector<std::string> cells;
    for (int column = 0; column < kCaptureListColumns; ++column) cells.push_back(captureCellText(c, row, column, mode));
    return cells;
}

using Cells = std::vector<std::string>;

// Keeps the image alive together with the reader.
struct Loaded {
    Bytes image;
    CCapture capture;
    explicit Loaded(Bytes bytes) : image(std::move(bytes)) { EXPECT_TRUE(capture.load(image.data(), image.size())); }
};

TEST(CaptureCells, CanFramesInAnMdclFile) {
    Loaded f(testfiles::dataFile(testfiles::dualDinf(0), "MDCL", join({
        // CAN 1, standard 7FF, DLC 2, bytes 12 34, at 01:02:034 (fraction 20 -> digit 4), EXT set.
        hexBytes("01 10 0000 | 14 03 02 01 | 0000 | 02 02 | 0000FC1F | 1234 5678 0000 0000 0000 | 0000 0000 0000"),
        // CAN 2, extended 1ABCDEF0, remote, DLC 8, trigger.
        hexBytes("02 80 0000 | 00 00 00 00 | 0000 | 08 C8 | F0DEBC1A | 0102 0304 0506 0708 0000 | 0000 0000 0000"),
    })));
    EXPECT_EQ(rowCells(f.capture, 0), (Cells{"01:02:034", "1", "", "", "7FF", "DATA", " 2", "12", "34", "", "", "", "",
                                             "", "", "", "G", "1", "", "", "", "", "", ""}));
    EXPECT_EQ(rowCells(f.capture, 1), (Cells{"00:00:000", "2", "", "", "1ABCDEF0", "REMOTE", " 8", "", "", "", "", "",
                                             "", "", "", "", "G", "0", "T", "", "", "", "", ""}));
}

TEST(CaptureCells, LinFrames) {
    Loaded f(testfiles::dataFile("MDCL", join({
        // LIN 1, byteCount 3, frameInfo 0, SB 55 SF 66 PID BC (ID 3C), identifier marked (status 2).
        hexBytes("03 00 0200 | 00 00 00 00 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
        // LIN 2, frameInfo 1, byteCount 3, status 0: three data bytes, no checksum, no letter.
        hexBytes("04 00 0000 | 00 00 00 00 | 0000 | 03 01 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
        // SF marked, data byte 1 and the checksum (received byte 2, status bit 4) marked, code P.
        hexBytes("03 00 1920 | 00 00 00 00 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
    })));
    EXPECT_EQ(rowCells(f.capture, 0), (Cells{"00:00:000", "1", "55", "66", "(3C) [ BC ]", "FRAME", "", "A1", "A2", "",
                                             "", "", "", "", "", "A3", "E", "0", "", "", "", "", "", ""}));
    EXPECT_EQ(rowCells(f.capture, 1), (Cells{"00:00:000", "2", "55", "66", "3C [ BC ]", "", "", "A1", "A2", "A3", "",
                                             "", "", "", "", "", "", "0", "", "", "", "", "", ""}));
    EXPECT_EQ(rowCells(f.capture, 2), (Cells{"00:00:000", "1", "55", "(66)", "3C [ BC ]", "FRAME", "", "A1", "(A2)", "",
                                             "", "", "", "", "", "(A3)", "P", "0", "", "", "", "", "", ""}));
}

TEST(CaptureCells, ShortLinFramesLeaveTheirMissingFieldsEmpty) {
    Loaded f(testfiles::dataFile("MDCL", join({
        hexBytes("03 00 0000 | 00 00 00 00 | 0000 | FF 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("03 00 0000 | 00 00 00 00 | 0000 | FE 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("03 00 0000 | 00 00 00 00 | 0000 | FD 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        // frameInfo 2: only received bytes, no SB, SF or PID.
        hexBytes("03 00 0000 | 00 00 00 00 | 0000 | 02 02 | 00BC6655 | C1C2 0000 0000 0000 0000 | 0000 0000 0000"),
    })));
    const auto head = [&](uint32_t row) {
        Cells c = rowCells(f.capture, row);
        return Cells{c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[15], c[16]};
    };
    EXPECT_EQ(head(0), (Cells{"55", "66", "3C [ BC ]", "FRAME", "", "", "", "", "R"}));
    EXPECT_EQ(head(1), (Cells{"55", "66", "", "ILLEGAL", "", "", "", "", ""}));
    EXPECT_EQ(head(2), (Cells{"55", "", "", "ILLEGAL", "", "", "", "", ""}));
    EXPECT_EQ(head(3), (Cells{"", "", "", "", "", "C1", "C2", "", ""}));
}

TEST(CaptureCells, LinDataLengthFromTheIdentifierTable) {
    Bytes dinf = testfiles::dualDinf(0);
    const size_t lin1 = testfiles::dinf::kLinChannel[0];
    dinf[lin1 + testfiles::dinf::kUseIdTable] = 1;
    dinf[lin1 + testfiles::dinf::kFirstIdEntry + 4 * 0x3C] = 8;
    Loaded f(testfiles::dataFile(dinf, "MDCL", join({
        hexBytes("03 00 0000 | 00 00 00 00 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("03 00 0000 | 00 00 00 00 | 0000 | FF 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("03 00 0000 | 00 00 00 00 | 0000 | FE 00 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("03 00 0000 | 00 00 00 00 | 0000 | 03 01 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
        // Channel 2 has no table.
        hexBytes("04 00 0000 | 00 00 00 00 | 0000 | 03 00 | 00BC6655 | A1A2 A300 0000 0000 0000 | 0000 0000 0000"),
    })));
    const TimeColumnMode m = TimeColumnMode::Absolute;
    EXPECT_EQ(captureCellText(f.capture, 0, 6, m), " 8");
    EXPECT_EQ(captureCellText(f.capture, 1, 6, m), " 8");
    EXPECT_EQ(captureCellText(f.capture, 2, 6, m), "");  // byteCount below -1
    EXPECT_EQ(captureCellText(f.capture, 3, 6, m), "");  // frameInfo not 0
    EXPECT_EQ(captureCellText(f.capture, 4, 6, m), "");
}

TEST(CaptureCells, DeltaModeAndMarkers) {
    Bytes records;
    for (int i = 0; i < 7; ++i) {
        Bytes r(32, 0);
        r[0] = 1;
        r[5] = static_cast<uint8_t>(10 * i);  // hundredths 0, 10, 20, ...
        records.insert(records.end(), r.begin(), r.end());
    }
    records[5 * 32] = 0x40;       // row 5: overrun marker
    records[5 * 32 + 5] = 55;     // at 00:00:55 -> row 6 (60) is 5 hundredths later
    records[4 * 32] = 0x41;       // row 4: lost-data marker
    Loaded f(testfiles::dataFile("MDCL", records));
    const TimeColumnMode delta = TimeColumnMode::Difference;
    EXPECT_EQ(captureCellText(f.capture, 0, 0, delta), " --:--:---");
    EXPECT_EQ(captureCellText(f.capture, 1, 0, delta), "00:00:100");
    EXPECT_EQ(captureCellText(f.capture, 6, 0, delta), "00:00:050");
    EXPECT_EQ(captureCellText(f.capture, 5, 0, delta), "00:00:150");
    EXPECT_EQ(rowCells(f.capture, 5), (Cells{"00:00:550", "OVERRUN", "", "", "", "", "", "", "", "", "", "", "", "",
                                             "", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(captureCellText(f.capture, 4, 1, delta), "LOSTDATA");
    EXPECT_EQ(captureCellText(f.capture, 4, 16, delta), "");
    EXPECT_EQ(captureColumnTitle(0, delta), std::string("deltaT"));
    EXPECT_EQ(captureColumnTitle(0, TimeColumnMode::Absolute), std::string("Time"));
}

TEST(CaptureCells, MoncFileHasNoExtAndTriggerFromStatus) {
    Loaded f(testfiles::dataFile("MONC", join({
        hexBytes("01 90 8000 | 00 00 00 00 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
        hexBytes("01 90 0000 | 00 00 00 00 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000"),
    })));
    EXPECT_EQ(captureCellText(f.capture, 0, 17, TimeColumnMode::Absolute), "");
    EXPECT_EQ(captureCellText(f.capture, 0, 18, TimeColumnMode::Absolute), "T");
    EXPECT_EQ(captureCellText(f.capture, 1, 18, TimeColumnMode::Absolute), "");  // lines bit 7 does not count
}

TEST(CaptureCells, AnalogColumnsFollowTheFileFlag) {
    const Bytes record =
        hexBytes("01 1E 0000 | 00 00 00 00 | 9B00 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 65FF E803 E02E");
    Loaded without(testfiles::dataFile(testfiles::dualDinf(0), "MDCL", record));
    Loaded with(testfiles::dataFile(testfiles::dualDinf(1), "MDCL", record));
    const Cells a = rowCells(without.capture, 0);
    const Cells b = rowCells(with.capture, 0);
    EXPECT_EQ((Cells{a[19], a[20], a[21], a[22], a[23]}), (Cells{"", "", "", "", ""}));
    EXPECT_EQ((Cells{b[19], b[20], b[21], b[22], b[23]}), (Cells{"  +1.6", "  -1.5", " +10.0", " +99.9", "1111"}));
}

TEST(CaptureCells, OutOfRangeAndSmallBuffers) {
    Loaded f(testfiles::dataFile("MDCL", hexBytes("02 00 0000 | 00 00 00 00 | 0000 | 08 88 | F0DEBC1A | 0000 0000 "
                                                  "0000 0000 0000 | 0000 0000 0000")));
    EXPECT_EQ(captureCellText(f.capture, 1, 0, TimeColumnMode::Absolute), "");
    EXPECT_EQ(captureCellText(f.capture, 0, 24, TimeColumnMode::Absolute), "");
    char small[5];
    EXPECT_EQ(captureCellText(f.capture, 0, 4, TimeColumnMode::Absolute, small, sizeof small), 4u);
    EXPECT_STREQ(small, "1ABC");
}

TEST(MonitorCells, RowOfAWatchSlot) {
    const DataInfoBlock none = dataFileSummaryDefaults();
    const Bytes can = hexBytes("02 00 0000 | 14 03 02 01 | 0000 | 03 03 | 0000FC1F | 1122 3300 0000 0000 0000 | 0000 0000 0000");
    const CaptureRecord r(can.data());
    std::vector<std::string> cells;
    for (int column = 0; column < kMonitorListColumns; ++column) cells.push_back(monitorCellText(10, r, column, none));
    EXPECT_EQ(cells, (Cells{"A", "01:02:034", "2", "7FF", "DATA", " 3", "11", "22", "33", "", "", "", "", "", ""}));
}

TEST(MonitorCells, LinRowsUseTheMonitoringBlock) {
    // The table length shows whatever the frame kind, as long as the channel uses the table.
    Bytes block = testfiles::dualDinf(0);
    const size_t lin1 = testfiles::dinf::kLinChannel[0];
    block[lin1 + testfiles::dinf::kUseIdTable] = 1;
    block[lin1 + testfiles::dinf::kFirstIdEntry + 4 * 0x3C] = 4;
    DataInfoBlock info;
    std::copy(block.begin(), block.end(), info.bytes.begin());

    const Bytes oneByte = hexBytes("03 00 0000 | 00 00 00 00 | 0000 | 01 00 | 00BC6655 | 7700 0000 0000 0000 0000 | 0000 0000 0000");
    const Bytes twoBytes = hexBytes("03 00 0800 | 00 00 00 00 | 0000 | 02 00 | 00BC6655 | 7788 0000 0000 0000 0000 | 0000 0000 0000");
    const Bytes noId = hexBytes("03 00 0000 | 00 00 00 00 | 0000 | FE 01 | 00BC6655 | 0000 0000 0000 0000 0000 | 0000 0000 0000");
    const auto cell = [&](const Bytes& b, int column, const DataInfoBlock& i) {
        return monitorCellText(0, CaptureRecord(b.data()), column, i);
    };
    // byteCount 1: the one byte is the checksum, below the two-byte minimum of column 14.
    EXPECT_EQ(cell(oneByte, 6, info), "");
    EXPECT_EQ(cell(oneByte, 14, info), "");
    EXPECT_EQ(cell(twoBytes, 6, info), "77");
    EXPECT_EQ(cell(twoBytes, 14, info), "(88)");  // status bit 3 = byteCount + 1
    EXPECT_EQ(cell(twoBytes, 3, info), "3C [ BC ]");
    EXPECT_EQ(cell(twoBytes, 5, info), " 4");
    EXPECT_EQ(cell(noId, 3, info), "");
    EXPECT_EQ(cell(noId, 4, info), "ILLEGAL");
    EXPECT_EQ(cell(noId, 5, info), " 4");
    // The CAN-only block has no LIN table.
    EXPECT_EQ(cell(twoBytes, 5, composeDataInfoBlock(65555)), "");
}

TEST(StatusBarTexts, AnalyzerOption) {
    EXPECT_STREQ(analyzerOptionText(kTagMonc, 0), "EX-NB2A");
    EXPECT_STREQ(analyzerOptionText(kTagMonc, 1), "EX-NB2A");
    EXPECT_STREQ(analyzerOptionText(kTagMdcl, 1), "EX-NB3BP");
    EXPECT_STREQ(analyzerOptionText(kTagMdcl, 0), "EX-NB2AP");
    EXPECT_STREQ(analyzerOptionText(0, 0), "EX-????");
}

TEST(StatusBarTexts, RowsAndFileName) {
    Bytes records(6 * 32, 0);
    Loaded six(testfiles::dataFile("MDCL", records));
    Loaded none(testfiles::dataFile("MDCL", {}));
    EXPECT_EQ(loadedFileStatusText(six.capture, "C:\\data\\buffer\\00000012.DT"), "5 / 5 [00000012.DT]");
    EXPECT_EQ(loadedFileStatusText(six.capture, "/home/user/run.DT"), "5 / 5 [run.DT]");
    EXPECT_EQ(loadedFileStatusText(none.capture, "run.DT"), "0 / 0 [run.DT]");
    EXPECT_EQ(loadedFileStatusText(six.capture, ""), "5 / 5");  // the received working file
    EXPECT_EQ(loadedFileStatusText(none.capture, ""), "");
    EXPECT_EQ(selectionStatusText(2, 6, "D:\\x\\run.DT"), "2 / 5 [run.DT]");
    EXPECT_EQ(selectionStatusText(2, 6, ""), "2 / 5");
}

TEST(StatusBarTexts, MonitoringWithLanguageStrings) {
    EXPECT_EQ(monitorStatusText(3200, "Lost: %d", 2, "Files: %u", 7), "100 [ Lost: 2 ] [ Files: 7 ]");
    EXPECT_EQ(monitorStatusText(31, "%d", 0, "%d", 0), "0 [ 0 ] [ 0 ]");
    // Records the buffer files could not take are shown only once there are any.
    EXPECT_EQ(monitorStatusText(3200, "Lost: %d", 2, "Files: %u", 7, "Not written: %u", 0),
              "100 [ Lost: 2 ] [ Files: 7 ]");
    EXPECT_EQ(monitorStatusText(3200, "Lost: %d", 2, "Files: %u", 7, "Not written: %u", 4096),
              "100 [ Lost: 2 ] [ Files: 7 ] [ Not written: 4096 ]");
    // Only the number is substituted; other conversions stay as text and cannot read arguments.
    EXPECT_EQ(formatWithNumber("%s lost: %5lu (100%%)", 42), "%s lost:    42 (100%)");
    EXPECT_EQ(formatWithNumber("%03d %d", 7), "007 %d");
    EXPECT_EQ(formatWithNumber("50%", 1), "50%");
}

}  // namespace
}  // namespace zv
