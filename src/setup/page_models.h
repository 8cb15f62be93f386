// What the setup pages of the LIN schedule, the condition entries, the signal pattern and the
// further single-record pages show, and what they write back. Each page has a view struct that
// holds its controls' values exactly as the controls exchange them, a show function (working
// setup -> view, what the page displays on 32874) and a store function (view -> working setup,
// what the page writes on 32871 and on each control's own change). The Win32 pages only move
// these values in and out of their controls; every rule lives here.
//
// Control conventions of the views:
//   drop-down               int, the item index (-1 = no selection)
//   check box               bool
//   edit                    std::string, its text
//   hexadecimal input       std::vector<uint8_t>, the bytes entered (empty = no value)
//   bit-pattern field       BitPattern, mask and value as WM_USER+1/+2 exchange them
//   8-byte pattern input    std::array<uint8_t, 32>, eight DataPatternCells (WM_USER+1/+2)
//
// Store writes only what the user changed: a control whose value in the view equals what show
// gives for the current setup leaves its bytes alone. So a stored value that a control cannot
// show (a drop-down index above its list, a slot byte 1 of 0xFF, bytes 28 and 29 that differ)
// survives a store of an untouched page, and store(show(x)) == x for every setup x. A control
// that was changed is read by the page's rules (clamps, empty -> 16, ...) and written with
// everything the page writes along with it (slot byte 0, both bytes 28 and 29).
//
// All functions work on the 1816-byte working SetupImage, for CAN-only boards too.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/board_type.h"
#include "base/clock_time.h"
#include "setup/setup_areas.h"

namespace zv {

// What the page functions need to know besides the setup itself.
struct PageContext {
    BoardType boardType = 0;
    std::string remoteModel;  // "model" of section [remote] in profile.ini
    int entry = 0;            // condition entry 0..3 of the entry page
};

// Value of a bit-pattern field: mask (1 = significant) and the required bits.
struct BitPattern {
    uint32_t mask = 0;
    uint32_t value = 0;
    bool operator==(const BitPattern&) const = default;
};

// ---- LIN schedule (page 0x58d, sub-pages 0x598 and 0x597) --------------------------------

// Whether the LIN schedule page shows: operationMode 4 and LIN (2) on the transmit channel.
bool linSchedulePageShown(const SetupImage& image);

struct LinScheduleSlotView {
    std::string table;          // edit 101+s: slot byte 1, "%X" of 0..15, empty otherwise
    bool enabled = false;       // check box 201+s: slot byte 2
    std::string value;          // edit 301+s: slot bytes 3, 4 ("%2X" of byte 4, " 5")
    std::vector<uint8_t> byte;  // hexadecimal input 401+s (one byte): slot bytes 5, 6
    bool operator==(const LinScheduleSlotView&) const = default;
};

struct LinScheduleView {
    int mode = -1;               // drop-down 1240 (strings 54, 53): byte 4
    // Sub-page 0x598 (schedule).
    std::string value6;          // edit 1243: byte 6
    std::string value7;          // edit 1241 of 0x598: byte 7
    std::string value8;          // edit 1242: byte 8
    std::string value12;         // edit 2087: u32 at 12
    std::string value16;         // edit 2085: u32 at 16
    int choice20 = -1;           // drop-down 1244 (strings 55, 56): byte 20
    std::array<LinScheduleSlotView, 16> slots;  // the slot table, rows 0..15
    // Sub-page 0x597 (simple).
    std::string simpleValue7;    // edit 1241 of 0x597: byte 7
    bool operator==(const LinScheduleView&) const = default;
};

enum class LinSchedulePane { Schedule, Simple };  // sub-page 0x598, sub-page 0x597
constexpr int kLinSchedulePaneId[2] = {0x598, 0x597};

// The sub-page a mode item shows: item 1 the simple one, anything else the schedule.
LinSchedulePane linSchedulePaneFor(int modeItem);

LinScheduleView showLinSchedule(const SetupImage& image, const PageContext& context);
// Edit 1241 is taken from the sub-page ON_VIEW only; the other one's text is ignored.
void storeLinSchedule(SetupImage& image, const LinScheduleView& view, LinSchedulePane onView,
                      const PageContext& context);

// ---- Condition entries: overview (0x461), entry (0x46b), parameters (0x49d) --------------

// The entry a tree item opens: 10010 -> 1, 10011 -> 2, 10012 -> 3, any other -> 0.
int conditionEntryForTreeItem(int itemId);

// One item of the pattern-kind drop-down 2156: its label string and the sub-page it shows.
struct ConditionKindItem {
    int labelId;
    int pageId;  // 0x475, 0x476, 0x5e5, 0x478, 0x47a or 0x477
};
// The board's kind list, in item order (4, 5 or 6 items; unknown boards get the 5 of 65570).
std::vector<ConditionKindItem> conditionKinds(BoardType boardType);
// Whether the board has the LIN-error sub-page 0x475 / the input-pattern sub-page 0x477.
bool conditionHasLinErrors(BoardType boardType);
bool conditionHasInputPattern(BoardType boardType);

// The item drop-down 2156 shows for a stored kind, and the pattern sub-page of that item (0
// for no selection).
int conditionKindItem(uint8_t storedKind, BoardType boardType);
int conditionPatternPage(int kindItem, BoardType boardType);
// Drop-down 2157 (strings 10311..10317): actions 0..6; the action sub-page (0x48a..0x48f for
// actions 1..6, 0 for action 0 and for no selection).
constexpr int kConditionActionCount = 7;
int conditionActionItem(uint8_t storedAction);
int conditionActionPage(int actionItem);

struct ConditionOverviewView {
    std::array<bool, 4> enabled{};          // check boxes 2184..2187: entry byte 4
    // Read-only texts.
    std::array<int, 4> kindLabel{};         // 2192..2195: label string of the kind (0 = none)
    std::array<int, 4> actionLabel{};       // 2196..2199: strings 10311..10317 (0 = none)
    std::array<std::string, 2> param12Value;  // 2200, 2201: "%d"
    std::array<int, 2> param12UnitLabel{};  // 2202, 2203: strings 10361..10363
    std::array<std::string, 2> param8Value;   // 2204, 2205: "%d"
    bool operator==(const ConditionOverviewView&) const = default;
};

ConditionOverviewView showConditionOverview(const SetupImage& image, const PageContext& context);
// Stores the four enable boxes; the texts are not read.
void storeConditionOverview(SetupImage& image, const ConditionOverviewView& view, const PageContext& context);

// One entry (context.entry) with all its sub-pages; store reads every sub-page of the board
// back, visible or not.
struct ConditionEntryView {
    int kind = -1;                      // drop-down 2156: pattern byte 4
    int action = -1;                    // drop-down 2157: tail byte 4
    // Pattern sub-page 0x475 (not on 65554..65556).
    std::array<bool, 5> linErrors{};    // check boxes 1210, 1211, 2158, 1212, 2159: bits 0..4 of byte 7
    // Pattern sub-page 0x476.
    int frameChannel = -1;              // drop-down 1209 (strings 10115, 10116): byte 8
    std::array<BitPattern, 4> frameId;  // bit-pattern fields 2171 (5 bits), 2170, 2168, 2169: cells at 12
    std::array<uint8_t, 32> data{};     // hexadecimal input 1205 (8 cells): bytes 40..71
    std::array<BitPattern, 3> extra;    // bit-pattern fields 1206, 1207, 1208 (8 bits): cells at 72
    // Pattern sub-page 0x5e5.
    int remoteChannel = -1;             // drop-down 1214 (strings 10115, 10116): byte 84
    std::array<BitPattern, 4> remoteId; // bit-pattern fields 1215 (5 bits), 1216, 1217, 1218: cells at 88
    // Pattern sub-page 0x478.
    int fourWay = -1;                   // drop-down 2169 (strings 10321..10324): byte 116
    // Pattern sub-page 0x47a.
    int twoWay = -1;                    // drop-down 1219 (strings 10329, 10330): byte 117
    // Pattern sub-page 0x477 (73762, 73763 only).
    BitPattern input;                   // bit-pattern field 1213 (4 bits): bytes 120, 121
    // Action sub-pages (tail offsets).
    int action1Choice = -1;             // 0x48a drop-down 2172 (strings 10341..10344): byte 7
    std::string action2First;           // 0x48b edit 2174: u16 at 8, 0..9999
    std::string action2Second;          // 0x48b edit 2173: u16 at 10, 0..9999
    int action3First = -1;              // 0x48c drop-down 2175 (strings 10321, 10322): byte 12
    int action3Second = -1;             // 0x48c drop-down 2176 (strings 10345..10347): byte 13
    int action4First = -1;              // 0x48d drop-down 2177 (strings 10323, 10324): byte 14
    int action4Second = -1;             // 0x48d drop-down 2178 (strings 10348, 10349): byte 15
    int action5First = -1;              // 0x48e drop-down 2179 (strings 10331..10334): byte 16
    int action5Second = -1;             // 0x48e drop-down 2180 (strings 10350..10352): byte 17
    int action6Selection = -1;          // 0x48f drop-down 2075 (strings 11301..11330): byte 18
    int action6Choice = -1;             // 0x48f drop-down 2076 (strings 10350, 10351): byte 19
    std::string action6Value;           // 0x48f edit 2092: u32 at 20, 0..99999
    bool operator==(const ConditionEntryView&) const = default;
};

ConditionEntryView showConditionEntry(const SetupImage& image, const PageContext& context);
void storeConditionEntry(SetupImage& image, const ConditionEntryView& view, const PageContext& context);

struct ConditionParametersView {
    std::array<std::string, 2> param12Value;  // edits 2200, 2201: ConditionParam12 u32 at 4, 1..999999
    std::array<int, 2> param12Unit{-1, -1};   // drop-downs 2202, 2203 (strings 10361..10363): byte 8
    std::array<std::string, 2> param8Value;   // edits 2204, 2205: ConditionParam8 u32 at 4, 1..999999
    bool operator==(const ConditionParametersView&) const = default;
};

ConditionParametersView showConditionParameters(const SetupImage& image, const PageContext& context);
void storeConditionParameters(SetupImage& image, const ConditionParametersView& view, const PageContext& context);

// ---- Signal pattern (page 0x4a7, sub-page 0x4ab) ----------------------------------------

// The bit-pattern field of the board: 2272 with 5 bits, 2269 with 9 bits, or none (0, 0).
int signalPatternFieldId(BoardType boardType);
int signalPatternBits(BoardType boardType);
// The fixed signal names of drop-down 2270 ("C1D" ... "EXT" or ... "TRG"; 5 or 9 of them).
std::vector<std::string_view> signalNames(BoardType boardType);
// The two u16 fields <-> the field's value: pattern bit i is stored as bit (bits - 1 - i).
BitPattern signalPatternFromStored(uint16_t mask, uint16_t value, int bits);
void signalPatternToStored(const BitPattern& pattern, int bits, uint16_t& mask, uint16_t& value);

struct SignalPatternView {
    bool on = false;      // check box 2266 (page 0x4a7): byte 4; sub-page 0x4ab shows while on
    int choice5 = -1;     // drop-down 2267 (strings 12031..12044): byte 5
    int choice6 = -1;     // drop-down 2268 (strings 12045..12047): byte 6
    int choice12 = -1;    // drop-down 2271 (strings 10329, 10330): byte 12
    int signal = -1;      // drop-down 2270 (signalNames): byte 13
    BitPattern pattern;   // bit-pattern field signalPatternFieldId: u16 at 8 and 10
    bool operator==(const SignalPatternView&) const = default;
};

SignalPatternView showSignalPattern(const SetupImage& image, const PageContext& context);
void storeSignalPattern(SetupImage& image, const SignalPatternView& view, const PageContext& context);

// ---- Settings (page 0x411, sub-page 0x412): AuxRecord16A ---------------------------------

struct SettingsView {
    int choice4 = 0;        // drop-down 2212 (strings 10151..10153): byte 4
    bool check5 = false;    // check box 2213: byte 5
    bool check6 = false;    // check box 2214: byte 6
    bool check7 = false;    // check box 2215: byte 7
    bool check8 = false;    // check box 2216: byte 8
    bool subPageOn = false; // check box 2217: byte 12; sub-page 0x412 shows while on
    bool check11 = false;   // check box 2220 (0x412): byte 11
    int choice13 = -1;      // drop-down 2219 (strings 10154..10158, 0x412): byte 13
    std::string value14;    // edit 2218 (0x412): u16 at 14, 1..1024
    bool operator==(const SettingsView&) const = default;
};

SettingsView showSettings(const SetupImage& image, const PageContext& context);
void storeSettings(SetupImage& image, const SettingsView& view, const PageContext& context);

// ---- Recording (page 0x4c5, sub-page 0x4c6): MiscSettings bytes 4..11 ---------------------

// The label of drop-down 2239's first item: 12011 for the models "AN-1100", "AN-2100" and
// "AN-6100", 12013 otherwise (the second item is 12012).
int recordingFirstSwitchLabel(std::string_view remoteModel);

struct RecordingView {
    int choice4 = -1;        // drop-down 2238 (strings 12006..12010): byte 4 (no selection stores 2)
    int size6 = 0;           // drop-down 2236 (strings 12001..12003): u16 at 6 as 40, 80, 136
    int value8 = 0;          // drop-down 2237 (strings 12004, 12005): u16 at 8, item 1 = 66, else 0xFFFF
    int switch10 = -1;       // drop-down 2239 (recordingFirstSwitchLabel, 12012): byte 10; 1 shows 0x4c6
    bool check11 = false;    // check box 2240 (0x4c6): byte 11
    bool operator==(const RecordingView&) const = default;
};

RecordingView showRecording(const SetupImage& image, const PageContext& context);
void storeRecording(SetupImage& image, const RecordingView& view, const PageContext& context);

// ---- Board-specific page (0x4ee / 0x4ed / 0x5df): MiscSettings bytes 28..31, 37 ----------

// 0x4ee for 65554, 65555, 65570, 65571; 0x4ed for 65556, 65572; 0x5df for all others.
int boardPageTemplate(BoardType boardType);
bool boardPageHas2249(int templateId);  // 0x4ed, 0x5df
bool boardPageHas2251(int templateId);  // 0x5df

struct BoardPageView {
    bool check28 = false;   // check box 2248: bytes 28 and 29 (shown from byte 28)
    std::string value30;    // edit 2249 (0x4ed, 0x5df): byte 30, 0..60; ignored on 0x4ee
    bool check31 = false;   // check box 2250: byte 31
    bool check37 = false;   // check box 2251 (0x5df): byte 37; ignored elsewhere
    bool operator==(const BoardPageView&) const = default;
};

BoardPageView showBoardPage(const SetupImage& image, const PageContext& context);
void storeBoardPage(SetupImage& image, const BoardPageView& view, const PageContext& context);

// ---- Analyzer clock (page 0x4df) ---------------------------------------------------------

// The 16-byte system-time record the set-clock request carries (u16 each, in field order).
std::array<uint8_t, 16> clockRecord(const ClockTime& time);

// The texts of 2260..2265: year "%u", the others "%02u".
std::array<std::string, 6> clockDisplayTexts(const ClockTime& time);

// Edits 2251 (year) and 2252..2256 (month, day, hour, minute, second).
struct ClockEntry {
    std::string year, month, day, hour, minute, second;
};
enum class ClockField { None, Year, Month, Day, Hour, Minute, Second };
struct ClockCheck {
    ClockField failed = ClockField::None;  // the first field that fails, None when all pass
    std::array<uint8_t, 16> record{};      // the time to send (day of week and ms 0) when None
};
// Each text must be a decimal number (digits only); year 1980..2099, month 1..12, day within
// the month (February 29 when the year is divisible by 4), hour 0..23, minute and second 0..59.
ClockCheck checkClockEntry(const ClockEntry& entry);

// ---- Shared page rules (also used by zvsetup get/set) -----------------------------------

// Slot byte 1: "%X" of 0..15, empty otherwise; empty reads 16, other text as hexadecimal
// within 0..15.
std::string formatSlotTable(uint8_t stored);
uint8_t readSlotTable(std::string_view text);
// Slot bytes 3 and 4: "%2X" of byte 4 when byte 3 is set, empty otherwise; empty clears
// byte 3 (byte 4 kept), other text sets byte 3 and reads byte 4 as hexadecimal within 0..0x99.
std::string formatSlotValue(uint8_t hasValue, uint8_t value);
void readSlotValue(std::string_view text, uint8_t& hasValue, uint8_t& value);
// "%d" of a stored number, as the pages print it.
std::string formatSigned(uint32_t stored);
// Decimal edits, clamped: any text without a number reads as 0 before clamping.
uint8_t clampScheduleByte(std::string_view text);     // 1241..1243: 0..99
uint32_t clampScheduleTime(std::string_view text);    // 2087: 3..99999
uint32_t clampScheduleCount(std::string_view text);   // 2085: 0..99999
uint16_t clampActionCount(std::string_view text);     // 2173, 2174: 0..9999
uint32_t clampActionValue(std::string_view text);     // 2092: 0..99999
uint32_t clampConditionParameter(std::string_view text);  // 2200..2205: 1..999999
uint16_t clampSettingsValue(std::string_view text);   // 2218: 1..1024
uint8_t clampBoardValue(std::string_view text);       // 2249: 0..60

}  // namespace zv
