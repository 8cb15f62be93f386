// Setup pages of the transmit tables: the overview (tree item 10023), the CAN and the LIN
// entry page (items 10024..10039) with their sub-pages. One header per dialog (their control
// ids repeat); this one includes them all.
#ifndef ZV_RESOURCES_SETUP_TRANSMIT_PAGE_RES_H
#define ZV_RESOURCES_SETUP_TRANSMIT_PAGE_RES_H

#include "setup_transmit_overview_res.h"
#include "setup_can_entry_res.h"
#include "setup_lin_entry_res.h"
#include "setup_lin_data_res.h"
#include "setup_variation_res.h"

#endif
