// Action sub-page of a condition entry: trigger after a number of occurrences.
// Own label ids: 3920..3924.
#ifndef ZV_RESOURCES_SETUP_ACT_COUNT_RES_H
#define ZV_RESOURCES_SETUP_ACT_COUNT_RES_H

#define IDD_SETUP_ACT_COUNT        0x48b

#define IDC_ACT_COUNT_WAIT         2174   // edit, 4 characters, 0..9999 (first count)
#define IDC_ACT_COUNT_SKIP         2173   // edit, 4 characters, 0..9999 (second count)

#endif
