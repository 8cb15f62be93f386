// Resources of the program itself (not of the language libraries).
#ifndef ZV_RESOURCES_PROGRAM_RES_H
#define ZV_RESOURCES_PROGRAM_RES_H

// Key-emulation panels are 16-colour bitmaps: the instrument's front and its sheet of key
// pictures (10 x 8 cells; rows 0-3 keys up, rows 4-7 down, column 9 Shift latched).
#define IDI_PROGRAM                101   // icon group: 16 x 16 and 32 x 32
#define IDB_MAIN_TOOLBAR           103   // 20 images of 16 x 15
#define IDB_KEY_PANEL_AN1          111   // AN-1100/1400 front
#define IDB_KEY_SPRITES_AN1        112   // its keys, cells of 39 x 25
#define IDB_SETUP_TOOLBAR          116   // 64 images of 16 x 15 (setup editor, key emulation)
#define IDB_KEY_PANEL_AN2          123   // AN-2100/2400 front
#define IDB_KEY_SPRITES_AN2        124   // its keys, cells of 43 x 27
#define IDI_KEY_EMULATION          139   // icon group: 16 x 16 and 32 x 32
#define IDR_MAIN_ACCELERATORS      140
#define IDR_KEY_EMULATION_ACCELERATORS 148

#define MAIN_TOOLBAR_IMAGE_COUNT   20
#define SETUP_TOOLBAR_IMAGE_COUNT  64
#define TOOLBAR_IMAGE_WIDTH        16
#define TOOLBAR_IMAGE_HEIGHT       15
#define KEY_PANEL_WIDTH            581
#define KEY_PANEL_HEIGHT           371
#define KEY_SPRITES_AN1_WIDTH      390
#define KEY_SPRITES_AN1_HEIGHT     200
#define KEY_SPRITES_AN2_WIDTH      430
#define KEY_SPRITES_AN2_HEIGHT     216

#endif
