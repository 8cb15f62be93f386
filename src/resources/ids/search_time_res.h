// Search condition kind 4: a time window, as minutes, seconds and hundredths of two
// characters each; "*" stands for any digit. Own label ids: 4130..4134.
#ifndef ZV_RESOURCES_SEARCH_TIME_RES_H
#define ZV_RESOURCES_SEARCH_TIME_RES_H

#define IDD_SEARCH_TIME            0x5fa

#define IDC_SEARCH_MINUTES         2276   // edit, 2 characters
#define IDC_SEARCH_SECONDS         2277   // edit, 2 characters
#define IDC_SEARCH_HUNDREDTHS      2278   // edit, 2 characters

#endif
