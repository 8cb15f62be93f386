// The emulated analyzer's setup areas, data-information block, upload blocks and LCD.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/bytes.h"
#include "emulator/capture_memory.h"
#include "emulator/device_setup.h"
#include "emulator/lcd.h"
#include "emulator/traffic.h"
#include "setup/data_info.h"
#include "zvlkrmt/protocol/messages.h"
#include "zvlkrmt/protocol/wire.h"

namespace zv::emu {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(DeviceSetup, WrapperSizesFollowTheBoardFamily) {
    const DeviceSetup dual(73763);
    EXPECT_EQ(dual.wrapper(0x2000).size(), 1824u);
    EXPECT_EQ(dual.wrapper(0x6000).size(), 7056u);
    EXPECT_EQ(dual.wrapper(0x6100).size(), 6928u);
    const Bytes stup = dual.wrapper(0x2000);
    EXPECT_EQ(getU32(stup.data(), 0), 0x50555453u);
    EXPECT_EQ(getU32(stup.data(), 4), 1816u);
    EXPECT_EQ(getU32(stup.data(), 8), 1816u);
    EXPECT_EQ(stup[8 + 9], 9);  // layoutCode of the dual-protocol image

    const DeviceSetup canOnly(65555);
    const Bytes small = canOnly.wrapper(0x2000);
    ASSERT_EQ(small.size(), 1056u);
    EXPECT_EQ(getU32(small.data(), 4), 1048u);
    EXPECT_EQ(small[8 + 9], 7);
    EXPECT_EQ(canOnly.wrapper(0x6000).size(), 7056u);
    EXPECT_TRUE(canOnly.wrapper(0x6100).empty());
    EXPECT_TRUE(canOnly.wrapper(0x1234).empty());
}

TEST(DeviceSetup, EveryBoardAndAnUnsupportedCode) {
    for (const BoardInfo* b = boardsBegin(); b != boardsEnd(); ++b) {
        const DeviceSetup d(b->code);
        const bool canOnly = b->layout == SetupLayout::CanOnly;
        EXPECT_EQ(d.wrapper(0x2000).size(), canOnly ? 1056u : 1824u) << b->code;
        EXPECT_EQ(d.wrapper(0x6100).size(), canOnly ? 0u : 6928u) << b->code;
        EXPECT_EQ(d.dataInfo().size(), canOnly ? 204u : 812u) << b->code;
        EXPECT_EQ(d.plan().analogInputs, b->analogInputs == 1) << b->code;
        // Whatever the board, its own areas go back in unchanged.
        for (uint32_t area : {0x2000u, 0x6000u, 0x6100u}) {
            const Bytes w = d.wrapper(area);
            if (w.empty()) continue;
            DeviceSetup copy(b->code);
            EXPECT_EQ(copy.accept(area, w.data(), w.size()), kOk) << b->code << " " << area;
        }
    }
    // A code no analyzer has (for tests of the PC side) keeps the dual-protocol layout.
    const DeviceSetup odd(65538);
    EXPECT_EQ(odd.wrapper(0x2000).size(), 1824u);
    EXPECT_EQ(odd.dataInfo().size(), 812u);
}

TEST(DeviceSetup, AcceptsItsOwnAreasAndGivesThemBackByteForByte) {
    DeviceSetup a(73763);
    Bytes stup = a.wrapper(0x2000);
    stup[8 + 1380] = 2;  // channel 1 -> LIN
    stup[8 + 28 + 4] = 7;  // CAN channel 1 -> 500k
    ASSERT_EQ(a.accept(0x2000, stup.data(), stup.size()), kOk);
    EXPECT_EQ(a.wrapper(0x2000), stup);
    const SetupPlan plan = a.plan();
    EXPECT_EQ(plan.channels[0].protocol, ChannelProtocol::Lin);
    EXPECT_EQ(plan.channels[0].bitRate, 9600u);
    EXPECT_EQ(plan.channels[1].protocol, ChannelProtocol::Can);
    EXPECT_EQ(plan.channels[1].bitRate, 125000u);
    EXPECT_TRUE(plan.analogInputs);

    Bytes stbl = a.wrapper(0x6100);
    stbl[8 + 20] = 0x5A;
    EXPECT_EQ(a.accept(0x6100, stbl.data(), stbl.size()), kOk);
    EXPECT_EQ(a.wrapper(0x6100), stbl);
}

TEST(DeviceSetup, WrongTagOrSizeIsRefusedAndChangesNothing) {
    DeviceSetup a(73763);
    const Bytes before = a.wrapper(0x2000);
    Bytes changed = before;
    changed[8 + 1380] = 2;

    Bytes wrongTag = changed;
    std::memcpy(wrongTag.data(), "STBC", 4);
    EXPECT_EQ(a.accept(0x2000, wrongTag.data(), wrongTag.size()), remote::kBadBlock);
    Bytes shortOne(changed.begin(), changed.end() - 1);
    EXPECT_EQ(a.accept(0x2000, shortOne.data(), shortOne.size()), remote::kBadBlock);
    Bytes longer = changed;
    longer.push_back(0);
    EXPECT_EQ(a.accept(0x2000, longer.data(), longer.size()), remote::kBadBlock);
    Bytes badLength = changed;
    putU32(badLength.data(), 4, 1815);
    EXPECT_EQ(a.accept(0x2000, badLength.data(), badLength.size()), remote::kBadBlock);
    // The CAN-only image does not fit a dual-protocol board, and the other way round.
    const Bytes canOnlyImage = DeviceSetup(65555).wrapper(0x2000);
    EXPECT_EQ(a.accept(0x2000, canOnlyImage.data(), canOnlyImage.size()), remote::kBadBlock);
    DeviceSetup c(65555);
    EXPECT_EQ(c.accept(0x2000, before.data(), before.size()), remote::kBadBlock);
    const Bytes stbl = a.wrapper(0x6100);
    EXPECT_EQ(c.accept(0x6100, stbl.data(), stbl.size()), remote::kBadBlock);
    EXPECT_EQ(a.accept(0x2000, stbl.data(), stbl.size()), remote::kBadBlock);
    EXPECT_EQ(a.wrapper(0x2000), before);
}

TEST(DeviceSetup, CanOnlyBoardsNeverRunLin) {
    DeviceSetup c(65555);
    Bytes stup = c.wrapper(0x2000);
    stup[8 + 780] = 2;  // channelProtocol of channel 1 in the CAN-only image
    ASSERT_EQ(c.accept(0x2000, stup.data(), stup.size()), kOk);
    EXPECT_EQ(c.plan().channels[0].protocol, ChannelProtocol::Can);
    EXPECT_TRUE(c.plan().canOnly);
    EXPECT_FALSE(c.plan().analogInputs);
}

TEST(DeviceSetup, DataInformationBlockIsTheAnalyzersCopy) {
    DeviceSetup a(73763);
    Bytes stup = a.wrapper(0x2000);
    stup[8 + 1381] = 2;  // channel 2 -> LIN
    ASSERT_EQ(a.accept(0x2000, stup.data(), stup.size()), kOk);
    const DataInfoBlock block = a.dataInfo();
    const uint8_t* b = block.data();
    EXPECT_EQ(getU32(b, 0), 812u);
    EXPECT_EQ(getU32(b, 4), 716u);
    EXPECT_EQ(b[10], 32);
    EXPECT_EQ(b[16], 0);
    EXPECT_EQ(b[17], 9);
    EXPECT_EQ(b[26], 1);  // analog inputs of EX-NB3BP
    EXPECT_EQ(getU32(b, 28), 660u);
    EXPECT_EQ(getU32(b, 32), 72u);
    EXPECT_EQ(getU32(b, 40), 32u);
    EXPECT_EQ(b[44], 5);  // bitRateCode of CAN channel 1
    EXPECT_EQ(getU32(b, 112), 288u);
    EXPECT_EQ(getU32(b, 116), 96000u);
    EXPECT_EQ(getU32(b, 692), 4u);
    EXPECT_EQ(getU32(b, 704), 16u);
    EXPECT_EQ(b[708], 1);
    EXPECT_EQ(b[709], 2);
    EXPECT_EQ(getU32(b, 720), 72u);
    EXPECT_EQ(getU32(b, 736), 12u);
    EXPECT_EQ(getU32(b, 788), 4u);
    // A data-file reader accepts it and takes over the protocol selection (version 32).
    DataInfoBlock summary = dataFileSummaryDefaults();
    EXPECT_TRUE(mergeDataInfoBlock(summary, b, 812));
    EXPECT_EQ(summary.channelProtocol(1), 2);
    EXPECT_EQ(summary.analogInputs(), 1);

    const DataInfoBlock small = DeviceSetup(65556).dataInfo();
    EXPECT_EQ(small.size(), 204u);
    EXPECT_EQ(getU32(small.data(), 4), 128u);
    EXPECT_EQ(small.data()[10], 32);
    EXPECT_EQ(small.data()[17], 7);
    EXPECT_EQ(getU32(small.data(), 24), 76u);
    EXPECT_EQ(getU32(small.data(), 28), 72u);
    EXPECT_EQ(getU32(small.data(), 132), 72u);
    DataInfoBlock summary2 = dataFileSummaryDefaults();
    EXPECT_TRUE(mergeDataInfoBlock(summary2, small.data(), 204));
}

// Walks the chunks of a data file image: tag and length of each.
std::vector<std::pair<std::string, uint32_t>> chunks(const Bytes& file) {
    std::vector<std::pair<std::string, uint32_t>> out;
    size_t at = 16;
    while (file.size() - at >= 8) {
        const uint32_t length = getU32(file.data(), at + 4);
        out.emplace_back(std::string(reinterpret_cast<const char*>(file.data() + at), 4), length);
        if (length > file.size() - at - 8) {
            out.emplace_back("BAD", 0);
            break;
        }
        at += 8 + length;
    }
    if (at != file.size()) out.emplace_back("TRAILING", static_cast<uint32_t>(file.size() - at));
    return out;
}

TEST(UploadBlocks, ConcatenatedTheyMakeADataFile) {
    Bytes records(3 * 32 + 5, 0x11);  // a stray partial record is not delivered
    MeasurementInfo m;
    m.boardType = 73763;
    const UploadBlocks u = composeUpload(DeviceSetup(73763).dataInfo(), false, m, records);
    Bytes file(16, 0);
    for (const Bytes* b : {&u.dataInfo, &u.recordHead, &u.records, &u.trailer}) file.insert(file.end(), b->begin(), b->end());
    const auto c = chunks(file);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0], (std::pair<std::string, uint32_t>{"DINF", 812}));
    EXPECT_EQ(c[1].first, "INFO");
    EXPECT_EQ(c[2], (std::pair<std::string, uint32_t>{"MDCL", 96}));
    EXPECT_EQ(c[3], (std::pair<std::string, uint32_t>{"MEND", 8}));
    EXPECT_EQ(u.records.size(), 96u);
    EXPECT_EQ(getU32(u.trailer.data(), 8), 3u);
    EXPECT_EQ(getU32(u.trailer.data(), 12), remote::crc32(u.records.data(), 96));

    const UploadBlocks e = composeUpload(DeviceSetup(65554).dataInfo(), true, m, {});
    Bytes empty(16, 0);
    for (const Bytes* b : {&e.dataInfo, &e.recordHead, &e.records, &e.trailer}) empty.insert(empty.end(), b->begin(), b->end());
    const auto ce = chunks(empty);
    ASSERT_EQ(ce.size(), 4u);
    EXPECT_EQ(ce[0], (std::pair<std::string, uint32_t>{"DINF", 204}));
    EXPECT_EQ(ce[2], (std::pair<std::string, uint32_t>{"MONC", 0}));
}

TEST(CaptureMemory, KeepsTheNewestTwelveMebibytes) {
    CaptureMemory mem;
    Bytes rec(32);
    for (uint32_t i = 0; i < (12u << 20) / 32 + 10; ++i) {
        putU32(rec.data(), 0, i);
        mem.append(rec.data(), 32);
    }
    EXPECT_EQ(mem.bytes(), 12u << 20);
    const Bytes snap = mem.snapshot();
    ASSERT_EQ(snap.size(), 12u << 20);
    EXPECT_EQ(getU32(snap.data(), 0), 10u);  // the ten oldest gave way
    EXPECT_EQ(getU32(snap.data(), snap.size() - 32), (12u << 20) / 32 + 9);
    mem.clear();
    EXPECT_TRUE(mem.snapshot().empty());
}

TEST(Lcd, TextDotsAndRowInversion) {
    Screen s;
    s.text(0, 0, "1");
    // '1' has columns 00 42 7F 40 00 at dots 1..5: the middle column (x 3) is lit in rows 0..6.
    for (int y = 0; y < 7; ++y) EXPECT_TRUE(s.dot(3, y)) << y;
    EXPECT_FALSE(s.dot(3, 7));
    EXPECT_EQ(s.bits[0], 0x10);       // row 0: only x 3 (bit 7 - 3)
    EXPECT_EQ(s.bits[30 * 6], 0x38);  // row 6: x 2 (0x42 bit 6), x 3 and x 4 (0x40 bit 6)
    s.invertRow(7);
    EXPECT_EQ(s.bits[30 * 56], 0xFF);
    EXPECT_EQ(s.bits[1919], 0xFF);
    EXPECT_EQ(s.bits[30 * 55], 0x00);
    Screen lower, upper;
    lower.text(3, 2, "can");
    upper.text(3, 2, "CAN");
    EXPECT_EQ(lower.bits, upper.bits);
}

TEST(Lcd, MenuNavigationByKeyValues) {
    MenuUi ui;
    EXPECT_EQ(ui.page(), Page::Status);
    EXPECT_EQ(ui.key(0x8000 | key::kEnter), MenuUi::Action::None);
    EXPECT_EQ(ui.page(), Page::Menu);
    ui.key(0x8000 | key::kDown);
    ui.key(0x8100 | key::kDown);  // auto-repeat counts as a press
    EXPECT_EQ(ui.cursor(), 2);
    ui.key(0x8000 | key::kEnter);
    EXPECT_EQ(ui.page(), Page::Clock);
    ui.key(0x8000 | key::kPageDown);
    EXPECT_EQ(ui.page(), Page::System);
    ui.key(0x8000 | key::kMenu);
    EXPECT_EQ(ui.page(), Page::Menu);
    ui.key(0x8000 | 2);  // digit 2: memory page
    EXPECT_EQ(ui.page(), Page::Memory);
    for (int i = 0; i < 4; ++i) ui.key(0x8000 | key::kMenu);  // back to the top from anywhere
    EXPECT_EQ(ui.page(), Page::Status);
    EXPECT_EQ(ui.key(0xFFFFFFFF), MenuUi::Action::None);  // the Shift key alone
    EXPECT_EQ(ui.key(0x14), MenuUi::Action::None);         // not a key value
    EXPECT_EQ(ui.page(), Page::Status);
    EXPECT_EQ(ui.key(0x8021), MenuUi::Action::StartMeasurement);
    EXPECT_EQ(ui.key(0x8022), MenuUi::Action::StopMeasurement);
    EXPECT_EQ(ui.key(0x80A1), MenuUi::Action::StartMeasurement);  // low seven bits decide
}

TEST(Lcd, StatusPageShowsModelAndMeasurementState) {
    LcdView v;
    v.model = "AN-2400 + EX-NB3BP";
    v.channel[0] = "CAN 125K";
    v.channel[1] = "LIN 9600";
    MenuUi ui;
    Screen idle, running;
    ui.render(v, idle);
    v.measuring = true;
    ui.render(v, running);
    EXPECT_NE(idle.bits, running.bits);
    // Only text row 2 (the measurement state) differs.
    for (int row = 0; row < 8; ++row) {
        const bool same = std::memcmp(idle.bits.data() + row * 240, running.bits.data() + row * 240, 240) == 0;
        EXPECT_EQ(same, row != 2) << row;
    }
    // The title bar is inverted: its top dot row is dark beyond the text.
    EXPECT_EQ(idle.bits[29], 0xFF);
    Screen expectRow;
    expectRow.text(0, 4, "CH1 CAN 125K");
    EXPECT_EQ(std::memcmp(idle.bits.data() + 4 * 240, expectRow.bits.data() + 4 * 240, 240), 0);
}

}  // namespace
}  // namespace zv::emu
