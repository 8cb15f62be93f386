// Setup pages that exist as empty pages for now: further settings, conditions, signal
// pattern, analyzer clock and the board-specific pages.
#ifndef ZV_RESOURCES_SETUP_LATER_PAGES_RES_H
#define ZV_RESOURCES_SETUP_LATER_PAGES_RES_H

#define IDD_SETUP_SETTINGS         0x411  // tree item 10003
#define IDD_SETUP_CONDITIONS       0x461  // 10008
#define IDD_SETUP_CONDITION_ENTRY  0x46b  // 10009..10012
#define IDD_SETUP_CONDITION_PARAMS 0x49d  // 10017
#define IDD_SETUP_SIGNAL_PATTERN   0x4a7  // 10018
#define IDD_SETUP_RECORDING        0x4c5  // 10020
#define IDD_SETUP_CLOCK_OFFLINE    0x4de  // 10021, not connected
#define IDD_SETUP_CLOCK_ONLINE     0x4df  // 10021, connected
#define IDD_SETUP_BOARD_2A         0x4ee  // 10022: board types 65554, 65555, 65570, 65571
#define IDD_SETUP_BOARD_6100       0x4ed  // 10022: board types 65556, 65572
#define IDD_SETUP_BOARD_OTHER      0x5df  // 10022: all other board types


#endif
