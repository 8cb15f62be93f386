// Data sub-page of the LIN transmit entry page. Own label ids: 3825..3829.
#ifndef ZV_RESOURCES_SETUP_LIN_DATA_RES_H
#define ZV_RESOURCES_SETUP_LIN_DATA_RES_H

#define IDD_SETUP_LIN_DATA         0x5e9

#define IDC_LIN_DATA_BYTES         1238   // hexadecimal input, 8 bytes
#define IDC_LIN_DATA_CHECKSUM      1224   // hexadecimal input, 1 byte
#define IDC_LIN_DATA_AUTOMATIC     1239   // button: compute the checksum
#define IDC_LIN_DATA_VARIATION     1237   // combo box "OFF" / "ON"

#endif
