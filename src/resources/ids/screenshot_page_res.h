// Preferences page "Screenshots": folder of the key-emulation screenshots.
// Own control ids: 3500..3519.
#ifndef ZV_RESOURCES_SCREENSHOT_PAGE_RES_H
#define ZV_RESOURCES_SCREENSHOT_PAGE_RES_H

#define IDD_PREF_SCREENSHOT        0x78

#define IDC_SCREENSHOT_FOLDER      1008
#define IDC_SCREENSHOT_BROWSE      1010
#define IDC_SCREENSHOT_LABEL       3500

#endif
