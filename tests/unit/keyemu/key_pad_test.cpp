#include "keyemu/key_pad.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace zv::keyemu {
namespace {

std::vector<KeyEvent> events(const KeyEvents& e) { return {e.events.begin(), e.events.begin() + e.count}; }

TEST(KeyPad, TableHasShiftFirstUniqueIdsAndCellsAndEveryPcKeyReachesItsKey) {
    EXPECT_EQ(kKeyTable[kShiftSlot].id, 20023);
    EXPECT_EQ(kKeyTable[kShiftSlot].code, -1);
    std::set<int> ids, cells;
    for (const KeyDefinition& k : kKeyTable) {
        ids.insert(k.id);
        cells.insert(k.spriteColumn * 10 + k.spriteRow);
        EXPECT_LT(k.spriteColumn, 9);  // column 9 holds the latched Shift pictures
        EXPECT_LT(k.spriteRow, 4);
    }
    EXPECT_EQ(ids.size(), 36u);
    EXPECT_EQ(cells.size(), 36u);

    EXPECT_EQ(kKeyTable[static_cast<size_t>(slotForVirtualKey(0x35))].code, 0x05);  // 5
    EXPECT_EQ(kKeyTable[static_cast<size_t>(slotForVirtualKey(0x65))].code, 0x05);  // keypad 5
    EXPECT_EQ(kKeyTable[static_cast<size_t>(slotForVirtualKey(0x46))].code, 0x0F);  // F
    EXPECT_EQ(kKeyTable[static_cast<size_t>(slotForVirtualKey(0x52))].code, 0x21);  // R: start
    EXPECT_EQ(kKeyTable[static_cast<size_t>(slotForVirtualKey(0x53))].code, 0x22);  // S: stop
    EXPECT_EQ(kKeyTable[static_cast<size_t>(slotForVirtualKey(0x0D))].code, 0x14);  // Enter
    EXPECT_EQ(kKeyTable[static_cast<size_t>(slotForVirtualKey(0x22))].code, 0x16);  // Page Down
    for (int vk : {0x10, 0xA0, 0xA1}) EXPECT_EQ(slotForVirtualKey(vk), kShiftSlot);
    EXPECT_EQ(kKeyTable[static_cast<size_t>(slotForVirtualKey(0x47))].code, 0x1B);  // G
    for (int vk : {0x4A, 0x5A, 0x11, 0x70}) EXPECT_EQ(slotForVirtualKey(vk), -1) << vk;  // J, Z, Ctrl, F1
}

TEST(KeyPad, ArtworkByModelPlacesKeysHalfACellFromTheirCentres) {
    const auto small = artworkFor(65555);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->background, 111);
    EXPECT_EQ(small->sprites, 112);
    EXPECT_EQ(small->cellWidth(), 39);
    EXPECT_EQ(small->cellHeight(), 25);
    const auto large = artworkFor(73762);
    ASSERT_TRUE(large);
    EXPECT_EQ(large->background, 123);
    EXPECT_EQ(large->cellWidth(), 43);
    EXPECT_EQ(large->cellHeight(), 27);
    EXPECT_FALSE(artworkFor(65537));
    EXPECT_FALSE(artworkFor(0));

    // 390 / 20 = 19, 200 / 16 = 12; 430 / 20 = 21, 216 / 16 = 13.
    const KeyDefinition& shift = kKeyTable[kShiftSlot];
    EXPECT_EQ(keyTopLeft(shift, 390, 200).x, 285);
    EXPECT_EQ(keyTopLeft(shift, 390, 200).y, 324);
    EXPECT_EQ(keyTopLeft(shift, 430, 216).x, 283);
    EXPECT_EQ(keyTopLeft(shift, 430, 216).y, 323);
    // Every key of both models lies inside the background.
    for (const Artwork& a : {*small, *large}) {
        for (const KeyDefinition& k : kKeyTable) {
            const Point p = keyTopLeft(k, a.sheetWidth, a.sheetHeight);
            EXPECT_GE(p.x, 0);
            EXPECT_LE(p.x + a.cellWidth(), kBackgroundWidth);
            EXPECT_LE(p.y + a.cellHeight(), kBackgroundHeight);
        }
    }
}

TEST(KeyPad, SpritesMoveDownWhilePressedAndRightWhileLatched) {
    const KeyDefinition& shift = kKeyTable[kShiftSlot];  // cell (4, 3)
    Rect r = keySprite(shift, 43, 27, false, false);
    EXPECT_EQ(r.left, 172);
    EXPECT_EQ(r.top, 81);
    EXPECT_EQ(r.right, 215);
    EXPECT_EQ(r.bottom, 108);
    r = keySprite(shift, 43, 27, true, true);  // cell (9, 7), the last of the sheet
    EXPECT_EQ(r.right, 430);
    EXPECT_EQ(r.bottom, 216);
}

TEST(KeyState, PlainKeyGoesDownOnceRepeatsFrom700MsAndNeverLatches) {
    KeyState key;
    EXPECT_EQ(events(key.press()), std::vector<KeyEvent>{KeyEvent::Down});
    EXPECT_TRUE(events(key.press()).empty());  // the PC keyboard's own repeats are absorbed
    EXPECT_TRUE(events(key.latch()).empty());
    EXPECT_TRUE(events(key.reset()).empty());

    // 50 ms ticks: nothing up to 700 ms, then one repeat per tick.
    int repeats = 0, firstAt = 0;
    for (int t = 50; t <= 1000; t += 50) {
        if (key.tick(50).count) {
            if (!repeats) firstAt = t;
            ++repeats;
        }
    }
    EXPECT_EQ(firstAt, 750);
    EXPECT_EQ(repeats, 6);  // 750 ... 1000
    // A late tick does not bring a burst: one repeat, the countdown not below 0.
    EXPECT_EQ(key.tick(500).count, 1);
    EXPECT_EQ(key.tick(10).count, 1);

    EXPECT_EQ(events(key.release()), std::vector<KeyEvent>{KeyEvent::Up});
    EXPECT_TRUE(events(key.release()).empty());
    EXPECT_TRUE(events(key.tick(1000)).empty());
}

TEST(KeyState, LatchingKeyTogglesOnClicksNeverRepeatsAndResetsUnlatchedAndUp) {
    KeyState shift(kKeyFlagLatching);
    EXPECT_EQ(events(shift.click()), (std::vector<KeyEvent>{KeyEvent::Down, KeyEvent::Latched}));
    EXPECT_TRUE(shift.down() && shift.latched());
    EXPECT_TRUE(events(shift.tick(5000)).empty());
    EXPECT_EQ(events(shift.click()), (std::vector<KeyEvent>{KeyEvent::Unlatched, KeyEvent::Up}));
    EXPECT_FALSE(shift.down() || shift.latched());

    shift.click();
    EXPECT_EQ(events(shift.reset()), (std::vector<KeyEvent>{KeyEvent::Unlatched, KeyEvent::Up}));
    EXPECT_TRUE(events(shift.reset()).empty());
    // Held on the PC keyboard: pressed, not latched; reset leaves it alone.
    shift.press();
    EXPECT_TRUE(events(shift.reset()).empty());
    EXPECT_TRUE(shift.down());
}

TEST(KeyValues, ShiftStartAndStopKeys) {
    EXPECT_EQ(keyDown(-1, false, false).value, 0xFFFFFFFFu);  // Shift itself
    EXPECT_EQ(keyDown(0x05, true, false).value, 0x8085u);
    EXPECT_EQ(keyDown(0x05, false, false).value, 0x8005u);
    EXPECT_EQ(keyDown(0x21, false, false).action, KeyAction::StartMeasurement);
    EXPECT_EQ(keyDown(0x21, false, true).value, 0x8021u);
    EXPECT_EQ(keyDown(0x22, false, true).action, KeyAction::StopMeasurement);
    EXPECT_EQ(keyDown(0x22, false, false).value, 0x8022u);
    // With Shift neither start nor stop is recognised.
    EXPECT_EQ(keyDown(0x21, true, false).value, 0x80A1u);
    EXPECT_EQ(keyDown(0x22, true, true).value, 0x80A2u);
    EXPECT_EQ(keyRepeatValue(0x07, false), 0x8107u);
    EXPECT_EQ(keyRepeatValue(0x07, true), 0x8187u);
}

}  // namespace
}  // namespace zv::keyemu
