// The analyzer's 240 x 64 one-bit LCD (rows of 30 bytes, leftmost dot in the most significant
// bit) and the small menu interface drawn on it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zv::emu {

constexpr int kLcdWidth = 240;
constexpr int kLcdHeight = 64;
constexpr size_t kLcdBytes = 1920;
constexpr int kLcdColumns = 40;  // 6-dot character cells
constexpr int kLcdRows = 8;      // 8-dot text rows

class Screen {
public:
    std::array<uint8_t, kLcdBytes> bits{};

    void clear() { bits.fill(0); }
    bool dot(int x, int y) const;
    void setDot(int x, int y, bool on);
    // Text in 5 x 7 characters on the 40 x 8 grid; lower case shows as upper case.
    void text(int column, int row, std::string_view s);
    // Inverts a whole text row (title bars, the menu cursor).
    void invertRow(int row);
};

// What the screens show, gathered by the analyzer under its lock.
struct LcdView {
    std::string model;         // "AN-2400 + EX-NB3BP"
    uint16_t clock[8] = {};    // year, month, day of week, day, hour, minute, second, ms
    bool measuring = false;
    uint64_t records = 0;
    size_t memoryBytes = 0;
    size_t memoryCapacity = 1;
    std::string channel[2];    // "CAN 125K", "LIN 9600"
    std::string channelDetail[2];
    std::string serial;
    std::string firmware;
    uint32_t lastEndReason = 0;
};

enum class Page : uint8_t { Status, Menu, Channels, Memory, Clock, System };

class MenuUi {
public:
    enum class Action : uint8_t { None, StartMeasurement, StopMeasurement };

    // A key value as the PC sends it (0x8000 | code, 0x80 with Shift, 0x100 on repeat).
    Action key(uint32_t value);
    void render(const LcdView& view, Screen& screen) const;
    Page page() const { return page_; }
    int cursor() const { return cursor_; }

private:
    Page page_ = Page::Status;
    int cursor_ = 0;
};

// Key codes (low seven bits of a key value).
namespace key {
constexpr uint32_t kLeft = 0x10, kRight = 0x11, kUp = 0x12, kDown = 0x13, kEnter = 0x14;
constexpr uint32_t kPageUp = 0x15, kPageDown = 0x16, kMenu = 0x17, kStart = 0x21, kStop = 0x22;
}  // namespace key

}  // namespace zv::emu
