// Start or stop time sub-dialog of the timer page. Own label ids: 3850..3859.
#ifndef ZV_RESOURCES_SETUP_TIMER_TIME_RES_H
#define ZV_RESOURCES_SETUP_TIMER_TIME_RES_H

#define IDD_SETUP_TIMER_TIME       0x4b6

#define IDC_TIMER_DAY              2244   // edit, 2 characters
#define IDC_TIMER_HOUR             2245
#define IDC_TIMER_MINUTE           2246
#define IDC_TIMER_DAY_LABEL        3850   // hidden with its field
#define IDC_TIMER_HOUR_LABEL       3851

#endif
