// Setup channel page (tree items 10040 and 10041) with its CAN and LIN sub-pages and their
// sub-pages. Own label ids: 3740..3789.
#ifndef ZV_RESOURCES_SETUP_CHANNEL_PAGE_RES_H
#define ZV_RESOURCES_SETUP_CHANNEL_PAGE_RES_H

#define IDD_SETUP_CHANNEL          0x43a
#define IDD_SETUP_CAN              0x5de
#define IDD_SETUP_CAN_TIMING       0x5e2
#define IDD_SETUP_CAN_PAIRS        0x5e3
#define IDD_SETUP_LIN              0x5dd
#define IDD_SETUP_LIN_TIMEOUT      0x5e1
#define IDD_SETUP_LIN_ID_TABLE     0x5e4
#define IDD_SETUP_LIN_ID_LIST      0x5e0

// Channel page: the CAN or the LIN sub-page
#define IDC_CHANNEL_PLACE          2001

// CAN sub-page
#define IDC_CAN_BIT_RATE           1137   // combo box: "Custom", "33.3k" .. "1M"
#define IDC_CAN_OPTION1            1203   // combo box: canOption1
#define IDC_CAN_OPTION2            1192   // combo box: canOption2
#define IDC_CAN_TIMING_PLACE       2001   // bit-timing sub-page (for "Custom")
#define IDC_CAN_PAIRS_PLACE        2002   // value-pair sub-page (canOption2 = 1)

// Bit-timing sub-page
#define IDC_TIMING_BASE_FREQUENCY  1202   // editable combo box, 6 characters
#define IDC_TIMING_PTS             1203
#define IDC_TIMING_PBS1            1204
#define IDC_TIMING_PBS2            1205
#define IDC_TIMING_SJW             1206
#define IDC_TIMING_BIT_RATE        1196   // static: the resulting bit rate

// Value-pair sub-page: four two-part hexadecimal inputs
#define IDC_PAIRS_1                1193
#define IDC_PAIRS_2                1194
#define IDC_PAIRS_3                1195
#define IDC_PAIRS_4                2168

// LIN sub-page
#define IDC_LIN_BIT_RATE           1137   // editable combo box, 5 characters
#define IDC_LIN_VALUE_PAIR         1192   // two-part hexadecimal input (kind 6)
#define IDC_LIN_USE_ID_TABLE       1139   // combo box
#define IDC_LIN_PLACE              2001   // time-out or identifier-table sub-page

// Time-out sub-page
#define IDC_TIMEOUT_MS             1191   // edit, 5 characters
#define IDC_TIMEOUT_CHECKSUM       1190   // combo box: classic / enhanced
#define IDC_TIMEOUT_AUTOMATIC      1258   // button

// Identifier-table sub-page: four tabs of sixteen identifiers
#define IDC_ID_TABLE_TABS          1204
#define IDC_ID_TABLE_PLACE         2001

// Identifier list: row r uses label 1172 + r, length 1140 + r, checksum 1156 + r
#define IDC_ID_LIST_LENGTH_FIRST   1140
#define IDC_ID_LIST_CHECKSUM_FIRST 1156
#define IDC_ID_LIST_LABEL_FIRST    1172

#endif
