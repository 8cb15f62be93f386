// Commands of the main window: menu 0x6f, the toolbar and accelerator table 140 send these
// as WM_COMMAND identifiers. Shared by the program and the language libraries' .rc files,
// so only #define lines and comments belong here.
#ifndef ZV_RESOURCES_COMMAND_IDS_H
#define ZV_RESOURCES_COMMAND_IDS_H

// Analyzer buffer transfer
#define IDM_UPLOAD_BUFFER          1003
#define IDM_CANCEL_TRANSFER        1006

// Data files
#define IDM_OPEN_DATA_FILE         1007
#define IDM_SAVE_DATA_FILE_AS      40014
#define IDM_PREVIOUS_BUFFER_FILE   2401
#define IDM_NEXT_BUFFER_FILE       2402
#define IDM_BATCH_CONVERSION       40010
#define IDM_EXIT                   2124

// Search in the capture list
#define IDM_FIND                   1008
#define IDM_FIND_PREVIOUS          1009
#define IDM_FIND_NEXT              1010

// Analyzer session and measurement
#define IDM_CONNECT                2104
#define IDM_DISCONNECT             2105
#define IDM_START_MONITOR          2114
#define IDM_STOP_MEASUREMENT       2102
#define IDM_PREFERENCES            2019
#define IDM_SETUP_EDITOR           2012
#define IDM_KEY_EMULATION          2000

// View
#define IDM_DELTA_TIME             40018
#define IDM_WATCH_SETTINGS         40020

// Help
#define IDM_HELP                   2326
#define IDM_ABOUT                  40012

#endif
