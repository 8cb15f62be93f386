// Setup page "Conditions" (tree item 10008): the four enable boxes and a read-only summary
// of the entries and the parameters. Own label ids: 3875..3879.
#ifndef ZV_RESOURCES_SETUP_CONDITIONS_RES_H
#define ZV_RESOURCES_SETUP_CONDITIONS_RES_H

#define IDD_SETUP_CONDITIONS       0x461

#define IDC_CONDITIONS_ENABLE_1    2184   // check box: entry 1 enabled
#define IDC_CONDITIONS_ENABLE_2    2185
#define IDC_CONDITIONS_ENABLE_3    2186
#define IDC_CONDITIONS_ENABLE_4    2187
#define IDC_CONDITIONS_KIND_1      2192   // static: pattern-kind label of entry 1
#define IDC_CONDITIONS_KIND_2      2193
#define IDC_CONDITIONS_KIND_3      2194
#define IDC_CONDITIONS_KIND_4      2195
#define IDC_CONDITIONS_ACTION_1    2196   // static: action label of entry 1
#define IDC_CONDITIONS_ACTION_2    2197
#define IDC_CONDITIONS_ACTION_3    2198
#define IDC_CONDITIONS_ACTION_4    2199
#define IDC_CONDITIONS_TIME_1      2200   // static: time window 1 ("%d")
#define IDC_CONDITIONS_TIME_2      2201
#define IDC_CONDITIONS_UNIT_1      2202   // static: its unit (IDS_CONDITION_UNIT_MS..)
#define IDC_CONDITIONS_UNIT_2      2203
#define IDC_CONDITIONS_COUNT_1     2204   // static: count limit 1 ("%d")
#define IDC_CONDITIONS_COUNT_2     2205

#endif
