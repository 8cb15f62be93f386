// Option-board page of boards 65554, 65555, 65570 and 65571 (tree item 10022).
// Own label ids: 3980..3984.
#ifndef ZV_RESOURCES_SETUP_BOARD_2A_RES_H
#define ZV_RESOURCES_SETUP_BOARD_2A_RES_H

#define IDD_SETUP_BOARD_2A         0x4ee

#define IDC_BOARD_2A_TERMINATION   2248   // check box (both channels)
#define IDC_BOARD_2A_KEY_CLICK     2250   // check box

#endif
