// Identifier list of the identifier-table sub-page: sixteen rows, row r uses label 1172 + r,
// length 1140 + r, checksum 1156 + r. Own label ids: 3785..3789.
#ifndef ZV_RESOURCES_SETUP_LIN_ID_LIST_RES_H
#define ZV_RESOURCES_SETUP_LIN_ID_LIST_RES_H

#define IDD_SETUP_LIN_ID_LIST      0x5e0

#define IDC_ID_LIST_LENGTH_FIRST   1140
#define IDC_ID_LIST_CHECKSUM_FIRST 1156
#define IDC_ID_LIST_LABEL_FIRST    1172

#endif
