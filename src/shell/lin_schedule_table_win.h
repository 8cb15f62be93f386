// The LIN schedule's slot table: a scrolling child window of sixteen rows, each a row label,
// the transmit-table edit, the enable check box, the value edit and a one-byte hexadecimal
// input, laid out from the font's metrics. The focused row is kept in view. The page that
// owns the table reads and writes the rows and hears of every field event.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zv::shell {

constexpr const char* kLinScheduleClass = "ZEVRONA_ZVLK5M_WindowClass_LINSchedule";
constexpr int kScheduleSlots = 16;

// Control ids of row s.
constexpr int slotTableId(int s) { return 101 + s; }
constexpr int slotEnableId(int s) { return 201 + s; }
constexpr int slotValueId(int s) { return 301 + s; }
constexpr int slotByteId(int s) { return 401 + s; }

// What row s shows.
struct SlotRow {
    std::string table;           // edit 101 + s
    bool enabled = false;        // check box 201 + s
    std::string value;           // edit 301 + s
    std::vector<uint8_t> byte;   // hexadecimal input 401 + s, empty when it holds none
};

class LinScheduleTable {
public:
    // What happened to a field of the table: left (edits, the hexadecimal input) or clicked
    // (check boxes); the page stores the row and shows it normalised.
    enum class Event { Left, Clicked };
    using FieldEvent = std::function<void(int slot, int control, Event event)>;

    // Creates the table over control PLACE of PARENT, in FONT (the parent's when null). Null
    // when the window or any of its controls cannot be created.
    static LinScheduleTable* create(HINSTANCE instance, HWND parent, int place, HFONT font, FieldEvent event);
    LinScheduleTable(const LinScheduleTable&) = delete;
    LinScheduleTable& operator=(const LinScheduleTable&) = delete;

    HWND window() const { return window_; }
    void showRow(int slot, const SlotRow& row) const;
    SlotRow row(int slot) const;
    // Scrolls so that row SLOT is wholly in view.
    void scrollIntoView(int slot);
    int scrollPosition() const { return position_; }
    int rowPitch() const { return rowHeight_ + 1; }

private:
    LinScheduleTable() = default;
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool build(HFONT font);
    void scrollTo(int target);
    void updateScrollRange();
    int maximumPosition() const;
    LRESULT onScroll(WPARAM wParam);
    void onCommand(int id, int code);
    void onNotify(const NMHDR& header);

    HWND window_ = nullptr;
    FieldEvent event_;
    int rowHeight_ = 0;
    int position_ = 0;
    int page_ = 0;
};

}  // namespace zv::shell
