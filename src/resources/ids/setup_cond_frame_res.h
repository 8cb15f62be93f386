// Pattern sub-page of a condition entry: a frame by channel, identifier and data. The
// identifier is four bit-pattern fields, most significant first (5 + 8 + 8 + 8 bits).
// Own label ids: 3890..3894.
#ifndef ZV_RESOURCES_SETUP_COND_FRAME_RES_H
#define ZV_RESOURCES_SETUP_COND_FRAME_RES_H

#define IDD_SETUP_COND_FRAME       0x476

#define IDC_COND_FRAME_CHANNEL     1209   // drop-down: IDS_WATCH_CHANNEL_1, IDS_WATCH_CHANNEL_2
#define IDC_COND_FRAME_ID_1        2171   // bit-pattern field, 5 bits (identifier bits 28..24)
#define IDC_COND_FRAME_ID_2        2170   // bit-pattern field, 8 bits
#define IDC_COND_FRAME_ID_3        2168   // bit-pattern field, 8 bits
#define IDC_COND_FRAME_ID_4        2169   // bit-pattern field, 8 bits (bits 7..0)
#define IDC_COND_FRAME_DATA        1205   // hexadecimal input, 8 bytes (pattern)
#define IDC_COND_FRAME_EXTRA_1     1206   // bit-pattern field, 8 bits
#define IDC_COND_FRAME_EXTRA_2     1207   // bit-pattern field, 8 bits
#define IDC_COND_FRAME_EXTRA_3     1208   // bit-pattern field, 8 bits

#endif
