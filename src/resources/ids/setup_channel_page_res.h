// Setup channel page (tree items 10040 and 10041) with its CAN and LIN sub-pages and their
// sub-pages. One header per dialog (their control ids repeat); this one includes them all.
#ifndef ZV_RESOURCES_SETUP_CHANNEL_PAGE_RES_H
#define ZV_RESOURCES_SETUP_CHANNEL_PAGE_RES_H

#include "setup_channel_res.h"
#include "setup_can_res.h"
#include "setup_can_timing_res.h"
#include "setup_can_pairs_res.h"
#include "setup_lin_res.h"
#include "setup_lin_timeout_res.h"
#include "setup_lin_id_table_res.h"
#include "setup_lin_id_list_res.h"

#endif
