// Thinning sub-page of the settings page. Own label ids: 3965..3969.
#ifndef ZV_RESOURCES_SETUP_THINNING_RES_H
#define ZV_RESOURCES_SETUP_THINNING_RES_H

#define IDD_SETUP_THINNING         0x412

#define IDC_THINNING_PER_ID        2220   // check box
#define IDC_THINNING_FRAMES        2219   // drop-down: IDS_THINNING_FIRST, 5 items
#define IDC_THINNING_KEEP          2218   // edit, 4 characters, 1..1024

#endif
