// The analyzer's keypad as the key-emulation panel shows it: the 36 keys with their places,
// codes, sprite cells and PC keys, the artwork of each model, the state machine of one key
// (press, release, latch, auto-repeat) and the values a key sends to the analyzer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/board_type.h"

namespace zv::keyemu {

constexpr int kKeyCount = 36;
constexpr int kShiftSlot = 0;           // slot 0 is the Shift key, whose state the panel reads
constexpr int kSpriteColumns = 10;
constexpr int kSpriteRows = 8;
constexpr int kDownRowOffset = 4;       // pressed pictures lie four rows down
constexpr int kLatchedColumnOffset = 5; // latched pictures five columns right
constexpr int kFirstRepeatMs = 700;
constexpr int kRepeatStepMs = 50;       // the panel's timer period

constexpr uint8_t kKeyFlagLatching = 0x02;

struct KeyDefinition {
    int id;            // control id of the key window and string id of its tooltip
    int centreX, centreY;
    uint8_t flags;     // kKeyFlagLatching
    int32_t code;      // -1: the Shift key sends no code of its own
    int spriteColumn, spriteRow;
};

// In creation order; slot 0 is Shift.
extern const std::array<KeyDefinition, kKeyCount> kKeyTable;

// The slot of the key a PC virtual-key code stands for, or -1.
int slotForVirtualKey(int virtualKey);

struct Artwork {
    int background;   // bitmap resource ids of the program
    int sprites;
    int sheetWidth, sheetHeight;
    int cellWidth() const { return sheetWidth / kSpriteColumns; }
    int cellHeight() const { return sheetHeight / kSpriteRows; }
};
constexpr int kBackgroundWidth = 581;
constexpr int kBackgroundHeight = 371;

// The artwork of a model, or none for a model without a keypad picture.
std::optional<Artwork> artworkFor(BoardType boardType);

struct Point { int x, y; };
struct Rect { int left, top, right, bottom; };
// The key window's top-left corner: the centre less half a cell of the sheet.
Point keyTopLeft(const KeyDefinition& key, int sheetWidth, int sheetHeight);
// The key's picture in the sprite sheet: up and unlatched, moved right while latched and down
// while down.
Rect keySprite(const KeyDefinition& key, int cellWidth, int cellHeight, bool down, bool latched);

// What a key tells the panel (posted in this order).
enum class KeyEvent : uint8_t { Down, Up, Repeat, Latched, Unlatched };
struct KeyEvents {
    std::array<KeyEvent, 2> events{};
    int count = 0;
    void add(KeyEvent e) { events[static_cast<size_t>(count++)] = e; }
};

class KeyState {
public:
    explicit KeyState(uint8_t flags = 0) : flags_(flags) {}
    bool down() const { return down_; }
    bool latched() const { return latched_; }
    bool latching() const { return (flags_ & kKeyFlagLatching) != 0; }
    bool repeats() const { return (flags_ & 0x03) == 0; }

    KeyEvents press();
    KeyEvents release();
    KeyEvents latch();
    KeyEvents unlatch();
    // A latched latching key goes back to unlatched (and up).
    KeyEvents reset();
    // A click of the left button: a plain key goes down (and up with the button); a latching
    // key toggles.
    KeyEvents click();
    // Milliseconds since the previous timer tick; a held key repeats after 700 ms and then at
    // most once per tick.
    KeyEvents tick(int elapsedMs);

private:
    uint8_t flags_;
    bool down_ = false;
    bool latched_ = false;
    int countdown_ = 0;
};

// What a key going down does.
enum class KeyAction : uint8_t { Send, StartMeasurement, StopMeasurement };
struct KeyDecision {
    KeyAction action;
    uint32_t value;  // the value sent for Send
};
// With Shift down the code gets 0x80; the start key outside a measurement starts one from the
// PC and the stop key during one stops it; every other press is sent as code | 0x8000.
KeyDecision keyDown(int32_t code, bool shiftDown, bool measuring);
uint32_t keyRepeatValue(int32_t code, bool shiftDown);

}  // namespace zv::keyemu
