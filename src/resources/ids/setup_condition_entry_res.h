// Setup page of one condition entry (tree items 10009..10012): the pattern kind and the
// action, each with its sub-page. Own label ids: 3880..3884.
#ifndef ZV_RESOURCES_SETUP_CONDITION_ENTRY_RES_H
#define ZV_RESOURCES_SETUP_CONDITION_ENTRY_RES_H

#define IDD_SETUP_CONDITION_ENTRY  0x46b

#define IDC_CONDITION_KIND         2156   // drop-down: the pattern kinds of the board
#define IDC_CONDITION_ACTION       2157   // drop-down: IDS_CONDITION_ACTION_FIRST, 7 items
#define IDC_CONDITION_PATTERN_PLACE 2001  // pattern sub-page (0x475, 0x476, 0x5e5, 0x478, 0x47a, 0x477)
#define IDC_CONDITION_ACTION_PLACE 2002   // action sub-page (0x48a..0x48f; none for action 0)

#endif
