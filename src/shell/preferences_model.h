// The rules of the preferences dialog that need no window: what each list holds, which entry
// is selected, what a selection stands for, and how the dialog's choices become the records
// of profile.ini. The dialog (preferences_*_win.cpp) only moves these between its controls.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/config_store.h"

namespace zv::prefs {

// --- Connection page ---

// The method list holds serial port, XB-40 and USB in this order.
constexpr int kMethodEntries = 3;
uint32_t methodOfIndex(int index);     // 0, 1, 2 -> 0, 2, 9; the serial port otherwise
int methodIndexOf(uint32_t method);    // 0, 2, 9 -> 0, 1, 2; 0 for an unknown method

// The parity list holds none, even, odd in this order, while the record counts
// none 0, odd 1, even 2.
uint32_t parityOfIndex(int index);     // 0, 1, 2 -> 0, 2, 1; none otherwise
int parityIndexOf(uint32_t parity);    // 0, 1, 2 -> 0, 2, 1; 0 for an unknown parity

// The six baud rates of the list, slowest first.
std::span<const uint32_t> baudRates();
// The entry for a rate. A rate that is none of the six (typed into profile.ini by hand)
// selects the nearest entry, the slower one when it lies halfway, so that the line runs at
// the closest speed the list can name instead of falling back to some unrelated default.
int baudRateIndexOf(uint32_t rate);
// The rate of an entry; the default rate for an index outside the list.
uint32_t baudRateOfIndex(int index);

// Which rows of the connection page a method shows.
struct ConnectionRows {
    bool adapter = false;     // host, data and control service of the XB-40
    bool serialPort = false;  // the port box
    bool line = false;        // baud rate, data bits, parity, xControl
    bool usb = false;         // the USB serial number
};
ConnectionRows connectionRowsFor(uint32_t method);

// The serial port entries "COM1" .. "COM9".
std::vector<std::string> serialPortEntries();

// USB devices listed by the remote library: only the kinds of the USB models count.
bool isUsbAnalyzerKind(int32_t kind);  // 73730 AN-1400, 73731 AN-2400

// --- Model page ---

// The five models and three option boards in the order of [remote] and of the lists.
std::span<const std::string_view> allModelNames();
std::span<const std::string_view> allBoardNames();

// A state of the model page: the entries of both lists and the selected entry of each
// (-1: none).
struct ModelChoice {
    std::vector<std::string_view> models;
    int model = -1;
    std::vector<std::string_view> boards;
    int board = -1;

    std::string_view modelName() const;  // empty when nothing is selected
    std::string_view boardName() const;
};

// The models a method can reach: all five over the serial port and the XB-40, only AN-1400
// and AN-2400 over USB.
std::vector<std::string_view> modelsFor(uint32_t method);

// The page as the dialog opens with a model record and a method. A model the method cannot
// reach (an AN-2100 kept in profile.ini while the method is USB) is mapped as a change of the
// method to USB would map it, so that the page never opens without a selection.
ModelChoice openingChoice(uint32_t method, const ModelSettings& model);
// The page after the method changed: the previous model stays where the new method offers
// it; over USB an AN-1100 or AN-1400 becomes the AN-1400 and anything else the AN-2400.
ModelChoice choiceAfterMethodChange(uint32_t method, std::string_view previousModel, std::string_view previousBoard);
// The page after a model was chosen: the option board list is rebuilt for the model and
// method, keeping a CAN/LIN board where the model offers one.
ModelChoice choiceAfterModelChange(uint32_t method, std::span<const std::string_view> models, int model,
                                   std::string_view previousBoard);

// OK: the model index m among the five names and the board index e among the three, to the
// record. Pairs that name no analyzer (or no selection, -1) leave CURRENT unchanged.
ModelSettings modelForSelection(int m, int e, const ModelSettings& current);
// The same by the selected names.
ModelSettings modelForNames(std::string_view model, std::string_view board, const ModelSettings& current);

// --- Buffer page ---

// The block count field as it is read on leaving it: at most the first nine characters,
// decimal, clamped to 2 .. 2000.
constexpr size_t kBlockCountReadChars = 9;
uint32_t blockCountFromField(std::string_view text);

}  // namespace zv::prefs
