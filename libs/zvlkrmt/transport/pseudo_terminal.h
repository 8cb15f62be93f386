// A pseudo-terminal pair as a stand-in serial line (not on Windows): the emulator serves on the
// master side, and the slave's path is the port name a PC program opens.
#pragma once

#include <memory>
#include <string>

#include "base/result.h"
#include "zvlkrmt/transport/transport.h"

namespace zv::remote {

// Creates the pair, puts the line in raw mode and keeps the slave side open itself, so that
// the master stays usable while no program has the slave open. slavePath is e.g. /dev/pts/5.
Result openPseudoTerminal(std::unique_ptr<Transport>& master, std::string& slavePath);

}  // namespace zv::remote
