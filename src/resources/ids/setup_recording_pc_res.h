// PC sub-page of the recording page. Own label ids: 3975..3979.
#ifndef ZV_RESOURCES_SETUP_RECORDING_PC_RES_H
#define ZV_RESOURCES_SETUP_RECORDING_PC_RES_H

#define IDD_SETUP_RECORDING_PC     0x4c6

#define IDC_RECORDING_PC_KEEP      2240   // check box

#endif
