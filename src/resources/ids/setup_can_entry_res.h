// Setup page of a CAN transmit table entry (tree items 10024..10039), with the variation
// sub-page. Own label ids: 3800..3814.
#ifndef ZV_RESOURCES_SETUP_CAN_ENTRY_RES_H
#define ZV_RESOURCES_SETUP_CAN_ENTRY_RES_H

#define IDD_SETUP_CAN_ENTRY        0x5e6

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

#endif
