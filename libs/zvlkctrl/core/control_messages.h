// Message numbers, notification codes and styles of the two custom controls, shared by the
// window procedures, the program's pages and the tests. No <windows.h> here: the numbers are
// plain constants (WM_USER is 0x400).
#pragma once

#include <cstdint>

namespace zv::ctrl {

constexpr unsigned kUser = 0x400;
constexpr unsigned kMsgConfigure = kUser + 0;  // wParam 0, lParam kind or number of bits
constexpr unsigned kMsgSetValue = kUser + 1;   // pattern cells, two values, or mask/value
constexpr unsigned kMsgGetValue = kUser + 2;   // the same layouts, read back
constexpr unsigned kMsgSetBytes = kUser + 3;   // hexadecimal input: count, pointer to bytes
constexpr unsigned kMsgGetBytes = kUser + 4;   // hexadecimal input: capacity, pointer; or chain
constexpr unsigned kChainParam = 2;            // wParam of kMsgGetBytes that chains fields

// WM_NOTIFY codes sent to the parent (NMHDR with the control's id).
constexpr int kNotifyGotFocus = -7;
constexpr int kNotifyLostFocus = -8;

// Bit-pattern field style: show the most significant bit on the left. Without it bit 0 is
// the leftmost cell, the order the signal-pattern captions are laid out in.
constexpr uint32_t kStyleMsbLeft = 0x0001;

// Window classes registered by VRX_RegisterControls.
constexpr const char* kHexInputClass = "VRX_HexInput";
constexpr const char* kBitPatternClass = "VRX_BitPattern";

}  // namespace zv::ctrl
