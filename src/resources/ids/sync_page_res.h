// Preferences page "Setup synchronisation". Own control ids: 3600..3619.
#ifndef ZV_RESOURCES_SYNC_PAGE_RES_H
#define ZV_RESOURCES_SYNC_PAGE_RES_H

#define IDD_PREF_SYNC              0x132

#define IDC_SYNC_SETUP             2290   // check box: exchange the setup with the analyzer
#define IDC_SYNC_SEND_ONLY         2307   // check box: only send; enabled while 2290 is checked
#define IDC_SYNC_NOTE              3600

#endif
