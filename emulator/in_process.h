// Connecting the remote client to an emulated analyzer in the same process (the library's
// built-in USB devices): each connect makes a fresh pair of byte queues.
#pragma once

#include <memory>

#include "emulator/analyzer.h"
#include "zvlkrmt/client/remote_client.h"

namespace zv::emu {

inline remote::Connector inProcessConnector(Analyzer& analyzer) {
    return [&analyzer](std::unique_ptr<remote::Transport>& out) {
        auto [pc, device] = remote::makePipePair();
        analyzer.attach(std::move(device));
        out = std::move(pc);
        return kOk;
    };
}

}  // namespace zv::emu
