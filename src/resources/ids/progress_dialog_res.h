// Transfer dialog of buffer uploads and setup transfers. The program hides the Cancel button
// on opening and shows it for the long transfer step.
#ifndef ZV_RESOURCES_PROGRESS_DIALOG_RES_H
#define ZV_RESOURCES_PROGRESS_DIALOG_RES_H

#define IDD_PROGRESS               0x73

#define IDC_PROGRESS_CANCEL        2
#define IDC_PROGRESS_STEP          1094   // text of the current step
#define IDC_PROGRESS_BAR           2273

#endif
