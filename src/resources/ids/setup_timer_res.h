// Setup page "scheduled timer" (tree item 10019), with a start and a stop time sub-dialog.
// Own label ids: 3840..3849.
#ifndef ZV_RESOURCES_SETUP_TIMER_RES_H
#define ZV_RESOURCES_SETUP_TIMER_RES_H

#define IDD_SETUP_TIMER            0x4b1

#define IDC_TIMER_PERIOD           2241   // combo box: period code
#define IDC_TIMER_START            2242   // check box: start enabled
#define IDC_TIMER_STOP             2243   // check box: stop enabled
#define IDC_TIMER_OPTION           2247   // check box: option flag
#define IDC_TIMER_START_PLACE      2001
#define IDC_TIMER_STOP_PLACE       2002

#endif
