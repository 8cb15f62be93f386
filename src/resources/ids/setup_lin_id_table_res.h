// Identifier-table sub-page of the LIN sub-page: four tabs of sixteen identifiers.
// Own label ids: 3780..3784.
#ifndef ZV_RESOURCES_SETUP_LIN_ID_TABLE_RES_H
#define ZV_RESOURCES_SETUP_LIN_ID_TABLE_RES_H

#define IDD_SETUP_LIN_ID_TABLE     0x5e4

#define IDC_ID_TABLE_TABS          1204
#define IDC_ID_TABLE_PLACE         2001   // the identifier list, inside the tab control

#endif
