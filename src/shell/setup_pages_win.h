// The setup pages by family; each file builds its pages and hands them out here, so that the
// frame asks one function (makeSetupPage) for any template.
#pragma once

#include <memory>

#include "shell/setup_page_win.h"

namespace zv::shell {

// setup_channel_pages_win.cpp: the channel page of CHANNEL (0 or 1) with its CAN and LIN
// sub-pages.
std::unique_ptr<SetupPage> makeChannelPage(SetupEditorContext& context, int channel);

// setup_transmit_pages_win.cpp: the transmit table overview and the CAN and LIN entry pages.
std::unique_ptr<SetupPage> makeTransmitOverviewPage(SetupEditorContext& context);
std::unique_ptr<SetupPage> makeCanEntryPage(SetupEditorContext& context);
std::unique_ptr<SetupPage> makeLinEntryPage(SetupEditorContext& context);

// setup_schedule_page_win.cpp: the LIN schedule page (a sub-page of the operation mode's).
std::unique_ptr<SetupPage> makeLinSchedulePage(SetupEditorContext& context);
// setup_condition_pages_win.cpp: the condition overview, entry and parameter pages; null for
// other templates.
std::unique_ptr<SetupPage> makeConditionPage(SetupEditorContext& context, int templateId);
// setup_record_pages_win.cpp: signal pattern, settings, recording and the option board's
// pages; null for other templates.
std::unique_ptr<SetupPage> makeRecordPage(SetupEditorContext& context, int templateId);
// setup_clock_page_win.cpp: the analyzer clock while connected.
std::unique_ptr<SetupPage> makeClockPage(SetupEditorContext& context);

}  // namespace zv::shell
