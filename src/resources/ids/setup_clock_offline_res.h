// Analyzer clock page while not connected (tree item 10021): a note only.
// Own label ids: 3995..3999.
#ifndef ZV_RESOURCES_SETUP_CLOCK_OFFLINE_RES_H
#define ZV_RESOURCES_SETUP_CLOCK_OFFLINE_RES_H

#define IDD_SETUP_CLOCK_OFFLINE    0x4de

#endif
