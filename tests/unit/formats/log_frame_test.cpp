#include "formats/log_frame.h"

#include <gtest/gtest.h>

#include "capture/capture_test_files.h"
#include "formats/log_time.h"

namespace zv {
namespace {

using testfiles::hexBytes;

LogEvent eventOf(std::string_view hex, uint32_t tag = kTagMdcl) {
    const testfiles::Bytes b = hexBytes(hex);
    return logEventOf(CaptureRecord(b.data()), tag);
}

// A record with the fields that decide its kind; the others zero.
LogEvent eventOf(uint8_t source, int8_t byteCount, uint8_t frameInfo, uint32_t identifier = 0) {
    CaptureRecordBytes b{};
    b[0] = source;
    b[record_field::kByteCount] = static_cast<uint8_t>(byteCount);
    b[record_field::kFrameInfo] = frameInfo;
    putU32(b.data(), record_field::kIdentifier, identifier);
    b[record_field::kData] = 0xC1;
    b[record_field::kData + 1] = 0xC2;
    return logEventOf(CaptureRecord(b), kTagMdcl);
}

TEST(LogTime, HourWrapsAndDamagedStamps) {
    MonotonicClock clock;
    EXPECT_EQ(clock.next(0x3B3B6331), 0u);  // 59:59.99 + 49 steps
    EXPECT_EQ(clock.next(0x00000000), 1u);  // 00:00.000: one step later, an hour added
    EXPECT_EQ(clock.next(0x00010000), 5001u);
    EXPECT_EQ(clock.next(0x3B3B6331), kLogTicksPerHour);  // the same stamp an hour on
    // A damaged stamp (minute 200) and the stamp after it: the time never goes back.
    const uint64_t damaged = clock.next(0xC8000000);
    EXPECT_GT(damaged, kLogTicksPerHour);
    EXPECT_GE(clock.next(0x00020000), damaged);

    for (const uint32_t stamp : {0x00000000u, 0x3B3B6331u, 0x0C22071Du})
        EXPECT_EQ(ticksStamp(stampTicks(stamp)), stamp);
}

TEST(LogTime, StartTimeText) {
    const std::optional<CivilTime> t = parseCivilTime("2024-02-29 23:59:58");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->year, 2024);
    EXPECT_EQ(t->day, 29);
    EXPECT_EQ(t->second, 58);
    EXPECT_TRUE(parseCivilTime("2024-03-01T08:00:00"));
    for (const char* bad : {"2023-02-29 00:00:00", "2024-13-01 00:00:00", "2024-03-01 24:00:00", "2024-03-01 08:00",
                            "2024-3-01 08:00:00", "1969-12-31 23:59:59", "2024-03-01 08:00:0x"})
        EXPECT_FALSE(parseCivilTime(bad)) << bad;
}

TEST(LogFrame, CanRecords) {
    // Standard 7FF (stored shifted by 18), two bytes; the further frame-kind bits are not shown.
    LogEvent e = eventOf("01 80 0000 | 00000000 | 0000 | 02 32 | 0000FC1F | 1234 0000 0000 0000 0000 | 0000 0000 0000");
    EXPECT_EQ(e.kind, LogEventKind::CanFrame);
    EXPECT_EQ(e.channel, 1);
    EXPECT_TRUE(e.trigger);
    EXPECT_FALSE(e.extended);
    EXPECT_EQ(e.id, 0x7FFu);
    EXPECT_EQ(e.dlc, 2);
    EXPECT_EQ(e.dataCount, 2);
    EXPECT_EQ(e.data[1], 0x34);
    // Extended with stray bits above bit 28; a remote frame keeps its DLC and has no data.
    e = eventOf("02 00 0000 | 00000000 | 0000 | 08 C8 | F0DEBCFA | 0102 0304 0506 0708 0000 | 0000 0000 0000");
    EXPECT_TRUE(e.extended);
    EXPECT_TRUE(e.remote);
    EXPECT_EQ(e.id, 0x1ABCDEF0u);
    EXPECT_EQ(e.dlc, 8);
    EXPECT_EQ(e.dataCount, 0);
    // The trigger mark of a CAN-only file is status bit 7.
    EXPECT_TRUE(eventOf("01 00 8000 | 00000000 | 0000 | 00 00 | 00000000 | 0000 0000 0000 0000 0000 | 0000 0000 0000",
                        kTagMonc).trigger);
}

TEST(LogFrame, LinRecordsAndMarkers) {
    // Two data bytes and the checksum, clean.
    LogEvent e = eventOf("03 00 0000 | 00000000 | 0000 | 03 00 | 00BC5555 | A1A2 A300 0000 0000 0000 | 0000 0000 0000");
    EXPECT_EQ(e.kind, LogEventKind::LinFrame);
    EXPECT_EQ(e.channel, 1);
    EXPECT_EQ(e.pid, 0xBC);
    EXPECT_EQ(e.id, 0x3Cu);
    EXPECT_EQ(e.dataCount, 2);
    EXPECT_TRUE(e.hasChecksum);
    EXPECT_EQ(e.checksum, 0xA3);
    EXPECT_EQ(e.linErrors, 0);
    // Parity mark, checksum mark (received byte 2) and error code 4 ("P").
    e = eventOf("04 00 1220 | 00000000 | 0000 | 03 00 | 00BC5555 | A1A2 A300 0000 0000 0000 | 0000 0000 0000");
    EXPECT_EQ(e.channel, 2);
    EXPECT_EQ(e.linErrors, lin_error::kIdentifier | lin_error::kChecksum | lin_error::kErrorCode);
    EXPECT_EQ(e.statusLetter, 'P');
    // Header without response; SB and SF only; bytes without a header.
    EXPECT_EQ(eventOf(3, -1, 0, 0x5555BC00).linErrors, lin_error::kNoResponse);
    EXPECT_EQ(eventOf(3, -2, 0, 0x55550000).kind, LogEventKind::LinIncomplete);
    e = eventOf(3, 2, kLinBytesOnly);
    EXPECT_EQ(e.kind, LogEventKind::LinIncomplete);
    EXPECT_EQ(e.dataCount, 2);

    EXPECT_EQ(eventOf(0x40, 0, 0).kind, LogEventKind::Overrun);
    EXPECT_EQ(eventOf(0x41, 0, 0).kind, LogEventKind::LostData);
    EXPECT_EQ(eventOf(0x07, 0, 0).kind, LogEventKind::Unknown);
}

TEST(LogFrame, RecordsBackFromEvents) {
    // The inverse mapping, for importers: a frame comes back as the same frame.
    for (const char* hex : {"02 00 0000 | 00000000 | 0000 | 03 83 | F0DEBC1A | 010203 00000000000000 | 0000 0000 0000",
                            "01 00 0000 | 00000000 | 0000 | 00 45 | 00008C04 | 0000 0000 0000 0000 0000 | 0000 0000 0000",
                            "04 00 0000 | 00000000 | 0000 | 03 00 | 00BC5555 | A1A2 A300 0000 0000 0000 | 0000 0000 0000",
                            "03 00 0000 | 00000000 | 0000 | FF 00 | 00BC5555 | 0000 0000 0000 0000 0000 | 0000 0000 0000"}) {
        const LogEvent e = eventOf(hex);
        CaptureRecordBytes back{};
        ASSERT_TRUE(recordOf(e, 0x01020304, back)) << hex;
        const LogEvent again = logEventOf(CaptureRecord(back), kTagMdcl);
        EXPECT_EQ(CaptureRecord(back).timeStamp(), 0x01020304u);
        EXPECT_EQ(again.kind, e.kind);
        EXPECT_EQ(again.id, e.id);
        EXPECT_EQ(again.dlc, e.dlc);
        EXPECT_EQ(again.data, e.data);
        EXPECT_EQ(again.checksum, e.checksum);
        EXPECT_EQ(again.linErrors, e.linErrors) << hex;
    }
    CaptureRecordBytes unused{};
    EXPECT_FALSE(recordOf(LogEvent{}, 0, unused));
}

TEST(LogFrame, LinChecksums) {
    const uint8_t data[] = {0x4A, 0x55, 0x93, 0xE5};
    EXPECT_EQ(linClassicChecksum(data, 4), 0xE6);  // the sum with carries added back is 0x19
    EXPECT_EQ(linEnhancedChecksum(0xE6, data, 4), 0x00);
}

}  // namespace
}  // namespace zv
