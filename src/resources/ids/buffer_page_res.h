// Preferences page "Buffer files": where and how monitor measurements write their numbered
// files. Own control ids: 3400..3419.
#ifndef ZV_RESOURCES_BUFFER_PAGE_RES_H
#define ZV_RESOURCES_BUFFER_PAGE_RES_H

#define IDD_PREF_BUFFER            0x12f

#define IDC_BUFFER_FOLDER          2031
#define IDC_BUFFER_BROWSE          2032
#define IDC_BUFFER_BLOCK_SIZE      2033   // drop-down list 1M, 2M, 4M, 8M
#define IDC_BUFFER_BLOCK_COUNT     2034   // 2..2000, four characters at most
#define IDC_BUFFER_FULL_STOP       2035   // checked and hidden by the program
#define IDC_BUFFER_APPEND          2036   // unchecked and hidden by the program
#define IDC_BUFFER_WARNING         2037
#define IDC_BUFFER_FOLDER_LABEL    3400
#define IDC_BUFFER_SIZE_LABEL      3401
#define IDC_BUFFER_COUNT_LABEL     3402
#define IDC_BUFFER_COUNT_HINT      3403

#endif
