// Search condition kind 5: the level of the external input. Own label ids: 4135..4139.
#ifndef ZV_RESOURCES_SEARCH_EXT_LEVEL_RES_H
#define ZV_RESOURCES_SEARCH_EXT_LEVEL_RES_H

#define IDD_SEARCH_EXT_LEVEL       0x5f9

#define IDC_SEARCH_EXT_LEVEL       1303   // drop-down: IDS_SEARCH_LEVEL_0, IDS_SEARCH_LEVEL_1

#endif
