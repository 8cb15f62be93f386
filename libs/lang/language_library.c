/* The language library runs no code of its own: it holds the resources of zvlk5m<locale>.rc,
   which the program reads by number. It is linked without the C runtime; this entry point
   only accepts every attach and detach. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
