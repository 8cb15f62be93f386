// The key-emulation frame: commands of its toolbar that accelerator table 148 of the program
// also sends while the frame is in front.
#ifndef ZV_RESOURCES_KEY_EMULATION_RES_H
#define ZV_RESOURCES_KEY_EMULATION_RES_H

#define IDM_KEYEMU_COPY_PICTURE    2119   // Ctrl+C: the LCD picture to the clipboard
#define IDM_KEYEMU_SAVE_PICTURE    2126   // Ctrl+S: the LCD picture as a bitmap file

#endif
