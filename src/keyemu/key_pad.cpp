#include "keyemu/key_pad.h"

namespace zv::keyemu {

namespace {
constexpr uint8_t L = kKeyFlagLatching;
}

const std::array<KeyDefinition, kKeyCount> kKeyTable = {{
    {20023, 304, 336, L, -1, 4, 3},     // Shift
    {20000, 44, 336, 0, 0x00, 0, 3},    {20001, 102, 336, 0, 0x01, 1, 3},
    {20002, 160, 336, 0, 0x02, 2, 3},   {20003, 218, 336, 0, 0x03, 3, 3},
    {20004, 44, 295, 0, 0x04, 0, 2},    {20005, 102, 295, 0, 0x05, 1, 2},
    {20006, 160, 295, 0, 0x06, 2, 2},   {20007, 218, 295, 0, 0x07, 3, 2},
    {20008, 44, 254, 0, 0x08, 0, 1},    {20009, 102, 254, 0, 0x09, 1, 1},
    {20010, 160, 254, 0, 0x0A, 2, 1},   {20011, 218, 254, 0, 0x0B, 3, 1},
    {20012, 44, 213, 0, 0x0C, 0, 0},    {20013, 102, 213, 0, 0x0D, 1, 0},
    {20014, 160, 213, 0, 0x0E, 2, 0},   {20015, 218, 213, 0, 0x0F, 3, 0},
    {20016, 304, 213, 0, 0x17, 4, 0},   {20017, 362, 213, 0, 0x18, 5, 0},
    {20018, 420, 213, 0, 0x19, 6, 0},   {20019, 478, 213, 0, 0x22, 7, 0},
    {20020, 536, 213, 0, 0x21, 8, 0},   {20021, 304, 254, 0, 0x1C, 4, 1},
    {20022, 304, 295, 0, 0x1D, 4, 2},   {20024, 362, 254, 0, 0x1B, 5, 1},
    {20025, 362, 336, 0, 0x1A, 5, 3},   {20026, 362, 295, 0, 0x10, 5, 2},
    {20027, 420, 254, 0, 0x12, 6, 1},   {20028, 420, 336, 0, 0x13, 6, 3},
    {20029, 478, 295, 0, 0x11, 7, 2},   {20030, 478, 254, 0, 0x15, 7, 1},
    {20031, 478, 336, 0, 0x16, 7, 3},   {20032, 420, 295, 0, 0x14, 6, 2},
    {20033, 536, 254, 0, 0x1E, 8, 1},   {20034, 536, 295, 0, 0x1F, 8, 2},
    {20035, 536, 336, 0, 0x20, 8, 3},
}};

namespace {

struct PcKey {
    int virtualKey;
    int keyId;
};

// Searched in this order: digits (main row, then keypad), A-F and the letters, editing and
// Shift keys, cursor and page keys.
constexpr PcKey kPcKeys[] = {
    {0x30, 20000}, {0x60, 20000}, {0x31, 20001}, {0x61, 20001}, {0x32, 20002}, {0x62, 20002},
    {0x33, 20003}, {0x63, 20003}, {0x34, 20004}, {0x64, 20004}, {0x35, 20005}, {0x65, 20005},
    {0x36, 20006}, {0x66, 20006}, {0x37, 20007}, {0x67, 20007}, {0x38, 20008}, {0x68, 20008},
    {0x39, 20009}, {0x69, 20009}, {0x41, 20010}, {0x42, 20011}, {0x43, 20012}, {0x44, 20013},
    {0x45, 20014}, {0x46, 20015}, {0x4D, 20016}, {0x59, 20017}, {0x54, 20018}, {0x53, 20019},
    {0x52, 20020}, {0x2E, 20021}, {0x2D, 20022}, {0x10, 20023}, {0xA1, 20023}, {0xA0, 20023},
    {0x47, 20024}, {0x48, 20025}, {0x25, 20026}, {0x26, 20027}, {0x28, 20028}, {0x27, 20029},
    {0x21, 20030}, {0x22, 20031}, {0x0D, 20032}, {0x4C, 20033}, {0x4B, 20034}, {0x50, 20035},
};

constexpr uint32_t kStartCode = 0x21;
constexpr uint32_t kStopCode = 0x22;

}  // namespace

int slotForVirtualKey(int virtualKey) {
    for (const PcKey& pc : kPcKeys) {
        if (pc.virtualKey != virtualKey) continue;
        for (int slot = 0; slot < kKeyCount; ++slot) {
            if (kKeyTable[static_cast<size_t>(slot)].id == pc.keyId) return slot;
        }
    }
    return -1;
}

std::optional<Artwork> artworkFor(BoardType boardType) {
    switch (boardType) {
        case 65554: case 65555: case 65556: case 65570: case 65571: case 65572:
            return Artwork{111, 112, 390, 200};
        case 73762: case 73763:
            return Artwork{123, 124, 430, 216};
        default:
            return std::nullopt;
    }
}

Point keyTopLeft(const KeyDefinition& key, int sheetWidth, int sheetHeight) {
    return {key.centreX - sheetWidth / 20, key.centreY - sheetHeight / 16};
}

Rect keySprite(const KeyDefinition& key, int cellWidth, int cellHeight, bool down, bool latched) {
    const int left = (key.spriteColumn + (latched ? kLatchedColumnOffset : 0)) * cellWidth;
    const int top = (key.spriteRow + (down ? kDownRowOffset : 0)) * cellHeight;
    return {left, top, left + cellWidth, top + cellHeight};
}

KeyEvents KeyState::press() {
    KeyEvents e;
    if (down_) return e;
    down_ = true;
    countdown_ = kFirstRepeatMs;
    e.add(KeyEvent::Down);
    return e;
}

KeyEvents KeyState::release() {
    KeyEvents e;
    if (!down_) return e;
    down_ = false;
    e.add(KeyEvent::Up);
    return e;
}

KeyEvents KeyState::latch() {
    KeyEvents e;
    if (!latching() || latched_) return e;
    latched_ = true;
    e.add(KeyEvent::Latched);
    return e;
}

KeyEvents KeyState::unlatch() {
    KeyEvents e;
    if (!latching() || !latched_) return e;
    latched_ = false;
    e.add(KeyEvent::Unlatched);
    return e;
}

KeyEvents KeyState::reset() {
    KeyEvents e;
    if (!latching() || !latched_) return e;
    latched_ = false;
    e.add(KeyEvent::Unlatched);
    if (down_) {
        down_ = false;
        e.add(KeyEvent::Up);
    }
    return e;
}

KeyEvents KeyState::click() {
    if (!latching()) return press();
    const bool wasDown = down_;
    KeyEvents e = wasDown ? unlatch() : press();
    const KeyEvents second = wasDown ? release() : latch();
    for (int i = 0; i < second.count && e.count < 2; ++i) e.add(second.events[static_cast<size_t>(i)]);
    return e;
}

KeyEvents KeyState::tick(int elapsedMs) {
    KeyEvents e;
    if (!down_ || !repeats()) return e;
    countdown_ -= elapsedMs;
    if (countdown_ < 0) {
        e.add(KeyEvent::Repeat);
        countdown_ += kRepeatStepMs;
        if (countdown_ < 0) countdown_ = 0;
    }
    return e;
}

KeyDecision keyDown(int32_t code, bool shiftDown, bool measuring) {
    uint32_t c = static_cast<uint32_t>(code);
    if (shiftDown) c |= 0x80;
    if ((c & 0xFF) == kStartCode && !measuring) return {KeyAction::StartMeasurement, 0};
    if ((c & 0xFF) == kStopCode && measuring) return {KeyAction::StopMeasurement, 0};
    return {KeyAction::Send, c | 0x8000};
}

uint32_t keyRepeatValue(int32_t code, bool shiftDown) {
    return static_cast<uint32_t>(code) | (shiftDown ? 0x80u : 0u) | 0x8100u;
}

}  // namespace zv::keyemu
