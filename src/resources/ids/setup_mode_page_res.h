// Setup page "operation mode" (tree item 10001). Own label ids: 3720..3729.
#ifndef ZV_RESOURCES_SETUP_MODE_PAGE_RES_H
#define ZV_RESOURCES_SETUP_MODE_PAGE_RES_H

#define IDD_SETUP_MODE             0x400

#define IDC_MODE_NORMAL            8000   // radio button: operation mode 0
#define IDC_MODE_SCHEDULE          8004   // radio button: operation mode 4
#define IDC_MODE_SCHEDULE_PLACE    2001   // where the LIN schedule window sits

#endif
