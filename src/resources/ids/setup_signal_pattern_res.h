// Setup page "Signal pattern" (tree item 10018): the switch and, on placeholder 2001, the
// signal sub-page while it is on. Own label ids: 3950..3954.
#ifndef ZV_RESOURCES_SETUP_SIGNAL_PATTERN_RES_H
#define ZV_RESOURCES_SETUP_SIGNAL_PATTERN_RES_H

#define IDD_SETUP_SIGNAL_PATTERN   0x4a7

#define IDC_SIGNAL_NOTE            2327   // static, hidden by the program
#define IDC_SIGNAL_ON              2266   // check box
#define IDC_SIGNAL_PLACE           2001   // signal sub-page

#endif
