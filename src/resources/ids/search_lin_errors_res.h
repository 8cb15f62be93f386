// Search condition kind 1: LIN records with an error. The first four boxes ask for an error
// code (status bits 11..14), the fifth for any error mark on a field (bits 0..10).
// Own label ids: 4115..4119.
#ifndef ZV_RESOURCES_SEARCH_LIN_ERRORS_RES_H
#define ZV_RESOURCES_SEARCH_LIN_ERRORS_RES_H

#define IDD_SEARCH_LIN_ERRORS      0x5f1

#define IDC_SEARCH_LIN_CHANNEL     1297   // drop-down: IDS_SEARCH_ALL_CHANNELS, IDS_WATCH_CHANNEL_1, IDS_WATCH_CHANNEL_2
#define IDC_SEARCH_LIN_CODE_B      1298   // check box, flag bit 0 (error code 1)
#define IDC_SEARCH_LIN_CODE_S      1299   // bit 1 (error code 2)
#define IDC_SEARCH_LIN_CODE_P      1300   // bit 2 (error code 4)
#define IDC_SEARCH_LIN_CODE_C      1301   // bit 3 (error code 8)
#define IDC_SEARCH_LIN_MARK        1302   // bit 4: any field with an error mark

#endif
