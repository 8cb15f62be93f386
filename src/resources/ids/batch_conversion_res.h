// Batch conversion dialog (command 40010), modal: the data files selected in a folder are
// converted one after another into text or CSV files, or exported as the logs of other CAN/LIN
// tools (ASC, BLF, candump, pcapng), beside them. Start is IDOK and Stop is IDCANCEL: the
// dialog ends through Close or its close box, never through Enter or Escape.
// Own control ids: 4150..4169.
#ifndef ZV_RESOURCES_BATCH_CONVERSION_RES_H
#define ZV_RESOURCES_BATCH_CONVERSION_RES_H

#define IDD_BATCH_CONVERSION       0x70

#define IDC_BATCH_START            1
#define IDC_BATCH_STOP             2
#define IDC_BATCH_FOLDER           1008   // edit: folder of the data files
#define IDC_BATCH_SELECT_ALL       1011
#define IDC_BATCH_SELECT_NONE      1012
#define IDC_BATCH_CHANNELS         1013   // drop-down: "CH1&CH2", "CH1", "CH2"
#define IDC_BATCH_CSV              1025   // check box: CSV instead of text
#define IDC_BATCH_DELTA_T          1026   // check box: deltaT in the time column of text output
#define IDC_BATCH_HEX              1030   // drop-down: "OFF", "ON"
#define IDC_BATCH_FILES            1095   // list box, extended selection, unsorted, notifies
#define IDC_BATCH_TOTAL_PROGRESS   1097   // progress bar: files of the batch
#define IDC_BATCH_FILE_PROGRESS    2273   // progress bar: records of the current file
#define IDC_BATCH_BROWSE           40017  // pick the folder
#define IDC_BATCH_REFRESH          40018  // read the folder again
#define IDC_BATCH_CLOSE            4150
#define IDC_BATCH_FORMAT           4151   // drop-down: IDS_CONVERSION_FORMAT_FIRST .. + 5

#endif
