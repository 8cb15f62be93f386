// Search condition kind 2: a frame by channel, identifier and data. The identifier is four
// bit-pattern fields, most significant first (5 + 8 + 8 + 8 bits); a data byte may refer to
// one of the three extra patterns. Own label ids: 4120..4124.
#ifndef ZV_RESOURCES_SEARCH_FRAME_RES_H
#define ZV_RESOURCES_SEARCH_FRAME_RES_H

#define IDD_SEARCH_FRAME           0x5f0

#define IDC_SEARCH_FRAME_CHANNEL   1288   // drop-down: IDS_WATCH_CHANNEL_1, IDS_WATCH_CHANNEL_2
#define IDC_SEARCH_FRAME_ID_1      1289   // bit-pattern field, 5 bits (identifier bits 28..24)
#define IDC_SEARCH_FRAME_ID_2      1290   // bit-pattern field, 8 bits (23..16)
#define IDC_SEARCH_FRAME_ID_3      1291   // bit-pattern field, 8 bits (15..8)
#define IDC_SEARCH_FRAME_ID_4      1292   // bit-pattern field, 8 bits (7..0)
#define IDC_SEARCH_FRAME_DATA      1293   // hexadecimal input, 8 bytes (pattern)
#define IDC_SEARCH_FRAME_EXTRA_1   1294   // bit-pattern field, 8 bits
#define IDC_SEARCH_FRAME_EXTRA_2   1295   // bit-pattern field, 8 bits
#define IDC_SEARCH_FRAME_EXTRA_3   1296   // bit-pattern field, 8 bits

#endif
