// quillet-vreader's main loop: the pseudo-terminal, the control socket and the termination
// signals, served from one thread with poll().
#pragma once

#include <functional>
#include <string>

#include "emulator/program/options.h"

namespace vreader {

// Told the terminal's path once every channel is ready; false ends the program (status 1).
using ReadyHandler = std::function<bool(const std::string& terminal)>;

// The default: prints "QUILLET_COM<n>=/dev/pts/N" on standard output.
bool print_terminal(const Options& options, const std::string& terminal);

// Runs until SIGTERM, SIGINT or the control command "quit" (or "stop"); returns the exit status.
int run_vreader(const Options& options, const ReadyHandler& ready);

}  // namespace vreader
