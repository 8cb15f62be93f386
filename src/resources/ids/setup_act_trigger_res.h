// Action sub-page of a condition entry: trigger, with the trigger position in the buffer.
// Own label ids: 3915..3919.
#ifndef ZV_RESOURCES_SETUP_ACT_TRIGGER_RES_H
#define ZV_RESOURCES_SETUP_ACT_TRIGGER_RES_H

#define IDD_SETUP_ACT_TRIGGER      0x48a

#define IDC_ACT_TRIGGER_POSITION   2172   // drop-down: IDS_TRIGGER_POSITION_FIRST, 4 items

#endif
