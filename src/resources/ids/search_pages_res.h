// The search dialog and its pages. One header per dialog; this one includes them all.
#ifndef ZV_RESOURCES_SEARCH_PAGES_RES_H
#define ZV_RESOURCES_SEARCH_PAGES_RES_H

#include "search_dialog_res.h"
#include "search_condition_res.h"
#include "search_trigger_res.h"              // kind 0
#include "search_lin_errors_res.h"           // kind 1
#include "search_frame_res.h"                // kind 2
#include "search_remote_res.h"               // kind 3
#include "search_time_res.h"                 // kind 4
#include "search_ext_level_res.h"            // kind 5

#endif
