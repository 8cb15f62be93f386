// Pattern sub-page of a condition entry: the level of the synchronisation line.
// Own label ids: 3905..3909.
#ifndef ZV_RESOURCES_SETUP_COND_SYNC_LINE_RES_H
#define ZV_RESOURCES_SETUP_COND_SYNC_LINE_RES_H

#define IDD_SETUP_COND_SYNC_LINE   0x47a

#define IDC_COND_SYNC_LINE         1219   // drop-down: IDS_LEVEL_LOW, IDS_LEVEL_HIGH

#endif
