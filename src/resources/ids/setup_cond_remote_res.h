// Pattern sub-page of a condition entry: a remote frame by channel and identifier.
// Own label ids: 3895..3899.
#ifndef ZV_RESOURCES_SETUP_COND_REMOTE_RES_H
#define ZV_RESOURCES_SETUP_COND_REMOTE_RES_H

#define IDD_SETUP_COND_REMOTE      0x5e5

#define IDC_COND_REMOTE_CHANNEL    1214   // drop-down: IDS_WATCH_CHANNEL_1, IDS_WATCH_CHANNEL_2
#define IDC_COND_REMOTE_ID_1       1215   // bit-pattern field, 5 bits (identifier bits 28..24)
#define IDC_COND_REMOTE_ID_2       1216   // bit-pattern field, 8 bits
#define IDC_COND_REMOTE_ID_3       1217   // bit-pattern field, 8 bits
#define IDC_COND_REMOTE_ID_4       1218   // bit-pattern field, 8 bits (bits 7..0)

#endif
