// Setup page of a LIN transmit table entry (tree items 10024..10039), with the data and the
// variation sub-pages. Own label ids: 3815..3824.
#ifndef ZV_RESOURCES_SETUP_LIN_ENTRY_RES_H
#define ZV_RESOURCES_SETUP_LIN_ENTRY_RES_H

#define IDD_SETUP_LIN_ENTRY        0x5e7

#define IDC_LIN_ENTRY_KIND         1227   // combo box
#define IDC_LIN_ENTRY_IDENTIFIER   1228   // hexadecimal edit, 2 characters
#define IDC_LIN_ENTRY_VARIATION_PLACE 2001
#define IDC_LIN_ENTRY_DATA_PLACE   2002

#endif
