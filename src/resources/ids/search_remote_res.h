// Search condition kind 3: a CAN remote frame by channel and identifier, laid out like the
// frame page. Own label ids: 4125..4129.
#ifndef ZV_RESOURCES_SEARCH_REMOTE_RES_H
#define ZV_RESOURCES_SEARCH_REMOTE_RES_H

#define IDD_SEARCH_REMOTE          0x5f2

#define IDC_SEARCH_REMOTE_CHANNEL  1311   // drop-down: IDS_WATCH_CHANNEL_1, IDS_WATCH_CHANNEL_2
#define IDC_SEARCH_REMOTE_ID_1     1307   // bit-pattern field, 5 bits (identifier bits 28..24)
#define IDC_SEARCH_REMOTE_ID_2     1308   // bit-pattern field, 8 bits (23..16)
#define IDC_SEARCH_REMOTE_ID_3     1309   // bit-pattern field, 8 bits (15..8)
#define IDC_SEARCH_REMOTE_ID_4     1310   // bit-pattern field, 8 bits (7..0)

#endif
