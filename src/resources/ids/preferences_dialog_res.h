// Connection and preferences dialog (command 2019): a tab control over five child pages,
// each a template of its own (connection_page_res.h, model_page_res.h, buffer_page_res.h,
// screenshot_page_res.h, sync_page_res.h).
#ifndef ZV_RESOURCES_PREFERENCES_DIALOG_RES_H
#define ZV_RESOURCES_PREFERENCES_DIALOG_RES_H

#define IDD_PREFERENCES            0x66

#define IDC_PREF_OK                1
#define IDC_PREF_CANCEL            2
#define IDC_PREF_TABS              1099

#endif
