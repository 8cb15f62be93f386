// Variation sub-page of the CAN and the LIN transmit entry pages. Own label ids: 3830..3839.
#ifndef ZV_RESOURCES_SETUP_VARIATION_RES_H
#define ZV_RESOURCES_SETUP_VARIATION_RES_H

#define IDD_SETUP_VARIATION        0x5e8

#define IDC_VARIATION_MODE         1236   // combo box: byte 6
#define IDC_VARIATION_WIDTH        1228   // combo box "8 bit" / "16 bit"
#define IDC_VARIATION_POSITION     1229   // combo box "0".."7"
#define IDC_VARIATION_0_SECOND     1227
#define IDC_VARIATION_1_FIRST      1230
#define IDC_VARIATION_1_SECOND     1231
#define IDC_VARIATION_2_FIRST      1232
#define IDC_VARIATION_2_SECOND     1233
#define IDC_VARIATION_3_FIRST      1234
#define IDC_VARIATION_3_SECOND     1235

#endif
