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

}  // namespace zv::shell
