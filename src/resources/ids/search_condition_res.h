// Condition page of the search dialog: the condition kind, find or count, and the page of the
// kind on placeholder 2001. Own label ids: 4105..4109.
#ifndef ZV_RESOURCES_SEARCH_CONDITION_RES_H
#define ZV_RESOURCES_SEARCH_CONDITION_RES_H

#define IDD_SEARCH_CONDITION       0x5f5

#define IDC_SEARCH_KIND            1286   // drop-down, kinds 0..5: IDS_SEARCH_KIND_TRIGGER, _LIN_ERROR, _FRAME, _REMOTE, _TIME, _EXT_LEVEL
#define IDC_SEARCH_MODE            1287   // drop-down: IDS_SEARCH_MODE_FIND, IDS_SEARCH_MODE_COUNT
#define IDC_SEARCH_KIND_PLACE      2001   // page of the kind (0x5f7, 0x5f1, 0x5f0, 0x5f2, 0x5fa, 0x5f9)

#endif
