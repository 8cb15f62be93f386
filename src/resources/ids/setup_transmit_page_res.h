// Setup pages of the transmit tables: the overview (tree item 10023), the CAN and the LIN
// entry page (items 10024..10039) with their sub-pages. Own label ids: 3790..3839.
#ifndef ZV_RESOURCES_SETUP_TRANSMIT_PAGE_RES_H
#define ZV_RESOURCES_SETUP_TRANSMIT_PAGE_RES_H

#define IDD_SETUP_TRANSMIT_OVERVIEW 0x5ea
#define IDD_SETUP_CAN_ENTRY        0x5e6
#define IDD_SETUP_LIN_ENTRY        0x5e7
#define IDD_SETUP_VARIATION        0x5e8
#define IDD_SETUP_LIN_DATA         0x5e9

// Overview: row 0 uses 1246 / 1247, row r >= 1 label 1247 + r and identifier 1262 + r
#define IDC_OVERVIEW_LABEL_0       1246
#define IDC_OVERVIEW_IDENT_0       1247
#define IDC_OVERVIEW_LABEL_1       1248
#define IDC_OVERVIEW_IDENT_1       1263

// CAN entry page
#define IDC_CAN_ENTRY_FRAME_TYPE   1221   // combo box
#define IDC_CAN_ENTRY_IDENTIFIER   1222   // hexadecimal edit
#define IDC_CAN_ENTRY_DATA         1223   // hexadecimal input, 8 bytes
#define IDC_CAN_ENTRY_FIELD4       1224   // edit 0..99999
#define IDC_CAN_ENTRY_FIELD8       1225   // edit 1..99999
#define IDC_CAN_ENTRY_LENGTH       1226   // edit, 1 character
#define IDC_CAN_ENTRY_VARIATION    1237   // combo box "OFF" / "ON"
#define IDC_CAN_ENTRY_RANGE        1247   // static "(0 - 7FF)"
#define IDC_CAN_ENTRY_DATA_LABEL   1249
#define IDC_CAN_ENTRY_LENGTH_UNIT  1250
#define IDC_CAN_ENTRY_LENGTH_LABEL 1251
#define IDC_CAN_ENTRY_VARIATION_LABEL 1252
#define IDC_CAN_ENTRY_PLACE        2001   // variation sub-page

// LIN entry page
#define IDC_LIN_ENTRY_KIND         1227   // combo box
#define IDC_LIN_ENTRY_IDENTIFIER   1228   // hexadecimal edit, 2 characters
#define IDC_LIN_ENTRY_VARIATION_PLACE 2001
#define IDC_LIN_ENTRY_DATA_PLACE   2002

// LIN data sub-page
#define IDC_LIN_DATA_BYTES         1238   // hexadecimal input, 8 bytes
#define IDC_LIN_DATA_CHECKSUM      1224   // hexadecimal input, 1 byte
#define IDC_LIN_DATA_AUTOMATIC     1239   // button: compute the checksum
#define IDC_LIN_DATA_VARIATION     1237   // combo box "OFF" / "ON"

// Variation sub-page
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
