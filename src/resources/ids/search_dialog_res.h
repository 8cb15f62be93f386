// Search dialog (command 1008), modal: the condition page lies on placeholder 2001. Find next
// (OK) and find previous close the dialog with a search, Cancel without one.
// Own label ids: 4100..4104.
#ifndef ZV_RESOURCES_SEARCH_DIALOG_RES_H
#define ZV_RESOURCES_SEARCH_DIALOG_RES_H

#define IDD_SEARCH                 0x5f4

#define IDC_SEARCH_NEXT            1      // default button: search forwards
#define IDC_SEARCH_CANCEL          2
#define IDC_SEARCH_PREVIOUS        1083   // search backwards
#define IDC_SEARCH_PLACE           2001   // condition page (IDD_SEARCH_CONDITION)

#endif
