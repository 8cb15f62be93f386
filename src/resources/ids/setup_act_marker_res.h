// Action sub-page of a condition entry: a marker written into the recording.
// Own label ids: 3940..3944.
#ifndef ZV_RESOURCES_SETUP_ACT_MARKER_RES_H
#define ZV_RESOURCES_SETUP_ACT_MARKER_RES_H

#define IDD_SETUP_ACT_MARKER       0x48f

#define IDC_ACT_MARKER             2075   // drop-down: IDS_MARKER_FIRST, 30 items
#define IDC_ACT_MARKER_REPEAT      2076   // drop-down: IDS_REPEAT_ONCE, IDS_REPEAT_EACH_TIME
#define IDC_ACT_MARKER_HOLD_OFF    2092   // edit, 5 characters, 0..99999 (ms)

#endif
