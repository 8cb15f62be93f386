// Pattern sub-page of a condition entry: an edge or a level of the external trigger input.
// Own label ids: 3900..3904.
#ifndef ZV_RESOURCES_SETUP_COND_TRIGGER_INPUT_RES_H
#define ZV_RESOURCES_SETUP_COND_TRIGGER_INPUT_RES_H

#define IDD_SETUP_COND_TRIGGER_INPUT 0x478

#define IDC_COND_TRIGGER_INPUT     2169   // drop-down: IDS_SIGNAL_EDGE_RISING..IDS_SIGNAL_LEVEL_LOW

#endif
