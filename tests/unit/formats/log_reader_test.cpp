#include "formats/log_reader.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "base/bytes.h"

namespace zv {
namespace {

struct Read {
    std::vector<LogItem> items;
    std::vector<LogProblem> problems;
    std::optional<CivilTime> date;
    bool recognized = false;
    LogReadCounts counts;
};

Read readAll(LogFormat format, std::string_view bytes) {
    Read r;
    MemoryLogInput input(bytes);
    auto reader = makeLogReader(format, input, [&r](const LogProblem& p) { r.problems.push_back(p); });
    LogItem item;
    while (reader->next(item)) r.items.push_back(item);
    r.date = reader->startDate();
    r.recognized = reader->recognized();
    r.counts = reader->counts();
    return r;
}

std::vector<uint64_t> problemLines(const Read& r) {
    std::vector<uint64_t> lines;
    for (const LogProblem& p : r.problems) lines.push_back(p.line);
    return lines;
}

TEST(AscReader, FramesOfEveryKindWithTheirTimesAndChannels) {
    // As python-can writes it (12-hour date), with the lines other tools add.
    const Read r = readAll(LogFormat::Asc,
                           "date Sat Sep 30 03:06:13.191 pm 2017\r\n"
                           "base hex  timestamps absolute\r\n"
                           "internal events logged\r\n"
                           "// version 9.0.0\r\n"
                           "Begin Triggerblock Sat Sep 30 03:06:13.191 pm 2017\r\n"
                           "   0.000000 Start of measurement\r\n"
                           "   0.000200 1  7FF             Rx   d 2 12 34  Length = 0 BitCount = 0\r\n"
                           "   0.001000 2  1ABCDEF0x       Tx   r 3\r\n"
                           "   0.002000 3  123             Rx   d F 01 02 03 04 05 06 07 08\r\n"
                           "   0.003000 1  ErrorFrame\r\n"
                           "   0.004000 CANFD   2 Rx 123  1 0 9 12 00 11 22 33 44 55 66 77 88 99 AA BB\r\n"
                           "   0.005000 L1 3C              Rx   2 A1 A2 checksum = 5D header time = 40\r\n"
                           "   0.006000 L2 TransmErr: 3C\r\n"
                           "   0.007000 1  Statistic: D 0 R 0 XD 0 XR 0 E 0 O 0 B 0.00%\r\n"
                           "   0.008000 1  123             TxRq d 0\r\n"
                           "   1.234567891 1  001             Rx   d 0\r\n"
                           "End TriggerBlock\r\n");
    ASSERT_TRUE(r.date);
    EXPECT_EQ(*r.date, (CivilTime{2017, 9, 30, 15, 6, 13, 191, 4}));
    EXPECT_TRUE(r.problems.empty());
    ASSERT_EQ(r.items.size(), 7u);
    const LogEvent& a = r.items[0].event;
    EXPECT_EQ(r.items[0].timeNs, 200000u);
    EXPECT_EQ(r.items[0].channel, 1u);
    EXPECT_EQ(a.kind, LogEventKind::CanFrame);
    EXPECT_EQ(a.id, 0x7FFu);
    EXPECT_EQ(a.dlc, 2);
    EXPECT_EQ(a.dataCount, 2);
    EXPECT_EQ(a.data[1], 0x34);
    const LogEvent& b = r.items[1].event;
    EXPECT_TRUE(b.extended && b.remote);
    EXPECT_EQ(b.id, 0x1ABCDEF0u);
    EXPECT_EQ(b.dlc, 3);
    EXPECT_EQ(b.dataCount, 0);
    EXPECT_EQ(r.items[2].channel, 3u);
    EXPECT_EQ(r.items[2].event.dlc, 15);
    EXPECT_EQ(r.items[2].event.dataCount, 8);
    EXPECT_EQ(r.items[3].kind, LogItemKind::ErrorFrame);
    EXPECT_EQ(r.items[4].kind, LogItemKind::CanFd);
    EXPECT_EQ(r.items[4].channel, 2u);
    const LogEvent& lin = r.items[5].event;
    EXPECT_EQ(lin.kind, LogEventKind::LinFrame);
    EXPECT_EQ(lin.id, 0x3Cu);
    EXPECT_EQ(lin.pid, 0x3C);
    EXPECT_TRUE(lin.hasChecksum);
    EXPECT_EQ(lin.checksum, 0x5D);
    EXPECT_EQ(r.items[6].timeNs, 1234567891u);
    EXPECT_EQ(r.counts.skipped, 4u);  // start of measurement, LIN error, statistic, transmit request
}

TEST(AscReader, RelativeTimesDecimalBaseAndMalformedLines) {
    const Read r = readAll(LogFormat::Asc,
                           "base dec  timestamps relative\n"
                           "0.5 1 291 Rx d 1 255\n"
                           "0.25 1 2047 Rx d 1 17\n"
                           "garbage here\n"
                           "1.5x 1 291 Rx d 0\n"
                           "0.1 1 2048 Rx d 0\n"
                           "0.1 1 291 Rx d 3 1 2\n"
                           "0.1 1 291 Up d 0\n"
                           "0.1 1 291 Rx d 1 256\n"
                           "0.1 1 291 Rx d 0\n"
                           "date Someday\n");
    EXPECT_EQ(problemLines(r), (std::vector<uint64_t>{4, 5, 6, 7, 8, 9, 11}));
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_EQ(r.items[0].event.id, 291u);
    EXPECT_EQ(r.items[0].event.data[0], 255);
    EXPECT_EQ(r.items[1].timeNs, 750000000u);
    EXPECT_EQ(r.items[1].event.id, 0x7FFu);
    // Every line with a time moves the clock, also the malformed ones after it.
    EXPECT_EQ(r.items[2].timeNs, 1250000000u);
    EXPECT_TRUE(r.recognized);
    EXPECT_FALSE(r.date);
}

TEST(AscReader, TextOfAnotherKindIsNotRecognised) {
    const Read r = readAll(LogFormat::Asc, "hello\nworld\n");
    EXPECT_FALSE(r.recognized);
    EXPECT_EQ(r.counts.malformed, 2u);
    EXPECT_FALSE(readAll(LogFormat::Asc, "").recognized);
    // A line longer than any format writes is reported once and reading goes on.
    const Read longLine = readAll(LogFormat::Asc, "   0.1 1 " + std::string(10000, '1') + "\n   0.2 1 123 Rx d 0\n");
    EXPECT_EQ(problemLines(longLine), std::vector<uint64_t>{1});
    EXPECT_EQ(longLine.items.size(), 1u);
}

TEST(CandumpReader, FramesChannelsAndWhatIsLeftOut) {
    const Read r = readAll(LogFormat::Candump,
                           "(1436509052.249713) can0 123#DEADBEEF\n"
                           "(1436509052.250713) can1 1ABCDEF0#01.02\r\n"
                           "(1436509052.251000) vcan3 7FF#R3\n"
                           "(1436509052.252000) can0 123#1122334455667788_C T\n"
                           "(1436509052.253000) can0 123##1112233\n"
                           "(1436509052.254000) can0 20000080#0000000000000000\n"
                           "(1436509052.255000) any 456#\n");
    EXPECT_TRUE(r.problems.empty());
    ASSERT_EQ(r.items.size(), 7u);
    EXPECT_EQ(r.items[0].timeNs, 1436509052249713000u);
    EXPECT_EQ(r.items[0].channel, 1u);
    EXPECT_EQ(r.items[0].event.dataCount, 4);
    EXPECT_EQ(r.items[0].event.data[3], 0xEF);
    EXPECT_EQ(r.items[1].channel, 2u);
    EXPECT_TRUE(r.items[1].event.extended);
    EXPECT_EQ(r.items[1].event.dataCount, 2);
    EXPECT_EQ(r.items[2].channel, 4u);
    EXPECT_TRUE(r.items[2].event.remote);
    EXPECT_EQ(r.items[2].event.dlc, 3);
    EXPECT_EQ(r.items[3].event.dlc, 12);
    EXPECT_EQ(r.items[3].event.dataCount, 8);
    EXPECT_EQ(r.items[4].kind, LogItemKind::CanFd);
    EXPECT_EQ(r.items[5].kind, LogItemKind::ErrorFrame);
    EXPECT_EQ(r.items[6].channel, 1u);
    EXPECT_EQ(r.items[6].event.dataCount, 0);
}

TEST(CandumpReader, MalformedLinesAreNamedAndPassedOver) {
    const Read r = readAll(LogFormat::Candump,
                           "# a comment\n"
                           "(1.0) can0 800#00\n"
                           "(1.0) can0 12#00\n"
                           "(1.0) can0 123#0G\n"
                           "(1.0) can0 123#001122334455667788\n"
                           "(1.0) can0 123#11_C\n"
                           "(1.0) can0\n"
                           "(x) can0 123#\n"
                           "\n"
                           "(2.000001) can0 123#R\n");
    EXPECT_EQ(problemLines(r), (std::vector<uint64_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].timeNs, 2000001000u);
}

// BLF pieces: objects, containers and the file header.
using Bytes = std::vector<uint8_t>;

Bytes object(uint32_t type, const Bytes& body, uint64_t ns, bool padded = true) {
    Bytes o(32 + body.size());
    std::memcpy(o.data(), "LOBJ", 4);
    putU16(o.data(), 4, 32);
    putU16(o.data(), 6, 1);
    putU32(o.data(), 8, static_cast<uint32_t>(o.size()));
    putU32(o.data(), 12, type);
    putU32(o.data(), 16, 2);
    putU32(o.data(), 24, static_cast<uint32_t>(ns));
    putU32(o.data(), 28, static_cast<uint32_t>(ns >> 32));
    std::copy(body.begin(), body.end(), o.begin() + 32);
    if (padded) o.resize(o.size() + o.size() % 4, 0);
    return o;
}

Bytes canBody(uint16_t channel, uint8_t flags, uint8_t dlc, uint32_t id, Bytes data) {
    Bytes b(16);
    putU16(b.data(), 0, channel);
    b[2] = flags;
    b[3] = dlc;
    putU32(b.data(), 4, id);
    std::copy(data.begin(), data.end(), b.begin() + 8);
    return b;
}

Bytes container(const Bytes& contents, bool compressed) {
    Bytes data = contents;
    if (compressed) {
        uLongf n = compressBound(static_cast<uLong>(contents.size()));
        data.resize(n);
        compress(data.data(), &n, contents.data(), static_cast<uLong>(contents.size()));
        data.resize(n);
    }
    Bytes c(32 + data.size());
    std::memcpy(c.data(), "LOBJ", 4);
    putU16(c.data(), 4, 16);
    putU16(c.data(), 6, 1);
    putU32(c.data(), 8, static_cast<uint32_t>(c.size()));
    putU32(c.data(), 12, 10);
    putU16(c.data(), 16, compressed ? 2 : 0);
    putU32(c.data(), 24, static_cast<uint32_t>(contents.size()));
    std::copy(data.begin(), data.end(), c.begin() + 32);
    c.resize(c.size() + c.size() % 4, 0);
    return c;
}

Bytes blfFile(std::initializer_list<Bytes> parts) {
    Bytes f(144);
    std::memcpy(f.data(), "LOGG", 4);
    putU32(f.data(), 4, 144);
    const uint16_t start[8] = {2024, 3, 2, 5, 8, 59, 58, 500};  // year, month, weekday, day, ...
    for (size_t i = 0; i < 8; ++i) putU16(f.data(), 40 + 2 * i, start[i]);
    for (const Bytes& p : parts) f.insert(f.end(), p.begin(), p.end());
    return f;
}

std::string_view text(const Bytes& b) { return {reinterpret_cast<const char*>(b.data()), b.size()}; }

TEST(BlfReader, ObjectsAcrossContainersOfBothKinds) {
    Bytes lin(20);
    putU16(lin.data(), 0, 2);
    lin[2] = 0x21;
    lin[3] = 2;
    lin[4] = 0xA1;
    lin[5] = 0xA2;
    lin[16] = 0x77;
    Bytes unknown(1000, 0xEE);  // a type this reader does not know, passed over by its size
    Bytes error(32);
    error[0] = 1;
    Bytes stream;
    for (const Bytes& o : {object(1, canBody(1, 0, 2, 0x123, {0x11, 0x22}), 1000000),
                           object(86, canBody(2, 0x80, 4, 0x80000000u | 0x1ABCDEF0, {}), 2000000),
                           object(999, unknown, 3000000), object(11, lin, 4000000),
                           object(73, error, 5000000), object(100, Bytes(84, 0x01), 6000000)})
        stream.insert(stream.end(), o.begin(), o.end());
    // The stream is cut at odd places: objects begin in one container and end in the next.
    const Bytes first(stream.begin(), stream.begin() + 70), second(stream.begin() + 70, stream.begin() + 700),
        third(stream.begin() + 700, stream.end());
    const Read r = readAll(LogFormat::Blf, text(blfFile({container(first, true), container(second, false),
                                                         container(third, true)})));
    EXPECT_TRUE(r.problems.empty()) << logProblemText(r.problems.front());
    ASSERT_TRUE(r.date);
    EXPECT_EQ(*r.date, (CivilTime{2024, 3, 5, 8, 59, 58, 500, 4}));
    ASSERT_EQ(r.items.size(), 5u);
    EXPECT_EQ(r.items[0].timeNs, 1000000u);
    EXPECT_EQ(r.items[0].event.id, 0x123u);
    EXPECT_EQ(r.items[0].event.data[1], 0x22);
    EXPECT_EQ(r.items[1].channel, 2u);
    EXPECT_TRUE(r.items[1].event.extended && r.items[1].event.remote);
    EXPECT_EQ(r.items[1].event.id, 0x1ABCDEF0u);
    EXPECT_EQ(r.items[2].event.kind, LogEventKind::LinFrame);
    EXPECT_EQ(r.items[2].event.data[1], 0xA2);
    EXPECT_EQ(r.items[2].event.checksum, 0x77);
    EXPECT_EQ(r.items[3].kind, LogItemKind::ErrorFrame);
    EXPECT_EQ(r.items[4].kind, LogItemKind::CanFd);
    EXPECT_EQ(r.counts.skipped, 1u);
}

TEST(BlfReader, DamageIsReportedWithItsOffsetAndReadingGoesOn) {
    const Bytes good = object(1, canBody(1, 0, 1, 0x100, {0x42}), 0);
    Bytes badDlc = object(1, canBody(1, 0, 0x30, 0x100, {}), 0);
    const Bytes junk(40, 0x55);
    Bytes damagedZlib = container(good, true);
    damagedZlib[32] ^= 0xFF;  // the zlib header
    const Bytes file = blfFile({good, junk, badDlc, damagedZlib, good});
    const Read r = readAll(LogFormat::Blf, text(file));
    ASSERT_EQ(r.problems.size(), 3u);
    EXPECT_EQ(r.problems[0].offset, 144u + good.size());  // the junk
    EXPECT_EQ(r.problems[1].offset, 144u + good.size() + junk.size());
    EXPECT_EQ(r.problems[2].offset, 144u + good.size() + junk.size() + badDlc.size());
    EXPECT_EQ(r.items.size(), 2u);

    // Cut anywhere, a file is read up to the cut and no further.
    for (size_t cut = 0; cut < file.size(); cut += 7) {
        const Read part = readAll(LogFormat::Blf, text(file).substr(0, cut));
        EXPECT_LE(part.items.size(), 2u);
        EXPECT_EQ(part.recognized, cut >= 8);
    }
    EXPECT_FALSE(readAll(LogFormat::Blf, "LOGX and more").recognized);

    // An object that claims nearly 4 GiB: its end is not looked for in the memory after it.
    Bytes huge = object(1, canBody(1, 0, 1, 0x100, {0x42}), 0);
    putU32(huge.data(), 8, 0xFFFFFFFDu);
    for (int i = 0; i < 3; ++i) huge.insert(huge.end(), good.begin(), good.end());
    const Read cut = readAll(LogFormat::Blf, text(blfFile({container(huge, true)})));
    EXPECT_EQ(cut.items.size(), 1u);
    ASSERT_EQ(cut.problems.size(), 1u);
    EXPECT_NE(cut.problems[0].what.find("cut short"), std::string::npos);
}

TEST(BlfReader, ContainersUnpackToWhatTheirDataHoldsWhateverSizeTheyState) {
    Bytes many;
    for (uint32_t i = 0; i < 3000; ++i) {
        const Bytes o = object(1, canBody(1, 0, 4, i & 0x7FF, {uint8_t(i), uint8_t(i >> 8), 0, 0}), 1000ull * i);
        many.insert(many.end(), o.begin(), o.end());
    }
    // Larger than any piece unpacked at a time: every object comes out, in order.
    const Read whole = readAll(LogFormat::Blf, text(blfFile({container(many, true)})));
    EXPECT_TRUE(whole.problems.empty());
    ASSERT_EQ(whole.items.size(), 3000u);
    EXPECT_EQ(whole.items[2999].event.data[0], uint8_t(2999));
    EXPECT_EQ(whole.items[2999].event.data[1], uint8_t(2999 >> 8));

    const Bytes good = object(1, canBody(1, 0, 1, 0x100, {0x42}), 0);
    Bytes two = good;
    two.insert(two.end(), good.begin(), good.end());
    // Stating the most a container may hold: the two objects it has, and the short data named.
    Bytes overstated = container(two, true);
    putU32(overstated.data(), 24, 16u << 20);
    const Read over = readAll(LogFormat::Blf, text(blfFile({overstated, good})));
    EXPECT_EQ(over.items.size(), 3u);
    ASSERT_EQ(over.problems.size(), 1u);
    EXPECT_EQ(over.problems[0].offset, 144u);
    // Stating fewer bytes than it unpacks to: only those are taken.
    Bytes understated = container(two, true);
    putU32(understated.data(), 24, static_cast<uint32_t>(good.size()));
    const Read under = readAll(LogFormat::Blf, text(blfFile({understated, good})));
    EXPECT_EQ(under.items.size(), 2u);
    EXPECT_EQ(under.problems.size(), 1u);
    // An empty container is no damage.
    EXPECT_TRUE(readAll(LogFormat::Blf, text(blfFile({container({}, true), good}))).problems.empty());
}

}  // namespace
}  // namespace zv
