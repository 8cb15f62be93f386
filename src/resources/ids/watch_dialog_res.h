// Watch data dialog: 16 entries, each a channel, a frame type and an identifier. OK and
// Cancel are IDOK and IDCANCEL.
#ifndef ZV_RESOURCES_WATCH_DIALOG_RES_H
#define ZV_RESOURCES_WATCH_DIALOG_RES_H

#define IDD_WATCH_DATA             0x79

// Channel combo boxes, entries 0..15 ("Ch-1", "Ch-2")
#define IDC_WATCH_CHANNEL_0        1118
#define IDC_WATCH_CHANNEL_1        1014
#define IDC_WATCH_CHANNEL_2        1015
#define IDC_WATCH_CHANNEL_3        1016
#define IDC_WATCH_CHANNEL_4        1017
#define IDC_WATCH_CHANNEL_5        1019
#define IDC_WATCH_CHANNEL_6        1021
#define IDC_WATCH_CHANNEL_7        1023
#define IDC_WATCH_CHANNEL_8        1025
#define IDC_WATCH_CHANNEL_9        1027
#define IDC_WATCH_CHANNEL_10       1029
#define IDC_WATCH_CHANNEL_11       1042
#define IDC_WATCH_CHANNEL_12       1045
#define IDC_WATCH_CHANNEL_13       1048
#define IDC_WATCH_CHANNEL_14       1051
#define IDC_WATCH_CHANNEL_15       1054

// Frame-type combo boxes, entries 0..15 ("Standard", "Extended")
#define IDC_WATCH_FRAME_TYPE_0     1119
#define IDC_WATCH_FRAME_TYPE_1     1120
#define IDC_WATCH_FRAME_TYPE_2     1121
#define IDC_WATCH_FRAME_TYPE_3     1122
#define IDC_WATCH_FRAME_TYPE_4     1123
#define IDC_WATCH_FRAME_TYPE_5     1035
#define IDC_WATCH_FRAME_TYPE_6     1036
#define IDC_WATCH_FRAME_TYPE_7     1037
#define IDC_WATCH_FRAME_TYPE_8     1038
#define IDC_WATCH_FRAME_TYPE_9     1039
#define IDC_WATCH_FRAME_TYPE_10    1040
#define IDC_WATCH_FRAME_TYPE_11    1043
#define IDC_WATCH_FRAME_TYPE_12    1046
#define IDC_WATCH_FRAME_TYPE_13    1049
#define IDC_WATCH_FRAME_TYPE_14    1052
#define IDC_WATCH_FRAME_TYPE_15    1055

// Identifier edit boxes, entries 0..15 (hexadecimal, 3 or 8 digits)
#define IDC_WATCH_IDENTIFIER_0     1124
#define IDC_WATCH_IDENTIFIER_1     1009
#define IDC_WATCH_IDENTIFIER_2     1010
#define IDC_WATCH_IDENTIFIER_3     1011
#define IDC_WATCH_IDENTIFIER_4     1012
#define IDC_WATCH_IDENTIFIER_5     1125
#define IDC_WATCH_IDENTIFIER_6     1126
#define IDC_WATCH_IDENTIFIER_7     1127
#define IDC_WATCH_IDENTIFIER_8     1128
#define IDC_WATCH_IDENTIFIER_9     1026
#define IDC_WATCH_IDENTIFIER_10    1028
#define IDC_WATCH_IDENTIFIER_11    1129
#define IDC_WATCH_IDENTIFIER_12    1130
#define IDC_WATCH_IDENTIFIER_13    1131
#define IDC_WATCH_IDENTIFIER_14    1132
#define IDC_WATCH_IDENTIFIER_15    1133

// Column headings
#define IDC_WATCH_HEADING_ENTRY    1140
#define IDC_WATCH_HEADING_CHANNEL  1141
#define IDC_WATCH_HEADING_TYPE     1142
#define IDC_WATCH_HEADING_ID       1143

#endif
