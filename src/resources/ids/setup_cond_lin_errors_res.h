// Pattern sub-page of a condition entry: LIN errors (flag bits 0..4). Own label ids:
// 3885..3889.
#ifndef ZV_RESOURCES_SETUP_COND_LIN_ERRORS_RES_H
#define ZV_RESOURCES_SETUP_COND_LIN_ERRORS_RES_H

#define IDD_SETUP_COND_LIN_ERRORS  0x475

#define IDC_LIN_ERRORS_PARITY      1210   // check box, flag bit 0
#define IDC_LIN_ERRORS_CHECKSUM    1211   // bit 1
#define IDC_LIN_ERRORS_NO_RESPONSE 2158   // bit 2
#define IDC_LIN_ERRORS_SYNC        1212   // bit 3
#define IDC_LIN_ERRORS_BIT         2159   // bit 4

#endif
