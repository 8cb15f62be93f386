// Setup editor: the page frame, a tree of page captions beside the page of the selected item.
// Own label ids: 3710..3719.
#ifndef ZV_RESOURCES_SETUP_PAGE_FRAME_RES_H
#define ZV_RESOURCES_SETUP_PAGE_FRAME_RES_H

#define IDD_SETUP_FRAME            0x193

#define IDC_FRAME_PAGE_PLACE       2001   // placeholder every page is laid onto
#define IDC_FRAME_HINT             2008   // hint text in the system's grey
#define IDC_FRAME_TREE             2043   // tree view of the page captions

#endif
