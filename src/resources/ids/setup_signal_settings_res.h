// Signal sub-page of the signal pattern page. Both bit-pattern fields lie here; the program
// shows the one of the board with its captions: the 9-bit field (C1D C2D C1V C2V IN1..IN4
// TRG) or the 5-bit field (C1D C2D C1V C2V EXT). Own label ids: 3955..3959.
#ifndef ZV_RESOURCES_SETUP_SIGNAL_SETTINGS_RES_H
#define ZV_RESOURCES_SETUP_SIGNAL_SETTINGS_RES_H

#define IDD_SETUP_SIGNAL_SETTINGS  0x4ab

#define IDC_SIGNAL_HOLD            2267   // drop-down: IDS_SIGNAL_HOLD_FIRST, 14 items
#define IDC_SIGNAL_RESULT          2268   // drop-down: IDS_SIGNAL_RESULT_FIRST, 3 items
#define IDC_SIGNAL_QUALIFIER_LEVEL 2271   // drop-down: IDS_LEVEL_LOW, IDS_LEVEL_HIGH
#define IDC_SIGNAL_QUALIFIER       2270   // drop-down: the signal names of the board
#define IDC_SIGNAL_PATTERN_9       2269   // bit-pattern field, 9 bits
#define IDC_SIGNAL_CAPTION_9_1     1250   // captions over the 9-bit field, left to right
#define IDC_SIGNAL_CAPTION_9_2     1251
#define IDC_SIGNAL_CAPTION_9_3     1252
#define IDC_SIGNAL_CAPTION_9_4     1253
#define IDC_SIGNAL_CAPTION_9_5     1254
#define IDC_SIGNAL_PATTERN_5       2272   // bit-pattern field, 5 bits
#define IDC_SIGNAL_CAPTION_5       1255   // caption over the 5-bit field

#endif
