// Setup page "Condition parameters" (tree item 10017): two time windows with their units
// and two count limits. Own label ids: 3945..3949.
#ifndef ZV_RESOURCES_SETUP_CONDITION_PARAMS_RES_H
#define ZV_RESOURCES_SETUP_CONDITION_PARAMS_RES_H

#define IDD_SETUP_CONDITION_PARAMS 0x49d

#define IDC_PARAMS_TIME_1          2200   // edit, 6 characters, 1..999999
#define IDC_PARAMS_TIME_2          2201
#define IDC_PARAMS_UNIT_1          2202   // drop-down: IDS_CONDITION_UNIT_MS, 3 items
#define IDC_PARAMS_UNIT_2          2203
#define IDC_PARAMS_COUNT_1         2204   // edit, 6 characters, 1..999999
#define IDC_PARAMS_COUNT_2         2205

#endif
