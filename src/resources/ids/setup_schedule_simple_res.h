// Simple sub-page of the LIN schedule page: the inter-byte space only. Own label ids:
// 3870..3874.
#ifndef ZV_RESOURCES_SETUP_SCHEDULE_SIMPLE_RES_H
#define ZV_RESOURCES_SETUP_SCHEDULE_SIMPLE_RES_H

#define IDD_SETUP_SCHEDULE_SIMPLE  0x597

#define IDC_SCHEDULE_SIMPLE_BYTE_SPACE 1241   // edit, 2 characters, 0..99 (the table's 1241)

#endif
