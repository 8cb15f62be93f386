// Action sub-page of a condition entry: a pulse on the trigger output.
// Own label ids: 3925..3929.
#ifndef ZV_RESOURCES_SETUP_ACT_PULSE_RES_H
#define ZV_RESOURCES_SETUP_ACT_PULSE_RES_H

#define IDD_SETUP_ACT_PULSE        0x48c

#define IDC_ACT_PULSE_EDGE         2175   // drop-down: IDS_SIGNAL_EDGE_RISING, IDS_SIGNAL_EDGE_FALLING
#define IDC_ACT_PULSE_WIDTH        2176   // drop-down: IDS_PULSE_WIDTH_FIRST, 3 items

#endif
