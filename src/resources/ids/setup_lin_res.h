// LIN sub-page of a channel page, with the time-out and identifier-table sub-pages.
// Own label ids: 3770..3774.
#ifndef ZV_RESOURCES_SETUP_LIN_RES_H
#define ZV_RESOURCES_SETUP_LIN_RES_H

#define IDD_SETUP_LIN              0x5dd

#define IDC_LIN_BIT_RATE           1137   // editable combo box, 5 characters
#define IDC_LIN_VALUE_PAIR         1192   // two-part hexadecimal input (kind 6)
#define IDC_LIN_USE_ID_TABLE       1139   // combo box
#define IDC_LIN_PLACE              2001   // time-out or identifier-table sub-page

#endif
