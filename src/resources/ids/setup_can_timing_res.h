// Bit-timing sub-page of the CAN sub-page. Own label ids: 3755..3764.
#ifndef ZV_RESOURCES_SETUP_CAN_TIMING_RES_H
#define ZV_RESOURCES_SETUP_CAN_TIMING_RES_H

#define IDD_SETUP_CAN_TIMING       0x5e2

#define IDC_TIMING_BASE_FREQUENCY  1202   // editable combo box, 6 characters
#define IDC_TIMING_PTS             1203
#define IDC_TIMING_PBS1            1204
#define IDC_TIMING_PBS2            1205
#define IDC_TIMING_SJW             1206
#define IDC_TIMING_BIT_RATE        1196   // static: the resulting bit rate

#endif
