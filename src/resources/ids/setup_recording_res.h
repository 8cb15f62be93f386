// Setup page "Recording" (tree item 10020): start, record length, buffer use and where the
// records go; on placeholder 2001 the PC sub-page while the PC is chosen.
// Own label ids: 3970..3974.
#ifndef ZV_RESOURCES_SETUP_RECORDING_RES_H
#define ZV_RESOURCES_SETUP_RECORDING_RES_H

#define IDD_SETUP_RECORDING        0x4c5

#define IDC_RECORDING_START        2238   // drop-down: IDS_RECORDING_START_FIRST, 5 items
#define IDC_RECORDING_LENGTH       2236   // drop-down: IDS_RECORD_LENGTH_FIRST, 3 items
#define IDC_RECORDING_BUFFER       2237   // drop-down: IDS_BUFFER_RING, IDS_BUFFER_STOP
#define IDC_RECORDING_TARGET       2239   // drop-down: IDS_TARGET_MEMORY or _CARD, IDS_TARGET_PC
#define IDC_RECORDING_PLACE        2001   // PC sub-page

#endif
