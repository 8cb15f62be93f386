// Setup page "Settings" (tree item 10003): time stamps, what is recorded and, on placeholder
// 2001 while its check box is on, the thinning sub-page. Own label ids: 3960..3964.
#ifndef ZV_RESOURCES_SETUP_SETTINGS_RES_H
#define ZV_RESOURCES_SETUP_SETTINGS_RES_H

#define IDD_SETUP_SETTINGS         0x411

#define IDC_SETTINGS_RESOLUTION    2212   // drop-down: IDS_RESOLUTION_FIRST, 3 items
#define IDC_SETTINGS_ERROR_FRAMES  2213   // check box
#define IDC_SETTINGS_REMOTE_FRAMES 2214   // check box
#define IDC_SETTINGS_WAKE_UP       2215   // check box
#define IDC_SETTINGS_FULL_BEEP     2216   // check box
#define IDC_SETTINGS_THINNING      2217   // check box: shows the thinning sub-page
#define IDC_SETTINGS_PLACE         2001   // thinning sub-page

#endif
