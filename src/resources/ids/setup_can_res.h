// CAN sub-page of a channel page, with the bit-timing and value-pair sub-pages.
// Own label ids: 3745..3754.
#ifndef ZV_RESOURCES_SETUP_CAN_RES_H
#define ZV_RESOURCES_SETUP_CAN_RES_H

#define IDD_SETUP_CAN              0x5de

#define IDC_CAN_BIT_RATE           1137   // combo box: "Custom", "33.3k" .. "1M"
#define IDC_CAN_OPTION1            1203   // combo box: canOption1
#define IDC_CAN_OPTION2            1192   // combo box: canOption2
#define IDC_CAN_TIMING_PLACE       2001   // bit-timing sub-page (for "Custom")
#define IDC_CAN_PAIRS_PLACE        2002   // value-pair sub-page (canOption2 = 1)

#endif
