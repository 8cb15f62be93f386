// Menus of the language libraries.
#ifndef ZV_RESOURCES_MENU_IDS_H
#define ZV_RESOURCES_MENU_IDS_H

// The main window's menu bar; every IDM_ command of command_ids.h is on it.
#define IDR_MAIN_MENU              0x6f

#endif
