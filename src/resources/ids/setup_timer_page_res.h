// Setup page "scheduled timer" (tree item 10019) and its start / stop sub-dialog.
// Own label ids: 3840..3859.
#ifndef ZV_RESOURCES_SETUP_TIMER_PAGE_RES_H
#define ZV_RESOURCES_SETUP_TIMER_PAGE_RES_H

#define IDD_SETUP_TIMER            0x4b1
#define IDD_SETUP_TIMER_TIME       0x4b6

#define IDC_TIMER_PERIOD           2241   // combo box: period code
#define IDC_TIMER_START            2242   // check box: start enabled
#define IDC_TIMER_STOP             2243   // check box: stop enabled
#define IDC_TIMER_OPTION           2247   // check box: option flag
#define IDC_TIMER_START_PLACE      2001
#define IDC_TIMER_STOP_PLACE       2002

#define IDC_TIMER_DAY              2244   // edit, 2 characters
#define IDC_TIMER_HOUR             2245
#define IDC_TIMER_MINUTE           2246
#define IDC_TIMER_DAY_LABEL        3840
#define IDC_TIMER_HOUR_LABEL       3841

#endif
