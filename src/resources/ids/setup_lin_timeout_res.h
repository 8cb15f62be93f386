// Time-out sub-page of the LIN sub-page (one time-out and checksum for all identifiers).
// Own label ids: 3775..3779.
#ifndef ZV_RESOURCES_SETUP_LIN_TIMEOUT_RES_H
#define ZV_RESOURCES_SETUP_LIN_TIMEOUT_RES_H

#define IDD_SETUP_LIN_TIMEOUT      0x5e1

#define IDC_TIMEOUT_MS             1191   // edit, 5 characters
#define IDC_TIMEOUT_CHECKSUM       1190   // combo box: classic / enhanced
#define IDC_TIMEOUT_AUTOMATIC      1258   // button

#endif
