// Resources of the program itself (not of the language libraries).
#ifndef ZV_RESOURCES_PROGRAM_RES_H
#define ZV_RESOURCES_PROGRAM_RES_H

#define IDI_PROGRAM                101   // icon group: 16 x 16 and 32 x 32
#define IDB_MAIN_TOOLBAR           103   // 20 images of 16 x 15
#define IDB_SETUP_TOOLBAR          116   // 64 images of 16 x 15 (setup editor, key emulation)
#define IDI_KEY_EMULATION          139   // icon group: 16 x 16 and 32 x 32
#define IDR_MAIN_ACCELERATORS      140

#define MAIN_TOOLBAR_IMAGE_COUNT   20
#define SETUP_TOOLBAR_IMAGE_COUNT  64
#define TOOLBAR_IMAGE_WIDTH        16
#define TOOLBAR_IMAGE_HEIGHT       15

#endif
