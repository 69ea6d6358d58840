// quillet-vreader's main loop: the pseudo-terminal, the control socket and the termination
// signals, served from one thread with poll().
#pragma once

#include "emulator/program/options.h"

namespace vreader {

// Runs until SIGTERM, SIGINT or the control command "quit"; returns the exit status.
int run_vreader(const Options& options);

}  // namespace vreader
