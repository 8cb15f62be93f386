// Action sub-page of a condition entry: set the level of the trigger output.
// Own label ids: 3930..3934.
#ifndef ZV_RESOURCES_SETUP_ACT_LEVEL_RES_H
#define ZV_RESOURCES_SETUP_ACT_LEVEL_RES_H

#define IDD_SETUP_ACT_LEVEL        0x48d

#define IDC_ACT_LEVEL              2177   // drop-down: IDS_SIGNAL_LEVEL_HIGH, IDS_SIGNAL_LEVEL_LOW
#define IDC_ACT_LEVEL_HOLD         2178   // drop-down: IDS_LEVEL_HOLD_STOP, IDS_LEVEL_HOLD_NEXT

#endif
