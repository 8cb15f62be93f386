// Action sub-page of a condition entry: a beep of the analyzer.
// Own label ids: 3935..3939.
#ifndef ZV_RESOURCES_SETUP_ACT_BEEP_RES_H
#define ZV_RESOURCES_SETUP_ACT_BEEP_RES_H

#define IDD_SETUP_ACT_BEEP         0x48e

#define IDC_ACT_BEEP_SOUND         2179   // drop-down: IDS_BEEP_SOUND_FIRST, 4 items
#define IDC_ACT_BEEP_REPEAT        2180   // drop-down: IDS_REPEAT_ONCE, 3 items

#endif
