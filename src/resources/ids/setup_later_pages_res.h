// Setup pages of the LIN schedule, the conditions, the signal pattern, the further settings,
// the analyzer clock and the option boards. One header per dialog (their control ids repeat);
// this one includes them all.
#ifndef ZV_RESOURCES_SETUP_LATER_PAGES_RES_H
#define ZV_RESOURCES_SETUP_LATER_PAGES_RES_H

#include "setup_lin_schedule_res.h"          // on the operation-mode page
#include "setup_schedule_table_res.h"
#include "setup_schedule_simple_res.h"
#include "setup_settings_res.h"              // tree item 10003
#include "setup_thinning_res.h"
#include "setup_conditions_res.h"            // 10008
#include "setup_condition_entry_res.h"       // 10009..10012
#include "setup_cond_lin_errors_res.h"
#include "setup_cond_frame_res.h"
#include "setup_cond_remote_res.h"
#include "setup_cond_trigger_input_res.h"
#include "setup_cond_sync_line_res.h"
#include "setup_cond_inputs_res.h"
#include "setup_act_trigger_res.h"
#include "setup_act_count_res.h"
#include "setup_act_pulse_res.h"
#include "setup_act_level_res.h"
#include "setup_act_beep_res.h"
#include "setup_act_marker_res.h"
#include "setup_condition_params_res.h"      // 10017
#include "setup_signal_pattern_res.h"        // 10018
#include "setup_signal_settings_res.h"
#include "setup_recording_res.h"             // 10020
#include "setup_recording_pc_res.h"
#include "setup_clock_offline_res.h"         // 10021, not connected
#include "setup_clock_online_res.h"          // 10021, connected
#include "setup_board_2a_res.h"              // 10022: board types 65554, 65555, 65570, 65571
#include "setup_board_6100_res.h"            // 10022: board types 65556, 65572
#include "setup_board_other_res.h"           // 10022: all other board types

#endif
