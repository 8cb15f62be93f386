// LIN schedule page, shown on the operation-mode page (operation mode 4 with a LIN transmit
// channel): the schedule mode and, on placeholder 2001, the schedule-table or the simple
// sub-page. Own label ids: 3860..3864.
#ifndef ZV_RESOURCES_SETUP_LIN_SCHEDULE_RES_H
#define ZV_RESOURCES_SETUP_LIN_SCHEDULE_RES_H

#define IDD_SETUP_LIN_SCHEDULE     0x58d

#define IDC_SCHEDULE_MODE          1240   // drop-down: IDS_SCHEDULE_MODE_TABLE, IDS_SCHEDULE_MODE_SIMPLE
#define IDC_SCHEDULE_PLACE         2001   // schedule-table or simple sub-page

#endif
