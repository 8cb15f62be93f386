// Option-board page of all other boards (tree item 10022). Own label ids: 3990..3994.
#ifndef ZV_RESOURCES_SETUP_BOARD_OTHER_RES_H
#define ZV_RESOURCES_SETUP_BOARD_OTHER_RES_H

#define IDD_SETUP_BOARD_OTHER      0x5df

#define IDC_BOARD_OTHER_TERMINATION 2248  // check box (both channels)
#define IDC_BOARD_OTHER_BACKLIGHT  2249   // edit, 2 characters, 0..60 (minutes, 0 = always on)
#define IDC_BOARD_OTHER_KEY_CLICK  2250   // check box
#define IDC_BOARD_OTHER_SUPPLY     2251   // check box

#endif
