// Analyzer clock page while connected (tree item 10021): the PC's time, the date and time to
// send and the two send buttons. Own label ids: 4000..4004.
#ifndef ZV_RESOURCES_SETUP_CLOCK_ONLINE_RES_H
#define ZV_RESOURCES_SETUP_CLOCK_ONLINE_RES_H

#define IDD_SETUP_CLOCK_ONLINE     0x4df

#define IDC_CLOCK_PC_YEAR          2260   // static "%u"
#define IDC_CLOCK_PC_MONTH         2261   // static "%02u"
#define IDC_CLOCK_PC_DAY           2262
#define IDC_CLOCK_PC_HOUR          2263
#define IDC_CLOCK_PC_MINUTE        2264
#define IDC_CLOCK_PC_SECOND        2265
#define IDC_CLOCK_YEAR             2251   // edit, 4 characters
#define IDC_CLOCK_MONTH            2252   // edit, 2 characters
#define IDC_CLOCK_DAY              2253
#define IDC_CLOCK_HOUR             2254
#define IDC_CLOCK_MINUTE           2255
#define IDC_CLOCK_SECOND           2256
#define IDC_CLOCK_SET              2257   // button: send the entered date and time
#define IDC_CLOCK_SET_PC_TIME      2258   // button: send the PC's time

#endif
