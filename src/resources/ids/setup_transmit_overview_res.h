// Setup page of the transmit table overview (tree item 10023). Own label ids: 3790..3799.
#ifndef ZV_RESOURCES_SETUP_TRANSMIT_OVERVIEW_RES_H
#define ZV_RESOURCES_SETUP_TRANSMIT_OVERVIEW_RES_H

#define IDD_SETUP_TRANSMIT_OVERVIEW 0x5ea

// Row 0 uses 1246 / 1247, row r >= 1 label 1247 + r and identifier 1262 + r
#define IDC_OVERVIEW_LABEL_0       1246
#define IDC_OVERVIEW_IDENT_0       1247
#define IDC_OVERVIEW_LABEL_1       1248
#define IDC_OVERVIEW_IDENT_1       1263

#endif
