// Setup editor: the setup window and its page frame. One header per dialog, as everywhere
// (control ids only have to be unique within their dialog); this one includes both.
#ifndef ZV_RESOURCES_SETUP_WINDOW_RES_H
#define ZV_RESOURCES_SETUP_WINDOW_RES_H

#include "setup_editor_window_res.h"
#include "setup_page_frame_res.h"

#endif
