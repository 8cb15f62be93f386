#include "emulator/lcd.h"

#include <cstdio>

namespace zv::emu {
namespace {

// 5 x 7 characters 0x20..0x5F, one byte per column, bit 0 at the top.
constexpr uint8_t kFont[64][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x56, 0x20, 0x50}, {0x00, 0x08, 0x07, 0x03, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x2A, 0x1C, 0x7F, 0x1C, 0x2A}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x80, 0x70, 0x30, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x00, 0x60, 0x60, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x72, 0x49, 0x49, 0x49, 0x46}, {0x21, 0x41, 0x49, 0x4D, 0x33}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x31}, {0x41, 0x21, 0x11, 0x09, 0x07},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x46, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x00, 0x14, 0x00, 0x00},
    {0x00, 0x40, 0x34, 0x00, 0x00}, {0x00, 0x08, 0x14, 0x22, 0x41}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x59, 0x09, 0x06}, {0x3E, 0x41, 0x5D, 0x59, 0x4E},
    {0x7C, 0x12, 0x11, 0x12, 0x7C}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x41, 0x3E}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x41, 0x51, 0x73}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x1C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x26, 0x49, 0x49, 0x49, 0x32}, {0x03, 0x01, 0x7F, 0x01, 0x03}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x03, 0x04, 0x78, 0x04, 0x03}, {0x61, 0x59, 0x49, 0x4D, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x41},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x41, 0x7F}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40},
};

constexpr const char* kMenuItems[4] = {"1 CHANNELS", "2 MEMORY", "3 CLOCK", "4 SYSTEM"};

std::string clockText(const uint16_t c[8]) {
    char b[32];
    std::snprintf(b, sizeof b, "%04u-%02u-%02u %02u:%02u:%02u", c[0] % 10000u, c[1] % 100u, c[3] % 100u,
                  c[4] % 100u, c[5] % 100u, c[6] % 100u);
    return b;
}

}  // namespace

bool Screen::dot(int x, int y) const {
    if (x < 0 || y < 0 || x >= kLcdWidth || y >= kLcdHeight) return false;
    return (bits[static_cast<size_t>(y * 30 + x / 8)] >> (7 - x % 8)) & 1;
}

void Screen::setDot(int x, int y, bool on) {
    if (x < 0 || y < 0 || x >= kLcdWidth || y >= kLcdHeight) return;
    uint8_t& b = bits[static_cast<size_t>(y * 30 + x / 8)];
    const auto mask = static_cast<uint8_t>(0x80 >> (x % 8));
    b = on ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
}

void Screen::text(int column, int row, std::string_view s) {
    for (char ch : s) {
        if (column >= kLcdColumns) break;
        unsigned c = static_cast<unsigned char>(ch);
        if (c >= 'a' && c <= 'z') c -= 32;
        if (c < 0x20 || c > 0x5F) c = '?';
        const uint8_t* glyph = kFont[c - 0x20];
        for (int x = 0; x < 5; ++x)
            for (int y = 0; y < 7; ++y)
                if ((glyph[x] >> y) & 1) setDot(column * 6 + x + 1, row * 8 + y, true);
        ++column;
    }
}

void Screen::invertRow(int row) {
    for (int y = row * 8; y < row * 8 + 8 && y < kLcdHeight; ++y)
        for (int i = 0; i < 30; ++i) bits[static_cast<size_t>(y * 30 + i)] ^= 0xFF;
}

MenuUi::Action MenuUi::key(uint32_t value) {
    // Only key values of the panel: 0x8000 | code, with Shift (0x80) or repeat (0x100) added.
    // The Shift key alone (all bits set) and anything else is ignored.
    if ((value & 0xFFFF0000u) != 0 || (value & 0x8000u) == 0) return Action::None;
    const uint32_t code = value & 0x7F;
    if (code == key::kStart) return Action::StartMeasurement;
    if (code == key::kStop) return Action::StopMeasurement;
    switch (page_) {
        case Page::Status:
            if (code == key::kEnter) {
                page_ = Page::Menu;
                cursor_ = 0;
            }
            break;
        case Page::Menu:
            if (code == key::kMenu) page_ = Page::Status;
            else if (code == key::kUp) cursor_ = (cursor_ + 3) % 4;
            else if (code == key::kDown) cursor_ = (cursor_ + 1) % 4;
            else if (code >= 1 && code <= 4) page_ = static_cast<Page>(static_cast<int>(Page::Channels) + int(code) - 1);
            else if (code == key::kEnter) page_ = static_cast<Page>(static_cast<int>(Page::Channels) + cursor_);
            break;
        default:
            if (code == key::kMenu) {
                page_ = Page::Menu;
            } else if (code == key::kPageDown || code == key::kRight) {
                page_ = page_ == Page::System ? Page::Channels : static_cast<Page>(static_cast<int>(page_) + 1);
            } else if (code == key::kPageUp || code == key::kLeft) {
                page_ = page_ == Page::Channels ? Page::System : static_cast<Page>(static_cast<int>(page_) - 1);
            }
            if (page_ >= Page::Channels) cursor_ = static_cast<int>(page_) - static_cast<int>(Page::Channels);
            break;
    }
    return Action::None;
}

void MenuUi::render(const LcdView& v, Screen& s) const {
    s.clear();
    char line[64];
    switch (page_) {
        case Page::Status: {
            s.text(0, 0, v.model);
            s.invertRow(0);
            s.text(0, 1, clockText(v.clock));
            s.text(0, 2, v.measuring ? "MEAS: RUN" : "MEAS: STOP");
            std::snprintf(line, sizeof line, "RECORDS: %llu", static_cast<unsigned long long>(v.records));
            s.text(0, 3, line);
            s.text(0, 4, "CH1 " + v.channel[0]);
            s.text(0, 5, "CH2 " + v.channel[1]);
            std::snprintf(line, sizeof line, "MEM: %u%%", static_cast<unsigned>(v.memoryBytes * 100 / v.memoryCapacity));
            s.text(0, 6, line);
            s.text(0, 7, "ENTER:MENU  R:START  S:STOP");
            break;
        }
        case Page::Menu:
            s.text(0, 0, "MENU");
            s.invertRow(0);
            for (int i = 0; i < 4; ++i) {
                s.text(1, 2 + i, kMenuItems[i]);
                if (i == cursor_) s.invertRow(2 + i);
            }
            s.text(0, 7, "M:BACK");
            break;
        case Page::Channels:
            s.text(0, 0, "CHANNELS");
            s.invertRow(0);
            s.text(0, 1, "CH1 " + v.channel[0]);
            s.text(0, 2, "    " + v.channelDetail[0]);
            s.text(0, 4, "CH2 " + v.channel[1]);
            s.text(0, 5, "    " + v.channelDetail[1]);
            s.text(0, 7, "M:BACK  PGUP/PGDN:PAGE");
            break;
        case Page::Memory:
            s.text(0, 0, "MEMORY");
            s.invertRow(0);
            std::snprintf(line, sizeof line, "RECORDS: %llu", static_cast<unsigned long long>(v.records));
            s.text(0, 1, line);
            std::snprintf(line, sizeof line, "BYTES: %zu OF %zu", v.memoryBytes, v.memoryCapacity);
            s.text(0, 2, line);
            std::snprintf(line, sizeof line, "LAST END: %u", v.lastEndReason);
            s.text(0, 3, line);
            s.text(0, 7, "M:BACK  PGUP/PGDN:PAGE");
            break;
        case Page::Clock:
            s.text(0, 0, "CLOCK");
            s.invertRow(0);
            s.text(0, 2, clockText(v.clock));
            s.text(0, 7, "M:BACK  PGUP/PGDN:PAGE");
            break;
        case Page::System:
            s.text(0, 0, "SYSTEM");
            s.invertRow(0);
            s.text(0, 1, v.model);
            s.text(0, 2, "SERIAL: " + v.serial);
            s.text(0, 3, "FIRMWARE: " + v.firmware);
            s.text(0, 7, "M:BACK  PGUP/PGDN:PAGE");
            break;
    }
}

}  // namespace zv::emu
