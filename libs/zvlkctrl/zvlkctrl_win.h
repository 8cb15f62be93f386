// The control library's one export. VRX_RegisterControls registers the window classes
// "VRX_HexInput" and "VRX_BitPattern" as global classes, so that dialog templates of any
// module of the process can use them; it may be called any number of times. The argument is
// the caller's module handle (kept for the calling convention; the classes belong to the
// library itself). Returns TRUE when both classes are registered. Exported by its plain name
// (zvlkctrl.def), also on 32-bit x86 where it is __stdcall.
#pragma once

#include <windows.h>

#include "zvlkctrl/core/control_messages.h"

extern "C" {
BOOL WINAPI VRX_RegisterControls(HINSTANCE caller);

typedef BOOL(WINAPI* VRX_RegisterControlsFn)(HINSTANCE caller);
}
