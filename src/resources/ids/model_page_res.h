// Preferences page "Analyzer": model and option board. Own control ids: 3300..3319.
#ifndef ZV_RESOURCES_MODEL_PAGE_RES_H
#define ZV_RESOURCES_MODEL_PAGE_RES_H

#define IDD_PREF_MODEL             0x131

#define IDC_MODEL_LIST             2121
#define IDC_MODEL_BOARD_LIST       2122
#define IDC_MODEL_LABEL            3300
#define IDC_MODEL_BOARD_LABEL      3301
#define IDC_MODEL_NOTE             3302

#endif
