// Setup page "scheduled timer" (tree item 10019) and its start / stop sub-dialog. One header
// per dialog; this one includes both.
#ifndef ZV_RESOURCES_SETUP_TIMER_PAGE_RES_H
#define ZV_RESOURCES_SETUP_TIMER_PAGE_RES_H

#include "setup_timer_res.h"
#include "setup_timer_time_res.h"

#endif
