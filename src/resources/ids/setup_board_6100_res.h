// Option-board page of boards 65556 and 65572 (tree item 10022). Own label ids: 3985..3989.
#ifndef ZV_RESOURCES_SETUP_BOARD_6100_RES_H
#define ZV_RESOURCES_SETUP_BOARD_6100_RES_H

#define IDD_SETUP_BOARD_6100       0x4ed

#define IDC_BOARD_6100_TERMINATION 2248   // check box (both channels)
#define IDC_BOARD_6100_BACKLIGHT   2249   // edit, 2 characters, 0..60 (minutes, 0 = always on)
#define IDC_BOARD_6100_KEY_CLICK   2250   // check box

#endif
