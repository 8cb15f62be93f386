// About dialog (command 40012). It closes on OK or Cancel.
// Own control ids: 3100..3119.
#ifndef ZV_RESOURCES_ABOUT_DIALOG_RES_H
#define ZV_RESOURCES_ABOUT_DIALOG_RES_H

#define IDD_ABOUT                  0x65

#define IDC_ABOUT_OK               1
#define IDC_ABOUT_ICON             3100   // empty icon static; the program puts icon group 101 there
#define IDC_ABOUT_PRODUCT          3101
#define IDC_ABOUT_VERSION          3102
#define IDC_ABOUT_COPYRIGHT        3103
#define IDC_ABOUT_DESCRIPTION      3104

#endif
