// Setup editor: the modal setup window with its toolbar, board text and synchronisation check
// box; the page frame lies on its placeholder. Own label ids: 3700..3709.
#ifndef ZV_RESOURCES_SETUP_EDITOR_WINDOW_RES_H
#define ZV_RESOURCES_SETUP_EDITOR_WINDOW_RES_H

#define IDD_SETUP_WINDOW           0x192

#define IDC_SETUP_CLOSE            2      // closes the window (sends on closing when synchronised)
#define IDC_SETUP_FRAME_PLACE      2001   // placeholder the page frame is laid onto
#define IDC_SETUP_TOOLBAR          2006   // created by the program
#define IDC_SETUP_BOARD_TEXT       2030   // "AN-2400 + EX-NB3BP"
#define IDC_SETUP_SYNC             2290   // check box: exchange the setup with the analyzer

// Toolbar commands of the setup window
#define IDM_SETUP_OPEN_FILE        2125
#define IDM_SETUP_SAVE_FILE        2128
#define IDM_SETUP_RECEIVE          2129
#define IDM_SETUP_SEND             2130

#endif
