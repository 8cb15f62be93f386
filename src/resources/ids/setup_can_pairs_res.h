// Value-pair sub-page of the CAN sub-page: four two-part hexadecimal inputs.
// Own label ids: 3765..3769.
#ifndef ZV_RESOURCES_SETUP_CAN_PAIRS_RES_H
#define ZV_RESOURCES_SETUP_CAN_PAIRS_RES_H

#define IDD_SETUP_CAN_PAIRS        0x5e3

#define IDC_PAIRS_1                1193
#define IDC_PAIRS_2                1194
#define IDC_PAIRS_3                1195
#define IDC_PAIRS_4                2168

#endif
