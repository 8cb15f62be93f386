// Pattern sub-page of a condition entry: a pattern over the four digital inputs.
// Own label ids: 3910..3914.
#ifndef ZV_RESOURCES_SETUP_COND_INPUTS_RES_H
#define ZV_RESOURCES_SETUP_COND_INPUTS_RES_H

#define IDD_SETUP_COND_INPUTS      0x477

#define IDC_COND_INPUTS            1213   // bit-pattern field, 4 bits

#endif
