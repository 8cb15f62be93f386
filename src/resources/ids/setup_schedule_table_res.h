// Schedule-table sub-page of the LIN schedule page: the timing of the schedule and, on
// placeholder 2001, the scrolling table of the sixteen slots. Own label ids: 3865..3869.
#ifndef ZV_RESOURCES_SETUP_SCHEDULE_TABLE_RES_H
#define ZV_RESOURCES_SETUP_SCHEDULE_TABLE_RES_H

#define IDD_SETUP_SCHEDULE_TABLE   0x598

#define IDC_SCHEDULE_BREAK         1243   // edit, 2 characters, 0..99
#define IDC_SCHEDULE_BYTE_SPACE    1241   // edit, 2 characters, 0..99 (also on the simple sub-page)
#define IDC_SCHEDULE_RESPONSE_SPACE 1242  // edit, 2 characters, 0..99
#define IDC_SCHEDULE_SLOT_TIME     2087   // edit, 5 characters, 3..99999
#define IDC_SCHEDULE_START_DELAY   2085   // edit, 5 characters, 0..99999
#define IDC_SCHEDULE_FRAME_TIMING  1244   // drop-down: IDS_CAN_OPTION2_0, IDS_CAN_OPTION2_1 (default, user-defined)
#define IDC_SCHEDULE_SLOTS_PLACE   2001   // where the slot table lies (16 rows, about 8 in view)

#endif
